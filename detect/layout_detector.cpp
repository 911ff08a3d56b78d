#include "detect/layout_detector.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace ravak {

namespace {

constexpr uint32_t kVersion = 1;
constexpr std::size_t kMaxWord = 64;  // longer words are never judged

// Reads little-endian values from the model image, failing once past its end.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  template <typename T>
  bool Read(T& value) {
    if (bytes_.size() - pos_ < sizeof(T)) return false;
    std::memcpy(&value, bytes_.data() + pos_, sizeof(T));
    pos_ += sizeof(T);
    return true;
  }
  bool Take(std::size_t n, std::span<const uint8_t>& out) {
    if (bytes_.size() - pos_ < n) return false;
    out = bytes_.subspan(pos_, n);
    pos_ += n;
    return true;
  }
  bool AtEnd() const { return pos_ == bytes_.size(); }

 private:
  std::span<const uint8_t> bytes_;
  std::size_t pos_ = 0;
};

bool ReadLanguage(Reader& r, DetectModel::LanguageModel& lm) {
  uint32_t symbols = 0, mapped = 0, words = 0;
  if (!r.Read(symbols) || !r.Read(mapped) || !r.Read(words)) return false;
  if (symbols < 2 || symbols > 255 || words > (1u << 24)) return false;
  lm.symbols = static_cast<int>(symbols);
  for (float& b : lm.class_bonus) {
    if (!r.Read(b)) return false;
  }
  lm.symbol_of.fill(0);
  for (uint32_t i = 0; i < mapped; ++i) {
    uint16_t unit = 0, symbol = 0;
    if (!r.Read(unit) || !r.Read(symbol)) return false;
    if (unit >= lm.symbol_of.size() || symbol == 0 || symbol >= symbols) return false;
    lm.symbol_of[unit] = static_cast<uint8_t>(symbol);
  }
  return r.Take(static_cast<std::size_t>(symbols) * symbols * symbols, lm.costs) &&
         r.Take(static_cast<std::size_t>(words) * 4, lm.words);
}

uint32_t LoadWord(std::span<const uint8_t> words, std::size_t i) {
  uint32_t v = 0;
  std::memcpy(&v, words.data() + i * 4, 4);
  return v;
}

bool IsAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsDiacritic(char16_t c) {
  return (c >= u'\u064B' && c <= u'\u0652') || c == u'\u0640';
}

// A key that types punctuation in both layouts.
bool IsFraming(const LayoutMap& map, const DetectModel& model, int key) {
  const char16_t f = map.FarsiChars()[key];
  return !IsAsciiLetter(map.EnglishChars()[key]) &&
         !(f < model.farsi.symbol_of.size() && model.farsi.symbol_of[f] != 0);
}

struct Reading {
  int letters = 0;
  int word_class = 0;  // frequent-word class; 0 when not a frequent word
  float score = 0;
};

// Bits for punctuation the reading carries before or after its letters: each layout's usual
// opening and closing marks; anything else counts as a foreign character.
float AffixCost(const DetectModel& model, char16_t c, bool leading, bool english, bool paired) {
  if (english) {
    switch (c) {
      case u',':
        return leading ? model.foreign_penalty : 4.5f;
      case u';':
        return leading ? model.foreign_penalty : 8.0f;
      case u'\'':
        return 9.0f;
      case u'[':
        return leading ? 10.0f : model.foreign_penalty;
      case u']':
        return !leading && paired ? 10.0f : model.foreign_penalty;
      default:
        return model.foreign_penalty;
    }
  }
  if (!leading && IsDiacritic(c) && c != u'\u0640') return model.diacritic_penalty;
  switch (c) {
    case u'\u060C':
      return leading ? model.foreign_penalty : 5.0f;  // Arabic comma
    case u'\u061B':
      return leading ? model.foreign_penalty : 8.0f;  // Arabic semicolon
    case u'\u00AB':
      return leading ? 8.0f : model.foreign_penalty;
    case u'\u00BB':
      return leading ? model.foreign_penalty : 8.0f;
    case u',':
      return leading ? model.foreign_penalty : 8.0f;
    default:
      return model.foreign_penalty;
  }
}

