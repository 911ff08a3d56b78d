// The whole program over fakes: the platform (keyboard, pump, clipboard, hotkeys, registry,
// Kerrak), the user's typing through the key gate, and every feature wired as the program wires
// them, for tests that drive the settings, the typing and the commands together.
#pragma once

#include "app/settings_controller.h"
#include "tests/fakes/fake_hook.h"
#include "tests/fakes/fake_hotkeys.h"
#include "tests/fakes/fake_keyboard_layouts.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_typing.h"
#include "tests/fakes/memory_registry.h"

namespace ravak::testing {

class FixedForeground : public ForegroundWindowQuery, public TypingTargetQuery {
 public:
  WindowId ForegroundWindow() override { return window; }
  // The field, when it can be read (a standard edit): its text before the caret on its line.
  bool FieldLineBeforeCaret(std::u16string& text) override {
    if (!readable) return false;
    const std::u16string before = readable->text.substr(0, readable->caret);
    const std::size_t line = before.find_last_of(u'\n');
    text = line == std::u16string::npos ? before : before.substr(line + 1);
    return true;
  }
  WindowId window = 1;
  FakeTextField* readable = nullptr;
  uint32_t ForegroundLayout() override { return layout; }
  bool FocusIsPassword() override { return password; }
  std::u16string ForegroundProgram() override { return program; }
  bool ForegroundIsFullScreen() override { return full_screen; }
  std::optional<ScreenRect> CaretRect() override { return caret; }
  uint32_t layout = 0x0409;  // English (United States)
  std::u16string program = u"Notepad.exe";
  bool full_screen = false;
  bool password = false;
  std::optional<ScreenRect> caret;
};

// The mark of a switch: what it would show, while it is shown.
class FakeSwitchMark : public SwitchMarkPresenter {
 public:
  void Show(const std::u16string& typed, std::optional<ScreenRect> caret) override {
    shown = typed;
    at = caret;
  }
  void Hide() override { shown.reset(); }
  std::optional<std::u16string> shown;
  std::optional<ScreenRect> at;
};

struct FakeDesktop {
  static constexpr char16_t kKerrakPath[] = u"C:\\Windows\\system32\\Kerrak.dll";

  Log log;
  FakeKeyboard keyboard{log};
  FakePump pump{log};
  FakeClipboard clipboard{log};
  FakeHotkeys hotkeys;  // and the error report
  FakeTyping typing{keyboard, clipboard, hotkeys};
  SyntheticInput input{keyboard, pump, typing.gate, [this] { return settings.slow_system; }};
  ClipboardText clipboard_text{clipboard, pump};
  InlineThreadStarter threads;
  MemoryRegistry registry;
  FakeHookHost hook_host = [] {
    FakeHookHost host;
    host.loadable = {kKerrakPath};
    return host;
  }();
  FixedForeground foreground;

  Settings settings;
  MasterSwitch master;
  FakeInstalledLayouts installed_layouts;  // none: the built-in tables serve
  LayoutMap layout;
  TypingLayouts layouts{installed_layouts, layout};
  SettingsStore store{registry};
  TypedRecord record;
  ConversionFeature conversion{settings, master,  layouts, input,         clipboard_text, pump,
                               threads,  hotkeys, hotkeys, typing.stream, foreground,     record};
  CopyStackFeature copy_stack{master,  input,         clipboard_text, hotkeys,
                              hotkeys, typing.stream, record};
  KeyboardHook hook{hook_host, hotkeys, {kKerrakPath}};
  LocalDateTime now{{2026, 12, 10}, 14, 5};  // the clock, read when a text's variables are filled
  AutoCorrectFeature autocorrect{settings,       master,     typing.stream, input,
                                 clipboard_text, foreground, record,        [this] { return now; }};
  FakeSwitchMark switch_mark;
  AutoSwitchFeature autoswitch{settings,   master, typing.stream,        layouts,    input,
                               foreground, record, conversion.Command(), switch_mark};
  LiveFixFeature live_fix{settings,   master, typing.stream,        layouts,    input,
                          foreground, record, conversion.Command(), autoswitch, switch_mark};
  // The record follows the typing as the program's does.
  const bool keeping_record = [this] {
    KeepRecord(typing.stream, record, layouts);
    typing.front = &foreground;
    typing.front_layout = &foreground;
    return true;
  }();
  SettingsController controller{settings,   store,       layout,     layouts,  conversion,
                                copy_stack, autocorrect, autoswitch, live_fix, hotkeys};
};

}  // namespace ravak::testing
