#include "convert/conversion.h"

#include <algorithm>

#include "typing/key_text.h"
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

void ConversionCommand::ConvertCurrentLine(ShiftState held) {
  Sequence sequence(input_);
  const ClipboardSnapshot saved = clipboard_.Save();

  input_.ReleaseModifiers(held);
  input_.Release(vk::kControl);
  input_.Pause(20);
  input_.PressExtended(vk::kLShift);
  input_.Pause(20);
  input_.PressExtended(vk::kHome);
  input_.Pause(20);
  input_.Release(vk::kHome);
  input_.Pause(20);
  input_.Release(vk::kLShift);
  input_.ReleaseExtended(vk::kRShift);
  input_.Pause(20);

  // An application cuts nothing when nothing is selected (the caret at a line start). The
  // clipboard then still holds the user's own content, which must be neither converted nor
  // pasted into the document.
  const uint32_t before_cut = clipboard_.SequenceNumber();
  input_.SendCtrlChord(u'X');
  if (!clipboard_.WaitForChange(before_cut)) return;

  const std::u16string line = clipboard_.Read();
  clipboard_.Offer(map_.ConvertTrailingRun(line), ClipboardUse::ToPaste);
  input_.SendCtrlChord(u'V');
  // The user's clipboard comes back once the application has read the line; one that never
  // reads it gets it back a second later.
  clipboard_.WaitUntilTaken();
  clipboard_.Restore(saved);
}

bool ConversionCommand::ReplaceSelection(bool reselect) {
  const ClipboardSnapshot saved = clipboard_.Save();
  const uint32_t before_copy = clipboard_.SequenceNumber();
  input_.SendCtrlChord(u'C');
  if (!clipboard_.WaitForChange(before_copy)) return false;
  const std::u16string converted = map_.ConvertEach(clipboard_.Read());
  clipboard_.Offer(converted, ClipboardUse::ToPaste);
  input_.SendCtrlChord(u'V');
  clipboard_.WaitUntilTaken();
  clipboard_.Restore(saved);
  if (reselect) {
    input_.Press(vk::kLShift);
    input_.SendKeyTimes(vk::kLeft,
                        static_cast<uint8_t>(std::min<std::size_t>(CaretSteps(converted), 255)));
    input_.ReleaseShifts();
  }
  return true;
}

bool ConversionCommand::ConvertSelection(ShiftState held) {
  Sequence sequence(input_);
  input_.ReleaseModifiers(held);
  return ReplaceSelection(true);
}

bool ConversionCommand::ConvertLastWord(ShiftState held) {
  Sequence sequence(input_);
  input_.ReleaseModifiers(held);
  input_.Press(vk::kControl);
  input_.Press(vk::kLShift);
  input_.Pause(20);
  input_.PressExtended(vk::kLeft);
  input_.Release(vk::kLeft);
  input_.Pause(20);
  input_.ReleaseShifts();
  input_.Release(vk::kControl);
  input_.Pause(20);
  return ReplaceSelection(false);
}

void ConversionCommand::ChangeLanguage(KeyboardOutput& keyboard, Sleeper& sleeper) {
  constexpr uint8_t kScan = 1;
  keyboard.KeyEvent(vk::kRMenu, kScan, 0);
  sleeper.Sleep(15);
  keyboard.KeyEvent(vk::kLShift, kScan, kKeyEventExtended);
  sleeper.Sleep(15);
  keyboard.KeyEvent(vk::kLShift, kScan, kKeyEventKeyUp);
  keyboard.KeyEvent(vk::kRShift, kScan, kKeyEventKeyUp | kKeyEventExtended);
  sleeper.Sleep(15);
  keyboard.KeyEvent(vk::kLMenu, kScan, kKeyEventKeyUp);
  keyboard.KeyEvent(vk::kRMenu, kScan, kKeyEventKeyUp | kKeyEventExtended);
}

void ConversionCommand::SwitchKeyboardLanguage() {
  KeyboardOutput& keyboard = input_.keyboard();
  Sleeper& sleeper = thread_sleeper_;
  UserKeyHold& hold = input_.hold();
  // The user's keys stay held until the language has changed, so that they type in the new one.
  hold.Begin();
  try {
    threads_.Start([&keyboard, &sleeper, &hold] {
      ChangeLanguage(keyboard, sleeper);
      hold.End();
    });
  } catch (...) {
    hold.End();
    throw;
  }
}

bool ConversionCommand::HotkeyPressed(const ConversionSwitches& switches, ShiftState shift) {
  return HotkeyPressed(Scope::kLine, switches, shift);
}

bool ConversionCommand::HotkeyPressed(Scope scope, const ConversionSwitches& switches,
                                      ShiftState shift) {
  if (!switches.active_flag) return false;
  if (!switches.enabled) return false;
  if (running_) return false;
  Sequence sequence(input_);
  {
    RunningFlag guard(running_);
    switch (scope) {
      case Scope::kLine:
        ConvertCurrentLine(shift);
        break;
      case Scope::kSelection:
        if (!ConvertSelection(shift)) return true;
        break;
      case Scope::kLastWord:
        if (!ConvertLastWord(shift)) return true;
        break;
    }
  }
  if (switches.auto_change_language) SwitchKeyboardLanguage();
  return true;
}

}  // namespace ravak
