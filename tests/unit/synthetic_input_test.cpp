#include "typing/synthetic_input.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "tests/fakes/fake_system.h"
#include "typing/clipboard_text.h"

namespace ravak {
namespace {

using testing::FakeClipboard;
using testing::FakeKeyboard;
using testing::FakeKeyHold;
using testing::FakePump;
using testing::Log;
using testing::Normalize;

class PrimitivesTest : public ::testing::Test {
 protected:
  Log log;
  FakeKeyboard keyboard{log};
  FakePump pump{log};
  FakeClipboard clipboard{log};
  bool slow = false;
  FakeKeyHold hold{log};
  SyntheticInput input{keyboard, pump, hold, [this] { return slow; }};
  ClipboardText text{clipboard, pump};
};

TEST_F(PrimitivesTest, PumpAndSleepServicesQueueThreeTimes) {
  input.PumpAndSleep(20);
  EXPECT_EQ(log, (Log{"process", "process", "sleep 20", "process", "sleep 20"}));
}

TEST_F(PrimitivesTest, SendKeyPressesReleasesThenPausesBySystemSpeed) {
  input.SendKey(0x41, true, true);
  input.SendKey(0x42, false, false);
  slow = true;
  input.SendKey(0x43, true, false);
  EXPECT_EQ(Normalize(log),
            (Log{"press 0x41", "release 0x41", "process", "process", "release 0x43", "pause 10"}));
}

TEST_F(PrimitivesTest, SendKeyTimesTapsCountTimesAndZeroDoesNothing) {
  input.SendKeyTimes(0x08, 0);
  EXPECT_TRUE(log.empty());
  input.SendKeyTimes(0x08, 2);
  EXPECT_EQ(Normalize(log), (Log{"press 0x08", "release 0x08", "process", "press 0x08",
                                 "release 0x08", "process"}));
}

// The letter's own key, whatever layout is active (the Persian layout has no X, C or V).
TEST_F(PrimitivesTest, CtrlChordUsesTheLettersKeyAndKeepsItsPausesOnSlowSystem) {
  slow = true;
  input.SendCtrlChord(u'X');
  EXPECT_EQ(Normalize(log), (Log{"press 0x11", "pause 20", "press 0x58", "pause 20", "release 0x58",
                                 "pause 20", "release 0x11"}));
}

// The right Shift is let go with the extended flag: a plain right-Shift release lets go of the
// left one on some systems, and the right one would stay down.
TEST_F(PrimitivesTest, RelaseShiftsReleasesRightThenLeftAndNeverPresses) {
  input.ReleaseShifts();
  EXPECT_EQ(log, (Log{"release 0xA1 ext", "release 0xA0"}));
}

TEST_F(PrimitivesTest, ReadStopsAtFirstNulAndEmptyWhenNoText) {
  EXPECT_EQ(text.Read(), u"");
  clipboard.SetByOtherApp(std::u16string(u"ab\0cd", 5));
  EXPECT_EQ(text.Read(), u"ab");
  EXPECT_EQ(Normalize(log, true), (Log{"open", "close", "open", "close"}));
}

TEST_F(PrimitivesTest, BusyClipboardIsWaitedForWhilePumping) {
  clipboard.busy_opens = 3;
  clipboard.SetByOtherApp(u"held");
  EXPECT_EQ(text.Read(), u"held");
  EXPECT_EQ(pump.slept_ms, 3 * ClipboardText::kOpenRetryMs);
}

TEST_F(PrimitivesTest, ClipboardThatStaysBusyRaisesAndClosesNothing) {
  clipboard.busy_opens = 1000;
  try {
    text.Offer(u"x", ClipboardUse::ForUser);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Cannot open clipboard: Access is denied");
  }
  EXPECT_GE(pump.slept_ms, 500u);
  EXPECT_EQ(std::count(log.begin(), log.end(), "close"), 0);
}

TEST_F(PrimitivesTest, RefusedSetRaisesOutOfResourcesAndStillCloses) {
  clipboard.refuse_set = true;
  EXPECT_THROW(text.Offer(u"x", ClipboardUse::ForUser), Error);
  EXPECT_EQ(log.back(), "close");
}

TEST_F(PrimitivesTest, PasteMarksOnlyThePastedTextAndRestoresUserText) {
  clipboard.SetByOtherApp(u"mine");
  keyboard.on_key = [this](uint8_t vk, bool down) {
    if (vk == 0x56 && down) clipboard.PasteByOtherApp();
  };
  Paste(input, text, u"typed");
  EXPECT_EQ(Normalize(log),
            (Log{"offer \"typed\"", "exclude from history", "press 0x11", "process", "press 0x56",
                 "process", "release 0x56", "process", "release 0x11", "write \"mine\""}));
  EXPECT_EQ(clipboard.text, u"mine");
  EXPECT_FALSE(clipboard.excluded);
}

TEST_F(PrimitivesTest, PasteOverPictureBringsThePictureBackAndNoText) {
  clipboard.SetPictureOnly();
  keyboard.on_key = [this](uint8_t vk, bool down) {
    if (vk == 0x56 && down) clipboard.PasteByOtherApp();
  };
  Paste(input, text, u"");
  ASSERT_TRUE(clipboard.has_picture);
  EXPECT_EQ(*clipboard.Data(clipformat::kDib), FakeClipboard::Picture());
  EXPECT_FALSE(clipboard.has_text);
  EXPECT_NE(std::find(log.begin(), log.end(), "press 0x56"), log.end());
}

}  // namespace
}  // namespace ravak
