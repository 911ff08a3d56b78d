#include "sayings/tip_window_win32.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/win32.h"
#include "sayings/tip_card.h"
#include "sayings/tip_card_win32.h"
#include "ui/dpi_win32.h"

namespace ravak::win32 {

namespace {

constexpr wchar_t kTipClass[] = L"RavakTip";
constexpr UINT_PTR kTipTimer = 1;
constexpr COLORREF kOverlayKey = kTipOverlayKey;

int g_open_tips = 0;

// --- the window -------------------------------------------------------------------------------

struct Tip;

// What a window of the class is: the card or its overlay.
struct WindowLink {
  Tip* tip;
  bool overlay;
};

struct Tip {
  Tip(const TipContent& c, const TipPlacement& placement, int16_t interval_ms, int at_dpi,
      TipObserver o)
      : motion(placement, interval_ms, ScaleToDpi(kTipWidth, at_dpi),
               ScaleToDpi(kTipHeight, at_dpi), ScaleToDpi(kTipSlideStep, at_dpi)),
        content(c),
        observer(std::move(o)),
        dpi(at_dpi) {}
  ~Tip() {
    if (card) DeleteObject(card);
    if (header_font) DeleteObject(header_font);
    if (saying_font) DeleteObject(saying_font);
  }
  // The card's size at the tip's DPI.
  int Width() const { return ScaleToDpi(kTipWidth, dpi); }
  int Height() const { return ScaleToDpi(kTipHeight, dpi); }

