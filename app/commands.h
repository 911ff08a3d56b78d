// The program's commands, as the tray menu and the tray icon give them.
#pragma once

namespace ravak {

enum class Command {
  kToggleActive,    // "فعال": the master switch
  kSettings,        // "تغيير تنظيمات": show the settings window
  kNextSaying,      // "سخن بعدی"
  kPreviousSaying,  // "سخن قبلی"
  kAbout,           // "درباره نرم افزار"
  kExit,            // "خروج"
  kShowSaying,      // double click on the icon: the current saying again
};

// What carries the commands out; the tray asks it too whether the master switch is on.
class CommandHandler {
 public:
  virtual void Run(Command command) = 0;
  virtual bool Active() const = 0;

 protected:
  ~CommandHandler() = default;
};

}  // namespace ravak
