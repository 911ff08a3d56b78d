// System-wide hotkeys: global atoms for their ids, and hidden windows of the user-interface
// thread that turn WM_HOTKEY into a call.
#include "platform/win32.h"

#include <memory>

#include "platform/error.h"

namespace ravak::win32 {

namespace {

constexpr wchar_t kHotkeyWindowClass[] = L"RavakHotKeyWindow";

LRESULT CALLBACK HotkeyWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_HOTKEY) {
    auto* handler =
        reinterpret_cast<std::function<void()>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (handler && *handler) (*handler)();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterHotkeyWindowClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = HotkeyWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kHotkeyWindowClass;
  RegisterClassW(&wc);
  done = true;
}

}  // namespace

uint16_t HotkeyRegistrar::AddHotkeyAtom(const std::u16string& name) {
  return GlobalAddAtomW(ToWide(name).c_str());
}

void HotkeyRegistrar::DeleteHotkeyAtom(uint16_t atom) {
  GlobalDeleteAtom(atom);
}

WindowId HotkeyRegistrar::CreateHotkeyWindow(std::function<void()> on_hotkey) {
  RegisterHotkeyWindowClass();
  HWND hwnd = CreateWindowExW(0, kHotkeyWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) throw Error("Cannot create the hotkey window: " + SystemErrorText(GetLastError()));
  auto* handler = new std::function<void()>(std::move(on_hotkey));
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(handler));
  return reinterpret_cast<WindowId>(hwnd);
}

void HotkeyRegistrar::DestroyHotkeyWindow(WindowId window) {
  HWND hwnd = reinterpret_cast<HWND>(window);
  std::unique_ptr<std::function<void()>> handler(
      reinterpret_cast<std::function<void()>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(hwnd);
}

bool HotkeyRegistrar::Register(WindowId window, uint16_t id, unsigned modifiers, unsigned key) {
  // One message per press, not one per repeat of a key held down (Windows 7 and later; a
  // system that does not know the flag is asked without it).
  constexpr unsigned kNoRepeat = 0x4000;  // MOD_NOREPEAT
  const HWND hwnd = reinterpret_cast<HWND>(window);
  return RegisterHotKey(hwnd, id, modifiers | kNoRepeat, key) != FALSE ||
         (GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED &&
          RegisterHotKey(hwnd, id, modifiers, key) != FALSE);
}

void HotkeyRegistrar::Unregister(WindowId window, uint16_t id) {
  UnregisterHotKey(reinterpret_cast<HWND>(window), id);
}

}  // namespace ravak::win32
