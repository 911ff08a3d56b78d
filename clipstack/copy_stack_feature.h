// The copy stack as the program runs it: the item list with its copy and paste commands, each
// on its own global hotkey, silent while the master switch is off.
#pragma once

#include "clipstack/clip_stack.h"
#include "hotkeys/global_hotkey.h"
#include "settings/settings.h"
#include "typing/typed_record.h"

namespace ravak {

class CopyStackFeature {
 public:
  CopyStackFeature(const MasterSwitch& master, SyntheticInput& input, ClipboardText& clipboard,
                   HotkeyRegistrar& registrar, ErrorReport& errors, KeyStream& keys,
                   TypedRecord& record);

  ClipItemList& List() { return list_; }
  AdvancedCopyPaste& Commands() { return commands_; }
  // Inactive until the settings are loaded, holding Ctrl+Alt+C and Ctrl+Alt+V until then.
  GlobalHotkey& CopyHotkey() { return copy_; }
  GlobalHotkey& PasteHotkey() { return paste_; }

 private:
  const MasterSwitch& master_;
  ClipItemList list_;
  AdvancedCopyPaste commands_;
  GlobalHotkey copy_;
  GlobalHotkey paste_;
};

}  // namespace ravak
