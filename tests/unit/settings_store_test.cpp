#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "settings/settings_store.h"
#include "tests/fakes/memory_registry.h"

namespace ravak {
namespace {

using testing::MemoryRegistry;
using Strings = std::vector<std::string>;
using Lines = std::vector<std::u16string>;

const std::u16string kLocation = u"Software\\Tirnak\\Ravak";
const std::u16string kGeneral = u"Software\\Tirnak\\Ravak\\General";
const std::u16string kAC = u"Software\\Tirnak\\Ravak\\AutoCorrect";

RegistryValue Bytes(uint32_t type, std::vector<uint8_t> data) {
  return {type, std::move(data)};
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // Only the location key stays open between operations.
    EXPECT_LE(reg.OpenHandles(), 1u);
    EXPECT_EQ(reg.bad_closes, 0);
    EXPECT_EQ(reg.bad_handles, 0);
  }

  void PutGeneral(const std::u16string& name, RegistryValue v) { reg.Put(kGeneral, name, v); }
  void PutGeneralText(const std::u16string& name, const std::u16string& text,
                      uint32_t type = kRegSz) {
    reg.Put(kGeneral, name, MemoryRegistry::TextValue(text, type));
  }
  std::string Stored(const std::u16string& path, const std::u16string& name) {
    const RegistryValue* v = reg.Get(path, name);
    if (v == nullptr) return "missing";
    if (v->type == kRegDword && v->data.size() == 4) {
      return "dword " + std::to_string(v->data[0] | v->data[1] << 8 | v->data[2] << 16 |
                                       static_cast<uint32_t>(v->data[3]) << 24);
    }
    std::u16string text;
    for (std::size_t i = 0; i + 1 < v->data.size() && (v->data[i] | v->data[i + 1]); i += 2) {
      text.push_back(static_cast<char16_t>(v->data[i] | v->data[i + 1] << 8));
    }
    return (v->type == kRegSz ? "sz \"" : "other \"") + Utf16ToUtf8(text) + "\"";
  }

  std::vector<std::string> LoadGeneral() { return store.LoadGeneral(settings); }
  std::vector<std::string> LoadAutoCorrect() { return store.LoadAutoCorrect(settings, list); }
  void SaveAutoCorrect() { store.SaveAutoCorrect(settings, list); }

