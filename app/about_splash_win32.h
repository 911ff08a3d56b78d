// The About splash: a borderless topmost picture, centred on the screen, that fades in, stays
// six seconds and fades out by itself. A request while it shows does nothing.
#pragma once

#include <windows.h>

namespace ravak::win32 {

class AboutSplash {
 public:
  explicit AboutSplash(HINSTANCE instance);
  ~AboutSplash();
  AboutSplash(const AboutSplash&) = delete;
  AboutSplash& operator=(const AboutSplash&) = delete;

  void Show();

 private:
  HINSTANCE instance_;
  HWND window_ = nullptr;
};

}  // namespace ravak::win32
