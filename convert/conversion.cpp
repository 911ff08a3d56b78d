#include "convert/conversion.h"

#include "typing/running_flag.h"

namespace ravak {

ConversionCommand::ConversionCommand(const LayoutMap& map, SyntheticInput& input,
                                     ClipboardText& clipboard, Sleeper& thread_sleeper,
                                     ThreadStarter& threads)
    : map_(map),
      input_(input),
      clipboard_(clipboard),
      thread_sleeper_(thread_sleeper),
      threads_(threads) {}

void ConversionCommand::ReleaseHeldModifiers(ShiftState held) {
  if (!held.alt && !held.ctrl && !held.shift) return;
  input_.Press(vk::kMask);
  input_.Release(vk::kMask);
  if (held.alt) {
    input_.Release(vk::kLMenu);
    input_.Release(vk::kRMenu);
  }
  if (held.ctrl) {
    input_.Release(vk::kLControl);
    input_.Release(vk::kRControl);
  }
  if (held.shift) {
    input_.Release(vk::kLShift);
    input_.Release(vk::kRShift);
  }
}

void ConversionCommand::ConvertCurrentLine(ShiftState held) {
  const ClipboardSnapshot saved = clipboard_.Save();

  ReleaseHeldModifiers(held);
  input_.Release(vk::kControl);
  input_.PumpAndSleep(20);
  input_.PressExtended(vk::kLShift);
  input_.PumpAndSleep(20);
  input_.PressExtended(vk::kHome);
  input_.PumpAndSleep(20);
  input_.Release(vk::kHome);
  input_.PumpAndSleep(20);
  input_.Release(vk::kLShift);
  input_.Release(vk::kRShift);
  input_.PumpAndSleep(20);

  // An application cuts nothing when nothing is selected (the caret at a line start). The
  // clipboard then still holds the user's own content, which must be neither converted nor
  // pasted into the document.
  const uint32_t before_cut = clipboard_.SequenceNumber();
  input_.SendCtrlChord(u'X');
  input_.PumpAndSleep(20);
  if (clipboard_.SequenceNumber() == before_cut) return;

  const std::u16string line = clipboard_.Read();
  input_.PumpAndSleep(20);
  const std::u16string result = map_.ConvertTrailingRun(line);
  clipboard_.Write(result, ClipboardUse::ToPaste);
  input_.PumpAndSleep(20);
  input_.SendCtrlChord(u'V');
  input_.PumpAndSleep(20);
  clipboard_.Restore(saved);
}

void ConversionCommand::ChangeLanguage(KeyboardOutput& keyboard, Sleeper& sleeper) {
  constexpr uint8_t kScan = 1;
  keyboard.KeyEvent(vk::kRMenu, kScan, 0);
  sleeper.Sleep(15);
  keyboard.KeyEvent(vk::kLShift, kScan, kKeyEventExtended);
  sleeper.Sleep(15);
  keyboard.KeyEvent(vk::kLShift, kScan, kKeyEventKeyUp);
  keyboard.KeyEvent(vk::kRShift, kScan, kKeyEventKeyUp);
  sleeper.Sleep(15);
  keyboard.KeyEvent(vk::kLMenu, kScan, kKeyEventKeyUp);
  keyboard.KeyEvent(vk::kRMenu, kScan, kKeyEventKeyUp);
}

void ConversionCommand::SwitchKeyboardLanguage() {
  KeyboardOutput& keyboard = input_.keyboard();
  Sleeper& sleeper = thread_sleeper_;
  threads_.Start([&keyboard, &sleeper] { ChangeLanguage(keyboard, sleeper); });
}

bool ConversionCommand::HotkeyPressed(const ConversionSwitches& switches, ShiftState shift) {
  if (!switches.active_flag) return false;
  if (!switches.enabled) return false;
  if (running_) return false;
  {
    RunningFlag guard(running_);
    ConvertCurrentLine(shift);
  }
  if (switches.auto_change_language) SwitchKeyboardLanguage();
  return true;
}

}  // namespace ravak
