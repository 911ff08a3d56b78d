#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/settings_store.h"
#include "platform/error.h"
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

  MemoryRegistry reg;
  TRzRegIniFile ini{reg};
  GeneralSettings settings;
  TRzPropertyStore general = MakeGeneralStore(ini, BindGeneralSettings(settings));
  bool acen = false;
  Lines list;
  int list_sets = 0;
  TRzPropertyStore ac =
      MakeAutoCorrectStore(ini, {{[this] { return acen; }, [this](bool v) { acen = v; }},
                                 {[this] { return list; },
                                  [this](const Lines& v) {
                                    list = v;
                                    ++list_sets;
                                  }}});
};

TEST_F(SettingsStoreTest, FirstLoadCreatesLocationOnlyAndFirstSaveWritesInOrder) {
  EXPECT_TRUE(general.Load().empty());
  EXPECT_EQ(settings, GeneralSettings());
  EXPECT_TRUE(reg.HasKey(kLocation));
  EXPECT_FALSE(reg.HasKey(kGeneral));
  EXPECT_EQ(reg.log, (Strings{"create key Software", "create key Software\\Tirnak",
                              "create key Software\\Tirnak\\Ravak"}));

  reg.log.clear();
  general.Save();
  const std::string g = "set Software\\Tirnak\\Ravak\\General\\";
  EXPECT_EQ(
      reg.log,
      (Strings{"create key Software\\Tirnak\\Ravak\\General",
               g + "chkActivePro.Checked = sz \"False\"",
               g + "chkAutoChangeLng.Checked = sz \"False\"", g + "dxmdt1.Tag = dword 0",
               g + "hk1.HotKey = dword 32833", g + "hkProCopy.HotKey = dword 49219",
               g + "hkProPaste.HotKey = dword 49238", g + "lblKey.Tag = dword 1",
               g + "chkACEN.Checked = sz \"False\"", g + "chkRTL.Checked = sz \"False\"",
               g + "chkSlowSystem.Checked = sz \"False\"", g + "chkShowTips.Checked = sz \"False\"",
               g + "chkRavak.Checked = sz \"False\""}));
}

TEST_F(SettingsStoreTest, RoundTripKeepsEveryValueIncludingNegativeNumbers) {
  GeneralSettings changed;
  changed.chkActivePro = changed.chkAutoChangeLng = changed.chkACEN = true;
  changed.chkRTL = changed.chkSlowSystem = changed.chkShowTips = changed.chkRavak = true;
  changed.dxmdt1Tag = -5;
  changed.hk1HotKey = 0x4077;
  changed.hkProCopyHotKey = 0;
  changed.hkProPasteHotKey = 0xFFFF;
  changed.lblKeyTag = 3;
  settings = changed;
  general.Save();
  EXPECT_EQ(Stored(kGeneral, u"dxmdt1.Tag"), "dword 4294967291");
  EXPECT_EQ(Stored(kGeneral, u"chkRavak.Checked"), "sz \"True\"");

  settings = GeneralSettings();
  EXPECT_TRUE(general.Load().empty());
  EXPECT_EQ(settings, changed);
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
  settings.chkRTL = true;

  EXPECT_TRUE(general.Load().empty());
  EXPECT_EQ(settings.hk1HotKey, 49238);
  EXPECT_EQ(settings.hkProCopyHotKey, 0);
  EXPECT_EQ(settings.dxmdt1Tag, INT32_MIN);
  EXPECT_EQ(settings.hkProPasteHotKey, 0xC056);
  EXPECT_EQ(settings.lblKeyTag, 2);
  EXPECT_TRUE(settings.chkRavak);
  EXPECT_TRUE(settings.chkShowTips);
  EXPECT_TRUE(settings.chkSlowSystem);
  EXPECT_FALSE(settings.chkRTL);
  EXPECT_FALSE(settings.chkActivePro);  // nothing stored: untouched

  // A number kept as text stays text; everything else is written in its own form.
  settings.hk1HotKey = 32833;
  settings.dxmdt1Tag = -1;
  general.Save();
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
    settings.lblKeyTag = 55;
    PutGeneralText(u"lblKey.Tag", text);
    EXPECT_TRUE(general.Load().empty());
    EXPECT_EQ(settings.lblKeyTag, expected) << Utf16ToUtf8(text);
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
  settings.dxmdt1Tag = 9;
  const GeneralSettings before = settings;

  EXPECT_EQ(
      general.Load(),
      (Strings{"Invalid property element: 1", "Failed to get data for 'dxmdt1.Tag'",
               "Invalid data type for 'hk1.HotKey'", "Invalid data type for 'hkProCopy.HotKey'",
               "Invalid data type for 'hkProPaste.HotKey'", "Failed to get data for 'lblKey.Tag'",
               "Invalid data type for 'chkACEN.Checked'", "Invalid property element:  True"}));
  GeneralSettings expected = before;
  expected.chkAutoChangeLng = true;
  expected.chkRavak = true;
  EXPECT_EQ(settings, expected);
}

