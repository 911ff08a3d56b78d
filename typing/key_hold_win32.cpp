#include "typing/key_hold_win32.h"

namespace ravak::win32 {

namespace {

LowLevelKeyHold* instance = nullptr;

// Posted to the hook thread: the hold has reached its ceiling; or: end the loop.
constexpr UINT kLetGoMessage = WM_APP + 1;
constexpr UINT kQuitMessage = WM_APP + 2;

}  // namespace

LowLevelKeyHold::LowLevelKeyHold() {
  instance = this;
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 64 * 1024, ThreadMain, this, STACK_SIZE_PARAM_IS_A_RESERVATION,
                         &thread_id_);
  if (thread_ && ready_) WaitForSingleObject(ready_, 5000);
}

LowLevelKeyHold::~LowLevelKeyHold() {
  if (thread_) {
    PostThreadMessageW(thread_id_, kQuitMessage, 0, 0);
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
  }
  if (ready_) CloseHandle(ready_);
  instance = nullptr;
}

DWORD WINAPI LowLevelKeyHold::ThreadMain(void* self) {
  static_cast<LowLevelKeyHold*>(self)->Loop();
  return 0;
}

void LowLevelKeyHold::Loop() {
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from here on
  hook_ = SetWindowsHookExW(WH_KEYBOARD_LL, HookProc, GetModuleHandleW(nullptr), 0);
  SetEvent(ready_);
  for (;;) {
    DWORD timeout = INFINITE;
    {
      std::lock_guard lock(mutex_);
      if (const uint64_t deadline = keys_.Deadline()) {
        const uint64_t now = GetTickCount64();
        timeout = deadline > now ? static_cast<DWORD>(deadline - now) : 0;
      }
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == kQuitMessage) quit = true;
      DispatchMessageW(&msg);
    }
    if (quit) break;
    bool expired = false;
    {
      std::lock_guard lock(mutex_);
      expired = keys_.Expired(GetTickCount64());
    }
    // A let-go already under way on the other thread sends what arrives meanwhile as well.
    if (expired && letting_go_.try_lock()) {
      std::lock_guard sender(letting_go_, std::adopt_lock);
      LetGo(false);
    }
  }
  if (hook_) UnhookWindowsHookEx(hook_);
}

LRESULT CALLBACK LowLevelKeyHold::HookProc(int code, WPARAM wp, LPARAM lp) {
  LowLevelKeyHold* self = instance;
  if (code == HC_ACTION && self) {
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
    if (!(info->flags & LLKHF_INJECTED)) {
      const KeyStroke key{static_cast<uint8_t>(info->vkCode), static_cast<uint8_t>(info->scanCode),
                          (info->flags & LLKHF_UP) != 0, (info->flags & LLKHF_EXTENDED) != 0};
      bool held = false;
      bool expired = false;
      {
        std::lock_guard lock(self->mutex_);
        held = self->keys_.Offer(key);
        expired = held && self->keys_.Expired(GetTickCount64());
      }
      if (expired) PostThreadMessageW(self->thread_id_, kLetGoMessage, 0, 0);
      if (held) return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

void LowLevelKeyHold::Begin() {
  if (!hook_) return;
  std::lock_guard lock(mutex_);
  keys_.Begin(GetTickCount64());
}

void LowLevelKeyHold::End() {
  if (!hook_) return;
  {
    std::lock_guard lock(mutex_);
    if (!keys_.End()) return;
  }
  std::lock_guard sender(letting_go_);
  LetGo(true);
}

ModifierSet LowLevelKeyHold::LogicalModifiers() const {
  ModifierSet down = 0;
  for (int bit = 0; bit < kModifierCount; ++bit) {
    if (GetAsyncKeyState(ModifierKey(bit)) & 0x8000)
      down = static_cast<ModifierSet>(down | 1u << bit);
  }
  return down;
}

void LowLevelKeyHold::LetGo(bool settle) {
  for (;;) {
    HeldBatch batch;
    ModifierSet physical = 0;
    {
      std::lock_guard lock(mutex_);
      batch = keys_.Take();
      physical = keys_.PhysicalModifiers();
    }
    for (const KeyStroke& key : PlanLetGo(batch, LogicalModifiers(), physical, settle)) {
      const BYTE scan =
          key.scan ? key.scan : static_cast<BYTE>(MapVirtualKeyW(key.vk, MAPVK_VK_TO_VSC));
      keybd_event(key.vk, scan,
                  (key.up ? KEYEVENTF_KEYUP : 0) | (key.extended ? KEYEVENTF_EXTENDEDKEY : 0), 0);
    }
    std::lock_guard lock(mutex_);
    if (keys_.FinishIfEmpty(GetTickCount64())) return;
  }
}

}  // namespace ravak::win32
