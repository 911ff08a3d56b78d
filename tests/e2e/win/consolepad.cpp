// ravak-consolepad: a console program reading its own input line as a command prompt does (the
// console's cooked mode: typed characters echoed, Backspace erasing), for the end-to-end tests to
// type into. Each line read is appended to OUTFILE (UTF-8).
//
//   wineconsole ravak-consolepad.exe OUTFILE
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "platform/win32.h"
#include "tests/e2e/win/host_log.h"

int wmain() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 2) return 2;
  const std::wstring out = argv[1];
  LocalFree(argv);
  SetConsoleTitleW(L"Ravak Consolepad");
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  ravak::testing::Append(out, "ready");
  for (;;) {
    wchar_t buffer[512];
    DWORD read = 0;
    if (!ReadConsoleW(input, buffer, 511, &read, nullptr)) return 1;
    std::wstring line(buffer, read);
    while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
    ravak::testing::Append(out, "line " + ravak::win32::Narrow(line));
  }
}
