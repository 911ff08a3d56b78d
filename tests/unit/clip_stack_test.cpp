#include "clipstack/clip_stack.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/error.h"
#include "tests/fakes/fake_system.h"

namespace ravak {
namespace {

using testing::FakeClipboard;
using testing::FakeKeyboard;
using testing::FakePump;
using testing::Log;
using testing::Normalize;
using Texts = std::vector<std::u16string>;

// The foreground application: Ctrl+C puts its selection on the clipboard, Ctrl+V appends the
// clipboard text to its document.
class FakeApp {
 public:
  FakeApp(FakeKeyboard& keyboard, FakeClipboard& clipboard) : clipboard_(clipboard) {
    keyboard.on_key = [this](uint8_t vk, bool down) {
      if (vk == vk::kControl) ctrl_ = down;
      if (!down || !ctrl_) return;
      if (vk == 0x43) clipboard_.SetByOtherApp(selection);
      if (vk == 0x56 && clipboard_.has_text) pasted.push_back(clipboard_.text);
    };
  }
  std::u16string selection;
  Texts pasted;

 private:
  FakeClipboard& clipboard_;
  bool ctrl_ = false;
};

class ClipStackTest : public ::testing::Test {
 protected:
  void Copy(const std::u16string& selection) {
    app.selection = selection;
    commands.Copy();
  }
  Log log;
  FakeKeyboard keyboard{log};
  FakePump pump{log};
  FakeClipboard clipboard{log};
  SyntheticInput input{keyboard, pump, [] { return false; }};
  ClipboardText text{clipboard, pump};
  ClipItemList list;
  AdvancedCopyPaste commands{list, input, text};
  FakeApp app{keyboard, clipboard};
};

TEST_F(ClipStackTest, PastesNewestFirstAndEmptyListDoesNothing) {
  Copy(u"first");
  Copy(u"second");
  EXPECT_EQ(list.Texts(), (Texts{u"second", u"first"}));
  EXPECT_TRUE(commands.Paste());
  EXPECT_TRUE(commands.Paste());
  EXPECT_EQ(app.pasted, (Texts{u"second", u"first"}));
  EXPECT_EQ(list.Count(), 0u);
  log.clear();
  EXPECT_FALSE(commands.Paste());
  EXPECT_TRUE(log.empty());
}

TEST_F(ClipStackTest, ProCopySequenceKeepsCopiedTextOnClipboard) {
  Copy(u"sel");
  EXPECT_EQ(Normalize(log, true),
            (Log{"release 0xA0", "release 0xA1", "release 0xA4", "release 0xA5", "press 0x11",
                 "pause 20", "press 0x43", "pause 20", "release 0x43", "pause 20", "release 0x11",
                 "pause 20", "open", "close", "pause 20"}));
  EXPECT_EQ(clipboard.text, u"sel");
}

TEST_F(ClipStackTest, ProPasteSequenceWritesOutOfHistoryAndEndsWithTheChord) {
  list.Push(u"item");
  log.clear();
  commands.Paste();
  EXPECT_EQ(Normalize(log),
            (Log{"write \"item\"", "exclude from history", "pause 20", "release 0xA0",
                 "release 0xA1", "release 0xA4", "release 0xA5", "press 0x11", "pause 20",
                 "press 0x56", "pause 20", "release 0x56", "pause 20", "release 0x11"}));
  EXPECT_EQ(clipboard.text, u"item");
}

// The user's own release of Ctrl must not fall between the synthetic Ctrl press and the letter:
// the commands wait for the hotkey's modifiers to be let go, and give up waiting after a second.
TEST_F(ClipStackTest, ChordWaitsUntilTheUserLetsGoOfTheHotkey) {
  keyboard.held_keys = {vk::kControl, vk::kMenu};
  int polls = 0;
  pump.on_process = [&] {
    if (++polls == 3) keyboard.held_keys.clear();
  };
  Copy(u"sel");
  EXPECT_EQ(pump.slept_ms, 3u * 10u + 5u * 40u);  // three polls, then the copy's own pauses
  EXPECT_EQ(Log(log.begin(), log.begin() + 3), (Log{"process", "sleep 10", "process"}));
  EXPECT_EQ(list.Texts(), (Texts{u"sel"}));

  keyboard.held_keys = {vk::kShift};  // held for ever
  pump.on_process = nullptr;
  pump.slept_ms = 0;
  list.Push(u"item");
  EXPECT_TRUE(commands.Paste());
  EXPECT_EQ(app.pasted, (Texts{u"item"}));
  EXPECT_EQ(pump.slept_ms, SyntheticInput::kModifierWaitMs + 4u * 40u);
}

TEST_F(ClipStackTest, CopyKeepsFiftyNewestIncludingItemsAddedByHand) {
  for (int i = 0; i < 51; ++i) Copy(std::u16string(1, static_cast<char16_t>(u'A' + i)));
  ASSERT_EQ(list.Count(), 50u);
  EXPECT_EQ(list.Text(0), std::u16string(1, u'A' + 50));
  EXPECT_EQ(list.Text(49), u"B");
  list.Add(u"new");
  list.Add(u"new");
  EXPECT_EQ(list.Count(), 52u);
  Copy(u"new");
  EXPECT_EQ(list.Count(), 50u);
  EXPECT_EQ(list.Text(49), u"C");
}

TEST_F(ClipStackTest, LetterWithoutKeySends0xFFAndListStillChanges) {
  keyboard.us_layout = false;
  clipboard.SetByOtherApp(u"old");
  Copy(u"ignored");
  EXPECT_EQ(list.Texts(), (Texts{u"old"}));
  Copy(u"ignored");
  clipboard.SetPictureOnly();  // no text: an empty item
  Copy(u"ignored");
  EXPECT_EQ(list.Texts(), (Texts{u"", u"old", u"old"}));
  log.clear();
  commands.Paste();
  EXPECT_EQ(Normalize(log)[9], "press 0xFF");
  EXPECT_TRUE(app.pasted.empty());
  EXPECT_EQ(list.Count(), 2u);
}

TEST_F(ClipStackTest, ClipboardThatCannotBeWrittenKeepsTheItem) {
  list.Push(u"keep");
  clipboard.busy_opens = 1000;
  EXPECT_THROW(commands.Paste(), Error);
  clipboard.busy_opens = 0;
  clipboard.refuse_set = true;
  EXPECT_THROW(commands.Paste(), Error);
  EXPECT_EQ(list.Texts(), (Texts{u"keep"}));
  EXPECT_FALSE(commands.Running());
  EXPECT_TRUE(app.pasted.empty());
}

TEST_F(ClipStackTest, PastedItemIsRemovedWhereverItMovedWhileWaitingForClipboard) {
  list.Push(u"b");
  list.Push(u"a");
  clipboard.busy_opens = 2;
  pump.on_process = [this] {
    pump.on_process = nullptr;
    list.Select(0);
    list.Down();
  };
  commands.Paste();
  EXPECT_EQ(app.pasted, (Texts{u"a"}));
  EXPECT_EQ(list.Texts(), (Texts{u"b"}));
}

TEST_F(ClipStackTest, HotKeysNeedMasterSwitchAndAreIgnoredInsideARunningCommand) {
  list.Push(u"b");
  list.Push(u"a");
  EXPECT_FALSE(commands.CopyHotkeyPressed(false));
  EXPECT_FALSE(commands.PasteHotkeyPressed(false));
  EXPECT_TRUE(log.empty());

  int presses = 0;
  pump.on_process = [&] {
    if (presses++ == 0) {
      EXPECT_FALSE(commands.PasteHotkeyPressed(true));
      EXPECT_FALSE(commands.CopyHotkeyPressed(true));
    }
  };
  EXPECT_TRUE(commands.PasteHotkeyPressed(true));
  EXPECT_EQ(app.pasted, (Texts{u"a"}));
  EXPECT_EQ(list.Texts(), (Texts{u"b"}));
}

class ClipItemListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list.Push(u"c");
    list.Push(u"b");
    list.Push(u"a");
    list.SetOnChanged([this] { ++changes; });
  }
  ClipItemList list;
  int changes = 0;
};

