// Automatic wrong-layout switching: follows the user's keys in the order typed, and when a word
// ends (space, Enter, Tab, or punctuation that both layouts type) judges whether it was meant in
// the other layout. If so it retypes the word there: Backspaces, then the converted word as
// Unicode input, never through the clipboard; a word ended by Tab or Enter is retyped before
// that key reaches the application (it moves the focus or sends a form). A Backspace that comes
// right after a switch, with nothing in between, undoes it and makes the word an exception that
// is never switched again.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "convert/typing_layouts.h"
#include "detect/layout_detector.h"
#include "platform/typing_target.h"
#include "typing/key_stream.h"
#include "typing/synthetic_input.h"
#include "typing/typed_record.h"

namespace ravak {

// The words never switched, as they were shown when the user undid their switch.
class WordExceptions {
 public:
  bool Contains(const std::u16string& word) const { return words_.count(word) != 0; }
  // False when the word was already there.
  bool Add(const std::u16string& word) { return words_.insert(word).second; }
  // False when the word was not there.
  bool Remove(const std::u16string& word) { return words_.erase(word) != 0; }
  void Clear() { words_.clear(); }
  std::size_t Size() const { return words_.size(); }
  // The stored form: one word a line, in sorted order.
  std::vector<std::u16string> Lines() const { return {words_.begin(), words_.end()}; }
  // Empty lines are dropped.
  void SetLines(const std::vector<std::u16string>& lines);

 private:
  std::set<std::u16string> words_;
};

// Work that joins a switch in its retyping, so that the word is typed once: the orthography as
// typed fixes the switched word with the words before it.
class SwitchFinish {
 public:
  // Before the retyping. shown and ending_shown: the word and its ending as the field shows them
  // (the ending empty after Tab or Enter); word: the word as it is to be retyped, which it may
  // change, reaching back into the line before it (before: the text there, as the field shows
  // it, that word then replaces too). True when it changed anything.
  virtual bool Finish(std::u16string_view shown, std::u16string_view ending_shown,
                      std::u16string& before, std::u16string& word) = 0;
  // The retyping that Finish changed was made, with the ending retyped as given. The next
  // Backspace is then the finish's to undo, not the switch's.
  virtual void Finished(std::u16string_view ending) = 0;

 protected:
  ~SwitchFinish() = default;
};

struct AutoSwitchSwitches {
  bool active_flag = true;       // master switch, tray menu "فعال"
  bool enabled = false;          // automatic detection
  bool change_language = false;  // press the language chord after a switch
};

class AutoSwitchEngine {
 public:
  // The longest word followed; a longer run of keys is no word and is left alone.
  static constexpr std::size_t kMaxWord = 64;

  // layouts: what each key typed, and on which of the pair (a word typed on a third layout is
  // left alone). switch_language: has the window type in the language given (the
  // conversion's). record: what was typed, which a switch keeps up to date.
  AutoSwitchEngine(const LayoutDetector& detector, TypingLayouts& layouts, SyntheticInput& input,
                   TypingTargetQuery& target, WordExceptions& exceptions, TypedRecord& record,
                   std::function<void(Language to)> switch_language);

  // One input of the user, in the order typed (taken: another feature acts on it). A word to
  // switch, or a switch to undo, gives the retyping to carry out.
  KeyVerdict OnInput(const AutoSwitchSwitches& switches, const UserInput& input, bool taken);
  // Called with the exceptions whenever an undo adds one.
  void SetOnExceptionAdded(std::function<void()> handler) { on_exception_ = std::move(handler); }
  // Called after each switch that the next Backspace may undo, with the word as it was typed.
  void SetOnSwitched(std::function<void(const std::u16string& typed)> handler) {
    on_switched_ = std::move(handler);
  }

  // Joins each switch from now on (none: nullptr).
  void SetFinish(SwitchFinish* finish) { finish_ = finish; }

  // The word being typed, as the field shows it.
  const std::u16string& Keys() const { return keys_; }

 private:
  struct Switched {
    uint64_t id = 0;
    Language typed = Language::English;  // the layout it was typed on
    WordContext context;                 // the field's words before it
    std::u16string shown;                // the word as typed
    std::u16string converted;            // as retyped
    std::u16string ending_shown;         // the character that ended the word, as typed
    std::u16string ending;               // and as retyped; both empty when Tab or Enter ended it
  };
  void Reset();
  // A word ended by ending (0: by Tab or Enter, which wait until it is retyped), typed on the
  // layout of `typed`.
  KeyVerdict WordEnded(const AutoSwitchSwitches& switches, char16_t ending, Language typed);
  void Switch(const Switched& s, const AutoSwitchSwitches& switches);
  void Undo(const Switched& s, const AutoSwitchSwitches& switches);
  // Erases shown (what the field shows before the caret) back to its first character that
  // changes and types the rest of text as Unicode input; the record follows. False, and
  // nothing done, when the field holds something else or the moment has passed.
  bool Retype(const std::u16string& shown, const std::u16string& text);

  const LayoutDetector& detector_;
  TypingLayouts& layouts_;
  SyntheticInput& input_;
  TypingTargetQuery& target_;
  WordExceptions& exceptions_;
  TypedRecord& record_;
  std::function<void(Language)> switch_language_;
  std::function<void()> on_exception_;
  std::function<void(const std::u16string&)> on_switched_;
  SwitchFinish* finish_ = nullptr;

  std::u16string keys_;
  WindowId window_ = 0;
  WordContext context_;  // what the words typed before in this field say about the next
  // The last switch, while the next key may undo it; and the one whose retyping was done.
  bool has_last_ = false;
  Switched last_;
  uint64_t next_id_ = 1;
  uint64_t done_ = 0;
};

}  // namespace ravak
