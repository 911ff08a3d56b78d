#include <gtest/gtest.h>

#include "setupaction/stub_removal.h"
#include "tests/fakes/fake_setup_system.h"

namespace sorvel {
namespace {

using testing::FakeInstallerSession;
using testing::FakeRemovalSystem;

std::string Narrow(const std::u16string& s) {
  return std::string(s.begin(), s.end());
}

TEST(FormatInstallerTextTest, ResolvesReferencesOfAnyLengthAndClosesItsRecord) {
  FakeInstallerSession session;
  session.properties[u"ProductCode"] = u"{P}";
  session.properties[u"Long"] = std::u16string(600, u'x');
  EXPECT_EQ(FormatInstallerText(session, u"a\\[ProductCode]\\[Long]"),
            u"a\\{P}\\" + std::u16string(600, u'x'));
  EXPECT_TRUE(session.open_records.empty());
}

TEST(FormatInstallerTextTest, AnyFailureGivesAnEmptyText) {
  FakeInstallerSession empty_text;
  EXPECT_EQ(FormatInstallerText(empty_text, u""), u"");

  FakeInstallerSession no_record;
  no_record.fail_create_record = true;
  EXPECT_EQ(FormatInstallerText(no_record, u"[ProductCode]"), u"");

  FakeInstallerSession refused_field;
  refused_field.record_set_string_status = 6;
  EXPECT_EQ(FormatInstallerText(refused_field, u"x"), u"");
  EXPECT_TRUE(refused_field.open_records.empty());

  for (const uint32_t status : {kSuccess, 87u}) {  // no size asked back, or an error
    FakeInstallerSession refused_format;
    refused_format.format_status = status;
    EXPECT_EQ(FormatInstallerText(refused_format, u"x"), u"");
    EXPECT_TRUE(refused_format.open_records.empty());
  }
}

// The immediate action in each install scope, and the data it hands on.
struct ScopeCase {
  const char* name;
  bool vista;
  bool all_users;
  std::u16string data;
  std::vector<std::u16string> evaluated;
};
void PrintTo(const ScopeCase& c, std::ostream* os) {
  *os << c.name;
}

class ImmediateActionTest : public ::testing::TestWithParam<ScopeCase> {};

const std::u16string kCommon = u"C:\\ProgramData\\";
const std::u16string kLocal = u"C:\\Users\\u\\AppData\\Local\\";
const std::u16string kBelow = u"Malvorn\\Pellory\\{P}\\Setup.exe";

FakeInstallerSession Installer(bool vista, bool all_users) {
  FakeInstallerSession s;
  s.properties = {{u"CommonAppDataFolder", kCommon},
                  {u"LocalAppDataFolder", kLocal},
                  {u"ProductCode", u"{P}"},
                  {u"QZ_EXTERNALUIUNINSTALLERNAME", u"Setup.exe"}};
  s.conditions[u"VersionNT >= 600"] = vista ? kConditionTrue : kConditionFalse;
  s.conditions[u"ALLUSERS = 1"] = all_users ? kConditionTrue : kConditionFalse;
  return s;
}

TEST_P(ImmediateActionTest, SchedulesTheDeferredActionWithFlagAndStubPath) {
  const ScopeCase& c = GetParam();
  FakeInstallerSession session = Installer(c.vista, c.all_users);
  EXPECT_EQ(RemoveExternalUIStub(session), 0u);
  EXPECT_EQ(session.scheduled, std::vector<std::u16string>{c.data});
  EXPECT_EQ(session.properties[u"QZ_DoRemoveExternalUIStub"], u"");
  EXPECT_EQ(session.evaluated, c.evaluated);
  EXPECT_TRUE(session.open_records.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Scopes, ImmediateActionTest,
    ::testing::Values(ScopeCase{"VistaAllUsers",
                                true,
                                true,
                                u"1" + kCommon + kBelow,
                                {u"VersionNT >= 600", u"ALLUSERS = 1", u"ALLUSERS = 1"}},
                      ScopeCase{"EarlierAllUsers",
                                false,
                                true,
                                u"0" + kCommon + kBelow,
                                {u"VersionNT >= 600", u"ALLUSERS = 1"}},
                      ScopeCase{"VistaPerUser",
                                true,
                                false,
                                u"0" + kLocal + kBelow,
                                {u"VersionNT >= 600", u"ALLUSERS = 1", u"ALLUSERS = 1"}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ImmediateActionDetailTest, BracketsInTheBaseFolderStayLiteral) {
  FakeInstallerSession session = Installer(true, false);
  session.properties[u"LocalAppDataFolder"] = u"C:\\Users\\[a]\\Local\\";
  session.properties[u"a"] = u"other";
  RemoveExternalUIStub(session);
  EXPECT_EQ(session.scheduled, std::vector<std::u16string>{u"0C:\\Users\\[a]\\Local\\" + kBelow});
}

// A machine with the stub's folder, and an installer session that runs the immediate action
// and hands its data to the deferred one.
class DeferredActionTest : public ::testing::Test {
 protected:
  const std::u16string folder = u"C:\\Users\\u\\AppData\\Local\\Malvorn\\Pellory\\{P}";
  const std::u16string stub = folder + u"\\Setup.exe";
  const std::u16string ini = folder + u"\\Setup.ini";

  void SetUp() override {
    for (const auto* f : {u"C:\\Users\\u\\AppData\\Local\\Malvorn",
                          u"C:\\Users\\u\\AppData\\Local\\Malvorn\\Pellory", u"C:\\Temp"}) {
      fs.AddFolder(f);
    }
    fs.AddFolder(folder);
  }

  // Both actions, as the installer runs them at uninstall.
  void Uninstall(bool all_users_on_vista = false) {
    FakeInstallerSession immediate = Installer(all_users_on_vista, all_users_on_vista);
    immediate.properties[u"CommonAppDataFolder"] = kLocal;  // one tree serves both scopes
    ASSERT_EQ(RemoveExternalUIStub(immediate), 0u);
    ASSERT_EQ(immediate.scheduled.size(), 1u);
    RunDeferred(immediate.scheduled[0]);
  }
  void RunDeferred(const std::u16string& data) {
    FakeInstallerSession deferred;
    deferred.properties[u"CustomActionData"] = data;
    EXPECT_EQ(DoRemoveExternalUIStub(deferred, fs), 0u);
  }
  std::vector<std::string> Targets() const {
    std::vector<std::string> out;
    for (const auto& s : fs.started) {
      // Line 2 of every script: ATTRIB -r "target"
      const auto open = s.text.find('"');
      out.push_back(s.text.substr(open + 1, s.text.find('"', open + 1) - open - 1) +
                    (s.text.find("\r\nrd ") != std::string::npos ? " (rd)" : ""));
    }
    return out;
  }

  FakeRemovalSystem fs;
};

TEST_F(DeferredActionTest, StubAndIniAloneGetThreeScriptsElevatedOnlyForAllUsers) {
  for (const bool all_users : {false, true}) {
    fs.AddFile(stub);
    fs.AddFile(ini);
    fs.started.clear();
    Uninstall(all_users);
    EXPECT_EQ(Targets(),
              (std::vector<std::string>{Narrow(stub), Narrow(ini), Narrow(folder) + " (rd)"}));
    for (const auto& s : fs.started) EXPECT_EQ(s.elevate, all_users);
  }
}

TEST_F(DeferredActionTest, AnyOtherEntryKeepsTheFolder) {
  fs.AddFile(stub);
  fs.AddFolder(folder + u"\\logs");
  Uninstall();
  EXPECT_EQ(Targets(), (std::vector<std::string>{Narrow(stub)}));
}

TEST_F(DeferredActionTest, FolderGetsNoScriptWhenOneOfItsFilesGotNone) {
  // The stub's Persian name has no 8.3 alias, its ".ini" has one: only the ".ini" is removed,
  // and the folder, which would never empty, gets no script waiting for it.
  const std::u16string persian_stub = folder + u"\\\u0631\u0627\u0648\u06A9.exe";
  const std::u16string persian_ini = folder + u"\\\u0631\u0627\u0648\u06A9.ini";
  fs.AddFile(persian_stub);
  fs.AddFile(persian_ini);
  fs.short_names[persian_ini] = folder + u"\\D5E1~1.INI";
  RunDeferred(u"0" + persian_stub);
  EXPECT_EQ(Targets(), std::vector<std::string>{Narrow(folder) + "\\D5E1~1.INI"});
}

TEST_F(DeferredActionTest, MissingOrUnreadableDataDoesNothing) {
  fs.AddFile(stub);
  RunDeferred(u"");
  for (const uint32_t status : {kSuccess, 1627u}) {
    FakeInstallerSession unreadable;
    unreadable.properties[u"CustomActionData"] = u"0" + stub;
    unreadable.get_property_status = status;
    EXPECT_EQ(DoRemoveExternalUIStub(unreadable, fs), 0u);
  }
  RunDeferred(u"1");  // a flag and no path: not even the current drive is listed
  EXPECT_TRUE(fs.started.empty());
  EXPECT_TRUE(fs.find_calls.empty());
}

TEST_F(DeferredActionTest, ScriptIsTheTemporaryNameWithBatAndCarriesShortPaths) {
  fs.AddFile(stub);
  fs.AddFolder(folder + u"\\keep");
  fs.short_names[stub] = u"C:\\Users\\u\\AppData\\Local\\Malvorn\\Pellory\\{P}\\SETUP~1.EXE";
  Uninstall();
  ASSERT_EQ(fs.started.size(), 1u);
  ASSERT_EQ(fs.created_temp_files, std::vector<std::u16string>{u"C:\\Temp\\EXEa10.tmp"});
  EXPECT_EQ(fs.started[0].file, u"C:\\Temp\\EXEa10.tmp.bat");
  EXPECT_FALSE(fs.files.count(u"C:\\Temp\\EXEa10.tmp"));  // the placeholder is deleted
  EXPECT_EQ(
      fs.started[0].text,
      ScriptText({"C:\\Users\\u\\AppData\\Local\\Malvorn\\Pellory\\{P}\\SETUP~1.EXE", false, false},
                 "C:\\Temp\\EXEa10.tmp.bat"));
}

TEST_F(DeferredActionTest, TargetThatABatchScriptCouldMisreadGetsNoScript) {
  // A Persian folder name with an 8.3 alias is removed through the alias; without one, or
  // written through a code page that lacks its letters, or holding "%", it is left alone.
  const std::u16string persian = u"C:\\Users\\u\\AppData\\Local\\\u0631\u0627\u0648\u06A9";
  const std::u16string percent = u"C:\\Users\\u\\AppData\\Local\\100%done";
  for (const auto& base : {persian, percent}) {
    fs.AddFolder(base);
    fs.AddFile(base + u"\\Setup.exe");
  }
  fs.short_names[persian] = u"C:\\Users\\u\\AppData\\Local\\D5E1~1";
  RunRemovalJob(fs, {persian, true}, false);
  ASSERT_EQ(Targets(), std::vector<std::string>{"C:\\Users\\u\\AppData\\Local\\D5E1~1 (rd)"});

  fs.started.clear();
  RunRemovalJob(fs, {persian + u"\\Setup.exe", false}, false);  // the alias covers the folder only
  fs.lossy_ansi = true;
  RunRemovalJob(fs, {persian + u"\\Setup.exe", false}, false);
  RunRemovalJob(fs, {percent + u"\\Setup.exe", false}, false);
  RunRemovalJob(fs, {percent, true}, false);
  EXPECT_TRUE(fs.started.empty());
  EXPECT_EQ(fs.created_temp_files.size(), 1u);  // refused before any script file was made
}

TEST_F(DeferredActionTest, TemporaryFolderIsNamedByItsShortFormWhenItMustBe) {
  fs.AddFile(stub);
  fs.AddFile(ini);
  const std::u16string temp = u"C:\\Users\\\u0639\u0644\u06CC\\Temp";
  fs.AddFolder(temp);
  fs.temp_folder = temp + u"\\";
  fs.short_names[temp] = u"C:\\Users\\6B0E~1\\Temp";
  RunRemovalJob(fs, {stub, false}, false);
  ASSERT_EQ(fs.started.size(), 1u);
  EXPECT_NE(fs.started[0].text.find("del \"C:\\Users\\6B0E~1\\Temp\\EXEa10.tmp.bat\" | cls"),
            std::string::npos);

  // Without a short form the script could not delete itself safely: no script at all.
  fs.short_names.erase(temp);
  fs.started.clear();
  RunRemovalJob(fs, {ini, false}, false);
  EXPECT_TRUE(fs.started.empty());
  EXPECT_EQ(fs.files.count(temp + u"\\EXEa11.tmp.bat"), 0u);
  EXPECT_EQ(fs.files.count(temp + u"\\EXEa11.tmp"), 0u);
}

TEST_F(DeferredActionTest, JobWithoutTemporaryNameOrScriptFileStartsNothing) {
  fs.AddFile(stub);
  fs.fail_temp_file = true;
  RunRemovalJob(fs, {stub, false}, false);
  fs.fail_temp_file = false;
  fs.temp_folder.clear();
  RunRemovalJob(fs, {stub, false}, false);
  fs.temp_folder = u"C:\\Temp\\";
  fs.fail_write = true;
  RunRemovalJob(fs, {stub, false}, false);
  EXPECT_TRUE(fs.started.empty());
  RunRemovalJob(fs, {folder + u"\\gone.exe", false}, false);
  EXPECT_EQ(fs.created_temp_files.size(), 1u);
}

}  // namespace
}  // namespace sorvel
