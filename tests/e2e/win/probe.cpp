// ravak-probe: small system chores for the end-to-end tests, run inside the Wine prefix.
//
//   clip-set TEXT          put TEXT (Unicode) on the clipboard
//   clip-get OUTFILE       write the clipboard's Unicode text (UTF-8) to OUTFILE, or
//                          "<no text>" when there is none
//   clip-seq OUTFILE       write the clipboard's sequence number (it changes with every write)
//   clip-hold MS READY     open the clipboard, create READY, keep it open MS ms, close it
//   clip-formats OUTFILE   write the names/ids of the formats on the clipboard
//   clip-picture NAME TEXT put a 4x2 24-bit picture (CF_DIB) and TEXT (UTF-8, with its NUL) in
//                          the registered format NAME on the clipboard, and nothing else
//   clip-dump OUTFILE      write one line per format on the clipboard, "ID DATA NAME": DATA is
//                          SIZE/FNV1A of a memory block, "handle" for a GDI object or owner data
//   keys-reset             release every modifier key (Wine can leave right Shift down)
//   foreground WINDOW      bring the top-level WINDOW to the foreground
//   visible WINDOW         exit 0 when WINDOW is there and visible, 5 otherwise
//   xid WINDOW OUTFILE     write the X11 window id of the visible top-level WINDOW
//   rect WINDOW ID OUTFILE write "x y w h" (screen pixels) of control ID inside the visible
//                          top-level WINDOW, and whether it is checked and enabled
//   text WINDOW ID OUTFILE write the text (UTF-8) of control ID inside WINDOW
//   hotkey WINDOW ID OUTFILE  write the HKM_GETHOTKEY value of hotkey edit ID inside WINDOW
//   count WINDOW ID OUTFILE   write the number of rows of list view ID inside WINDOW
//   menu-rect OUTFILE      write "x y w h" of the open pop-up menu
//   tab WINDOW N           switch the tab control in WINDOW to tab N
//   refresh WINDOW         repaint WINDOW and its children now (before a screenshot)
//
// WINDOW names a top-level window by its class, "CLASS", or by class and title, "CLASS|TITLE"
// ("|TITLE" for any class). A title alone is not enough: the settings window and an error box
// share one.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/win32.h"
#include "tests/e2e/win/host_log.h"
#include "tests/e2e/win/top_level.h"

namespace {

using ravak::testing::WriteUtf8;

bool OpenClipboardPatiently() {
  for (int i = 0; i < 200; ++i) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(10);
  }
  return false;
}

int ClipSet(const std::wstring& text) {
  if (!OpenClipboardPatiently()) return 3;
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  auto* p = static_cast<wchar_t*>(GlobalLock(block));
  memcpy(p, text.c_str(), bytes);
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
  return 0;
}

int ClipGet(const std::wstring& out) {
  if (!OpenClipboardPatiently()) return 3;
  std::string result = "<no text>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      result = ravak::win32::Narrow(p);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return WriteUtf8(out, result) ? 0 : 4;
}

int ClipSequence(const std::wstring& out) {
  return WriteUtf8(out, std::to_string(GetClipboardSequenceNumber())) ? 0 : 4;
}

std::string FormatName(UINT format) {
  wchar_t name[256] = L"";
  if (!GetClipboardFormatNameW(format, name, 256)) wsprintfW(name, L"#%u", format);
  return ravak::win32::Narrow(name);
}

int ClipFormats(const std::wstring& out) {
  if (!OpenClipboardPatiently()) return 3;
  std::string result;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f))
    result += FormatName(f) + "\n";
  CloseClipboard();
  return WriteUtf8(out, result) ? 0 : 4;
}

bool SetBlock(UINT format, const void* bytes, std::size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return false;
  memcpy(GlobalLock(block), bytes, size);
  GlobalUnlock(block);
  if (SetClipboardData(format, block)) return true;
  GlobalFree(block);
  return false;
}

int ClipPicture(const std::wstring& name, const std::wstring& text) {
  const UINT format = RegisterClipboardFormatW(name.c_str());
  if (!format) return 6;
  struct {
    BITMAPINFOHEADER header;
    BYTE pixels[2][12];  // two rows of four pixels, blue-green-red, no padding needed
  } dib = {};
  dib.header.biSize = sizeof dib.header;
  dib.header.biWidth = 4;
  dib.header.biHeight = 2;
  dib.header.biPlanes = 1;
  dib.header.biBitCount = 24;
  dib.header.biCompression = BI_RGB;
  dib.header.biSizeImage = sizeof dib.pixels;
  for (int i = 0; i < 24; ++i) dib.pixels[i / 12][i % 12] = static_cast<BYTE>(i * 10 + 7);
  const std::string utf8 = ravak::win32::Narrow(text);
  if (!OpenClipboardPatiently()) return 3;
  EmptyClipboard();
  const bool ok =
      SetBlock(CF_DIB, &dib, sizeof dib) && SetBlock(format, utf8.c_str(), utf8.size() + 1);
  CloseClipboard();
  return ok ? 0 : 7;
}

