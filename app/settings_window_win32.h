// The settings window: the dialog with its five tab pages (General, copy stack, auto-correct,
// typing, About), made the first time it is shown. Its check boxes and hotkey edits are bound to
// the settings model through the field table; OK, Apply and Cancel go to the settings controller.
// It is laid out in pixels for its DPI and follows the DPI when it moves to another monitor.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/resource.h"
#include "app/settings_controller.h"
#include "platform/win32.h"
#include "ui/dpi_win32.h"

namespace ravak::win32 {

class SettingsWindow {
 public:
  // app: the application window, asked to close when this window is closed.
  SettingsWindow(HINSTANCE instance, MessagePump& pump, SettingsController& controller,
                 CopyStackFeature& copy_stack, AutoCorrectFeature& autocorrect, ErrorReport& errors,
                 HWND app);
  ~SettingsWindow();
  SettingsWindow(const SettingsWindow&) = delete;
  SettingsWindow& operator=(const SettingsWindow&) = delete;

  void Show();
  void Hide();
  // Shows the model again: check boxes, the keyboard type and the two layouts converted
  // between, the texts' direction. The hotkey
  // edits keep what the user typed; ShowHotkeys puts the model's combinations in them.
  void ShowModel();
  void ShowHotkeys();
  // The hotkey edits as the user left them; the model's combinations when never shown.
  HotkeyEdits Hotkeys() const;

  // For the pages: a control of the window or of any page, and the messages of a page (a
  // handler gets every message of a page first and returns true when it handled it).
  HWND Control(int id) const;
  using PageHandler =
      std::function<bool(HWND page, UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result)>;
  void AddPageHandler(PageHandler handler) { page_handlers_.push_back(std::move(handler)); }
  HINSTANCE instance() const { return instance_; }

 private:
  // The small grey texts of the pages.
  static constexpr int kHintLabels[] = {
      IDC_HOTKEY_HINT,          IDC_SWITCH_LANGUAGE_HINT, IDC_KEYBOARD_TYPE_HINT,
      IDC_SAYING_AT_START_HINT, IDC_SLOW_SYSTEM_HINT,     IDC_AUTO_DETECT_HINT,
      IDC_COPY_STACK_HELP,      IDC_AUTOCORRECT_HELP,     IDC_SKIP_FULL_SCREEN_HINT,
      IDC_SWITCH_MARK_HINT,     IDC_FIX_NON_JOINERS_HINT, IDC_FIX_AS_TYPED_HINT,
      IDC_KEYBOARD_PAIR};
  static constexpr int kPages = 5;

  static INT_PTR CALLBACK MainProc(HWND, UINT, WPARAM, LPARAM);
  static INT_PTR CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT DpiProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, void* self);
  INT_PTR HandleMain(UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR HandlePage(HWND page, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR HandleShared(UINT msg, WPARAM wp, LPARAM lp);
  void Command(UINT id, UINT code, HWND control);
  HBRUSH ColorControl(HDC dc, HWND control);
  bool EnsureDialog();
  void SelectTab(int index);
  void CreatePages();
  void PlaceControls();
  void LayoutPages();
  void SetUpControls();
  void MakeDpiResources();
  void DpiChanged(int dpi, const RECT& suggested);
  PixelRect WorkArea() const;
  void FitWorkArea();

  HINSTANCE instance_;
  MessagePump& pump_;
  SettingsController& controller_;
  CopyStackFeature& copy_stack_;
  AutoCorrectFeature& autocorrect_;
  ErrorReport& errors_;
  HWND app_;
  HWND hwnd_ = nullptr;
  HWND pages_[kPages] = {};
  std::unique_ptr<class CopyStackPage> copy_stack_page_;
  std::unique_ptr<class AutoCorrectPage> autocorrect_page_;
  std::unique_ptr<class TypingPage> typing_page_;
  std::vector<PageHandler> page_handlers_;
  int tab_ = 0;
  HBRUSH white_ = nullptr;
  int dpi_ = kBaseDpi;  // the density the window is drawn for (lower than its monitor's to fit)
  HFONT hint_font_ = nullptr;
  HFONT pointer_font_ = nullptr;
  HFONT dialog_font_ = nullptr;  // the dialog font rescaled, once the DPI has changed
  HBITMAP logo_ = nullptr;       // the pictures, when stretched for dpi_
  HBITMAP about_ = nullptr;
  ChildLayout page_layouts_[kPages];
};

}  // namespace ravak::win32
