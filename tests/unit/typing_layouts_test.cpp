#include "convert/typing_layouts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/resource.h"
#include "keyboard/builtin_layouts.h"
#include "tests/fakes/fake_desktop.h"

namespace ravak {
namespace {

using testing::FakeDesktop;

constexpr LayoutId kDvorak = 0x00010409, kArabic = 0x00000401;

// Typists on the keyboards they have, the whole program over fakes: the system lists the layouts
// it has, the window in front types with one of them, and the field shows what that layout types.
class TypingLayoutsTest : public ::testing::Test, protected FakeDesktop {
 protected:
  LayoutHandle Install(LayoutId id) { return installed_layouts.Install(*BuiltinLayout(id)); }
  void Start(int checked_control = IDC_CONVERSION_ENABLED) {
    controller.Start();
    controller.SetChecked(*FieldOfControl(checked_control), true);
  }
  // The window types with the layout from now on.
  void TypeWith(LayoutHandle handle) {
    foreground.layout = static_cast<uint32_t>(handle);
    for (const auto& i : installed_layouts.installed) {
      if (i.handle == handle) typing.field.types_with = BuiltinLayout(i.layout.id);
    }
  }
  void TypeOn(LayoutHandle handle, std::u16string_view text) {
    TypeWith(handle);
    typing.TypeOn(*typing.field.types_with, text);
  }
  void AltA() { typing.Chord(modifier::kLAlt, 'A'); }
  bool ChordSent() const {
    return std::find(log.begin(), log.end(), "press 0xA5 ext") != log.end();
  }
};

// A Persian (Standard) typist: mnv typed on the English layout meaning پدر converts to it; on the
// Standard layout the record holds what the field got, Persian digits and the non-joiner of
// Shift+Space included, and Alt+A gives the keys back on the Latin layout.
TEST_F(TypingLayoutsTest, StandardTypistConvertsByTheKeysOfTheStandardLayout) {
  const LayoutHandle us = Install(kUsLayout);
  const LayoutHandle standard = Install(kPersianStandardLayout);
  Start();
  TypeOn(us, u"\rmnv");
  AltA();
  EXPECT_EQ(typing.field.text, u"\r\nپدر");

  TypeOn(standard, u"\rمی");
  typing.Event(vk::kLShift, false);
  typing.Event(0x20, false, scan::kSpace);
  typing.Event(0x20, true, scan::kSpace);
  typing.Event(vk::kLShift, true);
  TypeOn(standard, u"روم ۱۲");
  EXPECT_EQ(typing.field.text, u"\r\nپدر\r\nمی\u200Cروم ۱۲");
  EXPECT_EQ(record.Shown(record.LineStart()), u"می\u200Cروم ۱۲");
  AltA();  // the non-joiner back to the space bar
  EXPECT_EQ(typing.field.text, u"\r\nپدر\r\nld v,l 12");
}

// A Dvorak typist's fingers type oidn where a US typist's type sghl: both meant سلام, and
// detection and Alt+A read them through the Dvorak layout.
TEST_F(TypingLayoutsTest, DvorakTypistsWordsSwitchAndConvertByTheirKeys) {
  const LayoutHandle dvorak = Install(kDvorak);
  Install(kPersianLayout);
  Start(IDC_AUTO_DETECT);
  controller.SetChecked(*FieldOfControl(IDC_CONVERSION_ENABLED), true);
  TypeOn(dvorak, u"oidn hello ");
  EXPECT_EQ(typing.field.text, u"سلام hello ");
  TypeOn(dvorak, u"\roidn");
  EXPECT_EQ(record.Shown(record.LineStart()), u"oidn");
  AltA();
  EXPECT_EQ(typing.field.text, u"سلام hello \r\nسلام");
}

// On a third layout (Arabic) the words typed stand: none is switched, Alt+A converts nothing and
// the record ends. What the Persian layout typed before was switched and converted as usual.
TEST_F(TypingLayoutsTest, AThirdLayoutIsLeftAlone) {
  Install(kUsLayout);
  const LayoutHandle persian = Install(kPersianLayout);
  const LayoutHandle arabic = Install(kArabic);
  Start(IDC_AUTO_DETECT);
  controller.SetChecked(*FieldOfControl(IDC_CONVERSION_ENABLED), true);
  TypeOn(persian, u"اثممخ ");
  EXPECT_EQ(typing.field.text, u"hello ");
  TypeOn(arabic, u"خوبي ");  // the keys of o,fd
  EXPECT_EQ(typing.field.text, u"hello خوبي ");
  EXPECT_TRUE(record.Entries().empty());
  log.clear();
  AltA();
  EXPECT_EQ(typing.field.text, u"hello خوبي ");
  EXPECT_TRUE(std::none_of(log.begin(), log.end(),
                           [](const std::string& e) { return e.rfind("press", 0) == 0; }));
}

// With the language change on, the window is asked for the layout meant, among three; Alt+Shift
// serves only where it refuses, or where that layout is a built-in table. Keys typed on while
// it changed count as typed on the new layout.
TEST_F(TypingLayoutsTest, TheLanguageChangeAsksForTheLayoutMeant) {
  const LayoutHandle us = Install(kUsLayout);
  Install(kArabic);
  const LayoutHandle standard = Install(kPersianStandardLayout);
  installed_layouts.on_request = [this](LayoutHandle h) { TypeWith(h); };
  Start();
  controller.SetChecked(*FieldOfControl(IDC_SWITCH_LANGUAGE), true);
  TypeOn(us, u"\rsghl");
  typing.busy = true;
  AltA();
  typing.Type(u" o,fd");  // held until the change, then typed on the Standard layout
  typing.busy = false;
  typing.Idle();
  EXPECT_EQ(installed_layouts.requests, (std::vector<LayoutHandle>{standard}));
  EXPECT_EQ(foreground.layout, static_cast<uint32_t>(standard));
  EXPECT_EQ(typing.field.text, u"\r\nسلام خوبی");
  EXPECT_EQ(record.Shown(record.LineStart()), u"سلام خوبی");
  EXPECT_FALSE(ChordSent());

  installed_layouts.answer = LayoutRequest::kUnanswered;  // it may still take it: no chord
  AltA();
  EXPECT_EQ(typing.field.text, u"\r\nsghl o,fd");
  EXPECT_EQ(installed_layouts.requests.back(), us);
  EXPECT_FALSE(ChordSent());
  TypeWith(us);  // it took it later
  installed_layouts.answer = LayoutRequest::kRefused;
  AltA();
  EXPECT_EQ(installed_layouts.requests.back(), standard);
  EXPECT_TRUE(ChordSent());

  // Without a Persian layout installed, the built-in table's: Alt+Shift.
  installed_layouts.installed.pop_back();
  log.clear();
  TypeOn(us, u"\rsghl");
  AltA();
  EXPECT_TRUE(ChordSent());
}

}  // namespace
}  // namespace ravak
