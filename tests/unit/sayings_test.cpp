#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/utf.h"
#include "sayings/rotation.h"
#include "sayings/sayings_block.h"
#include "tools/commands.h"

namespace ravak {
namespace {

// Writes blocks in the carried format, including broken ones.
class BlockBuilder {
 public:
  BlockBuilder& Raw(std::string_view bytes) {
    data.insert(data.end(), bytes.begin(), bytes.end());
    return *this;
  }
  BlockBuilder& U8(uint8_t v) {
    data.push_back(v);
    return *this;
  }
  BlockBuilder& I16(int16_t v) { return Le(static_cast<uint16_t>(v), 2); }
  BlockBuilder& I32(int32_t v) { return Le(static_cast<uint32_t>(v), 4); }
  BlockBuilder& Double(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return Le(bits, 8);
  }
  BlockBuilder& Header(int32_t descriptors, double version = 1.91) {
    return Raw("Ver").Double(version).I32(descriptors);
  }
  BlockBuilder& Descriptor(std::string_view name, int16_t type = 20) {
    return I32(600).I16(type).I16(static_cast<int16_t>(name.size() + 1)).Raw(name).U8(0);
  }
  BlockBuilder& Text(std::u16string_view text) {
    U8(1).I32(static_cast<int32_t>(text.size()));
    for (const char16_t c : text) Le(c, 2);
    return *this;
  }
  // The usual one-field table with these sayings.
  static BlockBuilder Table(const std::vector<std::u16string>& sayings) {
    BlockBuilder b;
    b.Header(1).Descriptor("Name");
    for (const auto& s : sayings) b.Text(s);
    return b;
  }
  SayingsBlockContents Read() const { return ReadSayingsBlock(data); }

  std::vector<uint8_t> data;

