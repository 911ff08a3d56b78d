// What the user is typing into: the foreground window's input language and whether its focused
// control hides what is typed.
#pragma once

#include <cstdint>

namespace ravak {

class TypingTargetQuery {
 public:
  virtual ~TypingTargetQuery() = default;
  // The language identifier (LANGID) of the keyboard layout of the foreground window's thread.
  virtual uint16_t ForegroundLanguage() = 0;
  // Whether the control with the keyboard focus is a password edit (ES_PASSWORD).
  virtual bool FocusIsPassword() = 0;
};

}  // namespace ravak
