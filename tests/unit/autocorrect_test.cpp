#include "autocorrect/autocorrect_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/error.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_text_field.h"

namespace ravak {
namespace {

using testing::FakeClipboard;
using testing::FakeKeyboard;
using testing::FakeKeyHold;
using testing::FakePump;
using testing::FakeTextField;
using testing::Log;
using testing::Normalize;

constexpr ShiftState kNone{};
constexpr ShiftState kShift{true, false, false};

// ---- KeyToChar --------------------------------------------------------------------------

TEST(KeyToCharTest, FollowsTheUsKeyboardForEveryKeyOfItsTable) {
  // The keys of the US keyboard with what they type, without and with Shift.
  const std::u16string plain = u"`1234567890-=qwertyuiop[]\\asdfghjkl;'zxcvbnm,./";
  const std::u16string shifted = u"~!@#$%^&*()_+QWERTYUIOP{}|ASDFGHJKL:\"ZXCVBNM<>?";
  const std::u16string oem_plain = u"`-=[]\\;',./";
  const std::u16string oem_shifted = u"~_+{}|:\"<>?";
  const uint16_t oem_keys[] = {192, 189, 187, 219, 221, 220, 186, 222, 188, 190, 191};
  ASSERT_EQ(plain.size(), 47u);
  for (std::size_t i = 0; i < plain.size(); ++i) {
    // Keyed by the code of the unshifted character (of the capital for a letter).
    const char16_t c = plain[i];
    const uint16_t key = c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c;
    EXPECT_EQ(KeyToChar(key, kNone), c) << key;
    EXPECT_EQ(KeyToChar(key, kShift), shifted[i]) << key;
    // Shift together with Ctrl or Alt types the unshifted character; so does Ctrl alone.
    EXPECT_EQ(KeyToChar(key, {true, true, false}), c) << key;
    EXPECT_EQ(KeyToChar(key, {true, false, true}), c) << key;
    EXPECT_EQ(KeyToChar(key, {false, false, true}), c) << key;
  }
  for (std::size_t i = 0; i < std::size(oem_keys); ++i) {
    EXPECT_EQ(KeyToChar(oem_keys[i], kNone), oem_plain[i]) << oem_keys[i];
    EXPECT_EQ(KeyToChar(oem_keys[i], kShift), oem_shifted[i]) << oem_keys[i];
  }
}

TEST(KeyToCharTest, KeysOutsideTheTableGiveTheirOwnCode_OnlyTheLowByteCounts) {
  EXPECT_EQ(KeyToChar(97, kNone), u'a');   // Numpad 1
  EXPECT_EQ(KeyToChar(97, kShift), u'a');  // no shifted form outside the table
  EXPECT_EQ(KeyToChar(112, kNone), u'p');  // F1
  EXPECT_EQ(KeyToChar(46, kShift), u'>');  // Shift+Delete is the full-stop row
  EXPECT_EQ(KeyToChar(0x141, kShift), u'A');
  EXPECT_EQ(KeyToChar(0x20, kNone), u' ');
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

// ---- the engine -------------------------------------------------------------------------

class FakeForeground : public ForegroundWindowQuery {
 public:
  WindowId ForegroundWindow() override { return window; }
  WindowId window = 0x100;
};

class AutoCorrectTest : public ::testing::Test {
 protected:
  AutoCorrectTest() {
    list.Append({u"", u"by the way", u"btw"});
    list.Append({u"</b>", u"<b>", u"q"});
  }
  // Presses each key of a US-keyboard text (capitals and shifted symbols with Shift).
  void Type(const std::u16string& keys) {
    for (char16_t c : keys) Press(c);
  }
  bool Press(char16_t c) {
    const std::u16string shifted = u"~!@#$%^&*()_+{}|:\"<>?";
    const std::u16string plain = u"`1234567890-=[]\\;',./";
    uint16_t key = c;
    ShiftState shift;
    if (c >= u'a' && c <= u'z') key = c - u'a' + u'A';
    if (c >= u'A' && c <= u'Z') shift = kShift;
    const std::size_t s = shifted.find(c);
    if (s != std::u16string::npos) {
      key = KeyFor(plain[s]);
      shift = kShift;
    } else if (plain.find(c) != std::u16string::npos) {
      key = KeyFor(c);
    }
    field.Show(field.text + c);
    return engine.KeyDown(switches, key, shift);
  }
  static uint16_t KeyFor(char16_t c) {
    // Digits have their own code; punctuation uses the virtual-key codes of the OEM keys.
    const std::u16string oem = u"`-=[]\\;',./";
    const uint16_t codes[] = {192, 189, 187, 219, 221, 220, 186, 222, 188, 190, 191};
    const std::size_t i = oem.find(c);
    return i == std::u16string::npos ? c : codes[i];
  }
  bool Key(uint16_t key, ShiftState shift = {}) { return engine.KeyDown(switches, key, shift); }

  Log log;
  FakeKeyboard keyboard{log};
  FakePump pump{log};
  FakeClipboard clipboard{log};
  FakeTextField field{keyboard, clipboard};
  FakeKeyHold hold{log};
  SyntheticInput input{keyboard, pump, hold, [] { return false; }};
  ClipboardText clipboard_text{clipboard, pump};
  FakeForeground foreground;
  AutoCorrectList list;
  AutoCorrectSwitches switches{true, true};
  AutoCorrectEngine engine{list, input, clipboard_text, foreground};
};

TEST_F(AutoCorrectTest, Keyword_IsReplacedInExactSequenceAndClipboardRestored) {
  clipboard.SetByOtherApp(u"mine");
  list.Replace(0, {u"!", u"by the way", u"btw"});
  field.Show(u"I said ");
  Type(u"bt");
  log.clear();
  EXPECT_TRUE(Press(u'w'));
  EXPECT_EQ(field.WithCaret(), u"I said by the way|!");
  EXPECT_EQ(clipboard.text, u"mine");
  // Nothing waits on the clock: the user's clipboard comes back once the paste has read the text.
  EXPECT_EQ(Normalize(log), (Log{"hold",
                                 "release 0xA1 ext",
                                 "release 0xA0",  // ReleaseShifts
                                 "press 0x08",
                                 "release 0x08",
                                 "process",  // three
                                 "press 0x08",
                                 "release 0x08",
                                 "process",  // Backspaces
                                 "press 0x08",
                                 "release 0x08",
                                 "process",
                                 "offer \"by the way!\"",
                                 "exclude from history",
                                 "press 0x11",
                                 "process",  // Ctrl+V
                                 "press 0x56",
                                 "process",
                                 "release 0x56",
                                 "process",
                                 "release 0x11",
                                 "write \"mine\"",
                                 "release 0xA1 ext",
                                 "release 0xA0",  // ReleaseShifts
                                 "press 0x25",
                                 "release 0x25",
                                 "process",  // one Left
                                 "let go"}));
  EXPECT_EQ(pump.slept_ms, 0u);
  EXPECT_TRUE(engine.TypedBuffer().empty());
}

TEST_F(AutoCorrectTest, LastCharacterMatch_ErasesOneKeyWhateverCameBefore) {
  field.Show(u"x");
  Type(u"zzq");
  EXPECT_EQ(field.WithCaret(), u"xzz<b>|</b>");
  // The whole buffer is tried first.
  list.Append({u"", u"xyz", u"zq"});
  Key(' ');
  field.Show(u"");
  Type(u"zq");
  EXPECT_EQ(field.WithCaret(), u"xyz|");
}

TEST_F(AutoCorrectTest, ExtraKeysBeforeKeywordOrTheWrongCasePreventTheMatch) {
  list.Erase(1);  // no one-letter keyword
  field.Show(u"");
  Type(u"xbtw");
  EXPECT_EQ(field.text, u"xbtw");
  Key(' ');
  field.Show(u"");
  Type(u"bTw");
  EXPECT_EQ(field.text, u"bTw");
  Key(' ');
  Type(u"btw");
  EXPECT_EQ(field.WithCaret(), u"bTwby the way|");
}

TEST_F(AutoCorrectTest, BufferRules) {
  list.Clear();
  Type(u"ab");
  EXPECT_EQ(engine.TypedBuffer(), u"ab");
  // Keys that add nothing and reset nothing.
  for (uint16_t key : {16, 17, 18, 20, 27, 0xA0, 0x5B + 0x100}) Key(key);
  EXPECT_EQ(engine.TypedBuffer(), u"ab");
  // Separators empty the buffer; Backspace empties all of it.
  for (uint16_t key : {8, 9, 13, 32, 33, 34, 35, 36, 37, 38, 39, 40}) {
    Type(u"ab");
    Key(key);
    EXPECT_EQ(engine.TypedBuffer(), u"") << key;
  }
  // Numpad, function keys and Delete add characters; Shift+Delete adds '>'.
  Key(97);
  Key(112);
  Key(46);
  Key(46, kShift);
  Key(0xBA, kShift);
  EXPECT_EQ(engine.TypedBuffer(), u"ap.>:");
  // Ctrl+Shift+A and Caps Lock give lower case.
  Key(' ');
  Key('A', {true, false, true});
  Key(20);
  Key('A');
  EXPECT_EQ(engine.TypedBuffer(), u"aa");
}

TEST_F(AutoCorrectTest, BufferHoldsTenCharacters_TheEleventhKeyEmptiesItAndIsLost) {
  list.Clear();
  list.Append({u"", u"long", u"abcdefghij"});
  list.Append({u"", u"never", u"abcdefghijk"});
  list.Append({u"", u"X", u"z"});
  field.Show(u"");
  Type(u"abcdefghi");
  EXPECT_EQ(engine.TypedBuffer(), u"abcdefghi");
  Type(u"j");  // ten characters: the whole buffer matches
  EXPECT_EQ(field.text, u"long");
  Key(' ');
  Type(u"kkkkkkkkkk");
  EXPECT_EQ(engine.TypedBuffer().size(), 10u);
  EXPECT_FALSE(Press(u'z'));  // not recorded, not matched
  EXPECT_EQ(engine.TypedBuffer(), u"");
  EXPECT_TRUE(Press(u'z'));
}

TEST_F(AutoCorrectTest, SwitchingWindowsBetweenKeysPreventsTheMatch) {
  field.Show(u"");
  Key(' ');
  Type(u"bt");
  foreground.window = 0x200;
  Press(u'w');
  EXPECT_EQ(engine.TypedBuffer(), u"w");
  EXPECT_EQ(engine.TypedWindow(), 0x200u);
  EXPECT_EQ(field.text, u"btw");
}

TEST_F(AutoCorrectTest, SwitchesOff_NothingIsRecordedAndTheBufferIsKept) {
  Type(u"bt");
  switches.enabled = false;
  foreground.window = 0x300;
  EXPECT_FALSE(Press(u'w'));
  switches = {false, true};
  EXPECT_FALSE(Press(u'w'));
  EXPECT_EQ(engine.TypedBuffer(), u"bt");
  EXPECT_EQ(engine.TypedWindow(), 0x100u);
  EXPECT_TRUE(log.empty());
}

TEST_F(AutoCorrectTest, FirstRowWinsAmongRowsWithTheSameKeyword) {
  list.Append({u"", u"second", u"btw"});
  field.Show(u"");
  Key(' ');
  Type(u"btw");
  EXPECT_EQ(field.text, u"by the way");
}

TEST_F(AutoCorrectTest, BeforeTextEqualToKeyword_KeepsTypedKeysAndPutsCaretBetween) {
  list.Clear();
  list.Append({u"()", u"f", u"f"});
  field.Show(u"x = ");
  Type(u"f");
  EXPECT_EQ(field.WithCaret(), u"x = f|()");
  EXPECT_EQ(std::count(log.begin(), log.end(), "press 0x08"), 0);
}

TEST_F(AutoCorrectTest, PersianTextsArePastedWhole_CaretStepsOverPairsAndLineBreaks) {
  list.Clear();
  const std::u16string after = u"\r\nبا احترام \U0001F339\r\n" + std::u16string(280, u'ـ');
  list.Append({after, u"سلام", u"slm"});
  field.Show(u"");
  Type(u"slm");
  EXPECT_EQ(field.WithCaret(), u"سلام|" + after);
  EXPECT_EQ(std::count(log.begin(), log.end(), "press 0x25"), static_cast<long>(CaretSteps(after)));
  EXPECT_EQ(CaretSteps(after), 293u);
}

TEST_F(AutoCorrectTest, KeysReportedDuringAReplacementAreIgnored) {
  // Every pause dispatches the hook's notifications of the keys just sent, and a user's key.
  int nested = 0;
  pump.on_process = [&] {
    ++nested;
    EXPECT_TRUE(engine.AutoCorrectBusy());
    EXPECT_FALSE(Key('B'));
  };
  field.Show(u"");
  Key(' ');
  Type(u"bt");
  EXPECT_EQ(nested, 0);
  Press(u'w');
  EXPECT_GT(nested, 0);
  EXPECT_EQ(field.text, u"by the way");
  pump.on_process = nullptr;
  EXPECT_FALSE(engine.AutoCorrectBusy());
  EXPECT_EQ(engine.TypedBuffer(), u"");
}

TEST_F(AutoCorrectTest, FailedPasteEndsTheReplacement_NextKeywordStillWorks) {
  clipboard.busy_opens = 1000;
  field.Show(u"");
  Key(' ');
  Type(u"bt");
  EXPECT_THROW(Press(u'w'), Error);
  EXPECT_FALSE(engine.AutoCorrectBusy());
  EXPECT_EQ(engine.TypedBuffer(), u"");
  clipboard.busy_opens = 0;
  field.Show(u"");
  Type(u"btw");
  EXPECT_EQ(field.text, u"by the way");
}

TEST_F(AutoCorrectTest, LinearScanGivesTheSameReplacements) {
  AutoCorrectEngine linear{list, input, clipboard_text, foreground, KeywordLookup::kLinearScan};
  for (const char16_t* text : {u"btw", u"b", u"x", u"", u"btw "}) {
    EXPECT_EQ(linear.IsInACKey(text), engine.IsInACKey(text));
  }
  field.Show(u"");
  for (uint16_t key : {'B', 'T', 'W'}) linear.KeyDown(switches, key, kNone);
  EXPECT_EQ(field.text, u"by the way");
}

}  // namespace
}  // namespace ravak
