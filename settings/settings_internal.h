// What the settings section, its string lists and the store share: the messages of a value that
// could not be written or read, and the small helpers around them. For settings_section.cpp,
// settings_list.cpp and settings_store.cpp only.
#pragma once

#include <string>

#include "platform/error.h"
#include "platform/utf.h"

namespace ravak::settings_internal {

constexpr char kInvalidType[] = "Invalid data type for '%s'";
constexpr char kSetFailed[] = "Failed to set data for '%s'";

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};

inline std::u16string Wide(const std::string& s) {
  return Utf8ToUtf16(s).value_or(std::u16string());
}

[[noreturn]] inline void Fail(const char* format, const std::string& arg) {
  throw Error(FormatMessage1(format, arg));
}

}  // namespace ravak::settings_internal
