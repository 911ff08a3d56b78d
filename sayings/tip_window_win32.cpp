#include "sayings/tip_window_win32.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

// GDI+ uses min and max unqualified; the build keeps the Windows macros of those names out.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
// The COM declarations that the lean Windows headers leave out come first.
#include <ole2.h>

#include <gdiplus.h>
#include <shlwapi.h>

#include "platform/error.h"
#include "platform/win32.h"
#include "sayings/tip_card.h"

namespace ravak::win32 {

namespace {

constexpr wchar_t kTipClass[] = L"RavakTip";
constexpr UINT_PTR kTipTimer = 1;
constexpr COLORREF kOverlayKey = kTipOverlayKey;

int g_open_tips = 0;

// --- the card picture -------------------------------------------------------------------------

// The card as premultiplied 32-bit pixels, top row first, kTipWidth x kTipHeight.
using CardPixels = std::vector<uint32_t>;

uint32_t Premultiply(uint32_t argb) {
  const uint32_t a = argb >> 24;
  auto channel = [a](uint32_t c) { return (c * a + 127) / 255; };
  return a << 24 | channel(argb >> 16 & 0xFF) << 16 | channel(argb >> 8 & 0xFF) << 8 |
         channel(argb & 0xFF);
}

CardPixels DecodeCard() {
  const std::span<const uint8_t> png = TipCardPicture();
  CardPixels pixels;
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return pixels;
  if (IStream* stream = SHCreateMemStream(png.data(), static_cast<UINT>(png.size()))) {
    {
      Gdiplus::Bitmap bitmap(stream);
      Gdiplus::Rect rect(0, 0, kTipWidth, kTipHeight);
      Gdiplus::BitmapData data{};
      if (bitmap.GetLastStatus() == Gdiplus::Ok &&
          bitmap.GetWidth() == static_cast<UINT>(kTipWidth) &&
          bitmap.GetHeight() == static_cast<UINT>(kTipHeight) &&
          bitmap.LockBits(&rect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) ==
              Gdiplus::Ok) {
        pixels.resize(static_cast<std::size_t>(kTipWidth) * kTipHeight);
        for (int y = 0; y < kTipHeight; ++y) {
          const auto* row =
              reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(data.Scan0) +
                                                static_cast<std::ptrdiff_t>(y) * data.Stride);
          for (int x = 0; x < kTipWidth; ++x) {
            pixels[static_cast<std::size_t>(y) * kTipWidth + x] = Premultiply(row[x]);
          }
        }
        bitmap.UnlockBits(&data);
      }
    }
    stream->Release();
  }
  Gdiplus::GdiplusShutdown(token);
  return pixels;
}

// A plain opaque card with a grey rim, should the picture not decode.
CardPixels PlainCard() {
  CardPixels pixels(static_cast<std::size_t>(kTipWidth) * kTipHeight, 0xFFFBF9F4);
  for (int y = 0; y < kTipHeight; ++y) {
    for (int x = 0; x < kTipWidth; ++x) {
      if (x == 0 || y == 0 || x == kTipWidth - 1 || y == kTipHeight - 1) {
        pixels[static_cast<std::size_t>(y) * kTipWidth + x] = 0xFFA3A8B0;
      }
    }
  }
  return pixels;
}

const CardPixels& Card() {
  static const CardPixels card = [] {
    CardPixels pixels = DecodeCard();
    return pixels.empty() ? PlainCard() : pixels;
  }();
  return card;
}

// A 32-bit top-down DIB section holding the card.
HBITMAP CreateCardBitmap() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kTipWidth;
  info.bmiHeader.biHeight = -kTipHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  const CardPixels& card = Card();
  std::copy(card.begin(), card.end(), static_cast<uint32_t*>(bits));
  GdiFlush();
  return bitmap;
}

// --- the window -------------------------------------------------------------------------------

struct Tip;

// What a window of the class is: the card or its overlay.
struct WindowLink {
  Tip* tip;
  bool overlay;
};

struct Tip {
  Tip(const TipContent& c, const TipPlacement& placement, int16_t interval_ms, TipObserver o)
      : motion(placement, interval_ms), content(c), observer(std::move(o)) {}
  ~Tip() {
    if (card) DeleteObject(card);
    if (header_font) DeleteObject(header_font);
    if (saying_font) DeleteObject(saying_font);
  }

  TipMotion motion;
  TipContent content;
  TipObserver observer;
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

HFONT TipFont(int height, bool bold) {
  return CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, L"Tahoma");
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
  HBITMAP buffer_bitmap = CreateCompatibleBitmap(dc, kTipWidth, kTipHeight);
  HGDIOBJ old_buffer = SelectObject(buffer, buffer_bitmap);
  HDC card = CreateCompatibleDC(dc);
  HGDIOBJ old_card = SelectObject(card, tip.card);

  // Everywhere the key colour, so the card shows through, except under the texts: there the
  // card's own pixels (opaque there), with the text on them.
  RECT all{0, 0, kTipWidth, kTipHeight};
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
      LayOutTip(tip.content, width(tip.content.weekday), width(tip.content.date));
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

  BitBlt(dc, 0, 0, kTipWidth, kTipHeight, buffer, 0, 0, SRCCOPY);
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

TipPlacement PlaceOnScreen() {
  RECT work{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
    work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return PlaceTip({work.left, work.top, work.right - work.left, work.bottom - work.top},
                  GetSystemMetrics(SM_CYSCREEN));
}

}  // namespace

HWND ShowTipWindow(const TipContent& content, int16_t interval_ms, TipObserver observer) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterTipClass(instance);
  auto owned = std::make_unique<Tip>(content, PlaceOnScreen(), interval_ms, std::move(observer));
  Tip& tip = *owned;
  const TipMotion& m = tip.motion;

  tip.window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                               kTipClass, kTipWindowTitle, WS_POPUP, m.Left(), m.Top(), kTipWidth,
                               kTipHeight, nullptr, nullptr, instance, &tip.card_link);
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

  tip.card = CreateCardBitmap();
  if (!tip.card) fail("Cannot create the tip window: ");
  {
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(source, tip.card);
    POINT to{m.Left(), m.Top()};
    SIZE size{kTipWidth, kTipHeight};
    POINT from{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const BOOL drawn =
        UpdateLayeredWindow(tip.window, screen, &to, &size, source, &from, 0, &blend, ULW_ALPHA);
    SelectObject(source, old);
    DeleteDC(source);
    ReleaseDC(nullptr, screen);
    if (!drawn) fail("Cannot draw the tip window: ");
  }

  tip.header_font = TipFont(kTipWeekdayStyle.font_height, kTipWeekdayStyle.bold);
  tip.saying_font = TipFont(kTipSayingStyle.font_height, kTipSayingStyle.bold);
  tip.overlay = CreateWindowExW(
      WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
      kTipClass, L"", WS_POPUP, m.Left(), m.Top(), kTipWidth, kTipHeight, tip.window, nullptr,
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
