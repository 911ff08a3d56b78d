// The "تایپ هوشمند" tab's lists: the programs automatic switching and auto-correct keep out of
// (a name typed in and added, a line removed) and the words automatic detection never switches (a
// line removed, or all of them). Its check boxes are bound to the settings like every other.
#pragma once

#include <windows.h>

#include <string>

#include "app/settings_controller.h"
#include "app/settings_window_win32.h"

namespace ravak::win32 {

class TypingPage {
 public:
  TypingPage(SettingsWindow& window, SettingsController& controller, ErrorReport& errors);
  TypingPage(const TypingPage&) = delete;
  TypingPage& operator=(const TypingPage&) = delete;

  // Both lists drawn again from the settings and the exceptions.
  void ShowLists();
  // Enter in the program name's edit adds the program, as the + button does.
  void EnterPressed(HWND focus);

 private:
  bool PageMessage(UINT msg, WPARAM wp);
  void AddProgram();
  void ShowButtons();
  // The selected line of a list box; empty when none is selected.
  static std::u16string SelectedLine(HWND list);
  static void Fill(HWND list, const std::vector<std::u16string>& lines,
                   const std::u16string& selected);

  SettingsWindow& window_;
  SettingsController& controller_;
  ErrorReport& errors_;
  HWND programs_ = nullptr;
  HWND exceptions_ = nullptr;
  HWND name_ = nullptr;
};

}  // namespace ravak::win32
