// Typing into a console window through the console's own input: a console reads key records,
// and one that takes no Unicode key input (VK_PACKET) still takes records written to it.
#include <windows.h>

#include <tlhelp32.h>

#include <vector>

#include "platform/win32.h"

namespace ravak::win32 {

namespace {

BOOL WINAPI IgnoreConsoleEvents(DWORD) {
  return TRUE;  // Ravak is only visiting: a Ctrl+C or a close there is not for it
}

// Attaches to the console of a process; true when that console's window is window.
bool AttachTo(DWORD process, HWND window) {
  if (!AttachConsole(process)) return false;
  if (GetConsoleWindow() == window) return true;
  FreeConsole();
  return false;
}

// Attaches to the console shown in window, through a process that uses it.
bool AttachToConsoleOf(HWND window) {
  static HWND last_window = nullptr;
  static DWORD last_process = 0;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (window == last_window && AttachTo(last_process, window)) return true;
  if (AttachTo(owner, window)) {
    last_window = window;
    last_process = owner;
    return true;
  }
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool attached = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !attached;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId() || entry.th32ProcessID == 0) continue;
    attached = AttachTo(entry.th32ProcessID, window);
    if (attached) {
      last_window = window;
      last_process = entry.th32ProcessID;
    }
  }
  CloseHandle(snapshot);
  return attached;
}

void AddKey(std::vector<INPUT_RECORD>& records, WORD key, wchar_t c) {
  for (const BOOL down : {TRUE, FALSE}) {
    INPUT_RECORD record{};
    record.EventType = KEY_EVENT;
    record.Event.KeyEvent.bKeyDown = down;
    record.Event.KeyEvent.wRepeatCount = 1;
    record.Event.KeyEvent.wVirtualKeyCode = key;
    record.Event.KeyEvent.uChar.UnicodeChar = c;
    records.push_back(record);
  }
}

}  // namespace

bool IsConsoleWindow(HWND window) {
  wchar_t name[64] = L"";
  if (!window || !GetClassNameW(window, name, 64)) return false;
  return lstrcmpW(name, L"ConsoleWindowClass") == 0 || lstrcmpW(name, L"WineConsoleClass") == 0;
}

bool Keyboard::TypeIntoConsole(std::size_t erase, std::u16string_view text) {
  const HWND window = GetForegroundWindow();
  if (!IsConsoleWindow(window)) return false;
  // The keys already sent to the console's window are taken into its input first.
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner)) {
    WaitForInputIdle(process, 100);
    CloseHandle(process);
  }
  SetConsoleCtrlHandler(IgnoreConsoleEvents, TRUE);
  bool typed = false;
  if (AttachToConsoleOf(window)) {
    HANDLE input =
        CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (input != INVALID_HANDLE_VALUE) {
      std::vector<INPUT_RECORD> records;
      for (std::size_t i = 0; i < erase; ++i) AddKey(records, VK_BACK, L'\b');
      for (const char16_t c : text) AddKey(records, 0, static_cast<wchar_t>(c));
      DWORD written = 0;
      typed =
          records.empty() || (WriteConsoleInputW(input, records.data(),
                                                 static_cast<DWORD>(records.size()), &written) &&
                              written == records.size());
      CloseHandle(input);
    }
    FreeConsole();
  }
  SetConsoleCtrlHandler(IgnoreConsoleEvents, FALSE);
  return typed;
}

}  // namespace ravak::win32
