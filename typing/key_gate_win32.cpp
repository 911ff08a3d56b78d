#include "typing/key_gate_win32.h"

#include "platform/error.h"
#include "platform/win32.h"

namespace ravak::win32 {

namespace {

LowLevelKeyGate* instance = nullptr;

constexpr wchar_t kWindowClass[] = L"RavakKeyGate";
// To the user-interface thread's window: judge the question the hook asks; drain what is held.
constexpr UINT kQuestionMessage = WM_APP + 1;
constexpr UINT kDrainMessage = WM_APP + 2;
// To the hook thread: a hold began (the ceiling's clock runs); set the hooks again; end.
constexpr UINT kHoldMessage = WM_APP + 1;
constexpr UINT kRenewMessage = WM_APP + 2;
constexpr UINT kQuitMessage = WM_APP + 3;

bool IsButtonDown(WPARAM message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
         message == WM_XBUTTONDOWN;
}

void SendStrokes(const std::vector<KeyStroke>& strokes) {
  Keyboard keyboard;
  for (const KeyStroke& k : strokes) {
    keyboard.KeyEvent(k.vk, k.scan,
                      (k.up ? kKeyEventKeyUp : 0) | (k.extended ? kKeyEventExtended : 0));
  }
}

}  // namespace

LowLevelKeyGate::LowLevelKeyGate(KeyGate& gate) : gate_(gate) {
  instance = this;
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kWindowClass;
  RegisterClassW(&wc);
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            wc.hInstance, nullptr);
  if (!window_) throw Error("Cannot create the key window: " + SystemErrorText(GetLastError()));
  gate_.drain_requested = [this] { PostMessageW(window_, kDrainMessage, 0, 0); };
  gate_.hold_started = [this] { PostThreadMessageW(thread_id_, kHoldMessage, 0, 0); };
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 64 * 1024, ThreadMain, this, STACK_SIZE_PARAM_IS_A_RESERVATION,
                         &thread_id_);
  if (thread_ && ready_) WaitForSingleObject(ready_, 5000);
}

LowLevelKeyGate::~LowLevelKeyGate() {
  if (thread_) {
    PostThreadMessageW(thread_id_, kQuitMessage, 0, 0);
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
  }
  if (ready_) CloseHandle(ready_);
  gate_.drain_requested = nullptr;
  gate_.hold_started = nullptr;
  if (window_) DestroyWindow(window_);
  instance = nullptr;
}

DWORD WINAPI LowLevelKeyGate::ThreadMain(void* self) {
  static_cast<LowLevelKeyGate*>(self)->Loop();
  return 0;
}

void LowLevelKeyGate::SetHooks() {
  if (keyboard_hook_) UnhookWindowsHookEx(keyboard_hook_);
  if (mouse_hook_) UnhookWindowsHookEx(mouse_hook_);
  keyboard_hook_ = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, GetModuleHandleW(nullptr), 0);
  mouse_hook_ = SetWindowsHookExW(WH_MOUSE_LL, MouseProc, GetModuleHandleW(nullptr), 0);
  last_seen_ = GetTickCount64();
}

void LowLevelKeyGate::Loop() {
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from here on
  SetHooks();
  SetEvent(ready_);
  for (;;) {
    DWORD timeout = INFINITE;
    if (const uint64_t deadline = gate_.Deadline()) {
      const uint64_t now = GetTickCount64();
      timeout = deadline > now ? static_cast<DWORD>(deadline - now) : 0;
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == kQuitMessage) quit = true;
      if (msg.message == kRenewMessage) SetHooks();
      DispatchMessageW(&msg);
    }
    if (quit) break;
    const uint64_t deadline = gate_.Deadline();
    if (deadline && GetTickCount64() >= deadline) {
      // Sent from a thread of its own: the hooks must go on answering while it sends.
      if (HANDLE sender = CreateThread(nullptr, 64 * 1024, LetGoThread, this,
                                       STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr)) {
        CloseHandle(sender);
      }
      // The next deadline is the next hold's: wait for it to begin.
      while (gate_.Deadline() && gate_.Deadline() <= GetTickCount64()) {
        MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
          if (msg.message == kQuitMessage) quit = true;
          DispatchMessageW(&msg);
        }
        if (quit) break;
      }
      if (quit) break;
    }
  }
  if (keyboard_hook_) UnhookWindowsHookEx(keyboard_hook_);
  if (mouse_hook_) UnhookWindowsHookEx(mouse_hook_);
}

DWORD WINAPI LowLevelKeyGate::LetGoThread(void* self) {
  static_cast<LowLevelKeyGate*>(self)->LetGo();
  return 0;
}

void LowLevelKeyGate::LetGo() {
  std::lock_guard sender(gate_.SendingLock());
  SendStrokes(gate_.LetGoAtCeiling());
}

bool LowLevelKeyGate::Offer(UserInput& input) {
  if (gate_.Arrive(input) == KeyGate::Admission::kHeld) return input.kind != UserInput::Kind::kKey;
  // The user-interface thread judges it now; the hook waits and handles nothing else meanwhile,
  // so the input that follows waits its turn.
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window_, kQuestionMessage, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kAskMs,
                      &result);
  bool drain = false;
  const bool passes = gate_.Settle(input, drain);
  if (drain) PostMessageW(window_, kDrainMessage, 0, 0);
  return passes;
}

LRESULT CALLBACK LowLevelKeyGate::KeyboardProc(int code, WPARAM wp, LPARAM lp) {
  LowLevelKeyGate* self = instance;
  if (code == HC_ACTION && self) {
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
    self->last_seen_ = GetTickCount64();
    const KeyStroke stroke{static_cast<uint8_t>(info->vkCode), static_cast<uint8_t>(info->scanCode),
                           (info->flags & LLKHF_UP) != 0, (info->flags & LLKHF_EXTENDED) != 0};
    if ((info->flags & LLKHF_INJECTED) && info->dwExtraInfo == kOwnInputTag) {
      self->gate_.Passed(stroke);  // Ravak's own key: never watched, never held
    } else {
      UserInput input{UserInput::Kind::kKey, UserKey{stroke, 0}};
      if (!self->Offer(input)) return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK LowLevelKeyGate::MouseProc(int code, WPARAM wp, LPARAM lp) {
  LowLevelKeyGate* self = instance;
  if (code == HC_ACTION && self && IsButtonDown(wp)) {
    UserInput input{UserInput::Kind::kClick, {}};
    self->Offer(input);  // a click always goes on
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK LowLevelKeyGate::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  LowLevelKeyGate* self = instance;
  if (self && msg == kQuestionMessage) {
    self->gate_.ClaimAndAnswer();
    return 0;
  }
  if (self && msg == kDrainMessage) {
    self->gate_.Drain();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void LowLevelKeyGate::Witness() {
  if (watchdog_.Reported(GetTickCount64(), last_seen_))
    PostThreadMessageW(thread_id_, kRenewMessage, 0, 0);
}

}  // namespace ravak::win32