TEST_F(SettingsStoreTest, SaveStopsAtTheFirstRefusedWrite) {
  reg.writes_before_refusal = 3;
  try {
    general.Save();
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
  settings.chkRavak = true;
  EXPECT_TRUE(general.Load().empty());
  EXPECT_TRUE(settings.chkRavak);
  EXPECT_THROW(general.Save(), Error);

  reg.refuse_create_key = false;
  general.Save();
  EXPECT_EQ(Stored(kGeneral, u"chkRavak.Checked"), "sz \"True\"");
}

TEST_F(SettingsStoreTest, UnboundEntriesAreSkippedAndSetterErrorsDoNotStopLoad) {
  TRzPropertyStore store(ini, "General");
  int value = 0;
  store.Add("", "Tag", IntegerProperty{[] { return 1; }, [&](int32_t v) { value = v; }});
  store.Add("lblKey", "Tag", IntegerProperty{[] { return 1; }, nullptr});
  store.Add("chkRavak", "Checked",
            BooleanProperty{[] { return true; }, [](bool) { throw Error("handler failed"); }});
  store.Add("dxmdt1", "Tag", IntegerProperty{[] { return 4; }, [&](int32_t v) { value = v; }});
  store.Save();
  EXPECT_EQ(Stored(kGeneral, u".Tag"), "missing");
  EXPECT_EQ(Stored(kGeneral, u"lblKey.Tag"), "missing");
  EXPECT_EQ(store.Load(), (Strings{"handler failed"}));
  EXPECT_EQ(value, 4);
}

// ---- String lists ----

TEST_F(SettingsStoreTest, ListSavesCountThenLinesAndRemovesStaleLines) {
  acen = true;
  list = Lines(9, u"x");
  ac.Save();
  reg.log.clear();
  list = {u"a", u"ب", u""};
  ac.Save();
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
  acen = false;
  EXPECT_TRUE(ac.Load().empty());
  EXPECT_TRUE(acen);
  EXPECT_EQ(list, (Lines{u"a", u"ب", u""}));

  // An emptied list is stored as empty.
  list.clear();
  ac.Save();
  EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items_Count"), "dword 0");
  EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items[0]"), "missing");
  list = {u"edited"};
  list_sets = 0;
  EXPECT_TRUE(ac.Load().empty());
  EXPECT_EQ(list_sets, 0);  // a count of 0 leaves the list as it is
}

TEST_F(SettingsStoreTest, StaleLinesAreRemovedPastAnUnreadableOldCount) {
  reg.Put(kAC, u"lstSaveAC.Items_Count", MemoryRegistry::TextValue(u"abc"));
  for (int i = 0; i < 4; ++i) {
    reg.Put(kAC, u"lstSaveAC.Items[" + std::u16string(1, u'0' + i) + u"]",
            MemoryRegistry::TextValue(u"old"));
  }
  reg.Put(kAC, u"lstSaveAC.Items[6]", MemoryRegistry::TextValue(u"beyond a gap"));
  list = {u"new"};
  ac.Save();
  EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items_Count"), "sz \"1\"");  // text stays text
  EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items[0]"), "sz \"new\"");
  for (const char16_t* gone : {u"lstSaveAC.Items[1]", u"lstSaveAC.Items[3]"}) {
    EXPECT_EQ(Stored(kAC, gone), "missing");
  }

  // With a valid old count the clean-up reaches it across gaps.
  reg.Put(kAC, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(8));
  list.clear();
  ac.Save();
  EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items[0]"), "missing");
  EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items[6]"), "missing");
}

TEST_F(SettingsStoreTest, ListLoadFormsAndBadEntries) {
  // Missing lines read as empty, expandable texts as text, a text count as its number.
  reg.Put(kAC, u"lstSaveAC.Items_Count", MemoryRegistry::TextValue(u"3"));
  reg.Put(kAC, u"lstSaveAC.Items[0]", MemoryRegistry::TextValue(u"one"));
  reg.Put(kAC, u"lstSaveAC.Items[2]", MemoryRegistry::TextValue(u"%x%", kRegExpandSz));
  list = {u"before"};
  EXPECT_TRUE(ac.Load().empty());
  EXPECT_EQ(list, (Lines{u"one", u"", u"%x%"}));

  // A line of the wrong type: the whole list keeps its value.
  reg.Put(kAC, u"lstSaveAC.Items[1]", MemoryRegistry::DwordValue(5));
  reg.Put(kAC, u"chkACEN.Checked", MemoryRegistry::TextValue(u"True"));
  list = {u"before"};
  EXPECT_EQ(ac.Load(), (Strings{"Invalid data type for 'lstSaveAC.Items[1]'"}));
  EXPECT_EQ(list, (Lines{u"before"}));
  EXPECT_TRUE(acen);

  // Counts out of bounds are errors of the entry, not allocations.
  for (uint32_t count : {30001u, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
    reg.Put(kAC, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(count));
    EXPECT_EQ(ac.Load(), (Strings{"Invalid data type for 'lstSaveAC.Items_Count'"})) << count;
    EXPECT_EQ(list, (Lines{u"before"}));
  }
  reg.Put(kAC, u"lstSaveAC.Items_Count", Bytes(kRegBinary, {1, 0, 0, 0}));
  EXPECT_EQ(ac.Load(), (Strings{"Invalid data type for 'lstSaveAC.Items_Count'"}));

  reg.Put(kAC, u"lstSaveAC.Items[1]", MemoryRegistry::TextValue(u"two"));
  reg.Put(kAC, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(30000));
  EXPECT_TRUE(ac.Load().empty());
  EXPECT_EQ(list.size(), 30000u);
}

TEST_F(SettingsStoreTest, ListLongerThanTheLoadLimitIsNotSaved) {
  list = Lines(TRzPropertyStore::kMaxListCount + 1, u"x");
  try {
    ac.Save();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'lstSaveAC.Items_Count'");
  }
  EXPECT_EQ(Stored(kAC, u"lstSaveAC.Items_Count"), "missing");
}

}  // namespace
}  // namespace ravak