  TipMotion motion;
  TipContent content;
  TipObserver observer;
  int dpi;
  WindowLink card_link{this, false};
  WindowLink overlay_link{this, true};
  HWND window = nullptr;
  HWND overlay = nullptr;
  HBITMAP card = nullptr;
  HFONT header_font = nullptr;
  HFONT saying_font = nullptr;
  TipPhase timer_phase = TipPhase::Created;
  // A left-button press on the card: a click, or a drag once the pointer moves far enough.
  bool pressed = false;
  bool dragging = false;
  POINT press_point{};
  POINT press_origin{};
};

HFONT TipFont(const TipTextStyle& style, int dpi) {
  return CreateFontW(-ScaleToDpi(style.font_height, dpi), 0, 0, 0, style.bold ? FW_BOLD : FW_NORMAL,
                     FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
}

// Draws the card window for the tip's DPI where the motion has it: the picture at its size and
// the fonts of the texts. Returns what failed, as the start of an error message, or null.
const char* DrawCard(Tip& tip) {
  HBITMAP card = CreateCardBitmap(tip.Width(), tip.Height());
  if (!card) return "Cannot create the tip window: ";
  if (tip.card) DeleteObject(tip.card);
  tip.card = card;
  HDC screen = GetDC(nullptr);
  HDC source = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(source, tip.card);
  POINT to{tip.motion.Left(), tip.motion.Top()};
  SIZE size{tip.Width(), tip.Height()};
  POINT from{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  const BOOL drawn =
      UpdateLayeredWindow(tip.window, screen, &to, &size, source, &from, 0, &blend, ULW_ALPHA);
  SelectObject(source, old);
  DeleteDC(source);
  ReleaseDC(nullptr, screen);
  if (!drawn) return "Cannot draw the tip window: ";
  for (auto [font, style] : {std::pair{&tip.header_font, &kTipWeekdayStyle},
                             std::pair{&tip.saying_font, &kTipSayingStyle}}) {
    if (*font) DeleteObject(*font);
    *font = TipFont(*style, tip.dpi);
  }
  return nullptr;
}

// Brings the window in line with the motion: position, timer, observer; destroys the tip once
// it has closed, after which nothing may touch it.
void Sync(Tip& tip) {
  const TipMotion& m = tip.motion;
  RECT now{};
  GetWindowRect(tip.window, &now);
  if (now.left != m.Left() || now.top != m.Top()) {
    SetWindowPos(tip.window, nullptr, m.Left(), m.Top(), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (m.Phase() != tip.timer_phase) {
    tip.timer_phase = m.Phase();
    if (m.TimerMs() > 0) {
      SetTimer(tip.window, kTipTimer, m.TimerMs(), nullptr);
    } else {
      KillTimer(tip.window, kTipTimer);
    }
  }
  if (tip.observer) tip.observer(tip.window, m);
  if (m.Phase() == TipPhase::Closed) DestroyWindow(tip.window);
}

void PaintOverlay(const Tip& tip, HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  HDC buffer = CreateCompatibleDC(dc);
  const int card_width = tip.Width(), card_height = tip.Height();
  HBITMAP buffer_bitmap = CreateCompatibleBitmap(dc, card_width, card_height);
  HGDIOBJ old_buffer = SelectObject(buffer, buffer_bitmap);
  HDC card = CreateCompatibleDC(dc);
  HGDIOBJ old_card = SelectObject(card, tip.card);

  // Everywhere the key colour, so the card shows through, except under the texts: there the
  // card's own pixels (opaque there), with the text on them.
  RECT all{0, 0, card_width, card_height};
  HBRUSH key = CreateSolidBrush(kOverlayKey);
  FillRect(buffer, &all, key);
  DeleteObject(key);
  SetBkMode(buffer, TRANSPARENT);
  HGDIOBJ old_font = SelectObject(buffer, tip.header_font);
  auto width = [buffer](const std::u16string& text) {
    SIZE size{};
    GetTextExtentPoint32W(buffer, reinterpret_cast<const wchar_t*>(text.c_str()),
                          static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  const TipTexts texts =
      LayOutTip(tip.content, width(tip.content.weekday), width(tip.content.date), tip.dpi);
  for (int i = 0; i < texts.count; ++i) {
    const TipText& item = texts.items[i];
    const TipTextStyle& style = *item.style;
    const TipRect& r = item.rect;
    BitBlt(buffer, r.left, r.top, r.width, r.height, card, r.left, r.top, SRCCOPY);
    SelectObject(buffer, item.style == &kTipSayingStyle ? tip.saying_font : tip.header_font);
    SetTextColor(buffer, style.black ? RGB(0, 0, 0) : GetSysColor(COLOR_WINDOWTEXT));
    RECT box{r.left, r.top, r.Right(), r.Bottom()};
    UINT format = DT_RTLREADING | DT_NOPREFIX | (style.align_right ? DT_RIGHT : DT_LEFT);
    format |= style.word_wrap ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER;
    DrawTextW(buffer, reinterpret_cast<const wchar_t*>(item.text.data()),
              static_cast<int>(item.text.size()), &box, format);
  }
  SelectObject(buffer, old_font);

  BitBlt(dc, 0, 0, card_width, card_height, buffer, 0, 0, SRCCOPY);
  SelectObject(card, old_card);
  DeleteDC(card);
  SelectObject(buffer, old_buffer);
  DeleteObject(buffer_bitmap);
  DeleteDC(buffer);
  EndPaint(hwnd, &ps);
}

LRESULT CardMessage(Tip& tip, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEACTIVATE:
      // The user keeps typing where they were.
      return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
      tip.pressed = true;
      tip.dragging = false;
      GetCursorPos(&tip.press_point);
      tip.press_origin = {tip.motion.Left(), tip.motion.Top()};
      SetCapture(hwnd);
      return 0;
    case WM_MOUSEMOVE: {
      if (!tip.pressed) return 0;
      POINT p{};
      GetCursorPos(&p);
      const int dx = p.x - tip.press_point.x;
      const int dy = p.y - tip.press_point.y;
      if (!tip.dragging && (std::abs(dx) > GetSystemMetrics(SM_CXDRAG) ||
                            std::abs(dy) > GetSystemMetrics(SM_CYDRAG))) {
        tip.dragging = true;
      }
      if (tip.dragging) {
        tip.motion.MovedTo(tip.press_origin.x + dx, tip.press_origin.y + dy);
        Sync(tip);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      if (!tip.pressed) return 0;
      const bool clicked = !tip.dragging;
      tip.pressed = false;
      ReleaseCapture();
      if (clicked) {
        tip.motion.Click();
        Sync(tip);
      }
      return 0;
    }
    case WM_CAPTURECHANGED:
      tip.pressed = false;
      return 0;
    case WM_TIMER: {
      if (wp != kTipTimer) break;
      if (tip.motion.Phase() == TipPhase::Resting) {
        POINT p{};
        // Without a pointer position the tip does not linger.
        if (!GetCursorPos(&p)) p = {tip.motion.Left() - 1, tip.motion.Top() - 1};
        tip.motion.CheckPointer(p.x, p.y);
      } else {
        tip.motion.Step();
      }
      Sync(tip);
      return 0;
    }
    case WM_DPICHANGED: {
      // Dragged onto a monitor of another density: the card is drawn again for it.
      const RECT& to = SuggestedRect(lp);
      tip.dpi = ChangedDpi(wp);
      tip.motion.MovedTo(to.left, to.top);
      tip.motion.Resize(tip.Width(), tip.Height(), ScaleToDpi(kTipSlideStep, tip.dpi));
      DrawCard(tip);
      if (tip.overlay) {
        SetWindowPos(tip.overlay, nullptr, to.left, to.top, tip.Width(), tip.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(tip.overlay, nullptr, FALSE);
      }
      Sync(tip);
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      // The overlay follows the card: bounds, and shown or hidden with it.
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
      if (tip.overlay) {
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (pos->flags & SWP_SHOWWINDOW) flags |= SWP_SHOWWINDOW;
        if (pos->flags & SWP_HIDEWINDOW) flags |= SWP_HIDEWINDOW;
        SetWindowPos(tip.overlay, nullptr, pos->x, pos->y, pos->cx, pos->cy, flags);
      }
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT OverlayMessage(Tip& tip, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCHITTEST:
      // The pointer passes through to the card.
      return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers everything
    case WM_PAINT:
      PaintOverlay(tip, hwnd);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK TipProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  auto* link = reinterpret_cast<WindowLink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!link) return DefWindowProcW(hwnd, msg, wp, lp);
  Tip& tip = *link->tip;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (link->overlay) {
      tip.overlay = nullptr;
    } else {
      // The owned overlay is gone already: the tip ends here.
      if (tip.overlay) DestroyWindow(tip.overlay);
      delete &tip;
      --g_open_tips;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  return link->overlay ? OverlayMessage(tip, hwnd, msg, wp, lp)
                       : CardMessage(tip, hwnd, msg, wp, lp);
}

void RegisterTipClass(HINSTANCE instance) {
  static const bool registered = [instance] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = TipProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kTipClass;
    return RegisterClassExW(&wc) != 0;
  }();
  if (!registered)
    throw Error("Cannot register the tip window: " + SystemErrorText(GetLastError()));
}

RECT WorkArea() {
  RECT work{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
    work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return work;
}

TipPlacement PlaceOnScreen(const RECT& work, int dpi) {
  return PlaceTip({work.left, work.top, work.right - work.left, work.bottom - work.top},
                  GetSystemMetrics(SM_CYSCREEN), ScaleToDpi(kTipWidth, dpi),
                  ScaleToDpi(kTipHeight, dpi));
}

}  // namespace

HWND ShowTipWindow(const TipContent& content, int16_t interval_ms, TipObserver observer) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterTipClass(instance);
  // Drawn for the monitor where it comes to rest.
  const RECT work = WorkArea();
  const int dpi = DpiAt({work.right - 1, work.bottom - 1});
  auto owned = std::make_unique<Tip>(content, PlaceOnScreen(work, dpi), interval_ms, dpi,
                                     std::move(observer));
  Tip& tip = *owned;
  const TipMotion& m = tip.motion;

  tip.window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                               kTipClass, kTipWindowTitle, WS_POPUP, m.Left(), m.Top(), tip.Width(),
                               tip.Height(), nullptr, nullptr, instance, &tip.card_link);
  if (!tip.window) {
    throw Error("Cannot create the tip window: " + SystemErrorText(GetLastError()));
  }
  // From here the window owns the tip and frees it when it is destroyed.
  ++g_open_tips;
  owned.release();
  auto fail = [&tip](const std::string& what) {
    const DWORD code = GetLastError();
    DestroyWindow(tip.window);
    throw Error(what + SystemErrorText(code));
  };

  if (const char* failed = DrawCard(tip)) fail(failed);
  tip.overlay = CreateWindowExW(
      WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
      kTipClass, L"", WS_POPUP, m.Left(), m.Top(), tip.Width(), tip.Height(), tip.window, nullptr,
      instance, &tip.overlay_link);
  if (!tip.overlay) fail("Cannot create the tip window: ");
  SetLayeredWindowAttributes(tip.overlay, kOverlayKey, 0, LWA_COLORKEY);

  tip.motion.Start();
  ShowWindow(tip.window, SW_SHOWNOACTIVATE);
  HWND window = tip.window;
  Sync(tip);
  return window;
}

int OpenTipWindows() {
  return g_open_tips;
}

GregorianDate LocalDate() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

}  // namespace ravak::win32
