// The programs that automatic switching and auto-correct keep out of: the list of executable file
// names the user made (the settings window, the tray menu's item for the program in front), and
// full-screen programs while the settings say so. Pure computation over the settings model and
// the questions the typing target answers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/typing_target.h"
#include "settings/settings.h"

namespace ravak {

// The name a program is listed under: the file name in what the user typed or the system gave
// (a path, quotes and the spaces around it dropped), ".exe" added when it has no extension.
// Empty when that names no file ("", "C:\\", a name with a character no file name holds).
std::u16string ProgramFileName(std::u16string_view text);

// Whether the list holds the program (file names compare without regard to the case of their
// ASCII letters, as Windows compares them).
bool ListsProgram(const std::vector<std::u16string>& list, std::u16string_view program);
// Adds the program under its file name; false when it names no file or is listed already.
bool AddProgram(std::vector<std::u16string>& list, std::u16string_view program);
// False when it was not listed.
bool RemoveProgram(std::vector<std::u16string>& list, std::u16string_view program);

// Whether automatic switching and auto-correct keep out of what is in front now: a program of the
// list, or a full-screen program while skip_full_screen is on.
bool KeptOutOfForeground(const Settings& settings, TypingTargetQuery& target);

}  // namespace ravak
