#include "autoswitch/auto_switch.h"

#include "platform/keyboard.h"
#include "typing/key_text.h"

namespace ravak {

namespace {

constexpr uint16_t kTab = 0x09;
constexpr uint16_t kReturn = 0x0D;
constexpr uint16_t kSpace = 0x20;
constexpr uint16_t kPacket = 0xE7;           // a character typed as Unicode input
constexpr uint16_t kProcessKey = 0xE5;       // a key taken by an input method
constexpr uint16_t kPersianLanguage = 0x29;  // LANG_PERSIAN

// Keys that only change the state of others, or that type nothing of their own.
bool IsPassive(uint16_t key) {
  return (key >= vk::kShift && key <= vk::kMenu) || key == 0x14 /* Caps Lock */ ||
         (key >= vk::kLShift && key <= vk::kRMenu) || key == vk::kLWin || key == vk::kRWin ||
         key == kPacket || key == kProcessKey || key == vk::kMask;
}

}  // namespace

void WordExceptions::SetLines(const std::vector<std::u16string>& lines) {
  words_.clear();
  for (const std::u16string& line : lines)
    if (!line.empty()) words_.insert(line);
}

AutoSwitchEngine::AutoSwitchEngine(const LayoutDetector& detector, SyntheticInput& input,
                                   ForegroundWindowQuery& foreground, TypingTargetQuery& target,
                                   WordExceptions& exceptions,
                                   std::function<void()> switch_language)
    : detector_(detector),
      input_(input),
      foreground_(foreground),
      target_(target),
      exceptions_(exceptions),
      switch_language_(std::move(switch_language)) {}

bool AutoSwitchEngine::KeyDown(const AutoSwitchSwitches& switches, uint16_t key, ShiftState shift) {
  if (!switches.active_flag || !switches.enabled) {
    keys_.clear();
    echo_.clear();
    has_last_ = false;
    return false;
  }
  // The keys of Ravak's own retyping come back first, in the order they were sent.
  if (!echo_.empty()) {
    if (key == echo_.front()) {
      echo_.erase(echo_.begin());
      return false;
    }
    echo_.clear();
  }
  if (IsPassive(key)) return false;
  const WindowId window = foreground_.ForegroundWindow();
  if (window != window_) {
    window_ = window;
    keys_.clear();
    has_last_ = false;
  }
  if (key == vk::kBack) {
    if (has_last_) return Undo(switches);
    if (!keys_.empty()) keys_.pop_back();
    return false;
  }
  has_last_ = false;
  if (shift.ctrl || shift.alt) {
    keys_.clear();  // a shortcut: the caret may be anywhere now
    return false;
  }
  if (key == kSpace || key == kTab || key == kReturn)
    return WordEnded(switches, key, key == kSpace ? u' ' : u'\0');
  if (!TypesCharacter(key)) {
    keys_.clear();  // a caret key, Delete, Escape...: the word is no longer the one typed
    return false;
  }
  const char16_t c = KeyToChar(key, shift);
  if (detector_.IsWordBreak(c)) return WordEnded(switches, key, c);
  // A run longer than any word is no word: it is followed no further until it ends.
  if (keys_.size() <= kMaxWord) keys_ += c;
  return false;
}

Language AutoSwitchEngine::TypedLanguage() {
  return (target_.ForegroundLanguage() & 0x3FF) == kPersianLanguage ? Language::Farsi
                                                                    : Language::English;
}

bool AutoSwitchEngine::WordEnded(const AutoSwitchSwitches& switches, uint16_t key,
                                 char16_t ending) {
  const std::u16string keys = std::move(keys_);
  keys_.clear();
  if (keys.empty() || keys.size() > kMaxWord) return false;
  const Language typed = TypedLanguage();
  const auto shown_as_typed = [&](std::u16string_view us) {
    return typed == Language::English ? std::u16string(us)
                                      : detector_.ConvertWord(us, Language::English);
  };
  // A password is never retyped: the user cannot see it, and it may be meant as typed.
  if (target_.FocusIsPassword()) return false;
  Switched s;
  s.shown = shown_as_typed(keys);
  if (exceptions_.Contains(s.shown) || !detector_.ShouldSwitch(s.shown, typed)) return false;
  s.converted = detector_.ConvertWord(s.shown, typed);
  if (ending != u'\0') {
    s.ending_shown = shown_as_typed(std::u16string(1, ending));
    s.ending = detector_.ConvertWord(s.ending_shown, typed);
  } else {
    s.ending_key = key;
  }
  Retype(s.shown.size() + 1, s.converted + s.ending, s.ending_key);
  last_ = std::move(s);
  has_last_ = true;
  if (switches.change_language && switch_language_) switch_language_();
  return true;
}

bool AutoSwitchEngine::Undo(const AutoSwitchSwitches& switches) {
  has_last_ = false;
  // The user's Backspace took the ending away; the converted word goes too, and what was typed
  // comes back as it was.
  Retype(last_.converted.size(), last_.shown + last_.ending_shown, last_.ending_key);
  if (exceptions_.Add(last_.shown) && on_exception_) on_exception_();
  if (switches.change_language && switch_language_) switch_language_();
  return true;
}

void AutoSwitchEngine::Retype(std::size_t erase, const std::u16string& text, uint16_t ending_key) {
  Sequence sequence(input_);
  input_.SendKeyTimes(vk::kBack, static_cast<uint8_t>(erase));
  input_.keyboard().TypeText(text);
  input_.Pause(10);
  if (ending_key) input_.SendKey(static_cast<uint8_t>(ending_key), true, true);
  echo_.assign(erase, vk::kBack);
  if (ending_key) echo_.push_back(ending_key);
}

}  // namespace ravak
