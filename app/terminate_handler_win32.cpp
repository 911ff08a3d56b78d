// What Ravak.exe does with an exception nothing caught: it writes the exception's type and
// message to the standard error and aborts, as libstdc++'s own handler does. Defined here, it
// takes that handler's place at link time; the library's would bring the C++ name demangler with
// it (44 KB of the program) only to turn the type's name, which this writes as the compiler gave
// it, into C++. The program has no console, so the lines reach only a debugger or the terminal
// Wine runs in.
#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <typeinfo>

void __gnu_cxx::__verbose_terminate_handler() {
  static bool terminating = false;
  if (terminating) {
    std::fputs("terminate called recursively\n", stderr);
    std::abort();
  }
  terminating = true;
  if (const std::type_info* type = abi::__cxa_current_exception_type()) {
    std::fputs("terminate called after throwing an instance of '", stderr);
    std::fputs(type->name(), stderr);
    std::fputs("'\n", stderr);
    try {
      throw;
    } catch (const std::exception& e) {
      std::fputs("  what():  ", stderr);
      std::fputs(e.what(), stderr);
      std::fputs("\n", stderr);
    } catch (...) {
    }
  } else {
    std::fputs("terminate called without an active exception\n", stderr);
  }
  std::abort();
}
