#include "convert/layout_map.h"

#include "keyboard/builtin_layouts.h"

namespace ravak {

namespace {

// The keys of the map in the order of its entries, which decides two things: a character that
// several keys type reads as the first of them, and the entries of the letter rows (the first
// two groups) make a run's language while the others are neutral. Taken in this order, the US
// and the old Persian layouts give the pairs Ravak has always had, at the same entries up to the
// full stop's (its tables held D a second time, which no lookup ever found), and the key left of
// Z besides.
struct KeyGroup {
  bool shift;
  bool deciding;           // a key of the letter rows
  bool only_if_different;  // left out where both layouts type the same character
  std::span<const uint8_t> scans;
};

// The rows from the top, each from its left; the slash before the key right of the quote key,
// the key left of 1 last.
constexpr uint8_t kLettersPlain[] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18,
                                     0x19, 0x1A, 0x1B, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23,
                                     0x24, 0x25, 0x26, 0x27, 0x28, 0x2C, 0x2D, 0x2E, 0x2F,
                                     0x30, 0x31, 0x32, 0x33, 0x35, 0x2B, 0x29};
constexpr uint8_t kLettersShifted[] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19,
                                       0x1A, 0x1B, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25,
                                       0x26, 0x27, 0x28, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32};
constexpr uint8_t kFullStop[] = {0x34};
constexpr uint8_t kMarksShifted[] = {0x33, 0x34, 0x35, 0x2B, 0x29, 0x02, 0x03, 0x04, 0x05,
                                     0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D};
constexpr uint8_t kNumberRow[] = {0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                                  0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D};
constexpr uint8_t kOem102[] = {scan::kOem102};
constexpr uint8_t kSpace[] = {scan::kSpace};

// The number row without Shift (digits on both, or Persian digits against Latin ones), the key
// left of Z, and the space bar with Shift (the non-joiner of Persian (Standard)) are left out
// where the two layouts type the same there: such a character converts to itself, and left out
// it stays in neither table, so that a number neither decides a run nor joins a word.
constexpr KeyGroup kGroups[] = {
    {false, true, false, kLettersPlain}, {true, true, false, kLettersShifted},
    {false, false, false, kFullStop},    {true, false, false, kMarksShifted},
    {false, false, true, kNumberRow},    {false, false, true, kOem102},
    {true, false, true, kOem102},        {false, false, false, kSpace},
    {true, false, true, kSpace},
};

static_assert([] {
  std::size_t keys = 0;
  for (const KeyGroup& g : kGroups) keys += g.scans.size();
  return keys <= kLayoutSize;
}());

// Letters of the Latin and Arabic scripts, with the Arabic marks; a neutral key that types one
// (a Dvorak key at the full stop's place, say) decides a run all the same.
bool IsLetter(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return true;
  if (c >= 0x00C0 && c <= 0x024F) return c != 0x00D7 && c != 0x00F7;
  return (c >= 0x0620 && c <= 0x065F && c != 0x0640) || c == 0x0670 ||
         (c >= 0x066E && c <= 0x06D3) || c == 0x06D5;
}

}  // namespace

LayoutMap::LayoutMap() : LayoutMap(*BuiltinLayout(kUsLayout), *BuiltinLayout(kPersianLayout)) {}

LayoutMap::LayoutMap(const KeyboardLayout& latin, const KeyboardLayout& persian) {
  Load(latin, persian);
}

void LayoutMap::Load(const KeyboardLayout& latin, const KeyboardLayout& persian) {
  latin_ = latin;
  persian_ = persian;
  Rebuild();
}

void LayoutMap::ApplyKeyboardType(int32_t keyboard_type) {
  keyboard_type_ = keyboard_type;
  if (!FollowsKeyboardType()) return;
  const char16_t entry = (keyboard_type == 1 || keyboard_type == 2) ? u'\u067E' : u'\u0698';
  if (farsi_[static_cast<std::size_t>(backslash_entry_)] != entry) Rebuild();
}

void LayoutMap::AddEntry(uint8_t scan_code, bool shift, bool deciding, bool only_if_different) {
  const LayoutKey* e = latin_.Key(scan_code);
  const LayoutKey* f = persian_.Key(scan_code);
  if (!e || !f || !e->Types(shift) || !f->Types(shift)) return;
  if (only_if_different && e->Types(shift) == f->Types(shift)) return;
  english_.push_back(e->Types(shift));
  farsi_.push_back(f->Types(shift));
  keys_.push_back({scan_code, shift});
  deciding_key_.push_back(deciding);
}

