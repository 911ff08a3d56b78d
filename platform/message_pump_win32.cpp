// The message pump over the calling thread's Win32 message queue, with the keyboard navigation
// of the modeless dialogs it is given, and the main message loop.
#include "platform/win32.h"

namespace ravak::win32 {

void MessagePump::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      exit_code_ = static_cast<int>(msg.wParam);
      continue;
    }
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool MessagePump::PreTranslate(MSG& msg) {
  for (HWND dialog : dialogs_) {
    if (IsWindowVisible(dialog) && IsDialogMessageW(dialog, &msg)) return true;
  }
  return false;
}

void MessagePump::Sleep(uint32_t ms) {
  ::Sleep(ms);
}

void MessagePump::Wait(uint32_t ms) {
  MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  ProcessMessages();
}

uint64_t MessagePump::NowMs() {
  return GetTickCount64();
}

int MessagePump::Run() {
  MSG msg;
  while (!terminated_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      exit_code_ = got == 0 ? static_cast<int>(msg.wParam) : 1;
      terminated_ = true;
      break;
    }
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return exit_code_;
}

}  // namespace ravak::win32