TEST_F(ClipItemListTest, MovesStopAtTheEndsAndSelectionFollowsTheItem) {
  list.Select(0);
  list.Up();
  list.Select(2);
  list.Down();
  EXPECT_EQ(list.Texts(), (Texts{u"a", u"b", u"c"}));
  list.Up();
  EXPECT_EQ(list.Texts(), (Texts{u"a", u"c", u"b"}));
  EXPECT_EQ(list.Selected(), 1);
  list.Select(ClipItemList::kNoItem);
  list.Down();
  list.Delete();
  EXPECT_EQ(list.Texts(), (Texts{u"a", u"c", u"b"}));
  list.Select(0);
  list.Push(u"top");
  EXPECT_EQ(list.Selected(), 1);
  ClipItemList::ItemId id;
  std::u16string text;
  ASSERT_TRUE(list.Top(id, text));
  list.Remove(id);
  list.Remove(id);
  EXPECT_EQ(list.Selected(), 0);
  EXPECT_EQ(list.Count(), 3u);
}

TEST_F(ClipItemListTest, AddKeepsSelectionDeleteSelectsNextThenNewLast) {
  list.Select(1);
  list.Add(u"new");
  EXPECT_EQ(list.Texts(), (Texts{u"a", u"b", u"c", u"new"}));
  EXPECT_EQ(list.Selected(), 1);
  list.Delete();
  EXPECT_EQ(list.Selected(), 1);
  EXPECT_EQ(list.Text(1), u"c");
  list.Select(2);
  EXPECT_TRUE(list.KeyDown(listkey::kDelete));
  EXPECT_EQ(list.Texts(), (Texts{u"a", u"c"}));
  EXPECT_EQ(list.Selected(), 1);
  list.Delete();
  list.Delete();
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.Selected(), ClipItemList::kNoItem);
  EXPECT_FALSE(list.KeyDown(listkey::kDelete));
}

