// The settings window's layout: in pixels for its DPI (810x440 of client area at 96 DPI, grown
// where the pages need more), its fonts and pictures made for that DPI, and all of it made again
// when the window moves to a monitor of another DPI.
#include "app/settings_window_win32.h"
// (first: it brings <windows.h>, which <commctrl.h> needs)
#include <commctrl.h>

#include <algorithm>

#include "app/resource.h"
#include "app/settings_layout.h"
#include "platform/win32_window.h"

namespace ravak::win32 {

namespace {

constexpr int kPageDialogs[] = {IDD_GENERAL, IDD_COPY_STACK, IDD_AUTOCORRECT, IDD_TYPING,
                                IDD_ABOUT};
constexpr int kTabCaptions[] = {IDS_TAB_GENERAL, IDS_TAB_COPY_STACK, IDS_TAB_AUTOCORRECT,
                                IDS_TAB_TYPING, IDS_TAB_ABOUT};
// Sizes in pixels at 96 DPI: the fonts of the hints and of the caret mark, and the columns of
// the auto-correct list.
constexpr int kHintFontHeight = 9;
constexpr int kPointerFontHeight = 20;
constexpr int kColumnWidths[3] = {280, 280, 120};

// The hotkey edits refuse a combination without modifier, with Shift alone and with Shift+Alt,
// and put in the field's substitute modifiers instead.
WPARAM HotkeyRuleModifiers(TShortCut substitute) {
  WPARAM flags = 0;
  if (substitute & kShortCutShift) flags |= HOTKEYF_SHIFT;
  if (substitute & kShortCutCtrl) flags |= HOTKEYF_CONTROL;
  if (substitute & kShortCutAlt) flags |= HOTKEYF_ALT;
  return flags;
}

}  // namespace

void SettingsWindow::CreatePages() {
  HWND tabs = GetDlgItem(hwnd_, IDC_TABS);
  static_assert(std::size(kPageDialogs) == kPages && std::size(kTabCaptions) == kPages);
  for (int i = 0; i < kPages; ++i) {
    std::wstring caption = LoadText(instance_, kTabCaptions[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    pages_[i] = CreateDialogParamW(instance_, MAKEINTRESOURCEW(kPageDialogs[i]), hwnd_, PageProc,
                                   reinterpret_cast<LPARAM>(this));
  }
  // The window is laid out in pixels for its DPI (810x440 of client area at 96 DPI) and made
  // larger where the pages, laid out in dialog units of the dialog font, would not fit.
  dpi_ = WindowDpi(hwnd_);
  KeepDialogLayout(hwnd_);
  RECT page{};  // the room a page needs: its template's size, which it has until laid out
  for (HWND p : pages_) {
    KeepDialogLayout(p);
    RECT r{};
    GetClientRect(p, &r);
    page.right = std::max(page.right, r.right);
    page.bottom = std::max(page.bottom, r.bottom);
  }
  SendMessageW(tabs, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&page));
  const PixelSize client =
      SettingsClientSize(dpi_, {page.right - page.left, page.bottom - page.top});
  const SIZE outer = WindowSizeForClient(hwnd_, client.width, client.height, dpi_);
  const PixelRect at = PlaceOnWorkArea({outer.cx, outer.cy}, WorkArea());
  SetWindowPos(hwnd_, nullptr, at.left, at.top, at.width, at.height, SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceControls();
}

PixelRect SettingsWindow::WorkArea() const {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT work{};
  if (GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    work = monitor.rcWork;
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  }
  return {work.left, work.top, work.right - work.left, work.bottom - work.top};
}

// A window larger than the work area (a high DPI on a small screen) is drawn whole at the density
// at which it fits, as if it had moved to a monitor of that DPI, and centred there.
void SettingsWindow::FitWorkArea() {
  RECT r{}, client{};
  GetWindowRect(hwnd_, &r);
  GetClientRect(hwnd_, &client);
  const PixelRect work = WorkArea();
  // The client area is scaled; the frame stays as the system draws it.
  const PixelSize frame{r.right - r.left - client.right, r.bottom - r.top - client.bottom};
  const int fit = FittingDpi(dpi_, {client.right, client.bottom}, frame, {work.width, work.height});
  if (fit == dpi_) return;
  const PixelRect at = PlaceOnWorkArea({Rescale(client.right, dpi_, fit) + frame.width,
                                        Rescale(client.bottom, dpi_, fit) + frame.height},
                                       work);
  DpiChanged(fit, RECT{at.left, at.top, at.Right(), at.Bottom()});
}

// The tab control, the buttons and the logo follow the client area.
void SettingsWindow::PlaceControls() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const SettingsLayout layout = LayOutSettings({client.right, client.bottom}, dpi_);
  auto place = [this](int id, const PixelRect& r) {
    SetWindowPos(GetDlgItem(hwnd_, id), nullptr, r.left, r.top, r.width, r.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(IDC_TABS, layout.tabs);
  const int buttons[3] = {IDC_OK_BUTTON, IDC_APPLY_BUTTON, IDC_CANCEL_BUTTON};
  for (int i = 0; i < 3; ++i) place(buttons[i], layout.buttons[i]);
  place(IDC_LOGO, layout.logo);
  LayoutPages();
}

void SettingsWindow::LayoutPages() {
  HWND tabs = GetDlgItem(hwnd_, IDC_TABS);
  RECT r;
  GetWindowRect(tabs, &r);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  if (r.left > r.right) std::swap(r.left, r.right);  // mirrored coordinates
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  for (HWND page : pages_) {
    SetWindowPos(page, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
  }
}

void SettingsWindow::SetUpControls() {
  for (const ControlBinding& binding : kControlBindings) {
    const SettingsField* field = FieldOfControl(binding.control);
    if (!field || field->substitute_modifiers == 0) continue;
    SendMessageW(Control(binding.control), HKM_SETRULES, HKCOMB_NONE | HKCOMB_S | HKCOMB_SA,
                 MAKELPARAM(HotkeyRuleModifiers(field->substitute_modifiers), 0));
  }
  MakeDpiResources();
  for (int id : {IDC_ABOUT_PICTURE, IDC_LOGO}) KeepPictureUnmirrored(Control(id));
  SetWindowTextW(Control(IDC_COPY_STACK_HELP), LoadText(instance_, IDS_COPY_STACK_HELP).c_str());
  SetWindowTextW(Control(IDC_AUTOCORRECT_HELP), LoadText(instance_, IDS_AUTOCORRECT_HELP).c_str());

  HWND list = Control(IDC_AUTOCORRECT_LIST);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  const int captions[3] = {IDS_AC_COL_AFTER, IDS_AC_COL_BEFORE, IDS_AC_COL_KEY};
  const int formats[3] = {LVCFMT_LEFT, LVCFMT_CENTER, LVCFMT_CENTER};
  for (int i = 0; i < 3; ++i) {
    std::wstring caption = LoadText(instance_, captions[i]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = formats[i];
    column.cx = ScaleToDpi(kColumnWidths[i], dpi_);
    column.pszText = caption.data();
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  // From here on the pages' controls follow the window from one DPI to another.
  for (int i = 0; i < kPages; ++i) page_layouts_[i].Record(pages_[i], dpi_);
  Subclass(hwnd_, DpiProc, this);
}

// The hint and caret-mark fonts and the two pictures, for dpi_. At 96 DPI the pictures stay as
// the resource script gives them; at any other they are stretched smoothly.
void SettingsWindow::MakeDpiResources() {
  for (HFONT font : {hint_font_, pointer_font_}) {
    if (font) DeleteObject(font);
  }
  hint_font_ = CreateFontW(-ScaleToDpi(kHintFontHeight, dpi_), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                           DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"Tahoma");
  pointer_font_ = CreateFontW(-ScaleToDpi(kPointerFontHeight, dpi_), 0, 0, 0, FW_BOLD, 0, 0, 0,
                              DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"Tahoma");
  for (int id : kHintLabels)
    SendMessageW(Control(id), WM_SETFONT, reinterpret_cast<WPARAM>(hint_font_), FALSE);
  SendMessageW(Control(IDC_CARET_MARK), WM_SETFONT, reinterpret_cast<WPARAM>(pointer_font_), FALSE);
  if (dpi_ != kBaseDpi || logo_) {
    ReplacePicture(Control(IDC_LOGO), logo_, LoadPicture(instance_, IDB_LOGO, dpi_));
    ReplacePicture(Control(IDC_ABOUT_PICTURE), about_, LoadPicture(instance_, IDB_ABOUT, dpi_));
  }
}

// The window moved to a monitor of another DPI: everything it sized in pixels is made again for
// the new DPI, and the window takes the rectangle the system suggests.
void SettingsWindow::DpiChanged(int dpi, const RECT& suggested) {
  const int old = dpi_;
  dpi_ = dpi;
  if (dpi != old) {
    HFONT current = dialog_font_ ? dialog_font_
                                 : reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    if (HFONT font = RescaledFont(current, old, dpi)) {
      SetChildrenFont(hwnd_, font);
      for (HWND page : pages_) SetChildrenFont(page, font);
      if (dialog_font_) DeleteObject(dialog_font_);
      dialog_font_ = font;
    }
    for (const ChildLayout& layout : page_layouts_) layout.Apply(dpi);
    MakeDpiResources();
    HWND list = Control(IDC_AUTOCORRECT_LIST);
    for (int i = 0; i < 3; ++i) {
      ListView_SetColumnWidth(list, i, Rescale(ListView_GetColumnWidth(list, i), old, dpi));
    }
  }
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceControls();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT SettingsWindow::DpiProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, void* self) {
  if (msg != WM_DPICHANGED) return CallOriginal(hwnd, msg, wp, lp);
  static_cast<SettingsWindow*>(self)->DpiChanged(ChangedDpi(wp), SuggestedRect(lp));
  return 0;
}

}  // namespace ravak::win32
