#include "app/csv_file_win32.h"

#include <commdlg.h>

#include <vector>

#include "app/resource.h"
#include "platform/win32.h"
#include "platform/win32_window.h"

namespace ravak::win32 {

namespace {

// Closes a file handle on every way out.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (Valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  // Closes now; false when the system reports the file not written.
  bool Close() {
    const bool closed = CloseHandle(handle_) != FALSE;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

std::wstring SystemError(HINSTANCE instance, UINT message) {
  return LoadText(instance, message, Widen(SystemErrorText(GetLastError())));
}

}  // namespace

std::optional<std::wstring> ChooseCsvFile(HWND owner, HINSTANCE instance, bool save,
                                          const std::wstring& title) {
  // "CSV files (*.csv)", "*.csv", "All files (*.*)", "*.*", each ended by a NUL, then one more.
  std::wstring filter = LoadText(instance, IDS_CSV_FILES);
  filter += L'\0';
  filter += L"*.csv";
  filter += L'\0';
  filter += LoadText(instance, IDS_ALL_FILES);
  filter += L'\0';
  filter += L"*.*";
  filter += L'\0';
  std::vector<wchar_t> path(32768, L'\0');
  if (save) {
    const std::wstring name = LoadText(instance, IDS_EXPORT_FILE_NAME);
    name.copy(path.data(), path.size() - 1);
  }
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = L"csv";
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  return std::wstring(path.data());
}

bool ReadCsvFile(HINSTANCE instance, const std::wstring& path, std::string& bytes,
                 std::wstring& error) {
  // Shared for writing too: a spreadsheet that has the file open keeps it so.
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file.Valid() || !GetFileSizeEx(file.get(), &size)) {
    error = SystemError(instance, IDS_FILE_NOT_READ);
    return false;
  }
  if (static_cast<unsigned long long>(size.QuadPart) > kMaxCsvFileBytes) {
    error = LoadText(instance, IDS_FILE_TOO_LARGE, std::to_wstring(kMaxCsvFileBytes >> 20));
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read,
                  nullptr)) {
      error = SystemError(instance, IDS_FILE_NOT_READ);
      return false;
    }
    if (read == 0) break;  // shorter than it was a moment ago
    done += read;
  }
  bytes.resize(done);
  return true;
}

bool WriteCsvFile(HINSTANCE instance, const std::wstring& path, const std::string& bytes,
                  std::wstring& error) {
  // Written beside the file under another name, and put in its place once complete.
  const std::wstring partial = path + L".part";
  bool written = false;
  {
    FileHandle file(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
      error = SystemError(instance, IDS_FILE_NOT_WRITTEN);
      return false;
    }
    DWORD done = 0;
    written =
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
        done == bytes.size() && FlushFileBuffers(file.get());
    written = file.Close() && written;
  }
  if (written && MoveFileExW(partial.c_str(), path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  error = SystemError(instance, IDS_FILE_NOT_WRITTEN);
  DeleteFileW(partial.c_str());
  return false;
}

}  // namespace ravak::win32
