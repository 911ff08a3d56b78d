#include "autoswitch/auto_switch.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_desktop.h"
#include "tests/fakes/fake_hotkeys.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_typing.h"

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
  uint32_t ForegroundLayout() override { return layout; }
  bool FocusIsPassword() override { return password; }
  WindowId window = 7;
  uint32_t layout = 0x0409;
  bool password = false;
};

constexpr uint16_t kPersian = 0x0429;

// A user typing into a text field while the engine watches the key stream; the field shows
// what the active layout types.
class AutoSwitchTest : public ::testing::Test {
 protected:
  AutoSwitchTest() {
    typing.field.layout = [this](char16_t c) {
      return desk.layout == kPersian && c != u' '
                 ? map.FarsiChars()[map.LookupChar(c, Table::English)]
                 : c;
    };
    typing.stream.AddWatcher([this](const UserInput& typed, bool taken) {
      return engine.OnInput(switches, typed, taken);
    });
    typing.front = &desk;
    typing.front_layout = &desk;
  }

  Log log;
  FakeKeyboard keyboard{log};
  FakePump pump{log};
  FakeClipboard clipboard{log};
  testing::FakeHotkeys errors;
  testing::FakeTyping typing{keyboard, clipboard, errors};
  testing::FakeTextField& field = typing.field;
  SyntheticInput input{keyboard, pump, typing.gate, [] { return false; }};
  LayoutMap map;
  testing::FakeInstalledLayouts installed;  // none: the built-in tables serve
  TypingLayouts layouts{installed, map};
  LayoutDetector detector{map};
  Desk desk;
  WordExceptions exceptions;
  int language_switches = 0;
  TypedRecord record;
  AutoSwitchEngine engine{detector,
                          layouts,
                          input,
                          desk,
                          exceptions,
                          record,
                          [this](Language) { ++language_switches; }};
  AutoSwitchSwitches switches{true, true, false};
};

TEST_F(AutoSwitchTest, WordsTypedOnTheWrongLayoutAreRetypedAsEachEnds) {
  typing.Type(u"sghl o,fd? hello world ");
  EXPECT_EQ(field.text, u"سلام خوبی؟ hello world ");
  // Retyped as Unicode input, never through the clipboard.
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& e) { return e.rfind("type ", 0) == 0; }),
            2);
  EXPECT_EQ(clipboard.sequence, 1u);
  EXPECT_FALSE(typing.gate.Holding());

  // On the Persian layout, an English word typed by mistake comes back as English.
  desk.layout = kPersian;
  field.Show(u"");
  typing.Type(u"hello ");
  EXPECT_EQ(field.text, u"hello ");
}

// Tab and Enter act when they reach the application (the focus moves, a form is sent): the
// word is retyped before they get there, and no undo follows them.
TEST_F(AutoSwitchTest, TabAndEnterWaitUntilTheWordIsRetyped) {
  typing.Type(u"sghl\r");
  EXPECT_EQ(field.text, u"سلام\r\n");
  typing.Type(u"ok\t");
  const std::size_t tab = log.size();
  typing.Type(u"sghl\t");
  const Log after(log.begin() + static_cast<long>(tab), log.end());
  EXPECT_EQ(after.back(), "release 0x09");  // the user's Tab, after the retyping
  EXPECT_EQ(field.text, u"سلام\r\nokسلام");
  typing.Type(u"\b");
  EXPECT_EQ(field.text, u"سلام\r\nokسلا");
}

