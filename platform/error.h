// Errors carry a message text. They travel up to the event source that started a command
// (hotkey, keyboard hook, menu), which hands them to the application's error report.
#pragma once

#include <stdexcept>
#include <string>

namespace ravak {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// Replaces the first "%s" in format with arg (format strings here hold at most one).
std::string FormatMessage1(const std::string& format, const std::string& arg);

// The text the general error report shows: the message, with a full stop added when its last
// character is above '.'.
std::string ErrorReportText(const std::string& message);

}  // namespace ravak
