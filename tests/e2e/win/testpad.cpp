// Ravak Testpad: the application that end-to-end tests type into. One edit control; every
// change of its text or selection is written to a state file, and every key message it
// receives is appended to a key log, so a test can see what a user would see.
//
//   ravak-testpad.exe --state FILE [--keys FILE] [--text TEXT] [--title TITLE] [--times FILE]
//                     [--slow-chords MS] [--slow-keys MS] [--no-cut 1] [--password 1]
//                     [--rich RTFFILE] [--custom-class 1] [--lazy-state 1]
// --times appends "MS key KIND VK" for each key message and "MS text TEXT" for each change of the
// text (line breaks as \r and \n), MS counted from the pad's start with a fraction, for latency
// figures.
// --slow-chords makes the pad a slow application: it takes MS before it handles each Ctrl+letter;
// --slow-keys: MS before it handles each key. --no-cut: the pad ignores Ctrl+X, as some
// programs do. --password: the edit is a one-line password edit. --rich: the edit is a rich edit
// (RICHEDIT50W, as word processors and mail programs use) whose first word is bold, and its text
// with the formatting is written to RTFFILE (RTF) at every change. --custom-class: the edit is
// registered under a class name of its own, as an application's own text control is, so nothing
// outside can tell it is an edit control; like most editors, Right ends a selection at its end.
#include <windows.h>

#include <richedit.h>
#include <shellapi.h>

#include <map>
#include <string>

#include "platform/win32.h"

namespace {

HWND g_edit = nullptr;
WNDPROC g_edit_proc = nullptr;
std::wstring g_state_path;
std::wstring g_keys_path;
std::wstring g_last_state;
std::wstring g_times_path;
DWORD g_slow_chord_ms = 0;
DWORD g_slow_key_ms = 0;
bool g_no_cut = false;
bool g_custom_class = false;
bool g_lazy_state = false;
std::wstring g_last_logged;  // the text last written to the times log, with --lazy-state
std::wstring g_rtf_path;
LARGE_INTEGER g_start, g_frequency;

std::string Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const long long us = (now.QuadPart - g_start.QuadPart) * 1000000 / g_frequency.QuadPart;
  char text[32];
  wsprintfA(text, "%d.%03d", static_cast<int>(us / 1000), static_cast<int>(us % 1000));
  return text;
}

std::wstring EditText() {
  const int n = GetWindowTextLengthW(g_edit);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  GetWindowTextW(g_edit, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(n));
  return text;
}

