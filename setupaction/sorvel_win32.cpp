// Sorvel.dll: the installer's entry points and the Windows calls behind the removal.
#include <windows.h>
// windows.h first.
#include <msi.h>
#include <msiquery.h>
#include <shellapi.h>

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

class Win32System : public RemovalSystem {
 public:
  std::optional<std::vector<std::u16string>> FindFiles(const std::u16string& pattern) override {
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(W(pattern), &data);
    if (find == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<std::u16string> names;
    do {
      names.push_back(U(data.cFileName));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
  }

  std::optional<std::u16string> ShortPath(const std::u16string& path) override {
    DWORD need = GetShortPathNameW(W(path), nullptr, 0);
    for (int tries = 0; need != 0 && tries < 3; ++tries) {
      std::vector<wchar_t> buffer(need, L'\0');
      const DWORD got = GetShortPathNameW(W(path), buffer.data(), need);
      if (got == 0) break;
      if (got < need) return std::u16string(U(buffer.data()));
      need = got;  // the path changed between the calls
    }
    return std::nullopt;
  }

  std::optional<std::string> ToAnsi(const std::u16string& text) override {
    if (text.empty()) return std::string();
    const int wide = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_THREAD_ACP, 0, W(text), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::nullopt;
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_THREAD_ACP, 0, W(text), wide, ansi.data(), bytes, nullptr,
                            nullptr) != bytes) {
      return std::nullopt;
    }
    // A character the code page lacks comes out as "?" or as a look-alike (best fit); either
    // way the bytes name another path. Only a conversion that reads back unchanged is kept.
    const int back =
        MultiByteToWideChar(CP_THREAD_ACP, MB_ERR_INVALID_CHARS, ansi.data(), bytes, nullptr, 0);
    if (back != wide) return std::nullopt;
    std::u16string round(static_cast<std::size_t>(back), u'\0');
    MultiByteToWideChar(CP_THREAD_ACP, MB_ERR_INVALID_CHARS, ansi.data(), bytes, W(round.data()),
                        back);
    if (round != text) return std::nullopt;
    return ansi;
  }

  std::u16string TempFolder() override {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH, buffer);
    if (n == 0 || n > MAX_PATH) return {};
    return U(buffer);
  }

  std::u16string CreateTempFile(const std::u16string& folder,
                                const std::u16string& prefix) override {
    wchar_t buffer[MAX_PATH + 1] = {};
    if (GetTempFileNameW(W(folder), W(prefix), 0, buffer) == 0) return {};
    return U(buffer);
  }

  bool Delete(const std::u16string& path) override { return DeleteFileW(W(path)) != 0; }

  bool WriteNewFile(const std::u16string& path, const std::string& bytes) override {
    const HANDLE file = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return true;
  }

  void StartHidden(const std::u16string& file, bool elevate) override {
    if (elevate) {
      SHELLEXECUTEINFOW info = {};
      info.cbSize = sizeof info;
      info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
      info.lpVerb = L"runas";
      info.lpFile = W(file);
      info.nShow = SW_HIDE;
      ShellExecuteExW(&info);
    } else {
      ShellExecuteW(nullptr, L"open", W(file), nullptr, nullptr, SW_HIDE);
    }
  }
};

}  // namespace
}  // namespace sorvel

// The custom actions. The uninstall never fails because of them: both report success whatever
// happens, an abandoned action too.
extern "C" UINT __stdcall RemoveExternalUIStub(MSIHANDLE install) {
  sorvel::RunAbandonable(
      [](MSIHANDLE handle) {
        sorvel::Win32Session session(handle);
        sorvel::RemoveExternalUIStub(session);
      },
      install);
  return ERROR_SUCCESS;
}

extern "C" UINT __stdcall DoRemoveExternalUIStub(MSIHANDLE install) {
  sorvel::RunAbandonable(
      [](MSIHANDLE handle) {
        sorvel::Win32Session session(handle);
        sorvel::Win32System system;
        sorvel::DoRemoveExternalUIStub(session, system);
      },
      install);
  return ERROR_SUCCESS;
}
