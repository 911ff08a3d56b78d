#include "platform/win32_window.h"

#include "platform/win32.h"

namespace ravak::win32 {

std::wstring LoadText(HINSTANCE instance, UINT id) {
  const wchar_t* text = nullptr;
  const int n = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
  return n > 0 ? std::wstring(text, static_cast<std::size_t>(n)) : std::wstring();
}

std::wstring LoadText(HINSTANCE instance, UINT id, std::wstring_view value) {
  std::wstring text = LoadText(instance, id);
  if (const std::size_t at = text.find(L"%s"); at != std::wstring::npos) text.replace(at, 2, value);
  return text;
}

void RegisterDialogClass(HINSTANCE instance, const wchar_t* name, HICON icon) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(nullptr, MAKEINTRESOURCEW(32770), &wc)) return;
  wc.hInstance = instance;
  wc.lpszClassName = name;
  wc.hIcon = icon;
  RegisterClassExW(&wc);
}

void DrawPicture(HDC dc, HBITMAP picture) {
  if (!picture) return;
  SetLayout(dc, GetLayout(dc) | LAYOUT_BITMAPORIENTATIONPRESERVED);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, picture);
  BITMAP bm{};
  GetObjectW(picture, sizeof bm, &bm);
  BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

namespace {

// A mirrored device context would flip the picture.
LRESULT UnmirroredPictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, void*) {
  if (msg != WM_PAINT) return CallOriginal(hwnd, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  DrawPicture(dc, reinterpret_cast<HBITMAP>(SendMessageW(hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0)));
  EndPaint(hwnd, &ps);
  return 0;
}

}  // namespace

void KeepPictureUnmirrored(HWND control) {
  if (control) Subclass(control, UnmirroredPictureProc, nullptr);
}

void ReplacePicture(HWND control, HBITMAP& kept, HBITMAP picture) {
  if (!control || !picture) return;
  const auto previous = reinterpret_cast<HBITMAP>(
      SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
  if (previous && previous != kept && previous != picture) DeleteObject(previous);
  if (kept && kept != picture) DeleteObject(kept);
  kept = picture;
}

void SetChildrenFont(HWND parent, HFONT font) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

}  // namespace ravak::win32
