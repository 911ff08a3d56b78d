// The whole program over fakes: the platform (keyboard, pump, clipboard, hotkeys, registry,
// Kerrak) and every feature wired as the program wires them, for tests that drive the settings
// and the commands together.
#pragma once

#include "app/settings_controller.h"
#include "tests/fakes/fake_hook.h"
#include "tests/fakes/fake_hotkeys.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/memory_registry.h"

namespace ravak::testing {

class FixedForeground : public ForegroundWindowQuery, public TypingTargetQuery {
 public:
  WindowId ForegroundWindow() override { return 1; }
  uint16_t ForegroundLanguage() override { return language; }
  bool FocusIsPassword() override { return false; }
  uint16_t language = 0x0409;  // English (United States)
};

struct FakeDesktop {
  static constexpr char16_t kKerrakPath[] = u"C:\\Windows\\system32\\Kerrak.dll";

  Log log;
  FakeKeyboard keyboard{log};
  FakePump pump{log};
  FakeClipboard clipboard{log};
  FakeKeyHold hold{log};
  SyntheticInput input{keyboard, pump, hold, [this] { return settings.slow_system; }};
  ClipboardText clipboard_text{clipboard, pump};
  InlineThreadStarter threads;
  MemoryRegistry registry;
  FakeHotkeys hotkeys;  // and the error report
  FakeHookHost hook_host = [] {
    FakeHookHost host;
    host.loadable = {kKerrakPath};
    return host;
  }();
  FixedForeground foreground;

  Settings settings;
  MasterSwitch master;
  LayoutMap layout;
  SettingsStore store{registry};
  ConversionFeature conversion{settings, master,  layout,  input,  clipboard_text,
                               pump,     threads, hotkeys, hotkeys};
  CopyStackFeature copy_stack{master, input, clipboard_text, hotkeys, hotkeys};
  KeyboardHook hook{hook_host, hotkeys, {kKerrakPath}};
  AutoCorrectFeature autocorrect{settings, master, hook, input, clipboard_text, foreground};
  AutoSwitchFeature autoswitch{settings, master,     hook,       layout,
                               input,    foreground, foreground, conversion.Command()};
  SettingsController controller{settings,   store,       layout,     conversion,
                                copy_stack, autocorrect, autoswitch, hotkeys};
};

}  // namespace ravak::testing
