// The application's general error report: a message box with the error's text. Event sources
// (hotkeys, the keyboard hook, the tray menu) hand it the errors of the commands they start,
// through ReportErrors, and the program goes on.
#pragma once

#include <exception>
#include <string>

namespace ravak {

class ErrorReport {
 public:
  virtual ~ErrorReport() = default;
  virtual void ShowError(const std::string& message) = 0;
};

// Runs a command; an error it raises goes to the report instead of further up.
template <typename Command>
void ReportErrors(ErrorReport& errors, Command&& command) {
  try {
    command();
  } catch (const std::exception& e) {
    errors.ShowError(e.what());
  }
}

}  // namespace ravak
