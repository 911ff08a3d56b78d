#include "detect/layout_detector.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace ravak {

namespace {

constexpr uint32_t kVersion = 3;
constexpr std::size_t kBuckets = 256;  // word entries by the top 8 bits of their hash
constexpr std::size_t kMaxWord = 64;   // longer words are never judged

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

uint32_t LoadU32(std::span<const uint8_t> bytes, std::size_t i) {
  uint32_t v = 0;
  std::memcpy(&v, bytes.data() + i * 4, 4);
  return v;
}

uint32_t LoadEntry(std::span<const uint8_t> words, std::size_t i) {
  const uint8_t* p = words.data() + i * 3;
  return p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
}

bool ReadLanguage(Reader& r, DetectModel::LanguageModel& lm) {
  uint32_t symbols = 0, mapped = 0, row_count = 0, words = 0;
  if (!r.Read(symbols) || !r.Read(mapped) || !r.Read(row_count) || !r.Read(words)) return false;
  if (symbols < 2 || symbols > 255 || words > (1u << 24)) return false;
  if (row_count == 0 || row_count > symbols * symbols) return false;
  lm.symbols = static_cast<int>(symbols);
  for (float& b : lm.class_bits) {
    if (!r.Read(b)) return false;
  }
  lm.symbol_of.fill(0);
  for (uint32_t i = 0; i < mapped; ++i) {
    uint16_t unit = 0, symbol = 0;
    if (!r.Read(unit) || !r.Read(symbol)) return false;
    if (unit >= lm.symbol_of.size() || symbol == 0 || symbol >= symbols) return false;
    lm.symbol_of[unit] = static_cast<uint8_t>(symbol);
  }
  if (!r.Take(std::size_t{symbols} * symbols * 2, lm.rows) ||
      !r.Take(std::size_t{row_count} * symbols, lm.costs) ||
      !r.Take(kBuckets * 4, lm.bucket_ends) || !r.Take(std::size_t{words} * 3, lm.words)) {
    return false;
  }
  for (std::size_t i = 0; i < lm.rows.size(); i += 2) {
    if ((lm.rows[i] | uint32_t{lm.rows[i + 1]} << 8) >= row_count) return false;
  }
  uint32_t end = 0;
  for (std::size_t k = 0; k < kBuckets; ++k) {
    const uint32_t next = LoadU32(lm.bucket_ends, k);
    if (next < end || next > words) return false;
    end = next;
  }
  return end == words;
}

bool IsAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The harakat, the hamza and the alef written above a letter (Persian (Standard) types both), and
// the tatweel.
bool IsDiacritic(char16_t c) {
  return (c >= u'\u064B' && c <= u'\u0652') || c == u'\u0654' || c == u'\u0670' || c == u'\u0640';
}

bool IsAsciiCapital(char16_t c) {
  return c >= u'A' && c <= u'Z';
}

// The capital whose key types the Persian character too, or 0.
char16_t CapitalTyping(const LayoutMap& map, char16_t farsi) {
  for (int k = 0; k < map.Size(); ++k) {
    if (map.FarsiChars()[k] == farsi && IsAsciiCapital(map.EnglishChars()[k])) {
      return map.EnglishChars()[k];
    }
  }
  return 0;
}

// A Persian character that both a small letter's key and a capital's key type (ق is R with or
// without Shift) reads as the small letter; in a word whose other letters are all capitals, two
// at least, it reads as the capital.
void ReadCapitals(const LayoutMap& map, std::u16string_view farsi, std::span<char16_t> english) {
  if (std::count_if(english.begin(), english.end(), IsAsciiCapital) < 2) return;
  for (std::size_t i = 0; i < english.size(); ++i) {
    if (english[i] >= u'a' && english[i] <= u'z' && CapitalTyping(map, farsi[i]) == 0) return;
  }
  for (std::size_t i = 0; i < english.size(); ++i) {
    if (english[i] >= u'a' && english[i] <= u'z') english[i] = CapitalTyping(map, farsi[i]);
  }
}

// A key that types punctuation in both layouts.
bool IsFraming(const LayoutMap& map, const DetectModel& model, int key) {
  const char16_t f = map.FarsiChars()[key];
  return !IsAsciiLetter(map.EnglishChars()[key]) &&
         !(f < model.farsi.symbol_of.size() && model.farsi.symbol_of[f] != 0);
}

struct Reading {
  int letters = 0;
  int word_class = 0;     // frequency class; 0 when the table lacks the word
  bool capitals = false;  // English letters, two or more, all capitals
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

// Log-probability in bits of one reading of the keys as a word of its language: the word's
// frequency when the table knows it, or else its letters as the trigram spells them; less the
// penalties for its punctuation, case and foreign characters.
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
  float penalty = 0, spelling = 0;
  auto add = [&](float bits) {
    foreign = foreign || bits >= model.foreign_penalty;
    penalty += bits;
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
    spelling += lm.Cost(a, b, s);
    hash = (hash ^ static_cast<uint32_t>(s)) * 0x01000193u;
    a = b;
    b = s;
  }
  spelling += lm.Cost(a, b, 0);
  if (english && upper > 0 && !(upper == 1 && first_upper) && upper != r.letters) {
    penalty += model.case_penalty;
  }
  r.word_class = foreign ? 0 : lm.WordClass(hash);
  r.capitals = english && r.letters >= 2 && upper == r.letters;
  const float spelled = lm.class_bits[0] - spelling;
  r.score =
      (r.word_class != 0 ? std::max(lm.class_bits[r.word_class], spelled) : spelled) - penalty;
  return r;
}

// Bits the field's previous word adds to the margin of a word typed on `typed`.
float ContextBits(const DetectModel& model, const WordContext& context, Language typed) {
  if (!context.previous) return 0;
  const bool in_other = *context.previous != typed;
  return model.context_bits[(in_other ? 0 : 2) + (context.previous_switched ? 0 : 1)];
}

std::optional<LayoutDetector::Judgement> JudgeKeys(const LayoutMap& map, const DetectModel& model,
                                                   std::u16string_view word, Language typed,
                                                   const WordContext& context) {
  if (word.empty() || word.size() > kMaxWord) return std::nullopt;
  if (model.english.costs.empty() || model.farsi.costs.empty()) return std::nullopt;
  const Table from = typed == Language::English ? Table::English : Table::Farsi;
  const auto& en_chars = map.EnglishChars();
  const auto& fa_chars = map.FarsiChars();
  std::array<int, kMaxWord> keys;
  const auto& farsi_letters = model.farsi.symbol_of;
  auto farsi_letter = [&](char16_t c) { return c < farsi_letters.size() && farsi_letters[c] != 0; };
  for (std::size_t i = 0; i < word.size(); ++i) {
    keys[i] = map.LookupChar(word[i], from);
    if (keys[i] == kNotFound || map.IsSpaceBar(keys[i])) return std::nullopt;
    // A digit makes a token (IPv6, 0x1F) that never switches, Latin or Persian.
    const char16_t english = en_chars[static_cast<std::size_t>(keys[i])];
    if (english >= u'0' && english <= u'9') return std::nullopt;
    // A non-joiner between Persian letters joins a Persian compound, which stays as typed.
    if (word[i] == u'\u200C' && typed == Language::Farsi && i > 0 && i + 1 < word.size() &&
        farsi_letter(word[i - 1]) && farsi_letter(word[i + 1]))
      return std::nullopt;
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
  const std::size_t n = end - begin;
  if (typed == Language::Farsi)
    ReadCapitals(map, word.substr(begin, n), std::span(en_text.data(), n));
  const std::u16string_view en(en_text.data(), n), fa(fa_text.data(), n);
  const Reading en_reading = Score(model, model.english, en, true);
  const Reading fa_reading = Score(model, model.farsi, fa, false);
  const bool english = typed == Language::English;
  const Reading& shown = english ? en_reading : fa_reading;
  const Reading& other = english ? fa_reading : en_reading;
  if (other.letters == 0) return std::nullopt;
  const float margin = other.score - shown.score + ContextBits(model, context, typed);
  // A known word in capitals (an acronym) is judged as a word of three letters at least; a
  // frequent word of the layout it was typed on needs more to switch.
  const int letters =
      other.capitals && other.word_class != 0 ? std::max(other.letters, 3) : other.letters;
  const float threshold = model.thresholds[std::min(letters, 4) - 1] +
                          (shown.word_class != 0 ? model.known_guard : 0.0f);
  return LayoutDetector::Judgement{margin, other.letters, margin > threshold};
}

}  // namespace

int DetectModel::LanguageModel::WordClass(uint32_t hash) const {
  if (bucket_ends.size() != kBuckets * 4) return 0;  // a model that failed to parse
  const std::size_t bucket = hash >> 24;
  std::size_t lo = bucket == 0 ? 0 : LoadU32(bucket_ends, bucket - 1);
  std::size_t hi = LoadU32(bucket_ends, bucket);
  const std::size_t end = hi;
  const uint32_t key = hash & 0x00FFFFF0u;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (LoadEntry(words, mid) < key) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  if (lo == end) return 0;
  const uint32_t entry = LoadEntry(words, lo);
  return (entry & 0x00FFFFF0u) == key ? static_cast<int>(entry & 15u) : 0;
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
  for (float& c : m.context_bits) {
    if (!r.Read(c)) return std::nullopt;
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
                                                               Language typed,
                                                               const WordContext& context) const {
  return JudgeKeys(map_, model_, word, typed, context);
}

bool LayoutDetector::ShouldSwitch(std::u16string_view word, Language typed,
                                  const WordContext& context) const {
  const auto j = JudgeKeys(map_, model_, word, typed, context);
  return j && j->meant_other;
}

WordContext LayoutDetector::ContextAfter(const WordContext& before, std::u16string_view word,
                                         Language typed, bool switched) const {
  const auto& farsi = model_.farsi.symbol_of;
  const bool letters = std::any_of(word.begin(), word.end(), [&](char16_t c) {
    return typed == Language::English ? IsAsciiLetter(c) : c < farsi.size() && farsi[c] != 0;
  });
  if (!letters) return before;
  const Language other = typed == Language::English ? Language::Farsi : Language::English;
  return WordContext{switched ? other : typed, switched};
}

bool LayoutDetector::IsWordBreak(char16_t c, Language typed) const {
  const int key = map_.LookupChar(c, typed == Language::English ? Table::English : Table::Farsi);
  return key != kNotFound && !map_.IsSpaceBar(key) && IsFraming(map_, model_, key);
}

std::u16string LayoutDetector::ConvertWord(std::u16string_view word, Language from) const {
  const bool english = from == Language::English;
  const Table table = english ? Table::English : Table::Farsi;
  const auto& to = english ? map_.FarsiChars() : map_.EnglishChars();
  std::u16string out(word);
  for (char16_t& c : out) {
    const int k = map_.LookupChar(c, table);
    if (k != kNotFound) c = to[k];
  }
  if (!english) ReadCapitals(map_, word, out);
  return out;
}

}  // namespace ravak