 private:
  BlockBuilder& Le(uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) data.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
};

using Sayings = std::vector<std::u16string>;

TEST(SayingsBlockTest, ReadsBackEveryTextUnchanged) {
  const Sayings sayings = {u"از تو حرکت، از خدا برکت.", u"line one\r\nline two\r\nline three", u"",
                           std::u16string(u"a\0b", 3), u"\U0001F600 \xD800 lone"};
  const SayingsBlockContents read = BlockBuilder::Table(sayings).Read();
  EXPECT_EQ(read.error, "");
  EXPECT_EQ(read.sayings, sayings);
}

TEST(SayingsBlockTest, AbsentValuesAreEmptyAndLongTextsKeep600Characters) {
  std::u16string long_text(700, u'x');
  long_text[599] = u'y';
  long_text[600] = u'z';
  BlockBuilder b = BlockBuilder::Table({long_text});
  b.U8(0).U8(7).Text(u"after");
  EXPECT_EQ(b.Read().sayings, (Sayings{long_text.substr(0, 600), u"", u"", u"after"}));
}

TEST(SayingsBlockTest, OnlyTheNameFieldIsKept) {
  BlockBuilder b;
  b.Header(3).Descriptor("Id").Descriptor("name").Descriptor("Notes");
  b.Text(u"1").Text(u"first").Text(u"skipped");
  b.U8(0).Text(u"second").U8(0);
  EXPECT_EQ(b.Read().sayings, (Sayings{u"first", u"second"}));

  BlockBuilder other;
  other.Header(1).Descriptor("Other").Text(u"ignored").Text(u"too");
  EXPECT_EQ(other.Read().sayings, (Sayings{u"", u""}));
}

TEST(SayingsBlockTest, EmptyTablesAndTablesWithoutFields) {
  const SayingsBlockContents empty = BlockBuilder::Table({}).Read();
  EXPECT_EQ(empty.error, "");
  EXPECT_TRUE(empty.sayings.empty());
  // Records of no fields take no bytes: whatever follows cannot be read as records.
  BlockBuilder none;
  none.Header(0).Raw("trailing bytes");
  const SayingsBlockContents read = none.Read();
  EXPECT_EQ(read.error, "");
  EXPECT_TRUE(read.sayings.empty());
}

TEST(SayingsBlockTest, TruncatedBlocksGiveTheCompleteRecords) {
  const Sayings sayings = {u"first saying", u"second\r\nsaying", u"third"};
  const BlockBuilder full = BlockBuilder::Table(sayings);
  const std::size_t header = BlockBuilder::Table({}).data.size();
  for (std::size_t size = 0; size <= full.data.size(); ++size) {
    const SayingsBlockContents read =
        ReadSayingsBlock(std::span<const uint8_t>(full.data.data(), size));
    if (size < header) {
      EXPECT_EQ(read.error, kDataIncorrect) << size;
      EXPECT_TRUE(read.sayings.empty());
      continue;
    }
    EXPECT_EQ(read.error, "") << size;
    const Sayings& got = read.sayings;
    ASSERT_LE(got.size(), sayings.size());
    EXPECT_EQ(got, Sayings(sayings.begin(), sayings.begin() + got.size())) << size;
    // A record counts only once its last byte is there.
    const std::size_t whole = BlockBuilder::Table(got).data.size();
    EXPECT_LE(whole, size);
    if (got.size() < sayings.size()) {
      EXPECT_GT(BlockBuilder::Table(Sayings(sayings.begin(), sayings.begin() + got.size() + 1))
                    .data.size(),
                size);
    }
  }
}

TEST(SayingsBlockTest, ImpossibleLengthsInRecordsEndTheList) {
  BlockBuilder negative = BlockBuilder::Table({u"kept"});
  negative.U8(1).I32(-1).Text(u"never read");
  EXPECT_EQ(negative.Read().sayings, Sayings{u"kept"});

  BlockBuilder huge = BlockBuilder::Table({u"kept"});
  huge.U8(1).I32(std::numeric_limits<int32_t>::max()).Raw("abcd");
  EXPECT_EQ(huge.Read().sayings, Sayings{u"kept"});

  BlockBuilder odd = BlockBuilder::Table({u"kept"});
  odd.U8(1).I32(2).Raw("abc");
  EXPECT_EQ(odd.Read().sayings, Sayings{u"kept"});
}

TEST(SayingsBlockTest, HeadersOfAnotherFormatAreIncorrectData) {
  std::vector<BlockBuilder> bad(9);
  bad[0].Raw("Vex").Double(1.91).I32(1).Descriptor("Name").Text(u"x");
  bad[1].Header(1, 1.0).Descriptor("Name").Text(u"x");
  bad[2].Header(1, std::nan("")).Descriptor("Name").Text(u"x");
  bad[3].Header(-1).Text(u"x");
  bad[4].Header(1).Descriptor("Name", 1).Text(u"x");
  bad[5].Header(1).I32(600).I16(20).I16(256).Raw(std::string(256, 'N'));
  bad[6].Header(1).I32(600).I16(20).I16(-5).Raw("Name").U8(0);
  bad[7].Header(2).Descriptor("Name");  // the second descriptor is missing
  bad[8].Header(std::numeric_limits<int32_t>::max()).Descriptor("Name").Text(u"x");
  for (std::size_t i = 0; i < bad.size(); ++i) {
    const SayingsBlockContents read = bad[i].Read();
    EXPECT_EQ(read.error, kDataIncorrect) << i;
    EXPECT_TRUE(read.sayings.empty()) << i;
  }
  // A name of exactly 255 bytes is allowed, and later versions share the layout.
  BlockBuilder longest;
  longest.Header(1, 2.5).I32(600).I16(20).I16(255).Raw(std::string(254, 'N')).U8(0).Text(u"x");
  EXPECT_EQ(longest.Read().sayings, Sayings{u""});
}

// The sayings file read directly: blank lines separate sayings, '#' lines are comments, lines
// of one saying are joined with CR LF.
Sayings ReadSayingsFile() {
  std::string path = __FILE__;
  path = path.substr(0, path.rfind("tests/unit/")) + "sayings/sayings.txt";
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file) << path;
  Sayings sayings;
  std::u16string current;
  std::string line;
  const auto flush = [&] {
    if (!current.empty()) sayings.push_back(current);
    current.clear();
  };
  while (std::getline(file, line)) {
    if (!line.empty() && line[0] == '#') continue;
    if (line.empty()) {
      flush();
      continue;
    }
    if (!current.empty()) current += u"\r\n";
    current += *Utf8ToUtf16(line);
  }
  flush();
  return sayings;
}

TEST(CarriedSayingsTest, BlockHoldsTheSayingsFileInTheCarriedFormat) {
  const std::span<const uint8_t> block = CarriedSayingsBlock();
  const uint8_t header[] = {'V',  'e', 'r', 0x8F, 0xC2, 0xF5, 0x28, 0x5C, 0x8F, 0xFE,
                            0x3F, 1,   0,   0,    0,    0x58, 0x02, 0,    0,    20,
                            0,    5,   0,   'N',  'a',  'm',  'e',  0};
  ASSERT_GT(block.size(), sizeof header);
  EXPECT_TRUE(std::equal(std::begin(header), std::end(header), block.begin()));

  const SayingsBlockContents read = ReadSayingsBlock(block);
  EXPECT_EQ(read.error, "");
  EXPECT_EQ(read.sayings, ReadSayingsFile());
  ASSERT_EQ(read.sayings.size(), 139u);
  EXPECT_EQ(OpenSayingsTable(), read.sayings);
  int multi_line = 0;
  for (const std::u16string& s : read.sayings) {
    EXPECT_GE(s.size(), 16u) << Utf16ToUtf8(s);
    EXPECT_LE(s.size(), 210u) << Utf16ToUtf8(s);
    // Line breaks are CR LF pairs only, with no blank or padded lines.
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == u'\n') {
        EXPECT_TRUE(i > 0 && s[i - 1] == u'\r');
      }
      if (s[i] == u'\r') {
        EXPECT_TRUE(i + 2 < s.size() && s[i + 1] == u'\n' && s[i + 2] != u' ');
      }
    }
    if (s.find(u"\r\n") != std::u16string::npos) ++multi_line;
  }
  EXPECT_GE(multi_line, 20);
}

