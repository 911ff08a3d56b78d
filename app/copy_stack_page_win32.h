// The "حافظه پیشرفته" tab's item list: the list drawn from the copy stack's model, its buttons, and
// the in-place editor over an item.
#pragma once

#include <windows.h>

#include "app/settings_window_win32.h"
#include "clipstack/clip_stack.h"

namespace ravak::win32 {

class CopyStackPage {
 public:
  CopyStackPage(SettingsWindow& window, ClipItemList& list);
  ~CopyStackPage();
  CopyStackPage(const CopyStackPage&) = delete;
  CopyStackPage& operator=(const CopyStackPage&) = delete;

 private:
  static LRESULT ListProc(HWND, UINT, WPARAM, LPARAM, void* data);
  static LRESULT EditorProc(HWND, UINT, WPARAM, LPARAM, void* data);
  bool PageMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Redraw();

  SettingsWindow& window_;
  ClipItemList& items_;
  HWND list_ = nullptr;
  HWND editor_ = nullptr;
  bool redrawing_ = false;
};

}  // namespace ravak::win32