int ClipDump(const std::wstring& out) {
  if (!OpenClipboardPatiently()) return 3;
  std::string result;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
    result += std::to_string(f) + " ";
    const bool handle = f == CF_BITMAP || f == CF_METAFILEPICT || f == CF_PALETTE ||
                        f == CF_ENHMETAFILE || (f >= CF_OWNERDISPLAY && f <= CF_DSPENHMETAFILE) ||
                        (f >= CF_PRIVATEFIRST && f <= CF_GDIOBJLAST);
    HANDLE data = handle ? nullptr : GetClipboardData(f);
    const auto* p = data ? static_cast<const BYTE*>(GlobalLock(data)) : nullptr;
    if (!p) {
      result += "handle " + FormatName(f) + "\n";
      continue;
    }
    const SIZE_T size = GlobalSize(data);
    uint32_t hash = 2166136261u;
    for (SIZE_T i = 0; i < size; ++i) hash = (hash ^ p[i]) * 16777619u;
    GlobalUnlock(data);
    result += std::to_string(size) + "/" + std::to_string(hash) + " " + FormatName(f) + "\n";
  }
  CloseClipboard();
  return WriteUtf8(out, result) ? 0 : 4;
}

int ClipHold(int ms, const std::wstring& ready) {
  if (!OpenClipboardPatiently()) return 3;
  WriteUtf8(ready, "held\n");
  Sleep(static_cast<DWORD>(ms));
  CloseClipboard();
  return 0;
}

