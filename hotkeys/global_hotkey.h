// GlobalHotkey: registers one key combination system-wide and runs its press handler on the
// user-interface thread for each press. It watches the user's typing too: a press seen there is
// answered in the order it was typed (the keys typed after it wait for its command), and the
// system's hotkey message is then never sent; that message still serves when the typing cannot
// be watched.
#pragma once

#include <cstdint>
#include <functional>

#include "hotkeys/shortcut.h"
#include "platform/error_report.h"
#include "platform/hotkey_registrar.h"
#include "typing/key_stream.h"

namespace ravak {

class GlobalHotkey {
 public:
  // held: the modifiers of the registered combination, which the user is usually still holding.
  // layout: the keyboard layout of the window it was pressed in, as the press was stamped (its
  // handle's low 32 bits); 0 when the system's hotkey message brought it.
  using PressHandler = std::function<void(ShiftState held, uint32_t layout)>;

  // keys: the typing it watches; it must outlive the component's use of it.
  GlobalHotkey(HotkeyRegistrar& registrar, ErrorReport& errors, KeyStream& keys);
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
  // A key of the user's typing: the combination, while it is registered, is swallowed and its
  // handler runs in its turn.
  KeyVerdict OnInput(const UserInput& input, bool taken);

 private:
  void RegisterCurrent(TShortCut word);
  void Press(ShiftState held, uint32_t layout);

  HotkeyRegistrar& registrar_;
  ErrorReport& errors_;
  bool active_ = false;
  uint16_t atom_ = 0;
  TShortCut combination_ = 0;
  bool registered_ = false;  // the system gave Ravak the combination
  PressHandler on_press_;
  WindowId window_ = 0;
  bool down_ = false;  // the combination's key is down: what comes until it goes up is repeats
};

}  // namespace ravak
