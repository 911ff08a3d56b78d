#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/error.h"
#include "sayings/sayings_block.h"
#include "sayings/sayings_commands.h"

namespace ravak {
namespace {

struct Shown {
  TipContent tip;
  int16_t interval;
};

class RecordingPresenter final : public TipPresenter {
 public:
  void ShowTip(const TipContent& tip, int16_t interval_ms) override {
    shown.push_back({tip, interval_ms});
  }
  std::vector<Shown> shown;
};

void Le(std::vector<uint8_t>& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A one-field table in the carried format.
std::vector<uint8_t> Block(const std::vector<std::u16string>& sayings) {
  std::vector<uint8_t> b = {'V', 'e', 'r'};
  const double version = 1.91;
  uint64_t bits;
  std::memcpy(&bits, &version, 8);
  Le(b, bits, 8);
  Le(b, 1, 4);    // one field
  Le(b, 600, 4);  // of 600 characters
  Le(b, 20, 2);   // UTF-16 string
  Le(b, 5, 2);
  for (const char c : std::string_view("Name", 5)) b.push_back(static_cast<uint8_t>(c));
  for (const auto& s : sayings) {
    b.push_back(1);
    Le(b, s.size(), 4);
    for (const char16_t c : s) Le(b, c, 2);
  }
  return b;
}

class SayingsCommandsTest : public ::testing::Test {
 protected:
  SayingsCommands Commands(std::span<const uint8_t> block) {
    return SayingsCommands(
        block, position, [this] { return today; }, presenter);
  }

  int32_t position = 0;
  GregorianDate today{2026, 12, 9};  // 18 Azar 1405, a Wednesday
  RecordingPresenter presenter;
};

TEST_F(SayingsCommandsTest, CommandsMoveThePositionAndShowTheSayingWithTodayFor15Seconds) {
  const std::vector<std::u16string> carried = OpenSayingsTable();
  SayingsCommands commands = Commands(CarriedSayingsBlock());
  commands.Next();
  EXPECT_EQ(position, 1);
  commands.ShowCurrent();
  EXPECT_EQ(position, 1);
  commands.Previous();
  EXPECT_EQ(position, 0);
  ASSERT_EQ(presenter.shown.size(), 3u);
  const std::u16string expected[] = {carried[1], carried[1], carried[0]};
  for (std::size_t i = 0; i < 3; ++i) {
    const Shown& s = presenter.shown[i];
    EXPECT_EQ(s.tip.text, expected[i]) << i;
    EXPECT_EQ(s.tip.weekday, u"چهارشنبه");
    EXPECT_EQ(s.tip.date, u"05/09/18");
    EXPECT_EQ(s.interval, 15000);
  }

  // The stored position goes on from wherever the settings left it, and wraps after the end.
  position = 138;
  commands.Next();
  commands.Next();
  EXPECT_EQ(position, 0);
  EXPECT_EQ(presenter.shown.back().tip.text, carried[0]);
}

TEST_F(SayingsCommandsTest, TheDateFollowsTheClockPastMidnight) {
  SayingsCommands commands = Commands(CarriedSayingsBlock());
  commands.ShowCurrent();
  today = {2026, 12, 10};
  commands.ShowCurrent();
  ASSERT_EQ(presenter.shown.size(), 2u);
  EXPECT_EQ(presenter.shown[1].tip.date, u"05/09/19");
  EXPECT_EQ(presenter.shown[1].tip.weekday, u"پنج شنبه");
}

TEST_F(SayingsCommandsTest, LineBreaksReachTheTipUnchanged) {
  const std::vector<uint8_t> block = Block({u"first", u"two\r\nlines", u"third"});
  Commands(block).Next();
  EXPECT_EQ(presenter.shown.back().tip.text, u"two\r\nlines");
}

TEST_F(SayingsCommandsTest, ADamagedTableIsAnErrorThatMovesNothingAndShowsNothing) {
  std::vector<uint8_t> block = Block({u"a", u"b"});
  block[0] = 'X';  // not the signature
  SayingsCommands commands = Commands(block);
  position = 4;
  for (auto command :
       {&SayingsCommands::Next, &SayingsCommands::Previous, &SayingsCommands::ShowCurrent}) {
    try {
      (commands.*command)();
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), "The data is incorrect");
    }
  }
  EXPECT_EQ(position, 4);
  EXPECT_TRUE(presenter.shown.empty());
}

}  // namespace
}  // namespace ravak
