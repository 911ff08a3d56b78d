#include "hook/hook_win32.h"

#include <aclapi.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

#include "hookdll/kerrak_image.h"

#include "platform/error.h"
#include "platform/object_security.h"
#include "platform/object_security_win32.h"
#include "platform/win32.h"

namespace ravak::win32 {

namespace {

constexpr wchar_t kKeyWindowClass[] = L"RavakHookKeyWindow";
constexpr wchar_t kReleaseWindowClass[] = L"RavakHookReleaseWindow";

using KeyHandler = std::function<void(uint16_t)>;

LRESULT CALLBACK KeyWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_KEYUP) {
    auto* handler = reinterpret_cast<KeyHandler*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (handler && *handler) (*handler)(static_cast<uint16_t>(wp));
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ReleaseWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_MOUSEMOVE) return 0;
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterOnce(const wchar_t* name, WNDPROC proc) {
  WNDCLASSW wc{};
  if (GetClassInfoW(GetModuleHandleW(nullptr), name, &wc)) return;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = name;
  RegisterClassW(&wc);
}

HWND CreateHidden(const wchar_t* class_name, WNDPROC proc) {
  RegisterOnce(class_name, proc);
  HWND hwnd = CreateWindowExW(0, class_name, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) throw Error("Cannot create the hook window: " + SystemErrorText(GetLastError()));
  return hwnd;
}

bool Down(int vk) {
  return (GetKeyState(vk) & 0x8000) != 0;
}

}  // namespace

// --- KerrakHost ---------------------------------------------------------------------------

KerrakHost::~KerrakHost() {
  CloseKerrak();
  if (record_) CloseHandle(record_);
}

bool KerrakHost::CreateSharedRecord() {
  if (!record_)
    record_ = CreatePrivateFileMapping(L"" KERRAK_MAPPING_NAME, KERRAK_HOOK_REC_SIZE).handle;
  return record_ != nullptr;
}

bool KerrakHost::OpenKerrak(const std::u16string& path) {
  CloseKerrak();
  const std::wstring wide = ToWide(path);
  // Held open for as long as it is loaded, shared for reading only: Windows loads it by this
  // path into every program that gets keys, later, and nobody may replace or rename it
  // meanwhile. What is held is checked to be the carried image, byte for byte.
  held_ = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held_ == INVALID_HANDLE_VALUE) {
    held_ = nullptr;
    return false;
  }
  const std::span<const uint8_t> image = KerrakImage();
  std::vector<uint8_t> bytes(image.size() + 1);
  DWORD got = 0, total = 0;
  while (total < bytes.size() &&
         ReadFile(held_, bytes.data() + total, static_cast<DWORD>(bytes.size() - total), &got,
                  nullptr) &&
         got != 0) {
    total += got;
  }
  if (total != image.size() || !std::equal(image.begin(), image.end(), bytes.begin())) {
    CloseKerrak();
    return false;
  }
  // A full path only: the library search path is never consulted for Kerrak itself.
  module_ = LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module_) CloseKerrak();
  return module_ != nullptr;
}

bool KerrakHost::ResolveEntryPoints() {
  if (!module_) return false;
  get_rec_ = reinterpret_cast<GetRecFn>(
      reinterpret_cast<void*>(GetProcAddress(module_, "GETHOOKRECPOINTER")));
  start_ = reinterpret_cast<VoidFn>(
      reinterpret_cast<void*>(GetProcAddress(module_, "STARTKEYBOARDHOOK")));
  stop_ = reinterpret_cast<VoidFn>(
      reinterpret_cast<void*>(GetProcAddress(module_, "STOPKEYBOARDHOOK")));
  return get_rec_ && start_ && stop_;
}

void KerrakHost::CloseKerrak() {
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
  if (held_) CloseHandle(held_);
  held_ = nullptr;
  get_rec_ = nullptr;
  start_ = stop_ = nullptr;
}

