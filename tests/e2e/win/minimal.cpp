// ravak-minimal: the least Win32 program (a hidden window and a message loop), the baseline
// against which Ravak's memory is measured.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"RavakMinimal";
  RegisterClassW(&wc);
  CreateWindowExW(0, wc.lpszClassName, L"Ravak Minimal", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                  instance, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
