#include "convert/conversion.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "tests/fakes/fake_keyboard_layouts.h"
#include "tests/fakes/fake_system.h"

namespace ravak {
namespace {

using testing::FakeClipboard;
using testing::FakeKeyboard;
using testing::FakeKeyHold;
using testing::FakePump;
using testing::InlineThreadStarter;
using testing::Log;
using testing::Normalize;

// A one-line edit control that reacts to the keys it receives the way a Windows edit does:
// Shift+Home selects to the line start, Shift+Left and Ctrl+Shift+Left extend the selection by a
// character and by a word, Right ends a selection at its end, Ctrl+X and Ctrl+C cut and copy a
// non-empty selection (unless it ignores Ctrl+X), Ctrl+V pastes over it, and a key that types a
// letter replaces the selection. The selection runs from the anchor to the caret.
class FakeEditor : public TypingTargetQuery {
 public:
  FakeEditor(FakeKeyboard& keyboard, FakeClipboard& clipboard) : clipboard_(clipboard) {
    keyboard.on_key = [this](uint8_t vk, bool down) { Key(vk, down); };
  }
  void Type(const std::u16string& line) {
    text = line;
    caret = anchor = line.size();
  }
  std::u16string Selected() const { return text.substr(Start(), End() - Start()); }
  // A standard edit: its selection can be read and set.
  uint32_t ForegroundLayout() override { return 0x0409; }
  bool FocusIsPassword() override { return false; }
  bool FieldSelection(uint32_t& start, uint32_t& end) override {
    start = static_cast<uint32_t>(anchor);
    end = static_cast<uint32_t>(caret);
    return standard;
  }
  void SelectInField(uint32_t start, uint32_t end) override {
    anchor = start;
    caret = end;
  }
  bool standard = true;
  std::u16string text;
  std::size_t caret = 0;
  std::size_t anchor = 0;
  bool ignores_paste = false;
  bool ignores_cut = false;

