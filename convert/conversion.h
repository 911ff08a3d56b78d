// The conversion command: retype the current line's trailing one-layout run in the other
// layout, in the focused application, through Shift+Home, cut and paste.
#pragma once

#include <cstdint>

#include "convert/layout_map.h"
#include "hotkeys/shortcut.h"
#include "platform/message_pump.h"
#include "platform/threads.h"
#include "typing/clipboard_text.h"
#include "typing/synthetic_input.h"

namespace ravak {

// The settings the conversion hotkey's handler reads at the moment of the press.
struct ConversionSwitches {
  bool active_flag = true;            // master switch, tray menu "فعال"
  bool enabled = false;               // the conversion check box
  bool auto_change_language = false;  // the automatic language change check box
};

class ConversionCommand {
 public:
  ConversionCommand(const LayoutMap& map, SyntheticInput& input, ClipboardText& clipboard,
                    Sleeper& thread_sleeper, ThreadStarter& threads);

  // held: the modifiers of the combination that started the command, which the user usually
  // still holds; they are released (after a mask key) before the first key of the sequence.
  // The user's own keys are held back meanwhile and typed afterwards.
  void ConvertCurrentLine(ShiftState held = {});
  // Starts the thread that presses Alt+Shift, the system's input-language switch chord; the
  // user's keys stay held until it is done.
  void SwitchKeyboardLanguage();
  // TTChangeLanguage.Execute: the body of that thread (plain sleeps, no message processing).
  static void ChangeLanguage(KeyboardOutput& keyboard, Sleeper& sleeper);

  // The conversion hotkey was pressed. Returns whether the command ran. A press that arrives
  // while a conversion is running (inside one of its pauses) is ignored.
  bool HotkeyPressed(const ConversionSwitches& switches, ShiftState shift);

  bool Running() const { return running_; }

 private:
  const LayoutMap& map_;
  SyntheticInput& input_;
  ClipboardText& clipboard_;
  Sleeper& thread_sleeper_;
  ThreadStarter& threads_;
  bool running_ = false;
};

}  // namespace ravak
