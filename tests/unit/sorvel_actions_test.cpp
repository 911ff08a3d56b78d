#include <gtest/gtest.h>

#include "setupaction/stub_removal.h"
#include "tests/fakes/fake_setup_system.h"

namespace sorvel {
namespace {

using testing::FakeInstallerSession;
using testing::FakeProgramWindows;
using testing::FakeRemovalSystem;

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

using Kind = FakeRemovalSystem::Kind;

const std::u16string kCode = u"{04695010-57C6-5214-9995-14AAC8E96460}";
const std::u16string kCommon = u"C:\\ProgramData\\";
const std::u16string kLocal = u"C:\\Users\\u\\AppData\\Local\\";
const std::u16string kBelow = u"Malvorn\\Pellory\\" + kCode + u"\\Setup.exe";

FakeInstallerSession Installer(bool all_users) {
  FakeInstallerSession s;
  s.properties = {{u"CommonAppDataFolder", kCommon},
                  {u"LocalAppDataFolder", kLocal},
                  {u"ProductCode", kCode},
                  {u"QZ_EXTERNALUIUNINSTALLERNAME", u"Setup.exe"}};
  s.conditions[u"ALLUSERS = 1"] = all_users ? kConditionTrue : kConditionFalse;
  return s;
}

TEST(ImmediateActionTest, ClosesRavakThenSchedulesTheStubOfTheScopeAndTheUsersFolder) {
  for (const bool all_users : {true, false}) {
    FakeInstallerSession session = Installer(all_users);
    FakeProgramWindows programs;
    EXPECT_EQ(RemoveExternalUIStub(session, programs), 0u);
    EXPECT_EQ(programs.closed, std::vector<std::u16string>{u"RavakApplication"});
    EXPECT_EQ(session.scheduled,
              std::vector<std::u16string>{(all_users ? kCommon : kLocal) + kBelow + u"|" + kLocal});
    EXPECT_EQ(session.properties[u"QZ_DoRemoveExternalUIStub"], u"");
    EXPECT_TRUE(session.open_records.empty());
  }
}

TEST(ImmediateActionTest, NamesThatAreNotPlainLeaveTheStubOut) {
  // Brackets in a folder name stay literal: the folder's value is not formatted again.
  FakeInstallerSession brackets = Installer(false);
  brackets.properties[u"LocalAppDataFolder"] = u"C:\\Users\\[a]\\Local\\";
  brackets.properties[u"a"] = u"other";
  FakeProgramWindows programs;
  RemoveExternalUIStub(brackets, programs);
  EXPECT_EQ(brackets.scheduled, std::vector<std::u16string>{u"C:\\Users\\[a]\\Local\\" + kBelow +
                                                            u"|C:\\Users\\[a]\\Local\\"});

  for (const auto& [property, value] :
       std::initializer_list<std::pair<std::u16string, std::u16string>>{
           {u"QZ_EXTERNALUIUNINSTALLERNAME", u"..\\..\\..\\..\\Windows\\System32\\x.dll"},
           {u"QZ_EXTERNALUIUNINSTALLERNAME", u""},
           {u"ProductCode", u"..\\.."}}) {
    FakeInstallerSession session = Installer(true);
    session.properties[property] = value;
    RemoveExternalUIStub(session, programs);
    EXPECT_EQ(session.scheduled, std::vector<std::u16string>{u"|" + kLocal});
  }
}

// A machine with the stub's folder and the user's copy of Kerrak, and an installer session that
// runs the immediate action and hands its data to the deferred one.
class DeferredActionTest : public ::testing::Test {
 protected:
  const std::u16string folder = kLocal + u"Malvorn\\Pellory\\" + kCode;
  const std::u16string stub = folder + u"\\Setup.exe";
  const std::u16string ini = folder + u"\\Setup.ini";
  const std::u16string kerrak_folder = kLocal + u"Tirnak\\Ravak\\x64";

  void SetUp() override {
    for (const auto& f : {kLocal + u"Malvorn", kLocal + u"Malvorn\\Pellory", folder,
                          kLocal + u"Tirnak", kLocal + u"Tirnak\\Ravak", kerrak_folder}) {
      fs.Add(f, Kind::kFolder);
    }
    fs.Add(kLocal.substr(0, kLocal.size() - 1), Kind::kFolder);
    fs.Add(kerrak_folder + u"\\Kerrak.dll", Kind::kFile);
  }

