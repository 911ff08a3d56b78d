#include "autoswitch/auto_switch.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_text_field.h"
#include "typing/key_text.h"

namespace ravak {
namespace {

using testing::FakeClipboard;
using testing::FakeKeyboard;
using testing::FakeKeyHold;
using testing::FakePump;
using testing::FakeTextField;
using testing::Log;

class Desk : public ForegroundWindowQuery, public TypingTargetQuery {
 public:
  WindowId ForegroundWindow() override { return window; }
  uint16_t ForegroundLanguage() override { return language; }
  bool FocusIsPassword() override { return password; }
  WindowId window = 7;
  uint16_t language = 0x0409;
  bool password = false;
};

constexpr uint16_t kPersian = 0x0429;

// A user typing into a text field while the hook reports each key to the engine, as Kerrak does
// once the application has the key; the keys Ravak sends come back through the hook too.
class AutoSwitchTest : public ::testing::Test {
 protected:
  AutoSwitchTest() {
    const auto field_key = keyboard.on_key;
    keyboard.on_key = [this, field_key](uint8_t key, bool down) {
      field_key(key, down);
      if (down) sent.push_back(key);
    };
  }
  // Types the keys of a US-layout text; the field shows what the active layout types.
  void Type(std::u16string_view us) {
    for (const char16_t c : us) {
      uint16_t key = 0;
      ShiftState shift;
      if (c == u' ' || c == u'\r') {
        key = c == u' ' ? 0x20 : 0x0D;
      } else {
        for (uint16_t k = 0; k < 256 && !key; ++k) {
          if (!TypesCharacter(k)) continue;
          if (KeyToChar(k, {}) == c) key = k;
          if (KeyToChar(k, {true, false, false}) == c) key = k, shift.shift = true;
        }
      }
      ASSERT_NE(key, 0) << static_cast<int>(c);
      if (key == 0x0D) {
        keyboard.on_key(0x0D, true);
        sent.pop_back();
      } else if (key == 0x20 || desk.language != kPersian) {
        field.text.insert(field.caret++, 1, c);
      } else {
        field.text.insert(field.caret++, 1, map.FarsiChars()[map.LookupChar(c, Table::English)]);
      }
      Report(key, shift);
    }
  }
  void Backspace() {
    keyboard.on_key(vk::kBack, true);
    sent.pop_back();
    Report(vk::kBack, {});
  }
  // The hook reports a key, then the keys Ravak sent meanwhile.
  bool Report(uint16_t key, ShiftState shift) {
    const bool acted = engine.KeyDown(switches, key, shift);
    for (const uint8_t echo : std::exchange(sent, {})) engine.KeyDown(switches, echo, {});
    return acted;
  }

  Log log;
  FakeKeyboard keyboard{log};
  FakePump pump{log};
  FakeClipboard clipboard{log};
  FakeTextField field{keyboard, clipboard};
  FakeKeyHold hold{log};
  SyntheticInput input{keyboard, pump, hold, [] { return false; }};
  LayoutMap map;
  LayoutDetector detector{map};
  Desk desk;
  WordExceptions exceptions;
  int language_switches = 0;
  AutoSwitchEngine engine{detector, input, desk, desk, exceptions, [this] { ++language_switches; }};
  AutoSwitchSwitches switches{true, true, false};
  std::vector<uint8_t> sent;
};

TEST_F(AutoSwitchTest, WordsTypedOnTheWrongLayoutAreRetypedAsEachEnds) {
  Type(u"sghl o,fd? hello world ");
  EXPECT_EQ(field.text, u"سلام خوبی؟ hello world ");
  // Retyped as Unicode input while the user's keys are held, never through the clipboard.
  EXPECT_EQ(std::count(log.begin(), log.end(), "hold"), 2);
  EXPECT_EQ(clipboard.sequence, 1u);
  EXPECT_EQ(hold.depth, 0);

  // On the Persian layout, an English word typed by mistake comes back as English.
  desk.language = kPersian;
  field.Show(u"");
  Type(u"hello ");
  EXPECT_EQ(field.text, u"hello ");
}

TEST_F(AutoSwitchTest, EnterEndsAWordAndIsSentAgainAsAKey) {
  Type(u"sghl\r");
  EXPECT_EQ(field.text, u"سلام\r\n");
  Type(u"ok");
  EXPECT_EQ(field.text, u"سلام\r\nok");
}

// Backspace right after a switch brings the word back as typed and remembers it; the switch's
// own Backspaces, reported back by the hook, are no undo.
TEST_F(AutoSwitchTest, BackspaceRightAfterASwitchUndoesItAndMakesAnException) {
  int stored = 0;
  engine.SetOnExceptionAdded([&] { ++stored; });
  Type(u"sghl ");
  ASSERT_EQ(field.text, u"سلام ");
  Backspace();
  EXPECT_EQ(field.text, u"sghl ");
  EXPECT_TRUE(exceptions.Contains(u"sghl"));
  EXPECT_EQ(stored, 1);
  Type(u"sghl ");
  EXPECT_EQ(field.text, u"sghl sghl ");  // never switched again

  // A Backspace after any other key only edits the word being typed.
  field.Show(u"");
  Type(u"o,fdx");
  Backspace();
  Type(u" ");
  EXPECT_EQ(field.text, u"خوبی ");
  Type(u"k");
  Backspace();
  EXPECT_EQ(field.text, u"خوبی ");
}

TEST_F(AutoSwitchTest, ShortcutsCaretKeysOtherWindowsPasswordsAndTheSwitchesLeaveWordsAlone) {
  Type(u"sghl");
  Report('C', {false, false, true});  // Ctrl+C: the caret may be anywhere now
  Type(u" ");
  Type(u"sghl");
  Report(vk::kLeft, {});
  Type(u" ");
  Type(u"sghl");
  desk.window = 8;
  Type(u" ");
  EXPECT_EQ(field.text, u"sghl sghl sghl ");
  field.Show(u"");
  desk.password = true;  // never a password
  Type(u"sghl ");
  desk.password = false;
  EXPECT_EQ(field.text, u"sghl ");
  field.Show(u"");
  switches.active_flag = false;
  Type(u"sghl ");
  switches = {true, false, false};
  Type(u"sghl ");
  EXPECT_EQ(field.text, u"sghl sghl ");
}

TEST_F(AutoSwitchTest, LanguageChordFollowsASwitchAndItsUndoWhenAsked) {
  switches.change_language = true;
  Type(u"sghl ");
  EXPECT_EQ(language_switches, 1);
  Backspace();
  EXPECT_EQ(language_switches, 2);
  Type(u"hello ");
  EXPECT_EQ(language_switches, 2);
}

TEST(WordExceptionsTest, StoredFormIsSortedWithoutEmptyLines) {
  WordExceptions words;
  words.SetLines({u"b", u"", u"a", u"b"});
  EXPECT_EQ(words.Lines(), (std::vector<std::u16string>{u"a", u"b"}));
  EXPECT_FALSE(words.Add(u"a"));
  words.Clear();
  EXPECT_EQ(words.Size(), 0u);
}

}  // namespace
}  // namespace ravak
