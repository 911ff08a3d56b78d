// The conversion as the program runs it: the conversion command on its own global hotkey,
// reading the settings and the master switch at every press.
#pragma once

#include "convert/conversion.h"
#include "hotkeys/global_hotkey.h"
#include "settings/settings.h"

namespace ravak {

class ConversionFeature {
 public:
  ConversionFeature(const Settings& settings, const MasterSwitch& master, TypingLayouts& layouts,
                    SyntheticInput& input, ClipboardText& clipboard, Sleeper& thread_sleeper,
                    ThreadStarter& threads, HotkeyRegistrar& registrar, ErrorReport& errors,
                    KeyStream& keys, TypingTargetQuery& target, TypedRecord& record);

  // The hotkey, inactive until the settings are loaded; until then it holds Ctrl+F8.
  GlobalHotkey& Hotkey() { return hotkey_; }
  // Converting the selection and the word before the caret, on hotkeys of their own that are
  // active with the conversion.
  GlobalHotkey& SelectionHotkey() { return selection_hotkey_; }
  GlobalHotkey& LastWordHotkey() { return last_word_hotkey_; }
  // Fixing the Persian orthography of the selection or of the text just typed, active with the
  // conversion.
  GlobalHotkey& OrthographyHotkey() { return orthography_hotkey_; }
  ConversionCommand& Command() { return command_; }

 private:
  const Settings& settings_;
  const MasterSwitch& master_;
  ConversionCommand command_;
  GlobalHotkey hotkey_;
  GlobalHotkey selection_hotkey_;
  GlobalHotkey last_word_hotkey_;
  GlobalHotkey orthography_hotkey_;
};

}  // namespace ravak
