// What Sorvel needs of Windows: the installer session of one custom action, the folders and
// files it removes, and the user's running programs. Sorvel_win32.cpp carries them out; the
// tests fake them.
#pragma once

#include <cstdint>
#include <string>

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

// An open folder; 0 is none.
using FolderHandle = uintptr_t;

// Folders and files as the removal reaches them: one name at a time, each inside a folder
// already open, so that nothing is ever reached through a reparse point (a junction, a
// symbolic or other link): an entry that is one, or that turns out to lie somewhere else than
// inside its folder, counts as missing and is left alone.
class RemovalSystem {
 public:
  virtual ~RemovalSystem() = default;
  // The folder at a full path; 0 when it is missing or no folder.
  virtual FolderHandle OpenFolder(const std::u16string& path) = 0;
  // The folder name inside folder; 0 when it is missing, no folder, or a reparse point.
  virtual FolderHandle OpenChildFolder(FolderHandle folder, const std::u16string& name) = 0;
  virtual void CloseFolder(FolderHandle folder) = 0;
  // Deletes the file name inside folder (its read-only attribute cleared first when the file
  // has no other name); false when it is missing, no plain file, a reparse point, or the
  // system refuses (in use, no right).
  virtual bool RemoveFile(FolderHandle folder, const std::u16string& name) = 0;
  // Removes the folder name inside folder when it is empty; false otherwise, as above.
  virtual bool RemoveEmptyFolder(FolderHandle folder, const std::u16string& name) = 0;
};

// The programs on the user's desktop.
class ProgramWindows {
 public:
  virtual ~ProgramWindows() = default;
  // Posts WM_CLOSE to every top-level window of the class (as the program's own Exit does)
  // and waits until their processes have ended, at most timeout_ms; the number of windows
  // asked.
  virtual int CloseAndWait(const std::u16string& window_class, uint32_t timeout_ms) = 0;
};

}  // namespace sorvel
