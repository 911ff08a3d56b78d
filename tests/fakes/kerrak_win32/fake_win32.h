// Kerrak (hookdll/kerrak.c) compiled for the test host links against the fake Win32 functions
// of fake_win32.cpp. This is the tests' handle on them: what the system does (switches) and
// what Kerrak asked of it (records).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "hookdll/hook_rec.h"
#include "tests/fakes/kerrak_win32/windows.h"

// Kerrak's exports and entry point.
extern "C" {
LRESULT CALLBACK KEYBOARDPROC(int code, WPARAM wparam, LPARAM lparam);
HookRec* GETHOOKRECPOINTER(void);
void STARTKEYBOARDHOOK(void);
void STOPKEYBOARDHOOK(void);
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
}

namespace ravak::testing {

struct KerrakPost {
  uintptr_t window;
  UINT message;
  WPARAM wparam;
};

class FakeKerrakSystem {
 public:
  // Back to a fresh system: switches off, nothing recorded, shared record zeroed. Call it only
  // while no thread is inside Kerrak.
  void Reset();
  std::vector<KerrakPost> Posts();

  // Switches; set them before any thread calls into Kerrak.
  bool mapping_fails = false;  // OpenFileMappingA returns NULL: no record, or not ours to open
  bool view_fails = false;     // MapViewOfFile returns NULL
  bool tls_fails = false;      // TlsAlloc returns TLS_OUT_OF_INDEXES
  // The rest of the hook chain (CallNextHookEx); when empty the chain ends and returns 0.
  std::function<LRESULT(int code, WPARAM wparam, LPARAM lparam)> next_hook;
  SHORT key_state[256] = {};  // what GetKeyState returns

  // Records.
  std::vector<std::string> message_boxes;  // "caption: text"
  std::atomic<int> open_handles{0};
  std::atomic<int> mapped_views{0};
  std::atomic<int> tls_slots{0};
  HookRec shared_rec{};  // the memory every view shows

 private:
  std::mutex mutex_;
  std::vector<KerrakPost> posts_;
  friend BOOL WINAPI ::PostMessageA(HWND, UINT, WPARAM, LPARAM);
};

FakeKerrakSystem& FakeKerrak();

}  // namespace ravak::testing
