// The tray: the notification-area icon, its hidden window, the menu on a right click and the
// double click, each turned into a command; kept alive across shell restarts and the end of a
// log-on.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "app/commands.h"
#include "app/tray.h"
#include "platform/message_pump.h"

namespace ravak::win32 {

class TrayIcon : public TrayShell {
 public:
  static constexpr UINT kCallbackMessage = WM_USER + 1;
  static constexpr UINT kIconId = 1;

  TrayIcon(HINSTANCE instance, CommandHandler& commands, std::u16string hint, Sleeper& sleeper);
  ~TrayIcon() override;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  bool Notify(TrayRequest request, uint32_t* error) override;
  void Show();
  void Hide();
  // Where the icon is on the screen; nothing when it is not shown or the shell cannot tell.
  std::optional<RECT> IconRect() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void PopupMenu();

  HINSTANCE instance_;
  CommandHandler& commands_;
  std::u16string hint_;
  Sleeper& sleeper_;
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
  UINT taskbar_created_ = 0;
  bool shown_ = false;
  bool versioned_ = false;
};

}  // namespace ravak::win32
