#include "sayings/tip.h"

#include <algorithm>

namespace ravak {

TipPlacement PlaceTip(const TipRect& work_area, int screen_height, int width, int height) {
  // The right and bottom edges of the work area, not its width and height: with the taskbar on
  // the left or at the top the work area does not start at 0.
  return {work_area.Right() - width, work_area.Bottom() - height, screen_height};
}

TipMotion::TipMotion(const TipPlacement& placement, int16_t interval_ms, int width, int height)
    : placement_(placement),
      check_ms_(interval_ms > 0 ? static_cast<uint32_t>(interval_ms) : 1),
      width_(width),
      height_(height),
      left_(placement.left),
      top_(placement.start_top) {}

void TipMotion::Start() {
  if (phase_ == TipPhase::Created) phase_ = TipPhase::SlidingIn;
}

void TipMotion::Step() {
  if (phase_ == TipPhase::SlidingIn) {
    if (top_ > placement_.end_top) top_ -= kTipSlideStep;
    if (top_ <= placement_.end_top) {
      top_ = placement_.end_top;
      phase_ = TipPhase::Resting;
    }
  } else if (phase_ == TipPhase::SlidingOut) {
    if (top_ < placement_.start_top) top_ += kTipSlideStep;
    if (top_ >= placement_.start_top) phase_ = TipPhase::Closed;
  }
}

void TipMotion::CheckPointer(int x, int y) {
  if (phase_ == TipPhase::Resting && !Bounds().Contains(x, y)) phase_ = TipPhase::SlidingOut;
}

void TipMotion::Click() {
  if (phase_ == TipPhase::SlidingIn || phase_ == TipPhase::Resting) {
    phase_ = TipPhase::SlidingOut;
  }
}

void TipMotion::MovedTo(int left, int top) {
  left_ = left;
  top_ = top;
}

uint32_t TipMotion::TimerMs() const {
  switch (phase_) {
    case TipPhase::SlidingIn:
      return kTipSlideInMs;
    case TipPhase::Resting:
      return check_ms_;
    case TipPhase::SlidingOut:
      return kTipSlideOutMs;
    case TipPhase::Created:
    case TipPhase::Closed:
      break;
  }
  return 0;
}

TipTexts LayOutTip(const TipContent& content, int weekday_width, int date_width) {
  TipTexts texts{};
  auto add = [&texts](TipRect rect, const TipTextStyle& style, std::u16string_view text) {
    if (!text.empty()) texts.items[texts.count++] = {rect, &style, text};
  };
  const int room = kTipWeekdayRight - kTipHeaderLeft;
  const int weekday = content.weekday.empty() ? 0 : std::clamp(weekday_width, 0, room);
  const int weekday_left = kTipWeekdayRight - weekday;
  add({weekday_left, kTipHeaderTop, weekday, kTipHeaderHeight}, kTipWeekdayStyle, content.weekday);
  const int date_right =
      std::max(kTipHeaderLeft, std::min(kTipDateRight, weekday_left - kTipHeaderGap));
  const int date_left = std::max(kTipHeaderLeft, date_right - std::max(date_width, 0));
  add({date_left, kTipHeaderTop, date_right - date_left, kTipHeaderHeight}, kTipDateStyle,
      content.date);
  add(kTipSayingRect, kTipSayingStyle, content.text);
  return texts;
}

}  // namespace ravak