TEST_F(ClipItemListTest, EditorOpensOnSelectedItemStoresAndCancels) {
  list.Click(1);
  EXPECT_FALSE(list.Editing());
  list.Click(1);
  EXPECT_EQ(list.EditingIndex(), 1);
  EXPECT_EQ(list.EditText(), u"b");
  list.SetEditText(u"");
  EXPECT_TRUE(list.KeyDown(listkey::kReturn));  // empty text: the editor stays open
  EXPECT_TRUE(list.Editing());
  list.SetEditText(u"B");
  list.KeyDown(listkey::kReturn);
  EXPECT_FALSE(list.Editing());
  EXPECT_TRUE(list.KeyDown(listkey::kSpace));
  list.SetEditText(u"lost");
  EXPECT_FALSE(list.KeyDown(listkey::kDelete));  // belongs to the editor
  list.KeyDown(listkey::kEscape);
  EXPECT_EQ(list.Text(1), u"B");
  list.KeyDown(listkey::kSpace);
  list.SetEditText(u"");
  list.FocusLost();
  EXPECT_EQ(list.Texts(), (Texts{u"a", u"", u"c"}));
  EXPECT_GT(changes, 0);
}

TEST_F(ClipItemListTest, InsertAppendsEmptyItemAndEditsIt) {
  list.Select(0);
  EXPECT_TRUE(list.KeyDown(listkey::kInsert));
  EXPECT_EQ(list.Texts(), (Texts{u"a", u"b", u"c", u""}));
  EXPECT_EQ(list.Selected(), 3);
  EXPECT_EQ(list.EditingIndex(), 3);
  list.SetEditText(u"d");
  list.Click(0);  // the click takes the focus: stored, then the other item selected
  EXPECT_EQ(list.Text(3), u"d");
  EXPECT_EQ(list.Selected(), 0);
  EXPECT_FALSE(list.Editing());
}

TEST_F(ClipItemListTest, ButtonsStoreTheEditFirstAndRemovalClosesIt) {
  list.Select(2);
  list.KeyDown(listkey::kSpace);
  list.SetEditText(u"C");
  list.Up();
  EXPECT_EQ(list.Texts(), (Texts{u"a", u"C", u"b"}));
  EXPECT_FALSE(list.Editing());

  // The editor stays on its item while a copy pushes items above it ...
  list.Select(0);
  list.KeyDown(listkey::kSpace);
  list.SetEditText(u"dropped");
  list.Push(u"new");
  EXPECT_EQ(list.EditingIndex(), 1);
  // ... and closes, dropping its text, when the item goes off the bottom.
  for (std::size_t i = 1; i < ClipItemList::kCopyLimit; ++i) list.Push(u"more");
  EXPECT_FALSE(list.Editing());
  list.FocusLost();
  const Texts texts = list.Texts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), u"dropped"), 0);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), u"a"), 0);
}

}  // namespace
}  // namespace ravak
