// The keyboard-type dialog: two keyboard pictures and their buttons, and the Persian layout
// Ravak reads. Modal.
#pragma once

#include <windows.h>

#include <optional>

#include "keyboard/layout_reader.h"
#include "settings/settings.h"

namespace ravak::win32 {

// The type the user chose; nothing when the dialog was left with Back or its close box. The
// dialog names the pair's Persian layout, and says when the type decides none of its keys.
std::optional<KeyboardType> ChooseKeyboardType(HINSTANCE instance, HWND owner,
                                               const KeyboardPair& keyboards, bool type_matters);

}  // namespace ravak::win32
