#include "ui/dpi_win32.h"

#include <algorithm>

#include "ui/gdiplus_win32.h"

namespace ravak::win32 {

namespace {

// A function of user32.dll or shcore.dll that older Windows versions lack; null there.
template <typename Fn>
Fn Lookup(const wchar_t* module_name, const char* name) {
  HMODULE module = GetModuleHandleW(module_name);
  if (!module) module = LoadLibraryW(module_name);
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);

constexpr int kEffectiveDpi = 0;   // MDT_EFFECTIVE_DPI
constexpr int kDialogKeepAll = 1;  // DDC_DISABLE_ALL

int MonitorDpi(HMONITOR monitor) {
  static const auto get = Lookup<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  UINT x = 0, y = 0;
  if (monitor && get && SUCCEEDED(get(monitor, kEffectiveDpi, &x, &y)) && y > 0) {
    return static_cast<int>(y);
  }
  return SystemDpi();
}

}  // namespace

int SystemDpi() {
  static const auto get = Lookup<GetDpiForSystemFn>(L"user32.dll", "GetDpiForSystem");
  if (get) return static_cast<int>(get());
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

int DpiAt(POINT p) {
  return MonitorDpi(MonitorFromPoint(p, MONITOR_DEFAULTTOPRIMARY));
}

int WindowDpi(HWND hwnd) {
  static const auto get = Lookup<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  if (get && hwnd) {
    if (const UINT dpi = get(hwnd)) return static_cast<int>(dpi);
  }
  return MonitorDpi(hwnd ? MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY) : nullptr);
}

SIZE WindowSizeForClient(HWND hwnd, int client_width, int client_height, int dpi) {
  static const auto adjust = Lookup<AdjustForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
  RECT r{0, 0, client_width, client_height};
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  if (!adjust || !adjust(&r, style, FALSE, ex_style, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&r, style, FALSE, ex_style);
  }
  return {r.right - r.left, r.bottom - r.top};
}

void KeepDialogLayout(HWND dialog) {
  static const auto keep =
      Lookup<SetDialogDpiChangeBehaviorFn>(L"user32.dll", "SetDialogDpiChangeBehavior");
  if (keep && dialog) keep(dialog, kDialogKeepAll, kDialogKeepAll);
}

HFONT RescaledFont(HFONT font, int from_dpi, int to_dpi) {
  LOGFONTW lf{};
  if (!font || !GetObjectW(font, sizeof lf, &lf)) return nullptr;
  lf.lfHeight = Rescale(lf.lfHeight, from_dpi, to_dpi);
  lf.lfWidth = Rescale(lf.lfWidth, from_dpi, to_dpi);
  return CreateFontIndirectW(&lf);
}

HBITMAP StretchPicture(HBITMAP picture, int width, int height) {
  if (!picture || width <= 0 || height <= 0) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP stretched = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!stretched) return nullptr;

  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  bool drawn = false;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
    {
      Gdiplus::Bitmap source(picture, nullptr);
      Gdiplus::Bitmap target(width, height, width * 4, PixelFormat32bppARGB,
                             static_cast<BYTE*>(bits));
      Gdiplus::Graphics graphics(&target);
      graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
      graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
      graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
      // Mirrored tiling at the borders, so the filter does not draw them paler.
      Gdiplus::ImageAttributes edges;
      edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
      drawn = source.GetLastStatus() == Gdiplus::Ok &&
              graphics.DrawImage(&source, Gdiplus::Rect(0, 0, width, height), 0, 0,
                                 static_cast<INT>(source.GetWidth()),
                                 static_cast<INT>(source.GetHeight()), Gdiplus::UnitPixel,
                                 &edges) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
  }
  GdiFlush();
  if (!drawn) {
    DeleteObject(stretched);
    return nullptr;
  }
  return stretched;
}

HBITMAP LoadPicture(HINSTANCE instance, int id, int dpi) {
  auto picture = static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!picture || dpi == kBaseDpi) return picture;
  BITMAP bm{};
  GetObjectW(picture, sizeof bm, &bm);
  HBITMAP stretched =
      StretchPicture(picture, ScaleToDpi(bm.bmWidth, dpi), ScaleToDpi(bm.bmHeight, dpi));
  if (!stretched) return picture;
  DeleteObject(picture);
  return stretched;
}

// --- ChildLayout ------------------------------------------------------------------------------

namespace {

struct Recording {
  HWND parent;
  std::vector<int> ids;
};

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp) {
  auto* recording = reinterpret_cast<Recording*>(lp);
  const int id = GetDlgCtrlID(hwnd);
  if (GetParent(hwnd) == recording->parent && id > 0 && id != 0xFFFF) {
    recording->ids.push_back(id);
  }
  return TRUE;
}

}  // namespace

void ChildLayout::Record(HWND parent, int dpi) {
  parent_ = parent;
  dpi_ = dpi;
  items_.clear();
  Recording recording{parent, {}};
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&recording));
  for (int id : recording.ids) {
    // Two controls with one identifier cannot be told apart later: neither is kept.
    if (std::count(recording.ids.begin(), recording.ids.end(), id) > 1) continue;
    RECT r{};
    GetWindowRect(GetDlgItem(parent, id), &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    if (r.left > r.right) std::swap(r.left, r.right);  // mirrored coordinates
    items_.push_back({id, {r.left, r.top, r.right - r.left, r.bottom - r.top}});
  }
}

void ChildLayout::Apply(int dpi) const {
  if (!parent_) return;
  for (const Item& item : items_) {
    HWND control = GetDlgItem(parent_, item.id);
    if (!control) continue;
    const PixelRect r = Rescale(item.rect, dpi_, dpi);
    SetWindowPos(control, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace ravak::win32
