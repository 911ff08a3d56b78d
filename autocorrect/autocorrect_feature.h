// Auto-correct as the program runs it: the list with its editor rules, and the engine fed by
// every key the keyboard hook reports, silent while auto-correct or the master switch is off.
#pragma once

#include "autocorrect/autocorrect_editor.h"
#include "autocorrect/autocorrect_engine.h"
#include "hook/keyboard_hook.h"
#include "settings/settings.h"

namespace ravak {

class AutoCorrectFeature {
 public:
  AutoCorrectFeature(const Settings& settings, const MasterSwitch& master, KeyboardHook& hook,
                     SyntheticInput& input, ClipboardText& clipboard,
                     ForegroundWindowQuery& foreground);

  AutoCorrectList& List() { return list_; }
  AutoCorrectEditor& Editor() { return editor_; }
  // One key press somewhere on the desktop.
  void KeyPressed(uint16_t key, ShiftState shift);

 private:
  const Settings& settings_;
  const MasterSwitch& master_;
  AutoCorrectList list_;
  AutoCorrectEditor editor_;
  AutoCorrectEngine engine_;
};

}  // namespace ravak
