#include "typing/key_gate_win32.h"

#include <vector>

#include "platform/error.h"
#include "platform/win32.h"
#include "typing/key_text.h"

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

// The dead keys of the layouts met so far, by virtual-key code, plain and with Shift and with
// AltGr. Asked with ToUnicodeEx's flag that leaves the keyboard state alone (Windows 10 1607 and
// later); where the system ignores it the state changed is the hook thread's own, which types
// nothing, and it is cleared again.
class DeadKeys {
 public:
  bool IsDead(HKL layout, uint8_t vk, bool shift, bool altgr) {
    Table& table = Of(layout);
    return table.dead[Index(vk, shift, altgr)];
  }

 private:
  struct Table {
    HKL layout = nullptr;
    std::vector<bool> dead;
  };
  static std::size_t Index(uint8_t vk, bool shift, bool altgr) {
    return static_cast<std::size_t>(vk) * 4 + (shift ? 1 : 0) + (altgr ? 2 : 0);
  }
  Table& Of(HKL layout) {
    for (Table& t : tables_)
      if (t.layout == layout) return t;
    if (tables_.size() >= 8) tables_.erase(tables_.begin());
    Table t{layout, std::vector<bool>(256 * 4, false)};
    constexpr UINT kKeepKeyboardState = 0x4;
    for (int vk = 0x20; vk < 0xFF; ++vk) {
      const UINT scan = MapVirtualKeyExW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC, layout);
      if (scan == 0) continue;
      for (int variant = 0; variant < 4; ++variant) {
        BYTE state[256] = {};
        if (variant & 1) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
        if (variant & 2)
          state[VK_CONTROL] = state[VK_LCONTROL] = state[VK_MENU] = state[VK_RMENU] = 0x80;
        wchar_t out[8];
        const int n =
            ToUnicodeEx(static_cast<UINT>(vk), scan, state, out, 8, kKeepKeyboardState, layout);
        if (n < 0) {
          t.dead[Index(static_cast<uint8_t>(vk), variant & 1, variant & 2)] = true;
          // Where the flag is not known the dead key now waits in this thread: a space takes it.
          BYTE plain[256] = {};
          for (int tries = 0;
               tries < 3 &&
               ToUnicodeEx(VK_SPACE, MapVirtualKeyExW(VK_SPACE, MAPVK_VK_TO_VSC, layout), plain,
                           out, 8, kKeepKeyboardState, layout) < 0;
               ++tries) {
          }
        }
      }
    }
    tables_.push_back(std::move(t));
    return tables_.back();
  }
  std::vector<Table> tables_;
};

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
  gate_.foreground = [] { return reinterpret_cast<WindowId>(GetForegroundWindow()); };
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
  gate_.foreground = nullptr;
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

void LowLevelKeyGate::Stamp(UserInput& input) {
  const HWND front = GetForegroundWindow();
  input.window = reinterpret_cast<WindowId>(front);
  const HKL layout = GetKeyboardLayout(front ? GetWindowThreadProcessId(front, nullptr) : 0);
  input.layout = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(layout));
  if (input.kind != UserInput::Kind::kKey || input.key.stroke.up ||
      IsPassiveKey(input.key.stroke.vk))
    return;
  const bool shift = (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
  const bool altgr = (GetAsyncKeyState(VK_RMENU) & 0x8000) != 0;
  static DeadKeys dead_keys;
  input.key.composed =
      dead_keys_.Composed(dead_keys.IsDead(layout, input.key.stroke.vk, shift, altgr));
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
      self->Stamp(input);
      if (!self->Offer(input)) return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK LowLevelKeyGate::MouseProc(int code, WPARAM wp, LPARAM lp) {
  LowLevelKeyGate* self = instance;
  if (code == HC_ACTION && self && IsButtonDown(wp)) {
    UserInput input{UserInput::Kind::kClick, {}};
    self->Stamp(input);
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
