#include "clipstack/clip_stack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "platform/error.h"
#include "tests/fakes/fake_system.h"

namespace ravak {
namespace {

using testing::FakeClipboard;
using testing::FakeKeyboard;
using testing::FakeKeyHold;
using testing::FakePump;
using testing::Log;
using testing::Normalize;
using Texts = std::vector<std::u16string>;

// The foreground application: Ctrl+C puts its selection on the clipboard, Ctrl+V appends the
// clipboard text to its document. A slow one acts on a chord only after that many waits.
class FakeApp {
 public:
  FakeApp(FakeKeyboard& keyboard, FakePump& pump, FakeClipboard& clipboard)
      : clipboard_(clipboard) {
    keyboard.on_key = [this](uint8_t vk, bool down) {
      if (vk == vk::kControl) ctrl_ = down;
      if (!down || !ctrl_) return;
      if (vk == 0x43) pending_ = [this] { clipboard_.SetByOtherApp(selection); };
      if (vk == 0x56)
        pending_ = [this] {
          if (clipboard_.has_text) pasted.push_back(clipboard_.PasteByOtherApp());
        };
      waits_ = slow_waits;
      Act();
    };
    pump.on_process = [this] { Act(); };
  }
  std::u16string selection;
  Texts pasted;
  int slow_waits = 0;  // -1: never acts

 private:
  void Act() {
    if (!pending_ || slow_waits < 0 || waits_-- > 0) return;
    std::exchange(pending_, nullptr)();
  }
  FakeClipboard& clipboard_;
  bool ctrl_ = false;
  int waits_ = 0;
  std::function<void()> pending_;
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
  FakeKeyHold hold{log};
  SyntheticInput input{keyboard, pump, hold, [] { return false; }};
  ClipboardText text{clipboard, pump};
  ClipItemList list;
  AdvancedCopyPaste commands{list, input, text};
  FakeApp app{keyboard, pump, clipboard};
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

// The hotkey's modifiers are let go (the mask key first, so no menu opens), the chord is sent
// while the user's keys are held, and the copied text is read once it has landed.
TEST_F(ClipStackTest, CopySequenceHoldsTheUsersKeysAndKeepsTheCopiedText) {
  app.selection = u"sel";
  commands.Copy(ShiftState{false, true, true});
  EXPECT_EQ(Normalize(log),
            (Log{"hold", "press 0xE8", "release 0xE8", "release 0xA4", "release 0xA5 ext",
                 "release 0xA2", "release 0xA3 ext", "press 0x11", "process", "press 0x43",
                 "process", "release 0x43", "process", "release 0x11", "let go"}));
  EXPECT_EQ(clipboard.text, u"sel");
  EXPECT_EQ(list.Texts(), (Texts{u"sel"}));
}

TEST_F(ClipStackTest, PasteOffersTheItemAndGivesTheUsersClipboardBackOnceRead) {
  clipboard.SetByOtherApp(u"mine");
  clipboard.AddByOtherApp(clipformat::kDib, FakeClipboard::Picture());
  list.Push(u"item");
  log.clear();
  commands.Paste();
  EXPECT_EQ(Normalize(log),
            (Log{"hold", "offer \"item\"", "exclude from history", "press 0x11", "process",
                 "press 0x56", "process", "release 0x56", "process", "release 0x11",
                 "write \"mine\"", "write 0x08 (48 bytes)", "let go"}));
  EXPECT_EQ(app.pasted, (Texts{u"item"}));
  EXPECT_EQ(clipboard.text, u"mine");
  EXPECT_NE(clipboard.Data(clipformat::kDib), nullptr);
}

// A slow application copies and pastes late: the commands wait for it, a second at most.
TEST_F(ClipStackTest, WaitsForASlowApplicationButNotForEver) {
  app.slow_waits = 40;
  Copy(u"late");
  EXPECT_EQ(list.Texts(), (Texts{u"late"}));
  EXPECT_LT(pump.slept_ms, 200u);

  commands.Paste();
  EXPECT_EQ(app.pasted, (Texts{u"late"}));
  EXPECT_EQ(clipboard.text, u"late");  // the copy left it there; the paste gave it back

  app.slow_waits = -1;  // copies nothing, never pastes
  clipboard.SetByOtherApp(u"old");
  pump.slept_ms = 0;
  Copy(u"never");
  EXPECT_EQ(list.Texts(), (Texts{u"old"}));
  EXPECT_EQ(pump.slept_ms, ClipboardText::kApplicationWaitMs);
  pump.slept_ms = 0;
  commands.Paste();
  EXPECT_TRUE(app.pasted.size() == 1);
  EXPECT_EQ(clipboard.text, u"old");
  EXPECT_EQ(pump.slept_ms, ClipboardText::kApplicationWaitMs);
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

// An application that copies nothing: the clipboard is taken as it stands.
TEST_F(ClipStackTest, NothingCopiedTakesTheClipboardAsItStands) {
  app.slow_waits = -1;
  clipboard.SetByOtherApp(u"old");
  Copy(u"ignored");
  clipboard.SetPictureOnly();  // no text: an empty item
  Copy(u"ignored");
  EXPECT_EQ(list.Texts(), (Texts{u"", u"old"}));
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
