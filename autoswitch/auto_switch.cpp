#include "autoswitch/auto_switch.h"

#include <algorithm>
#include <utility>

#include "platform/keyboard.h"
#include "typing/field_check.h"
#include "typing/key_text.h"

namespace ravak {

namespace {

constexpr uint8_t kTab = 0x09;
constexpr uint8_t kReturn = 0x0D;

Language Other(Language language) {
  return language == Language::English ? Language::Farsi : Language::English;
}

}  // namespace

void WordExceptions::SetLines(const std::vector<std::u16string>& lines) {
  words_.clear();
  for (const std::u16string& line : lines)
    if (!line.empty()) words_.insert(line);
}

AutoSwitchEngine::AutoSwitchEngine(const LayoutDetector& detector, TypingLayouts& layouts,
                                   SyntheticInput& input, TypingTargetQuery& target,
                                   WordExceptions& exceptions, TypedRecord& record,
                                   std::function<void(Language to)> switch_language)
    : detector_(detector),
      layouts_(layouts),
      input_(input),
      target_(target),
      exceptions_(exceptions),
      record_(record),
      switch_language_(std::move(switch_language)) {}

void AutoSwitchEngine::Reset() {
  keys_.clear();
  has_last_ = false;
  context_ = {};
}

KeyVerdict AutoSwitchEngine::OnInput(const AutoSwitchSwitches& switches, const UserInput& input,
                                     bool taken) {
  if (!switches.active_flag || !switches.enabled || taken || input.kind != UserInput::Kind::kKey) {
    Reset();
    return {};
  }
  const UserKey& key = input.key;
  if (key.stroke.up || IsPassiveKey(key.stroke.vk)) return {};
  // The word belongs to the window it is typed in, whatever is in front when it is judged.
  if (input.window != window_) {
    window_ = input.window;
    Reset();
  }
  // A third layout (Arabic, Russian...) types what it means: nothing of it is judged.
  const LayoutRole role = layouts_.RoleOf(input.layout);
  if (role == LayoutRole::kOther) {
    Reset();
    return {};
  }
  const Language typed = role == LayoutRole::kPersian ? Language::Farsi : Language::English;
  const bool chord = (key.modifiers & (modifier::kCtrl | modifier::kAlt | modifier::kWin)) != 0;
  if (key.stroke.vk == vk::kBack && !chord) {
    if (std::exchange(has_last_, false)) {
      // The word stands as typed again.
      context_ = detector_.ContextAfter(last_.context, last_.shown, last_.typed, false);
      return KeyVerdict{[this, s = last_, switches] { Undo(s, switches); }};
    }
    if (!keys_.empty()) keys_.pop_back();
    return {};
  }
  has_last_ = false;
  if (chord) {
    keys_.clear();  // a shortcut: the caret may be anywhere now
    context_ = {};
    return {};
  }
  if (key.stroke.vk == kTab || key.stroke.vk == kReturn) return WordEnded(switches, u'\0', typed);
  const std::optional<TypingLayouts::KeyReading> reading = layouts_.Read(key, role);
  if (!reading) {
    keys_.clear();  // a caret key, Delete, Escape...: the word is no longer the one typed
    context_ = {};
    return {};
  }
  const char16_t c = reading->shown;
  if (c == u' ' || detector_.IsWordBreak(c, typed)) return WordEnded(switches, c, typed);
  // A run longer than any word is no word: it is followed no further until it ends.
  if (keys_.size() <= kMaxWord) keys_ += c;
  return {};
}

KeyVerdict AutoSwitchEngine::WordEnded(const AutoSwitchSwitches& switches, char16_t ending,
                                       Language typed) {
  std::u16string shown = std::exchange(keys_, std::u16string());
  if (shown.empty() || shown.size() > kMaxWord) return {};
  Switched s;
  s.shown = std::move(shown);
  s.typed = typed;
  s.context = context_;
  const bool switching =
      !exceptions_.Contains(s.shown) && detector_.ShouldSwitch(s.shown, typed, context_);
  // The words before judge the next one: the language each stands in, and whether it switched.
  context_ = detector_.ContextAfter(context_, s.shown, typed, switching);
  if (!switching) return {};
  s.id = next_id_++;
  s.converted = detector_.ConvertWord(s.shown, typed);
  if (ending == u'\0') {
    // Tab or Enter waits until the word is retyped; no undo follows a key that may have moved
    // the focus or sent the text.
    return KeyVerdict{[this, s, switches] { Switch(s, switches); }, true};
  }
  s.ending_shown = std::u16string(1, ending);
  s.ending = detector_.ConvertWord(s.ending_shown, typed);
  last_ = s;
  has_last_ = true;
  return KeyVerdict{[this, s, switches] { Switch(s, switches); }};
}

void AutoSwitchEngine::Switch(const Switched& s, const AutoSwitchSwitches& switches) {
  // A password is never retyped: the user cannot see it, and it may be meant as typed.
  if (target_.FocusIsPassword()) return;
  std::u16string before, word = s.converted;
  const bool finished = finish_ && finish_->Finish(s.shown, s.ending_shown, before, word);
  if (!Retype(before + s.shown + s.ending_shown, word + s.ending)) return;
  done_ = s.id;
  if (switches.change_language && switch_language_) switch_language_(Other(s.typed));
  if (finished) {
    if (has_last_ && last_.id == s.id) has_last_ = false;  // the finish's to undo
    finish_->Finished(s.ending);
    return;
  }
  // A word ended by Tab or Enter cannot be undone.
  if (!s.ending.empty() && on_switched_) on_switched_(s.shown);
}

void AutoSwitchEngine::Undo(const Switched& s, const AutoSwitchSwitches& switches) {
  if (std::exchange(done_, 0) != s.id) return;  // that switch was never made
  // The user's Backspace took the ending away; the converted word goes too, and what was typed
  // comes back as it was.
  if (!Retype(s.converted, s.shown + s.ending_shown)) return;
  if (exceptions_.Add(s.shown) && on_exception_) on_exception_();
  if (switches.change_language && switch_language_) switch_language_(s.typed);
}

bool AutoSwitchEngine::Retype(const std::u16string& shown, const std::u16string& text) {
  return RetypeTyped(input_, target_, record_, shown, text);
}

}  // namespace ravak
