#include "autocorrect/autocorrect_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "autocorrect/text_variables.h"
#include "platform/error.h"
#include "tests/fakes/fake_hotkeys.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_typing.h"

namespace ravak {
namespace {

using testing::FakeClipboard;
using testing::FakeHotkeys;
using testing::FakeKeyboard;
using testing::FakePump;
using testing::FakeTyping;
using testing::Log;
using testing::Normalize;

// ---- what keys type ---------------------------------------------------------------------

char16_t Typed(uint8_t vk, ModifierSet modifiers = 0) {
  return TypedChar(UserKey{KeyStroke{vk, 0, false, false}, modifiers});
}

TEST(TypedCharTest, FollowsTheUsKeyboardAndOnlyKeysThatTypeTextTypeAnything) {
  // The keys of the US keyboard with what they type, without and with Shift.
  const std::u16string plain = u"`1234567890-=qwertyuiop[]\\asdfghjkl;'zxcvbnm,./ ";
  const std::u16string shifted = u"~!@#$%^&*()_+QWERTYUIOP{}|ASDFGHJKL:\"ZXCVBNM<>? ";
  const std::u16string oem = u"`-=[]\\;',./";
  const uint8_t oem_keys[] = {192, 189, 187, 219, 221, 220, 186, 222, 188, 190, 191};
  for (std::size_t i = 0; i < plain.size(); ++i) {
    const char16_t c = plain[i];
    const std::size_t o = oem.find(c);
    const auto vk = static_cast<uint8_t>(o != std::u16string::npos ? oem_keys[o]
                                         : c >= u'a' && c <= u'z'  ? c - u'a' + u'A'
                                                                   : c);
    EXPECT_EQ(Typed(vk), c) << int{vk};
    EXPECT_EQ(Typed(vk, modifier::kRShift), shifted[i]) << int{vk};
    // A chord types no text.
    EXPECT_EQ(Typed(vk, modifier::kLCtrl), 0) << int{vk};
    EXPECT_EQ(Typed(vk, modifier::kRAlt | modifier::kLShift), 0) << int{vk};
    EXPECT_EQ(Typed(vk, modifier::kLWin), 0) << int{vk};
  }
  // The keypad types its digits and operators.
  EXPECT_EQ(Typed(0x62), u'2');
  EXPECT_EQ(Typed(0x6B), u'+');
  // Function, caret and editing keys type nothing; nor does a key let go.
  for (const uint8_t vk : {0x70, 0x7B, 0x2E, 0x2D, 0x25, 0x24, 0x1B, 0x09, 0x0D, 0x08, 0x14})
    EXPECT_EQ(Typed(vk), 0) << int{vk};
  EXPECT_EQ(TypedChar(UserKey{KeyStroke{0x41, 0, true, false}, 0}), 0);
}

TEST(CaretStepsTest, CountsSurrogatePairsAndCrLfAsOneStep) {
  EXPECT_EQ(CaretSteps(u""), 0u);
  EXPECT_EQ(CaretSteps(u"abc"), 3u);
  EXPECT_EQ(CaretSteps(u"a\r\nb"), 3u);
  EXPECT_EQ(CaretSteps(u"\r\r\n\n"), 3u);
  EXPECT_EQ(CaretSteps(u"x\U0001F600y"), 3u);
  EXPECT_EQ(CaretSteps(std::u16string(1, char16_t{0xD83D}) + u"y"), 2u);  // lone surrogate
  EXPECT_EQ(CaretSteps(u"سلام"), 4u);
}

TEST(PlanReplacementTest, ErasesTypedKeysPastesBothTextsAndStepsBackOverTheAfterText) {
  EXPECT_EQ(PlanReplacement({u"", u"by the way", u"btw"}, u"btw"),
            (ReplacementPlan{3, u"by the way", 0}));
  EXPECT_EQ(PlanReplacement({u"</b>", u"<b>", u"b"}, u"b"), (ReplacementPlan{1, u"<b></b>", 4}));
  // The typed keys already are the before text: only the after text is pasted.
  EXPECT_EQ(PlanReplacement({u"()", u"f", u"f"}, u"f"), (ReplacementPlan{0, u"()", 2}));
  // Case matters in that comparison.
  EXPECT_EQ(PlanReplacement({u")", u"F", u"f"}, u"f"), (ReplacementPlan{1, u"F)", 1}));
  // Texts are kept whole: no cut at 50 characters, no code-page conversion.
  const std::u16string long_after(300, u'ب');
  EXPECT_EQ(PlanReplacement({long_after, u"سلام", u"s"}, u"s"),
            (ReplacementPlan{1, u"سلام" + long_after, 300}));
}

// ---- the engine, watching the typing ------------------------------------------------------

class Desk : public ForegroundWindowQuery, public TypingTargetQuery {
 public:
  WindowId ForegroundWindow() override { return window; }
  uint32_t ForegroundLayout() override { return 0x0409; }
  bool FocusIsPassword() override { return password; }
  WindowId window = 0x100;
  bool password = false;
};

// A user typing into a field while the engine watches the key stream.
class AutoCorrectTest : public ::testing::Test {
 protected:
  AutoCorrectTest() {
    list.Append({u"", u"by the way", u"btw"});
    list.Append({u"</b>", u"<b>", u"q"});
    typing.stream.AddWatcher([this](const UserInput& typed, bool taken) {
      return engine.OnInput(switches, typed, taken);
    });
    typing.front = &desk;
  }

