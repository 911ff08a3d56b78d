// The "حافظه پیشرفته" tab's item list: lstPr drawn from the copy stack's model, its buttons, and
// the in-place editor over an item.
#pragma once

#include <windows.h>

#include "app/main_form.h"
#include "app/main_window_win32.h"

namespace ravak::win32 {

class MemoryTab {
 public:
  MemoryTab(MainWindow& window, TfrmMain& form);
  ~MemoryTab();
  MemoryTab(const MemoryTab&) = delete;
  MemoryTab& operator=(const MemoryTab&) = delete;

 private:
  static LRESULT ListProc(HWND, UINT, WPARAM, LPARAM, void* data);
  static LRESULT EditorProc(HWND, UINT, WPARAM, LPARAM, void* data);
  bool PageMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Redraw();

  MainWindow& window_;
  TfrmMain& form_;
  HWND list_ = nullptr;
  HWND editor_ = nullptr;
  bool redrawing_ = false;
};

}  // namespace ravak::win32
