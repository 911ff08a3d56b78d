#include "typing/held_keys.h"

#include <gtest/gtest.h>

#include "platform/keyboard.h"

namespace ravak {
namespace {

KeyStroke Down(uint8_t key) {
  return KeyStroke{key, 0, false, false};
}
KeyStroke Up(uint8_t key) {
  return KeyStroke{key, 0, true, false};
}
KeyStroke DownExt(uint8_t key) {
  return KeyStroke{key, 0, false, true};
}
KeyStroke UpExt(uint8_t key) {
  return KeyStroke{key, 0, true, true};
}
ModifierSet Bit(uint8_t key) {
  return ModifierBit(Down(key));
}

constexpr uint8_t kA = 0x41, kH = 0x48, kI = 0x49, kV = 0x56;
using Keys = std::vector<KeyStroke>;

TEST(HeldKeysTest, HoldsInOrderOnlyWhileASequenceRunsAndNests) {
  HeldKeys keys;
  EXPECT_FALSE(keys.Offer(Down(kH)));  // no sequence: straight to the application
  keys.Begin(100);
  keys.Begin(110);  // a nested sequence (the paste inside a replacement)
  EXPECT_TRUE(keys.Offer(Down(kH)));
  EXPECT_TRUE(keys.Offer(Up(kH)));
  EXPECT_FALSE(keys.End());
  EXPECT_TRUE(keys.Offer(Down(kI)));
  EXPECT_TRUE(keys.End());
  EXPECT_EQ(keys.Take().keys, (Keys{Down(kH), Up(kH), Down(kI)}));
  // A key that arrives while the held ones are being sent waits behind them.
  EXPECT_TRUE(keys.Offer(Up(kI)));
  EXPECT_FALSE(keys.FinishIfEmpty(150));
  EXPECT_EQ(keys.Take().keys, (Keys{Up(kI)}));
  EXPECT_TRUE(keys.FinishIfEmpty(160));
  EXPECT_FALSE(keys.Holding());
  EXPECT_FALSE(keys.Offer(Down(kA)));
  EXPECT_FALSE(keys.End());  // an unmatched End changes nothing
}

// A sequence that takes too long lets the held keys go at the ceiling; the keys after that go
// straight through while it still runs, and the next sequence holds afresh.
TEST(HeldKeysTest, CeilingLetsGoWhileTheSequenceStillRuns) {
  HeldKeys keys;
  keys.Begin(1000);
  keys.Offer(Down(kH));
  EXPECT_FALSE(keys.Expired(1000 + HeldKeys::kCeilingMs - 1));
  EXPECT_EQ(keys.Deadline(), 1000 + HeldKeys::kCeilingMs);
  EXPECT_TRUE(keys.Expired(1000 + HeldKeys::kCeilingMs));
  EXPECT_EQ(keys.Take().keys, (Keys{Down(kH)}));
  EXPECT_TRUE(keys.FinishIfEmpty(1000 + HeldKeys::kCeilingMs));
  EXPECT_FALSE(keys.Offer(Up(kH)));
  EXPECT_EQ(keys.Deadline(), 0u);
  EXPECT_TRUE(keys.End());
  keys.Begin(5000);
  EXPECT_TRUE(keys.Offer(Down(kI)));
  EXPECT_FALSE(keys.Expired(5001));
}

TEST(HeldKeysTest, TracksTheModifiersTheUserHoldsAndThoseBeforeTheFirstHeldKey) {
  HeldKeys keys;
  keys.Offer(Down(vk::kLMenu));
  keys.Offer(Down(vk::kRControl));
  keys.Begin(0);
  keys.Offer(Up(vk::kLMenu));
  keys.Offer(Down(kH));
  EXPECT_EQ(keys.PhysicalModifiers(), Bit(vk::kRControl));
  EXPECT_EQ(keys.Take().modifiers_before, Bit(vk::kLMenu) | Bit(vk::kRControl));
  // The generic codes count as the side their flag or scan code names.
  EXPECT_EQ(ModifierBit(KeyStroke{vk::kShift, 0x36, false, false}), Bit(vk::kRShift));
  EXPECT_EQ(ModifierBit(KeyStroke{vk::kShift, 0x2A, false, false}), Bit(vk::kLShift));
  EXPECT_EQ(ModifierBit(DownExt(vk::kMenu)), Bit(vk::kRMenu));
  EXPECT_EQ(ModifierBit(Down(vk::kControl)), Bit(vk::kLControl));
  EXPECT_EQ(ModifierBit(Down(kA)), 0);
}

// Alt+A, then the user lets go of Alt and types on: the letters come out plain, and no Alt
// event is sent at all (a lone Alt release would open the application's menu).
TEST(PlanLetGoTest, KeysTypedAfterLettingGoOfTheHotkeyArePlain) {
  HeldBatch batch{{Up(vk::kLMenu), Down(kH), Up(kH), Down(kI), Up(kI)}, Bit(vk::kLMenu)};
  EXPECT_EQ(PlanLetGo(batch, 0, 0, true), (Keys{Down(kH), Up(kH), Down(kI), Up(kI)}));
}

// Shift pressed and let go during the sequence gives a capital, and Shift ends up.
TEST(PlanLetGoTest, ModifiersFollowTheUserKeyByKey) {
  HeldBatch batch{{Down(vk::kLShift), Down(kH), Up(kH), Up(vk::kLShift), Down(kI), Up(kI)}, 0};
  EXPECT_EQ(PlanLetGo(batch, 0, 0, true),
            (Keys{Down(vk::kLShift), Down(kH), Up(kH), Up(vk::kLShift), Down(kI), Up(kI)}));
  // Still held at the end: it stays down.
  HeldBatch still{{Down(vk::kLShift), Down(kH), Up(kH)}, 0};
  EXPECT_EQ(PlanLetGo(still, 0, Bit(vk::kLShift), true),
            (Keys{Down(vk::kLShift), Down(kH), Up(kH)}));
}

// Ctrl+Alt still held and V pressed again (the next copy-stack paste): the sequence let go of
// Ctrl and Alt, so they are pressed again before the V, which then fires the hotkey.
TEST(PlanLetGoTest, HotkeyPressedAgainDuringTheSequenceFiresAgain) {
  const ModifierSet ctrl_alt = Bit(vk::kLControl) | Bit(vk::kLMenu);
  HeldBatch batch{{Down(kV), Up(kV)}, ctrl_alt};
  EXPECT_EQ(PlanLetGo(batch, 0, ctrl_alt, true),
            (Keys{Down(vk::kLControl), Down(vk::kLMenu), Down(kV), Up(kV)}));
}

// With nothing held the sequence's end still settles the modifiers: what Ravak left down goes
// up (the right Shift with the extended flag), and a held Alt comes back followed by the mask.
TEST(PlanLetGoTest, SettlingLeavesNothingOfRavaksDownAndRestoresTheUsers) {
  EXPECT_EQ(PlanLetGo({}, Bit(vk::kRShift) | Bit(vk::kRControl), 0, true),
            (Keys{UpExt(vk::kRShift), UpExt(vk::kRControl)}));
  EXPECT_EQ(PlanLetGo({}, 0, Bit(vk::kLMenu), true),
            (Keys{Down(vk::kLMenu), Down(vk::kMask), Up(vk::kMask)}));
  EXPECT_EQ(PlanLetGo({}, 0, Bit(vk::kRShift), true), (Keys{DownExt(vk::kRShift)}));
  // Without settle (the ceiling reached mid-sequence) Ravak's own keys are left alone.
  EXPECT_EQ(PlanLetGo({}, Bit(vk::kLShift), 0, false), Keys{});
}

}  // namespace
}  // namespace ravak
