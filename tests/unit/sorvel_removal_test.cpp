#include "setupaction/removal.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

TEST(PlainNameTest, AcceptsOneEntryOfAFolderAndNothingElse) {
  for (const std::u16string& name : std::initializer_list<std::u16string>{
           u"RavakUninstall.exe", u"Setup", u".hidden", u"a b.exe", u"\u0631\u0627\u0648\u06A9.exe",
           u"CONSOLE.exe", u"COM0"}) {
    EXPECT_TRUE(IsPlainName(name)) << std::string(name.begin(), name.end());
  }
  for (const std::u16string& name :
       std::initializer_list<std::u16string>{u"",
                                             u".",
                                             u"..",
                                             u"..\\..\\Windows\\win.ini",
                                             u"a\\b",
                                             u"a/b",
                                             u"C:x",
                                             u"x.exe:stream",
                                             u"*.exe",
                                             u"a?",
                                             u"a\"b",
                                             u"a<b",
                                             u"a>b",
                                             u"a|b",
                                             u"tab\there",
                                             u"dot.",
                                             u"space ",
                                             u"CON",
                                             u"nul.txt",
                                             u"Com1",
                                             u"LPT9.ini",
                                             u"aux .txt",
                                             std::u16string(256, u'a')}) {
    EXPECT_FALSE(IsPlainName(name)) << std::string(name.begin(), name.end());
  }
}

TEST(StubPathTest, IsMadeOnlyFromCheckedPartsAndReadBackOnlyInThatShape) {
  const std::u16string code = u"{04695010-57C6-5214-9995-14aac8e96460}";
  const std::u16string stub = u"C:\\ProgramData\\Malvorn\\Pellory\\" + code + u"\\Setup.exe";
  EXPECT_EQ(StubPath(u"C:\\ProgramData\\", code, u"Setup.exe"), stub);
  EXPECT_EQ(StubPath(u"C:\\ProgramData", code, u"Setup.exe"), stub);
  EXPECT_EQ(
      StubRemoval(stub),
      (Removal{
          u"C:\\ProgramData\\", {u"Malvorn", u"Pellory", code}, {u"Setup.exe", u"Setup.ini"}, 1}));
  // A name without an extension gets "name.ini"; an ".ini" stub is listed once.
  EXPECT_EQ(StubRemoval(*StubPath(u"D:\\", code, u"Setup"))->files,
            (std::vector<std::u16string>{u"Setup", u"Setup.ini"}));
  EXPECT_EQ(StubRemoval(*StubPath(u"D:\\", code, u"Setup.ini"))->files,
            std::vector<std::u16string>{u"Setup.ini"});

  EXPECT_EQ(StubPath(u"C:\\ProgramData\\", code, u"..\\..\\Windows\\System32\\x.dll"),
            std::nullopt);
  EXPECT_EQ(StubPath(u"C:\\ProgramData\\", u"..", u"Setup.exe"), std::nullopt);
  EXPECT_EQ(StubPath(u"C:\\ProgramData\\", u"{P}", u"Setup.exe"), std::nullopt);
  EXPECT_EQ(StubPath(u"", code, u"Setup.exe"), std::nullopt);
  EXPECT_EQ(StubPath(u"ProgramData\\", code, u"Setup.exe"), std::nullopt);
  for (const std::u16string& path : std::initializer_list<std::u16string>{
           std::u16string(), u"C:\\Setup.exe", u"C:\\ProgramData\\Malvorn\\Pellory\\{P}\\Setup.exe",
           u"C:\\ProgramData\\Other\\Pellory\\" + code + u"\\Setup.exe",
           u"C:\\ProgramData\\Malvorn\\Pellory\\" + code + u"\\..",
           u"C:\\ProgramData\\Malvorn\\Pellory\\" + code + u"\\"}) {
    EXPECT_EQ(StubRemoval(path), std::nullopt) << std::string(path.begin(), path.end());
  }
}

TEST(RemovalDataTest, CarriesTheStubAndTheUserFolder) {
  const RemovalData data{u"C:\\ProgramData\\Malvorn\\x.exe", u"C:\\Users\\u\\AppData\\Local\\"};
  EXPECT_EQ(ComposeRemovalData(data),
            u"C:\\ProgramData\\Malvorn\\x.exe|C:\\Users\\u\\AppData\\Local\\");
  EXPECT_EQ(ParseRemovalData(ComposeRemovalData(data)), data);
  EXPECT_EQ(ParseRemovalData(u"|"), (RemovalData{}));
  EXPECT_EQ(ParseRemovalData(u""), std::nullopt);
  EXPECT_EQ(ParseRemovalData(u"1C:\\ProgramData\\x.exe"), std::nullopt);  // the old form
}

TEST(KerrakRemovalTest, TakesTheArchitecturesCopyAndItsFolders) {
  EXPECT_EQ(
      KerrakRemoval(u"C:\\Users\\u\\AppData\\Local\\", u"x64"),
      (Removal{
          u"C:\\Users\\u\\AppData\\Local\\", {u"Tirnak", u"Ravak", u"x64"}, {u"Kerrak.dll"}, 3}));
  EXPECT_EQ(KerrakRemoval(u"", u"x64"), std::nullopt);
  EXPECT_EQ(KerrakRemoval(u"AppData", u"x64"), std::nullopt);
  EXPECT_EQ(KerrakRemoval(u"C:\\Users\\u\\AppData\\Local\\", u".."), std::nullopt);
}

}  // namespace
}  // namespace sorvel
