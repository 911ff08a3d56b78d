// ravak-layout: measures the controls of another program's window for the end-to-end layout
// tests. It runs DPI aware, as Ravak does, so it sees the same pixels and makes the same fonts.
//
//   ravak-layout.exe WINDOW OUTFILE
//
// WINDOW names a visible top-level window: "CLASS", "CLASS|TITLE", or "|TITLE" for any class.
// OUTFILE gets one line per window, UTF-8:
//   dpi N
//   window 0 CLASS X Y W H CW CH ALPHA the top-level window: screen rectangle, client size, and
//                                     the opacity of a layered window (255 for any other)
//   control N P ID CLASS SHOWN L T R B PW PH AW AH NW NH
// one per descendant window, N its number (the top-level window is 0), P its parent's number,
// SHOWN 1 when the control itself is meant to be seen (WS_VISIBLE; its parent may be hidden);
// L T R B its rectangle in the parent's client area (left to right even in a mirrored parent),
// PW PH the parent's client size, AW AH the room the control has for its text and NW NH what the
// text needs in the control's font (all 0 when the control shows no text).
//
// A window's font cannot be read from another process, so the fonts are made here as Ravak
// makes them: the dialogs' Tahoma 9 pt, the small hints (9 px) and the pointer mark (20 px, bold),
// all at the DPI of the screen.
#include <windows.h>

#include <map>
#include <string>

#include "app/resource.h"
#include "platform/win32.h"
#include "tests/e2e/win/host_log.h"
#include "tests/e2e/win/top_level.h"

