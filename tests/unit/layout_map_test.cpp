#include "convert/layout_map.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "keyboard/builtin_layouts.h"

namespace ravak {
namespace {

struct RunCase {
  std::u16string text;
  Language language;
  std::size_t start;
  std::u16string converted;
};

void PrintTo(const RunCase& c, std::ostream* os) {
  *os << "text of " << c.text.size() << " code units";
}

class LayoutRunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(LayoutRunTest, DetectsRunAndConvertsIt) {
  LayoutMap map;
  map.ApplyKeyboardType(1);
  const RunCase& c = GetParam();
  const LayoutRun run = map.DetectLayoutRun(c.text);
  EXPECT_EQ(run.language, c.language);
  EXPECT_EQ(run.start, c.start);
  EXPECT_EQ(map.ConvertTrailingRun(c.text), c.converted);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, LayoutRunTest,
    ::testing::Values(
        RunCase{u"sghl", Language::English, 1, u"سلام"},
        RunCase{u"سلام", Language::Farsi, 1, u"sghl"},
        RunCase{u"سلام hello", Language::English, 5, u"سلام اثممخ"},
        RunCase{u"hello سلام", Language::Farsi, 6, u"hello sghl"},
        RunCase{u"", Language::Farsi, 1, u""}, RunCase{u"123", Language::Farsi, 1, u"123"},
        RunCase{u"(1)", Language::Farsi, 1, u")1("},
        RunCase{u"hello (1)", Language::English, 1, u"اثممخ )1("},
        // Quotation mark, solidus and colon are the same on both sides: Farsi letters.
        RunCase{u"sghl:", Language::Farsi, 5, u"sghl:"},
        RunCase{u"sghl/", Language::Farsi, 5, u"sghl/"},
        RunCase{u"a\"b", Language::English, 3, u"a\"\u0630"},
        // Curly brackets: the right one counts as Farsi, the left one as English.
        RunCase{u"abc}", Language::Farsi, 4, u"abc{"},
        RunCase{u"x{", Language::English, 1, u"\u0637}"},
        RunCase{u"hi, there", Language::English, 1, u"اهو فاثقث"},
        RunCase{u"?", Language::Farsi, 1, u"?"}, RunCase{u"\u061F", Language::Farsi, 1, u"?"},
        RunCase{u"one\ttwo", Language::English, 1, u"خدث\tفصخ"},
        // D types the Persian yeh, as today's keyboards do; both yehs, and both kafs, go back.
        RunCase{u"d", Language::English, 1, u"\u06CC"},
        RunCase{u"thvsd hdvhk", Language::English, 1, u"فارسی ایران"},
        RunCase{u"\u06CC", Language::Farsi, 1, u"d"}, RunCase{u"\u064A", Language::Farsi, 1, u"d"},
        RunCase{u"\u0643\u06A9", Language::Farsi, 1, u";;"},
        RunCase{u"\u0637", Language::Farsi, 1, u"x"}, RunCase{u"\u0642", Language::Farsi, 1, u"r"},
        // Neutral characters mapped inside a run.
        RunCase{u"a?~", Language::English, 1, u"ش\u061F\u00D7"},
        RunCase{u"ش\u061F\u00D7", Language::Farsi, 1, u"a?~"},
        // Surrogate pairs, NUL and lone surrogates are neutral code units and pass through.
        RunCase{u"ab\U0001F600", Language::English, 1, u"شذ\U0001F600"},
        RunCase{std::u16string(u"a\0b", 3), Language::English, 1, std::u16string(u"ش\0ذ", 3)},
        RunCase{std::u16string{u'\xD800', u'a'}, Language::English, 1,
                std::u16string{u'\xD800', u'\u0634'}},
        RunCase{u"!!!", Language::Farsi, 1, u"!!!"}));

TEST(LayoutMapTest, KeyboardTypeDecidesEntry32) {
  LayoutMap map;
  // Before any keyboard type is applied the table holds U+0698.
  EXPECT_EQ(map.FarsiChars()[32], u'\u0698');
  map.ApplyKeyboardType(1);
  EXPECT_EQ(map.ConvertTrailingRun(u"\\"), u"\u067E");
  EXPECT_EQ(map.ConvertTrailingRun(u"\u067E"), u"\\");
  EXPECT_EQ(map.ConvertTrailingRun(u"\u0698"), u"C");
  EXPECT_EQ(map.ConvertTrailingRun(u"`"), u"\u067E");
  map.ApplyKeyboardType(2);
  EXPECT_EQ(map.FarsiChars()[32], u'\u067E');
  map.ApplyKeyboardType(3);
  EXPECT_EQ(map.ConvertTrailingRun(u"\\"), u"\u0698");
  EXPECT_EQ(map.ConvertTrailingRun(u"\u067E"), u"`");
  EXPECT_EQ(map.ConvertTrailingRun(u"\u0698"), u"\\");
  EXPECT_EQ(map.ConvertTrailingRun(u"`"), u"\u067E");
  map.ApplyKeyboardType(-7);
  EXPECT_EQ(map.FarsiChars()[32], u'\u0698');
}

// The direct index must give exactly what a first-match scan of the tables gives, for every
// code unit and both keyboard types; the Arabic yeh and kaf read as the Persian letters.
TEST(LayoutMapTest, LookupMatchesLinearScanForEveryCodeUnit) {
  LayoutMap map;
  for (int type : {1, 3}) {
    map.ApplyKeyboardType(type);
    for (unsigned c = 0; c <= 0xFFFF; ++c) {
      int e = kNotFound, f = kNotFound;
      const unsigned persian = c == 0x064A ? 0x06CC : c == 0x0643 ? 0x06A9 : c;
      for (int i = map.Size() - 1; i >= 0; --i) {
        if (map.EnglishChars()[i] == c) e = i;
        if (map.FarsiChars()[i] == persian) f = i;
      }
      ASSERT_EQ(map.LookupChar(static_cast<char16_t>(c), Table::English), e) << c;
      ASSERT_EQ(map.LookupChar(static_cast<char16_t>(c), Table::Farsi), f) << c;
    }
  }
}

TEST(LayoutMapTest, ConversionKeepsLengthOnLongMixedLine) {
  LayoutMap map;
  std::u16string line;
  for (int i = 0; i < 100000; ++i) line += (i % 2) ? u"سلام " : u"hello ";
  const std::u16string out = map.ConvertTrailingRun(line);
  ASSERT_EQ(out.size(), line.size());
  // Only the last word (with the space before it) belongs to the run.
  EXPECT_EQ(out.substr(0, line.size() - 6), line.substr(0, line.size() - 6));
}

// Each letter goes by its own layout; punctuation both layouts type follows the letters' side.
TEST(ConvertEachTest, LettersByTheirOwnLayoutPunctuationByTheMajority) {
  LayoutMap map;
  EXPECT_EQ(map.ConvertEach(u"sghl سلام"), u"سلام sghl");
  EXPECT_EQ(map.ConvertEach(u"o,fd?"), u"خوبی؟");
  EXPECT_EQ(map.ConvertEach(u"خوبی؟"), u"o,fd?");
  EXPECT_EQ(map.ConvertEach(u"12 ab"), u"12 شذ");  // digits are in neither table
  EXPECT_EQ(map.ConvertEach(u""), u"");
}

constexpr LayoutId kUk = 0x00000809, kDvorak = 0x00010409, kInternational = 0x00020409;

const KeyboardLayout& Builtin(LayoutId id) {
  return *BuiltinLayout(id);
}

struct PairCase {
  LayoutId latin;
  LayoutId persian;
  std::u16string text;
  std::u16string converted;
};

void PrintTo(const PairCase& c, std::ostream* os) {
  *os << FormatLayoutId(c.latin) << "+" << FormatLayoutId(c.persian) << ", " << c.text.size()
      << " code units";
}

class LayoutPairTest : public ::testing::TestWithParam<PairCase> {};

// A character typed on one layout converts to what the same key types on the other.
TEST_P(LayoutPairTest, ConvertsKeyByKey) {
  const PairCase& c = GetParam();
  LayoutMap map(Builtin(c.latin), Builtin(c.persian));
  map.ApplyKeyboardType(1);
  EXPECT_EQ(map.ConvertTrailingRun(c.text), c.converted);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, LayoutPairTest,
    ::testing::Values(
        // Persian (Standard): peh on M, so English typed on it (mom) comes back too; the Persian
        // digits; the non-joiner reads as Shift+B, a capital's key (Shift+Space types it too).
        PairCase{kUsLayout, kPersianStandardLayout, u"mnv", u"پدر"},
        PairCase{kUsLayout, kPersianStandardLayout, u"پخپ", u"mom"},
        PairCase{kUsLayout, kPersianStandardLayout, u"sghl 12", u"سلام ۱۲"},
        PairCase{kUsLayout, kPersianStandardLayout, u"۱۲۳", u"123"},
        PairCase{kUsLayout, kPersianStandardLayout, u"\u200Cثبخقث", u"Before"},
        // Its Arabic kaf and yeh are keys of their own (the old layout reads them as ک and ی).
        PairCase{kUsLayout, kPersianStandardLayout, u"\u0643\u064A", u"ZD"},
        // The backslash key is the layout's own, whatever the keyboard type.
        PairCase{kUsLayout, kPersianStandardLayout, u"\\", u"\\"},
        // Dvorak: the fingers of سلام type oidn; the full stop Persian types is neutral there
        // (Dvorak types it on the key of ث) and stays in the run.
        PairCase{kDvorak, kPersianLayout, u"oidn", u"سلام"},
        PairCase{kDvorak, kPersianLayout, u"سلام.", u"oidnv"},
        // United Kingdom: the hash key is the backslash key of the keyboard type, the key left
        // of Z types peh.
        PairCase{kUk, kPersianLayout, u"sghl#\\", u"سلامپپ"},
        PairCase{kUk, kPersianLayout, u"sghl@", u"سلام\""},
        // United States-International: a character a dead key made is both keys.
        PairCase{kInternational, kPersianLayout, u"\u00E1j", u"گشت"},
        PairCase{kInternational, kPersianLayout, u"hello \u00E1j", u"اثممخ گشت"},
        PairCase{kInternational, kPersianLayout, u"گشت", u"'aj"}));

TEST(LayoutPairTest, KeyboardTypeDecidesOnlyTheOldPersianLayoutsBackslashKey) {
  LayoutMap standard(Builtin(kUsLayout), Builtin(kPersianStandardLayout));
  EXPECT_FALSE(standard.FollowsKeyboardType());
  LayoutMap old(Builtin(kUk), Builtin(kPersianLayout));
  EXPECT_TRUE(old.FollowsKeyboardType());
  old.ApplyKeyboardType(3);
  EXPECT_EQ(old.ConvertTrailingRun(u"a#"), u"ش\u0698");
  // The non-joiner's own key, Shift+Space, is in the map, for what knows the key typed.
  const int space = standard.KeyEntry(scan::kSpace, true);
  ASSERT_NE(space, kNotFound);
  EXPECT_EQ(standard.FarsiChars()[space], u'\u200C');
  EXPECT_EQ(old.KeyEntry(scan::kSpace, true), kNotFound);
  // Built again from another pair, the map keeps the type.
  old.Load(Builtin(kUsLayout), Builtin(kPersianLayout));
  EXPECT_EQ(old.ConvertTrailingRun(u"\\"), u"\u0698");
}

}  // namespace
}  // namespace ravak
