#include "typing/typed_record.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/resource.h"
#include "convert/record_conversion.h"
#include "tests/fakes/fake_desktop.h"

namespace ravak {
namespace {

using testing::FakeDesktop;

constexpr uint16_t kPersian = 0x0429;

// The record kept from the typing, as the program keeps it.
class TypedRecordTest : public ::testing::Test, protected FakeDesktop {
 protected:
  void Persian(bool on) {
    foreground.layout = on ? kPersian : 0x0409;
    typing.field.layout = [this, on](char16_t c) {
      const int i = layout.LookupChar(c, Table::English);
      return on && i < kLayoutSize ? layout.FarsiChars()[static_cast<std::size_t>(i)] : c;
    };
  }
  std::optional<RecordConversion> Run(std::optional<std::u16string> field_line = {}) {
    return ConvertRecordRun(record, layout, field_line);
  }
};

// Typed text, Backspace and line breaks are recorded; anything that moves the caret or whose
// effect is unknown ends the record; a swallowed hotkey never reached the field.
TEST_F(TypedRecordTest, KeepsWhatWasTypedUntilTheCaretMovesByOtherMeans) {
  typing.Type(u"ab\rcdx\b");
  EXPECT_EQ(record.Shown(), u"ab\rcd");
  EXPECT_EQ(record.Shown(record.LineStart()), u"cd");
  Persian(true);
  typing.Type(u"sghl");
  EXPECT_EQ(record.Shown(), u"ab\rcdسلام");
  for (const auto end : {+[](testing::FakeTyping& t) { t.Click(); },
                         +[](testing::FakeTyping& t) { t.Chord(0, 0x25); },  // Left
                         +[](testing::FakeTyping& t) { t.Chord(modifier::kLCtrl, 'Z'); },
                         +[](testing::FakeTyping& t) { t.Type(u"\t"); }}) {
    typing.Type(u"a");
    end(typing);
    EXPECT_TRUE(record.Entries().empty());
  }
  typing.Type(u"a1");  // the digit as the layout types it
  EXPECT_EQ(record.Shown(), u"\u06341");
  Persian(false);
  foreground.layout = 0x0407;  // a third layout (German): its characters are not known
  typing.Type(u"a");
  EXPECT_TRUE(record.Entries().empty());
  foreground.layout = 0x0409;
  for (int i = 0; i < 450; ++i) typing.Type(u"a");
  EXPECT_EQ(record.Entries().size(), TypedRecord::kLimit);
}

// Alt+A from the record: the trailing run back in the other layout, a capital typed with Shift
// on the Persian layout coming back as a capital.
TEST_F(TypedRecordTest, ConvertsTheTrailingRunWhenTheRecordHoldsIt) {
  typing.Type(u"hello ");
  Persian(true);
  typing.Type(u"Return it");
  const std::optional<RecordConversion> run = Run();
  ASSERT_TRUE(run);  // a change of layout lies inside the record
  // From the space after the English word, as Alt+A does; the space, the same in both layouts,
  // is left in place (in a rich editor it keeps its own format).
  EXPECT_EQ(run->text, u"Return it");
  EXPECT_EQ(run->backspaces, 9u);
  // One layout all through: the record must know where its line starts.
  record.End();
  Persian(false);
  typing.Type(u"sghl");
  EXPECT_FALSE(Run());
  // The field can tell what lies before: the run may reach into it, and a field that does not
  // show what the record says is not the field the record is of.
  EXPECT_EQ(Run(u"sghl")->text, u"سلام");
  EXPECT_EQ(Run(u"گفت sghl")->text, u"سلام");
  EXPECT_EQ(Run(u"gtj sghl")->text, u"لفت سلام");
  EXPECT_EQ(Run(u"gtj sghl")->backspaces, 8u);
  EXPECT_EQ(Run(u"gtj sghl")->entries, 4u);
  EXPECT_FALSE(Run(u"other"));
  typing.Type(u"\rsghl");
  EXPECT_EQ(Run()->text, u"سلام");
  EXPECT_EQ(Run()->entries, 4u);
  // The word before the caret, with the spaces after it.
  typing.Type(u" o,fd  ");
  const std::optional<RecordConversion> word = ConvertRecordWord(record, layout, std::nullopt);
  ASSERT_TRUE(word);
  EXPECT_EQ(word->text, u"خوبی  ");
}

// The conversion hotkey erases what was typed and types the conversion: the clipboard is never
// touched, and the record then holds the conversion, so a second press converts it back.
TEST_F(TypedRecordTest, AltAWorksFromTheRecordWithoutTheClipboard) {
  controller.Start();
  controller.SetChecked(*FieldOfControl(IDC_CONVERSION_ENABLED), true);
  clipboard.SetByOtherApp(u"mine");
  const uint32_t sequence = clipboard.sequence;
  typing.Type(u"x\rsghl");
  typing.Chord(modifier::kLAlt, 'A');
  EXPECT_EQ(typing.field.text, u"x\r\nسلام");
  typing.Chord(modifier::kLAlt, 'A');
  EXPECT_EQ(typing.field.text, u"x\r\nsghl");
  EXPECT_EQ(clipboard.sequence, sequence);
}

// The orthography hotkey on what was typed: erased from the first character that changes and
// typed again, the clipboard untouched; with "fix the non-joiners" ticked, Alt+A types the
// non-joiner the English layout could only give as a space.
TEST_F(TypedRecordTest, OrthographyAndNonJoinersAreFixedFromTheRecord) {
  controller.Start();
  controller.SetChecked(*FieldOfControl(IDC_CONVERSION_ENABLED), true);
  const uint32_t sequence = clipboard.sequence;
  Persian(true);
  typing.Type(u";jhf ih");
  EXPECT_EQ(typing.field.text, u"کتاب ها");
  log.clear();
  typing.Chord(modifier::kLCtrl | modifier::kLAlt, 0x91);  // Scroll Lock
  EXPECT_EQ(typing.field.text, u"کتاب\u200Cها");
  EXPECT_EQ(std::count(log.begin(), log.end(), "press 0x08"), 3);  // " ها" only
  typing.Chord(modifier::kLCtrl | modifier::kLAlt, 0x91);          // nothing left to fix
  EXPECT_EQ(typing.field.text, u"کتاب\u200Cها");

  Persian(false);
  typing.Type(u"\rld v,l");
  typing.Chord(modifier::kLAlt, 'A');
  EXPECT_EQ(typing.field.text, u"کتاب\u200Cها\r\nمی روم");
  controller.SetChecked(*FieldOfControl(IDC_FIX_NON_JOINERS), true);
  typing.Type(u" ld v,l");
  typing.Chord(modifier::kLAlt, 'A');
  EXPECT_EQ(typing.field.text, u"کتاب\u200Cها\r\nمی روم می\u200Cروم");
  EXPECT_EQ(clipboard.sequence, sequence);
}

// What the record says was typed is erased only where the field agrees: a field that refused
// the keys (it takes digits only) keeps its text, and the line goes the clipboard's way, which
// finds nothing to cut. A dead key and the key after it, and another program's Unicode input,
// end the record: what the field got for them is not what the keys type alone.
TEST_F(TypedRecordTest, ErasesOnlyWhatTheFieldAgreesWith) {
  controller.Start();
  controller.SetChecked(*FieldOfControl(IDC_CONVERSION_ENABLED), true);
  foreground.readable = &typing.field;
  typing.field.accepts = [](char16_t c) { return c >= u'0' && c <= u'9'; };
  typing.Type(u"12sghl");
  EXPECT_EQ(record.Shown(), u"12sghl");
  typing.Chord(modifier::kLAlt, 'A');
  EXPECT_EQ(typing.field.text, u"12");
  EXPECT_EQ(std::count(log.begin(), log.end(), "press 0x08"), 0);

  typing.field.accepts = nullptr;
  typing.dead_key = [](uint8_t vk) { return vk == 0xDE; };  // the apostrophe, as on US-Intl
  typing.Type(u"ab'e");
  EXPECT_TRUE(record.Entries().empty());
  typing.Type(u"cd");
  EXPECT_EQ(record.Shown(), u"cd");
  typing.Event(0xE7, false);  // VK_PACKET: text another program typed
  EXPECT_TRUE(record.Entries().empty());
}

// A modifier let go where the hook could not see it (an elevated window had the keyboard) is
// taken as let go at the next key: the keys are not chords, and no conversion's settle presses
// it again.
TEST_F(TypedRecordTest, AModifierReleasedUnseenIsLetGo) {
  controller.Start();
  controller.SetChecked(*FieldOfControl(IDC_CONVERSION_ENABLED), true);
  typing.Event(vk::kLShift, false);
  typing.ReleasedUnseen(vk::kLShift);
  typing.Type(u"x\rsghl");
  EXPECT_EQ(record.Shown(), u"x\rsghl");
  log.clear();
  typing.Chord(modifier::kLAlt, 'A');
  EXPECT_EQ(typing.field.text, u"x\r\nسلام");
  EXPECT_EQ(std::count(log.begin(), log.end(), "press 0xA0"), 0);
}

// A click after a word's end, while its switch still waits behind a busy moment, drops the
// switch: its Backspaces would land in whatever the click chose. So does another window coming
// in front by itself before a keyword's replacement is carried out.
TEST_F(TypedRecordTest, AnActionWhoseMomentPassedIsDropped) {
  controller.Start();
  controller.SetChecked(*FieldOfControl(IDC_AUTO_DETECT), true);
  typing.busy = true;
  typing.Type(u"sghl ");
  typing.Click();
  typing.Idle();
  EXPECT_EQ(typing.field.text, u"sghl ");
  typing.Type(u"o,fd ");
  foreground.window = 2;
  typing.Idle();
  EXPECT_EQ(typing.field.text, u"sghl o,fd ");
  typing.busy = false;
  typing.Type(u"sghl ");  // typed in the window in front: switched
  EXPECT_EQ(typing.field.text, u"sghl o,fd سلام ");
}

}  // namespace
}  // namespace ravak
