// Sorvel.dll: the installer's entry points and the Windows calls behind the removal.
#include <windows.h>
// windows.h first.
#include <msi.h>
#include <msiquery.h>
#include <winternl.h>

#include <string>
#include <vector>

#include "setupaction/sorvel_runtime_win32.h"
#include "setupaction/stub_removal.h"

namespace sorvel {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

const wchar_t* W(const std::u16string& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
}
wchar_t* W(char16_t* s) {
  return reinterpret_cast<wchar_t*>(s);
}
std::u16string U(const wchar_t* s) {
  return reinterpret_cast<const char16_t*>(s);
}

class Win32Session : public InstallerSession {
 public:
  explicit Win32Session(MSIHANDLE install) : install_(install) {}
  int EvaluateCondition(const std::u16string& condition) override {
    return MsiEvaluateConditionW(install_, W(condition));
  }
  InstallerHandle CreateRecord(uint32_t fields) override { return MsiCreateRecord(fields); }
  uint32_t RecordSetString(InstallerHandle record, uint32_t field,
                           const std::u16string& value) override {
    return MsiRecordSetStringW(record, field, W(value));
  }
  uint32_t FormatRecord(InstallerHandle record, char16_t* buffer, uint32_t* size) override {
    DWORD n = *size;
    const UINT r = MsiFormatRecordW(install_, record, W(buffer), &n);
    *size = n;
    return r;
  }
  uint32_t CloseHandle(InstallerHandle handle) override { return MsiCloseHandle(handle); }
  uint32_t SetProperty(const std::u16string& name, const std::u16string& value) override {
    return MsiSetPropertyW(install_, W(name), W(value));
  }
  uint32_t DoAction(const std::u16string& action) override {
    return MsiDoActionW(install_, W(action));
  }
  uint32_t GetProperty(const std::u16string& name, char16_t* buffer, uint32_t* size) override {
    DWORD n = *size;
    const UINT r = MsiGetPropertyW(install_, W(name), W(buffer), &n);
    *size = n;
    return r;
  }

 private:
  MSIHANDLE install_;
};

// Folders are held open while the removal works inside them; every entry is opened by its
// name relative to its folder's handle, so a folder renamed or replaced meanwhile changes
// nothing, and never through a reparse point.
class Win32Removal : public RemovalSystem {
 public:
  FolderHandle OpenFolder(const std::u16string& path) override {
    const HANDLE folder = CreateFileW(W(path), kFolderAccess, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(folder, &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ::CloseHandle(folder);
      return 0;
    }
    return reinterpret_cast<FolderHandle>(folder);
  }

  FolderHandle OpenChildFolder(FolderHandle folder, const std::u16string& name) override {
    return reinterpret_cast<FolderHandle>(OpenChild(folder, name, kFolderAccess, true));
  }

  void CloseFolder(FolderHandle folder) override {
    ::CloseHandle(reinterpret_cast<HANDLE>(folder));
  }

  bool RemoveFile(FolderHandle folder, const std::u16string& name) override {
    // Without the right to change its attributes the file may still be deletable.
    HANDLE file = OpenChild(folder, name, DELETE | FILE_WRITE_ATTRIBUTES, false);
    if (file == nullptr) file = OpenChild(folder, name, DELETE, false);
    if (file == nullptr) return false;
    BY_HANDLE_FILE_INFORMATION info;
    // A read-only file cannot be deleted. Its attribute is cleared only when this name is
    // its only one: another name's file is not changed.
    if (GetFileInformationByHandle(file, &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) && info.nNumberOfLinks == 1) {
      FILE_BASIC_INFO basic = {};
      basic.FileAttributes = (info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY)
                                 ? (info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY)
                                 : FILE_ATTRIBUTE_NORMAL;
      SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
    }
    return DeleteOnClose(file);
  }

  bool RemoveEmptyFolder(FolderHandle folder, const std::u16string& name) override {
    const HANDLE child = OpenChild(folder, name, DELETE, true);
    // The system refuses to mark a folder that is not empty.
    return child != nullptr && DeleteOnClose(child);
  }

 private:
  static constexpr DWORD kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE;
  static constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

  // name inside folder, opened as it is (a reparse point is not followed) and then refused
  // when it is one, or when the system followed a link all the same and it lies elsewhere
  // than inside folder; nullptr then and when it is missing or of the other kind.
  static HANDLE OpenChild(FolderHandle folder, const std::u16string& name, DWORD access,
                          bool want_folder) {
    UNICODE_STRING object_name;
    object_name.Buffer = const_cast<PWSTR>(W(name));
    object_name.Length = object_name.MaximumLength =
        static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &object_name, OBJ_CASE_INSENSITIVE,
                               reinterpret_cast<HANDLE>(folder), nullptr);
    IO_STATUS_BLOCK status;
    HANDLE child = nullptr;
    const ULONG options = FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT |
                          (want_folder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE);
    if (NtCreateFile(&child, access | SYNCHRONIZE | FILE_READ_ATTRIBUTES, &attributes, &status,
                     nullptr, 0, kShareAll, FILE_OPEN, options, nullptr, 0) < 0) {
      return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(child, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !SamePath(FinalPath(child), JoinPath(FinalPath(reinterpret_cast<HANDLE>(folder)), name))) {
      ::CloseHandle(child);
      return nullptr;
    }
    return child;
  }

  static std::u16string FinalPath(HANDLE handle) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
      const DWORD n =
          GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
      if (n == 0) return {};
      if (n < buffer.size()) return U(buffer.data());
      buffer.resize(n + 1);
    }
    return {};
  }

