#include "convert/conversion.h"

#include <algorithm>

#include "orthography/persian_orthography.h"
#include "typing/field_check.h"
#include "typing/key_text.h"
#include "typing/running_flag.h"

namespace ravak {

ConversionCommand::ConversionCommand(TypingLayouts& layouts, SyntheticInput& input,
                                     ClipboardText& clipboard, Sleeper& thread_sleeper,
                                     ThreadStarter& threads, TypingTargetQuery& target,
                                     TypedRecord& record)
    : layouts_(layouts),
      map_(layouts.Map()),
      input_(input),
      clipboard_(clipboard),
      thread_sleeper_(thread_sleeper),
      threads_(threads),
      target_(target),
      record_(record) {}

std::optional<std::u16string> ConversionCommand::FieldLine() {
  // Asked whenever the field can tell: keys on their way to it are given a moment to land.
  const FieldReading field =
      ReadFieldEndingWith(target_, input_.pump(), record_.Shown(record_.LineStart()));
  if (field.line) return field.line;
  // A console's input line is what was typed there: Ctrl+X and Ctrl+V type control characters
  // into it, so the record is taken for the whole line.
  if (target_.FocusIsConsole() && !record_.Entries().empty())
    return record_.Shown(record_.LineStart());
  return std::nullopt;
}

bool ConversionCommand::TypeFromRecord(ShiftState held,
                                       const std::optional<RecordConversion>& conversion) {
  if (!conversion) return false;
  Sequence sequence(input_);
  input_.ReleaseModifiers(held);
  if (!input_.Retype(conversion->backspaces, conversion->text)) {
    record_.End();  // its moment has passed: nothing changes
    return true;
  }
  record_.Edited(conversion->entries, conversion->text);
  Typed(conversion->text);
  return true;
}

void ConversionCommand::Typed(std::u16string_view text) {
  for (std::size_t i = text.size(); i > 0; --i) {
    const CharClass c = map_.ClassifyChar(text[i - 1]);
    if (c.letter) {
      typed_in_ = c.language;
      return;
    }
  }
}

bool ConversionCommand::CaretMoved(const std::optional<ScreenRect>& before) {
  const std::optional<ScreenRect> now = target_.CaretRect();
  return !before || !now || !(*before == *now);
}

std::u16string ConversionCommand::Finish(std::u16string converted) const {
  // Only Persian words change: a conversion into English is left as it is.
  if (fix_non_joiners_) return FixNonJoiners(converted);
  return typed_text_fix_ ? typed_text_fix_(std::move(converted)) : converted;
}

void ConversionCommand::ConvertCurrentLine(ShiftState held) {
  // What was typed, as far as the field agrees with it.
  std::optional<RecordConversion> typed = ConvertRecordRun(record_, map_, FieldLine());
  if (typed) typed->text = Finish(std::move(typed->text));
  if (TypeFromRecord(held, typed)) return;
  record_.End();
  Sequence sequence(input_);
  if (!input_.hold().Due()) return;
  ClipboardLoan loan(clipboard_);
  uint32_t start = 0, end = 0;
  const bool known = target_.FieldSelection(start, end);
  const std::optional<ScreenRect> caret = target_.CaretRect();

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

  // An application cuts nothing when nothing is selected (the caret at a line start), and some
  // never do (a password box, a program that takes Ctrl+X for something else). The clipboard
  // then still holds the user's own content, which must be neither converted nor pasted into
  // the document, and the selection goes, so that the keys typed next do not replace the line.
  const uint32_t before_cut = clipboard_.SequenceNumber();
  input_.SendCtrlChord(u'X');
  if (!clipboard_.WaitForChange(before_cut)) {
    RestoreSelection(known, start, end, caret);
    return;
  }
  loan.Changed();
  const std::u16string line = PasteConverted(
      loan,
      [this](const std::u16string& cut) {
        const std::size_t run = map_.DetectLayoutRun(cut).start - 1;
        const std::u16string converted = map_.ConvertTrailingRun(cut);
        return converted.substr(0, run) + Finish(converted.substr(run));
      },
      true);
  Typed(line);
}

void ConversionCommand::RestoreSelection(bool known, uint32_t start, uint32_t end,
                                         const std::optional<ScreenRect>& caret) {
  if (known) {
    target_.SelectInField(start, end);
    return;
  }
  // A caret that stayed where it was selected nothing (the line start): nothing to undo. Right
  // takes back a selection; where the caret cannot be seen it is pressed as well.
  if (!CaretMoved(caret)) return;
  input_.PressExtended(vk::kRight);
  input_.ReleaseExtended(vk::kRight);
  input_.Pause(20);
}

template <typename Convert>
std::u16string ConversionCommand::PasteConverted(ClipboardLoan& loan, Convert convert,
                                                 bool taken_away) {
  std::u16string converted;
  try {
    converted = convert(clipboard_.Read());
    loan.Offer(converted);
  } catch (...) {
    // The text was cut but cannot be replaced: what the clipboard still holds is the cut text,
    // and it goes back where it was.
    if (taken_away && clipboard_.HasText()) input_.SendCtrlChord(u'V');
    throw;
  }
  input_.SendCtrlChord(u'V');
  // The user's clipboard comes back once the application has read the text.
  loan.WaitUntilTaken();
  loan.Return();
  return converted;
}

template <typename Convert>
bool ConversionCommand::ReplaceSelection(Convert convert, bool reselect, bool known, uint32_t start,
                                         uint32_t end, const std::optional<ScreenRect>& caret) {
  if (!input_.hold().Due()) return false;
  ClipboardLoan loan(clipboard_);
  const uint32_t before_copy = clipboard_.SequenceNumber();
  input_.SendCtrlChord(u'C');
  if (!clipboard_.WaitForChange(before_copy)) {
    // Nothing copied: a selection made by the command goes again.
    if (!reselect) RestoreSelection(known, start, end, caret);
    return false;
  }
  loan.Changed();
  const std::u16string converted = PasteConverted(loan, convert, false);
  Typed(converted);
  if (reselect) {
    input_.Press(vk::kLShift);
    input_.SendKeyTimes(vk::kLeft, CaretSteps(converted));
    input_.ReleaseShifts();
  }
  return true;
}

bool ConversionCommand::ConvertSelection(ShiftState held) {
  record_.End();
  Sequence sequence(input_);
  input_.ReleaseModifiers(held);
  return ReplaceSelection(
      [this](const std::u16string& text) { return Finish(map_.ConvertEach(text)); }, true, false, 0,
      0, std::nullopt);
}

bool ConversionCommand::ConvertLastWord(ShiftState held) {
  std::optional<RecordConversion> word = ConvertRecordWord(record_, map_, FieldLine());
  if (word) word->text = Finish(std::move(word->text));
  if (TypeFromRecord(held, word)) return true;
  record_.End();
  Sequence sequence(input_);
  uint32_t start = 0, end = 0;
  const bool known = target_.FieldSelection(start, end);
  const std::optional<ScreenRect> caret = target_.CaretRect();
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
  return ReplaceSelection(
      [this](const std::u16string& text) { return Finish(map_.ConvertEach(text)); }, false, known,
      start, end, caret);
}

bool ConversionCommand::FixOrthography(ShiftState held) {
  const auto fix = [](const std::u16string& text) { return ravak::FixOrthography(text); };
  if (record_.LineStart() < record_.Entries().size()) {
    // Text typed since the caret last moved, when the field agrees: the keys that would have
    // selected anything end the record. Nothing to fix leaves the field alone.
    const std::u16string typed = record_.Shown(record_.LineStart());
    if (ReadFieldEndingWith(target_, input_.pump(), typed).agreement != FieldAgreement::kDiffers) {
      TypeFromRecord(held, FixRecordLine(record_, fix));
      return true;
    }
  }
  record_.End();
  Sequence sequence(input_);
  input_.ReleaseModifiers(held);
  return ReplaceSelection(fix, true, false, 0, 0, std::nullopt);
}

void ConversionCommand::ChangeLanguage(KeyboardOutput& keyboard, Sleeper& sleeper) {
  constexpr uint8_t kScan = 0;  // each key's own
  // The right Alt is an extended key (AltGr on the layouts that have one).
  keyboard.KeyEvent(vk::kRMenu, kScan, kKeyEventExtended);
  sleeper.Sleep(15);
  keyboard.KeyEvent(vk::kLShift, kScan, kKeyEventExtended);
  sleeper.Sleep(15);
  keyboard.KeyEvent(vk::kLShift, kScan, kKeyEventKeyUp);
  keyboard.KeyEvent(vk::kRShift, kScan, kKeyEventKeyUp | kKeyEventExtended);
  sleeper.Sleep(15);
  keyboard.KeyEvent(vk::kLMenu, kScan, kKeyEventKeyUp);
  keyboard.KeyEvent(vk::kRMenu, kScan, kKeyEventKeyUp | kKeyEventExtended);
}

void ConversionCommand::SwitchKeyboardLanguage(Language to) {
  if (const std::optional<LayoutHandle> layout = layouts_.Installed(to)) {
    const uint32_t before = target_.ForegroundLayout();
    const auto wanted = static_cast<uint32_t>(*layout);
    if (before == wanted) return;
    // Asked as the language bar asks; Alt+Shift would step through the list, to whichever
    // layout comes next. A window that has not answered may still take it: a chord now could
    // step on from it.
    Sequence sequence(input_);
    switch (layouts_.Request(*layout)) {
      case LayoutRequest::kTaken:
        input_.hold().LayoutChanged(before, wanted);
        return;
      case LayoutRequest::kUnanswered:
        return;
      case LayoutRequest::kRefused:
        break;
    }
  }
  StartLanguageChord();
}

void ConversionCommand::StartLanguageChord() {
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

bool ConversionCommand::HotkeyPressed(const ConversionSwitches& switches, ShiftState shift,
                                      uint32_t layout) {
  return HotkeyPressed(Scope::kLine, switches, shift, layout);
}

bool ConversionCommand::HotkeyPressed(Scope scope, const ConversionSwitches& switches,
                                      ShiftState shift, uint32_t layout) {
  if (!switches.active_flag) return false;
  if (!switches.enabled) return false;
  if (running_) return false;
  // The system's layouts as they are now (a cheap check when they have not changed), and the
  // part the window's plays: a third layout types what it means.
  layouts_.Refresh();
  const LayoutRole role = layouts_.RoleOf(layout != 0 ? layout : target_.ForegroundLayout());
  if (role == LayoutRole::kOther && scope != Scope::kOrthography) return false;
  Sequence sequence(input_);
  {
    RunningFlag guard(running_);
    fix_non_joiners_ = switches.fix_non_joiners;
    typed_in_.reset();
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
      case Scope::kOrthography:
        // The language stays: the text was already Persian.
        FixOrthography(shift);
        return true;
    }
  }
  // With nothing converted, the other layout than the window's.
  const Language other = role == LayoutRole::kPersian ? Language::English : Language::Farsi;
  if (switches.auto_change_language) SwitchKeyboardLanguage(typed_in_.value_or(other));
  return true;
}

}  // namespace ravak
