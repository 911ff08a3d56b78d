// ravak-convhost: owns a conversion hotkey and runs the conversion command with the same
// components the program uses, so the command can be driven end to end on its own.
//
//   ravak-convhost.exe [--hotkey WORD] [--auto-lang] [--slow] [--ready FILE] [--log FILE]
// --log appends one line per handled press ("converted <microseconds> us" or "ignored") and
// per error.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "autocorrect/autocorrect_win32.h"
#include "convert/conversion.h"
#include "hotkeys/global_hotkey.h"
#include "platform/win32.h"
#include "tests/e2e/win/host_log.h"
#include "typing/key_gate_win32.h"

namespace {

using ravak::testing::Append;
using ravak::testing::LoggingErrorReport;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  ravak::TShortCut hotkey = 0x8041;  // Alt+A
  ravak::ConversionSwitches switches;
  switches.enabled = true;
  bool slow = false;
  std::wstring ready, log;
  for (int i = 1; i < argc; ++i) {
    const std::wstring opt = argv[i];
    if (opt == L"--hotkey" && i + 1 < argc)
      hotkey = static_cast<ravak::TShortCut>(_wtoi(argv[++i]));
    if (opt == L"--auto-lang") switches.auto_change_language = true;
    if (opt == L"--slow") slow = true;
    if (opt == L"--ready" && i + 1 < argc) ready = argv[++i];
    if (opt == L"--log" && i + 1 < argc) log = argv[++i];
  }
  LocalFree(argv);

  ravak::win32::Keyboard keyboard;
  ravak::win32::MessagePump pump;
  ravak::win32::HotkeyRegistrar registrar;
  LoggingErrorReport errors(log);
  ravak::win32::Clipboard clipboard;
  ravak::ClipboardText clipboard_text(clipboard, pump);
  ravak::KeyStream keys;
  ravak::KeyGate gate(keys, keyboard, errors, [] { return GetTickCount64(); });
  ravak::SyntheticInput input(keyboard, pump, gate, [&slow] { return slow; });
  ravak::LayoutMap map;
  map.ApplyKeyboardType(1);
  ravak::win32::InstalledKeyboardLayouts installed;
  ravak::TypingLayouts layouts(installed, map);
  layouts.Refresh();
  ravak::DetachedThreadStarter threads;
  ravak::win32::TypingTarget target;
  ravak::win32::ForegroundQuery foreground;
  ravak::TypedRecord record;
  ravak::KeepRecord(keys, record, layouts);
  ravak::ConversionCommand command(layouts, input, clipboard_text, pump, threads, target, record);

  ravak::GlobalHotkey conversion_hotkey(registrar, errors, keys);
  conversion_hotkey.SetActive(false);
  conversion_hotkey.SetCombination(hotkey);
  conversion_hotkey.SetOnPress([&](ravak::ShiftState held, uint32_t layout) {
    LARGE_INTEGER t0, t1, freq;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    const bool ran = command.HotkeyPressed(switches, held, layout);
    QueryPerformanceCounter(&t1);
    const long long us = (t1.QuadPart - t0.QuadPart) * 1000000 / freq.QuadPart;
    Append(log, ran ? "converted " + std::to_string(us) + " us" : "ignored");
  });
  conversion_hotkey.SetActive(true);
  ravak::win32::LowLevelKeyGate key_gate(gate);
  if (!ready.empty()) Append(ready, "ready");
  return pump.Run();
}