  MemoryRegistry reg;
  SettingsStore store{reg};
  Settings settings;
  Lines list;
};

TEST_F(SettingsStoreTest, FirstLoadCreatesLocationOnlyAndFirstSaveWritesInOrder) {
  EXPECT_TRUE(LoadGeneral().empty());
  EXPECT_EQ(settings, Settings());
  EXPECT_TRUE(reg.HasKey(kLocation));
  EXPECT_FALSE(reg.HasKey(kGeneral));
  EXPECT_EQ(reg.log, (Strings{"create key Software", "create key Software\\Tirnak",
                              "create key Software\\Tirnak\\Ravak"}));

  reg.log.clear();
  store.SaveGeneral(settings);
  const std::string g = "set Software\\Tirnak\\Ravak\\General\\";
  EXPECT_EQ(reg.log, (Strings{"create key Software\\Tirnak\\Ravak\\General",
                              g + "chkActivePro.Checked = sz \"False\"",
                              g + "chkAutoChangeLng.Checked = sz \"False\"",
                              g + "dxmdt1.Tag = dword 0",
                              g + "hk1.HotKey = dword 32833",
                              g + "hkProCopy.HotKey = dword 49219",
                              g + "hkProPaste.HotKey = dword 49238",
                              g + "lblKey.Tag = dword 1",
                              g + "chkACEN.Checked = sz \"False\"",
                              g + "chkRTL.Checked = sz \"False\"",
                              g + "chkSlowSystem.Checked = sz \"False\"",
                              g + "chkShowTips.Checked = sz \"False\"",
                              g + "chkRavak.Checked = sz \"False\"",
                              g + "hkSelection.HotKey = dword 32913",
                              g + "hkLastWord.HotKey = dword 32787",
                              g + "chkAutoDetect.Checked = sz \"False\"",
                              g + "hkOrthography.HotKey = dword 49297",
                              g + "chkFixNonJoiners.Checked = sz \"False\"",
                              g + "chkSkipFullScreen.Checked = sz \"True\"",
                              g + "chkSwitchMark.Checked = sz \"True\"",
                              g + "lstExcludedPrograms.Items_Count = dword 0",
                              g + "chkFixAsTyped.Checked = sz \"False\""}));
}

TEST_F(SettingsStoreTest, RoundTripKeepsEveryValueIncludingNegativeNumbers) {
  Settings changed;
  changed.copy_stack_enabled = changed.switch_language = changed.autocorrect_enabled = true;
  changed.autocorrect_right_to_left = changed.slow_system = changed.saying_at_start =
      changed.conversion_enabled = true;
  changed.saying_position = -5;
  changed.conversion_hotkey = 0x4077;
  changed.copy_hotkey = 0;
  changed.paste_hotkey = 0xE0FF;  // Ctrl+Shift+Alt with the highest key
  changed.keyboard_type = KeyboardType::kFarsi;
  changed.skip_full_screen = changed.switch_mark = false;
  changed.excluded_programs = {u"game.exe", u"\u0628\u0627\u0632\u06CC.exe"};
  settings = changed;
  store.SaveGeneral(settings);
  EXPECT_EQ(Stored(kGeneral, u"dxmdt1.Tag"), "dword 4294967291");
  EXPECT_EQ(Stored(kGeneral, u"chkRavak.Checked"), "sz \"True\"");
  EXPECT_EQ(Stored(kGeneral, u"lstExcludedPrograms.Items[0]"), "sz \"game.exe\"");

  settings = Settings();
  EXPECT_TRUE(LoadGeneral().empty());
  EXPECT_EQ(settings, changed);

  // A list is what the store holds: lines added since are taken back by loading again.
  settings.excluded_programs.push_back(u"other.exe");
  EXPECT_TRUE(LoadGeneral().empty());
  EXPECT_EQ(settings, changed);
  settings.excluded_programs.clear();
  store.SaveGeneral(settings);
  settings.excluded_programs.push_back(u"other.exe");
  EXPECT_TRUE(LoadGeneral().empty());
  EXPECT_TRUE(settings.excluded_programs.empty());
}

TEST_F(SettingsStoreTest, LoadsHandWrittenValueForms) {
  PutGeneralText(u"hk1.HotKey", u"49238");
  PutGeneralText(u"hkProCopy.HotKey", u"abc");
  PutGeneralText(u"dxmdt1.Tag", u"-2147483648");
  PutGeneral(u"hkProPaste.HotKey", MemoryRegistry::DwordValue(0x1C056));  // low 16 bits count
  PutGeneral(u"lblKey.Tag", MemoryRegistry::DwordValue(2));
  PutGeneralText(u"chkRavak.Checked", u"true");
  PutGeneralText(u"chkShowTips.Checked", u"TRUE");
  PutGeneralText(u"chkSlowSystem.Checked", u"True", kRegExpandSz);
  PutGeneralText(u"chkRTL.Checked", u"fAlSe");
  settings.autocorrect_right_to_left = true;

  EXPECT_TRUE(LoadGeneral().empty());
  EXPECT_EQ(settings.conversion_hotkey, 49238);
  EXPECT_EQ(settings.copy_hotkey, 0);
  EXPECT_EQ(settings.saying_position, INT32_MIN);
  EXPECT_EQ(settings.paste_hotkey, 0xC056);
  EXPECT_EQ(settings.keyboard_type, KeyboardType::kLegacyWindowsDefault);
  EXPECT_TRUE(settings.conversion_enabled);
  EXPECT_TRUE(settings.saying_at_start);
  EXPECT_TRUE(settings.slow_system);
  EXPECT_FALSE(settings.autocorrect_right_to_left);
  EXPECT_FALSE(settings.copy_stack_enabled);  // nothing stored: untouched

  // A number kept as text stays text; everything else is written in its own form.
  settings.conversion_hotkey = 32833;
  settings.saying_position = -1;
  store.SaveGeneral(settings);
  EXPECT_EQ(Stored(kGeneral, u"hk1.HotKey"), "sz \"32833\"");
  EXPECT_EQ(Stored(kGeneral, u"dxmdt1.Tag"), "sz \"-1\"");
  EXPECT_EQ(Stored(kGeneral, u"hkProPaste.HotKey"), "dword 49238");
  EXPECT_EQ(Stored(kGeneral, u"chkSlowSystem.Checked"), "sz \"True\"");
}

TEST_F(SettingsStoreTest, IntegerTextThatIsNotOneNumberReadsAsZero) {
  const std::pair<std::u16string, int32_t> cases[] = {
      {u"  12", 12},      {u"+7", 7},
      {u"12 ", 0},        {u"", 0},
      {u"-", 0},          {u"2147483647", INT32_MAX},
      {u"2147483648", 0}, {u"99999999999999999999", 0},
      {u"0x10", 0},
  };
  for (const auto& [text, expected] : cases) {
    settings.keyboard_type = static_cast<KeyboardType>(55);
    PutGeneralText(u"lblKey.Tag", text);
    EXPECT_TRUE(LoadGeneral().empty());
    EXPECT_EQ(static_cast<int32_t>(settings.keyboard_type), expected) << Utf16ToUtf8(text);
  }
}

TEST_F(SettingsStoreTest, BadValueIsReportedAndLoadGoesOn) {
  PutGeneralText(u"chkActivePro.Checked", u"1");
  PutGeneralText(u"chkAutoChangeLng.Checked", u"True");
  PutGeneral(u"dxmdt1.Tag", Bytes(kRegDword, {1, 0, 0, 0, 0, 0, 0, 0}));
  PutGeneral(u"hk1.HotKey", Bytes(kRegQword, {0x41, 0x80, 0, 0, 0, 0, 0, 0}));
  PutGeneralText(u"hkProCopy.HotKey", u"49219", kRegExpandSz);
  PutGeneral(u"hkProPaste.HotKey", Bytes(kRegBinary, {0x56, 0xC0, 0, 0}));
  PutGeneral(u"lblKey.Tag", Bytes(kRegDword, {3, 0}));
  PutGeneral(u"chkACEN.Checked", MemoryRegistry::DwordValue(1));
  PutGeneralText(u"chkRTL.Checked", u" True");
  PutGeneralText(u"chkRavak.Checked", u"TRUE");
  settings.saying_position = 9;
  const Settings before = settings;

  EXPECT_EQ(
      LoadGeneral(),
      (Strings{"Invalid property element: 1", "Failed to get data for 'dxmdt1.Tag'",
               "Invalid data type for 'hk1.HotKey'", "Invalid data type for 'hkProCopy.HotKey'",
               "Invalid data type for 'hkProPaste.HotKey'", "Failed to get data for 'lblKey.Tag'",
               "Invalid data type for 'chkACEN.Checked'", "Invalid property element:  True"}));
  Settings expected = before;
  expected.switch_language = true;
  expected.conversion_enabled = true;
  EXPECT_EQ(settings, expected);
}

TEST_F(SettingsStoreTest, SaveStopsAtTheFirstRefusedWrite) {
  reg.writes_before_refusal = 3;
  try {
    store.SaveGeneral(settings);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'hk1.HotKey'");
  }
  EXPECT_EQ(Stored(kGeneral, u"dxmdt1.Tag"), "dword 0");
  EXPECT_EQ(Stored(kGeneral, u"hk1.HotKey"), "missing");
  EXPECT_EQ(Stored(kGeneral, u"chkRavak.Checked"), "missing");
}

TEST_F(SettingsStoreTest, UnavailableLocationStoresNothingAndIsRetried) {
  reg.refuse_create_key = true;
  settings.conversion_enabled = true;
  EXPECT_TRUE(LoadGeneral().empty());
  EXPECT_TRUE(settings.conversion_enabled);
  EXPECT_THROW(store.SaveGeneral(settings), Error);

  reg.refuse_create_key = false;
  store.SaveGeneral(settings);
  EXPECT_EQ(Stored(kGeneral, u"chkRavak.Checked"), "sz \"True\"");
}

TEST_F(SettingsStoreTest, UnboundEntriesAreSkippedAndSetterErrorsDoNotStopLoad) {
  RegistryLocation location(reg, kLocation);
  SettingsSection section(location, "General");
  int value = 0;
  section.Add("", IntegerProperty{[] { return 1; }, [&](int32_t v) { value = v; }});
  section.Add("lblKey.Tag", IntegerProperty{[] { return 1; }, nullptr});
  section.Add("chkRavak.Checked",
              BooleanProperty{[] { return true; }, [](bool) { throw Error("handler failed"); }});
  section.Add("dxmdt1.Tag", IntegerProperty{[] { return 4; }, [&](int32_t v) { value = v; }});
  section.Save();
  EXPECT_EQ(Stored(kGeneral, u""), "missing");
  EXPECT_EQ(Stored(kGeneral, u"lblKey.Tag"), "missing");
  EXPECT_EQ(section.Load(), (Strings{"handler failed"}));
  EXPECT_EQ(value, 4);
}

// ---- String lists ----

TEST_F(SettingsStoreTest, ListSavesCountThenLinesAndRemovesStaleLines) {
  settings.autocorrect_enabled = true;
  list = Lines(9, u"x");
  SaveAutoCorrect();
  reg.log.clear();
  list = {u"a", u"ب", u""};
  SaveAutoCorrect();
  const std::string p = "Software\\Tirnak\\Ravak\\AutoCorrect\\";
  EXPECT_EQ(reg.log,
            (Strings{"set " + p + "chkACEN.Checked = sz \"True\"",
                     "set " + p + "lstSaveAC.Items_Count = dword 3",
                     "set " + p + "lstSaveAC.Items[0] = sz \"a\"",
                     "set " + p + "lstSaveAC.Items[1] = sz \"ب\"",
                     "set " + p + "lstSaveAC.Items[2] = sz \"\"",
                     "delete " + p + "lstSaveAC.Items[3]", "delete " + p + "lstSaveAC.Items[4]",
                     "delete " + p + "lstSaveAC.Items[5]", "delete " + p + "lstSaveAC.Items[6]",
                     "delete " + p + "lstSaveAC.Items[7]", "delete " + p + "lstSaveAC.Items[8]"}));

  list.clear();
  settings.autocorrect_enabled = false;
  EXPECT_TRUE(LoadAutoCorrect().empty());
  EXPECT_TRUE(settings.autocorrect_enabled);
  EXPECT_EQ(list, (Lines{u"a", u"ب", u""}));

  // An emptied list is stored as empty.
  list.clear();
  SaveAutoCorrect();
  EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items_Count"), "dword 0");
  EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items[0]"), "missing");
  list = {u"edited"};
  EXPECT_TRUE(LoadAutoCorrect().empty());
  EXPECT_EQ(list, (Lines{u"edited"}));  // a count of 0 leaves the list as it is
}

TEST_F(SettingsStoreTest, StaleLinesAreRemovedPastAnUnreadableOldCount) {
  reg.Put(kAC, u"lstSaveAC.Items_Count", MemoryRegistry::TextValue(u"abc"));
  for (int i = 0; i < 4; ++i) {
    reg.Put(kAC, u"lstSaveAC.Items[" + std::u16string(1, u'0' + i) + u"]",
            MemoryRegistry::TextValue(u"old"));
  }
  reg.Put(kAC, u"lstSaveAC.Items[6]", MemoryRegistry::TextValue(u"beyond a gap"));
  list = {u"new"};
  SaveAutoCorrect();
  EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items_Count"), "sz \"1\"");  // text stays text
  EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items[0]"), "sz \"new\"");
  for (const char16_t* gone : {u"lstSaveAC.Items[1]", u"lstSaveAC.Items[3]"}) {
    EXPECT_EQ(Stored(kAC, gone), "missing");
  }

  // With a valid old count the clean-up reaches it across gaps.
  reg.Put(kAC, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(8));
  list.clear();
  SaveAutoCorrect();
  EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items[0]"), "missing");
  EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items[6]"), "missing");
}