void LayoutMap::Point(Side& side, char16_t c, int entry) {
  if (c < kIndexSpan) {
    side.index[c] = static_cast<uint8_t>(entry);
    return;
  }
  for (auto& [unit, at] : side.above) {
    if (unit == c) {
      at = static_cast<uint8_t>(entry);
      return;
    }
  }
  side.above.push_back({c, static_cast<uint8_t>(entry)});
}

void LayoutMap::BuildSide(Side& side, const std::vector<char16_t>& chars,
                          const KeyboardLayout& layout) {
  side.index.fill(kNotFound);
  side.above.clear();
  side.composed.clear();
  // Backwards, so that the first of the entries typing a character wins: the Standard layout's
  // non-joiner reads as Shift+B, the key a capital B is typed with, not as Shift+Space.
  for (int i = Size() - 1; i >= 0; --i) Point(side, chars[static_cast<std::size_t>(i)], i);
  for (const DeadKeyCombination& k : layout.combinations) {
    const Table table = &side == &en_ ? Table::English : Table::Farsi;
    if (LookupChar(k.result, table) != kNotFound || FindComposed(k.result, table)) continue;
    const int dead = LookupChar(k.dead, table);
    const int base = LookupChar(k.base, table);
    if (dead == kNotFound || base == kNotFound) continue;
    side.composed.push_back({k.result, static_cast<uint8_t>(dead), static_cast<uint8_t>(base)});
  }
}

void LayoutMap::Rebuild() {
  english_.clear();
  farsi_.clear();
  keys_.clear();
  deciding_key_.clear();
  for (const KeyGroup& g : kGroups) {
    for (const uint8_t s : g.scans) AddEntry(s, g.shift, g.deciding, g.only_if_different);
  }
  backslash_entry_ = -1;
  if (persian_.id == kPersianLayout) {
    for (int i = 0; i < Size(); ++i) {
      if (keys_[static_cast<std::size_t>(i)] == std::pair<uint8_t, bool>{scan::kBackslash, false})
        backslash_entry_ = i;
    }
  }
  if (FollowsKeyboardType()) {
    const bool peh = keyboard_type_ && (*keyboard_type_ == 1 || *keyboard_type_ == 2);
    farsi_[static_cast<std::size_t>(backslash_entry_)] = peh ? u'\u067E' : u'\u0698';
  }
  BuildSide(en_, english_, latin_);
  BuildSide(fa_, farsi_, persian_);
  // The Arabic yeh and kaf, as older keyboards and texts type them, read as the Persian ones,
  // unless the layout types them on a key of its own (Persian (Standard): Shift+D and Shift+Z).
  // The old layout's Shift+X types the Arabic yeh too, but it has always read as D.
  constexpr std::pair<char16_t, char16_t> kArabicLetters[] = {{u'\u064A', u'\u06CC'},
                                                              {u'\u0643', u'\u06A9'}};
  for (const auto& [arabic, persian] : kArabicLetters) {
    const bool own_key = fa_.index[arabic] != kNotFound && persian_.id != kPersianLayout;
    if (fa_.index[persian] != kNotFound && !own_key) fa_.index[arabic] = fa_.index[persian];
  }
  // A character of the letter rows decides a run, and so does a letter anywhere; but not one
  // that the other layout types on a neutral key (the full stop a Dvorak layout types on the
  // key of ث).
  for (Side* side : {&en_, &fa_}) {
    const bool english = side == &en_;
    const std::vector<char16_t>& chars = english ? english_ : farsi_;
    side->decides.assign(chars.size(), false);
    for (std::size_t i = 0; i < chars.size(); ++i) {
      const int other = LookupChar(chars[i], english ? Table::Farsi : Table::English);
      const bool neutral_there =
          other != kNotFound && !deciding_key_[static_cast<std::size_t>(other)];
      side->decides[i] = (deciding_key_[i] || IsLetter(chars[i])) && !neutral_there;
    }
  }
  any_above_ = !en_.above.empty() || !fa_.above.empty();
  for (const Side* side : {&en_, &fa_}) {
    for (const Composed& k : side->composed) any_above_ = any_above_ || k.c >= kIndexSpan;
  }
  for (char16_t c = 0; c < kIndexSpan; ++c) {
    const CharClass cls = ClassifyChar(c);
    class_[c] = static_cast<uint8_t>((cls.language == Language::English ? kClassEnglish : 0) |
                                     (cls.letter ? kClassLetter : 0));
  }
}

int LayoutMap::LookupAbove(char16_t c, Table table) const {
  for (const auto& [unit, at] : SideOf(table).above) {
    if (unit == c) return at;
  }
  return kNotFound;
}