// The walk exactly as it is described: one step at a time.
WalkResult WalkStepByStep(int32_t position, int32_t count) {
  int32_t cursor = 0;
  bool end = count == 0;
  const int32_t steps = position;
  for (int32_t i = 0; i < steps; ++i) {
    if (end) {
      position = 0;
      cursor = 0;
      end = count == 0;
    } else if (cursor < count - 1) {
      ++cursor;
    } else {
      end = true;
    }
  }
  return {cursor, position};
}

TEST(WalkSayingsTest, MatchesTheStepByStepWalk) {
  for (int32_t count = 0; count <= 6; ++count) {
    for (int32_t position = -3; position <= 30; ++position) {
      const WalkResult fast = WalkSayings(position, count);
      const WalkResult slow = WalkStepByStep(position, count);
      EXPECT_EQ(fast.index, slow.index) << position << " of " << count;
      EXPECT_EQ(fast.position, slow.position) << position << " of " << count;
    }
  }
  EXPECT_EQ(WalkSayings(5, 3).index, 1);
  EXPECT_EQ(WalkSayings(5, 3).position, 0);
  // Large stored positions take no time and wrap the same way.
  const int32_t max = std::numeric_limits<int32_t>::max();
  EXPECT_EQ(WalkSayings(max, 139).index, max % 140 == 139 ? 138 : max % 140);
  EXPECT_EQ(WalkSayings(max, 139).position, 0);
  EXPECT_EQ(WalkSayings(std::numeric_limits<int32_t>::min(), 139).index, 0);
}

class SayingCommandTest : public ::testing::Test {
 protected:
  struct Shown {
    std::u16string text;
    int32_t position;
  };
  Shown Run(SayingMove move) {
    const TipContent tip = RunSayingCommand(move, position, sayings, calendar);
    EXPECT_EQ(tip.date, u"05/09/18");
    EXPECT_EQ(tip.weekday, u"چهارشنبه");
    return {tip.text, position};
  }
  std::u16string S(int i) const { return sayings[i]; }

  SilentCalendarErrors errors;
  SunCalendar calendar{errors, {2026, 12, 9}};
  Sayings sayings = OpenSayingsTable();
  int32_t position = 0;
};

