#include "app/settings_controller.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "keyboard/builtin_layouts.h"
#include "tests/fakes/fake_desktop.h"

namespace ravak {
namespace {

using testing::FakeDesktop;
using testing::MemoryRegistry;
using Errors = std::vector<std::string>;

constexpr char16_t kGeneral[] = u"Software\\Tirnak\\Ravak\\General";
constexpr char16_t kAutoCorrect[] = u"Software\\Tirnak\\Ravak\\AutoCorrect";

const SettingsField& Field(int control) {
  return *FieldOfControl(control);
}

class SettingsControllerTest : public ::testing::Test, protected FakeDesktop {
 protected:
  std::u16string Text(const char16_t* section, const std::u16string& name) {
    const RegistryValue* v = registry.Get(section, name);
    if (!v || v->type != kRegSz) return u"<none>";
    std::u16string s;
    for (std::size_t i = 0; i + 1 < v->data.size(); i += 2) {
      s += static_cast<char16_t>(v->data[i] | (v->data[i + 1] << 8));
    }
    while (!s.empty() && s.back() == u'\0') s.pop_back();
    return s;
  }
  HotkeyEdits Edits() const {
    return {settings.conversion_hotkey, settings.copy_hotkey,      settings.paste_hotkey,
            settings.selection_hotkey,  settings.last_word_hotkey, settings.orthography_hotkey};
  }
  void Check(int control, bool checked) { controller.SetChecked(Field(control), checked); }
};

TEST_F(SettingsControllerTest, FreshStartRegistersNothingAndShowsDefaults) {
  controller.Start();
  EXPECT_TRUE(registry.HasKey(u"Software\\Tirnak\\Ravak"));  // created by the first load
  EXPECT_FALSE(registry.HasKey(kGeneral));
  // Conversion is off, so Alt+A stays with the other programs; copy and paste are off too.
  EXPECT_TRUE(hotkeys.registered.empty());
  EXPECT_EQ(settings, Settings());
  EXPECT_EQ(controller.ShownKeyboardType(), KeyboardType::kWindowsDefault);
  EXPECT_EQ(layout.FarsiChars()[32], u'\u067E');
  EXPECT_TRUE(master.on);
}

TEST_F(SettingsControllerTest, TickingConversionRegistersAltAAtOnceAndOkStoresIt) {
  controller.Start();
  Check(IDC_CONVERSION_ENABLED, true);
  EXPECT_TRUE(hotkeys.IsRegistered(kModAlt, 0x41));  // at once, before OK
  controller.Apply(Edits());
  EXPECT_TRUE(hotkeys.IsRegistered(kModAlt, 0x41));
  // The selection's and the last word's conversions come with it: Alt+Scroll Lock, Alt+Pause.
  EXPECT_TRUE(hotkeys.IsRegistered(kModAlt, 0x91));
  EXPECT_TRUE(hotkeys.IsRegistered(kModAlt, 0x13));
  // And the orthography fix: Ctrl+Alt+Scroll Lock.
  EXPECT_TRUE(hotkeys.IsRegistered(kModAlt | kModControl, 0x91));
  EXPECT_EQ(hotkeys.registered.size(), 4u);
  EXPECT_EQ(Text(kGeneral, u"chkRavak.Checked"), u"True");
  EXPECT_EQ(registry.Get(kGeneral, u"hk1.HotKey")->type, kRegDword);
  EXPECT_EQ(Text(kAutoCorrect, u"chkACEN.Checked"), u"False");

  Check(IDC_CONVERSION_ENABLED, false);
  EXPECT_TRUE(hotkeys.registered.empty());
  controller.Apply(Edits());  // registers by the setting: still nothing
  EXPECT_TRUE(hotkeys.registered.empty());
}

TEST_F(SettingsControllerTest, StoredSettingsLoadAndBadValuesAreReported) {
  registry.Put(kGeneral, u"chkRavak.Checked", MemoryRegistry::TextValue(u"true"));
  registry.Put(kGeneral, u"chkActivePro.Checked", MemoryRegistry::TextValue(u"TRUE"));
  registry.Put(kGeneral, u"hk1.HotKey", MemoryRegistry::TextValue(u"49238"));
  registry.Put(kGeneral, u"lblKey.Tag", MemoryRegistry::DwordValue(2));
  registry.Put(kGeneral, u"chkShowTips.Checked", MemoryRegistry::TextValue(u"1"));
  registry.Put(kGeneral, u"chkSlowSystem.Checked", MemoryRegistry::TextValue(u"True"));
  controller.Start();
  EXPECT_TRUE(settings.conversion_enabled);
  EXPECT_TRUE(settings.slow_system);  // loading went on after the bad Boolean
  EXPECT_FALSE(settings.saying_at_start);
  EXPECT_EQ(hotkeys.errors, (Errors{"Invalid property element: 1"}));
  EXPECT_EQ(settings.conversion_hotkey, 49238);
  EXPECT_TRUE(hotkeys.IsRegistered(kModControl | kModAlt, 0x56));    // from the text value
  EXPECT_TRUE(hotkeys.IsRegistered(kModControl | kModAlt, 0x43));    // copy
  EXPECT_EQ(settings.keyboard_type, KeyboardType::kWindowsDefault);  // 2 is shown and used as 1
  controller.Apply(Edits());
  EXPECT_EQ(Text(kGeneral, u"hk1.HotKey"), u"49238");  // text values stay text
  EXPECT_EQ(registry.Get(kGeneral, u"lblKey.Tag")->data[0], 1);
}

TEST_F(SettingsControllerTest, OkMovesTheHotkeysToTheEditsAndCancelLeavesThem) {
  registry.Put(kGeneral, u"chkRavak.Checked", MemoryRegistry::TextValue(u"True"));
  controller.Start();
  controller.Apply({0x8042, settings.copy_hotkey, settings.paste_hotkey});  // Alt+B
  EXPECT_TRUE(hotkeys.IsRegistered(kModAlt, 'B'));
  EXPECT_FALSE(hotkeys.IsRegistered(kModAlt, 'A'));
  EXPECT_EQ(registry.Get(kGeneral, u"hk1.HotKey")->data[0], 0x42);
  controller.Cancel();
  EXPECT_EQ(settings.conversion_hotkey, 0x8042);
  EXPECT_TRUE(hotkeys.IsRegistered(kModAlt, 'B'));
}

TEST_F(SettingsControllerTest, StoredShortcutsGoThroughTheEditRules) {
  registry.Put(kGeneral, u"chkRavak.Checked", MemoryRegistry::TextValue(u"True"));
  registry.Put(kGeneral, u"chkActivePro.Checked", MemoryRegistry::TextValue(u"True"));
  // Key bits 8-12 and no modifier; Shift alone; no key at all.
  registry.Put(kGeneral, u"hk1.HotKey", MemoryRegistry::DwordValue(0x1F41));
  registry.Put(kGeneral, u"hkProCopy.HotKey", MemoryRegistry::DwordValue(0x2043));
  registry.Put(kGeneral, u"hkProPaste.HotKey", MemoryRegistry::DwordValue(0x10000));
  controller.Start();
  EXPECT_EQ(settings.conversion_hotkey, 0x8041);
  EXPECT_TRUE(hotkeys.IsRegistered(kModAlt, 'A'));
  EXPECT_EQ(settings.copy_hotkey, 0xC043);
  EXPECT_TRUE(hotkeys.IsRegistered(kModControl | kModAlt, 'C'));
  EXPECT_EQ(settings.paste_hotkey, 0);
}

TEST_F(SettingsControllerTest, CancelRestoresStoredValuesAndKeyboardType) {
  registry.Put(kGeneral, u"lblKey.Tag", MemoryRegistry::DwordValue(1));
  registry.Put(kGeneral, u"chkAutoChangeLng.Checked", MemoryRegistry::TextValue(u"False"));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(3));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[0]", MemoryRegistry::TextValue(u"after"));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[1]", MemoryRegistry::TextValue(u"before"));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[2]", MemoryRegistry::TextValue(u"kw"));
  controller.Start();
  EXPECT_EQ(autocorrect.List().Size(), 1u);
  controller.ChooseKeyboardType(KeyboardType::kFarsi);
  EXPECT_EQ(controller.ShownKeyboardType(), KeyboardType::kFarsi);
  EXPECT_EQ(layout.FarsiChars()[32], u'\u0698');
  Check(IDC_SWITCH_LANGUAGE, true);
  autocorrect.List().Clear();
  controller.Cancel();
  EXPECT_EQ(settings.keyboard_type, KeyboardType::kWindowsDefault);
  EXPECT_EQ(controller.ShownKeyboardType(), KeyboardType::kWindowsDefault);
  EXPECT_EQ(layout.FarsiChars()[32], u'\u067E');
  EXPECT_FALSE(settings.switch_language);
  EXPECT_EQ(autocorrect.List().Size(), 1u);
}

