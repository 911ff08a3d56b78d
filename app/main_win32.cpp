// Ravak.exe: start-up, single instance, the main window and the message loop.
#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <memory>
#include <vector>

#include "app/main_form.h"
#include "app/main_window_win32.h"
#include "app/startup.h"
#include "autocorrect/autocorrect_win32.h"
#include "hook/hook_win32.h"
#include "hookdll/kerrak_image.h"
#include "platform/error.h"
#include "platform/registry.h"
#include "platform/win32.h"
#include "sayings/sayings_block.h"
#include "sayings/sayings_commands.h"
#include "sayings/tip_window_win32.h"

namespace {

std::u16string ProgramFileName() {
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return ravak::win32::FromWide(path);
}

int RunProgram(HINSTANCE instance, const std::vector<std::u16string>& kerrak_paths) {
  using namespace ravak;
  win32::Keyboard keyboard;
  win32::MessagePump pump;
  win32::HotkeyRegistrar hotkeys;
  win32::MessageBoxErrorReport errors(win32::ToWide(kApplicationTitle));
  auto registry = MakeCurrentUserRegistry();
  DetachedThreadStarter threads;
  win32::ForegroundQuery foreground;

  win32::MainWindow window(instance, pump);
  win32::Clipboard clipboard(window.hwnd());
  ClipboardText clipboard_text(clipboard, pump);
  TfrmMain* form_ptr = nullptr;
  SyntheticInput input(keyboard, pump,
                       [&form_ptr] { return form_ptr && form_ptr->chkSlowSystem.checked; });
  TfrmMain form(MainFormServices{*registry, hotkeys, errors, input, clipboard_text, pump, threads,
                                 foreground},
                window);
  form_ptr = &form;
  win32::TipWindowPresenter tips;
  SayingsCommands sayings(CarriedSayingsBlock(), form.dxmdt1Tag, win32::LocalDate, tips);
  form.onNextSaying = [&sayings] { sayings.mniNextSokhanClick(); };
  form.onPreviousSaying = [&sayings] { sayings.mniBackSokhanClick(); };
  form.onShowSaying = [&sayings] { sayings.jvtrycn1DblClick(); };
  // khook1: Kerrak loaded by the full path of a deployed copy; without one the program cannot
  // start ("Could not find or load KERRAK.DLL").
  win32::KerrakHost kerrak_host;
  TAdvSysKeyboardHook khook1(kerrak_host, errors, kerrak_paths);
  khook1.SetOnKeyDown([&form](TAdvSysKeyboardHook&, uint16_t key, ShiftState shift, bool&) {
    form.khook1KeyDown(key, shift);
  });
  window.Attach(form);
  form.FormCreate();
  return pump.Run();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace ravak;
  // The single-instance marker stays open for the life of the process.
  CreateMutexW(nullptr, FALSE, win32::ToWide(kMutexName).c_str());
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::u16string first = argc > 1 && argv ? win32::FromWide(argv[1]) : u"";
  if (argv) LocalFree(argv);
  if (ShouldGiveWay(existed, first)) {
    MessageBoxW(nullptr, win32::ToWide(kAlreadyRunningMessage).c_str(),
                win32::ToWide(DefaultApplicationTitle(ProgramFileName())).c_str(),
                MB_OK | MB_RTLREADING | MB_RIGHT);
    return 0;
  }

  // Kerrak is written out before the main window is made; a copy that cannot be written is
  // reported, and start-up goes on.
  win32::KerrakFiles files;
  const KerrakDeployment deployment = DeployKerrak(files, KerrakImage());
  if (deployment.error) {
    MessageBoxW(nullptr, win32::Widen(*deployment.error).c_str(),
                win32::ToWide(DefaultApplicationTitle(ProgramFileName())).c_str(),
                MB_OK | MB_ICONERROR);
  }
  try {
    return RunProgram(instance, deployment.load_order);
  } catch (const std::exception& e) {
    const std::wstring text = L"Exception in module " +
                              win32::ToWide(DefaultApplicationTitle(ProgramFileName())) + L".\n\n" +
                              win32::Widen(ErrorReportText(e.what()));
    MessageBoxW(nullptr, text.c_str(), L"Application Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    return 1;
  }
}