// Backspace right after a switch brings the word back as typed and remembers it.
TEST_F(AutoSwitchTest, BackspaceRightAfterASwitchUndoesItAndMakesAnException) {
  int stored = 0;
  engine.SetOnExceptionAdded([&] { ++stored; });
  typing.Type(u"keep sghl ");
  ASSERT_EQ(field.text, u"keep سلام ");
  typing.Type(u"\b");
  EXPECT_EQ(field.text, u"keep sghl ");
  EXPECT_TRUE(exceptions.Contains(u"sghl"));
  EXPECT_EQ(stored, 1);
  typing.Type(u"sghl ");
  EXPECT_EQ(field.text, u"keep sghl sghl ");  // never switched again
  // More Backspaces are the user's own: they erase what is there, nothing else.
  typing.Type(u"\b\b\b\b\b");
  EXPECT_EQ(field.text, u"keep sghl ");

  // A Backspace after any other key only edits the word being typed.
  field.Show(u"");
  typing.Type(u"o,fdx\b ");
  EXPECT_EQ(field.text, u"خوبی ");
  typing.Type(u"k\b");
  EXPECT_EQ(field.text, u"خوبی ");
}

// The undo is for the very next Backspace, alone, in the same field: after a caret key, a
// click, or with Ctrl or Alt, a Backspace is the application's.
TEST_F(AutoSwitchTest, OnlyTheNextPlainBackspaceUndoes) {
  typing.Type(u"keep sghl ");
  typing.Chord(0, 0x24);  // Home
  typing.Type(u"\b");
  typing.Click();
  typing.Type(u"\b");
  typing.Chord(modifier::kLCtrl, vk::kBack);
  typing.Chord(modifier::kLAlt, vk::kBack);
  EXPECT_EQ(field.text, u"keep س");  // (this field's Home leaves the caret where it was)
  EXPECT_EQ(exceptions.Size(), 0u);
}

TEST_F(AutoSwitchTest, ShortcutsCaretKeysOtherWindowsPasswordsAndTheSwitchesLeaveWordsAlone) {
  typing.Type(u"sghl");
  typing.Chord(modifier::kLCtrl, 'C');  // the caret may be anywhere now
  typing.Type(u" sghl");
  typing.Chord(0, 0x2E);  // Delete
  typing.Type(u" sghl");
  desk.window = 8;
  typing.Type(u" ");
  EXPECT_EQ(field.text, u"sghl sghl sghl ");
  field.Show(u"");
  desk.password = true;  // never a password
  typing.Type(u"sghl ");
  typing.Type(u"\b");  // and no undo of a switch never made
  desk.password = false;
  EXPECT_EQ(field.text, u"sghl");
  field.Show(u"");
  switches.active_flag = false;
  typing.Type(u"sghl ");
  switches = {true, false, false};
  typing.Type(u"sghl ");
  EXPECT_EQ(field.text, u"sghl sghl ");
}

TEST_F(AutoSwitchTest, LanguageChordFollowsASwitchAndItsUndoWhenAsked) {
  switches.change_language = true;
  typing.Type(u"sghl ");
  EXPECT_EQ(language_switches, 1);
  typing.Type(u"\b");
  EXPECT_EQ(language_switches, 2);
  typing.Type(u"hello ");
  EXPECT_EQ(language_switches, 2);
}

// The mark of a switch: the word as typed, by the caret, until the next key; none after Tab or
// Enter (no Backspace undoes those), and none when it is turned off.
TEST(AutoSwitchFeatureTest, MarkShowsTheTypedWordUntilTheNextKey) {
  testing::FakeDesktop desk;
  desk.controller.Start();
  desk.settings.auto_detect = true;
  desk.foreground.caret = ScreenRect{100, 200, 101, 216};
  desk.typing.Type(u"sghl ");
  EXPECT_EQ(desk.switch_mark.shown, u"sghl");
  EXPECT_EQ(desk.switch_mark.at, desk.foreground.caret);
  desk.typing.Type(u"\b");
  EXPECT_FALSE(desk.switch_mark.shown);
  EXPECT_EQ(desk.typing.field.text, u"sghl ");
  desk.typing.Type(u"o,fd\t");
  EXPECT_FALSE(desk.switch_mark.shown);
  desk.settings.switch_mark = false;
  desk.typing.Type(u"o,fd ");
  EXPECT_FALSE(desk.switch_mark.shown);
  EXPECT_EQ(desk.typing.field.text, u"sghl خوبیخوبی ");  // (the field shows no Tab)
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
