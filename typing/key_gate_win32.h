// The key gate's Win32 side: low-level keyboard and mouse hooks that offer the user's input to
// the gate as it happens, before any application has it, and the user-interface thread's hidden
// window where the watchers judge it and held input is carried out.
#pragma once

#include <windows.h>

#include <atomic>

#include "typing/key_gate.h"
#include "typing/key_text.h"

namespace ravak::win32 {

// The hooks run on a thread of their own with its own message loop, so the user's typing never
// waits for a busy user-interface thread: a judgement that takes longer than kAskMs holds the
// key, to be judged in its turn. One per process; made on the user-interface thread.
class LowLevelKeyGate {
 public:
  static constexpr UINT kAskMs = 30;

  explicit LowLevelKeyGate(KeyGate& gate);
  ~LowLevelKeyGate();
  LowLevelKeyGate(const LowLevelKeyGate&) = delete;
  LowLevelKeyGate& operator=(const LowLevelKeyGate&) = delete;

  // False when the keyboard hook could not be set: the user's input is then never watched.
  bool Hooked() const { return keyboard_hook_ != nullptr; }
  // Kerrak reported a key press (user-interface thread): when the low-level hook has seen
  // nothing for a while, the system has removed it, and it is set again.
  void Witness();

 private:
  static DWORD WINAPI ThreadMain(void* self);
  static DWORD WINAPI LetGoThread(void* self);
  static LRESULT CALLBACK KeyboardProc(int code, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK MouseProc(int code, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Loop();
  void SetHooks();
  // Offers one input to the gate; whether it goes on to the application.
  bool Offer(UserInput& input);
  // The window in front and its layout as the input comes, and whether the key composes with
  // a dead key.
  void Stamp(UserInput& input);
  void LetGo();

  KeyGate& gate_;
  HWND window_ = nullptr;  // the user-interface thread's: questions and drains
  HANDLE thread_ = nullptr;
  DWORD thread_id_ = 0;
  HANDLE ready_ = nullptr;
  HHOOK keyboard_hook_ = nullptr;
  HHOOK mouse_hook_ = nullptr;
  std::atomic<uint64_t> last_seen_{0};
  HookWatchdog watchdog_;
  DeadKeyFollower dead_keys_;  // the hook thread's
};

}  // namespace ravak::win32
