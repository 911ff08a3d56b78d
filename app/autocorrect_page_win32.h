// The "تصحیح خودکار" tab: the list view, the search box over it and the three edits bound to
// the auto-correct list and its editor rules, and the list's import from and export to a CSV
// file.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "app/settings_window_win32.h"
#include "autocorrect/autocorrect_feature.h"

namespace ravak::win32 {

class AutoCorrectPage {
 public:
  AutoCorrectPage(SettingsWindow& window, AutoCorrectFeature& autocorrect);
  ~AutoCorrectPage();
  AutoCorrectPage(const AutoCorrectPage&) = delete;
  AutoCorrectPage& operator=(const AutoCorrectPage&) = delete;

  // Rebuilds the list view from the list (after loading).
  void ShowList();
  // The before and after edits read right to left (rtl) or left to right; the keyword edit
  // always reads left to right.
  void ShowDirection(bool rtl);
  // Enter in one of the three edits: adds their entry when the + button is enabled.
  void EnterPressed(HWND focus);

 private:
  static LRESULT KeyEditProc(HWND, UINT, WPARAM, LPARAM, void* data);
  bool PageMessage(UINT msg, WPARAM wp, LPARAM lp);
  void ShowEdits();
  void ShowButtons();
  void ShowRowText(NMLVDISPINFOW& info) const;
  std::u16string EditText(HWND edit) const;
  void AddRow();
  HWND RecreateEdit(HWND edit, bool rtl);
  void Import();
  void Export();
  void Tell(int button, const std::wstring& text, bool warning) const;
  std::wstring Caption(int button) const;

  SettingsWindow& window_;
  AutoCorrectFeature& autocorrect_;
  HWND list_ = nullptr;
  HWND key_ = nullptr;
  HWND pre_ = nullptr;
  HWND post_ = nullptr;
  HWND search_ = nullptr;
  bool updating_ = false;
  int direction_ = -1;  // 0 left to right, 1 right to left, -1 as the dialog made the edits
};

}  // namespace ravak::win32
