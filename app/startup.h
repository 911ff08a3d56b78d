// Decisions of program start that need no system: whether a second copy gives way, and the
// default application title used before the real one is set.
#pragma once

#include <string>

namespace ravak {

constexpr char16_t kMutexName[] = u"Tirnak Ravak";
constexpr char16_t kApplicationTitle[] = u"Tirnak Ravak";

// A second copy gives way when the marker already existed and no non-empty first argument was
// given.
inline bool ShouldGiveWay(bool marker_existed, const std::u16string& first_argument) {
  return marker_existed && first_argument.empty();
}

// The title before the application title is set: the program's file name up to its first full
// stop, every character after the first in lower case ("RAVAK.EXE" -> "Ravak").
std::u16string DefaultApplicationTitle(const std::u16string& file_name);

}  // namespace ravak