TEST_F(SettingsStoreTest, ListLoadFormsAndBadEntries) {
  // Missing lines read as empty, expandable texts as text, a text count as its number.
  reg.Put(kAC, u"lstSaveAC.Items_Count", MemoryRegistry::TextValue(u"3"));
  reg.Put(kAC, u"lstSaveAC.Items[0]", MemoryRegistry::TextValue(u"one"));
  reg.Put(kAC, u"lstSaveAC.Items[2]", MemoryRegistry::TextValue(u"%x%", kRegExpandSz));
  list = {u"before"};
  EXPECT_TRUE(LoadAutoCorrect().empty());
  EXPECT_EQ(list, (Lines{u"one", u"", u"%x%"}));

  // A line of the wrong type is reported and reads as an empty text; the rest still load.
  reg.Put(kAC, u"lstSaveAC.Items[1]", MemoryRegistry::DwordValue(5));
  reg.Put(kAC, u"chkACEN.Checked", MemoryRegistry::TextValue(u"True"));
  list = {u"before"};
  EXPECT_EQ(LoadAutoCorrect(), (Strings{"Invalid data type for 'lstSaveAC.Items[1]'"}));
  EXPECT_EQ(list, (Lines{u"one", u"", u"%x%"}));
  EXPECT_TRUE(settings.autocorrect_enabled);

  // A damaged count is reported, and the lines are read as they stand up to the first missing
  // one, never allocating by the count; so is a count past the limit, with the cut reported.
  reg.Put(kAC, u"lstSaveAC.Items[1]", MemoryRegistry::TextValue(u"two"));
  reg.Put(kAC, u"lstSaveAC.Items[4]", MemoryRegistry::TextValue(u"after a gap"));
  reg.Put(kAC, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(0xFFFFFFFFu));
  list.clear();
  EXPECT_EQ(LoadAutoCorrect(), (Strings{"Invalid data type for 'lstSaveAC.Items_Count'"}));
  EXPECT_EQ(list, (Lines{u"one", u"two", u"%x%"}));
  for (uint32_t count : {9001u, 0x7FFFFFFFu}) {
    reg.Put(kAC, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(count));
    list.clear();
    EXPECT_EQ(LoadAutoCorrect(), (Strings{"Only the first 3 lines of the stored list "
                                          "'lstSaveAC.Items' were read: a list keeps at most "
                                          "9000 lines and 4 MiB"}))
        << count;
    EXPECT_EQ(list, (Lines{u"one", u"two", u"%x%"}));
  }
  reg.Put(kAC, u"lstSaveAC.Items_Count", Bytes(kRegBinary, {1, 0, 0, 0}));
  list.clear();
  EXPECT_EQ(LoadAutoCorrect(), (Strings{"Invalid data type for 'lstSaveAC.Items_Count'"}));
  EXPECT_EQ(list.size(), 3u);

  reg.Put(kAC, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(9000));
  EXPECT_TRUE(LoadAutoCorrect().empty());
  EXPECT_EQ(list.size(), 9000u);
}