  // Both actions, as the installer runs them at uninstall.
  void Uninstall() {
    FakeInstallerSession immediate = Installer(false);
    FakeProgramWindows programs;
    ASSERT_EQ(RemoveExternalUIStub(immediate, programs), 0u);
    ASSERT_EQ(immediate.scheduled.size(), 1u);
    RunDeferred(immediate.scheduled[0]);
  }
  void RunDeferred(const std::u16string& data) {
    FakeInstallerSession deferred;
    deferred.properties[u"CustomActionData"] = data;
    EXPECT_EQ(DoRemoveExternalUIStub(deferred, fs, u"x64"), 0u);
    EXPECT_EQ(fs.OpenFolders(), 0u);
  }
  std::vector<std::string> Removed() const {
    std::vector<std::string> out;
    for (const std::string& line : fs.log) {
      if (!line.starts_with("open ")) {
        out.push_back(line.substr(0, line.find(' ') + 1) + line.substr(line.rfind('\\') + 1));
      }
    }
    return out;
  }

  FakeRemovalSystem fs;
};

TEST_F(DeferredActionTest, StubIniAndTheirFolderGo_ThenTheUsersKerrakAndItsEmptyFolders) {
  fs.Add(stub, Kind::kReadOnlyFile);
  fs.Add(ini, Kind::kFile);
  Uninstall();
  EXPECT_EQ(Removed(), (std::vector<std::string>{"delete setup.exe", "delete setup.ini",
                                                 "rmdir {04695010-57c6-5214-9995-14aac8e96460}",
                                                 "delete kerrak.dll", "rmdir x64", "rmdir ravak",
                                                 "rmdir tirnak"}));
  EXPECT_TRUE(fs.Has(kLocal + u"Malvorn\\Pellory"));  // only the product's own folder goes
}

TEST_F(DeferredActionTest, AnythingElseInAFolderKeepsIt) {
  fs.Add(stub, Kind::kFile);
  fs.Add(folder + u"\\logs", Kind::kFolder);
  fs.Add(kLocal + u"Tirnak\\Ravak\\x86", Kind::kFolder);  // the other build's folder
  Uninstall();
  EXPECT_EQ(Removed(),
            (std::vector<std::string>{"delete setup.exe", "delete kerrak.dll", "rmdir x64"}));
}

TEST_F(DeferredActionTest, NothingIsReachedThroughALinkAndAFileInUseStays) {
  // A link planted for a folder of the path, for the stub, or for the Kerrak copy.
  fs.entries.erase(FakeRemovalSystem::Fold(kLocal + u"Malvorn\\Pellory"));
  fs.Add(kLocal + u"Malvorn\\Pellory", Kind::kLink);
  fs.Add(kerrak_folder + u"\\Kerrak.dll", Kind::kLink);
  Uninstall();
  EXPECT_EQ(Removed(), std::vector<std::string>{});
  EXPECT_TRUE(fs.Has(folder));

  fs.Add(kLocal + u"Malvorn\\Pellory", Kind::kFolder);
  fs.Add(stub, Kind::kLink);
  fs.Add(ini, Kind::kFile);
  fs.in_use.insert(FakeRemovalSystem::Fold(ini));
  fs.log.clear();
  Uninstall();
  EXPECT_EQ(Removed(), std::vector<std::string>{"refused setup.ini"});
}

TEST_F(DeferredActionTest, MissingOrUnreadableDataDoesNothing) {
  fs.Add(stub, Kind::kFile);
  RunDeferred(u"");
  RunDeferred(stub);  // no separator
  for (const uint32_t status : {kSuccess, 1627u}) {
    FakeInstallerSession unreadable;
    unreadable.properties[u"CustomActionData"] = stub + u"|";
    unreadable.get_property_status = status;
    EXPECT_EQ(DoRemoveExternalUIStub(unreadable, fs, u"x64"), 0u);
  }
  // A path of another shape, a relative user folder: nothing is opened.
  RunDeferred(kLocal + u"Malvorn\\Setup.exe|AppData\\Local\\");
  EXPECT_TRUE(fs.log.empty());
}

}  // namespace
}  // namespace sorvel
