// The files of the auto-correct list's import and export: the system's Open and Save As
// dialogs, and the whole file read or written at once. A file is replaced only once its new
// content is complete on the disk, so an export that fails half way loses no earlier file.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

namespace ravak::win32 {

// Files larger than this are not read: a list the store keeps is at most a few megabytes.
constexpr std::size_t kMaxCsvFileBytes = std::size_t{32} << 20;

// The Open (save false) or Save As dialog for a CSV file, with title as its caption; the path
// chosen, or nothing when the user cancelled.
std::optional<std::wstring> ChooseCsvFile(HWND owner, HINSTANCE instance, bool save,
                                          const std::wstring& title);

// The file's bytes; false with the reason, in the user's words, when it cannot be read or is
// larger than kMaxCsvFileBytes.
bool ReadCsvFile(HINSTANCE instance, const std::wstring& path, std::string& bytes,
                 std::wstring& error);
// Writes bytes as the file at path; false with the reason when it could not.
bool WriteCsvFile(HINSTANCE instance, const std::wstring& path, const std::string& bytes,
                  std::wstring& error);

}  // namespace ravak::win32
