#include "app/tray_menu_win32.h"

#include <utility>

#include <shellapi.h>

#include "app/resource.h"
#include "platform/win32.h"
#include "platform/win32_window.h"

namespace ravak::win32 {

namespace {

// The menu's items and their commands.
constexpr std::pair<UINT, Command> kMenuCommands[] = {
    {ID_TRAY_ACTIVE, Command::kToggleActive},
    {ID_TRAY_AUTO_DETECT, Command::kToggleAutoDetect},
    {ID_TRAY_SETTINGS, Command::kSettings},
    {ID_TRAY_NEXT_SAYING, Command::kNextSaying},
    {ID_TRAY_PREVIOUS_SAYING, Command::kPreviousSaying},
    {ID_TRAY_ABOUT, Command::kAbout},
    {ID_TRAY_EXIT, Command::kExit},
};

}  // namespace

namespace {

constexpr wchar_t kTrayWindowClass[] = L"RavakTrayIcon";

}  // namespace

TrayIcon::TrayIcon(HINSTANCE instance, CommandHandler& commands, std::u16string hint,
                   Sleeper& sleeper)
    : instance_(instance), commands_(commands), hint_(std::move(hint)), sleeper_(sleeper) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kTrayWindowClass;
    RegisterClassW(&wc);
    registered = true;
  }
  hwnd_ = CreateWindowExW(0, kTrayWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                          instance, this);
  icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_RAVAK), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXSMICON),
                                        GetSystemMetrics(SM_CYSMICON), 0));
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
}

TrayIcon::~TrayIcon() {
  Hide();
  if (hwnd_) DestroyWindow(hwnd_);
  if (icon_) DestroyIcon(icon_);
}

bool TrayIcon::Notify(TrayRequest request, uint32_t* error) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = hwnd_;
  data.uID = kIconId;
  DWORD message = NIM_ADD;
  switch (request) {
    case TrayRequest::Add:
    case TrayRequest::Modify: {
      message = request == TrayRequest::Add ? NIM_ADD : NIM_MODIFY;
      data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
      data.uCallbackMessage = kCallbackMessage;
      data.hIcon = icon_;
      const std::u16string tip = TrayTip(hint_);
      tip.copy(reinterpret_cast<char16_t*>(data.szTip), std::size(data.szTip) - 1);
      break;
    }
    case TrayRequest::Delete:
      message = NIM_DELETE;
      break;
    case TrayRequest::SetVersion:
      message = NIM_SETVERSION;
      data.uVersion = 3;  // NOTIFYICON_VERSION
      break;
  }
  SetLastError(0);
  if (Shell_NotifyIconW(message, &data)) return true;
  *error = GetLastError();
  return false;
}

void TrayIcon::Show() {
  shown_ = NotifyWithRetry(*this, sleeper_, TrayRequest::Add);
  versioned_ = shown_ && NotifyWithRetry(*this, sleeper_, TrayRequest::SetVersion);
}

void TrayIcon::Hide() {
  if (!shown_) return;
  NotifyWithRetry(*this, sleeper_, TrayRequest::Delete);
  shown_ = false;
}

std::optional<RECT> TrayIcon::IconRect() const {
  if (!shown_) return std::nullopt;
  NOTIFYICONIDENTIFIER icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = hwnd_;
  icon.uID = kIconId;
  RECT r{};
  if (FAILED(Shell_NotifyIconGetRect(&icon, &r)) || r.right <= r.left) return std::nullopt;
  return r;
}

void TrayIcon::PopupMenu() {
  HMENU menu = LoadMenuW(instance_, MAKEINTRESOURCEW(IDM_TRAY));
  if (!menu) return;
  HMENU pm1 = GetSubMenu(menu, 0);
  CheckMenuItem(pm1, ID_TRAY_ACTIVE,
                MF_BYCOMMAND | (commands_.Active() ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(pm1, ID_TRAY_AUTO_DETECT,
                MF_BYCOMMAND | (commands_.AutoDetect() ? MF_CHECKED : MF_UNCHECKED));
  // Asked before the menu takes the foreground.
  const std::u16string program = commands_.ProgramInFront();
  if (program.empty()) {
    EnableMenuItem(pm1, ID_TRAY_NOT_IN_PROGRAM, MF_BYCOMMAND | MF_GRAYED);
  } else {
    std::wstring caption = LoadText(instance_, IDS_TRAY_NOT_IN_NAMED_PROGRAM, ToWide(program));
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING | MIIM_STATE;
    item.dwTypeData = caption.data();
    item.fState = commands_.ProgramExcluded(program) ? MFS_CHECKED : MFS_UNCHECKED;
    SetMenuItemInfoW(pm1, ID_TRAY_NOT_IN_PROGRAM, FALSE, &item);
  }
  SetMenuDefaultItem(pm1, ID_TRAY_ABOUT, FALSE);
  const struct {
    UINT id;
    int picture;
  } pictures[] = {{ID_TRAY_SETTINGS, IDB_MENU_TOOLS},
                  {ID_TRAY_ABOUT, IDB_MENU_ABOUT},
                  {ID_TRAY_EXIT, IDB_MENU_EXIT}};
  HBITMAP bitmaps[3] = {};
  for (int i = 0; i < 3; ++i) {
    bitmaps[i] = static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(pictures[i].picture), IMAGE_BITMAP, 0, 0, 0));
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = bitmaps[i];
    SetMenuItemInfoW(pm1, pictures[i].id, FALSE, &info);
  }
  POINT at;
  GetCursorPos(&at);
  SetForegroundWindow(hwnd_);
  const UINT command =
      static_cast<UINT>(TrackPopupMenu(pm1,
                                       TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LAYOUTRTL |
                                           TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_VERNEGANIMATION,
                                       at.x, at.y, 0, hwnd_, nullptr));
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  DestroyMenu(menu);
  for (HBITMAP b : bitmaps) DeleteObject(b);
  if (command == ID_TRAY_NOT_IN_PROGRAM) commands_.ToggleProgram(program);
  for (const auto& [id, what] : kMenuCommands) {
    if (id == command) commands_.Run(what);
  }
}

LRESULT CALLBACK TrayIcon::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = WindowObject<TrayIcon>(hwnd, msg, lp);
  if (self && self->hwnd_ == hwnd) return self->Handle(msg, wp, lp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT TrayIcon::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kCallbackMessage) {
    switch (LOWORD(lp)) {
      // A shell that speaks the newer behaviour reports a right click as a context-menu
      // request (after the button's release); an older one only as the release.
      case WM_CONTEXTMENU:
      case NIN_KEYSELECT:
        if (versioned_) PopupMenu();
        break;
      case WM_RBUTTONUP:
        if (!versioned_) PopupMenu();
        break;
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDBLCLK:
        commands_.Run(Command::kShowSaying);
        break;
      default:
        break;
    }
    return 0;
  }
  if (msg == taskbar_created_ && taskbar_created_ != 0) {
    // The shell restarted: put the icon back.
    NotifyWithRetry(*this, sleeper_, TrayRequest::Delete);
    shown_ = false;
    Show();
    return 0;
  }
  if (msg == WM_ENDSESSION) {
    if (wp) {
      Hide();
    } else {
      Show();
    }
    return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace ravak::win32
