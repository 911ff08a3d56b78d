// Ravak.exe: start-up, single instance, and the one place where the program is put together.
#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <memory>
#include <vector>

#include "app/about_splash_win32.h"
#include "app/app_window_win32.h"
#include "app/commands.h"
#include "app/resource.h"
#include "app/settings_controller.h"
#include "app/settings_window_win32.h"
#include "app/startup.h"
#include "app/switch_mark_win32.h"
#include "app/tray_menu_win32.h"
#include "autocorrect/autocorrect_win32.h"
#include "hook/hook_win32.h"
#include "hookdll/kerrak_image.h"
#include "platform/error.h"
#include "platform/object_security_win32.h"
#include "platform/registry.h"
#include "platform/win32.h"
#include "platform/win32_window.h"
#include "sayings/sayings_block.h"
#include "sayings/sayings_commands.h"
#include "sayings/tip_window_win32.h"
#include "settings/program_list.h"
#include "typing/key_gate_win32.h"

namespace ravak::win32 {
namespace {

// Libraries are taken from System32 alone, never from the program's folder (a download folder,
// say) or the current one. Windows 7 without its update KB2533623 lacks the call.
void LoadLibrariesFromSystem32Only() {
  using SetDirectoriesFn = BOOL(WINAPI*)(DWORD);
  if (const auto set = reinterpret_cast<SetDirectoriesFn>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")))) {
    set(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
}

std::u16string ProgramFileName() {
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return FromWide(path);
}

// The whole program, its parts built in the order they depend on each other: the system, the
// settings model, the features that read it (each owning its hotkey or hook subscription), the
// settings controller over them, and the windows.
class Program final : public CommandHandler, public ApplicationEvents {
 public:
  Program(HINSTANCE instance, const std::vector<std::u16string>& kerrak_paths)
      : instance_(instance), hook_(kerrak_host_, errors_, kerrak_paths) {
    // Kerrak's reports of key presses show whether the low-level hook still sees the typing.
    hook_.AddOnKey([this](uint16_t, ShiftState) { key_gate_.Witness(); });
    KeepRecord(keys_, record_, layouts_);
    // The program the user last typed or clicked in, for the tray menu opened from the taskbar.
    keys_.AddObserver([this](const UserInput& input, const KeyVerdict&) {
      if (input.kind == UserInput::Kind::kKey && input.key.stroke.up) return;
      if (std::u16string program = ProgramInFront(); !program.empty())
        last_program_ = std::move(program);
    });
  }

  int Run() {
    tray_.Show();
    controller_.Start();
    if (settings_.saying_at_start) Run(Command::kNextSaying);
    return pump_.Run();
  }

  // CommandHandler: the tray menu and the icon.
  bool Active() const override { return master_.on; }
  bool AutoDetect() const override { return settings_.auto_detect; }
  // The shell's windows come in front on the way to the menu (under Wine, its desktop too).
  std::u16string ProgramInFront() override {
    std::u16string program =
        typing_target_.ForegroundIsShell() ? u"" : typing_target_.ForegroundProgram();
    return program.empty() ? last_program_ : program;
  }
  bool ProgramExcluded(const std::u16string& program) const override {
    return ListsProgram(settings_.excluded_programs, program);
  }
  void ToggleProgram(const std::u16string& program) override {
    ReportErrors(errors_, [&] { controller_.ToggleProgram(program); });
    settings_window_.ShowModel();
  }
  void Run(Command command) override {
    ReportErrors(errors_, [&] {
      switch (command) {
        case Command::kToggleActive:
          master_.on = !master_.on;
          break;
        case Command::kToggleAutoDetect:
          controller_.SetChecked(*FieldOfControl(IDC_AUTO_DETECT), !settings_.auto_detect);
          settings_window_.ShowModel();
          break;
        case Command::kSettings:
          settings_window_.Show();
          break;
        case Command::kNextSaying:
          sayings_.Next();
          break;
        case Command::kPreviousSaying:
          sayings_.Previous();
          break;
        case Command::kShowSaying:
          sayings_.ShowCurrent();
          break;
        case Command::kAbout:
          controller_.ApplyKeyboardType();
          settings_window_.ShowModel();
          splash_.Show();
          break;
        case Command::kExit:
          app_.Close();
          break;
      }
    });
  }

  // ApplicationEvents: the program ends.
  void Closing() override {
    ReportErrors(errors_, [&] { controller_.Exit(settings_window_.Hotkeys()); });
  }
  void Closed() override {
    tray_.Hide();
    settings_window_.Hide();
  }

 private:
  HINSTANCE instance_;
  // The system
  Keyboard keyboard_;
  MessagePump pump_;
  HotkeyRegistrar hotkeys_;
  MessageBoxErrorReport errors_{ToWide(kApplicationTitle)};
  std::unique_ptr<Registry> registry_ = MakeCurrentUserRegistry();
  DetachedThreadStarter threads_;
  ForegroundQuery foreground_;
  TypingTarget typing_target_;
  ApplicationWindow app_{instance_, *this};
  Clipboard clipboard_;
  ClipboardText clipboard_text_{clipboard_, pump_};
  // The settings
  Settings settings_;
  MasterSwitch master_;
  SettingsStore store_{*registry_};
  // The user's typing in the order typed, which the features watch, and the gate where it meets
  // Ravak's own keys
  KeyStream keys_;
  // The features report their errors through the gate: a box waits until the user's keys are
  // no longer held.
  KeyGate gate_{keys_, keyboard_, errors_, [] { return GetTickCount64(); }};
  TypedRecord record_;  // what was typed into the field in front
  // The features
  SyntheticInput input_{keyboard_, pump_, gate_, [this] { return settings_.slow_system; }};
  // The user's keyboards, read from the system by the controller at start
  InstalledKeyboardLayouts installed_layouts_;
  LayoutMap layout_;
  TypingLayouts layouts_{installed_layouts_, layout_};
  ConversionFeature conversion_{settings_, master_,  layouts_, input_, clipboard_text_, pump_,
                                threads_,  hotkeys_, gate_,    keys_,  typing_target_,  record_};
  CopyStackFeature copy_stack_{master_, input_, clipboard_text_, hotkeys_, gate_, keys_, record_};
  // Kerrak loaded by the full path of a deployed copy; without one the program cannot start
  // ("Could not find or load KERRAK.DLL").
  KerrakHost kerrak_host_;
  KeyboardHook hook_;
  AutoCorrectFeature autocorrect_{settings_,       master_,        keys_,   input_,
                                  clipboard_text_, typing_target_, record_, LocalNow};
  SwitchMarkWindow switch_mark_{instance_, [this] { return tray_.IconRect(); }};
  AutoSwitchFeature autoswitch_{settings_,   master_,        keys_,   layouts_,
                                input_,      typing_target_, record_, conversion_.Command(),
                                switch_mark_};
  LiveFixFeature live_fix_{settings_,   master_,        keys_,   layouts_,
                           input_,      typing_target_, record_, conversion_.Command(),
                           autoswitch_, switch_mark_};
  // The hooks start once every watcher is there.
  LowLevelKeyGate key_gate_{gate_};
  TipWindowPresenter tips_;
  SayingsCommands sayings_{CarriedSayingsBlock(), settings_.saying_position, LocalDate, tips_};
  // The settings window and the rest of the face
  SettingsController controller_{settings_,   store_,       layout_,     layouts_,  conversion_,
                                 copy_stack_, autocorrect_, autoswitch_, live_fix_, errors_};
  SettingsWindow settings_window_{instance_,    pump_,   controller_, copy_stack_,
                                  autocorrect_, errors_, app_.hwnd()};
  AboutSplash splash_{instance_};
  TrayIcon tray_{instance_, *this, FromWide(LoadText(instance_, IDS_TRAY_HINT)), pump_};
  std::u16string last_program_;
};

}  // namespace
}  // namespace ravak::win32

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace ravak;
  // Before anything loads a library by name (GDI+ is loaded at its first use).
  win32::LoadLibrariesFromSystem32Only();
  const std::wstring title = win32::ToWide(DefaultApplicationTitle(win32::ProgramFileName()));
  // The single-instance marker stays open for the life of the process. One that another owner
  // made says nothing about a running Ravak of this user: it is not taken for one.
  const win32::PrivateObject marker = win32::CreatePrivateMutex(win32::ToWide(kMutexName).c_str());
  const bool existed = marker.existed && !marker.foreign;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::u16string first = argc > 1 && argv ? win32::FromWide(argv[1]) : u"";
  if (argv) LocalFree(argv);
  if (ShouldGiveWay(existed, first)) {
    MessageBoxW(nullptr, win32::LoadText(instance, IDS_ALREADY_RUNNING).c_str(), title.c_str(),
                MB_OK | MB_RTLREADING | MB_RIGHT);
    return 0;
  }

  // Kerrak is written out before anything else is made; a copy that cannot be written is
  // reported, and start-up goes on.
  win32::KerrakFiles files;
  const KerrakDeployment deployment = DeployKerrak(files, KerrakImage());
  if (deployment.error) {
    MessageBoxW(nullptr, win32::Widen(*deployment.error).c_str(), title.c_str(),
                MB_OK | MB_ICONERROR);
  }
  try {
    auto program = std::make_unique<win32::Program>(instance, deployment.load_order);
    return program->Run();
  } catch (const std::exception& e) {
    const std::wstring text =
        L"Exception in module " + title + L".\n\n" + win32::Widen(ErrorReportText(e.what()));
    MessageBoxW(nullptr, text.c_str(), L"Application Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    return 1;
  }
}