void WriteFileAtomically(const std::wstring& path, const std::string& bytes) {
  const std::wstring tmp = path + L".tmp";
  HANDLE f = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// Appends to a log kept open for the pad's life, so that logging each key costs the pad little
// and its own speed is what a test measures.
void AppendFile(const std::wstring& path, const std::string& bytes) {
  static std::map<std::wstring, HANDLE> open;
  HANDLE& f = open[path];
  if (!f) {
    f = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

DWORD CALLBACK AppendRtf(DWORD_PTR cookie, LPBYTE bytes, LONG size, LONG* done) {
  reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<char*>(bytes),
                                                 static_cast<std::size_t>(size));
  *done = size;
  return 0;
}

void ReportRtf() {
  std::string rtf;
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&rtf), 0, AppendRtf};
  SendMessageW(g_edit, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  WriteFileAtomically(g_rtf_path, rtf);
}

// "sel START END" on the first line, then the text (UTF-8) as it stands. With --lazy-state the
// state file is written only by the timer (the times log at once): a pad that answers each key
// quickly, for figures.
void ReportState(bool from_timer = false) {
  DWORD start = 0, end = 0;
  SendMessageW(g_edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const std::wstring state =
      L"sel " + std::to_wstring(start) + L" " + std::to_wstring(end) + L"\n" + EditText();
  if (state == g_last_state) return;
  const bool text_changed =
      g_last_state.substr(g_last_state.find(L'\n') + 1) != state.substr(state.find(L'\n') + 1);
  if (!g_lazy_state || from_timer) {
    g_last_state = state;
    if (!g_rtf_path.empty()) ReportRtf();
    WriteFileAtomically(g_state_path, ravak::win32::Narrow(state));
  }
  if (g_lazy_state && !from_timer) {
    if (!text_changed || state.substr(state.find(L'\n') + 1) == g_last_logged) return;
    g_last_logged = state.substr(state.find(L'\n') + 1);
  }
  if (text_changed && !g_times_path.empty()) {
    std::string line;  // one line: the text's line breaks written as \r and \n
    for (char c : ravak::win32::Narrow(EditText())) {
      if (c == '\r' || c == '\n' || c == '\\') {
        line += '\\';
        c = c == '\r' ? 'r' : c == '\n' ? 'n' : c;
      }
      line += c;
    }
    AppendFile(g_times_path, Now() + " text " + line + "\r\n");
  }
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const char* kind = nullptr;
  switch (msg) {
    case WM_KEYDOWN:
      kind = "keydown";
      break;
    case WM_KEYUP:
      kind = "keyup";
      break;
    case WM_SYSKEYDOWN:
      kind = "syskeydown";
      break;
    case WM_SYSKEYUP:
      kind = "syskeyup";
      break;
    default:
      break;
  }
  if (kind && !g_keys_path.empty()) {
    char line[64];
    wsprintfA(line, "%s 0x%02X%s\r\n", kind, static_cast<unsigned>(wp),
              (lp & (1 << 24)) ? " ext" : "");
    AppendFile(g_keys_path, line);
    if (!g_times_path.empty()) AppendFile(g_times_path, Now() + " key " + line);
  }
  if (msg == WM_KEYDOWN && g_slow_chord_ms && wp >= 'A' && wp <= 'Z' &&
      (GetKeyState(VK_CONTROL) & 0x8000)) {
    Sleep(g_slow_chord_ms);
  }
  if ((msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) && g_slow_key_ms) Sleep(g_slow_key_ms);
  if (g_no_cut && (msg == WM_CUT || (msg == WM_CHAR && wp == 0x18))) return 0;
  if (g_custom_class && msg == WM_KEYDOWN && wp == VK_RIGHT && !(GetKeyState(VK_SHIFT) & 0x8000)) {
    DWORD start = 0, end = 0;
    SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (start != end) {
      SendMessageW(hwnd, EM_SETSEL, end, end);
      ReportState();
      return 0;
    }
  }
  const LRESULT result = CallWindowProcW(g_edit_proc, hwnd, msg, wp, lp);
  if (kind || msg == WM_CHAR || msg == WM_PASTE || msg == WM_CUT || msg == EM_SETSEL) ReportState();
  return result;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      MoveWindow(g_edit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    case WM_SETFOCUS:
      SetFocus(g_edit);
      return 0;
    case WM_COMMAND:
      if (HIWORD(wp) == EN_CHANGE) ReportState();
      return 0;
    case WM_TIMER:
      ReportState(true);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring text, title = L"Ravak Testpad";
  bool password = false;
  int limit = 0;        // a field that takes this many characters at most
  bool digits = false;  // a field that takes digits only
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring opt = argv[i];
    if (opt == L"--state") g_state_path = argv[i + 1];
    if (opt == L"--keys") g_keys_path = argv[i + 1];
    if (opt == L"--text") text = argv[i + 1];
    if (opt == L"--title") title = argv[i + 1];
    if (opt == L"--times") g_times_path = argv[i + 1];
    if (opt == L"--slow-chords") g_slow_chord_ms = static_cast<DWORD>(_wtoi(argv[i + 1]));
    if (opt == L"--slow-keys") g_slow_key_ms = static_cast<DWORD>(_wtoi(argv[i + 1]));
    if (opt == L"--no-cut") g_no_cut = true;
    if (opt == L"--password") password = true;
    if (opt == L"--rich") g_rtf_path = argv[i + 1];
    if (opt == L"--custom-class") g_custom_class = true;
    if (opt == L"--lazy-state") g_lazy_state = true;
    if (opt == L"--limit") limit = _wtoi(argv[i + 1]);
    if (opt == L"--digits") digits = true;
  }
  LocalFree(argv);
  QueryPerformanceFrequency(&g_frequency);
  QueryPerformanceCounter(&g_start);

  WNDCLASSW wc{};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.lpszClassName = L"RavakTestpad";
  RegisterClassW(&wc);
  HWND main = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 560,
                              200, nullptr, nullptr, instance, nullptr);
  const DWORD style =
      (password ? ES_PASSWORD | ES_AUTOHSCROLL : ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN) |
      (digits ? ES_NUMBER : 0);
  if (!g_rtf_path.empty()) LoadLibraryW(L"msftedit.dll");
  const wchar_t* edit_class = g_rtf_path.empty() ? L"EDIT" : L"RICHEDIT50W";
  if (g_custom_class) {
    WNDCLASSW own{};
    GetClassInfoW(nullptr, L"EDIT", &own);
    own.hInstance = instance;
    own.lpszClassName = L"RavakPadField";
    RegisterClassW(&own);
    edit_class = own.lpszClassName;
  }
  g_edit = CreateWindowExW(WS_EX_CLIENTEDGE, edit_class, text.c_str(),
                           WS_CHILD | WS_VISIBLE | ES_NOHIDESEL | style, 0, 0, 560, 200, main,
                           nullptr, instance, nullptr);
  HFONT font =
      CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  SendMessageW(g_edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  g_edit_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(g_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
  if (limit > 0) SendMessageW(g_edit, EM_LIMITTEXT, limit, 0);
  const int len = GetWindowTextLengthW(g_edit);
  if (!g_rtf_path.empty()) {
    // The first word bold.
    const std::size_t space = text.find(L' ');
    SendMessageW(g_edit, EM_SETSEL, 0, space == std::wstring::npos ? len : static_cast<int>(space));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD;
    format.dwEffects = CFE_BOLD;
    SendMessageW(g_edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
  SendMessageW(g_edit, EM_SETSEL, len, len);
  ShowWindow(main, SW_SHOW);
  SetForegroundWindow(main);
  SetFocus(g_edit);
  ReportState();
  SetTimer(main, 1, 25, nullptr);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
