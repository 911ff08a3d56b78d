#include "app/main_form.h"

#include <gtest/gtest.h>

#include <map>

#include "app/startup.h"
#include "app/tray.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/memory_registry.h"

namespace ravak {
namespace {

using testing::FakeClipboard;
using testing::FakeKeyboard;
using testing::FakePump;
using testing::InlineThreadStarter;
using testing::Log;
using testing::MemoryRegistry;

constexpr char16_t kGeneral[] = u"Software\\Tirnak\\Ravak\\General";
constexpr char16_t kAutoCorrect[] = u"Software\\Tirnak\\Ravak\\AutoCorrect";

// Registers combinations like the system: one per (window, id); a combination taken by someone
// else is refused.
class FakeHotkeys : public HotkeyRegistrar, public ErrorReport {
 public:
  uint16_t AddHotkeyAtom(const std::u16string&) override { return ++atom; }
  void DeleteHotkeyAtom(uint16_t) override {}
  WindowId CreateHotkeyWindow(std::function<void()> handler) override {
    windows[++window] = std::move(handler);
    return window;
  }
  void DestroyHotkeyWindow(WindowId w) override { windows.erase(w); }
  void Register(WindowId w, uint16_t, unsigned mods, unsigned key) override {
    registered[w] = (mods << 16) | key;
  }
  void Unregister(WindowId w, uint16_t) override { registered.erase(w); }
  void ShowError(const std::string& message) override { errors.push_back(message); }

  bool IsRegistered(unsigned mods, unsigned key) const {
    for (const auto& [w, combo] : registered) {
      if (combo == ((mods << 16) | key)) return true;
    }
    return false;
  }
  // The press of a registered combination reaches the window that registered it.
  void Press(unsigned mods, unsigned key) {
    for (const auto& [w, combo] : registered) {
      if (combo == ((mods << 16) | key)) windows[w]();
    }
  }

  uint16_t atom = 0;
  WindowId window = 0;
  std::map<WindowId, std::function<void()>> windows;
  std::map<WindowId, unsigned> registered;
  std::vector<std::string> errors;
};

class FixedForeground : public ForegroundWindowQuery {
 public:
  WindowId ForegroundWindow() override { return 1; }
};

class FakeView : public MainView {
 public:
  void ShowSettings() override { log.push_back("show"); }
  void HideSettings() override { log.push_back("hide"); }
  void SelectTab(int index) override { log.push_back("tab " + std::to_string(index)); }
  void ModelChanged() override { ++model_changes; }
  void ReadHotkeyEdits(uint16_t& a, uint16_t& b, uint16_t& c) override {
    if (edits_changed) a = hk1, b = hkProCopy, c = hkProPaste;
  }
  int ShowKeyboardTypeDialog() override { return dialog_result; }
  void ShowAboutSplash() override { log.push_back("about"); }
  void CloseMainWindow() override { log.push_back("close"); }

  Log log;
  int model_changes = 0;
  int dialog_result = 2;
  bool edits_changed = false;
  uint16_t hk1 = 0, hkProCopy = 0, hkProPaste = 0;
};

class MainFormTest : public ::testing::Test {
 protected:
  std::unique_ptr<TfrmMain> Create() {
    auto form =
        std::make_unique<TfrmMain>(MainFormServices{registry, hotkeys, hotkeys, input,
                                                    clipboard_text, pump, threads, foreground},
                                   view);
    form->FormCreate();
    return form;
  }
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

