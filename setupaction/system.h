// What Sorvel needs of Windows: the installer session of one custom action, and the file,
// text and shell calls of a removal. Sorvel_win32.cpp carries them out; the tests fake them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sorvel {

// Installer status codes, numbered as Windows numbers them.
constexpr uint32_t kSuccess = 0;
constexpr uint32_t kErrorMoreData = 234;

// MsiEvaluateConditionW results.
constexpr int kConditionFalse = 0;
constexpr int kConditionTrue = 1;
constexpr int kConditionNone = 2;
constexpr int kConditionError = 3;

// An installer handle; 0 is none.
using InstallerHandle = uint32_t;

// The Windows Installer calls on the session handle a custom action was given. Buffers follow
// the installer's convention: *size is the room in characters, the terminating NUL included;
// on return it holds the text's length without the NUL, and kErrorMoreData says the buffer
// was too small.
class InstallerSession {
 public:
  virtual ~InstallerSession() = default;
  virtual int EvaluateCondition(const std::u16string& condition) = 0;
  virtual InstallerHandle CreateRecord(uint32_t fields) = 0;
  virtual uint32_t RecordSetString(InstallerHandle record, uint32_t field,
                                   const std::u16string& value) = 0;
  virtual uint32_t FormatRecord(InstallerHandle record, char16_t* buffer, uint32_t* size) = 0;
  virtual uint32_t CloseHandle(InstallerHandle handle) = 0;
  virtual uint32_t SetProperty(const std::u16string& name, const std::u16string& value) = 0;
  virtual uint32_t DoAction(const std::u16string& action) = 0;
  virtual uint32_t GetProperty(const std::u16string& name, char16_t* buffer, uint32_t* size) = 0;
};

// Files, text conversion and the shell, as a removal job uses them.
class RemovalSystem {
 public:
  virtual ~RemovalSystem() = default;
  // FindFirstFileW, FindNextFileW, FindClose: the names a path or pattern matches, "." and
  // ".." included when listed; nullopt when FindFirstFileW finds nothing.
  virtual std::optional<std::vector<std::u16string>> FindFiles(const std::u16string& pattern) = 0;
  // GetShortPathNameW; nullopt when the path does not exist.
  virtual std::optional<std::u16string> ShortPath(const std::u16string& path) = 0;
  // WideCharToMultiByte(CP_THREAD_ACP); nullopt unless every character has an exact
  // equivalent (no default character, no best-fit look-alike).
  virtual std::optional<std::string> ToAnsi(const std::u16string& text) = 0;
  // GetTempPathW into 260 characters, ending with a backslash; empty on failure.
  virtual std::u16string TempFolder() = 0;
  // GetTempFileNameW(folder, prefix, 0): creates an empty file with a fresh name and returns
  // that name; empty on failure.
  virtual std::u16string CreateTempFile(const std::u16string& folder,
                                        const std::u16string& prefix) = 0;
  // DeleteFileW.
  virtual bool Delete(const std::u16string& path) = 0;
  // CreateFileW (write access, no sharing, always created, normal attributes), WriteFile,
  // CloseHandle. False when the file cannot be created.
  virtual bool WriteNewFile(const std::u16string& path, const std::string& bytes) = 0;
  // Starts a program hidden and does not wait: ShellExecuteExW with "runas" when elevate is
  // set, ShellExecuteW with "open" otherwise. The result is not reported.
  virtual void StartHidden(const std::u16string& file, bool elevate) = 0;
};

}  // namespace sorvel