int KeysReset() {
  const BYTE keys[] = {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU,
                       VK_RMENU,  VK_SHIFT,  VK_CONTROL,  VK_MENU,     VK_LWIN};
  for (BYTE k : keys) {
    keybd_event(k, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(k, 0, KEYEVENTF_KEYUP | KEYEVENTF_EXTENDEDKEY, 0);
  }
  return 0;
}

// Types text into the window in front as Unicode input, as an on-screen keyboard or a text
// expander does (VK_PACKET key events, not tagged as Ravak's).
int TypeUnicode(const std::wstring& text) {
  std::vector<INPUT> inputs;
  for (const wchar_t c : text) {
    for (const DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wScan = c;
      in.ki.dwFlags = KEYEVENTF_UNICODE | up;
      inputs.push_back(in);
    }
  }
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  return sent == inputs.size() ? 0 : 1;
}

using ravak::testing::TopLevel;

int Foreground(const std::wstring& which) {
  HWND hwnd = TopLevel(which);
  if (!hwnd) return 5;
  SetForegroundWindow(hwnd);
  return 0;
}

int Visible(const std::wstring& which) {
  return TopLevel(which) ? 0 : 5;
}

// Wine keeps the X11 window of a top-level window in this property.
int XWindow(const std::wstring& which, const std::wstring& out) {
  HWND hwnd = TopLevel(which);
  if (!hwnd) return 5;
  const auto xid = reinterpret_cast<ULONG_PTR>(GetPropW(hwnd, L"__wine_x11_whole_window"));
  if (!xid) return 6;
  return WriteUtf8(out, std::to_string(xid) + "\n") ? 0 : 4;
}

struct FindControl {
  int id;
  HWND found;
};

BOOL CALLBACK FindControlProc(HWND hwnd, LPARAM lp) {
  auto* f = reinterpret_cast<FindControl*>(lp);
  if (GetDlgCtrlID(hwnd) == f->id && IsWindowVisible(hwnd)) {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND ControlOf(const std::wstring& which, int id) {
  HWND top = TopLevel(which);
  if (!top) return nullptr;
  FindControl f{id, nullptr};
  EnumChildWindows(top, FindControlProc, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

std::string RectText(const RECT& r) {
  const LONG left = r.left < r.right ? r.left : r.right;
  const LONG width = r.left < r.right ? r.right - r.left : r.left - r.right;
  return std::to_string(left) + " " + std::to_string(r.top) + " " + std::to_string(width) + " " +
         std::to_string(r.bottom - r.top);
}

int Rect(const std::wstring& which, int id, const std::wstring& out) {
  HWND control = ControlOf(which, id);
  if (!control) return 5;
  RECT r;
  GetWindowRect(control, &r);
  const bool checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
  return WriteUtf8(out, RectText(r) + " " + (checked ? "checked" : "unchecked") + " " +
                            (IsWindowEnabled(control) ? "enabled" : "disabled") + "\n")
             ? 0
             : 4;
}

int Text(const std::wstring& which, int id, const std::wstring& out) {
  HWND control = ControlOf(which, id);
  if (!control) return 5;
  // WM_GETTEXT itself: GetWindowText does not ask a window of another process.
  wchar_t text[4096] = L"";
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, &ignored);
  return WriteUtf8(out, ravak::win32::Narrow(text)) ? 0 : 4;
}

int Hotkey(const std::wstring& which, int id, const std::wstring& out) {
  HWND control = ControlOf(which, id);
  if (!control) return 5;
  const auto value =
      static_cast<unsigned>(SendMessageW(control, WM_USER + 2 /* HKM_GETHOTKEY */, 0, 0));
  return WriteUtf8(out, std::to_string(value & 0xFFFF) + "\n") ? 0 : 4;
}

int Count(const std::wstring& which, int id, const std::wstring& out) {
  HWND control = ControlOf(which, id);
  if (!control) return 5;
  const auto rows = SendMessageW(control, 0x1004 /* LVM_GETITEMCOUNT */, 0, 0);
  return WriteUtf8(out, std::to_string(rows) + "\n") ? 0 : 4;
}

int MenuRect(const std::wstring& out) {
  HWND menu_window = FindWindowW(L"#32768", nullptr);
  if (!menu_window || !IsWindowVisible(menu_window)) return 5;
  RECT r;
  GetWindowRect(menu_window, &r);
  return WriteUtf8(out, RectText(r) + "\n") ? 0 : 4;
}

// Moves the tab control to tab N as a click on the tab does (it notifies its parent).
int Tab(const std::wstring& which, int index) {
  HWND top = TopLevel(which);
  HWND tabs = top ? FindWindowExW(top, nullptr, L"SysTabControl32", nullptr) : nullptr;
  if (!tabs) return 5;
  SendMessageW(tabs, 0x1330 /* TCM_SETCURFOCUS */, index, 0);
  return static_cast<int>(SendMessageW(tabs, 0x130B /* TCM_GETCURSEL */, 0, 0)) == index ? 0 : 6;
}

int Refresh(const std::wstring& which) {
  HWND top = TopLevel(which);
  if (!top) return 5;
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  SendMessageW(top, WM_NULL, 0, 0);  // returns once the window's thread has caught up
  return 0;
}

// What another program of the user would try on a loaded Kerrak: rename it away, or open it to
// write (replace) it. 0 when the system allows it.
int FileMove(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

int FileWrite(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(file);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring cmd = argv[1];
  if (cmd == L"clip-set" && argc == 3) return ClipSet(argv[2]);
  if (cmd == L"clip-get" && argc == 3) return ClipGet(argv[2]);
  if (cmd == L"clip-seq" && argc == 3) return ClipSequence(argv[2]);
  if (cmd == L"clip-formats" && argc == 3) return ClipFormats(argv[2]);
  if (cmd == L"clip-picture" && argc == 4) return ClipPicture(argv[2], argv[3]);
  if (cmd == L"clip-dump" && argc == 3) return ClipDump(argv[2]);
  if (cmd == L"clip-hold" && argc == 4) return ClipHold(_wtoi(argv[2]), argv[3]);
  if (cmd == L"keys-reset") return KeysReset();
  if (cmd == L"type-unicode" && argc == 3) return TypeUnicode(argv[2]);
  if (cmd == L"file-move" && argc == 4) return FileMove(argv[2], argv[3]);
  if (cmd == L"file-write" && argc == 3) return FileWrite(argv[2]);
  if (cmd == L"foreground" && argc == 3) return Foreground(argv[2]);
  if (cmd == L"visible" && argc == 3) return Visible(argv[2]);
  if (cmd == L"xid" && argc == 4) return XWindow(argv[2], argv[3]);
  if (cmd == L"rect" && argc == 5) return Rect(argv[2], _wtoi(argv[3]), argv[4]);
  if (cmd == L"text" && argc == 5) return Text(argv[2], _wtoi(argv[3]), argv[4]);
  if (cmd == L"refresh" && argc == 3) return Refresh(argv[2]);
  if (cmd == L"hotkey" && argc == 5) return Hotkey(argv[2], _wtoi(argv[3]), argv[4]);
  if (cmd == L"count" && argc == 5) return Count(argv[2], _wtoi(argv[3]), argv[4]);
  if (cmd == L"tab" && argc == 4) return Tab(argv[2], _wtoi(argv[3]));
  if (cmd == L"menu-rect" && argc == 3) return MenuRect(argv[2]);
  return 2;
}
