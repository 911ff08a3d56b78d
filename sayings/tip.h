// The tip window without the window: where it stands, how it slides in and out, when it
// leaves, and where its three texts go on the card. The Win32 window (tip_window_win32.h) drives
// this from its timer, pointer and mouse messages.
//
// Life of a tip: created below the bottom edge of the screen, it slides up 20 pixels every 40 ms
// until it rests at the bottom right of the work area. While resting it checks the pointer once
// per interval and slides out (down 20 pixels every 30 ms) as soon as a check finds the pointer
// off the tip; a click sends it out at once. Once below the screen it closes.
//
// The sizes are those at 96 DPI; at other densities the card, its texts, their fonts and the
// slide step grow in proportion (ScaleToDpi).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sayings/rotation.h"
#include "ui/dpi.h"

namespace ravak {

inline constexpr int kTipWidth = 300;  // the card picture's size
inline constexpr int kTipHeight = 188;
inline constexpr int kTipSlideStep = 20;        // pixels per slide step
inline constexpr uint32_t kTipSlideInMs = 40;   // one step up
inline constexpr uint32_t kTipSlideOutMs = 30;  // one step down
// The overlay's see-through colour (0x00BBGGRR): red, green and blue 254.
inline constexpr uint32_t kTipOverlayKey = 0x00FEFEFE;

struct TipRect {
  int left;
  int top;
  int width;
  int height;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
  // Half-open: the right and bottom edges are outside.
  bool Contains(int x, int y) const { return x >= left && x < Right() && y >= top && y < Bottom(); }
  friend bool operator==(const TipRect&, const TipRect&) = default;
};

// Where a tip of the given size rests, and the top it slides in from.
struct TipPlacement {
  int left;       // the work area's right edge less the width
  int end_top;    // the work area's bottom edge less the height
  int start_top;  // the screen height: just below the bottom edge of the screen
};

// work_area: the desktop work area in screen coordinates (the screen less the taskbar), wherever
// the taskbar stands; screen_height: the height of the primary screen.
TipPlacement PlaceTip(const TipRect& work_area, int screen_height, int width = kTipWidth,
                      int height = kTipHeight);

enum class TipPhase {
  Created,     // not shown yet
  SlidingIn,   // one step up per kTipSlideInMs
  Resting,     // one pointer check per interval
  SlidingOut,  // one step down per kTipSlideOutMs
  Closed,      // below the screen: the window is destroyed
};

// The tip's position and phase. Each phase has one timer (TimerMs); the window calls Step when
// it fires (CheckPointer instead while resting).
class TipMotion {
 public:
  // interval_ms: the pointer check's period; one of 0 or less checks at the next timer tick.
  // step: the pixels of one slide step.
  TipMotion(const TipPlacement& placement, int16_t interval_ms, int width = kTipWidth,
            int height = kTipHeight, int step = kTipSlideStep);

  // Shown: starts the slide-in.
  void Start();
  // The slide timer fired: one step up (snapping to the resting top, then resting) or one step
  // down (closing once at or below the screen's bottom edge). Nothing in the other phases.
  void Step();
  // The pointer check while resting: a pointer off the tip starts the slide-out.
  void CheckPointer(int x, int y);
  // A click on the tip while it slides in or rests: it slides out from where it is.
  void Click();
  // The user dragged the tip to (left, top); the slides go on from there.
  void MovedTo(int left, int top);
  // The tip was drawn again at another size (on a monitor of another DPI).
  void Resize(int width, int height, int step);

  TipPhase Phase() const { return phase_; }
  int Left() const { return left_; }
  int Top() const { return top_; }
  TipRect Bounds() const { return {left_, top_, width_, height_}; }
  // The period of the current phase's timer; 0 when none runs (not started, closed).
  uint32_t TimerMs() const;

 private:
  TipPlacement placement_;
  uint32_t check_ms_;
  int width_;
  int height_;
  int step_;
  int left_;
  int top_;
  TipPhase phase_ = TipPhase::Created;
};

// How one of the three texts on the card is drawn. Every text is read right to left.
struct TipTextStyle {
  int font_height;  // character height in pixels (Tahoma)
  bool bold;
  bool align_right;
  bool word_wrap;  // several lines, wrapped at words and at line breaks; cut at the bottom
  bool black;      // black, or else the system's window-text colour
};
inline constexpr TipTextStyle kTipWeekdayStyle{13, true, true, false, true};
inline constexpr TipTextStyle kTipDateStyle{13, true, true, false, false};
inline constexpr TipTextStyle kTipSayingStyle{12, false, true, true, false};

// The header line above the rule: the weekday ends at x 264 and the date, left of it, at x 214,
// or further left when the weekday is wider; neither reaches past x 40 (the cross mark).
inline constexpr int kTipHeaderTop = 30;
inline constexpr int kTipHeaderHeight = 16;
inline constexpr int kTipWeekdayRight = 264;
inline constexpr int kTipDateRight = 214;
inline constexpr int kTipHeaderGap = 6;
inline constexpr int kTipHeaderLeft = 40;
// The saying: 30 pixels in from the left, 60 from the top, at most 240 x 105.
inline constexpr TipRect kTipSayingRect{30, 60, 240, 105};

struct TipText {
  TipRect rect;  // in card coordinates
  const TipTextStyle* style;
  std::u16string_view text;
};

// The texts of a tip in drawing order: weekday, date, saying; empty texts are left out.
// weekday_width, date_width: the widths of the two header texts in their font, in pixels; dpi:
// the density the card is drawn at (the places above are those at 96 DPI).
struct TipTexts {
  TipText items[3];
  int count;
};
// The texts point into content, which must outlive them.
TipTexts LayOutTip(const TipContent& content, int weekday_width, int date_width,
                   int dpi = kBaseDpi);
TipTexts LayOutTip(TipContent&&, int, int, int = kBaseDpi) = delete;

}  // namespace ravak
