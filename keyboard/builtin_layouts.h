// The layouts Ravak carries: what it converts between where Windows has no Persian layout or
// cannot be read, what ravak-tool converts with, and what the unit tests type on. Their sources
// are named in keyboard/LAYOUT_SOURCES.txt.
#pragma once

#include <span>

#include "keyboard/keyboard_layout.h"

namespace ravak {

// 00000409 US, 00000809 United Kingdom, 00010409 United States-Dvorak, 00020409 United
// States-International (with its dead keys), 00000429 Persian (as before Windows 8), 00050429
// Persian (Standard), 00000401 Arabic (101).
std::span<const LayoutId> BuiltinLayoutIds();
// The carried table of a layout; null when Ravak carries none for it.
const KeyboardLayout* BuiltinLayout(LayoutId id);

}  // namespace ravak