const LayoutMap::Composed* LayoutMap::FindComposed(char16_t c, Table table) const {
  for (const Composed& k : SideOf(table).composed) {
    if (k.c == c) return &k;
  }
  return nullptr;
}

CharClass LayoutMap::ClassifyChar(char16_t c) const {
  const int e = LookupChar(c, Table::English);
  const int f = LookupChar(c, Table::Farsi);
  if (e < f) return {Language::English, e, en_.decides[static_cast<std::size_t>(e)]};
  if (f != kNotFound) return {Language::Farsi, f, fa_.decides[static_cast<std::size_t>(f)]};
  // A character a dead key made belongs to that layout.
  const bool english = FindComposed(c, Table::English) != nullptr;
  if (english || FindComposed(c, Table::Farsi)) {
    return {english ? Language::English : Language::Farsi, kNotFound, IsLetter(c)};
  }
  return {Language::Farsi, kNotFound, false};
}

int LayoutMap::KeyEntry(uint8_t scan_code, bool shift) const {
  for (int i = 0; i < Size(); ++i) {
    if (keys_[static_cast<std::size_t>(i)] == std::pair{scan_code, shift}) return i;
  }
  return kNotFound;
}

LayoutRun LayoutMap::DetectLayoutRun(std::u16string_view text) const {
  bool have_current = false;
  Language current = Language::Farsi;
  for (std::size_t i = text.size(); i >= 1; --i) {
    const char16_t c = text[i - 1];
    Language language;
    if (c < kIndexSpan) {
      if (!(class_[c] & kClassLetter)) continue;
      language = class_[c] & kClassEnglish ? Language::English : Language::Farsi;
    } else {
      if (!any_above_) continue;
      const CharClass cls = ClassifyChar(c);
      if (!cls.letter) continue;
      language = cls.language;
    }
    if (!have_current) {
      have_current = true;
      current = language;
      continue;
    }
    if (language != current) return {current, i + 1};
  }
  return {have_current ? current : Language::Farsi, 1};
}

bool LayoutMap::AppendConverted(std::u16string& out, char16_t c, Table from) const {
  const std::vector<char16_t>& to = from == Table::English ? farsi_ : english_;
  if (const int i = LookupChar(c, from); i != kNotFound) {
    out += to[static_cast<std::size_t>(i)];
    return true;
  }
  if (const Composed* k = FindComposed(c, from)) {
    out += to[k->dead];
    out += to[k->base];
    return true;
  }
  return false;
}

std::u16string LayoutMap::ConvertTrailingRun(std::u16string_view text) const {
  const LayoutRun run = DetectLayoutRun(text);
  const Table from = run.language == Language::English ? Table::English : Table::Farsi;
  const Side& side = SideOf(from);
  if (!side.composed.empty()) {
    // A layout with dead keys: a character they made becomes two.
    std::u16string result(text.substr(0, run.start - 1));
    for (const char16_t c : text.substr(run.start - 1)) {
      if (!AppendConverted(result, c, from)) result += c;
    }
    return result;
  }
  const char16_t* to = (from == Table::English ? farsi_ : english_).data();
  std::u16string result(text);
  char16_t* const out = result.data();
  const std::size_t end = result.size();
  if (side.above.empty()) {
    for (std::size_t pos = run.start - 1; pos < end; ++pos) {
      const char16_t c = out[pos];
      if (c < kIndexSpan && side.index[c] != kNotFound) out[pos] = to[side.index[c]];
    }
    return result;
  }
  for (std::size_t pos = run.start - 1; pos < end; ++pos) {
    const int i = LookupChar(out[pos], from);
    if (i != kNotFound) out[pos] = to[i];
  }
  return result;
}

std::u16string LayoutMap::ConvertEach(std::u16string_view text) const {
  auto in = [this](char16_t c, Table table) {
    return LookupChar(c, table) != kNotFound || FindComposed(c, table) != nullptr;
  };
  // A character in one table only belongs to that layout; letters decide the rest.
  int english = 0, farsi = 0;
  for (const char16_t c : text) {
    const bool in_english = in(c, Table::English);
    const bool in_farsi = in(c, Table::Farsi);
    if (in_english && !in_farsi) ++english;
    if (in_farsi && !in_english) ++farsi;
  }
  const bool mostly_farsi = farsi > english;
  std::u16string out;
  out.reserve(text.size());
  for (const char16_t c : text) {
    const bool in_english = in(c, Table::English);
    const bool in_farsi = in(c, Table::Farsi);
    const Table from = in_english && (!in_farsi || !mostly_farsi) ? Table::English : Table::Farsi;
    if (!AppendConverted(out, c, from)) out += c;
  }
  return out;
}

}  // namespace ravak
