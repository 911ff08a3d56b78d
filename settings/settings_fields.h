// The stored format of the settings: which field of the model is kept under which registry value
// name, in which section and in what order, and which control of the settings window shows it.
// The value names are the stored format of every earlier release and must not change: settings
// written by any release keep loading. The store and the settings window both read this table.
#pragma once

#include <span>
#include <variant>

#include "app/resource.h"
#include "settings/settings.h"

namespace ravak {

using SettingsMember = std::variant<bool Settings::*, int32_t Settings::*, TShortCut Settings::*,
                                    KeyboardType Settings::*>;

struct SettingsField {
  const char* stored_name;  // registry value name
  SettingsMember member;
  int control;  // the settings window's control (check box or hotkey edit); 0 for none
  // For a hotkey: the modifiers its edit puts in place of a combination it refuses.
  TShortCut substitute_modifiers = 0;
};

// HKEY_CURRENT_USER\Software\Tirnak\Ravak, with the sections General and AutoCorrect.
inline constexpr char16_t kSettingsPath[] = u"Software\\Tirnak\\Ravak";
inline constexpr char kGeneralSection[] = "General";
inline constexpr char kAutoCorrectSection[] = "AutoCorrect";

// Section "General", in stored order (the values of this release last).
inline const SettingsField kGeneralFields[] = {
    {"chkActivePro.Checked", &Settings::copy_stack_enabled, IDC_COPY_STACK_ENABLED},
    {"chkAutoChangeLng.Checked", &Settings::switch_language, IDC_SWITCH_LANGUAGE},
    {"dxmdt1.Tag", &Settings::saying_position, 0},
    {"hk1.HotKey", &Settings::conversion_hotkey, IDC_CONVERSION_HOTKEY, kConversionSubstitute},
    {"hkProCopy.HotKey", &Settings::copy_hotkey, IDC_COPY_HOTKEY, kCopyPasteSubstitute},
    {"hkProPaste.HotKey", &Settings::paste_hotkey, IDC_PASTE_HOTKEY, kCopyPasteSubstitute},
    {"lblKey.Tag", &Settings::keyboard_type, 0},
    {"chkACEN.Checked", &Settings::autocorrect_enabled, IDC_AUTOCORRECT_ENABLED},
    {"chkRTL.Checked", &Settings::autocorrect_right_to_left, IDC_RIGHT_TO_LEFT},
    {"chkSlowSystem.Checked", &Settings::slow_system, IDC_SLOW_SYSTEM},
    {"chkShowTips.Checked", &Settings::saying_at_start, IDC_SAYING_AT_START},
    {"chkRavak.Checked", &Settings::conversion_enabled, IDC_CONVERSION_ENABLED},
    {"hkSelection.HotKey", &Settings::selection_hotkey, IDC_SELECTION_HOTKEY,
     kConversionSubstitute},
    {"hkLastWord.HotKey", &Settings::last_word_hotkey, IDC_LAST_WORD_HOTKEY, kConversionSubstitute},
    {"chkAutoDetect.Checked", &Settings::auto_detect, IDC_AUTO_DETECT},
};
// Section "General" also keeps the words that automatic detection never switches, one a line,
// under "<name>_Count" and "<name>[i]".
inline constexpr char kDetectExceptionsName[] = "lstDetectExceptions.Items";

// Section "AutoCorrect": the switch again (loaded after General, so this one wins), then the
// list, three lines a row (after text, before text, keyword), under "<name>_Count" and
// "<name>[i]".
inline const SettingsField kAutoCorrectFields[] = {
    {"chkACEN.Checked", &Settings::autocorrect_enabled, IDC_AUTOCORRECT_ENABLED},
};
inline constexpr char kAutoCorrectListName[] = "lstSaveAC.Items";

}  // namespace ravak
