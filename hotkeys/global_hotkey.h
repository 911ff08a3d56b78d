// GlobalHotkey: registers one key combination system-wide and runs its press handler on the
// user-interface thread for each press.
#pragma once

#include <cstdint>
#include <functional>

#include "hotkeys/shortcut.h"
#include "platform/error_report.h"
#include "platform/hotkey_registrar.h"

namespace ravak {

class GlobalHotkey {
 public:
  // held: the modifiers of the registered combination, which the user is usually still holding.
  using PressHandler = std::function<void(ShiftState held)>;

  GlobalHotkey(HotkeyRegistrar& registrar, ErrorReport& errors);
  ~GlobalHotkey();
  GlobalHotkey(const GlobalHotkey&) = delete;
  GlobalHotkey& operator=(const GlobalHotkey&) = delete;

  // Active: the combination should be registered. A new component is active with no combination.
  bool Active() const { return active_; }
  void SetActive(bool value);
  TShortCut Combination() const { return combination_; }
  void SetCombination(TShortCut value);
  // Errors the handler raises go to the error report.
  void SetOnPress(PressHandler handler) { on_press_ = std::move(handler); }

  // The hidden window's WM_HOTKEY: every message counts as a press of this combination.
  void HandleHotkeyMessage();

 private:
  void RegisterCurrent(TShortCut word);

  HotkeyRegistrar& registrar_;
  ErrorReport& errors_;
  bool active_ = false;
  uint16_t atom_ = 0;
  TShortCut combination_ = 0;
  PressHandler on_press_;
  WindowId window_ = 0;
};

}  // namespace ravak
