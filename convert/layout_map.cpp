#include "convert/layout_map.h"

namespace ravak {

const std::array<char16_t, kLayoutSize> LayoutMap::kEnglishChars = {
    u'q', u'w', u'e',  u'r', u't', u'y', u'u', u'i', u'o', u'p',  // 0-9
    u'[', u']', u'a',  u's', u'd', u'f', u'g', u'h', u'j', u'k',  // 10-19
    u'l', u';', u'\'', u'z', u'x', u'c', u'v', u'b', u'n', u'm',  // 20-29
    u',', u'/', u'\\', u'`', u'Q', u'W', u'E', u'R', u'T', u'Y',  // 30-39
    u'U', u'I', u'O',  u'P', u'{', u'}', u'A', u'S', u'D', u'F',  // 40-49
    u'G', u'H', u'J',  u'K', u'L', u':', u'"', u'Z', u'X', u'C',  // 50-59
    u'V', u'B', u'N',  u'M', u'd', u'.', u'<', u'>', u'?', u'|',  // 60-69
    u'~', u'!', u'@',  u'#', u'$', u'%', u'^', u'&', u'*', u'(',  // 70-79
    u')', u'_', u'+',  u' ',                                      // 80-83
};

const std::array<char16_t, kLayoutSize> LayoutMap::kFarsiCharsInitial = {
    u'\u0636', u'\u0635', u'\u062B', u'\u0642', u'\u0641',  // 0-4
    u'\u063A', u'\u0639', u'\u0647', u'\u062E', u'\u062D',  // 5-9
    u'\u062C', u'\u0686', u'\u0634', u'\u0633', u'\u06CC',  // 10-14
    u'\u0628', u'\u0644', u'\u0627', u'\u062A', u'\u0646',  // 15-19
    u'\u0645', u'\u06A9', u'\u06AF', u'\u0638', u'\u0637',  // 20-24
    u'\u0632', u'\u0631', u'\u0630', u'\u062F', u'\u0626',  // 25-29
    u'\u0648', u'/',      u'\u0698', u'\u067E', u'\u064B',  // 30-34
    u'\u064C', u'\u064D', u'\u0642', u'\u060C', u'\u061B',  // 35-39
    u',',      u']',      u'[',      u'\\',     u'}',       // 40-44
    u'{',      u'\u064E', u'\u064F', u'\u0650', u'\u0651',  // 45-49
    u'\u06C0', u'\u0622', u'\u0640', u'\u00AB', u'\u00BB',  // 50-54
    u':',      u'"',      u'\u0629', u'\u064A', u'\u0698',  // 55-59
    u'\u0624', u'\u0625', u'\u0623', u'\u0621', u'\u064A',  // 60-64
    u'.',      u'<',      u'>',      u'\u061F', u'|',       // 65-69
    u'\u00D7', u'!',      u'@',      u'#',      u'$',       // 70-74
    u'%',      u'^',      u'&',      u'*',      u')',       // 75-79
    u'(',      u'_',      u'+',      u' ',                  // 80-83
};

namespace {

template <std::size_t N>
void BuildIndex(const std::array<char16_t, kLayoutSize>& table, std::array<uint8_t, N>& index) {
  index.fill(kNotFound);
  // Walk backwards so the first occurrence of a duplicated character wins.
  for (int i = kLayoutSize - 1; i >= 0; --i) {
    if (table[i] < N) index[table[i]] = static_cast<uint8_t>(i);
  }
}

}  // namespace

LayoutMap::LayoutMap() : farsi_(kFarsiCharsInitial) {
  BuildIndex(kEnglishChars, english_index_);
  RebuildFarsiIndex();
}

void LayoutMap::RebuildFarsiIndex() {
  BuildIndex(farsi_, farsi_index_);
  // The Arabic yeh and kaf, as older keyboards and texts type them, read as the Persian ones.
  farsi_index_[u'\u064A'] = farsi_index_[u'\u06CC'];
  farsi_index_[u'\u0643'] = farsi_index_[u'\u06A9'];
}

void LayoutMap::ApplyKeyboardType(int32_t keyboard_type) {
  const char16_t entry = (keyboard_type == 1 || keyboard_type == 2) ? u'\u067E' : u'\u0698';
  if (farsi_[32] == entry) return;
  farsi_[32] = entry;
  RebuildFarsiIndex();
}

CharClass LayoutMap::ClassifyChar(char16_t c) const {
  const int e = LookupChar(c, Table::English);
  const int f = LookupChar(c, Table::Farsi);
  if (e < f) return {Language::English, e};
  return {Language::Farsi, f};
}

LayoutRun LayoutMap::DetectLayoutRun(std::u16string_view text) const {
  bool have_current = false;
  Language current = Language::Farsi;
  for (std::size_t i = text.size(); i >= 1; --i) {
    const CharClass cls = ClassifyChar(text[i - 1]);
    if (cls.index > kLastLetterIndex) continue;
    if (!have_current) {
      have_current = true;
      current = cls.language;
      continue;
    }
    if (cls.language != current) return {current, i + 1};
  }
  return {have_current ? current : Language::Farsi, 1};
}

std::u16string LayoutMap::ConvertTrailingRun(std::u16string_view text) const {
  const LayoutRun run = DetectLayoutRun(text);
  std::u16string result(text);
  const bool english = run.language == Language::English;
  const Table from = english ? Table::English : Table::Farsi;
  const auto& to = english ? farsi_ : kEnglishChars;
  for (std::size_t pos = run.start - 1; pos < result.size(); ++pos) {
    const int i = LookupChar(result[pos], from);
    if (i < kLayoutSize) result[pos] = to[i];
  }
  return result;
}

std::u16string LayoutMap::ConvertEach(std::u16string_view text) const {
  // A character in one table only belongs to that layout; letters decide the rest.
  int english = 0, farsi = 0;
  for (const char16_t c : text) {
    const bool in_english = LookupChar(c, Table::English) != kNotFound;
    const bool in_farsi = LookupChar(c, Table::Farsi) != kNotFound;
    if (in_english && !in_farsi) ++english;
    if (in_farsi && !in_english) ++farsi;
  }
  const bool mostly_farsi = farsi > english;
  std::u16string out(text);
  for (char16_t& c : out) {
    const int e = LookupChar(c, Table::English);
    const int f = LookupChar(c, Table::Farsi);
    if (e != kNotFound && (f == kNotFound || !mostly_farsi)) {
      c = farsi_[static_cast<std::size_t>(e)];
    } else if (f != kNotFound) {
      c = kEnglishChars[static_cast<std::size_t>(f)];
    }
  }
  return out;
}

}  // namespace ravak
