#include "livefix/live_fix.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/resource.h"
#include "tests/fakes/fake_desktop.h"

namespace ravak {
namespace {

using testing::FakeDesktop;

constexpr uint16_t kPersian = 0x0429;
constexpr char16_t kZwnj = u'\u200C';

// The user types into a standard edit, which Ravak can read, with the fixes as typed on.
class LiveFixTest : public ::testing::Test, protected FakeDesktop {
 protected:
  LiveFixTest() {
    controller.Start();
    settings.fix_as_typed = true;
    foreground.readable = &typing.field;
  }
  void Persian(bool on) {
    foreground.layout = on ? kPersian : 0x0409;
    typing.field.layout = [this, on](char16_t c) {
      const int i = layout.LookupChar(c, Table::English);
      return on && i < kLayoutSize ? layout.FarsiChars()[static_cast<std::size_t>(i)] : c;
    };
  }
  long Typed() const {
    return std::count_if(log.begin(), log.end(),
                         [](const std::string& e) { return e.rfind("type ", 0) == 0; });
  }
  const std::u16string& Text() const { return typing.field.text; }
  std::u16string Fixed(std::u16string text) {
    std::replace(text.begin(), text.end(), u'_', kZwnj);
    return text;
  }
};

// Each Persian word is fixed as a space, punctuation, Tab or Enter ends it, from the first
// character that changes, the clipboard untouched; keys typed on meanwhile follow in order.
TEST_F(LiveFixTest, PersianWordsAreFixedAsEachEndsAndLaterKeysFollow) {
  Persian(true);
  const uint32_t sequence = clipboard.sequence;
  typing.Type(u"ld v,l ");
  EXPECT_EQ(Text(), Fixed(u"می_روم "));
  EXPECT_EQ(std::count(log.begin(), log.end(), "press 0x08"), 5);  // " روم " only
  typing.Type(u";jhf ih.");
  EXPECT_EQ(Text(), Fixed(u"می_روم کتاب_ها."));
  typing.Type(u"\rldv,l\r");
  EXPECT_EQ(Text(), Fixed(u"می_روم کتاب_ها.\r\nمی_روم\r\n"));  // Enter after the fix
  EXPECT_EQ(log.back(), "release 0x0D");
  EXPECT_EQ(clipboard.sequence, sequence);

  // A fast typist: every key after a word end waits for its fix, then comes in order.
  typing.field.Show(u"");
  typing.busy = true;
  typing.Type(u"\rld v,l ;jhf ih fn");
  typing.busy = false;
  typing.Idle();
  EXPECT_EQ(Text(), Fixed(u"\r\nمی_روم کتاب_ها بد"));
  EXPECT_FALSE(typing.gate.Holding());

  // An English word, and a Persian one that needs nothing, hold nothing up.
  Persian(false);
  log.clear();
  typing.Type(u" hello ");
  Persian(true);
  typing.Type(u"sghl ");
  EXPECT_EQ(Typed(), 0);
}

// Words typed before the record began (there before a click, pasted) decide nothing: the first
// word of the record may be the end of one; where the record holds the line, all is known.
TEST_F(LiveFixTest, WordsTheRecordDoesNotHoldAreLeftAlone) {
  Persian(true);
  typing.field.Show(u"سمی");
  typing.Type(u" v,l ");
  typing.Click();
  typing.Type(u"ld v,l ");
  EXPECT_EQ(Text(), u"سمی روم می روم ");
  typing.Type(u";jhf ih ");
  EXPECT_EQ(Text(), Fixed(u"سمی روم می روم کتاب_ها "));
  // A field that cannot be read: only a line break typed tells where the line starts.
  foreground.readable = nullptr;
  typing.field.Show(u"");
  typing.Click();
  typing.Type(u"ld v,l \rld v,l ");
  EXPECT_EQ(Text(), Fixed(u"می روم \r\nمی_روم "));
  // A field that shows something else than what was typed is not retyped.
  foreground.readable = &typing.field;
  typing.Type(u"ld v,l");
  typing.field.Show(u"other");
  typing.Type(u" ");
  EXPECT_EQ(Text(), u"other ");
}

TEST_F(LiveFixTest, PasswordsListedAndFullScreenProgramsAndTheSwitchesKeepItOut) {
  Persian(true);
  const std::function<void(bool)> keep_outs[] = {
      [this](bool out) { foreground.password = out; },
      [this](bool out) { settings.excluded_programs = {out ? u"notepad.exe" : u"other.exe"}; },
      [this](bool out) { foreground.full_screen = out; },
      [this](bool out) { master.on = !out; },
      [this](bool out) { settings.fix_as_typed = !out; },
  };
  for (const auto& keep_out : keep_outs) {
    typing.field.Show(u"");
    typing.Type(u"\r");
    keep_out(true);
    typing.Type(u"ld v,l ");
    keep_out(false);
    typing.Type(u"\b");  // and no undo of a fix never made
    EXPECT_EQ(Text(), u"\r\nمی روم");
  }
}

// Backspace right after a fix brings the text back as typed and remembers it: it is listed with
// the exceptions, kept in the store at once, and never fixed again.
TEST_F(LiveFixTest, BackspaceRightAfterAFixUndoesItForGood) {
  Persian(true);
  foreground.caret = ScreenRect{100, 200, 101, 216};
  typing.Type(u"\rld v,l ");
  EXPECT_EQ(switch_mark.shown, u"می روم");  // the mark names what was typed
  EXPECT_EQ(switch_mark.at, foreground.caret);
  typing.Type(u"\b");
  EXPECT_FALSE(switch_mark.shown);
  EXPECT_EQ(Text(), u"\r\nمی روم ");
  EXPECT_EQ(controller.Exceptions(), (std::vector<std::u16string>{u"می روم"}));
  const RegistryValue* stored =
      registry.Get(u"Software\\Tirnak\\Ravak\\General", u"lstFixExceptions.Items_Count");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->data[0], 1);
  typing.Type(u"ld v,l ");
  EXPECT_EQ(Text(), u"\r\nمی روم می روم ");
  // A Backspace after any other key, or with Ctrl, is the application's.
  typing.Type(u";jhf ih x\b\b");
  typing.Chord(modifier::kLCtrl, vk::kBack);
  EXPECT_EQ(Text(), Fixed(u"\r\nمی روم می روم کتاب_ه"));

