// The Win32 face of TfrmMain: the settings dialog with its four tab pages, the keyboard-type
// dialog, the About splash and the tray icon with its menu.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/tray.h"
#include "platform/win32.h"

namespace ravak::win32 {

class TrayIcon;

class MainWindow : public MainView {
 public:
  MainWindow(HINSTANCE instance, MessagePump& pump);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The application's hidden window: owner of the clipboard and of the program's life (closing
  // it ends the program). The settings dialog is made only when it is first needed.
  HWND hwnd() const { return app_; }
  HWND dialog() const { return hwnd_; }
  // Binds the window to its logic and adds the tray icon.
  void Attach(TfrmMain& form);

  // MainView
  void ShowSettings() override;
  void HideSettings() override;
  void SelectTab(int index) override;
  void ModelChanged() override;
  void ReadHotkeyEdits(uint16_t& hk1, uint16_t& hkProCopy, uint16_t& hkProPaste) override;
  int ShowKeyboardTypeDialog() override;
  void ShowAboutSplash() override;
  void CloseMainWindow() override;

  // Handlers of the tab pages' own controls (lists, editors): each gets every message of a page
  // first and returns true when it handled it.
  using PageHandler =
      std::function<bool(HWND page, UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result)>;
  void AddPageHandler(PageHandler handler) { page_handlers_.push_back(std::move(handler)); }
  HWND Control(int id) const;

  // Tray menu command (pm1's items).
  void MenuCommand(UINT id);
  void TrayDoubleClick();
  bool ActiveFlag() const;

 private:
  static LRESULT CALLBACK AppProc(HWND, UINT, WPARAM, LPARAM);
  static INT_PTR CALLBACK MainProc(HWND, UINT, WPARAM, LPARAM);
  static INT_PTR CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM);
  static INT_PTR CALLBACK SelKeyProc(HWND, UINT, WPARAM, LPARAM);
  INT_PTR HandleMain(UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR HandlePage(HWND page, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR HandleShared(UINT msg, WPARAM wp, LPARAM lp);
  void Command(UINT id, UINT code, HWND control);
  HBRUSH ColorControl(HDC dc, HWND control);
  bool EnsureDialog();
  void CreatePages();
  void LayoutPages();
  void SetUpControls();

  HINSTANCE instance_;
  MessagePump& pump_;
  TfrmMain* form_ = nullptr;
  HWND app_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND pages_[4] = {};
  std::unique_ptr<class MemoryTab> memory_tab_;
  std::unique_ptr<class AutoCorrectTab> autocorrect_tab_;
  int tab_ = 0;
  HBRUSH white_ = nullptr;
  HFONT hint_font_ = nullptr;
  HFONT pointer_font_ = nullptr;
  std::unique_ptr<TrayIcon> tray_;
  HWND splash_ = nullptr;
  std::vector<PageHandler> page_handlers_;
};

}  // namespace ravak::win32