// The Persian layout the system has takes the map, read again once the list has changed; the
// keyboard type then decides none of its keys.
TEST_F(SettingsControllerTest, ConvertsWithThePersianLayoutTheSystemHas) {
  controller.Start();
  EXPECT_TRUE(controller.KeyboardTypeMatters());
  installed_layouts.Install(*BuiltinLayout(kPersianStandardLayout));
  controller.ChooseKeyboardType(KeyboardType::kFarsi);
  EXPECT_EQ(controller.Keyboards().persian.id, kPersianStandardLayout);
  EXPECT_FALSE(controller.KeyboardTypeMatters());
  EXPECT_EQ(layout.ConvertTrailingRun(u"mnv"), u"پدر");
}

TEST_F(SettingsControllerTest, KeyboardDialogClosedChangesNothingAndUnknownTypeKeepsLabel) {
  registry.Put(kGeneral, u"lblKey.Tag", MemoryRegistry::DwordValue(4));
  controller.Start();
  EXPECT_EQ(controller.ShownKeyboardType(), std::nullopt);
  EXPECT_EQ(layout.FarsiChars()[32], u'\u0698');
  controller.ChooseKeyboardType(std::nullopt);
  EXPECT_EQ(static_cast<int>(settings.keyboard_type), 4);
  controller.ChooseKeyboardType(KeyboardType::kWindowsDefault);
  EXPECT_EQ(controller.ShownKeyboardType(), KeyboardType::kWindowsDefault);
}

