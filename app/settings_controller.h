// What the settings window does, without the window: loading the settings at start and on
// Cancel, storing them on OK, Apply and at exit, the check boxes that act at once, the keyboard
// type, and setting up the hotkeys of the features from the settings. The window calls these
// and then shows the model again; errors are raised to the caller, which reports them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings_controls.h"
#include "autocorrect/autocorrect_feature.h"
#include "autoswitch/auto_switch_feature.h"
#include "clipstack/copy_stack_feature.h"
#include "convert/conversion_feature.h"
#include "keyboard/layout_reader.h"
#include "livefix/live_fix_feature.h"
#include "platform/error_report.h"
#include "settings/settings_store.h"

namespace ravak {

// The combinations in the hotkey edits, as the user left them.
struct HotkeyEdits {
  TShortCut conversion = 0;
  TShortCut copy = 0;
  TShortCut paste = 0;
  TShortCut selection = 0;
  TShortCut last_word = 0;
  TShortCut orthography = 0;
};

class SettingsController {
 public:
  SettingsController(Settings& settings, SettingsStore& store, LayoutMap& layout,
                     TypingLayouts& keyboards, ConversionFeature& conversion,
                     CopyStackFeature& copy_stack, AutoCorrectFeature& autocorrect,
                     AutoSwitchFeature& autoswitch, LiveFixFeature& live_fix, ErrorReport& errors);

  // At start: both sections and the exceptions loaded (bad values reported), the hotkeys set up
  // from the settings, the user's layouts read, the keyboard type applied.
  void Start();
  // The words automatic detection never switches and the texts the orthography as typed never
  // fixes, in one sorted list. Clearing them (the button "پاک کردن استثناها") or removing one is
  // kept in the store at once, as an exception learnt is.
  std::vector<std::u16string> Exceptions() const;
  void ClearExceptions();
  void RemoveException(const std::u16string& word);
  // The programs automatic switching and auto-correct keep out of, edited in the settings
  // window: stored with OK and Apply, taken back by Cancel. False when nothing changed (a name
  // that names no file, or one listed already).
  bool AddProgram(std::u16string_view program);
  bool RemoveProgram(std::u16string_view program);
  // The tray menu's item for the program in front: listed if it was not, unlisted if it was;
  // kept in the store at once.
  void ToggleProgram(std::u16string_view program);
  // OK and Apply: the hotkeys follow the edits, then both sections are stored.
  void Apply(const HotkeyEdits& edits);
  // Cancel: both sections loaded again (bad values reported), keyboard type applied. The
  // combinations stay registered as they were.
  void Cancel();
  // The program ends: section General is stored with the edits as they stand.
  void Exit(const HotkeyEdits& edits);

  // A check box of the window changed. The conversion and copy-stack switches register or
  // unregister their hotkeys at once; the others are read live by the features.
  void SetChecked(const SettingsField& field, bool checked);
  // The keyboard-type dialog's answer (nothing: closed without a choice), then ApplyKeyboardType.
  void ChooseKeyboardType(std::optional<KeyboardType> type);
  // The keyboard type shown and used follows the model: the label and the key of the layout
  // map that depends on it. An old stored 2 becomes 1. The layouts are read again first when
  // the system's list of layouts has changed.
  void ApplyKeyboardType();
  // Reads the user's Latin and Persian layouts again when the system's list of layouts has
  // changed, and the layout map then follows them.
  void ReadKeyboards();
  // The layouts Ravak converts between, and whether the keyboard type decides a key of the
  // Persian one (the layout before Windows 8 does; any other decides its keys itself).
  const KeyboardPair& Keyboards() const { return keyboards_.Pair(); }
  bool KeyboardTypeMatters() const { return layout_.FollowsKeyboardType(); }
  // The type the window's label names: the last known type applied; nothing before any (an
  // unknown stored number leaves the label as it was).
  std::optional<KeyboardType> ShownKeyboardType() const { return shown_keyboard_; }

  const Settings& Model() const { return settings_; }

 private:
  void FieldChanged(const SettingsField& field);
  void SetUpHotkeys();
  void LoadAutoCorrect();
  // Both sections, bad values reported.
  void LoadBoth();
  void TakeEdits(const HotkeyEdits& edits);
  void Report(const std::vector<std::string>& errors);

  Settings& settings_;
  SettingsStore& store_;
  LayoutMap& layout_;
  TypingLayouts& keyboards_;
  ConversionFeature& conversion_;
  CopyStackFeature& copy_stack_;
  AutoCorrectFeature& autocorrect_;
  AutoSwitchFeature& autoswitch_;
  LiveFixFeature& live_fix_;
  ErrorReport& errors_;
  std::optional<KeyboardType> shown_keyboard_;
};

}  // namespace ravak