  Log log;
  FakeKeyboard keyboard{log};
  FakePump pump{log};
  FakeClipboard clipboard{log};
  SyntheticInput input{keyboard, pump, [] { return false; }};
  ClipboardText clipboard_text{clipboard, pump};
  InlineThreadStarter threads;
  MemoryRegistry registry;
  FakeHotkeys hotkeys;
  FakeView view;
  FixedForeground foreground;
};

TEST_F(MainFormTest, FreshStartRegistersNothingAndShowsDefaults) {
  auto form = Create();
  EXPECT_TRUE(registry.HasKey(u"Software\\Tirnak\\Ravak"));  // created by the first load
  EXPECT_FALSE(registry.HasKey(kGeneral));
  // Conversion is off, so Alt+A stays with the other programs; copy and paste are off too.
  EXPECT_TRUE(hotkeys.registered.empty());
  EXPECT_EQ(form->lblKey.text, TfrmMain::kKeyboardDefaultText);
  EXPECT_EQ(form->layout.FarsiChars()[32], u'\u067E');
  EXPECT_EQ(view.log, (Log{"tab 0"}));
  EXPECT_TRUE(form->ActiveFlag);
}

TEST_F(MainFormTest, TickingConversionRegistersAltAAtOnceAndOkStoresIt) {
  auto form = Create();
  form->chkRavak.SetChecked(true);
  EXPECT_TRUE(hotkeys.IsRegistered(kModAlt, 0x41));  // at once, before OK
  form->btnOKClick(0);
  EXPECT_TRUE(hotkeys.IsRegistered(kModAlt, 0x41));
  EXPECT_EQ(hotkeys.registered.size(), 1u);
  EXPECT_EQ(view.log.back(), "hide");
  EXPECT_EQ(Text(kGeneral, u"chkRavak.Checked"), u"True");
  EXPECT_EQ(registry.Get(kGeneral, u"hk1.HotKey")->type, kRegDword);
  EXPECT_EQ(Text(kAutoCorrect, u"chkACEN.Checked"), u"False");

  form->chkRavak.SetChecked(false);
  EXPECT_TRUE(hotkeys.registered.empty());
  const std::size_t shown = view.log.size();
  form->btnOKClick(1);  // Apply keeps the window and registers by the setting: still nothing
  EXPECT_TRUE(hotkeys.registered.empty());
  EXPECT_EQ(view.log.size(), shown);
}

TEST_F(MainFormTest, StoredSettingsLoadAndHotkeysFollowEdits) {
  registry.Put(kGeneral, u"chkRavak.Checked", MemoryRegistry::TextValue(u"true"));
  registry.Put(kGeneral, u"chkActivePro.Checked", MemoryRegistry::TextValue(u"TRUE"));
  registry.Put(kGeneral, u"hk1.HotKey", MemoryRegistry::TextValue(u"49238"));
  registry.Put(kGeneral, u"lblKey.Tag", MemoryRegistry::DwordValue(2));
  registry.Put(kGeneral, u"chkShowTips.Checked", MemoryRegistry::TextValue(u"1"));
  registry.Put(kGeneral, u"chkSlowSystem.Checked", MemoryRegistry::TextValue(u"True"));
  auto form = Create();
  EXPECT_TRUE(form->chkRavak.checked);
  EXPECT_TRUE(form->chkSlowSystem.checked);  // loading went on after the bad Boolean
  EXPECT_EQ(hotkeys.errors, (std::vector<std::string>{"Invalid property element: 1"}));
  EXPECT_EQ(form->hk1, 49238);
  EXPECT_TRUE(hotkeys.IsRegistered(kModControl | kModAlt, 0x56));  // hk1 from the text value
  EXPECT_TRUE(hotkeys.IsRegistered(kModControl | kModAlt, 0x43));  // copy
  EXPECT_EQ(form->lblKey.Tag, 1);                                  // type 2 is shown and used as 1
  form->btnOKClick(0);
  EXPECT_EQ(Text(kGeneral, u"hk1.HotKey"), u"49238");  // text values stay text
  EXPECT_EQ(registry.Get(kGeneral, u"lblKey.Tag")->data[0], 1);
}

TEST_F(MainFormTest, CancelRestoresStoredValuesAndKeyboardType) {
  registry.Put(kGeneral, u"lblKey.Tag", MemoryRegistry::DwordValue(1));
  registry.Put(kGeneral, u"chkAutoChangeLng.Checked", MemoryRegistry::TextValue(u"False"));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(3));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[0]", MemoryRegistry::TextValue(u"after"));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[1]", MemoryRegistry::TextValue(u"before"));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[2]", MemoryRegistry::TextValue(u"kw"));
  auto form = Create();
  EXPECT_EQ(form->lstSaveAC.size(), 3u);
  view.dialog_result = 3;
  form->btnChangeKeyClick();
  EXPECT_EQ(form->lblKey.text, TfrmMain::kKeyboardFarsiText);
  EXPECT_EQ(form->layout.FarsiChars()[32], u'\u0698');
  form->chkAutoChangeLng.SetChecked(true);
  form->lstSaveAC.clear();
  form->btn1Click();
  EXPECT_EQ(form->lblKey.Tag, 1);
  EXPECT_EQ(form->lblKey.text, TfrmMain::kKeyboardDefaultText);
  EXPECT_EQ(form->layout.FarsiChars()[32], u'\u067E');
  EXPECT_FALSE(form->chkAutoChangeLng.checked);
  EXPECT_EQ(form->lstSaveAC.size(), 3u);
}

