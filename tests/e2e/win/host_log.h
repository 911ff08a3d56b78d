// The report file of the test host programs: one line per event, which the tests read.
#pragma once

#include <windows.h>

#include <string>

#include "platform/error_report.h"
#include "platform/hotkey_registrar.h"

namespace ravak::testing {

inline void Append(const std::wstring& path, const std::string& line) {
  if (path.empty()) return;
  HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  const std::string text = line + "\r\n";
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

// Errors land in the report as "error: <message>" instead of a message box.
class LoggingErrorReport : public ErrorReport {
 public:
  explicit LoggingErrorReport(std::wstring path) : path_(std::move(path)) {}
  void ShowError(const std::string& message) override { Append(path_, "error: " + message); }

 private:
  std::wstring path_;
};

}  // namespace ravak::testing