 private:
  std::size_t Start() const { return std::min(anchor, caret); }
  std::size_t End() const { return std::max(anchor, caret); }
  void Replace(const std::u16string& with) {
    text.replace(Start(), End() - Start(), with);
    caret = anchor = Start() + with.size();
  }
  void Key(uint8_t key, bool down) {
    if (key == vk::kControl) ctrl_ = down;
    if (key == vk::kLShift || key == vk::kRShift) shift_ = down;
    if (!down) return;
    if (key == vk::kHome && shift_) caret = 0;
    if (key == vk::kLeft && caret > 0) {
      --caret;
      while (ctrl_ && caret > 0 && text[caret - 1] == u' ') --caret;
      while (ctrl_ && caret > 0 && text[caret - 1] != u' ') --caret;
      if (!shift_) anchor = caret;
    }
    if (key == vk::kRight && !shift_) caret = anchor = End();
    if (key == 0x58 && ctrl_ && ignores_cut) return;
    if ((key == 0x58 || key == 0x43) && ctrl_ && Start() < End()) {
      clipboard_.SetByOtherApp(Selected());
      if (key == 0x58) Replace(u"");
    }
    if (key >= 'A' && key <= 'Z' && !ctrl_) Replace(std::u16string(1, key + u'a' - u'A'));
    if (key == 0x56 && ctrl_ && clipboard_.has_text && !ignores_paste)
      Replace(clipboard_.PasteByOtherApp());
  }
  FakeClipboard& clipboard_;
  bool ctrl_ = false;
  bool shift_ = false;
};

class ConversionTest : public ::testing::Test {
 protected:
  void Type(const std::u16string& line) { editor.Type(line); }
  bool slow = false;
  Log log;
  FakeKeyboard keyboard{log};
  FakePump pump{log};
  FakeClipboard clipboard{log};
  FakeKeyHold hold{log};
  SyntheticInput input{keyboard, pump, hold, [this] { return slow; }};
  ClipboardText text{clipboard, pump};
  LayoutMap map;
  testing::FakeInstalledLayouts installed;  // none: the built-in tables serve
  TypingLayouts layouts{installed, map};
  InlineThreadStarter threads;
  FakeEditor editor{keyboard, clipboard};
  TypedRecord record;  // empty: the clipboard's way
  ConversionCommand command{layouts, input, text, pump, threads, editor, record};
};

TEST_F(ConversionTest, ConvertsLineAndRestoresClipboardInExactSequence) {
  Type(u"sghl");
  clipboard.SetByOtherApp(u"mine");
  command.ConvertCurrentLine();
  EXPECT_EQ(editor.text, u"سلام");
  EXPECT_EQ(clipboard.text, u"mine");
  EXPECT_FALSE(clipboard.excluded);
  // No pause waits on the clock: the application's cut and paste are waited for instead.
  EXPECT_EQ(Normalize(log), (Log{"hold",           "release 0x11",
                                 "process",  // Ctrl up
                                 "press 0xA0 ext", "process",
                                 "press 0x24 ext", "process",  // Shift+Home
                                 "release 0x24",   "process",
                                 "release 0xA0",   "release 0xA1 ext",
                                 "process",        "press 0x11",
                                 "process",        "press 0x58",
                                 "process",        "release 0x58",  // cut
                                 "process",        "release 0x11",
                                 "offer \"????\"", "exclude from history",  // converted line
                                 "press 0x11",     "process",
                                 "press 0x56",     "process",
                                 "release 0x56",  // paste
                                 "process",        "release 0x11",
                                 "write \"mine\"", "let go"}));
  EXPECT_EQ(pump.slept_ms, 0u);
}

// On a system marked slow every step keeps its pause of 20 ms (twice).
TEST_F(ConversionTest, SlowSystemKeepsThePausesBetweenSteps) {
  slow = true;
  Type(u"sghl");
  command.ConvertCurrentLine();
  EXPECT_EQ(editor.text, u"سلام");
  EXPECT_EQ(pump.slept_ms, 11u * 40u);
}

// An application that takes its time over each chord still gets its line converted. One that
// has not pasted a second later may still paste: the converted line stays on offer, and the
// user's clipboard comes back once it has been read.
TEST_F(ConversionTest, WaitsForTheApplicationsCutAndPaste) {
  Type(u"sghl");
  clipboard.SetByOtherApp(u"mine");
  const auto original_key = keyboard.on_key;
  std::vector<std::pair<uint8_t, bool>> late;
  keyboard.on_key = [&](uint8_t key, bool down) { late.emplace_back(key, down); };
  int waits = 0;
  pump.on_process = [&] {
    // The application reads its queue every twentieth wait.
    if (++waits % 20 != 0) return;
    for (const auto& [key, down] : std::exchange(late, {})) original_key(key, down);
  };
  command.ConvertCurrentLine();
  EXPECT_EQ(editor.text, u"سلام");
  EXPECT_EQ(clipboard.text, u"mine");
  EXPECT_LT(pump.slept_ms, ClipboardText::kApplicationWaitMs);

  keyboard.on_key = original_key;
  pump.on_process = nullptr;
  pump.slept_ms = 0;
  Type(u"sghl");
  editor.ignores_paste = true;
  command.ConvertCurrentLine();
  EXPECT_EQ(editor.text, u"");
  EXPECT_EQ(pump.slept_ms, ClipboardText::kApplicationWaitMs);
  EXPECT_EQ(clipboard.ReadByMonitor(), u"");  // nobody else gets the line meanwhile
  EXPECT_EQ(clipboard.PasteByOtherApp(), u"سلام");
  EXPECT_EQ(clipboard.text, u"mine");
}

TEST_F(ConversionTest, KeepsHeadOfMixedLine) {
  Type(u"hello سلام");
  command.ConvertCurrentLine();
  EXPECT_EQ(editor.text, u"hello sghl");
  Type(u"سلام hello");
  command.ConvertCurrentLine();
  EXPECT_EQ(editor.text, u"سلام اثممخ");
}

// Nothing cut (the caret at a line start, an application that ignores Ctrl+X): nothing is
// pasted, the clipboard is untouched, and the selection the command made goes again, so that
// the keys typed next do not replace the line.
TEST_F(ConversionTest, NothingCutMeansNothingPastedClipboardUntouchedAndTheLineKept) {
  Type(u"");
  clipboard.SetByOtherApp(u"abc");
  const uint32_t sequence = clipboard.sequence;
  command.ConvertCurrentLine();
  EXPECT_EQ(editor.text, u"");
  EXPECT_EQ(clipboard.text, u"abc");
  EXPECT_EQ(clipboard.sequence, sequence);
  EXPECT_EQ(std::count(log.begin(), log.end(), "press 0x56"), 0);

  // A standard edit gets its selection back exactly; in any other field the selection ends
  // at its end, where the caret was.
  for (const bool standard : {true, false}) {
    Type(u"sghl");
    editor.standard = standard;
    editor.ignores_cut = true;
    command.ConvertCurrentLine();
    keyboard.KeyEvent('H', 0, 0);
    EXPECT_EQ(editor.text, u"sghlh");
    EXPECT_EQ(clipboard.text, u"abc");
  }
}

TEST_F(ConversionTest, NothingCutLeavesPictureOnClipboard) {
  Type(u"");
  clipboard.SetPictureOnly();
  command.ConvertCurrentLine();
  EXPECT_TRUE(clipboard.has_picture);
  EXPECT_FALSE(clipboard.has_text);
}

TEST_F(ConversionTest, ClipboardWithoutTextGetsThePictureBack) {
  Type(u"sghl");
  clipboard.SetPictureOnly();
  command.ConvertCurrentLine();
  EXPECT_EQ(editor.text, u"سلام");
  EXPECT_TRUE(clipboard.has_picture);
  EXPECT_FALSE(clipboard.has_text);
}

TEST_F(ConversionTest, HeldAltIsReleasedAfterMaskKeyBeforeAnythingElse) {
  Type(u"sghl");
  ShiftState alt;
  alt.alt = true;
  command.ConvertCurrentLine(alt);
  EXPECT_EQ(Log(log.begin(), log.begin() + 6),
            (Log{"hold", "press 0xE8", "release 0xE8", "release 0xA4", "release 0xA5 ext",
                 "release 0x11"}));
  ShiftState all{true, true, true};
  log.clear();
  Type(u"sghl");
  command.ConvertCurrentLine(all);
  const Log normalized = Normalize(log);
  EXPECT_EQ(
      Log(normalized.begin(), normalized.begin() + 10),
      (Log{"hold", "press 0xE8", "release 0xE8", "release 0xA4", "release 0xA5 ext", "release 0xA2",
           "release 0xA3 ext", "release 0xA1 ext", "release 0xA0", "release 0x11"}));
}

TEST_F(ConversionTest, BusyClipboardDuringConversionStillConverts) {
  Type(u"sghl");
  clipboard.SetByOtherApp(u"mine");
  int opens = 0;
  pump.on_process = [&] {
    // Another program grabs the clipboard for a moment after each of our steps.
    if (++opens % 7 == 0) clipboard.busy_opens = 4;
  };
  command.ConvertCurrentLine();
  EXPECT_EQ(editor.text, u"سلام");
  EXPECT_EQ(clipboard.text, u"mine");
}

// A clipboard another program holds right after the cut: the cut line goes back where it was.
TEST_F(ConversionTest, FailureAfterCutPutsTheLineBack) {
  Type(u"sghl");
  clipboard.SetByOtherApp(u"mine");
  const auto editor_key = keyboard.on_key;
  keyboard.on_key = [&](uint8_t key, bool down) {
    editor_key(key, down);
    if (key == 0x58 && down) clipboard.busy_opens = 1000;
  };
  EXPECT_THROW(command.ConvertCurrentLine(), Error);
  EXPECT_EQ(editor.text, u"sghl");
  EXPECT_EQ(clipboard.text, u"sghl");
}

TEST_F(ConversionTest, HotKeyHandlerHonoursSwitchesAndSendsChord) {
  Type(u"sghl");
  ShiftState alt;
  alt.alt = true;
  EXPECT_FALSE(command.HotkeyPressed({false, true, true}, alt));
  EXPECT_FALSE(command.HotkeyPressed({true, false, true}, alt));
  EXPECT_TRUE(log.empty());

  EXPECT_TRUE(command.HotkeyPressed({true, true, false}, alt));
  EXPECT_EQ(threads.started, 0);

  Type(u"");
  log.clear();
  EXPECT_TRUE(command.HotkeyPressed({true, true, true}, alt));
  EXPECT_EQ(threads.started, 1);
  // The chord follows even when nothing was converted, and the user's keys are let go only
  // after it, so that they type in the new language.
  EXPECT_EQ(Log(log.end() - 10, log.end()),
            (Log{"press 0xA5 ext", "sleep 15", "press 0xA0 ext", "sleep 15", "release 0xA0",
                 "release 0xA1 ext", "sleep 15", "release 0xA4", "release 0xA5 ext", "let go"}));
  EXPECT_EQ(std::count(log.begin(), log.end(), "hold"), 1);
}

TEST_F(ConversionTest, PressDuringRunningConversionIsIgnored) {
  Type(u"sghl");
  int nested = 0;
  pump.on_process = [&] {
    if (command.Running() && command.HotkeyPressed({true, true, false}, {})) ++nested;
  };
  EXPECT_TRUE(command.HotkeyPressed({true, true, false}, {}));
  EXPECT_EQ(nested, 0);
  EXPECT_FALSE(command.Running());
  EXPECT_EQ(editor.text, u"سلام");
}

TEST_F(ConversionTest, RunningFlagIsClearedWhenConversionFails) {
  Type(u"sghl");
  clipboard.SetByOtherApp(u"x");
  clipboard.busy_opens = 1000;
  EXPECT_THROW(command.HotkeyPressed({true, true, true}, {}), Error);
  EXPECT_FALSE(command.Running());
  EXPECT_EQ(threads.started, 0);
  EXPECT_EQ(hold.depth, 0);
  EXPECT_EQ(log.back(), "let go");
}

// The selection converts whole, each letter by its own layout, and stays selected; the user's
// clipboard comes back.
TEST_F(ConversionTest, SelectionConvertsWholeAndStaysSelected) {
  Type(u"say sghl now");
  editor.anchor = 4;
  editor.caret = 8;
  clipboard.SetByOtherApp(u"mine");
  EXPECT_TRUE(command.HotkeyPressed(ConversionCommand::Scope::kSelection, {true, true, false}, {}));
  EXPECT_EQ(editor.text, u"say سلام now");
  EXPECT_EQ(editor.Selected(), u"سلام");
  EXPECT_EQ(clipboard.text, u"mine");
}

TEST_F(ConversionTest, NothingSelectedChangesNothingAndLeavesTheClipboardAlone) {
  Type(u"sghl");
  clipboard.SetByOtherApp(u"mine");
  const uint32_t sequence = clipboard.sequence;
  EXPECT_FALSE(command.ConvertSelection());
  EXPECT_EQ(editor.text, u"sghl");
  EXPECT_EQ(clipboard.sequence, sequence);
  EXPECT_EQ(pump.slept_ms, ClipboardText::kApplicationWaitMs);
}

// "hello sghl": the line's trailing run of English letters is both words; the last word alone
// converts, and the caret ends after it.
TEST_F(ConversionTest, LastWordConvertsAlone) {
  Type(u"hello sghl");
  EXPECT_TRUE(command.ConvertLastWord());
  EXPECT_EQ(editor.text, u"hello سلام");
  EXPECT_EQ(editor.caret, editor.text.size());
  EXPECT_EQ(editor.anchor, editor.caret);
  Type(u"سلام اثممخ ");
  EXPECT_TRUE(command.ConvertLastWord());
  EXPECT_EQ(editor.text, u"سلام hello ");
}

}  // namespace
}  // namespace ravak
