// The tip window on Win32: a borderless per-pixel-alpha card that slides up at the bottom right
// of the work area, shows a saying with the weekday and date, and slides away by itself.
//
// The card is a layered window drawn once from the carried picture (UpdateLayeredWindow). Such a
// window cannot paint text, so an owned overlay of the same bounds carries the three texts: it
// is colour-keyed (everything in kTipOverlayKey is see-through), lets the pointer pass through
// to the card, and follows the card wherever it moves.
#pragma once

#include <windows.h>

#include <functional>

#include "sayings/sayings_commands.h"
#include "sayings/tip.h"

namespace ravak::win32 {

// The card's window title (the overlay has none).
inline constexpr wchar_t kTipWindowTitle[] = L"Ravak Tip";

// Told after every step of a tip's life: its phase and position (for test programs). The tip
// window is destroyed right after the call that reports TipPhase::Closed.
using TipObserver = std::function<void(HWND tip, const TipMotion& motion)>;

// Creates a new tip window, starts its slide-in and returns at once; the window lives on by
// itself and destroys itself after it has slid out. interval_ms: the pointer check's period.
// Throws Error when the window cannot be created.
HWND ShowTipWindow(const TipContent& content, int16_t interval_ms, TipObserver observer = {});

// Tip windows of this process that are not destroyed yet.
int OpenTipWindows();

// The local date of the system clock.
GregorianDate LocalDate();

class TipWindowPresenter final : public TipPresenter {
 public:
  void ShowTip(const TipContent& tip, int16_t interval_ms) override {
    ShowTipWindow(tip, interval_ms);
  }
};

}  // namespace ravak::win32
