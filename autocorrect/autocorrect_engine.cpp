#include "autocorrect/autocorrect_engine.h"

#include <algorithm>
#include <array>

#include "platform/keyboard.h"
#include "typing/key_text.h"

namespace ravak {

namespace {

// Keys that end a word: the buffer starts again.
bool IsSeparator(uint16_t key) {
  return key == vk::kBack || key == 9 || key == 13 || (key >= 32 && key <= 40);
}

// Keys that add a character.
bool AddsCharacter(uint16_t key) {
  return (key >= 33 && key <= 126) || (key >= 186 && key <= 192) || (key >= 219 && key <= 222);
}

// Sets the busy flag for one replacement and leaves the engine ready for the next key however
// the replacement ends.
class BusyScope {
 public:
  BusyScope(bool& busy, std::u16string& buffer) : busy_(busy), buffer_(buffer) { busy_ = true; }
  ~BusyScope() {
    buffer_.clear();
    busy_ = false;
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
  std::u16string& buffer_;
};

}  // namespace

ReplacementPlan PlanReplacement(const AutoCorrectEntry& entry, const std::u16string& typed) {
  ReplacementPlan plan;
  if (entry.before == typed) {
    plan.paste = entry.after;
  } else {
    plan.backspaces = typed.size();
    plan.paste = entry.before + entry.after;
  }
  plan.left_arrows = CaretSteps(entry.after);
  return plan;
}

AutoCorrectEngine::AutoCorrectEngine(const AutoCorrectList& list, SyntheticInput& input,
                                     ClipboardText& clipboard, ForegroundWindowQuery& foreground,
                                     KeywordLookup lookup)
    : list_(list), input_(input), clipboard_(clipboard), foreground_(foreground), lookup_(lookup) {
  typed_buffer_.reserve(kMaxKeywordLength);
}

int32_t AutoCorrectEngine::IsInACKey(const std::u16string& str) const {
  return lookup_ == KeywordLookup::kIndexed ? list_.Find(str) : list_.FindLinear(str);
}

bool AutoCorrectEngine::KeyDown(const AutoCorrectSwitches& switches, uint16_t key,
                                ShiftState shift) {
  if (!switches.active_flag || busy_ || !switches.enabled) return false;
  const WindowId window = foreground_.ForegroundWindow();
  if (window != typed_window_) {
    typed_window_ = window;
    typed_buffer_.clear();
  }
  if (IsSeparator(key)) {
    typed_buffer_.clear();
    return false;
  }
  if (typed_buffer_.size() >= kMaxKeywordLength) {
    typed_buffer_.clear();
    return false;
  }
  if (AddsCharacter(key)) typed_buffer_.push_back(KeyToChar(key, shift));
  if (typed_buffer_.empty()) return false;

  // Whole match first, then the last character alone.
  std::size_t typed_length = typed_buffer_.size();
  int32_t row = IsInACKey(typed_buffer_);
  if (row < 0) {
    typed_length = 1;
    row = IsInACKey(std::u16string(1, typed_buffer_.back()));
    if (row < 0) return false;
  }
  // The plan holds its own texts: the list may change while the replacement pumps messages.
  Execute(PlanReplacement(list_.Row(static_cast<std::size_t>(row)),
                          typed_buffer_.substr(typed_buffer_.size() - typed_length)));
  return true;
}

void AutoCorrectEngine::Execute(const ReplacementPlan& plan) {
  BusyScope busy(busy_, typed_buffer_);
  Sequence sequence(input_);
  input_.ReleaseShifts();
  input_.SendKeyTimes(vk::kBack, static_cast<uint8_t>(std::min<std::size_t>(plan.backspaces, 255)));
  Paste(input_, clipboard_, plan.paste);
  input_.ReleaseShifts();
  for (std::size_t left = plan.left_arrows; left > 0;) {
    const std::size_t taps = std::min<std::size_t>(left, 255);
    input_.SendKeyTimes(vk::kLeft, static_cast<uint8_t>(taps));
    left -= taps;
  }
}

}  // namespace ravak