TEST_F(MainFormTest, KeyboardDialogBackChangesNothingAndUnknownTypeKeepsLabel) {
  registry.Put(kGeneral, u"lblKey.Tag", MemoryRegistry::DwordValue(4));
  auto form = Create();
  EXPECT_EQ(form->lblKey.text, TfrmMain::kLblKeyInitialText);
  EXPECT_EQ(form->layout.FarsiChars()[32], u'\u0698');
  view.dialog_result = 2;
  form->btnChangeKeyClick();
  EXPECT_EQ(form->lblKey.Tag, 4);
  view.dialog_result = 1;
  form->btnChangeKeyClick();
  EXPECT_EQ(form->lblKey.text, TfrmMain::kKeyboardDefaultText);
}

TEST_F(MainFormTest, CloseQuerySavesGeneralWithUnappliedEditsOnly) {
  auto form = Create();
  view.edits_changed = true;
  view.hk1 = 0x8042;
  view.hkProCopy = 49219;
  view.hkProPaste = 49238;
  form->chkACEN.SetChecked(true);
  EXPECT_TRUE(form->FormCloseQuery());
  EXPECT_EQ(registry.Get(kGeneral, u"hk1.HotKey")->data[0], 0x42);
  EXPECT_EQ(Text(kGeneral, u"chkACEN.Checked"), u"True");
  EXPECT_FALSE(registry.HasKey(kAutoCorrect));
  EXPECT_TRUE(hotkeys.registered.empty());  // not applied
}

TEST_F(MainFormTest, MasterSwitchSilencesRegisteredHotkeys) {
  registry.Put(kGeneral, u"chkRavak.Checked", MemoryRegistry::TextValue(u"True"));
  auto form = Create();
  form->chkActivePro.SetChecked(true);
  clipboard.SetByOtherApp(u"copied");
  form->mnuActiveAllClick();
  EXPECT_FALSE(form->ActiveFlag);
  log.clear();
  hotkeys.Press(kModAlt, 0x41);
  hotkeys.Press(kModControl | kModAlt, 0x43);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(form->lstPr.Count(), 0u);
  EXPECT_TRUE(hotkeys.IsRegistered(kModAlt, 0x41));  // still taken from other programs
  form->mnuActiveAllClick();
  hotkeys.Press(kModControl | kModAlt, 0x43);
  EXPECT_EQ(form->lstPr.Texts(), (std::vector<std::u16string>{u"copied"}));
  hotkeys.Press(kModAlt, 0x41);
  EXPECT_FALSE(log.empty());  // the conversion ran
}

TEST_F(MainFormTest, StoreErrorOnOkIsReportedAndWindowStillHides) {
  auto form = Create();
  registry.refuse_writes = true;
  form->btnOKClick(0);
  ASSERT_EQ(hotkeys.errors.size(), 1u);
  EXPECT_EQ(hotkeys.errors[0].rfind("Failed to set data for '", 0), 0u);
  EXPECT_EQ(view.log.back(), "hide");
}

TEST_F(MainFormTest, SayingAtStartRunsEvenAfterLoadErrors) {
  registry.Put(kGeneral, u"chkShowTips.Checked", MemoryRegistry::TextValue(u"True"));
  registry.Put(kGeneral, u"hk1.HotKey", RegistryValue{kRegBinary, {1, 2}});
  int sayings = 0;
  auto form =
      std::make_unique<TfrmMain>(MainFormServices{registry, hotkeys, hotkeys, input, clipboard_text,
                                                  pump, threads, foreground},
                                 view);
  form->onNextSaying = [&] { ++sayings; };
  form->FormCreate();
  EXPECT_EQ(sayings, 1);
  EXPECT_EQ(hotkeys.errors, (std::vector<std::string>{"Invalid data type for 'hk1.HotKey'"}));
  EXPECT_EQ(form->hk1, 32833);
}

