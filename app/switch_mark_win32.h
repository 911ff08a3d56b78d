// The mark of an automatic switch on Win32: a small tooltip-like window shown for a moment just
// under the caret (or by Ravak's icon when the caret's place is unknown) that names the word as
// it was typed and says that Backspace brings it back. It is never activated, lets the pointer
// through, and goes after 1.5 s or at the user's next key.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "autoswitch/auto_switch_feature.h"

namespace ravak::win32 {

class SwitchMarkWindow final : public SwitchMarkPresenter {
 public:
  static constexpr UINT kShownMs = 1500;

  // icon: where Ravak's tray icon is on the screen, when the shell can tell.
  SwitchMarkWindow(HINSTANCE instance, std::function<std::optional<RECT>()> icon);
  ~SwitchMarkWindow();
  SwitchMarkWindow(const SwitchMarkWindow&) = delete;
  SwitchMarkWindow& operator=(const SwitchMarkWindow&) = delete;

  void Show(const std::u16string& typed, std::optional<ScreenRect> caret) override;
  void Hide() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void Paint();
  // Where the mark goes: beside the caret, or the icon, or the work area's corner.
  RECT Anchor(const std::optional<ScreenRect>& caret) const;

  HINSTANCE instance_;
  std::function<std::optional<RECT>()> icon_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  int font_dpi_ = 0;
  std::wstring text_;
};

}  // namespace ravak::win32
