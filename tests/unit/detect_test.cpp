#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>
#include <vector>

#include "convert/layout_map.h"
#include "detect/layout_detector.h"
#include "platform/utf.h"
#include "tools/commands.h"

namespace ravak {
namespace {

class LayoutDetectorTest : public ::testing::Test {
 protected:
  LayoutDetectorTest() { map_.ApplyKeyboardType(1); }

  // The word as it stands after the user ends it: switched or left alone.
  std::u16string Typed(std::u16string_view word, Language typed) const {
    return detector_.ShouldSwitch(word, typed) ? detector_.ConvertWord(word, typed)
                                               : std::u16string(word);
  }

  LayoutMap map_;
  LayoutDetector detector_{map_};
};

TEST_F(LayoutDetectorTest, EmbeddedModelParses) {
  EXPECT_TRUE(DetectModel::Parse(DetectModelImage()).has_value());
  EXPECT_LT(DetectModel::Embedded().thresholds[3], 1000.0f);
}

TEST_F(LayoutDetectorTest, PersianTypedOnTheEnglishLayoutComesBack) {
  EXPECT_EQ(Typed(u"sghl", Language::English), u"سلام");
  EXPECT_EQ(Typed(u"hsj", Language::English), u"است");
  EXPECT_EQ(Typed(u"o,fd", Language::English), u"خوبی");
  // Keys whose English reading is punctuation: inside the word, at its end, or all of it.
  EXPECT_EQ(Typed(u"a,n", Language::English), u"شود");
  EXPECT_EQ(Typed(u"id]", Language::English), u"هیچ");
  EXPECT_EQ(Typed(u";,];", Language::English), u"کوچک");
  // Shift keys: آ is Shift+H.
  EXPECT_EQ(Typed(u"Hfd", Language::English), u"آبی");
}

TEST_F(LayoutDetectorTest, EnglishTypedOnThePersianLayoutComesBack) {
  EXPECT_EQ(Typed(u"اثممخ", Language::Farsi), u"hello");
  EXPECT_EQ(Typed(u"صخقمی", Language::Farsi), u"world");
  // The apostrophe key types گ; the capital's key a diacritic.
  EXPECT_EQ(Typed(u"یخدگف", Language::Farsi), u"don't");
  EXPECT_EQ(Typed(u"ِخدگف", Language::Farsi), u"Don't");
  EXPECT_EQ(Typed(u"َیی", Language::Farsi), u"Add");
}

TEST_F(LayoutDetectorTest, WordsThatSpellAWordInBothLayoutsStay) {
  // Each is a frequent word in the layout it was typed on and spells one in the other.
  for (const auto* w : {u"fund", u"van", u"lock", u"and", u"the", u"an"}) {
    EXPECT_FALSE(detector_.ShouldSwitch(w, Language::English))
        << Utf16ToUtf8(Typed(w, Language::English));
  }
  for (const auto* w : {u"بعدی", u"رشد", u"مخزن", u"شد", u"است"}) {
    EXPECT_FALSE(detector_.ShouldSwitch(w, Language::Farsi));
  }
}

TEST_F(LayoutDetectorTest, TheFieldsPreviousWordDecidesBetweenTwoLikelyWords) {
  // "and" typed on the Persian layout shows شدی, a Persian word too: far rarer than "and", so
  // alone it comes back, after a Persian word typed as such it stays, and after words switched
  // into English it comes back all the more.
  const WordContext persian{Language::Farsi, false};
  EXPECT_TRUE(detector_.ShouldSwitch(u"شدی", Language::Farsi));
  EXPECT_FALSE(detector_.ShouldSwitch(u"شدی", Language::Farsi, persian));
  // بعدی typed on the English layout shows "fund": it stays alone and after English, and turns
  // Persian after a word switched into Persian.
  const WordContext switched = detector_.ContextAfter({}, u"sghl", Language::English, true);
  EXPECT_EQ(switched.previous, Language::Farsi);
  EXPECT_FALSE(detector_.ShouldSwitch(u"fund", Language::English));
  EXPECT_TRUE(detector_.ShouldSwitch(u"fund", Language::English, switched));
  // A word without letters leaves the context as it was.
  EXPECT_EQ(detector_.ContextAfter(switched, u"123", Language::English, false).previous,
            Language::Farsi);
}

TEST_F(LayoutDetectorTest, CapitalsTypedOnThePersianLayoutComeBackAsAKnownWord) {
  // Shift on the Persian layout types diacritics and punctuation; ق (R) and ي (X) are typed with
  // and without Shift, and read as capitals among capitals.
  for (const auto* w : {u"HTTP", u"URL", u"PDF", u"USB", u"RGB", u"POSIX", u"OK", u"AND"}) {
    const std::u16string shown = detector_.ConvertWord(w, Language::English);
    EXPECT_EQ(Typed(shown, Language::Farsi), w);
  }
  EXPECT_EQ(detector_.ConvertWord(u"قثی", Language::Farsi), u"red");
}

TEST_F(LayoutDetectorTest, ShortWordsSwitchOnlyWhenSure) {
  // One letter never carries enough evidence.
  for (const auto* w : {u"a", u"I", u"d", u"n"}) {
    EXPECT_FALSE(detector_.ShouldSwitch(w, Language::English))
        << Utf16ToUtf8(Typed(w, Language::English));
  }
  for (const auto* w : {u"و", u"ش", u"ب"}) EXPECT_FALSE(detector_.ShouldSwitch(w, Language::Farsi));
  // Two letters: English words stay, key pairs that are no English word but a common Persian one
  // switch.
  for (const auto* w : {u"is", u"to", u"of", u"in", u"on", u"we", u"go", u"up"}) {
    EXPECT_FALSE(detector_.ShouldSwitch(w, Language::English))
        << Utf16ToUtf8(Typed(w, Language::English));
  }
  EXPECT_EQ(Typed(u"hc", Language::English), u"از");
  EXPECT_EQ(Typed(u"vh", Language::English), u"را");
  for (const auto* w : {u"از", u"به", u"در", u"که", u"تو", u"من"}) {
    EXPECT_FALSE(detector_.ShouldSwitch(w, Language::Farsi));
  }
}

TEST_F(LayoutDetectorTest, NumbersForeignAndMixedWordsNeverSwitch) {
  for (const auto* w : {u"123", u"sghl1", u"x86", u"helloسلام", u"sghl\u200c", u"naïve", u"",
                        u"foo_bar", u"a/b", u"sghl.hsj", u"...", u"(", u"sg hl"}) {
    EXPECT_FALSE(detector_.ShouldSwitch(w, Language::English))
        << Utf16ToUtf8(Typed(w, Language::English));
  }
  for (const auto* w : {u"۱۲۳", u"سلامhello", u"می\u200cروم", u"٫"}) {
    EXPECT_FALSE(detector_.ShouldSwitch(w, Language::Farsi));
  }
  // A Persian word on screen cannot have been typed on the English layout, nor the reverse.
  EXPECT_FALSE(detector_.Judge(u"سلام", Language::English).has_value());
  EXPECT_FALSE(detector_.Judge(u"hello", Language::Farsi).has_value());
  const std::u16string long_word(200, u'x');
  EXPECT_FALSE(detector_.Judge(long_word, Language::English).has_value());
}

TEST_F(LayoutDetectorTest, PunctuationAtTheEndsIsLeftOutOfTheJudgement) {
  // The retyped word reads each key in the other layout, brackets included (Shift+9 types a
  // closing parenthesis on the Persian layout, which shows as an opening one).
  EXPECT_EQ(Typed(u"(sghl)", Language::English), u")سلام(");
  EXPECT_EQ(Typed(u"sghl?", Language::English), u"سلام؟");
  EXPECT_EQ(Typed(u"\"sghl!\"", Language::English), u"\"سلام!\"");
  EXPECT_EQ(Typed(u")اثممخ(", Language::Farsi), u"(hello)");
  EXPECT_EQ(detector_.Judge(u"((sghl?", Language::English)->margin,
            detector_.Judge(u"sghl", Language::English)->margin);
  // A comma after an English word is usual; the Persian reading's final و is no help.
  EXPECT_FALSE(detector_.ShouldSwitch(u"hello,", Language::English));
  EXPECT_FALSE(detector_.ShouldSwitch(u"[note]", Language::English));
  EXPECT_FALSE(detector_.ShouldSwitch(u"«سلام»", Language::Farsi));
  EXPECT_FALSE(detector_.ShouldSwitch(u"سلام،", Language::Farsi));
}

TEST_F(LayoutDetectorTest, KeyboardTypeDecidesTheBackslashKey) {
  // پدر: keyboard types 1 and 2 put پ on the backslash key as well as the backquote.
  EXPECT_EQ(Typed(u"\\nv", Language::English), u"پدر");
  EXPECT_EQ(Typed(u"`nv", Language::English), u"پدر");
  EXPECT_EQ(Typed(u"پدر", Language::Farsi), u"پدر");
  map_.ApplyKeyboardType(3);
  EXPECT_EQ(Typed(u"`nv", Language::English), u"پدر");
  EXPECT_EQ(detector_.ConvertWord(u"\\nv", Language::English), u"ژدر");
  EXPECT_EQ(Typed(u"\\hgi", Language::English), u"ژاله");
}

TEST(DetectModelTest, MalformedModelsAreRefused) {
  const auto image = DetectModelImage();
  std::vector<uint8_t> bytes(image.begin(), image.end());
  for (const std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{8}, std::size_t{40},
                                std::size_t{200}, bytes.size() / 2, bytes.size() - 1}) {
    EXPECT_FALSE(DetectModel::Parse(std::span(bytes.data(), cut)).has_value()) << cut;
  }
  std::vector<uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(DetectModel::Parse(longer).has_value());
  std::vector<uint8_t> version = bytes;
  version[4] = 99;
  EXPECT_FALSE(DetectModel::Parse(version).has_value());
  // A context naming a row past the costs, a bucket ending past the words or before the one
  // before it.
  const auto model = DetectModel::Parse(image);
  ASSERT_TRUE(model.has_value());
  for (const auto* lm : {&model->english, &model->farsi}) {
    auto at = [&](std::span<const uint8_t> part) {
      return static_cast<std::size_t>(part.data() - image.data());
    };
    for (const auto& [offset, value] : {std::pair{at(lm->rows) + 1, uint8_t{0xFF}},
                                        {at(lm->bucket_ends) + 3, uint8_t{1}},
                                        {at(lm->bucket_ends) + 4 * 255, uint8_t{0}}}) {
      std::vector<uint8_t> damaged = bytes;
      damaged[offset] = value;
      EXPECT_FALSE(DetectModel::Parse(damaged).has_value()) << offset;
    }
  }
}

TEST(DetectModelTest, WordTablesAnswerAsAPlainMapOfTheirEntries) {
  const DetectModel& model = DetectModel::Embedded();
  for (const auto* lm : {&model.english, &model.farsi}) {
    std::map<uint32_t, int> classes;  // hash without its low 4 bits -> class
    uint32_t begin = 0;
    for (uint32_t bucket = 0; bucket < 256; ++bucket) {
      uint32_t end = 0;
      std::memcpy(&end, lm->bucket_ends.data() + 4 * bucket, 4);
      for (uint32_t i = begin; i < end; ++i) {
        const uint8_t* e = lm->words.data() + 3 * i;
        const uint32_t entry = bucket << 24 | e[2] << 16 | e[1] << 8 | e[0];
        classes[entry & ~15u] = static_cast<int>(entry & 15u);
      }
      begin = end;
    }
    ASSERT_GT(classes.size(), 10000u);
    auto expected = [&](uint32_t hash) {
      const auto it = classes.find(hash & ~15u);
      return it == classes.end() ? 0 : it->second;
    };
    // Each entry, with any class bits in the hash, and its neighbours in the bucket and in the
    // buckets beside it.
    for (const auto& [key, word_class] : classes) {
      ASSERT_EQ(lm->WordClass(key | 15u), word_class) << std::hex << key;
      for (const uint32_t near : {key + 16, key - 16, key ^ 0x01000000u, key + 0x00FFFFF0u}) {
        ASSERT_EQ(lm->WordClass(near), expected(near)) << std::hex << near;
      }
    }
  }
}

TEST(DetectModelTest, ThresholdsComeFromTheModel) {
  const auto image = DetectModelImage();
  std::vector<uint8_t> bytes(image.begin(), image.end());
  const float never = 1e9f;
  for (int i = 0; i < 4; ++i) std::memcpy(bytes.data() + 8 + 4 * i, &never, 4);
  const auto model = DetectModel::Parse(bytes);
  ASSERT_TRUE(model.has_value());
  LayoutMap map;
  const LayoutDetector strict(map, *model);
  EXPECT_FALSE(strict.ShouldSwitch(u"sghl", Language::English));
  EXPECT_GT(strict.Judge(u"sghl", Language::English)->margin, 0.0f);
}

}  // namespace

