// The "تصحیح خودکار" tab: the list view lvAC and the three edits bound to the auto-correct
// list and its editor rules.
#pragma once

#include <windows.h>

#include "app/main_form.h"
#include "app/main_window_win32.h"

namespace ravak::win32 {

class AutoCorrectTab {
 public:
  AutoCorrectTab(MainWindow& window, TfrmMain& form);
  ~AutoCorrectTab();
  AutoCorrectTab(const AutoCorrectTab&) = delete;
  AutoCorrectTab& operator=(const AutoCorrectTab&) = delete;

  // Rebuilds the list view from the list (after loading).
  void ShowList();

 private:
  static LRESULT KeyEditProc(HWND, UINT, WPARAM, LPARAM, void* data);
  bool PageMessage(UINT msg, WPARAM wp, LPARAM lp);
  void ShowEdits();
  void ShowButtons();
  void ShowRow(std::size_t index, bool insert);
  std::u16string EditText(HWND edit) const;

  MainWindow& window_;
  TfrmMain& form_;
  HWND list_ = nullptr;
  HWND key_ = nullptr;
  HWND pre_ = nullptr;
  HWND post_ = nullptr;
  bool updating_ = false;
};

}  // namespace ravak::win32
