// The program's commands, as the tray menu and the tray icon give them.
#pragma once

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

 protected:
  ~CommandHandler() = default;
};

}  // namespace ravak
