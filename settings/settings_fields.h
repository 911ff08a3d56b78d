// The stored format of the settings: which field of the model is kept under which registry value
// name, in which section and in what order. The value names are the stored format of every
// earlier release and must not change: settings written by any release keep loading. The store
// reads this table; the settings window binds its controls to its fields (app/settings_controls.h).
#pragma once

#include <span>
#include <variant>

#include "settings/settings.h"

namespace ravak {

// A list is kept one line a value, under "<name>_Count" and "<name>[i]".
using SettingsMember =
    std::variant<bool Settings::*, int32_t Settings::*, TShortCut Settings::*,
                 KeyboardType Settings::*, std::vector<std::u16string> Settings::*>;

struct SettingsField {
  const char* stored_name;  // registry value name
  SettingsMember member;
  // For a hotkey: the modifiers its edit puts in place of a combination it refuses.
  TShortCut substitute_modifiers = 0;
};

// HKEY_CURRENT_USER\Software\Tirnak\Ravak, with the sections General and AutoCorrect.
inline constexpr char16_t kSettingsPath[] = u"Software\\Tirnak\\Ravak";
inline constexpr char kGeneralSection[] = "General";
inline constexpr char kAutoCorrectSection[] = "AutoCorrect";

// Section "General", in stored order (the values of the latest releases last).
inline const SettingsField kGeneralFields[] = {
    {"chkActivePro.Checked", &Settings::copy_stack_enabled},
    {"chkAutoChangeLng.Checked", &Settings::switch_language},
    {"dxmdt1.Tag", &Settings::saying_position},
    {"hk1.HotKey", &Settings::conversion_hotkey, kConversionSubstitute},
    {"hkProCopy.HotKey", &Settings::copy_hotkey, kCopyPasteSubstitute},
    {"hkProPaste.HotKey", &Settings::paste_hotkey, kCopyPasteSubstitute},
    {"lblKey.Tag", &Settings::keyboard_type},
    {"chkACEN.Checked", &Settings::autocorrect_enabled},
    {"chkRTL.Checked", &Settings::autocorrect_right_to_left},
    {"chkSlowSystem.Checked", &Settings::slow_system},
    {"chkShowTips.Checked", &Settings::saying_at_start},
    {"chkRavak.Checked", &Settings::conversion_enabled},
    {"hkSelection.HotKey", &Settings::selection_hotkey, kConversionSubstitute},
    {"hkLastWord.HotKey", &Settings::last_word_hotkey, kConversionSubstitute},
    {"chkAutoDetect.Checked", &Settings::auto_detect},
    {"hkOrthography.HotKey", &Settings::orthography_hotkey, kConversionSubstitute},
    {"chkFixNonJoiners.Checked", &Settings::fix_non_joiners},
    {"chkSkipFullScreen.Checked", &Settings::skip_full_screen},
    {"chkSwitchMark.Checked", &Settings::switch_mark},
    {"lstExcludedPrograms.Items", &Settings::excluded_programs},
    {"chkFixAsTyped.Checked", &Settings::fix_as_typed},
};
// Section "General" also keeps the words that automatic detection never switches, one a line,
// under "<name>_Count" and "<name>[i]".
inline constexpr char kDetectExceptionsName[] = "lstDetectExceptions.Items";
// And the texts the orthography as typed never fixes, as they were typed, in the same form.
inline constexpr char kFixExceptionsName[] = "lstFixExceptions.Items";

// Section "AutoCorrect": the switch again (loaded after General, so this one wins), then the
// list, three lines a row (after text, before text, keyword), under "<name>_Count" and
// "<name>[i]".
inline const SettingsField kAutoCorrectFields[] = {
    {"chkACEN.Checked", &Settings::autocorrect_enabled},
};
inline constexpr char kAutoCorrectListName[] = "lstSaveAC.Items";

}  // namespace ravak
