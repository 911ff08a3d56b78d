#include "settings/program_list.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_desktop.h"

namespace ravak {
namespace {

using testing::FakeDesktop;

// What the user types in the settings window, or the system gives, is listed under its file name.
TEST(ProgramListTest, ProgramsAreListedByFileNameWhateverCase) {
  const std::pair<std::u16string, std::u16string> names[] = {
      {u"notepad", u"notepad.exe"},
      {u"  Game.EXE ", u"Game.EXE"},
      {u"\"C:\\Program Files\\Slides\\show.exe\"", u"show.exe"},
      {u"D:/games/run.bat", u"run.bat"},
      {u"", u""},
      {u"C:\\", u""},
      {u"a|b.exe", u""},
      {u"name.", u""},
  };
  for (const auto& [typed, listed] : names)
    EXPECT_EQ(ProgramFileName(typed), listed) << typed.size();

  std::vector<std::u16string> list;
  EXPECT_TRUE(AddProgram(list, u"C:\\Games\\Doom.exe"));
  EXPECT_FALSE(AddProgram(list, u"DOOM.EXE"));  // Windows names files without regard to case
  EXPECT_FALSE(AddProgram(list, u"  "));
  EXPECT_TRUE(ListsProgram(list, u"doom.exe"));
  EXPECT_FALSE(ListsProgram(list, u"doom"));
  EXPECT_FALSE(ListsProgram(list, u""));
  EXPECT_TRUE(RemoveProgram(list, u"Doom.EXE"));
  EXPECT_TRUE(list.empty());
}

// In a program of the list, and in a full-screen program while the settings say so, nothing is
// switched or replaced; elsewhere both go on. The tray item lists the program in front at once.
TEST(ProgramListTest, SwitchingAndAutoCorrectKeepOutOfListedAndFullScreenPrograms) {
  FakeDesktop desk;
  desk.controller.Start();
  desk.settings.auto_detect = desk.settings.autocorrect_enabled = true;
  desk.autocorrect.List().Append({u"", u"with thanks", u"tks"});
  auto typed = [&desk](const std::u16string& keys) {
    desk.typing.field.Show(u"");
    desk.typing.Type(keys);
    return desk.typing.field.text;
  };
  EXPECT_EQ(typed(u"sghl tks"), u"سلام with thanks");

  desk.controller.ToggleProgram(desk.foreground.ForegroundProgram());
  EXPECT_EQ(desk.settings.excluded_programs, std::vector<std::u16string>{u"Notepad.exe"});
  EXPECT_TRUE(
      desk.registry.Get(u"Software\\Tirnak\\Ravak\\General", u"lstExcludedPrograms.Items[0]"));
  desk.foreground.program = u"NOTEPAD.EXE";
  EXPECT_EQ(typed(u"sghl tks"), u"sghl tks");
  desk.foreground.program = u"other.exe";
  EXPECT_EQ(typed(u"sghl tks"), u"سلام with thanks");

  desk.foreground.full_screen = true;
  EXPECT_EQ(typed(u"sghl tks"), u"sghl tks");
  desk.settings.skip_full_screen = false;
  EXPECT_EQ(typed(u"sghl tks"), u"سلام with thanks");

  desk.controller.ToggleProgram(u"notepad.exe");  // the tick taken off again
  EXPECT_TRUE(desk.settings.excluded_programs.empty());
}

}  // namespace
}  // namespace ravak
