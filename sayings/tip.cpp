#include "sayings/tip.h"

#include <algorithm>

namespace ravak {

TipPlacement PlaceTip(const TipRect& work_area, int screen_height, int width, int height) {
  // The right and bottom edges of the work area, not its width and height: with the taskbar on
  // the left or at the top the work area does not start at 0.
  return {work_area.Right() - width, work_area.Bottom() - height, screen_height};
}

TipMotion::TipMotion(const TipPlacement& placement, int16_t interval_ms, int width, int height,
                     int step)
    : placement_(placement),
      check_ms_(interval_ms > 0 ? static_cast<uint32_t>(interval_ms) : 1),
      width_(width),
      height_(height),
      step_(step > 0 ? step : kTipSlideStep),
      left_(placement.left),
      top_(placement.start_top) {}

void TipMotion::Start() {
  if (phase_ == TipPhase::Created) phase_ = TipPhase::SlidingIn;
}

void TipMotion::Step() {
  if (phase_ == TipPhase::SlidingIn) {
    if (top_ > placement_.end_top) top_ -= step_;
    if (top_ <= placement_.end_top) {
      top_ = placement_.end_top;
      phase_ = TipPhase::Resting;
    }
  } else if (phase_ == TipPhase::SlidingOut) {
    if (top_ < placement_.start_top) top_ += step_;
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

void TipMotion::Resize(int width, int height, int step) {
  width_ = width;
  height_ = height;
  if (step > 0) step_ = step;
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

TipTexts LayOutTip(const TipContent& content, int weekday_width, int date_width, int dpi) {
  TipTexts texts{};
  auto add = [&texts](TipRect rect, const TipTextStyle& style, std::u16string_view text) {
    if (!text.empty()) texts.items[texts.count++] = {rect, &style, text};
  };
  auto scale = [dpi](int n) { return ScaleToDpi(n, dpi); };
  const int header_left = scale(kTipHeaderLeft);
  const int weekday_right = scale(kTipWeekdayRight);
  const int top = scale(kTipHeaderTop);
  const int height = scale(kTipHeaderTop + kTipHeaderHeight) - top;
  const int room = weekday_right - header_left;
  const int weekday = content.weekday.empty() ? 0 : std::clamp(weekday_width, 0, room);
  const int weekday_left = weekday_right - weekday;
  add({weekday_left, top, weekday, height}, kTipWeekdayStyle, content.weekday);
  const int date_right =
      std::max(header_left, std::min(scale(kTipDateRight), weekday_left - scale(kTipHeaderGap)));
  const int date_left = std::max(header_left, date_right - std::max(date_width, 0));
  add({date_left, top, date_right - date_left, height}, kTipDateStyle, content.date);
  const TipRect& s = kTipSayingRect;
  const PixelRect saying = ScaleToDpi(PixelRect{s.left, s.top, s.width, s.height}, dpi);
  add({saying.left, saying.top, saying.width, saying.height}, kTipSayingStyle, content.text);
  return texts;
}

}  // namespace ravak