  // Removed from the list, it is fixed again.
  controller.RemoveException(u"می روم");
  EXPECT_TRUE(controller.Exceptions().empty());
  typing.Type(u"\rld v,l ");
  EXPECT_EQ(Text(), Fixed(u"\r\nمی روم می روم کتاب_ه\r\nمی_روم "));
}

// With detection on, a word typed on the English layout is switched and fixed in one retyping;
// the Backspace after it takes back the fix, and the switch stays. Alt+A types its Persian text
// fixed too, each word that ends in it.
TEST_F(LiveFixTest, SwitchedAndConvertedWordsAreFixedInTheSameRetyping) {
  settings.auto_detect = true;
  typing.Type(u"\rld v,l ");
  EXPECT_EQ(Text(), Fixed(u"\r\nمی_روم "));
  EXPECT_EQ(Typed(), 2);  // می, then روم with the non-joiner before it
  typing.Type(u"\b");
  EXPECT_EQ(Text(), u"\r\nمی روم ");
  EXPECT_EQ(autoswitch.Exceptions().Size(), 0u);
  EXPECT_TRUE(live_fix.Exceptions().Contains(u"می روم"));
  typing.Type(u";jhf ih\r");
  EXPECT_EQ(Text(), Fixed(u"\r\nمی روم کتاب_ها\r\n"));

  settings.auto_detect = false;
  controller.SetChecked(*FieldOfControl(IDC_CONVERSION_ENABLED), true);
  typing.Type(u";jhf ih ");
  typing.Chord(modifier::kLAlt, 'A');
  EXPECT_EQ(Text(), Fixed(u"\r\nمی روم کتاب_ها\r\nکتاب_ها "));
  typing.Type(u"\r;jhf ih");
  typing.Chord(modifier::kLAlt, 'A');
  typing.Type(u" ");
  EXPECT_EQ(Text(), Fixed(u"\r\nمی روم کتاب_ها\r\nکتاب_ها \r\nکتاب_ها "));
}

}  // namespace
}  // namespace ravak