HookRec* KerrakHost::CallGetHookRecPointer() {
  return get_rec_ ? get_rec_() : nullptr;
}

void KerrakHost::CallStartKeyboardHook() {
  if (start_) start_();
}

void KerrakHost::CallStopKeyboardHook() {
  if (stop_) stop_();
}

WindowId KerrakHost::CreateKeyWindow(std::function<void(uint16_t key)> on_key) {
  HWND hwnd = CreateHidden(kKeyWindowClass, KeyWindowProc);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                    reinterpret_cast<LONG_PTR>(new KeyHandler(std::move(on_key))));
  return reinterpret_cast<WindowId>(hwnd);
}

WindowId KerrakHost::CreateReleaseWindow() {
  return reinterpret_cast<WindowId>(CreateHidden(kReleaseWindowClass, ReleaseWindowProc));
}

bool KerrakHost::IsKeyWindow(uint32_t window) {
  const HWND hwnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(window)));
  wchar_t class_name[std::size(kKeyWindowClass) + 1] = L"";
  return IsWindow(hwnd) && GetClassNameW(hwnd, class_name, std::size(class_name)) != 0 &&
         lstrcmpW(class_name, kKeyWindowClass) == 0;
}

void KerrakHost::DestroyHookWindow(WindowId window) {
  HWND hwnd = reinterpret_cast<HWND>(window);
  std::unique_ptr<KeyHandler> handler(
      reinterpret_cast<KeyHandler*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(hwnd);
}

ShiftState KerrakHost::CurrentShiftState() {
  ShiftState s;
  s.shift = Down(VK_SHIFT);
  s.ctrl = Down(VK_CONTROL);
  s.alt = Down(VK_MENU);
  return s;
}

// --- KerrakFiles --------------------------------------------------------------------------

std::u16string KerrakFiles::SystemFolder() {
  const UINT n = GetSystemDirectoryW(nullptr, 0);
  if (n == 0) return {};
  std::wstring buffer(n, L'\0');
  const UINT got = GetSystemDirectoryW(buffer.data(), n);
  if (got == 0 || got >= n) return {};
  buffer.resize(got);
  return FromWide(buffer);
}

std::u16string KerrakFiles::LocalAppDataFolder() {
  const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
  if (n == 0) return {};
  std::wstring buffer(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer.data(), n);
  if (got == 0 || got >= n) return {};
  buffer.resize(got);
  return FromWide(buffer);
}

std::u16string KerrakFiles::ProgramFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got == 0) return {};
    if (got < buffer.size()) {
      buffer.resize(got);
      break;
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
  const std::size_t slash = buffer.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::u16string() : FromWide(buffer.substr(0, slash));
}

bool KerrakFiles::RunsElevated() {
  return ProcessIntegrity() >= kHighIntegrity;
}

namespace {

// The folder's full, long name, for comparing; empty when it cannot be had.
std::wstring LongFullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2] = L"";
  const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
  if (n == 0 || n >= MAX_PATH * 2) return {};
  wchar_t long_name[MAX_PATH * 2] = L"";
  const DWORD m = GetLongPathNameW(full, long_name, MAX_PATH * 2);
  std::wstring result = m == 0 || m >= MAX_PATH * 2 ? std::wstring(full) : std::wstring(long_name);
  while (!result.empty() && (result.back() == L'\\' || result.back() == L'/')) result.pop_back();
  return result;
}

bool Inside(const std::wstring& path, const std::wstring& folder) {
  if (folder.empty() || path.size() < folder.size()) return false;
  if (CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                           static_cast<int>(folder.size()), TRUE) != CSTR_EQUAL) {
    return false;
  }
  return path.size() == folder.size() || path[folder.size()] == L'\\';
}

