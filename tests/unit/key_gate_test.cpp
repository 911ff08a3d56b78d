#include "typing/key_gate.h"

#include <gtest/gtest.h>

#include "hotkeys/global_hotkey.h"
#include "platform/error.h"
#include "platform/keyboard.h"
#include "tests/fakes/fake_hotkeys.h"
#include "tests/fakes/fake_typing.h"
#include "typing/synthetic_input.h"

namespace ravak {
namespace {

using testing::FakeClipboard;
using testing::FakeHotkeys;
using testing::FakeKeyboard;
using testing::FakePump;
using testing::FakeTyping;
using testing::Log;

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

constexpr uint8_t kH = 0x48, kI = 0x49, kV = 0x56;
using Keys = std::vector<KeyStroke>;

// The events that give back held keys, each with the modifiers the user held when it was typed.
Keys Plan(ModifierSet logical, std::vector<std::pair<KeyStroke, ModifierSet>> held,
          ModifierSet physical) {
  ReplayPlanner planner(logical);
  Keys out;
  for (const auto& [key, user] : held) planner.Key(key, user, out);
  planner.Settle(physical, out);
  return out;
}

// Alt+A, then the user lets go of Alt and types on: the letters come out plain, and no Alt
// event is sent at all (a lone Alt release would open the application's menu).
TEST(ReplayPlannerTest, KeysTypedAfterLettingGoOfTheHotkeyArePlain) {
  const ModifierSet alt = Bit(vk::kLMenu);
  EXPECT_EQ(Plan(0, {{Up(vk::kLMenu), alt}, {Down(kH), 0}, {Up(kH), 0}, {Down(kI), 0}}, 0),
            (Keys{Down(kH), Up(kH), Down(kI)}));
  // Ctrl+Alt still held and V pressed again: they go down again before the V.
  const ModifierSet ctrl_alt = Bit(vk::kLControl) | alt;
  EXPECT_EQ(Plan(0, {{Down(kV), ctrl_alt}, {Up(kV), ctrl_alt}}, ctrl_alt),
            (Keys{Down(vk::kLControl), Down(vk::kLMenu), Down(kV), Up(kV)}));
}

// A chord of modifiers alone (the language switch, a tap of the Windows key) is sent as typed;
// Shift pressed and let go gives a capital.
TEST(ReplayPlannerTest, ModifierChordsAndShiftAreSentAsTyped) {
  const ModifierSet alt = Bit(vk::kLMenu), shift = Bit(vk::kLShift);
  EXPECT_EQ(Plan(0,
                 {{Down(vk::kLMenu), 0},
                  {Down(vk::kLShift), alt},
                  {Up(vk::kLShift), alt | shift},
                  {Up(vk::kLMenu), alt}},
                 0),
            (Keys{Down(vk::kLMenu), Down(vk::kLShift), Up(vk::kLShift), Up(vk::kLMenu)}));
  EXPECT_EQ(Plan(0, {{DownExt(vk::kLWin), 0}, {UpExt(vk::kLWin), Bit(vk::kLWin)}}, 0),
            (Keys{DownExt(vk::kLWin), UpExt(vk::kLWin)}));
  EXPECT_EQ(Plan(0, {{Down(vk::kLShift), 0}, {Down(kH), shift}, {Up(vk::kLShift), shift}}, 0),
            (Keys{Down(vk::kLShift), Down(kH), Up(vk::kLShift)}));
}

// At the end what Ravak left down goes up (the right Shift with the extended flag), and an Alt
// the user still holds comes back followed by the mask key.
TEST(ReplayPlannerTest, SettlingLeavesNothingOfRavaksDownAndRestoresTheUsers) {
  EXPECT_EQ(Plan(Bit(vk::kRShift) | Bit(vk::kRControl), {}, 0),
            (Keys{UpExt(vk::kRShift), UpExt(vk::kRControl)}));
  EXPECT_EQ(Plan(0, {}, Bit(vk::kLMenu)), (Keys{Down(vk::kLMenu), Down(vk::kMask), Up(vk::kMask)}));
}

// ---- the gate, with a user typing ----------------------------------------------------------

class KeyGateTest : public ::testing::Test {
 protected:
  Log log;
  FakeKeyboard keyboard{log};
  FakePump pump{log};
  FakeClipboard clipboard{log};
  FakeHotkeys system;
  FakeTyping typing{keyboard, clipboard, system};
  SyntheticInput input{keyboard, pump, typing.gate, [] { return false; }};
};

// Hotkeys pressed while Ravak is busy act in the order typed: the Enter typed after two pastes
// comes after both, and the hotkey's own key never reaches the application.
TEST_F(KeyGateTest, HotkeysPressedDuringAHoldActInTheOrderTyped) {
  GlobalHotkey paste(system, system, typing.stream);
  paste.SetCombination(0xC056);  // Ctrl+Alt+V
  int item = 0;
  paste.SetOnPress([&](ShiftState held, uint32_t) {
    EXPECT_EQ(held, (ShiftState{false, true, true}));
    Sequence sequence(input);
    input.ReleaseModifiers(held);
    keyboard.TypeText(u"<" + std::u16string(1, static_cast<char16_t>(u'1' + item++)) + u">");
  });
  typing.busy = typing.late_answers = true;
  const ModifierSet ctrl_alt = Bit(vk::kLControl) | Bit(vk::kLMenu);
  typing.Chord(ctrl_alt, kV);
  typing.Chord(ctrl_alt, kV);
  typing.Type(u"\r");
  EXPECT_EQ(typing.field.text, u"");
  typing.busy = typing.late_answers = false;
  typing.Idle();
  EXPECT_EQ(typing.field.text, u"<1><2>\r\n");
  EXPECT_TRUE(system.errors.empty());

  // A combination another program holds is left to that program.
  system.taken.insert((kModAlt | kModControl) << 16 | 'C');
  GlobalHotkey copy(system, system, typing.stream);
  copy.SetCombination(0xC043);
  copy.SetOnPress([](ShiftState, uint32_t) { FAIL(); });
  typing.Chord(ctrl_alt, 'C');
  EXPECT_FALSE(typing.gate.Holding());
}

// A combination held down repeats its key: it acts once per press, and its repeats never reach
// the application.
TEST_F(KeyGateTest, AHotkeyHeldDownActsOncePerPress) {
  GlobalHotkey convert(system, system, typing.stream);
  convert.SetCombination(0x8041);  // Alt+A
  int presses = 0;
  convert.SetOnPress([&](ShiftState, uint32_t) { ++presses; });
  typing.Event(vk::kLMenu, false);
  for (int repeat = 0; repeat < 5; ++repeat) typing.Event('A', false);
  typing.Event('A', true);
  typing.Idle();
  EXPECT_EQ(presses, 1);
  typing.Event('A', false);  // pressed again, Alt still down
  typing.Event('A', true);
  typing.Event(vk::kLMenu, true);
  typing.Idle();
  EXPECT_EQ(presses, 2);
  EXPECT_EQ(typing.field.text, u"");
}

// An action's error is reported once the user's keys are no longer held (a box shown before
// would stand between them and the application), and the actions after it still run.
TEST_F(KeyGateTest, AnErrorIsReportedAfterTheHoldAndLaterActionsStillRun) {
  int runs = 0;
  typing.stream.AddWatcher([&](const UserInput& in, bool) {
    if (in.kind != UserInput::Kind::kKey || in.key.stroke.up || in.key.stroke.vk != 0x20)
      return KeyVerdict{};
    return KeyVerdict{[&] {
      if (++runs > 1) return;
      typing.Type(u"ab");  // typed on meanwhile
      throw Error("Cannot open clipboard: Access denied");
    }};
  });
  std::u16string when_shown;
  system.on_error = [&] {
    when_shown = typing.field.text;
    // The box waits for the user, who types on: its message loop carries out what is held.
    typing.Type(u" ");
    typing.Idle();
  };
  typing.busy = true;
  typing.Type(u"x ");
  typing.Idle();
  EXPECT_EQ(when_shown, u"x ab");  // the keys typed on had reached the application
  EXPECT_EQ(system.errors, (std::vector<std::string>{"Cannot open clipboard: Access denied"}));
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(typing.field.text, u"x ab ");
}

// Past the ceiling, a user-interface thread stuck before it judged anything no longer holds the
// keyboard: the keys go to the application unjudged, and the watchers hear that input went by.
// But while an action runs (its slow question unanswered), no key goes between its erasing and
// its typing: the action, its moment passed, is dropped, and the keys follow in order.
TEST_F(KeyGateTest, AtTheCeilingOnlyAStuckJudgementLetsTheKeysGo) {
  int judged = 0, lost = 0;
  bool slow = true;
  typing.stream.AddWatcher([&](const UserInput& in, bool) {
    if (in.kind == UserInput::Kind::kLost) ++lost;
    if (in.kind == UserInput::Kind::kKey && !in.key.stroke.up) ++judged;
    if (in.kind != UserInput::Kind::kKey || in.key.stroke.up || in.key.stroke.vk != 0x20)
      return KeyVerdict{};
    return KeyVerdict{[&] {
      if (slow) {
        typing.Type(u"abc");  // typed on while a busy application keeps the question waiting
        typing.now_ms += KeyGate::kCeilingMs;
        EXPECT_TRUE(typing.gate.LetGoAtCeiling().empty());
      }
      if (!input.hold().Due()) return;
      keyboard.EraseAndType(3, u"ZZ ");
    }};
  });
  typing.busy = typing.late_answers = true;
  typing.Type(u"hi");
  EXPECT_EQ(typing.field.text, u"");
  EXPECT_TRUE(typing.gate.LetGoAtCeiling().empty());  // not yet
  typing.now_ms += KeyGate::kCeilingMs;
  for (const KeyStroke& k : typing.gate.LetGoAtCeiling())
    keyboard.KeyEvent(k.vk, k.scan, k.up ? kKeyEventKeyUp : 0);
  EXPECT_EQ(typing.field.text, u"hi");
  EXPECT_FALSE(typing.gate.Holding());
  typing.busy = typing.late_answers = false;
  typing.Type(u"x");
  EXPECT_EQ(typing.field.text, u"hix");
  EXPECT_EQ(judged, 1);
  EXPECT_EQ(lost, 1);

  typing.busy = true;
  typing.Type(u" ");
  typing.Idle();
  EXPECT_EQ(typing.field.text, u"hix abc");
  EXPECT_FALSE(typing.gate.Holding());
  typing.busy = slow = false;
  typing.Type(u" ");  // a new hold, due again
  EXPECT_EQ(typing.field.text, u"hix aZZ ");
}

// A hook that asked the watchers but got no answer in time holds the key; one asked just before
// a sequence began goes after that sequence, ahead of what was held meanwhile.
TEST_F(KeyGateTest, AKeyAskedAboutKeepsItsPlaceWhateverHappensMeanwhile) {
  UserInput first{UserInput::Kind::kKey, UserKey{Down(kH), 0}};
  ASSERT_EQ(typing.gate.Arrive(first), KeyGate::Admission::kAsk);
  typing.gate.Begin();  // the user-interface thread starts a sequence before it answers
  UserInput second{UserInput::Kind::kKey, UserKey{Down(kI), 0}};
  EXPECT_EQ(typing.gate.Arrive(second), KeyGate::Admission::kHeld);
  EXPECT_TRUE(typing.gate.ClaimAndAnswer());
  bool drain = false;
  EXPECT_FALSE(typing.gate.Settle(first, drain));
  keyboard.TypeText(u"<seq>");
  typing.gate.End();
  typing.Idle();
  EXPECT_EQ(typing.field.text, u"<seq>hi");
  // Too late an answer is no answer: the key was judged in its turn.
  UserInput late{UserInput::Kind::kKey, UserKey{Down(kH), 0}};
  ASSERT_EQ(typing.gate.Arrive(late), KeyGate::Admission::kAsk);
  EXPECT_FALSE(typing.gate.Settle(late, drain));
  EXPECT_FALSE(typing.gate.ClaimAndAnswer());
  typing.gate.Drain();
  EXPECT_EQ(typing.field.text, u"<seq>hih");
}

TEST(HookWatchdogTest, RenewsTheHookWhenKerrakReportsKeysItNeverSaw) {
  HookWatchdog dog;
  // Keys the low-level hook saw a moment ago: all is well.
  EXPECT_FALSE(dog.Reported(1500, 1000));
  EXPECT_FALSE(dog.Reported(1600, 1000));
  EXPECT_FALSE(dog.Reported(1700, 1000));
  // Silence past a second while three presses were reported: set it again, once.
  EXPECT_FALSE(dog.Reported(2100, 1000));
  EXPECT_FALSE(dog.Reported(2200, 1000));
  EXPECT_TRUE(dog.Reported(2300, 1000));
  for (uint64_t t = 2400; t < 2300 + HookWatchdog::kRetryMs; t += 100)
    EXPECT_FALSE(dog.Reported(t, 1000)) << t;
  EXPECT_TRUE(dog.Reported(2300 + HookWatchdog::kRetryMs, 1000));
  // Seen again: the count starts over.
  EXPECT_FALSE(dog.Reported(20000, 19990));
}

}  // namespace
}  // namespace ravak