// Log-likelihood in bits of one reading of the keys: its letters scored by the trigram, plus the
// frequent-word bonus, less the penalties for its punctuation, case and foreign characters.
Reading Score(const DetectModel& model, const DetectModel::LanguageModel& lm,
              std::u16string_view text, bool english) {
  auto symbol = [&](char16_t c) -> int { return c < lm.symbol_of.size() ? lm.symbol_of[c] : 0; };
  auto is_letter = [&](char16_t c) { return english ? IsAsciiLetter(c) : symbol(c) != 0; };
  std::size_t begin = 0, end = text.size();
  while (begin < end && !is_letter(text[begin])) ++begin;
  while (end > begin && !is_letter(text[end - 1])) --end;
  Reading r;
  if (begin == end) {
    // No letter at all: as unlikely a word as its characters are foreign.
    r.score = -model.foreign_penalty * static_cast<float>(text.size());
    return r;
  }
  // A foreign character anywhere means the letters are not the frequent word they may spell.
  bool foreign = false;
  float cost = 0;
  auto add = [&](float bits) {
    foreign = foreign || bits >= model.foreign_penalty;
    cost += bits;
  };
  for (std::size_t i = 0; i < begin; ++i) add(AffixCost(model, text[i], true, english, false));
  const bool paired = english && text.substr(0, begin).find(u'[') != std::u16string_view::npos;
  for (std::size_t i = end; i < text.size(); ++i) {
    add(AffixCost(model, text[i], false, english, paired));
  }
  uint32_t hash = 0x811C9DC5u;
  int a = 0, b = 0, upper = 0;
  bool first_upper = false;
  for (std::size_t i = begin; i < end; ++i) {
    const char16_t c = text[i];
    const int s = symbol(c);
    if (s == 0) {
      add(!english && IsDiacritic(c) && c != u'\u0640' ? model.diacritic_penalty
                                                       : model.foreign_penalty);
      continue;
    }
    if (english && c >= u'A' && c <= u'Z') {
      if (i == begin) first_upper = true;
      ++upper;
    }
    if (is_letter(c)) ++r.letters;
    cost += lm.Cost(a, b, s);
    hash = (hash ^ static_cast<uint32_t>(s)) * 0x01000193u;
    a = b;
    b = s;
  }
  cost += lm.Cost(a, b, 0);
  if (english && upper > 0 && !(upper == 1 && first_upper) && upper != r.letters) {
    cost += model.case_penalty;
  }
  r.word_class = foreign ? 0 : lm.WordClass(hash);
  r.score = lm.class_bonus[r.word_class] - cost;
  return r;
}

std::optional<LayoutDetector::Judgement> JudgeKeys(const LayoutMap& map, const DetectModel& model,
                                                   std::u16string_view word, Language typed) {
  if (word.empty() || word.size() > kMaxWord) return std::nullopt;
  if (model.english.costs.empty() || model.farsi.costs.empty()) return std::nullopt;
  const Table from = typed == Language::English ? Table::English : Table::Farsi;
  const auto& en_chars = map.EnglishChars();
  const auto& fa_chars = map.FarsiChars();
  std::array<int, kMaxWord> keys;
  for (std::size_t i = 0; i < word.size(); ++i) {
    keys[i] = map.LookupChar(word[i], from);
    if (keys[i] >= kLayoutSize - 1) return std::nullopt;  // outside the table, or the space bar
  }
  // Keys that are punctuation in both layouts frame the word and take no part; inside it they
  // make a token (a path, an identifier, an address) that never switches.
  auto framing = [&](int k) { return IsFraming(map, model, k); };
  std::size_t begin = 0, end = word.size();
  while (begin < end && framing(keys[begin])) ++begin;
  while (end > begin && framing(keys[end - 1])) --end;
  if (begin == end) return std::nullopt;
  for (std::size_t i = begin; i < end; ++i) {
    if (framing(keys[i])) return std::nullopt;
  }
  std::array<char16_t, kMaxWord> en_text, fa_text;
  for (std::size_t i = begin; i < end; ++i) {
    en_text[i - begin] = en_chars[keys[i]];
    fa_text[i - begin] = fa_chars[keys[i]];
  }
  const std::u16string_view en(en_text.data(), end - begin), fa(fa_text.data(), end - begin);
  const Reading en_reading = Score(model, model.english, en, true);
  const Reading fa_reading = Score(model, model.farsi, fa, false);
  const bool english = typed == Language::English;
  const Reading& shown = english ? en_reading : fa_reading;
  const Reading& other = english ? fa_reading : en_reading;
  if (other.letters == 0) return std::nullopt;
  const float margin = other.score - shown.score;
  // A frequent word of the layout it was typed on needs more to switch.
  const float threshold = model.thresholds[std::min(other.letters, 4) - 1] +
                          (shown.word_class != 0 ? model.known_guard : 0.0f);
  return LayoutDetector::Judgement{margin, other.letters, margin > threshold};
}

}  // namespace

