// The keyboard-type dialog: two keyboard pictures and their buttons. Modal.
#pragma once

#include <windows.h>

#include <optional>

#include "settings/settings.h"

namespace ravak::win32 {

// The type the user chose; nothing when the dialog was left with Back or its close box.
std::optional<KeyboardType> ChooseKeyboardType(HINSTANCE instance, HWND owner);

}  // namespace ravak::win32
