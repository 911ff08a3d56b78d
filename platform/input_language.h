// Which input language the focused application types in.
#pragma once

#include <cstdint>

namespace ravak {

class InputLanguageQuery {
 public:
  virtual ~InputLanguageQuery() = default;
  // The language identifier (LANGID) of the keyboard layout of the foreground window's thread.
  virtual uint16_t ForegroundLanguage() = 0;
};

}  // namespace ravak