int DetectModel::LanguageModel::WordClass(uint32_t hash) const {
  const uint32_t key = hash & 0xFFFFFFF0u;
  std::size_t lo = 0, hi = words.size() / 4;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (LoadWord(words, mid) < key) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  if (lo == words.size() / 4) return 0;
  const uint32_t entry = LoadWord(words, lo);
  return (entry & 0xFFFFFFF0u) == key ? static_cast<int>(entry & 7u) : 0;
}

std::optional<DetectModel> DetectModel::Parse(std::span<const uint8_t> bytes) {
  Reader r(bytes);
  uint32_t magic = 0, version = 0;
  if (!r.Read(magic) || std::memcmp(&magic, "RVKD", 4) != 0) return std::nullopt;
  if (!r.Read(version) || version != kVersion) return std::nullopt;
  DetectModel m;
  for (float& t : m.thresholds) {
    if (!r.Read(t)) return std::nullopt;
  }
  if (!r.Read(m.case_penalty) || !r.Read(m.foreign_penalty) || !r.Read(m.diacritic_penalty) ||
      !r.Read(m.known_guard)) {
    return std::nullopt;
  }
  if (!ReadLanguage(r, m.english) || !ReadLanguage(r, m.farsi) || !r.AtEnd()) {
    return std::nullopt;
  }
  return m;
}

const DetectModel& DetectModel::Embedded() {
  static const DetectModel model = [] {
    if (auto parsed = Parse(DetectModelImage())) return *parsed;
    // A model that fails to parse never switches anything.
    DetectModel never;
    never.thresholds.fill(std::numeric_limits<float>::infinity());
    return never;
  }();
  return model;
}

LayoutDetector::LayoutDetector(const LayoutMap& map)
    : LayoutDetector(map, DetectModel::Embedded()) {}

LayoutDetector::LayoutDetector(const LayoutMap& map, const DetectModel& model)
    : map_(map), model_(model) {}

std::optional<LayoutDetector::Judgement> LayoutDetector::Judge(std::u16string_view word,
                                                               Language typed) const {
  return JudgeKeys(map_, model_, word, typed);
}

bool LayoutDetector::ShouldSwitch(std::u16string_view word, Language typed) const {
  const auto j = JudgeKeys(map_, model_, word, typed);
  return j && j->meant_other;
}

bool LayoutDetector::IsWordBreak(char16_t english_char) const {
  const int key = map_.LookupChar(english_char, Table::English);
  return key < kLayoutSize - 1 && IsFraming(map_, model_, key);
}

std::u16string LayoutDetector::ConvertWord(std::u16string_view word, Language from) const {
  const bool english = from == Language::English;
  const Table table = english ? Table::English : Table::Farsi;
  const auto& to = english ? map_.FarsiChars() : map_.EnglishChars();
  std::u16string out(word);
  for (char16_t& c : out) {
    const int k = map_.LookupChar(c, table);
    if (k < kLayoutSize) c = to[k];
  }
  return out;
}

}  // namespace ravak
