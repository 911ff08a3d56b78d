// The conversion command: retype the current line's trailing one-layout run in the other
// layout, in the focused application. When the record of what was typed holds the run, it is
// erased with Backspace and typed again, and the document's formatting, its selection and the
// clipboard are left alone; otherwise through Shift+Home, cut and paste. Nothing is converted
// while the window types with a third layout, neither the user's Latin nor Persian one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "convert/layout_map.h"
#include "convert/record_conversion.h"
#include "convert/typing_layouts.h"
#include "hotkeys/shortcut.h"
#include "platform/message_pump.h"
#include "platform/threads.h"
#include "platform/typing_target.h"
#include "typing/clipboard_text.h"
#include "typing/synthetic_input.h"

namespace ravak {

// The settings the conversion hotkey's handler reads at the moment of the press.
struct ConversionSwitches {
  bool active_flag = true;            // master switch, tray menu "فعال"
  bool enabled = false;               // the conversion check box
  bool auto_change_language = false;  // the automatic language change check box
  bool fix_non_joiners = false;       // the Persian text a conversion types gets its ZWNJs right
};

class ConversionCommand {
 public:
  ConversionCommand(TypingLayouts& layouts, SyntheticInput& input, ClipboardText& clipboard,
                    Sleeper& thread_sleeper, ThreadStarter& threads, TypingTargetQuery& target,
                    TypedRecord& record);

  // held: the modifiers of the combination that started the command, which the user usually
  // still holds; they are released (after a mask key) before the first key of the sequence.
  // The user's own keys are held back meanwhile and typed afterwards.
  void ConvertCurrentLine(ShiftState held = {});
  // Converts the selected text whole, each letter by its own layout, and leaves it selected.
  // With nothing selected (the application copies nothing) nothing changes and the clipboard is
  // untouched. Returns whether anything was converted.
  bool ConvertSelection(ShiftState held = {});
  // Selects the word before the caret (Ctrl+Shift+Left) and converts it; the caret ends after
  // it.
  bool ConvertLastWord(ShiftState held = {});
  // Fixes the Persian orthography of the text typed on the caret's line since the caret last
  // moved (nothing can be selected then), erased and typed again from the first character that
  // changes; with nothing typed, of the selected text, which stays selected. Returns whether
  // there was text to fix.
  bool FixOrthography(ShiftState held = {});
  // Has the window in front type in the language given from now on: asks it for that layout
  // where the system has it (nothing to do when it types with it already); where it does not,
  // or the window refuses, starts the thread that presses Alt+Shift, the system's
  // input-language switch chord. The user's keys stay held until it is done, and those held
  // meanwhile count as typed in the new layout.
  void SwitchKeyboardLanguage(Language to);
  // TTChangeLanguage.Execute: the body of that thread (plain sleeps, no message processing).
  static void ChangeLanguage(KeyboardOutput& keyboard, Sleeper& sleeper);

  // The conversion hotkey was pressed, in a window with that layout (its handle's low 32 bits;
  // 0: the window in front's now). Returns whether the command ran. A press that arrives while
  // a conversion is running (inside one of its pauses) is ignored, and so is one in a window
  // that types with a third layout. After a conversion the language change, when asked for,
  // goes to the layout of the text typed last (with nothing converted, to the other one).
  bool HotkeyPressed(const ConversionSwitches& switches, ShiftState shift, uint32_t layout = 0);
  // The selection's and the last word's hotkeys, under the same switches.
  enum class Scope { kLine, kSelection, kLastWord, kOrthography };
  bool HotkeyPressed(Scope scope, const ConversionSwitches& switches, ShiftState shift,
                     uint32_t layout = 0);

  bool Running() const { return running_; }

  // The Persian text a conversion types when fix_non_joiners is off, as the orthography as typed
  // leaves it (it gives the text back as it is while it is off); none: typed as converted.
  void SetTypedTextFix(std::function<std::u16string(std::u16string)> fix) {
    typed_text_fix_ = std::move(fix);
  }

 private:
  // Copies the selection, pastes convert(it) and gives the user's clipboard back; reselect:
  // select the pasted text again (else, with nothing copied, the selection the command made
  // goes, see RestoreSelection).
  template <typename Convert>
  bool ReplaceSelection(Convert convert, bool reselect, bool known, uint32_t start, uint32_t end,
                        const std::optional<ScreenRect>& caret);
  // The text a conversion types, with the non-joiners fixed when the press asks for it.
  std::u16string Finish(std::u16string converted) const;
  // Pastes convert(the clipboard's text) over the selection and gives the user's clipboard
  // back. taken_away: the text was cut, and goes back as it was when it cannot be converted.
  template <typename Convert>
  std::u16string PasteConverted(ClipboardLoan& loan, Convert convert, bool taken_away);
  // Erases what the record says and types its conversion; false when there is none.
  bool TypeFromRecord(ShiftState held, const std::optional<RecordConversion>& conversion);
  // The field's text before the caret on its line, as far as it can be known.
  std::optional<std::u16string> FieldLine();
  // Gives back the selection the field had before the command made one: in a standard text
  // control exactly (before: what it read then), elsewhere the caret at the new selection's end,
  // unless the caret never moved (caret: where it was), so nothing was selected.
  void RestoreSelection(bool known, uint32_t start, uint32_t end,
                        const std::optional<ScreenRect>& caret);
  // Whether the caret is no longer where it was (or either place is unknown).
  bool CaretMoved(const std::optional<ScreenRect>& before);
  // The conversion typed text: the language of its last letter is the one to type on in.
  void Typed(std::u16string_view text);
  // Alt+Shift, on a thread of its own.
  void StartLanguageChord();

  TypingLayouts& layouts_;
  const LayoutMap& map_;
  SyntheticInput& input_;
  ClipboardText& clipboard_;
  Sleeper& thread_sleeper_;
  ThreadStarter& threads_;
  TypingTargetQuery& target_;
  TypedRecord& record_;
  bool running_ = false;
  bool fix_non_joiners_ = false;      // for the press being carried out
  std::optional<Language> typed_in_;  // the language of the press's conversion
  std::function<std::u16string(std::u16string)> typed_text_fix_;
};

}  // namespace ravak