namespace tool {
namespace {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

ToolRun Detect(const Args& args, const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = DetectCommand(args, in, out, err);
  return {status, out.str(), err.str()};
}

TEST(ToolDetectTest, SwitchesWordsTypedInTheWrongLayoutKeepingLineEndings) {
  const ToolRun r = Detect({}, "sghl o,fd hello\r\n  اثممخ   world 123 \nsghl");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "سلام خوبی hello\r\nhello world 123\nسلام");
  EXPECT_EQ(Detect({}, "\n\n").out, "\n\n");
  EXPECT_EQ(Detect({"--keyboard-type", "3"}, "\\hgi \\nv\n").out, "ژاله ژدر\n");
  // Each line is a field: "fund" after a word switched into Persian is بعدی, alone it stays.
  EXPECT_EQ(Detect({}, "sghl fund\nfund\n").out, "سلام بعدی\nfund\n");
  EXPECT_EQ(Detect({"--no-context"}, "sghl fund\n").out, "سلام fund\n");
}

// A Persian (Standard) typist's keys: peh on M, the non-joiner on Shift+B (a capital B), the
// Arabic yeh on Shift+D, the hamza above as a mark; a compound joined by a non-joiner stays.
TEST(ToolDetectTest, ReadsTheKeysOfAPersianStandardTypist) {
  const ToolRun r = Detect({"--persian-layout", "00050429"},
                           "mnv \u200Cثبخقث \u064A\u064A\u064D bodviN می\u200Cروم\n");
  EXPECT_EQ(r.out, "پدر Before DDE ذخیره\u0654 می\u200Cروم\n");
}

TEST(ToolDetectTest, MarginsListOneLineAWord) {
  const ToolRun r = Detect({"--margins"}, "sghl 123\nhello\n");
  EXPECT_EQ(r.status, 0);
  std::istringstream lines(r.out);
  std::string a, b, c, d;
  ASSERT_TRUE(std::getline(lines, a) && std::getline(lines, b) && std::getline(lines, c));
  EXPECT_EQ(a.substr(0, 2), "4\t");
  EXPECT_GT(std::stod(a.substr(2)), 0.0);
  EXPECT_EQ(b, "0\t-");
  EXPECT_LT(std::stod(c.substr(2)), 0.0);
  EXPECT_FALSE(std::getline(lines, d));
}

TEST(ToolDetectTest, BadUtf8AndBadOptionsStopWithStatus2) {
  const ToolRun r = Detect({}, "sghl\nab\xff\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "سلام\n");
  EXPECT_EQ(r.err, "ravak-tool: line 2: invalid UTF-8 at byte 3\n");
  EXPECT_EQ(Detect({"--keyboard-type"}, "").status, 2);
  EXPECT_EQ(Detect({"--keyboard-type", "x"}, "").status, 2);
  EXPECT_EQ(Detect({"--model"}, "").status, 2);
  EXPECT_EQ(Detect({"--bogus"}, "").status, 2);
  const ToolRun missing = Detect({"--model", "/nonexistent/model.bin"}, "sghl\n");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "ravak-tool: /nonexistent/model.bin: not a detection model\n");
}

}  // namespace
}  // namespace tool
}  // namespace ravak