namespace {

using ravak::testing::WriteUtf8;

int g_dpi = 96;

int Px(int pixels_at_96) {
  return MulDiv(pixels_at_96, g_dpi, 96);
}

struct Fonts {
  HFONT dialog = CreateFontW(-MulDiv(9, g_dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0,
                             0, 0, 0, L"Tahoma");
  HFONT hint =
      CreateFontW(-Px(9), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  HFONT pointer =
      CreateFontW(-Px(20), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");

  HFONT For(int id) const {
    switch (id) {
      case IDC_HOTKEY_HINT:
      case IDC_SWITCH_LANGUAGE_HINT:
      case IDC_KEYBOARD_TYPE_HINT:
      case IDC_SAYING_AT_START_HINT:
      case IDC_SLOW_SYSTEM_HINT:
      case IDC_COPY_STACK_HELP:
      case IDC_AUTOCORRECT_HELP:
      case IDC_SKIP_FULL_SCREEN_HINT:
      case IDC_SWITCH_MARK_HINT:
      case IDC_FIX_NON_JOINERS_HINT:
        return hint;
      case IDC_CARET_MARK:
        return pointer;
      default:
        return dialog;
    }
  }
};

using ravak::testing::TopLevel;

std::wstring TextOf(HWND hwnd) {
  // WM_GETTEXT itself: GetWindowText does not ask a window of another process.
  wchar_t text[4096] = L"";
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, &ignored);
  return text;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = L"";
  GetClassNameW(hwnd, name, 256);
  return name;
}

// The room for a control's text and what the text needs, as the control draws it.
struct Measure {
  int room_w = 0, room_h = 0, need_w = 0, need_h = 0;
};

Measure MeasureText(HWND hwnd, HFONT font) {
  Measure m;
  const std::wstring cls = ClassOf(hwnd);
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  RECT client{};
  GetClientRect(hwnd, &client);
  const int w = client.right, h = client.bottom;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const std::wstring text = TextOf(hwnd);
  auto need = [&](int width, bool wrap) {
    RECT r{0, 0, width, 0};
    UINT format = DT_CALCRECT | DT_EXPANDTABS | (wrap ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
    m.need_w = r.right;
    m.need_h = r.bottom;
  };
  if (_wcsicmp(cls.c_str(), L"Static") == 0) {
    const DWORD type = style & SS_TYPEMASK;
    if (!text.empty() && (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT)) {
      m.room_w = w;
      m.room_h = h;
      need(w, true);
    } else if (!text.empty() && type == SS_LEFTNOWORDWRAP) {
      m.room_w = w;
      m.room_h = h;
      need(0, false);
    }
  } else if (_wcsicmp(cls.c_str(), L"Button") == 0 && !text.empty()) {
    const DWORD type = style & BS_TYPEMASK;
    const bool wrap = style & BS_MULTILINE;
    if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
        type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
      // The box (13 px at 96 DPI) and the gap before the text.
      m.room_w = w - Px(13) - Px(4);
      m.room_h = h;
    } else if (type == BS_GROUPBOX) {
      m.room_w = w - Px(16);
      m.room_h = tm.tmHeight;
    } else {
      // Push buttons: the raised edge and the focus rectangle inside it.
      m.room_w = w - 2 * Px(3);
      m.room_h = h - 2 * Px(2);
    }
    need(wrap ? m.room_w : 0, wrap);
  } else if (_wcsicmp(cls.c_str(), L"Edit") == 0 || cls == L"msctls_hotkey32") {
    // One line, scrolled sideways: only its height matters.
    m.room_w = w;
    m.room_h = h;
    m.need_h = tm.tmHeight;
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return m;
}

struct Walk {
  const Fonts* fonts;
  std::map<HWND, int> numbers;
  std::string out;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
  auto* walk = reinterpret_cast<Walk*>(lp);
  const int number = static_cast<int>(walk->numbers.size());
  walk->numbers[hwnd] = number;
  HWND parent = GetParent(hwnd);
  const auto found = walk->numbers.find(parent);
  const int parent_number = found == walk->numbers.end() ? -1 : found->second;

  RECT r{};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  if (r.left > r.right) std::swap(r.left, r.right);  // a mirrored parent
  RECT pc{};
  GetClientRect(parent, &pc);
  const int id = GetDlgCtrlID(hwnd);
  const Measure m = MeasureText(hwnd, walk->fonts->For(id));
  char line[512];
  wsprintfA(line, "control %d %d %d %s %d %d %d %d %d %d %d %d %d %d %d\n", number, parent_number,
            id, ravak::win32::Narrow(ClassOf(hwnd)).c_str(),
            (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) ? 1 : 0, static_cast<int>(r.left),
            static_cast<int>(r.top), static_cast<int>(r.right), static_cast<int>(r.bottom),
            static_cast<int>(pc.right), static_cast<int>(pc.bottom), m.room_w, m.room_h, m.need_w,
            m.need_h);
  walk->out += line;
  return TRUE;
}

// Tells the window it has moved to a monitor of another DPI, as Windows does, suggesting its
// rectangle scaled from one DPI to the other. The rectangle is written into the window's process,
// since the message's pointer is not carried from one process to another. Returns once the
// window has handled the message.
int DpiChanged(const std::wstring& window, int from_dpi, int to_dpi) {
  HWND top = TopLevel(window);
  if (!top) return 5;
  RECT r{};
  GetWindowRect(top, &r);
  const RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, to_dpi, from_dpi),
                       r.top + MulDiv(r.bottom - r.top, to_dpi, from_dpi)};
  DWORD pid = 0;
  GetWindowThreadProcessId(top, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return 6;
  void* remote = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT, PAGE_READWRITE);
  int result = 6;
  if (remote && WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr)) {
    SendMessageW(top, WM_DPICHANGED, MAKEWPARAM(to_dpi, to_dpi), reinterpret_cast<LPARAM>(remote));
    result = 0;
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SetProcessDPIAware();
  if (argc == 5 && std::wstring(argv[1]) == L"dpi-changed") {
    return DpiChanged(argv[2], _wtoi(argv[3]), _wtoi(argv[4]));
  }
  if (argc != 3 && argc != 4) return 2;
  HDC screen = GetDC(nullptr);
  g_dpi = argc == 4 ? _wtoi(argv[3]) : GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);

  HWND top = TopLevel(argv[1]);
  if (!top) return 5;
  const Fonts fonts;
  Walk walk{&fonts, {{top, 0}}, {}};
  RECT wr{}, client{};
  GetWindowRect(top, &wr);
  GetClientRect(top, &client);
  BYTE alpha = 255;
  DWORD flags = 0;
  if (!(GetWindowLongPtrW(top, GWL_EXSTYLE) & WS_EX_LAYERED) ||
      !GetLayeredWindowAttributes(top, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA)) {
    alpha = 255;
  }
  char head[512];
  wsprintfA(head, "dpi %d\nwindow 0 %s %d %d %d %d %d %d %d\n", g_dpi,
            ravak::win32::Narrow(ClassOf(top)).c_str(), static_cast<int>(wr.left),
            static_cast<int>(wr.top), static_cast<int>(wr.right - wr.left),
            static_cast<int>(wr.bottom - wr.top), static_cast<int>(client.right),
            static_cast<int>(client.bottom), static_cast<int>(alpha));
  walk.out = head;
  // Parents come before their children in the enumeration.
  EnumChildWindows(top, Visit, reinterpret_cast<LPARAM>(&walk));
  return WriteUtf8(argv[2], walk.out) ? 0 : 4;
}
