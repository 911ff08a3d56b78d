#include "app/app_window_win32.h"

#include "app/resource.h"
#include "platform/error.h"
#include "platform/win32.h"

namespace ravak::win32 {

namespace {
constexpr wchar_t kApplicationClass[] = L"RavakApplication";
}  // namespace

ApplicationWindow::ApplicationWindow(HINSTANCE instance, ApplicationEvents& events)
    : events_(events) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_RAVAK));
  wc.lpszClassName = kApplicationClass;
  RegisterClassW(&wc);
  hwnd_ = CreateWindowExW(0, kApplicationClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                          instance, this);
  if (!hwnd_) throw Error("Cannot create the main window: " + SystemErrorText(GetLastError()));
}

ApplicationWindow::~ApplicationWindow() {
  if (IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void ApplicationWindow::Close() {
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK ApplicationWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = WindowObject<ApplicationWindow>(hwnd, msg, lp);
  if (self) {
    switch (msg) {
      case WM_QUERYENDSESSION:
        self->events_.Closing();
        return TRUE;
      case WM_CLOSE:
        self->events_.Closing();
        DestroyWindow(hwnd);
        return 0;
      case WM_DESTROY:
        self->events_.Closed();
        PostQuitMessage(0);
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace ravak::win32
