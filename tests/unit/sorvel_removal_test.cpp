#include "setupaction/removal.h"

#include <gtest/gtest.h>

#include <cstring>

namespace sorvel {
namespace {

TEST(ScriptTextTest, FillsTargetThreeTimesThenTheScriptTwice) {
  EXPECT_EQ(std::strlen(kFileScriptTemplate), 102u);
  EXPECT_EQ(std::strlen(kFolderScriptTemplate), 101u);
  const std::string script = "C:\\Temp\\EXEA10.tmp.bat";
  EXPECT_EQ(ScriptText({"C:\\PROGRA~3\\Malvorn\\x.exe", false, false}, script),
            "@echo off \r\n"
            "ATTRIB -r \"C:\\PROGRA~3\\Malvorn\\x.exe\" \r\n"
            ":try \r\n"
            "del \"C:\\PROGRA~3\\Malvorn\\x.exe\" \r\n"
            "if exist \"C:\\PROGRA~3\\Malvorn\\x.exe\" goto try\r\n"
            "ATTRIB -r \"C:\\Temp\\EXEA10.tmp.bat\" \r\n"
            "del \"C:\\Temp\\EXEA10.tmp.bat\" | cls");
  EXPECT_EQ(ScriptText({"C:\\D", true, true}, script),
            "@echo off \r\n"
            "ATTRIB -r \"C:\\D\" \r\n"
            ":try \r\n"
            "rd \"C:\\D\" \r\n"
            "if exist \"C:\\D\" goto try\r\n"
            "ATTRIB -r \"C:\\Temp\\EXEA10.tmp.bat\" \r\n"
            "del \"C:\\Temp\\EXEA10.tmp.bat\" | cls");
}

TEST(StubPathsTest, IniReplacesOnlyTheFileNamesExtension) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"C:\\a\\Setup.exe", u"C:\\a\\Setup.ini"},
      {u"C:\\a\\Setup.tar.gz", u"C:\\a\\Setup.tar.ini"},
      // A dot in a folder name is not the file's extension.
      {u"C:\\john.doe\\a\\Setup", u"C:\\john.doe\\a\\Setup.ini"},
      {u"C:\\a\\Setup", u"C:\\a\\Setup.ini"},
      {u"C:\\a\\", u"C:\\a\\"},
      {u"", u""},
  };
  for (const auto& [stub, ini] : cases) EXPECT_EQ(IniPathFor(stub), ini);
  EXPECT_EQ(ParentFolder(u"C:\\a\\b\\Setup.exe"), u"C:\\a\\b");
  EXPECT_EQ(ParentFolder(u"Setup.exe"), u"");
}

TEST(StubPathsTest, OnlyFullPathsWithoutWildcardsAreAccepted) {
  EXPECT_TRUE(IsAcceptedPath(u"C:\\a"));
  EXPECT_TRUE(IsAcceptedPath(u"\\\\server\\share\\a"));
  EXPECT_FALSE(IsAcceptedPath(u""));
  EXPECT_FALSE(IsAcceptedPath(u"Malvorn\\Pellory\\x"));
  EXPECT_FALSE(IsAcceptedPath(u"C:\\a\\*"));
  EXPECT_FALSE(IsAcceptedPath(u"C:\\a\\?.exe"));
}

TEST(SafeScriptPathTest, RefusesWhatBatchOrDelWouldNotTakeLiterally) {
  for (const char c : std::string("?*%\"!^&|<>\r\n\t")) {
    EXPECT_FALSE(IsSafeScriptPath(std::string("C:\\a") + c + "b")) << int(c);
  }
  EXPECT_FALSE(IsSafeScriptPath(""));
  EXPECT_TRUE(IsSafeScriptPath("C:\\Program Files (x86)\\PROGRA~1\\a-b_c;d,e=f+g@h#i'j$k.exe"));
  // Persian letters in the Arabic code page are single bytes above 0x7F.
  EXPECT_TRUE(IsSafeScriptPath("C:\\\xD1\xE6\xC7\xE1\\x.exe"));
}

// The folder's content and the removals it calls for.
struct ChooseCase {
  const char* name;
  std::optional<std::size_t> entries;
  bool stub;
  bool ini;
  std::vector<RemovalTarget> expected;
};
void PrintTo(const ChooseCase& c, std::ostream* os) {
  *os << c.name;
}

class ChooseRemovalsTest : public ::testing::TestWithParam<ChooseCase> {};

const std::u16string kStub = u"C:\\PD\\Malvorn\\Pellory\\{P}\\Setup.exe";
const RemovalTarget kStubFile{kStub, false};
const RemovalTarget kIniFile{u"C:\\PD\\Malvorn\\Pellory\\{P}\\Setup.ini", false};
const RemovalTarget kFolder{u"C:\\PD\\Malvorn\\Pellory\\{P}", true};

TEST_P(ChooseRemovalsTest, StartsTheExpectedRemovalsInOrder) {
  const ChooseCase& c = GetParam();
  EXPECT_EQ(ChooseRemovals(kStub, {c.entries, c.stub, c.ini}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    FolderStates, ChooseRemovalsTest,
    ::testing::Values(ChooseCase{"StubAndIniAlone", 2, true, true, {kStubFile, kIniFile, kFolder}},
                      ChooseCase{"AnotherFileToo", 3, true, true, {kStubFile, kIniFile}},
                      ChooseCase{"IniAlone", 1, false, true, {kIniFile, kFolder}},
                      ChooseCase{"StubAlone", 1, true, false, {kStubFile, kFolder}},
                      ChooseCase{"EmptyFolder", 0, false, false, {kFolder}},
                      ChooseCase{"OnlyOtherFiles", 2, false, false, {}},
                      ChooseCase{"NoFolder", std::nullopt, false, false, {}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ChooseRemovalsEdgeTest, StubWithoutExtensionIsRemovedOnce) {
  // The ".ini" path is the stub's name plus ".ini", never the stub itself: one job, and the
  // folder, which also holds another file, stays.
  const std::u16string stub = u"C:\\a.b\\Setup";
  EXPECT_EQ(ChooseRemovals(stub, {2, true, false}), (std::vector<RemovalTarget>{{stub, false}}));
  // A stub named like its ".ini" is one file.
  const std::u16string ini_stub = u"C:\\d\\Setup.INI";
  EXPECT_EQ(ChooseRemovals(ini_stub, {1, true, true}),
            (std::vector<RemovalTarget>{{ini_stub, false}, {u"C:\\d", true}}));
}

TEST(ChooseRemovalsEdgeTest, NeverRemovesADriveOrARelativeFolder) {
  EXPECT_EQ(ChooseRemovals(u"C:\\Setup.exe", {1, true, false}),
            (std::vector<RemovalTarget>{{u"C:\\Setup.exe", false}}));
  EXPECT_TRUE(ChooseRemovals(u"Malvorn\\Setup.exe", {0, false, false}).empty());
  EXPECT_TRUE(ChooseRemovals(u"Setup.exe", {0, false, false}).empty());
}

}  // namespace
}  // namespace sorvel
