#include "autocorrect/autocorrect_engine.h"

#include <algorithm>
#include <array>

#include "platform/keyboard.h"

namespace ravak {

namespace {

struct KeyRow {
  uint8_t key;
  char16_t unshifted;
  char16_t shifted;
};

// The US keyboard, row by row, keyed first by the code of each key's unshifted character (the
// capital for letters), then by the virtual-key codes of the punctuation keys.
constexpr std::array<KeyRow, 58> kKeyTable = {{
    {96, u'`', u'~'},  {49, u'1', u'!'},  {50, u'2', u'@'},   {51, u'3', u'#'},  {52, u'4', u'$'},
    {53, u'5', u'%'},  {54, u'6', u'^'},  {55, u'7', u'&'},   {56, u'8', u'*'},  {57, u'9', u'('},
    {48, u'0', u')'},  {45, u'-', u'_'},  {61, u'=', u'+'},   {81, u'q', u'Q'},  {87, u'w', u'W'},
    {69, u'e', u'E'},  {82, u'r', u'R'},  {84, u't', u'T'},   {89, u'y', u'Y'},  {85, u'u', u'U'},
    {73, u'i', u'I'},  {79, u'o', u'O'},  {80, u'p', u'P'},   {91, u'[', u'{'},  {93, u']', u'}'},
    {92, u'\\', u'|'}, {65, u'a', u'A'},  {83, u's', u'S'},   {68, u'd', u'D'},  {70, u'f', u'F'},
    {71, u'g', u'G'},  {72, u'h', u'H'},  {74, u'j', u'J'},   {75, u'k', u'K'},  {76, u'l', u'L'},
    {59, u';', u':'},  {39, u'\'', u'"'}, {90, u'z', u'Z'},   {88, u'x', u'X'},  {67, u'c', u'C'},
    {86, u'v', u'V'},  {66, u'b', u'B'},  {78, u'n', u'N'},   {77, u'm', u'M'},  {44, u',', u'<'},
    {46, u'.', u'>'},  {47, u'/', u'?'},  {192, u'`', u'~'},  {189, u'-', u'_'}, {187, u'=', u'+'},
    {219, u'[', u'{'}, {221, u']', u'}'}, {220, u'\\', u'|'}, {186, u';', u':'}, {222, u'\'', u'"'},
    {188, u',', u'<'}, {190, u'.', u'>'}, {191, u'/', u'?'},
}};

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

char16_t KeyToChar(uint16_t key, ShiftState shift) {
  const uint8_t code = static_cast<uint8_t>(key & 0xFF);
  const bool shifted = shift == ShiftState{true, false, false};
  for (const KeyRow& row : kKeyTable) {
    if (row.key == code) return shifted ? row.shifted : row.unshifted;
  }
  return static_cast<char16_t>(code);
}

std::size_t CaretSteps(std::u16string_view text) {
  std::size_t steps = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool pair_follows =
        i + 1 < text.size() &&
        ((c >= 0xD800 && c <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ||
         (c == u'\r' && text[i + 1] == u'\n'));
    if (pair_follows) ++i;
    ++steps;
  }
  return steps;
}

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
