// The Win32 functions Kerrak calls, for the test host. Thread-local storage behaves as on
// Windows: a slot reads null in every thread until that thread stores a value, also after
// the slot was freed and allocated again.
#include <windows.h>

#include <array>

#include "tests/fakes/kerrak_win32/fake_win32.h"

namespace ravak::testing {

namespace {

constexpr DWORD kTlsSlots = 8;
constexpr uintptr_t kMappingHandle = 0x4D4D;
constexpr uintptr_t kHookHandle = 0x00F00123;

// Per slot: allocated, and a generation that changes with every allocation.
std::array<std::atomic<bool>, kTlsSlots> g_slot_used;
std::array<std::atomic<uint64_t>, kTlsSlots> g_slot_generation;

struct ThreadSlot {
  uint64_t generation = 0;
  void* value = nullptr;
};
thread_local std::array<ThreadSlot, kTlsSlots> t_slots;

bool ValidSlot(DWORD index) {
  return index < kTlsSlots && g_slot_used[index].load();
}

}  // namespace

FakeKerrakSystem& FakeKerrak() {
  static FakeKerrakSystem system;
  return system;
}

void FakeKerrakSystem::Reset() {
  mapping_fails = view_fails = tls_fails = false;
  next_hook = nullptr;
  for (SHORT& state : key_state) state = 0;
  message_boxes.clear();
  open_handles = 0;
  mapped_views = 0;
  tls_slots = 0;
  shared_rec = HookRec{};
  const std::lock_guard<std::mutex> lock(mutex_);
  posts_.clear();
}

std::vector<KerrakPost> FakeKerrakSystem::Posts() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return posts_;
}

}  // namespace ravak::testing

using ravak::testing::FakeKerrak;

extern "C" {

BOOL WINAPI CloseHandle(HANDLE object) {
  if (reinterpret_cast<uintptr_t>(object) != ravak::testing::kMappingHandle) return FALSE;
  --FakeKerrak().open_handles;
  return TRUE;
}

HANDLE WINAPI OpenFileMappingA(DWORD, BOOL, LPCSTR) {
  if (FakeKerrak().mapping_fails) return nullptr;
  ++FakeKerrak().open_handles;
  return reinterpret_cast<HANDLE>(ravak::testing::kMappingHandle);
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE) {
  return TRUE;
}

LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD, DWORD, DWORD, size_t) {
  if (FakeKerrak().view_fails ||
      reinterpret_cast<uintptr_t>(mapping) != ravak::testing::kMappingHandle)
    return nullptr;
  ++FakeKerrak().mapped_views;
  return &FakeKerrak().shared_rec;
}

BOOL WINAPI UnmapViewOfFile(LPCVOID address) {
  if (address != &FakeKerrak().shared_rec) return FALSE;
  --FakeKerrak().mapped_views;
  return TRUE;
}

DWORD WINAPI TlsAlloc(void) {
  using namespace ravak::testing;
  if (FakeKerrak().tls_fails) return TLS_OUT_OF_INDEXES;
  for (DWORD i = 0; i < kTlsSlots; ++i) {
    bool expected = false;
    if (g_slot_used[i].compare_exchange_strong(expected, true)) {
      ++g_slot_generation[i];
      ++FakeKerrak().tls_slots;
      return i;
    }
  }
  return TLS_OUT_OF_INDEXES;
}

BOOL WINAPI TlsFree(DWORD index) {
  using namespace ravak::testing;
  if (!ValidSlot(index)) return FALSE;
  g_slot_used[index] = false;
  --FakeKerrak().tls_slots;
  return TRUE;
}

LPVOID WINAPI TlsGetValue(DWORD index) {
  using namespace ravak::testing;
  if (!ValidSlot(index)) return nullptr;
  const ThreadSlot& slot = t_slots[index];
  return slot.generation == g_slot_generation[index].load() ? slot.value : nullptr;
}

BOOL WINAPI TlsSetValue(DWORD index, LPVOID value) {
  using namespace ravak::testing;
  if (!ValidSlot(index)) return FALSE;
  t_slots[index] = {g_slot_generation[index].load(), value};
  return TRUE;
}

LRESULT WINAPI CallNextHookEx(HHOOK, int code, WPARAM wparam, LPARAM lparam) {
  const auto& next = FakeKerrak().next_hook;
  return next ? next(code, wparam, lparam) : 0;
}

SHORT WINAPI GetKeyState(int key) {
  return key >= 0 && key < 256 ? FakeKerrak().key_state[key] : 0;
}

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
  FakeKerrak().message_boxes.push_back(std::string(caption) + ": " + text);
  return 1;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM) {
  ravak::testing::FakeKerrakSystem& system = FakeKerrak();
  const std::lock_guard<std::mutex> lock(system.mutex_);
  system.posts_.push_back({reinterpret_cast<uintptr_t>(window), message, wparam});
  return TRUE;
}

HHOOK WINAPI SetWindowsHookExA(int, HOOKPROC, HINSTANCE, DWORD) {
  return reinterpret_cast<HHOOK>(ravak::testing::kHookHandle);
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK hook) {
  return reinterpret_cast<uintptr_t>(hook) == ravak::testing::kHookHandle;
}

}  // extern "C"
