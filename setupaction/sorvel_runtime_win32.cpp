#include "setupaction/sorvel_runtime_win32.h"

#include <csetjmp>
#include <cstddef>
#include <new>
#include <string>  // declares what the containers call instead of throwing

namespace sorvel {
namespace {

// Where the running action is abandoned to. The installer runs one custom action at a time,
// from a copy of the DLL it makes for that call: no two actions share this.
std::jmp_buf* abandon_to = nullptr;

}  // namespace

// Where a failure that would throw goes: it ends the running action at once, and the action's
// export reports success as it always does.
[[noreturn]] static void Abandon() {
  if (abandon_to != nullptr) std::longjmp(*abandon_to, 1);
  __builtin_trap();  // no action runs: nothing allocates outside one
}

void RunAbandonable(void (*action)(MSIHANDLE install), MSIHANDLE install) {
  std::jmp_buf here;
  std::jmp_buf* const outer = abandon_to;
  if (setjmp(here) == 0) {
    abandon_to = &here;
    action(install);
  }
  abandon_to = outer;
}

}  // namespace sorvel

void* operator new(std::size_t size) {
  if (void* block = HeapAlloc(GetProcessHeap(), 0, size)) return block;
  sorvel::Abandon();
}

void operator delete(void* block) noexcept {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

void operator delete(void* block, std::size_t) noexcept {
  ::operator delete(block);
}

// What the standard containers call for the errors they would throw.
namespace std {
void __throw_bad_alloc() {
  sorvel::Abandon();
}
void __throw_bad_array_new_length() {
  sorvel::Abandon();
}
void __throw_length_error(const char*) {
  sorvel::Abandon();
}
void __throw_logic_error(const char*) {
  sorvel::Abandon();
}
void __throw_out_of_range_fmt(const char*, ...) {
  sorvel::Abandon();
}
}  // namespace std

// The linker's list of static initialisers: -1, the functions, then a null.
extern "C" void (*__CTOR_LIST__[])();

// The entry point; no C run-time start-up code runs before it. Sorvel has no static
// initialisers, but one added later still runs, last listed first, as the start-up code would
// run it. (A static object with a destructor does not link: it needs atexit.)
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    std::size_t count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr) ++count;
    for (; count > 0; --count) __CTOR_LIST__[count]();
  }
  return TRUE;
}
