#include "platform/win32.h"

#include <commctrl.h>

namespace ravak::win32 {

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& s) {
  if (s.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::wstring ToWide(const std::u16string& s) {
  return std::wstring(s.begin(), s.end());
}
std::u16string FromWide(const std::wstring& s) {
  return std::u16string(s.begin(), s.end());
}

std::string SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  if (text.empty()) return "System Error.  Code: " + std::to_string(code) + ".";
  return Narrow(text);
}

// --- common controls and subclassing ------------------------------------------------------

bool LoadCommonControls() {
  static bool loaded = false;
  if (loaded) return true;
  HMODULE module = LoadLibraryW(L"comctl32.dll");
  if (!module) return false;
  using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init = reinterpret_cast<InitFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "InitCommonControlsEx")));
  if (!init) return false;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_HOTKEY_CLASS |
                                                     ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  loaded = init(&controls) != FALSE;
  return loaded;
}

namespace {

constexpr wchar_t kOriginalProc[] = L"RavakOriginalProc";
constexpr wchar_t kSubclassProc[] = L"RavakSubclassProc";
constexpr wchar_t kSubclassData[] = L"RavakSubclassData";

LRESULT CALLBACK SubclassTrampoline(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto proc = reinterpret_cast<SubclassProc>(GetPropW(hwnd, kSubclassProc));
  if (!proc) return CallOriginal(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    const LRESULT r = proc(hwnd, msg, wp, lp, GetPropW(hwnd, kSubclassData));
    Unsubclass(hwnd);
    return r;
  }
  return proc(hwnd, msg, wp, lp, GetPropW(hwnd, kSubclassData));
}

}  // namespace

void Subclass(HWND hwnd, SubclassProc proc, void* data) {
  if (!hwnd) return;
  SetPropW(hwnd, kSubclassProc, reinterpret_cast<HANDLE>(proc));
  SetPropW(hwnd, kSubclassData, data);
  if (!GetPropW(hwnd, kOriginalProc)) {
    const LONG_PTR original =
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassTrampoline));
    SetPropW(hwnd, kOriginalProc, reinterpret_cast<HANDLE>(original));
  }
}

void Unsubclass(HWND hwnd) {
  if (!hwnd) return;
  if (HANDLE original = GetPropW(hwnd, kOriginalProc)) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  }
  RemovePropW(hwnd, kOriginalProc);
  RemovePropW(hwnd, kSubclassProc);
  RemovePropW(hwnd, kSubclassData);
}

LRESULT CallOriginal(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto original = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kOriginalProc));
  return original ? CallWindowProcW(original, hwnd, msg, wp, lp)
                  : DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace ravak::win32