TEST_F(MainFormTest, AutoCorrectListRoundTripsAndRunsOnlyWhenSwitchedOn) {
  registry.Put(kAutoCorrect, u"lstSaveAC.Items_Count", MemoryRegistry::DwordValue(4));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[0]", MemoryRegistry::TextValue(u""));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[1]", MemoryRegistry::TextValue(u"hello"));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[2]", MemoryRegistry::TextValue(u"hi"));
  registry.Put(kAutoCorrect, u"lstSaveAC.Items[3]", MemoryRegistry::TextValue(u"stray"));
  auto form = Create();
  ASSERT_EQ(form->lvAC.Size(), 1u);  // the incomplete last group is dropped
  log.clear();
  form->khook1KeyDown('H', {});
  form->khook1KeyDown('I', {});
  EXPECT_TRUE(log.empty());  // auto-correct is off
  form->chkACEN.SetChecked(true);
  form->khook1KeyDown('H', {});
  form->khook1KeyDown('I', {});
  EXPECT_NE(std::find(log.begin(), log.end(), "write \"hello\""), log.end());
  form->btnOKClick(0);
  EXPECT_EQ(Text(kAutoCorrect, u"chkACEN.Checked"), u"True");
  EXPECT_EQ(registry.Get(kAutoCorrect, u"lstSaveAC.Items_Count")->data[0], 3);
}

TEST(StartupTest, SecondCopyGivesWayOnlyWithoutArgument) {
  EXPECT_FALSE(ShouldGiveWay(false, u""));
  EXPECT_TRUE(ShouldGiveWay(true, u""));
  EXPECT_FALSE(ShouldGiveWay(true, u"x"));
  EXPECT_EQ(DefaultApplicationTitle(u"C:\\Program Files\\RAVAK.EXE"), u"Ravak");
  EXPECT_EQ(DefaultApplicationTitle(u"ravak.setup.exe"), u"ravak");
  EXPECT_EQ(DefaultApplicationTitle(u"R"), u"R");
}

class ScriptedShell : public TrayShell {
 public:
  bool Notify(TrayRequest request, uint32_t* error) override {
    calls.push_back(request);
    if (results.empty()) return true;
    auto [ok, code] = results.front();
    results.erase(results.begin());
    *error = code;
    return ok;
  }
  std::vector<std::pair<bool, uint32_t>> results;
  std::vector<TrayRequest> calls;
};

TEST(TrayTest, AddIsRetriedWhileShellTimesOutAndCheckedWithModify) {
  Log log;
  FakePump sleeper(log);
  ScriptedShell shell;
  // Add times out; the modify that checks it fails; the second add works.
  shell.results = {{false, kErrorTimeout}, {false, 0}, {true, 0}};
  EXPECT_TRUE(NotifyWithRetry(shell, sleeper, TrayRequest::Add));
  EXPECT_EQ(shell.calls,
            (std::vector<TrayRequest>{TrayRequest::Add, TrayRequest::Modify, TrayRequest::Add}));
  EXPECT_EQ(sleeper.slept_ms, 1000u);

  // An add that the shell did after all is counted as done.
  ScriptedShell late;
  late.results = {{false, 0}, {true, 0}};
  EXPECT_TRUE(NotifyWithRetry(late, sleeper, TrayRequest::Add));
  EXPECT_EQ(late.calls.size(), 2u);

  // Other errors are final; a shell that never answers is given up after 31 waits.
  ScriptedShell refused;
  refused.results = {{false, 5}};
  EXPECT_FALSE(NotifyWithRetry(refused, sleeper, TrayRequest::SetVersion));
  ScriptedShell dead;
  dead.results.assign(200, {false, kErrorTimeout});
  sleeper.slept_ms = 0;
  EXPECT_FALSE(NotifyWithRetry(dead, sleeper, TrayRequest::Modify));
  EXPECT_EQ(sleeper.slept_ms, 31u * 1000u);
}

TEST(TrayTest, TipStopsAtBarAndFitsShell) {
  EXPECT_EQ(TrayTip(u"Tirnak Ravak 1.1"), u"Tirnak Ravak 1.1");
  EXPECT_EQ(TrayTip(u"short|long hint"), u"short");
  EXPECT_EQ(TrayTip(std::u16string(300, u'x')).size(), 127u);
}

}  // namespace
}  // namespace ravak