TEST_F(SettingsControllerTest, ExitSavesGeneralWithUnappliedEditsOnly) {
  controller.Start();
  Check(IDC_AUTOCORRECT_ENABLED, true);
  controller.Exit({0x8042, settings.copy_hotkey, settings.paste_hotkey});
  EXPECT_EQ(registry.Get(kGeneral, u"hk1.HotKey")->data[0], 0x42);
  EXPECT_EQ(Text(kGeneral, u"chkACEN.Checked"), u"True");
  EXPECT_FALSE(registry.HasKey(kAutoCorrect));
  EXPECT_TRUE(hotkeys.registered.empty());  // not applied
}

TEST_F(SettingsControllerTest, MasterSwitchSilencesRegisteredHotkeys) {
  registry.Put(kGeneral, u"chkRavak.Checked", MemoryRegistry::TextValue(u"True"));
  controller.Start();
  Check(IDC_COPY_STACK_ENABLED, true);
  clipboard.SetByOtherApp(u"copied");
  master.on = false;
  log.clear();
  hotkeys.Press(kModAlt, 0x41);
  hotkeys.Press(kModControl | kModAlt, 0x43);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(copy_stack.List().Count(), 0u);
  EXPECT_TRUE(hotkeys.IsRegistered(kModAlt, 0x41));  // still taken from other programs
  master.on = true;
  hotkeys.Press(kModControl | kModAlt, 0x43);
  EXPECT_EQ(copy_stack.List().Texts(), (std::vector<std::u16string>{u"copied"}));
  hotkeys.Press(kModAlt, 0x41);
  EXPECT_FALSE(log.empty());  // the conversion ran
}