  Log log;
  FakeKeyboard keyboard{log};
  FakePump pump{log};
  FakeClipboard clipboard{log};
  FakeHotkeys errors;
  FakeTyping typing{keyboard, clipboard, errors};
  testing::FakeTextField& field = typing.field;
  SyntheticInput input{keyboard, pump, typing.gate, [] { return false; }};
  ClipboardText clipboard_text{clipboard, pump};
  Desk desk;
  AutoCorrectList list;
  AutoCorrectSwitches switches{true, true};
  TypedRecord record;
  AutoCorrectEngine engine{list, input, clipboard_text, desk, record};
};

// A keyword is erased with Backspace and its text typed as Unicode input; the clipboard is
// never touched.
TEST_F(AutoCorrectTest, Keyword_IsReplacedInExactSequenceWithoutTheClipboard) {
  clipboard.SetByOtherApp(u"mine");
  const uint32_t sequence = clipboard.sequence;
  list.Replace(0, {u"!", u"by the way", u"btw"});
  field.Show(u"I said ");
  typing.Type(u"bt");
  log.clear();
  typing.Type(u"w");
  EXPECT_EQ(field.WithCaret(), u"I said by the way|!");
  EXPECT_EQ(clipboard.sequence, sequence);
  EXPECT_EQ(Normalize(log), (Log{"release 0xA1 ext", "release 0xA0",  // ReleaseShifts
                                 "press 0x08", "release 0x08",        // three Backspaces
                                 "press 0x08", "release 0x08",        // and the text
                                 "press 0x08", "release 0x08",        // in one go
                                 "type \"by the way!\"", "process", "release 0xA1 ext",
                                 "release 0xA0",                           // ReleaseShifts
                                 "press 0x25", "release 0x25", "process",  // one Left
                                 "release 0x57"}));  // the user's w, let go meanwhile
  EXPECT_EQ(pump.slept_ms, 0u);
  EXPECT_TRUE(engine.TypedBuffer().empty());
}

// Keys typed right after the keyword's last one, before Ravak has acted, wait for the
// replacement and follow it.
TEST_F(AutoCorrectTest, KeysTypedBeforeTheReplacementFollowIt) {
  field.Show(u"a ");
  typing.busy = true;
  typing.Type(u"btw next");
  EXPECT_EQ(field.text, u"a btw");
  typing.busy = false;
  typing.Idle();
  EXPECT_EQ(field.text, u"a by the way next");
  // And when the watchers could not judge the keys in time, they are judged in their turn.
  typing.busy = typing.late_answers = true;
  typing.Type(u" btw!");
  EXPECT_EQ(field.text, u"a by the way next");
  typing.busy = typing.late_answers = false;
  typing.Idle();
  EXPECT_EQ(field.text, u"a by the way next by the way!");
}

TEST_F(AutoCorrectTest, LastCharacterMatch_ErasesOneKeyWhateverCameBefore) {
  field.Show(u"x");
  typing.Type(u"zzq");
  EXPECT_EQ(field.WithCaret(), u"xzz<b>|</b>");
  // The whole buffer is tried first.
  list.Append({u"", u"xyz", u"zq"});
  field.Show(u"");
  typing.Type(u" zq");
  EXPECT_EQ(field.WithCaret(), u" xyz|");
}

TEST_F(AutoCorrectTest, ExtraKeysBeforeKeywordOrTheWrongCasePreventTheMatch) {
  list.Erase(1);  // no one-letter keyword
  typing.Type(u"xbtw bTw btw");
  EXPECT_EQ(field.WithCaret(), u"xbtw bTw by the way|");
}

// Only keys that type text make the word; any other key, and a click, ends it.
TEST_F(AutoCorrectTest, KeysThatTypeNoTextEndTheWord) {
  list.Clear();
  list.Append({u"", u"thanks", u"tks"});
  list.Append({u"", u"oops", u"bad"});
  field.Show(u"x tk");
  typing.Chord(modifier::kLCtrl, 'S');  // save
  typing.Type(u"s");
  EXPECT_EQ(field.text, u"x tks");
  for (const uint8_t key : {0x70 /* F1 */, 0x2E /* Delete */, 0x24 /* Home */, 0x2D, 0x1B}) {
    typing.Type(u" tk");
    typing.Chord(0, key);
    typing.Type(u"s");
  }
  typing.Type(u" tk");
  typing.Click();
  typing.Type(u"s");
  EXPECT_EQ(field.text, u"x tks tks tks tks tks tks tks");
  // The keypad types digits: its 2, 1, 4 are "214", never "bad".
  field.Show(u"");
  for (const uint8_t key : {0x62, 0x61, 0x64}) typing.Chord(0, key);
  EXPECT_EQ(field.text, u"214");
  // Keys that only change others (Shift, Caps Lock) leave the word as it is.
  field.Show(u"");
  typing.Type(u" t");
  for (const uint8_t key : {vk::kLShift, vk::kRControl, uint8_t{0x14}}) typing.Chord(0, key);
  typing.Type(u"ks");
  EXPECT_EQ(field.text, u" thanks");
}

TEST_F(AutoCorrectTest, BufferHoldsTenCharacters_TheEleventhKeyEmptiesItAndIsLost) {
  list.Clear();
  list.Append({u"", u"long", u"abcdefghij"});
  list.Append({u"", u"X", u"z"});
  typing.Type(u"abcdefghij");  // ten characters: the whole buffer matches
  EXPECT_EQ(field.text, u"long");
  typing.Type(u" kkkkkkkkkk");
  EXPECT_EQ(engine.TypedBuffer().size(), 10u);
  typing.Type(u"z");  // not recorded, not matched
  EXPECT_EQ(engine.TypedBuffer(), u"");
  typing.Type(u"z");
  EXPECT_EQ(field.text, u"long kkkkkkkkkkzX");
}

TEST_F(AutoCorrectTest, SwitchingWindowsBetweenKeysPreventsTheMatch) {
  typing.Type(u"bt");
  desk.window = 0x200;
  typing.Type(u"w");
  EXPECT_EQ(engine.TypedBuffer(), u"w");
  EXPECT_EQ(field.text, u"btw");
}

TEST_F(AutoCorrectTest, SwitchesOffOrAPasswordField_NothingIsReplaced) {
  switches.enabled = false;
  typing.Type(u"btw ");
  switches = {false, true};
  typing.Type(u"btw ");
  switches = {true, true};
  desk.password = true;
  typing.Type(u"btw ");
  EXPECT_EQ(field.text, u"btw btw btw ");
  EXPECT_EQ(clipboard.sequence, 1u);
}

TEST_F(AutoCorrectTest, BeforeTextEqualToKeyword_KeepsTypedKeysAndPutsCaretBetween) {
  list.Clear();
  list.Append({u"()", u"f", u"f"});
  field.Show(u"x = ");
  typing.Type(u"f");
  EXPECT_EQ(field.WithCaret(), u"x = f|()");
  EXPECT_EQ(std::count(log.begin(), log.end(), "press 0x08"), 0);
}

TEST_F(AutoCorrectTest, PersianTextsArePastedWhole_CaretStepsOverPairsAndLineBreaks) {
  list.Clear();
  const std::u16string after = u"\r\nبا احترام \U0001F339\r\n" + std::u16string(280, u'ـ');
  list.Append({after, u"سلام", u"slm"});
  typing.Type(u"slm");
  EXPECT_EQ(field.WithCaret(), u"سلام|" + after);
  EXPECT_EQ(std::count(log.begin(), log.end(), "press 0x25"), static_cast<long>(CaretSteps(after)));
  EXPECT_EQ(CaretSteps(after), 293u);
}

// A text of several lines is pasted (a line break typed would send a form). A clipboard another
// program holds: the keyword stays as typed, the error is reported, and the next keyword works.
TEST_F(AutoCorrectTest, ClipboardThatCannotBeOpenedLeavesTheKeyword) {
  list.Replace(0, {u"", u"by\r\nthe way", u"btw"});
  clipboard.busy_opens = 1000;
  typing.Type(u"btw x");
  EXPECT_EQ(field.text, u"btw x");
  EXPECT_EQ(errors.errors.size(), 1u);
  EXPECT_EQ(std::count(log.begin(), log.end(), "press 0x08"), 0);
  clipboard.busy_opens = 0;
  typing.Type(u" btw");
  EXPECT_EQ(field.text, u"btw x by\r\nthe way");
}

// Variables are filled in when the keyword fires, and the plan is made from the filled texts: a
// before text that reads as the keyword only until filled is typed over it.
TEST_F(AutoCorrectTest, VariablesAreFilledAsTheKeywordFires) {
  const LocalDateTime thursday{{2026, 12, 10}, 14, 5};
  const VariableSources sources{[&] { return thursday; },
                                [this] { return clipboard_text.UserText(); }};
  const EntryFiller fill = [&](const AutoCorrectEntry& e) { return FillVariables(e, sources); };
  AutoCorrectEngine filling{list, input, clipboard_text, desk, record, {}, fill};
  typing.stream = {};
  typing.stream.AddWatcher(
      [&](const UserInput& typed, bool taken) { return filling.OnInput(switches, typed, taken); });
  list.Clear();
  list.Append({u"", u"[{{clipboard}}]", u"cb"});
  list.Append({u"", u"{{date}}", u"{{date}}"});
  clipboard.SetByOtherApp(u"mine");
  const uint32_t sequence = clipboard.sequence;
  typing.Type(u"cb {{date}}");
  EXPECT_EQ(field.text, u"[mine] 1405/09/19");
  EXPECT_EQ(clipboard.sequence, sequence);
  // A clipboard another program holds: the keyword stays, the error is reported.
  clipboard.busy_opens = 1000;
  typing.Type(u" cb");
  EXPECT_EQ(field.text, u"[mine] 1405/09/19 cb");
  EXPECT_EQ(errors.errors.size(), 1u);
}

TEST_F(AutoCorrectTest, LinearScanGivesTheSameReplacements) {
  AutoCorrectEngine linear{list, input, clipboard_text, desk, record, KeywordLookup::kLinearScan};
  for (const char16_t* text : {u"btw", u"b", u"x", u"", u"btw "}) {
    EXPECT_EQ(linear.IsInACKey(text), engine.IsInACKey(text));
  }
}

}  // namespace
}  // namespace ravak
