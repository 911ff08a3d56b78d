// The files the test helper programs write for the tests to read: a host's report, one line per
// event, and a probe's answer.
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

// Writes bytes as the whole of the file; false when it cannot be created.
inline bool WriteUtf8(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  return true;
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
