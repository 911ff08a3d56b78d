#include "livefix/live_fix.h"

#include <algorithm>
#include <utility>

#include "platform/keyboard.h"
#include "typing/field_check.h"
#include "typing/key_text.h"

namespace ravak {

namespace {

constexpr uint8_t kTab = 0x09;
constexpr uint8_t kReturn = 0x0D;

bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// The code units of the last count characters of text (a surrogate pair is one character).
std::size_t UnitsOfLast(std::u16string_view text, std::size_t count) {
  std::size_t units = 0;
  for (; count > 0 && units < text.size(); --count) {
    const bool pair = units + 2 <= text.size() && IsLowSurrogate(text[text.size() - 1 - units]);
    units += pair ? 2 : 1;
  }
  return units;
}

// The text with the edit made at its end.
std::u16string Apply(std::u16string_view text, const OrthographyEdit& edit) {
  std::u16string out(text.substr(0, text.size() - UnitsOfLast(text, edit.backspaces)));
  return out + edit.text;
}

}  // namespace

std::optional<WordFix> FixWord(std::u16string_view before_caret, TextStart start,
                               const WordExceptions& exceptions) {
  std::optional<OrthographyEdit> edit = FixEndedWord(before_caret, start);
  if (!edit) return std::nullopt;
  std::size_t from = before_caret.size() - UnitsOfLast(before_caret, edit->backspaces);
  while (from > 0 && !EndsWord(before_caret[from - 1])) --from;
  WordFix fix{std::move(*edit), std::u16string(before_caret.substr(from))};
  if (exceptions.Contains(fix.form)) return std::nullopt;
  return fix;
}

std::u16string FixEndedWords(std::u16string_view text, const WordExceptions& exceptions) {
  std::u16string out;
  out.reserve(text.size() + 8);
  for (const char16_t c : text) {
    if (EndsWord(c)) {
      if (const auto fix = FixWord(out, TextStart::WordStart, exceptions))
        out = Apply(out, fix->edit);
    }
    out += c;
  }
  return out;
}

LiveFixEngine::LiveFixEngine(TypingLayouts& layouts, SyntheticInput& input,
                             TypingTargetQuery& target, WordExceptions& exceptions,
                             TypedRecord& record)
    : layouts_(layouts), input_(input), target_(target), exceptions_(exceptions), record_(record) {}

KeyVerdict LiveFixEngine::OnInput(const LiveFixSwitches& switches, const UserInput& input,
                                  bool taken) {
  if (input.kind != UserInput::Kind::kKey) {
    ended_.reset();
    undo_.reset();
    return {};
  }
  const UserKey& key = input.key;
  if (key.stroke.up || IsPassiveKey(key.stroke.vk)) return {};
  // The words belong to the window they are typed in, whatever is in front when they are judged.
  if (input.window != window_) {
    window_ = input.window;
    undo_.reset();
  }
  const bool on = switches.active_flag && switches.enabled;
  const std::optional<Undo> undo = std::exchange(undo_, std::nullopt);
  ended_.reset();
  if (key.modifiers & (modifier::kCtrl | modifier::kAlt | modifier::kWin)) return {};
  if (key.stroke.vk == vk::kBack) {
    if (!undo || !on || taken) return {};
    return KeyVerdict{[this, u = *undo] { TakeBack(u); }};
  }
  // Tab and Enter wait until the word is fixed: they may move the focus or send the text.
  const bool before = key.stroke.vk == kTab || key.stroke.vk == kReturn;
  // Text typed on a third layout (Arabic, Russian...) is left alone.
  const LayoutRole role = layouts_.RoleOf(input.layout);
  if (role == LayoutRole::kOther) return {};
  if (!before) {
    const std::optional<TypingLayouts::KeyReading> reading = layouts_.Read(key, role);
    if (!reading || !EndsWord(reading->shown)) return {};
  }
  // The record as it stands before the key: a switch made at this word end reads it too.
  ended_ = Ended{record_.Shown(record_.LineStart()), record_.LineStartKnown(), on};
  // A word the rules would leave as it is, wherever its text began, holds nothing up.
  if (!on || taken || !FixWord(ended_->line, TextStart::WordStart, exceptions_)) return {};
  return KeyVerdict{[this, e = *ended_, before] { Fix(e, before); }, before};
}

std::optional<TextStart> LiveFixEngine::StartOf(const Ended& ended,
                                                const std::u16string& field_tail) {
  const FieldReading field = ReadFieldEndingWith(target_, input_.pump(), field_tail);
  if (field.agreement == FieldAgreement::kDiffers) return std::nullopt;
  // The record holds the whole line when it holds the line break before it, or the field shows
  // nothing more of the line.
  const bool whole =
      ended.line_start_known || (field.line && field.line->size() == field_tail.size());
  return whole ? TextStart::WordStart : TextStart::Unknown;
}

void LiveFixEngine::Fix(const Ended& ended, bool before) {
  // A password is never retyped: the user cannot see it, and it may be meant as typed.
  if (target_.FocusIsPassword()) return;
  std::u16string ending;
  if (!before) {
    // The key has reached the field: the record holds it after the line, or it holds something
    // else now (the key ended it), and nothing is changed.
    const std::u16string line = record_.Shown(record_.LineStart());
    if (line.size() != ended.line.size() + 1 ||
        line.compare(0, ended.line.size(), ended.line) != 0 || !EndsWord(line.back())) {
      return;
    }
    ending = line.substr(ended.line.size());
  }
  Sequence sequence(input_);
  const std::optional<TextStart> start = StartOf(ended, ended.line + ending);
  if (!start) {
    record_.End();  // what the field holds is not what was typed
    return;
  }
  const std::optional<WordFix> fix = FixWord(ended.line, *start, exceptions_);
  if (!fix) return;
  const std::u16string typed =
      ended.line.substr(ended.line.size() - UnitsOfLast(ended.line, fix->edit.backspaces)) + ending;
  if (!Retype(typed, fix->edit.text + ending, false)) return;
  // A word ended by Tab or Enter cannot be undone: the key may have moved the focus.
  if (ending.empty()) return;
  undo_ = Undo{fix->edit.text, typed, fix->form};
  if (on_fixed_) on_fixed_(fix->form);
}

bool LiveFixEngine::Finish(std::u16string_view shown, std::u16string_view ending_shown,
                           std::u16string& before, std::u16string& word) {
  switch_fix_.reset();
  if (!ended_ || !ended_->on || ended_->line.size() < shown.size() ||
      std::u16string_view(ended_->line).substr(ended_->line.size() - shown.size()) != shown) {
    return false;
  }
  const std::optional<TextStart> start =
      StartOf(*ended_, ended_->line + std::u16string(ending_shown));
  if (!start) return false;
  // The line as the switch leaves it, fixed as the word ends there.
  const std::u16string prefix = ended_->line.substr(0, ended_->line.size() - shown.size());
  const std::u16string switched = prefix + word;
  const std::optional<WordFix> fix = FixWord(switched, *start, exceptions_);
  if (!fix) return false;
  const std::size_t kept = switched.size() - UnitsOfLast(switched, fix->edit.backspaces);
  const std::size_t from = std::min(kept, prefix.size());
  Undo undo{switched.substr(from, kept - from) + fix->edit.text, switched.substr(from), fix->form};
  before = prefix.substr(from);
  word = undo.fixed;
  switch_fix_ = std::move(undo);
  return true;
}

void LiveFixEngine::Finished(std::u16string_view ending) {
  std::optional<Undo> fixed = std::exchange(switch_fix_, std::nullopt);
  if (!fixed || ending.empty()) return;
  fixed->typed += ending;
  if (on_fixed_) on_fixed_(fixed->form);
  undo_ = std::move(fixed);
}

void LiveFixEngine::TakeBack(const Undo& undo) {
  // The user's Backspace took the ending away; the fixed text goes too, and what the field
  // showed before the fix comes back, ending and all.
  if (!Retype(undo.fixed, undo.typed, true)) return;
  if (exceptions_.Add(undo.form) && on_exception_) on_exception_();
}

bool LiveFixEngine::Retype(const std::u16string& shown, const std::u16string& text,
                           bool ask_field) {
  return RetypeTyped(input_, target_, record_, shown, text, ask_field);
}

}  // namespace ravak
