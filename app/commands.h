// The program's commands, as the tray menu and the tray icon give them.
#pragma once

#include <string>

namespace ravak {

enum class Command {
  kToggleActive,      // "فعال": the master switch
  kToggleAutoDetect,  // "تشخیص خودکار زبان": the same switch as on the General tab
  kSettings,          // "تغيير تنظيمات": show the settings window
  kNextSaying,        // "سخن بعدی"
  kPreviousSaying,    // "سخن قبلی"
  kAbout,             // "درباره نرم افزار"
  kExit,              // "خروج"
  kShowSaying,        // double click on the icon: the current saying again
};

// What carries the commands out; the tray asks it too whether the switches it ticks are on.
class CommandHandler {
 public:
  virtual void Run(Command command) = 0;
  virtual bool Active() const = 0;
  // Whether automatic detection is on (its menu item is ticked then).
  virtual bool AutoDetect() const = 0;
  // The program "غیرفعال در این برنامه" is about: the one in front, or else the last one the user
  // typed or clicked in (the menu is opened from the taskbar); empty when none is known.
  virtual std::u16string ProgramInFront() = 0;
  // Whether automatic switching and auto-correct keep out of the program (its item is ticked).
  virtual bool ProgramExcluded(const std::u16string& program) const = 0;
  // The item chosen: the program is listed if it was not, unlisted if it was.
  virtual void ToggleProgram(const std::u16string& program) = 0;

 protected:
  ~CommandHandler() = default;
};

}  // namespace ravak
