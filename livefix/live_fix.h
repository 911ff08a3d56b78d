// Persian orthography as the user types, in any program: follows the user's keys in the order
// typed, and as a Persian word ends (a space, punctuation, a digit, Tab or Enter) fixes it with
// the rules that are safe without seeing what comes next (orthography/as_you_type.h): the
// non-joiner after می/نمی and before the plural and comparative suffixes, and ی/ک for the Arabic
// letters. The edit is made from the record of typed keys: Backspace back to the first character
// that changes, then the fixed text as Unicode input, never through the clipboard; a word ended
// by Tab or Enter is fixed before that key reaches the application. Where the record does not
// hold the words before the caret (a click, a paste), they decide nothing.
//
// A Backspace right after a fix, with nothing in between, gives the text back as typed and makes
// its form an exception that is never fixed again. A word switched from the other layout at the
// same word end is fixed in the switch's own retyping (SwitchFinish), and the Backspace after it
// then takes back the fix alone.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "autoswitch/auto_switch.h"
#include "convert/typing_layouts.h"
#include "orthography/as_you_type.h"
#include "platform/typing_target.h"
#include "typing/key_stream.h"
#include "typing/synthetic_input.h"
#include "typing/typed_record.h"

namespace ravak {

// The fix of the Persian word that ends before_caret, unless the text it changes is an
// exception: the edit, and form, the text as typed from the start of the word where the edit
// begins (what an undo makes an exception: می روم, کتاب ها, میروم).
struct WordFix {
  OrthographyEdit edit;
  std::u16string form;
};
std::optional<WordFix> FixWord(std::u16string_view before_caret, TextStart start,
                               const WordExceptions& exceptions);

// The text as a typist with the fixes on leaves it, word by word, each word that a character of
// the text ends fixed as it ends; a last word that nothing ends yet is left for its own end.
std::u16string FixEndedWords(std::u16string_view text, const WordExceptions& exceptions);

struct LiveFixSwitches {
  bool active_flag = true;  // master switch, tray menu "فعال"
  bool enabled = false;     // the fixes as typed, where they are not kept out
};

class LiveFixEngine final : public SwitchFinish {
 public:
  // layouts: what a key types, as the record reads it. exceptions: the forms never fixed, which
  // an undo adds to.
  LiveFixEngine(TypingLayouts& layouts, SyntheticInput& input, TypingTargetQuery& target,
                WordExceptions& exceptions, TypedRecord& record);

  // One input of the user, in the order typed (taken: another feature acts on it). A word to
  // fix, or a fix to undo, gives the retyping to carry out.
  KeyVerdict OnInput(const LiveFixSwitches& switches, const UserInput& input, bool taken);

  // SwitchFinish: the word a switch retypes at the word end just judged, fixed with the words
  // before it when the fixes were on for that key.
  bool Finish(std::u16string_view shown, std::u16string_view ending_shown, std::u16string& before,
              std::u16string& word) override;
  void Finished(std::u16string_view ending) override;

  // Called whenever an undo adds an exception.
  void SetOnExceptionAdded(std::function<void()> handler) { on_exception_ = std::move(handler); }
  // Called after each fix that the next Backspace may undo, with the form as typed.
  void SetOnFixed(std::function<void(const std::u16string& form)> handler) {
    on_fixed_ = std::move(handler);
  }

 private:
  // A key that may end a word: what the record held of the caret's line before it.
  struct Ended {
    std::u16string line;
    bool line_start_known = false;  // the record holds the line break before the line
    bool on = false;                // the fixes were on for the key
  };
  // A fix the next Backspace takes back: the text the fix typed (its ending gone with that
  // Backspace) goes, and what the field showed before the fix comes back.
  struct Undo {
    std::u16string fixed;
    std::u16string typed;
    std::u16string form;
  };
  // Where the text the record holds of the line begins, as the field tells (field_tail: what
  // it shows before the caret now); nothing when the field shows something else.
  std::optional<TextStart> StartOf(const Ended& ended, const std::u16string& field_tail);
  // Fixes the word that ended; before: Tab or Enter, which have not reached the field yet.
  void Fix(const Ended& ended, bool before);
  void TakeBack(const Undo& undo);
  // Erases shown (what the field shows before the caret) back to its first character that
  // changes and types the rest of text; the record follows. False, and nothing done, when the
  // field holds something else or the moment has passed.
  bool Retype(const std::u16string& shown, const std::u16string& text, bool ask_field);

  TypingLayouts& layouts_;
  SyntheticInput& input_;
  TypingTargetQuery& target_;
  WordExceptions& exceptions_;
  TypedRecord& record_;
  std::function<void()> on_exception_;
  std::function<void(const std::u16string&)> on_fixed_;

  WindowId window_ = 0;
  std::optional<Ended> ended_;      // the key just judged, when it may end a word
  std::optional<Undo> undo_;        // the last fix, while the next key may undo it
  std::optional<Undo> switch_fix_;  // the fix a switch is retyping (Finish to Finished)
};

}  // namespace ravak
