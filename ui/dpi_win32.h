// Screen density on Win32: what DPI a window is shown at, fonts and pictures made for it, and
// the re-layout of a window's controls when it moves to a monitor of another DPI (WM_DPICHANGED).
// The functions of newer Windows versions are looked up at run time; where they are missing the
// system DPI (LOGPIXELSY of the screen) stands for every monitor.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/dpi.h"

namespace ravak::win32 {

// The system DPI: the primary screen's, as it was when the user logged on.
int SystemDpi();
// The DPI of the monitor that holds point p (screen coordinates).
int DpiAt(POINT p);
// The DPI the window is shown at.
int WindowDpi(HWND hwnd);
// The window's outer size for a client area of client_width x client_height at dpi.
SIZE WindowSizeForClient(HWND hwnd, int client_width, int client_height, int dpi);
// The rectangle that WM_DPICHANGED suggests (its lParam).
inline const RECT& SuggestedRect(LPARAM lp) {
  return *reinterpret_cast<const RECT*>(lp);
}
// The new DPI that WM_DPICHANGED reports (its wParam).
inline int ChangedDpi(WPARAM wp) {
  return HIWORD(wp);
}

// A dialog made from a template, which the program lays out itself when the DPI changes: the
// system's dialog manager (Per-Monitor v2) then leaves its size, font and controls alone.
void KeepDialogLayout(HWND dialog);

// A copy of the font for another DPI: its height (and width, if set) scaled from from_dpi to
// to_dpi. Null when the font cannot be read.
HFONT RescaledFont(HFONT font, int from_dpi, int to_dpi);

// The picture stretched to width x height with a smooth filter (high-quality bicubic), as a new
// 32-bit bitmap; null when it cannot be made.
HBITMAP StretchPicture(HBITMAP picture, int width, int height);
// A bitmap resource drawn for dpi: as stored at 96 DPI, stretched in proportion otherwise (or as
// stored, should stretching fail). The caller deletes it.
HBITMAP LoadPicture(HINSTANCE instance, int id, int dpi);

// The rectangles of a window's controls at one DPI, to be set again in proportion at another.
// Controls are kept by identifier, so a control that is replaced by another of the same
// identifier keeps its place.
class ChildLayout {
 public:
  // Records the rectangles of parent's direct children that have an identifier of their own.
  void Record(HWND parent, int dpi);
  // Places the recorded controls for dpi, each edge scaled from where it was recorded.
  void Apply(int dpi) const;

 private:
  struct Item {
    int id;
    PixelRect rect;  // in the parent's client coordinates
  };
  HWND parent_ = nullptr;
  int dpi_ = kBaseDpi;
  std::vector<Item> items_;
};

}  // namespace ravak::win32