// The folders only administrators can write into: the System folder and the Program Files
// folders, as the machine's own settings name them (a user's environment could name others).
std::vector<std::wstring> ProtectedFolders() {
  std::vector<std::wstring> folders;
  wchar_t system[MAX_PATH] = L"";
  if (const UINT n = GetSystemDirectoryW(system, MAX_PATH); n > 0 && n < MAX_PATH)
    folders.push_back(LongFullPath(system));
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
    for (const wchar_t* name : {L"ProgramFilesDir", L"ProgramFilesDir (x86)", L"ProgramW6432Dir"}) {
      wchar_t value[MAX_PATH] = L"";
      DWORD size = sizeof value - sizeof(wchar_t);
      DWORD type = 0;
      if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
              ERROR_SUCCESS &&
          type == REG_SZ && value[0]) {
        folders.push_back(LongFullPath(value));
      }
    }
    RegCloseKey(key);
  }
  return folders;
}

// Whether the folder's access list lets a group of ordinary users (everyone, the users, the
// authenticated users, whoever logs on interactively, the guests) add, replace or remove files.
bool OrdinaryUsersMayWrite(const std::wstring& folder) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS) {
    return true;  // unknown: taken as writable
  }
  bool writable = dacl == nullptr;  // no list at all: anyone may do anything
  constexpr DWORD kWrite = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE |
                           WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
  const WELL_KNOWN_SID_TYPE groups[] = {WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid,
                                        WinInteractiveSid, WinBuiltinGuestsSid};
  for (DWORD i = 0; dacl && !writable && i < dacl->AceCount; ++i) {
    ACE_HEADER* header = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
      continue;
    const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
    if (!(ace->Mask & kWrite)) continue;
    for (const WELL_KNOWN_SID_TYPE group : groups) {
      if (IsWellKnownSid(const_cast<DWORD*>(&ace->SidStart), group)) writable = true;
    }
  }
  LocalFree(sd);
  return writable;
}

}  // namespace

bool KerrakFiles::FolderProtected(const std::u16string& folder) {
  const std::wstring path = LongFullPath(ToWide(folder));
  if (path.empty()) return false;
  bool inside = false;
  for (const std::wstring& protected_folder : ProtectedFolders())
    inside = inside || Inside(path, protected_folder);
  return inside && !OrdinaryUsersMayWrite(path);
}

bool KerrakFiles::FileExists(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool KerrakFiles::CreateFolders(const std::u16string& path, std::string& error_text) {
  const std::wstring wide = ToWide(path);
  // Every prefix that ends before a delimiter, then the whole path; the drive or share root
  // fails with "already exists" or "access denied", which the final check sorts out.
  for (std::size_t i = 1; i <= wide.size(); ++i) {
    if (i < wide.size() && wide[i] != L'\\' && wide[i] != L'/') continue;
    CreateDirectoryW(wide.substr(0, i).c_str(), nullptr);
  }
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  error_text = SystemErrorText(GetLastError());
  return false;
}

std::vector<uint8_t> KerrakFiles::ReadFileStart(const std::u16string& path, std::size_t max_bytes) {
  // Shared every way: a copy may be loaded, or being replaced, by another program.
  HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::vector<uint8_t> bytes(max_bytes);
  std::size_t total = 0;
  DWORD got = 0;
  while (total < bytes.size() &&
         ReadFile(file, bytes.data() + total, static_cast<DWORD>(bytes.size() - total), &got,
                  nullptr) &&
         got != 0) {
    total += got;
  }
  CloseHandle(file);
  bytes.resize(total);
  return bytes;
}

bool KerrakFiles::WriteNewFile(const std::u16string& path, std::span<const uint8_t> bytes,
                               std::string& error_text) {
  const std::wstring wide = ToWide(path);
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error_text = SystemErrorText(GetLastError());
    return false;
  }
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  const BOOL closed = CloseHandle(file);
  if (ok && closed && written == bytes.size()) return true;
  // A cut-short copy would be taken for a good one at every later start: remove it.
  DeleteFileW(wide.c_str());
  error_text = SystemErrorText(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
  return false;
}

}  // namespace ravak::win32
