// Automatic wrong-layout switching: follows the physical keys the keyboard hook reports, and when
// a word ends (space, Enter, Tab, or punctuation that both layouts type) judges whether it was
// meant in the other layout. If so it retypes the word there: Backspaces, then the converted word
// as Unicode input, never through the clipboard. A Backspace right after a switch undoes it and
// makes the word an exception that is never switched again.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "detect/layout_detector.h"
#include "hotkeys/shortcut.h"
#include "platform/foreground.h"
#include "platform/typing_target.h"
#include "typing/synthetic_input.h"

namespace ravak {

// The words never switched, as they were shown when the user undid their switch.
class WordExceptions {
 public:
  bool Contains(const std::u16string& word) const { return words_.count(word) != 0; }
  // False when the word was already there.
  bool Add(const std::u16string& word) { return words_.insert(word).second; }
  void Clear() { words_.clear(); }
  std::size_t Size() const { return words_.size(); }
  // The stored form: one word a line, in sorted order.
  std::vector<std::u16string> Lines() const { return {words_.begin(), words_.end()}; }
  // Empty lines are dropped.
  void SetLines(const std::vector<std::u16string>& lines);

 private:
  std::set<std::u16string> words_;
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

  // switch_language: presses the system's language chord (the conversion's).
  AutoSwitchEngine(const LayoutDetector& detector, SyntheticInput& input,
                   ForegroundWindowQuery& foreground, TypingTargetQuery& target,
                   WordExceptions& exceptions, std::function<void()> switch_language);

  // One key press reported by the hook. Returns whether it switched a word or undid a switch.
  bool KeyDown(const AutoSwitchSwitches& switches, uint16_t key, ShiftState shift);
  // Called with the exceptions whenever an undo adds one.
  void SetOnExceptionAdded(std::function<void()> handler) { on_exception_ = std::move(handler); }

  // The keys of the word being typed, as the US layout types them.
  const std::u16string& Keys() const { return keys_; }

 private:
  struct Switched {
    std::u16string shown;         // the word as typed
    std::u16string converted;     // as retyped
    std::u16string ending_shown;  // the character that ended the word, as typed
    std::u16string ending;        // and as retyped; both empty when a key ended it
    uint16_t ending_key = 0;      // Enter or Tab: sent again as a key
  };
  bool WordEnded(const AutoSwitchSwitches& switches, uint16_t key, char16_t ending);
  bool Undo(const AutoSwitchSwitches& switches);
  // Erases count characters, types text and ending as Unicode input, then taps ending_key.
  void Retype(std::size_t erase, const std::u16string& text, uint16_t ending_key);
  Language TypedLanguage();

  const LayoutDetector& detector_;
  SyntheticInput& input_;
  ForegroundWindowQuery& foreground_;
  TypingTargetQuery& target_;
  WordExceptions& exceptions_;
  std::function<void()> switch_language_;
  std::function<void()> on_exception_;

  std::u16string keys_;
  WindowId window_ = 0;
  std::vector<uint16_t> echo_;  // keys Ravak sent that the hook will report back
  bool has_last_ = false;
  Switched last_;
};

}  // namespace ravak