TEST_F(SayingCommandTest, NextCurrentAndBack) {
  using M = SayingMove;
  EXPECT_EQ(Run(M::Next).text, S(1));
  EXPECT_EQ(position, 1);
  EXPECT_EQ(Run(M::Current).text, S(1));
  EXPECT_EQ(position, 1);
  EXPECT_EQ(Run(M::Back).text, S(0));
  EXPECT_EQ(position, 0);
  // Below zero the first saying stays, and coming back takes as many steps.
  EXPECT_EQ(Run(M::Back).text, S(0));
  EXPECT_EQ(Run(M::Back).text, S(0));
  EXPECT_EQ(Run(M::Back).text, S(0));
  EXPECT_EQ(position, -3);
  for (int32_t expected : {-2, -1, 0}) {
    EXPECT_EQ(Run(M::Next).text, S(0));
    EXPECT_EQ(position, expected);
  }
  EXPECT_EQ(Run(M::Next).text, S(1));
}

TEST_F(SayingCommandTest, TheLastSayingShowsTwiceThenTheListStartsAgain) {
  position = 137;
  EXPECT_EQ(Run(SayingMove::Next).text, S(138));
  EXPECT_EQ(position, 138);
  EXPECT_EQ(Run(SayingMove::Next).text, S(138));
  EXPECT_EQ(position, 139);
  EXPECT_EQ(Run(SayingMove::Next).text, S(0));
  EXPECT_EQ(position, 0);
}

TEST_F(SayingCommandTest, PositionsAtTheEndsOfTheRangeDoNotOverflow) {
  position = std::numeric_limits<int32_t>::max();
  Run(SayingMove::Next);
  EXPECT_EQ(position, 0);
  position = std::numeric_limits<int32_t>::min();
  EXPECT_EQ(Run(SayingMove::Back).text, S(0));
  EXPECT_EQ(position, std::numeric_limits<int32_t>::min());
}

TEST_F(SayingCommandTest, SingleAndEmptyLists) {
  sayings = {u"the only saying\r\nin two lines"};
  EXPECT_EQ(Run(SayingMove::Current).text, sayings[0]);
  EXPECT_EQ(Run(SayingMove::Next).text, sayings[0]);
  EXPECT_EQ(position, 1);
  EXPECT_EQ(Run(SayingMove::Next).text, sayings[0]);
  EXPECT_EQ(position, 0);

  sayings.clear();
  position = 5;
  EXPECT_EQ(Run(SayingMove::Current).text, u"");
  EXPECT_EQ(position, 0);
  EXPECT_EQ(Run(SayingMove::Back).text, u"");
  EXPECT_EQ(position, -1);
}

TEST(SayingCommandCalendarTest, TipWithoutADateStillHasAWeekday) {
  SilentCalendarErrors errors;
  const SunCalendar calendar(errors, {1, 1, 1});
  int32_t position = 0;
  const TipContent tip = RunSayingCommand(SayingMove::Current, position, {u"text"}, calendar);
  EXPECT_EQ(tip.text, u"text");
  EXPECT_EQ(tip.date, u"");
  EXPECT_EQ(tip.weekday, kWeekDayNames[0]);
}

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

ToolRun Saying(const tool::Args& args) {
  std::istringstream in;
  std::ostringstream out, err;
  const int status = tool::SayingCommand(args, in, out, err);
  return {status, out.str(), err.str()};
}

TEST(ToolSayingTest, PrintsTheSayingAPositionShows) {
  const Sayings sayings = OpenSayingsTable();
  EXPECT_EQ(Saying({"0"}).out, Utf16ToUtf8(sayings[0]) + "\n");
  EXPECT_EQ(Saying({"139"}).out, Utf16ToUtf8(sayings[138]) + "\n");
  EXPECT_EQ(Saying({"141"}).out, Utf16ToUtf8(sayings[1]) + "\n");
  EXPECT_EQ(Saying({"-7"}).out, Utf16ToUtf8(sayings[0]) + "\n");
  EXPECT_EQ(Saying({"2147483647"}).status, 0);
  for (const tool::Args& args :
       std::vector<tool::Args>{{}, {"x"}, {""}, {"1.5"}, {"2147483648"}, {" 1"}, {"1", "2"}}) {
    const ToolRun r = Saying(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
  }
}

}  // namespace
}  // namespace ravak
