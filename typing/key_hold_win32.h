// The user's keys held back through a low-level keyboard hook, which sees every key before any
// application does and tells the user's own keys from those a program sent.
#pragma once

#include <windows.h>

#include <mutex>

#include "platform/user_key_hold.h"
#include "typing/held_keys.h"

namespace ravak::win32 {

// The hook runs on a thread of its own with its own message loop, so the user's typing never
// waits for the program's busy user-interface thread. One per process.
class LowLevelKeyHold : public UserKeyHold {
 public:
  LowLevelKeyHold();
  ~LowLevelKeyHold() override;
  LowLevelKeyHold(const LowLevelKeyHold&) = delete;
  LowLevelKeyHold& operator=(const LowLevelKeyHold&) = delete;

  void Begin() override;
  void End() override;
  // False when the hook could not be set: keys are then never held.
  bool Hooked() const { return hook_ != nullptr; }

 private:
  static DWORD WINAPI ThreadMain(void* self);
  static LRESULT CALLBACK HookProc(int code, WPARAM wp, LPARAM lp);
  void Loop();
  // Sends what is held (and with settle leaves the modifiers as the user holds them) until
  // nothing more arrives.
  void LetGo(bool settle);
  ModifierSet LogicalModifiers() const;

  std::mutex mutex_;       // guards keys_
  std::mutex letting_go_;  // one sender at a time
  HeldKeys keys_;
  HANDLE thread_ = nullptr;
  DWORD thread_id_ = 0;
  HANDLE ready_ = nullptr;
  HHOOK hook_ = nullptr;
};

}  // namespace ravak::win32
