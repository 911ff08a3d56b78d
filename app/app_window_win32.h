// The application's hidden window: owner of the program's life. Closing it (Exit, or the end of
// the log-on) stores what must survive and ends the message loop.
#pragma once

#include <windows.h>

namespace ravak::win32 {

class ApplicationEvents {
 public:
  // The program ends, or the log-on does: store the general settings.
  virtual void Closing() = 0;
  // The window is gone: take the icon away and hide every window.
  virtual void Closed() = 0;

 protected:
  ~ApplicationEvents() = default;
};

class ApplicationWindow {
 public:
  ApplicationWindow(HINSTANCE instance, ApplicationEvents& events);
  ~ApplicationWindow();
  ApplicationWindow(const ApplicationWindow&) = delete;
  ApplicationWindow& operator=(const ApplicationWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  // Asks the window to close (as Exit does); the message loop then ends.
  void Close();

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);

  ApplicationEvents& events_;
  HWND hwnd_ = nullptr;
};

}  // namespace ravak::win32
