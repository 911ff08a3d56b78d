// Which control of the settings window shows which field of the settings: its check boxes and
// hotkey edits, bound to the fields of the stored table (settings/settings_fields.h).
#pragma once

#include "app/resource.h"
#include "settings/settings_fields.h"

namespace ravak {

struct ControlBinding {
  int control;
  SettingsMember member;
};

inline const ControlBinding kControlBindings[] = {
    // General
    {IDC_CONVERSION_ENABLED, &Settings::conversion_enabled},
    {IDC_CONVERSION_HOTKEY, &Settings::conversion_hotkey},
    {IDC_SWITCH_LANGUAGE, &Settings::switch_language},
    {IDC_SAYING_AT_START, &Settings::saying_at_start},
    {IDC_SLOW_SYSTEM, &Settings::slow_system},
    {IDC_AUTO_DETECT, &Settings::auto_detect},
    {IDC_SELECTION_HOTKEY, &Settings::selection_hotkey},
    {IDC_LAST_WORD_HOTKEY, &Settings::last_word_hotkey},
    {IDC_ORTHOGRAPHY_HOTKEY, &Settings::orthography_hotkey},
    // Copy stack
    {IDC_COPY_STACK_ENABLED, &Settings::copy_stack_enabled},
    {IDC_COPY_HOTKEY, &Settings::copy_hotkey},
    {IDC_PASTE_HOTKEY, &Settings::paste_hotkey},
    // Auto-correct
    {IDC_AUTOCORRECT_ENABLED, &Settings::autocorrect_enabled},
    {IDC_RIGHT_TO_LEFT, &Settings::autocorrect_right_to_left},
    // Typing
    {IDC_SKIP_FULL_SCREEN, &Settings::skip_full_screen},
    {IDC_SWITCH_MARK, &Settings::switch_mark},
    {IDC_FIX_NON_JOINERS, &Settings::fix_non_joiners},
    {IDC_FIX_AS_TYPED, &Settings::fix_as_typed},
};

// The field of section General that a control shows; null for any other control.
const SettingsField* FieldOfControl(int control);

}  // namespace ravak