TEST_F(SettingsControllerTest, StoreErrorOnOkIsRaised) {
  controller.Start();
  registry.refuse_writes = true;
  try {
    controller.Apply(Edits());
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Failed to set data for '", 0), 0u);
  }
}

TEST_F(SettingsControllerTest, LoadErrorsLeaveDefaultsAndTheSayingAtStart) {
  registry.Put(kGeneral, u"chkShowTips.Checked", MemoryRegistry::TextValue(u"True"));
  registry.Put(kGeneral, u"hk1.HotKey", RegistryValue{kRegBinary, {1, 2}});
  controller.Start();
  EXPECT_TRUE(settings.saying_at_start);
  EXPECT_EQ(hotkeys.errors, (Errors{"Invalid data type for 'hk1.HotKey'"}));
  EXPECT_EQ(settings.conversion_hotkey, 32833);
}

TEST_F(SettingsControllerTest, AutoCorrectListRoundTripsAndRunsOnlyWhenSwitchedOn) {
  registry.Put(kAutoCorrect, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(4));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[0]", MemoryRegistry::TextValue(u""));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[1]", MemoryRegistry::TextValue(u"hello"));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[2]", MemoryRegistry::TextValue(u"hi"));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[3]", MemoryRegistry::TextValue(u"stray"));
  controller.Start();
  ASSERT_EQ(autocorrect.List().Size(), 2u);  // the incomplete last group is kept
  log.clear();
  typing.Type(u"hi ");
  EXPECT_TRUE(log.empty());  // auto-correct is off
  Check(IDC_AUTOCORRECT_ENABLED, true);
  typing.Type(u"hi");
  EXPECT_EQ(typing.field.text, u"hi hello");
  EXPECT_NE(std::find(log.begin(), log.end(), "type \"hello\""), log.end());
  controller.Apply(Edits());
  EXPECT_EQ(Text(kAutoCorrect, u"chkACEN.Checked"), u"True");
  EXPECT_EQ(registry.Get(kAutoCorrect, u"lstSaveAC.Items_Count")->data[0], 6);
  EXPECT_EQ(Text(kAutoCorrect, u"lstSaveAC.Items[3]"), u"stray");
}

TEST_F(SettingsControllerTest, DamagedListLineKeepsEveryReadableEntryThroughOk) {
  const char16_t* texts[] = {u"a1", u"b1", u"k1", nullptr, u"b2", u"k2"};
  registry.Put(kAutoCorrect, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(6));
  for (int i = 0; i < 6; ++i) {
    const std::u16string name = u"lstSaveAC.Items[" + std::u16string(1, u'0' + i) + u"]";
    registry.Put(kAutoCorrect, name,
                 texts[i] ? MemoryRegistry::TextValue(texts[i]) : MemoryRegistry::DwordValue(7));
  }
  controller.Start();
  EXPECT_EQ(hotkeys.errors, (Errors{"Invalid data type for 'lstSaveAC.Items[3]'"}));
  ASSERT_EQ(autocorrect.List().Size(), 2u);
  EXPECT_EQ(autocorrect.List().Row(1), (AutoCorrectEntry{u"", u"b2", u"k2"}));
  Check(IDC_SLOW_SYSTEM, true);  // an OK made for a General setting
  controller.Apply(Edits());
  EXPECT_EQ(registry.Get(kAutoCorrect, u"lstSaveAC.Items_Count")->data[0], 6);
  EXPECT_EQ(Text(kAutoCorrect, u"lstSaveAC.Items[0]"), u"a1");
  EXPECT_EQ(Text(kAutoCorrect, u"lstSaveAC.Items[5]"), u"k2");
}

}  // namespace
}  // namespace ravak
