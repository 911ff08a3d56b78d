// ravak-hookhost: deploys and loads Kerrak from the carried image the way the program does,
// starts the keyboard hook and logs what it reports, and runs the auto-correct engine on the
// typing as the program does, so that the hook and the engine can be driven end to end on
// their own.
//
//   ravak-hookhost.exe [--list FILE] [--slow] [--ready FILE] [--log FILE] [--take-record-name]
//                      [--squat-record]
// --list: a UTF-8 file, three lines per entry (after text, before text, keyword), in which
//         "\n", "\r" and "\\" stand for a line feed, a carriage return and a backslash.
// --log appends "deployed PATH" / "loaded PATH" / "hooked" at start, then one line per
// key Kerrak reports ("key 0xNN" with " shift"/" ctrl"/" alt" and " in WINDOW", the foreground
// window), "replaced" after each replacement, and one line per error ("error: ...").
// --take-record-name: a mutex takes the name of Kerrak's shared record first, so that it
//         cannot be created.
// --squat-record: a file mapping of that name is created first with the default security, as
//         another program could create it before Ravak starts.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "autocorrect/autocorrect_engine.h"
#include "autocorrect/autocorrect_win32.h"
#include "hook/hook_win32.h"
#include "hookdll/kerrak_image.h"
#include "platform/utf.h"
#include "platform/win32.h"
#include "tests/e2e/win/host_log.h"
#include "typing/key_gate_win32.h"

namespace {

using ravak::testing::Append;
using ravak::testing::LoggingErrorReport;

std::u16string Unescape(const std::string& line) {
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      const char c = line[++i];
      out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    } else if (line[i] != '\r') {
      out += line[i];
    }
  }
  return ravak::Utf8ToUtf16(out).value_or(u"?");
}

std::vector<std::u16string> ReadItems(const std::wstring& path) {
  std::vector<std::u16string> items;
  std::ifstream in(ravak::win32::Narrow(path), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) items.push_back(Unescape(line));
  return items;
}

std::string KeyLine(uint16_t key, ravak::ShiftState shift) {
  char buf[16];
  wsprintfA(buf, "key 0x%02X", key);
  std::string line = buf;
  if (shift.shift) line += " shift";
  if (shift.ctrl) line += " ctrl";
  if (shift.alt) line += " alt";
  return line;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring list_path, ready, log;
  bool slow = false;
  bool take_record_name = false;
  bool squat_record = false;
  for (int i = 1; i < argc; ++i) {
    const std::wstring opt = argv[i];
    if (opt == L"--list" && i + 1 < argc) list_path = argv[++i];
    if (opt == L"--slow") slow = true;
    if (opt == L"--ready" && i + 1 < argc) ready = argv[++i];
    if (opt == L"--log" && i + 1 < argc) log = argv[++i];
    if (opt == L"--take-record-name") take_record_name = true;
    if (opt == L"--squat-record") squat_record = true;
  }
  LocalFree(argv);

  // Start-up: deploy, then load and hook, as the program does before its main window exists.
  ravak::win32::KerrakFiles files;
  const ravak::KerrakDeployment deployment = ravak::DeployKerrak(files, ravak::KerrakImage());
  if (!deployment.written.empty())
    Append(log, "deployed " + ravak::Utf16ToUtf8(deployment.written));
  if (deployment.error) Append(log, "error: " + *deployment.error);

  ravak::win32::Keyboard keyboard;
  ravak::win32::MessagePump pump;
  LoggingErrorReport errors(log);
  ravak::win32::Clipboard clipboard;
  ravak::ClipboardText clipboard_text(clipboard, pump);
  ravak::KeyStream keys;
  ravak::KeyGate gate(keys, keyboard, errors, [] { return GetTickCount64(); });
  ravak::SyntheticInput input(keyboard, pump, gate, [&slow] { return slow; });
  ravak::win32::ForegroundQuery foreground;
  ravak::win32::TypingTarget target;
  ravak::AutoCorrectList list;
  if (!list_path.empty()) list.LoadFlat(ReadItems(list_path));
  ravak::TypedRecord record;
  ravak::AutoCorrectEngine engine(list, input, clipboard_text, target, record);
  const ravak::AutoCorrectSwitches switches{true, true};
  keys.AddWatcher([&](const ravak::UserInput& typed, bool taken) {
    ravak::KeyVerdict verdict = engine.OnInput(switches, typed, taken);
    if (verdict.action) {
      verdict.action = [&log, replace = std::move(verdict.action)] {
        replace();
        Append(log, "replaced");
      };
    }
    return verdict;
  });
  ravak::win32::LowLevelKeyGate key_gate(gate);

  // Held until exit.
  if (take_record_name) CreateMutexA(nullptr, FALSE, KERRAK_MAPPING_NAME);
  if (squat_record) {
    CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, KERRAK_HOOK_REC_SIZE,
                       KERRAK_MAPPING_NAME);
  }
  ravak::win32::KerrakHost host;
  std::unique_ptr<ravak::KeyboardHook> hook;
  try {
    hook = std::make_unique<ravak::KeyboardHook>(host, errors, deployment.load_order);
  } catch (const std::exception& e) {
    Append(log, std::string("error: ") + e.what());
    return 1;
  }
  if (hook->Loaded()) Append(log, "loaded " + ravak::Utf16ToUtf8(hook->KerrakPath()));
  if (hook->Hooked()) Append(log, "hooked");
  hook->AddOnKey([&](uint16_t key, ravak::ShiftState shift) {
    char window[32];
    std::snprintf(window, sizeof window, " in %llX",
                  static_cast<unsigned long long>(foreground.ForegroundWindow()));
    Append(log, KeyLine(key, shift) + window);
  });
  if (!ready.empty()) Append(ready, "ready");
  const int code = pump.Run();
  hook.reset();
  return code;
}
