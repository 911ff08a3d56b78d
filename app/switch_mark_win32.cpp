#include "app/switch_mark_win32.h"

#include <algorithm>

#include "app/resource.h"
#include "platform/win32.h"
#include "platform/win32_window.h"
#include "ui/dpi_win32.h"

namespace ravak::win32 {

namespace {

constexpr wchar_t kMarkClass[] = L"RavakSwitchMark";
constexpr UINT_PTR kTimer = 1;
constexpr BYTE kOpacity = 235;
// Pixels at 96 DPI: the text's height, the room around it, the distance from the caret.
constexpr int kFontHeight = 12;
constexpr int kPaddingX = 6;
constexpr int kPaddingY = 3;
constexpr int kGap = 4;

}  // namespace

SwitchMarkWindow::SwitchMarkWindow(HINSTANCE instance, std::function<std::optional<RECT>()> icon)
    : instance_(instance), icon_(std::move(icon)) {}

SwitchMarkWindow::~SwitchMarkWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (font_) DeleteObject(font_);
}

RECT SwitchMarkWindow::Anchor(const std::optional<ScreenRect>& caret) const {
  if (caret) return {caret->left, caret->top, caret->right, caret->bottom};
  if (const std::optional<RECT> icon = icon_ ? icon_() : std::nullopt) return *icon;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return {work.right - 1, work.bottom, work.right, work.bottom};
}

void SwitchMarkWindow::Show(const std::u16string& typed, std::optional<ScreenRect> caret) {
  if (!hwnd_) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.lpszClassName = kMarkClass;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
    // Never activated, never hit by the pointer, above every window, not on the taskbar.
    hwnd_ = CreateWindowExW(
        WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_LAYERED,
        kMarkClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, this);
    if (!hwnd_) return;  // a mark that cannot be shown is no error: the switch is made
    SetLayeredWindowAttributes(hwnd_, 0, kOpacity, LWA_ALPHA);
  }
  const RECT anchor = Anchor(caret);
  const int dpi = DpiAt({anchor.left, anchor.bottom});
  if (dpi != font_dpi_) {
    if (font_) DeleteObject(font_);
    font_ = CreateFontW(-ScaleToDpi(kFontHeight, dpi), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                        0, 0, CLEARTYPE_QUALITY, 0, L"Tahoma");
    font_dpi_ = dpi;
  }
  text_ = LoadText(instance_, IDS_SWITCH_MARK, ToWide(typed));

  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font_);
  RECT text{};
  DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &text,
            DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | DT_RTLREADING);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  const int width = text.right - text.left + 2 * ScaleToDpi(kPaddingX, dpi);
  const int height = text.bottom - text.top + 2 * ScaleToDpi(kPaddingY, dpi);

  // Under the caret's line, its start at the caret; above it where the screen ends below (the
  // icon's taskbar, a caret on the last line); always whole on the monitor's work area.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  const POINT at{anchor.left, anchor.bottom};
  GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const int gap = ScaleToDpi(kGap, dpi);
  int top = anchor.bottom + gap;
  if (top + height > work.bottom) top = anchor.top - gap - height;
  top = std::clamp(top, static_cast<int>(work.top), std::max<int>(work.top, work.bottom - height));
  const int left = std::clamp(static_cast<int>(anchor.left), static_cast<int>(work.left),
                              std::max<int>(work.left, work.right - width));

  SetWindowPos(hwnd_, HWND_TOPMOST, left, top, width, height,
               SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
  InvalidateRect(hwnd_, nullptr, TRUE);
  SetTimer(hwnd_, kTimer, kShownMs, nullptr);
}

void SwitchMarkWindow::Hide() {
  if (!hwnd_) return;
  KillTimer(hwnd_, kTimer);
  ShowWindow(hwnd_, SW_HIDE);
}

void SwitchMarkWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT r{};
  GetClientRect(hwnd_, &r);
  HBRUSH back = CreateSolidBrush(GetSysColor(COLOR_INFOBK));
  FillRect(dc, &r, back);
  DeleteObject(back);
  FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
  HGDIOBJ old = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_RTLREADING);
  SelectObject(dc, old);
  EndPaint(hwnd_, &ps);
}

LRESULT CALLBACK SwitchMarkWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = WindowObject<SwitchMarkWindow>(hwnd, msg, lp);
  if (self && self->hwnd_ == hwnd) return self->Handle(msg, wp, lp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT SwitchMarkWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_TIMER:
      if (wp == kTimer) Hide();
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    default:
      return DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

}  // namespace ravak::win32
