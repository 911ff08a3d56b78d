// What the settings window and the keyboard-type dialog place in pixels themselves, at any DPI.
// The tab pages and the dialogs' own controls are laid out in dialog units by the resource
// script and grow with the dialog font; the pixel sizes here grow with the DPI, and the window
// grows further where its pages would not fit in it otherwise.
//
// At 96 DPI the settings window has a client area of 810x440 pixels: the tab control 10 pixels in
// from the sides, 45 from the top and 50 from the bottom, the three buttons (104x28, 112 apart)
// 40 pixels above the bottom edge, and the 100x30 logo at (10, 8). The window is mirrored, so
// "left" counts from its right edge. The keyboard-type dialog has a client area of 452x287.
// A window larger than the screen's work area is drawn at a lower density, at which it fits.
#pragma once

#include <algorithm>

#include "ui/dpi.h"

namespace ravak {

inline constexpr PixelSize kSettingsClient{810, 440};
inline constexpr int kSettingsSide = 10;
inline constexpr int kSettingsTop = 45;
inline constexpr int kSettingsBottom = 50;
inline constexpr PixelRect kSettingsButton{10, 400, 104, 28};  // the first of three
inline constexpr int kSettingsButtonPitch = 112;
inline constexpr PixelRect kSettingsLogo{10, 8, 100, 30};
inline constexpr PixelSize kKeyboardTypeClient{452, 287};

struct SettingsLayout {
  PixelRect tabs;
  PixelRect buttons[3];  // OK, Apply, Cancel
  PixelRect logo;
};

// The client area at dpi: 810x440 scaled, or larger where the tab control needs more room for a
// page (tabs_needed: the tab control's size around a whole page).
constexpr PixelSize SettingsClientSize(int dpi, PixelSize tabs_needed) {
  const PixelSize scaled{ScaleToDpi(kSettingsClient.width, dpi),
                         ScaleToDpi(kSettingsClient.height, dpi)};
  return {std::max(scaled.width, tabs_needed.width + 2 * ScaleToDpi(kSettingsSide, dpi)),
          std::max(scaled.height, tabs_needed.height + ScaleToDpi(kSettingsTop, dpi) +
                                      ScaleToDpi(kSettingsBottom, dpi))};
}

// The tab control fills the client area less its margins; the buttons keep to the bottom edge.
constexpr SettingsLayout LayOutSettings(PixelSize client, int dpi) {
  SettingsLayout layout{};
  const int side = ScaleToDpi(kSettingsSide, dpi);
  const int top = ScaleToDpi(kSettingsTop, dpi);
  layout.tabs = {side, top, client.width - 2 * side,
                 client.height - top - ScaleToDpi(kSettingsBottom, dpi)};
  const int from_bottom = ScaleToDpi(kSettingsClient.height - kSettingsButton.top, dpi);
  for (int i = 0; i < 3; ++i) {
    PixelRect button = kSettingsButton;
    button.left += i * kSettingsButtonPitch;
    button = ScaleToDpi(button, dpi);
    button.top = client.height - from_bottom;
    layout.buttons[i] = button;
  }
  layout.logo = ScaleToDpi(kSettingsLogo, dpi);
  return layout;
}

// The least density a window is drawn at to fit its work area.
inline constexpr int kLeastFittingDpi = 72;

// The density at which a window laid out at dpi fits the work area: dpi when it fits, else the
// highest below at which its client area scaled, with the frame as it is, fits (144 DPI gives
// way to 117 on a 1024x768 screen); never below kLeastFittingDpi.
constexpr int FittingDpi(int dpi, PixelSize client, PixelSize frame, PixelSize work) {
  int fit = dpi;
  while (fit > kLeastFittingDpi &&
         (Rescale(client.width, dpi, fit) + frame.width > work.width ||
          Rescale(client.height, dpi, fit) + frame.height > work.height)) {
    --fit;
  }
  return fit;
}

// Where a window goes on the work area: centred. One still larger than the work area keeps its
// top and its right edge, where it starts reading, on it.
constexpr PixelRect PlaceOnWorkArea(PixelSize window, PixelRect work) {
  const int x = window.width > work.width ? work.left + work.width - window.width
                                          : work.left + (work.width - window.width) / 2;
  const int y =
      window.height > work.height ? work.top : work.top + (work.height - window.height) / 2;
  return {x, y, window.width, window.height};
}

// The keyboard-type dialog's client area: 452x287 scaled, or the size of its dialog-unit layout
// (template) when that is larger.
constexpr PixelSize KeyboardTypeClientSize(int dpi, PixelSize template_size) {
  return {std::max(ScaleToDpi(kKeyboardTypeClient.width, dpi), template_size.width),
          std::max(ScaleToDpi(kKeyboardTypeClient.height, dpi), template_size.height)};
}

}  // namespace ravak