  static std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) {
    if (folder.empty()) return {};
    return folder.back() == u'\\' ? folder + name : folder + u'\\' + name;
  }

  static bool SamePath(const std::u16string& a, const std::u16string& b) {
    return !a.empty() && CompareStringOrdinal(W(a), static_cast<int>(a.size()), W(b),
                                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
  }

  // Marks the entry for deletion and closes it; the system removes it at the close.
  static bool DeleteOnClose(HANDLE entry) {
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = TRUE;
    const bool marked =
        SetFileInformationByHandle(entry, FileDispositionInfo, &disposition, sizeof disposition);
    ::CloseHandle(entry);
    return marked;
  }
};

class Win32Programs : public ProgramWindows {
 public:
  int CloseAndWait(const std::u16string& window_class, uint32_t timeout_ms) override {
    std::vector<HANDLE> processes;
    int asked = 0;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, W(window_class), nullptr)) != nullptr) {
      DWORD process_id = 0;
      GetWindowThreadProcessId(window, &process_id);
      const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, process_id);
      if (PostMessageW(window, WM_CLOSE, 0, 0)) ++asked;
      if (process != nullptr && processes.size() < MAXIMUM_WAIT_OBJECTS) {
        processes.push_back(process);
      } else if (process != nullptr) {
        ::CloseHandle(process);
      }
    }
    if (!processes.empty()) {
      WaitForMultipleObjects(static_cast<DWORD>(processes.size()), processes.data(), TRUE,
                             timeout_ms);
    }
    for (const HANDLE process : processes) ::CloseHandle(process);
    return asked;
  }
};

// The architecture this Sorvel, and so the package and the program it installs, is built for:
// the name of the folder of the user's copy of Kerrak.
#ifdef _WIN64
constexpr char16_t kArchitecture[] = u"x64";
#else
constexpr char16_t kArchitecture[] = u"x86";
#endif

}  // namespace
}  // namespace sorvel

// The custom actions. The uninstall never fails because of them: both report success whatever
// happens, an abandoned action too.
extern "C" UINT __stdcall RemoveExternalUIStub(MSIHANDLE install) {
  sorvel::RunAbandonable(
      [](MSIHANDLE handle) {
        sorvel::Win32Session session(handle);
        sorvel::Win32Programs programs;
        sorvel::RemoveExternalUIStub(session, programs);
      },
      install);
  return ERROR_SUCCESS;
}

extern "C" UINT __stdcall DoRemoveExternalUIStub(MSIHANDLE install) {
  sorvel::RunAbandonable(
      [](MSIHANDLE handle) {
        sorvel::Win32Session session(handle);
        sorvel::Win32Removal system;
        sorvel::DoRemoveExternalUIStub(session, system, sorvel::kArchitecture);
      },
      install);
  return ERROR_SUCCESS;
}
