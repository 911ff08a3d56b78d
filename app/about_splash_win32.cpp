#include "app/about_splash_win32.h"

#include "app/resource.h"
#include "platform/win32_window.h"
#include "ui/dpi_win32.h"

namespace ravak::win32 {

namespace {

constexpr wchar_t kSplashClass[] = L"RavakSplash";
constexpr UINT_PTR kTimer = 1;
constexpr int kStepMs = 30;
constexpr BYTE kStep = 17;  // 15 steps of 30 ms to fade in or out
constexpr int kShowMs = 6000;

// The picture is stretched for the DPI like everything else: at 150 % or 200 % a 500x184 splash
// would otherwise look two thirds or half its size next to the other windows. It is a gradient
// with large lettering, which a smooth filter enlarges without visible steps.
struct SplashState {
  HINSTANCE instance;
  HBITMAP picture;
  int phase;  // 0 fading in, 1 showing, 2 fading out
  int alpha;
};

void Fade(HWND hwnd, SplashState& state) {
  if (state.phase == 0) {
    state.alpha = state.alpha + kStep > 255 ? 255 : state.alpha + kStep;
    SetLayeredWindowAttributes(hwnd, 0, static_cast<BYTE>(state.alpha), LWA_ALPHA);
    if (state.alpha == 255) {
      state.phase = 1;
      SetTimer(hwnd, kTimer, kShowMs, nullptr);
    }
  } else if (state.phase == 1) {
    state.phase = 2;
    SetTimer(hwnd, kTimer, kStepMs, nullptr);
  } else {
    state.alpha = state.alpha < kStep ? 0 : state.alpha - kStep;
    SetLayeredWindowAttributes(hwnd, 0, static_cast<BYTE>(state.alpha), LWA_ALPHA);
    if (state.alpha == 0) DestroyWindow(hwnd);
  }
}

LRESULT CALLBACK SplashProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* state = reinterpret_cast<SplashState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (state) DrawPicture(dc, state->picture);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_TIMER:
      if (state) Fade(hwnd, *state);
      return 0;
    case WM_DPICHANGED:
      // On a monitor of another density the picture is made again for it.
      if (state) {
        if (HBITMAP picture = LoadPicture(state->instance, IDB_SPLASH, ChangedDpi(wp))) {
          DeleteObject(state->picture);
          state->picture = picture;
        }
        BITMAP bm{};
        GetObjectW(state->picture, sizeof bm, &bm);
        const RECT& to = SuggestedRect(lp);
        SetWindowPos(hwnd, nullptr, to.left, to.top, bm.bmWidth, bm.bmHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_NCDESTROY:
      if (state) {
        DeleteObject(state->picture);
        delete state;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      }
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace

AboutSplash::AboutSplash(HINSTANCE instance) : instance_(instance) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = SplashProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.lpszClassName = kSplashClass;
  RegisterClassW(&wc);
}

AboutSplash::~AboutSplash() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

void AboutSplash::Show() {
  if (window_ && IsWindow(window_)) return;  // already showing
  // Made for the monitor at the centre of the screen, where it shows.
  const POINT centre{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
  auto* state = new SplashState{instance_, LoadPicture(instance_, IDB_SPLASH, DpiAt(centre)), 0, 0};
  BITMAP bm{};
  GetObjectW(state->picture, sizeof bm, &bm);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - bm.bmWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - bm.bmHeight) / 2;
  window_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSplashClass,
                            L"Ravak", WS_POPUP, x, y, bm.bmWidth, bm.bmHeight, nullptr, nullptr,
                            instance_, nullptr);
  if (!window_) {
    DeleteObject(state->picture);
    delete state;
    return;
  }
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  SetLayeredWindowAttributes(window_, 0, 0, LWA_ALPHA);
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  SetTimer(window_, kTimer, kStepMs, nullptr);
}

}  // namespace ravak::win32