TEST_F(SettingsStoreTest, OversizedValuesAreLeftUnreadAndReported_EverythingElseLoads) {
  const std::u16string huge(40000, u'x');  // 80 KB stored
  PutGeneralText(u"chkSlowSystem.Checked", huge);
  PutGeneralText(u"chkRavak.Checked", u"True");
  reg.Put(kAC, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(3));
  reg.Put(kAC, u"lstSaveAC.Items[0]", MemoryRegistry::TextValue(u"after"));
  reg.Put(kAC, u"lstSaveAC.Items[1]", MemoryRegistry::TextValue(huge));
  reg.Put(kAC, u"lstSaveAC.Items[2]", MemoryRegistry::TextValue(u"btw"));
  const bool slow_before = settings.slow_system;
  EXPECT_EQ(LoadGeneral(), (Strings{"The stored value 'chkSlowSystem.Checked' is longer than 64 "
                                    "KiB and was not read"}));
  EXPECT_EQ(settings.slow_system, slow_before);
  EXPECT_TRUE(settings.conversion_enabled);
  EXPECT_EQ(LoadAutoCorrect(), (Strings{"The stored value 'lstSaveAC.Items[1]' is longer than 64 "
                                        "KiB and was not read"}));
  EXPECT_EQ(list, (Lines{u"after", u"", u"btw"}));

  // The longest that is read: 32767 characters and the NUL. A list stops before the line that
  // would take it past 4 MiB.
  const std::u16string longest(32767, u'y');
  reg.Put(kAC, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(200));
  for (int i = 0; i < 200; ++i) {
    reg.Put(kAC, u"lstSaveAC.Items[" + Utf8ToUtf16(std::to_string(i)).value() + u"]",
            MemoryRegistry::TextValue(longest));
  }
  EXPECT_EQ(LoadAutoCorrect(), (Strings{"Only the first 64 lines of the stored list "
                                        "'lstSaveAC.Items' were read: a list keeps at most "
                                        "9000 lines and 4 MiB"}));
  EXPECT_EQ(list, Lines(64, longest));
}

TEST_F(SettingsStoreTest, WhatCouldNotBeReadBackIsNotSaved) {
  const std::pair<Lines, const char*> cases[] = {
      {Lines(SettingsSection::kMaxListCount + 1, u"x"), "lstSaveAC.Items_Count"},
      {Lines(65, std::u16string(32767, u'y')), "lstSaveAC.Items_Count"},  // over 4 MiB
      {Lines{u"a", std::u16string(32768, u'y')}, "lstSaveAC.Items[1]"},
  };
  for (const auto& [lines, refused] : cases) {
    list = lines;
    try {
      SaveAutoCorrect();
      FAIL() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), "Failed to set data for '" + std::string(refused) + "'");
    }
    EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items_Count"), "missing");
  }
}

}  // namespace
}  // namespace ravak
