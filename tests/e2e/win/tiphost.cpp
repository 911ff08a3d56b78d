// ravak-tiphost: runs a sayings command with the same components the program uses (carried
// table, clock, tip window), so the tip can be watched end to end on its own.
//
//   ravak-tiphost.exe [--move next|back|current] [--position N] [--tips K] [--interval MS]
//                     [--date Y/M/D] [--log FILE]
// Runs the command K times (default once), each showing a tip, and ends when every tip has
// closed. --interval replaces the pointer check's period (the commands pass 15000 ms); --date
// replaces the clock's date. --log appends, as UTF-8 lines: "shown <weekday>|<date>|<saying>"
// per tip (line breaks in the saying written as \n), "<window> <phase> <left> <top>" per step of
// each tip, "position <N>" after the commands, and "error: <text>" for an error.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

#include "platform/error.h"
#include "platform/win32.h"
#include "sayings/sayings_block.h"
#include "sayings/sayings_commands.h"
#include "sayings/tip_window_win32.h"

namespace {

std::wstring g_log;

void Append(const std::string& line) {
  if (g_log.empty()) return;
  HANDLE f = CreateFileW(g_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  const std::string text = line + "\n";
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

std::string Utf8(const std::u16string& s) {
  return ravak::win32::Narrow(ravak::win32::ToWide(s));
}

const char* PhaseName(ravak::TipPhase phase) {
  switch (phase) {
    case ravak::TipPhase::Created:
      return "created";
    case ravak::TipPhase::SlidingIn:
      return "in";
    case ravak::TipPhase::Resting:
      return "rest";
    case ravak::TipPhase::SlidingOut:
      return "out";
    case ravak::TipPhase::Closed:
      return "closed";
  }
  return "?";
}

class HostPresenter final : public ravak::TipPresenter {
 public:
  explicit HostPresenter(int interval_ms) : interval_ms_(interval_ms) {}
  void ShowTip(const ravak::TipContent& tip, int16_t interval_ms) override {
    std::string text = Utf8(tip.text);
    for (std::size_t i = 0; (i = text.find("\r\n", i)) != std::string::npos;) {
      text.replace(i, 2, "\\n");
    }
    Append("shown " + Utf8(tip.weekday) + "|" + Utf8(tip.date) + "|" + text);
    if (interval_ms_ > 0) interval_ms = static_cast<int16_t>(interval_ms_);
    ravak::win32::ShowTipWindow(tip, interval_ms, [](HWND window, const ravak::TipMotion& m) {
      char line[96];
      std::snprintf(line, sizeof line, "%llu %s %d %d",
                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)),
                    PhaseName(m.Phase()), m.Left(), m.Top());
      Append(line);
    });
  }

 private:
  int interval_ms_;
};

void CALLBACK QuitWhenNoTipIsLeft(HWND, UINT, UINT_PTR, DWORD) {
  if (ravak::win32::OpenTipWindows() == 0) PostQuitMessage(0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  SetProcessDPIAware();  // as Ravak is: the tip is drawn for the screen's DPI
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring move = L"current";
  int32_t position = 0;
  int tips = 1;
  int interval = 0;
  ravak::GregorianDate date = ravak::win32::LocalDate();
  for (int i = 1; i + 1 < argc; ++i) {
    const std::wstring opt = argv[i];
    const wchar_t* value = argv[i + 1];
    if (opt == L"--move") move = value;
    if (opt == L"--position") position = _wtoi(value);
    if (opt == L"--tips") tips = _wtoi(value);
    if (opt == L"--interval") interval = _wtoi(value);
    if (opt == L"--date") swscanf(value, L"%d/%d/%d", &date.year, &date.month, &date.day);
    if (opt == L"--log") g_log = value;
  }
  LocalFree(argv);

  HostPresenter presenter(interval);
  ravak::SayingsCommands commands(
      ravak::CarriedSayingsBlock(), position, [date] { return date; }, presenter);
  try {
    for (int i = 0; i < tips; ++i) {
      if (move == L"next") commands.Next();
      if (move == L"back") commands.Previous();
      if (move == L"current") commands.ShowCurrent();
    }
  } catch (const ravak::Error& e) {
    Append(std::string("error: ") + e.what());
    return 1;
  }
  Append("position " + std::to_string(position));

  // Ends once every tip has slid out.
  SetTimer(nullptr, 0, 50, QuitWhenNoTipIsLeft);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
