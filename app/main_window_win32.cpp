#include "app/main_window_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/autocorrect_tab_win32.h"
#include "app/memory_tab_win32.h"
#include "app/resource.h"
#include "app/tray_icon_win32.h"

namespace ravak::win32 {

namespace {

constexpr int kClientWidth = 810;
constexpr int kClientHeight = 440;
constexpr COLORREF kTextColor = RGB(0, 0, 0x40);  // dark blue
constexpr COLORREF kHintColor = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kLinkColor = RGB(0x1a, 0x4f, 0xc8);

constexpr int kPageDialogs[4] = {IDD_GENERAL, IDD_MEMORY, IDD_AUTOCORRECT, IDD_ABOUT};
constexpr int kTabCaptions[4] = {IDS_TAB_GENERAL, IDS_TAB_MEMORY, IDS_TAB_AUTOCORRECT,
                                 IDS_TAB_ABOUT};
constexpr int kHintLabels[] = {IDC_lbl12, IDC_lbl10, IDC_lbl11, IDC_lbl8,
                               IDC_lbl9,  IDC_lbl13, IDC_lbl14};
constexpr int kLinkLabels[] = {IDC_lblLink1, IDC_lblLink2, IDC_lblLink3, IDC_lblLink4};
constexpr wchar_t kLinkAddress[] = L"https://www.tirnak-ravak.ir/";

constexpr wchar_t kSplashClass[] = L"RavakSplash";
constexpr wchar_t kApplicationClass[] = L"RavakApplication";
constexpr UINT_PTR kSplashTimer = 1;
constexpr int kSplashStepMs = 30;
constexpr BYTE kSplashStep = 17;  // 15 steps of 30 ms to fade in or out
constexpr int kSplashShowMs = 6000;

// The help texts of the memory and auto-correct tabs.
constexpr wchar_t kMemoryHelp[] =
    L"توسط این قابلیت می توانید موارد مرد نظرتان را پشت سر هم به طور جداگانه کپی و به یکباره "
    L"آنها را پشت سر هم به مکان مقصد انتقال دهید\r\n\r\n"
    L"در لیست مقابل میتوانید لیست این کپی ها را ببینید و آنها را جابجا کنید";
constexpr wchar_t kAutoCorrectHelp[] =
    L"از این قابلیت برای یک جایگزینی سریع در مواردی مانند نوشت کد و یا نامهای کاربری و یا "
    L"جایگزینی سریع کلمات و یا جملات طولانی و یا موارد مشابه استفاده کنید\r\n"
    L"شما می توانید با وارد کردن یک کلید واژه به برنامه در هر برنامه دیگری که در حال تایپ هستید "
    L"به محض وارد کردن کلیدواژه شاهد جایگزینی کلمات قبل و وبعد از نشانه گر خواهید بود.\r\n"
    L"توجه :  کلید واژه شامل کلمات فشرده شدن عادی کلیدهای صفحه کلید + فشرده شدن همراه با کلید "
    L"شیفت می باشد.\r\n"
    L"          در فراخوانی کلیدواژه نوع زبان صفحه کلید موثر نیست و فقط ترتیب فشردن فیزیکی "
    L"صفحه کلید ملاک می باشد";

std::wstring LoadText(HINSTANCE instance, UINT id) {
  const wchar_t* text = nullptr;
  const int n = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
  return n > 0 ? std::wstring(text, static_cast<std::size_t>(n)) : std::wstring();
}

bool Contains(const int* ids, std::size_t n, int id) {
  for (std::size_t i = 0; i < n; ++i) {
    if (ids[i] == id) return true;
  }
  return false;
}

// --- the About splash: a borderless topmost picture that fades in, stays and fades out ------

struct SplashState {
  HBITMAP picture;
  int phase;  // 0 fading in, 1 showing, 2 fading out
  int alpha;
};

LRESULT CALLBACK SplashProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* state = reinterpret_cast<SplashState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (state && state->picture) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, state->picture);
        BITMAP bm{};
        GetObjectW(state->picture, sizeof bm, &bm);
        BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_TIMER:
      if (!state) return 0;
      if (state->phase == 0) {
        state->alpha = state->alpha + kSplashStep > 255 ? 255 : state->alpha + kSplashStep;
        SetLayeredWindowAttributes(hwnd, 0, static_cast<BYTE>(state->alpha), LWA_ALPHA);
        if (state->alpha == 255) {
          state->phase = 1;
          SetTimer(hwnd, kSplashTimer, kSplashShowMs, nullptr);
        }
      } else if (state->phase == 1) {
        state->phase = 2;
        SetTimer(hwnd, kSplashTimer, kSplashStepMs, nullptr);
      } else {
        state->alpha = state->alpha < kSplashStep ? 0 : state->alpha - kSplashStep;
        SetLayeredWindowAttributes(hwnd, 0, static_cast<BYTE>(state->alpha), LWA_ALPHA);
        if (state->alpha == 0) DestroyWindow(hwnd);
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

// Pictures in the right-to-left window: drawn unmirrored (a mirrored device context would
// otherwise flip them).
LRESULT PictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, void*) {
  if (msg != WM_PAINT) return CallOriginal(hwnd, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  auto picture = reinterpret_cast<HBITMAP>(SendMessageW(hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
  if (picture) {
    SetLayout(dc, GetLayout(dc) | LAYOUT_BITMAPORIENTATIONPRESERVED);
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, picture);
    BITMAP bm{};
    GetObjectW(picture, sizeof bm, &bm);
    BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  EndPaint(hwnd, &ps);
  return 0;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, MessagePump& pump) : instance_(instance), pump_(pump) {
  white_ = CreateSolidBrush(RGB(255, 255, 255));
  WNDCLASSW wc{};
  wc.lpfnWndProc = AppProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_RAVAK));
  wc.lpszClassName = kApplicationClass;
  RegisterClassW(&wc);
  app_ = CreateWindowExW(0, kApplicationClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         instance, this);
  if (!app_) throw Error("Cannot create the main window: " + SystemErrorText(GetLastError()));
}

MainWindow::~MainWindow() {
  tray_.reset();
  memory_tab_.reset();
  autocorrect_tab_.reset();
  if (hwnd_) pump_.RemoveDialog(hwnd_);
  if (splash_ && IsWindow(splash_)) DestroyWindow(splash_);
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  if (IsWindow(app_)) {
    SetWindowLongPtrW(app_, GWLP_USERDATA, 0);
    DestroyWindow(app_);
  }
  DeleteObject(white_);
  if (hint_font_) DeleteObject(hint_font_);
  if (pointer_font_) DeleteObject(pointer_font_);
}

bool MainWindow::EnsureDialog() {
  if (hwnd_) return true;
  if (!form_) return false;
  // The common controls are needed only once the settings window is first shown.
  if (!LoadCommonControls()) throw Error("Cannot load the common controls");
  hint_font_ = CreateFontW(-9, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                           CLEARTYPE_QUALITY, 0, L"Tahoma");
  pointer_font_ = CreateFontW(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                              CLEARTYPE_QUALITY, 0, L"Tahoma");
  hwnd_ = CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainProc,
                             reinterpret_cast<LPARAM>(this));
  if (!hwnd_) throw Error("Cannot create the settings window: " + SystemErrorText(GetLastError()));
  CreatePages();
  SetUpControls();
  pump_.AddDialog(hwnd_);
  memory_tab_ = std::make_unique<MemoryTab>(*this, *form_);
  autocorrect_tab_ = std::make_unique<AutoCorrectTab>(*this, *form_);
  SelectTab(tab_);
  ModelChanged();
  return true;
}

LRESULT CALLBACK MainWindow::AppProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(
        hwnd, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self) {
    switch (msg) {
      case WM_QUERYENDSESSION:
        if (self->form_) self->form_->FormCloseQuery();
        return TRUE;
      case WM_CLOSE:
        if (!self->form_ || self->form_->FormCloseQuery()) DestroyWindow(hwnd);
        return 0;
      case WM_DESTROY:
        self->tray_.reset();
        if (self->hwnd_ && IsWindow(self->hwnd_)) ShowWindow(self->hwnd_, SW_HIDE);
        PostQuitMessage(0);
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void MainWindow::Attach(TfrmMain& form) {
  form_ = &form;
  tray_ = std::make_unique<TrayIcon>(instance_, *this, FromWide(LoadText(instance_, IDS_TRAY_HINT)),
                                     pump_);
  tray_->Show();
}

HWND MainWindow::Control(int id) const {
  if (!hwnd_) return nullptr;
  if (HWND h = GetDlgItem(hwnd_, id)) return h;
  for (HWND page : pages_) {
    if (HWND h = page ? GetDlgItem(page, id) : nullptr) return h;
  }
  return nullptr;
}

void MainWindow::CreatePages() {
  HWND tabs = GetDlgItem(hwnd_, IDC_pgc1);
  for (int i = 0; i < 4; ++i) {
    std::wstring caption = LoadText(instance_, kTabCaptions[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    pages_[i] = CreateDialogParamW(instance_, MAKEINTRESOURCEW(kPageDialogs[i]), hwnd_, PageProc,
                                   reinterpret_cast<LPARAM>(this));
  }
  // Exactly 810x440 pixels of client area, whatever the dialog units come to.
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
  const int w = r.right - r.left, h = r.bottom - r.top;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  // The tab control and the buttons follow the client area.
  SetWindowPos(tabs, nullptr, 10, 45, kClientWidth - 20, kClientHeight - 45 - 50,
               SWP_NOZORDER | SWP_NOACTIVATE);
  const int ids[3] = {IDC_btnOK, IDC_btnApply, IDC_btn1};
  for (int i = 0; i < 3; ++i) {
    SetWindowPos(GetDlgItem(hwnd_, ids[i]), nullptr, 10 + i * 112, kClientHeight - 40, 104, 28,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetWindowPos(GetDlgItem(hwnd_, IDC_img2), nullptr, 10, 8, 100, 30, SWP_NOZORDER | SWP_NOACTIVATE);
  LayoutPages();
}

void MainWindow::LayoutPages() {
  HWND tabs = GetDlgItem(hwnd_, IDC_pgc1);
  RECT r;
  GetWindowRect(tabs, &r);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  if (r.left > r.right) std::swap(r.left, r.right);  // mirrored coordinates
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  for (HWND page : pages_) {
    SetWindowPos(page, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
  }
}

void MainWindow::SetUpControls() {
  // The hotkey edits refuse a combination without modifier, with Shift alone and with
  // Shift+Alt; the conversion edit substitutes Alt, the other two Ctrl+Alt.
  const WPARAM refused = HKCOMB_NONE | HKCOMB_S | HKCOMB_SA;
  SendMessageW(Control(IDC_hk1), HKM_SETRULES, refused, MAKELPARAM(HOTKEYF_ALT, 0));
  SendMessageW(Control(IDC_hkProCopy), HKM_SETRULES, refused,
               MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
  SendMessageW(Control(IDC_hkProPaste), HKM_SETRULES, refused,
               MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
  for (int id : kHintLabels)
    SendMessageW(Control(id), WM_SETFONT, reinterpret_cast<WPARAM>(hint_font_), FALSE);
  SendMessageW(Control(IDC_lblPointer), WM_SETFONT, reinterpret_cast<WPARAM>(pointer_font_), FALSE);
  for (int id : {IDC_img1, IDC_img2}) Subclass(Control(id), PictureProc, nullptr);
  SetWindowTextW(Control(IDC_lbl13), kMemoryHelp);
  SetWindowTextW(Control(IDC_lbl14), kAutoCorrectHelp);

  HWND list = Control(IDC_lvAC);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  const int captions[3] = {IDS_AC_COL_AFTER, IDS_AC_COL_BEFORE, IDS_AC_COL_KEY};
  const int widths[3] = {280, 280, 120};
  const int formats[3] = {LVCFMT_LEFT, LVCFMT_CENTER, LVCFMT_CENTER};
  for (int i = 0; i < 3; ++i) {
    std::wstring caption = LoadText(instance_, captions[i]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = formats[i];
    column.cx = widths[i];
    column.pszText = caption.data();
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
}

// --- MainView -------------------------------------------------------------------------------

void MainWindow::ShowSettings() {
  if (!EnsureDialog()) return;
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void MainWindow::HideSettings() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void MainWindow::SelectTab(int index) {
  tab_ = index;
  if (!hwnd_) return;
  SendMessageW(GetDlgItem(hwnd_, IDC_pgc1), TCM_SETCURSEL, index, 0);
  for (int i = 0; i < 4; ++i) ShowWindow(pages_[i], i == index ? SW_SHOW : SW_HIDE);
}

void MainWindow::ModelChanged() {
  if (!form_ || !hwnd_) return;
  const struct {
    int id;
    const CheckBox& box;
  } boxes[] = {{IDC_chkRavak, form_->chkRavak},
               {IDC_chkAutoChangeLng, form_->chkAutoChangeLng},
               {IDC_chkShowTips, form_->chkShowTips},
               {IDC_chkSlowSystem, form_->chkSlowSystem},
               {IDC_chkActivePro, form_->chkActivePro},
               {IDC_chkACEN, form_->chkACEN},
               {IDC_chkRTL, form_->chkRTL}};
  for (const auto& b : boxes)
    CheckDlgButton(GetParent(Control(b.id)), b.id, b.box.checked ? BST_CHECKED : BST_UNCHECKED);
  SendMessageW(Control(IDC_hk1), HKM_SETHOTKEY, HotKeyControlValue(form_->hk1), 0);
  SendMessageW(Control(IDC_hkProCopy), HKM_SETHOTKEY, HotKeyControlValue(form_->hkProCopy), 0);
  SendMessageW(Control(IDC_hkProPaste), HKM_SETHOTKEY, HotKeyControlValue(form_->hkProPaste), 0);
  SetWindowTextW(Control(IDC_lblKey), ToWide(form_->lblKey.text).c_str());
  // The before and after texts read right to left when chkRTL is ticked, left to right (not
  // mirrored with the window) otherwise; the keyword always reads left to right.
  for (int id : {IDC_edtKey, IDC_edtPreStr, IDC_edtPostStr}) {
    HWND edit = Control(id);
    const bool rtl = id != IDC_edtKey && form_->chkRTL.checked;
    LONG_PTR ex =
        GetWindowLongPtrW(edit, GWL_EXSTYLE) & ~(WS_EX_LAYOUTRTL | WS_EX_RTLREADING | WS_EX_RIGHT);
    if (rtl) ex |= WS_EX_LAYOUTRTL | WS_EX_RTLREADING;
    SetWindowLongPtrW(edit, GWL_EXSTYLE, ex);
    InvalidateRect(edit, nullptr, TRUE);
  }
}

void MainWindow::ReadHotkeyEdits(uint16_t& hk1, uint16_t& hkProCopy, uint16_t& hkProPaste) {
  if (!hwnd_) return;  // never shown: the model holds the values
  hk1 = ShortCutFromHotKeyControl(
      static_cast<uint16_t>(SendMessageW(Control(IDC_hk1), HKM_GETHOTKEY, 0, 0)));
  hkProCopy = ShortCutFromHotKeyControl(
      static_cast<uint16_t>(SendMessageW(Control(IDC_hkProCopy), HKM_GETHOTKEY, 0, 0)));
  hkProPaste = ShortCutFromHotKeyControl(
      static_cast<uint16_t>(SendMessageW(Control(IDC_hkProPaste), HKM_GETHOTKEY, 0, 0)));
}

int MainWindow::ShowKeyboardTypeDialog() {
  HWND owner = hwnd_ ? hwnd_ : app_;
  const INT_PTR r = DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_SELKEY), owner, SelKeyProc,
                                    reinterpret_cast<LPARAM>(owner));
  return r == 1 || r == 3 ? static_cast<int>(r) : 2;
}

void MainWindow::ShowAboutSplash() {
  if (splash_ && IsWindow(splash_)) return;  // already showing
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = SplashProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.lpszClassName = kSplashClass;
    RegisterClassW(&wc);
    registered = true;
  }
  auto* state =
      new SplashState{static_cast<HBITMAP>(LoadImageW(instance_, MAKEINTRESOURCEW(IDB_SPLASH),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)),
                      0, 0};
  BITMAP bm{};
  GetObjectW(state->picture, sizeof bm, &bm);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - bm.bmWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - bm.bmHeight) / 2;
  splash_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSplashClass,
                            L"Ravak", WS_POPUP, x, y, bm.bmWidth, bm.bmHeight, nullptr, nullptr,
                            instance_, nullptr);
  if (!splash_) {
    DeleteObject(state->picture);
    delete state;
    return;
  }
  SetWindowLongPtrW(splash_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  SetLayeredWindowAttributes(splash_, 0, 0, LWA_ALPHA);
  ShowWindow(splash_, SW_SHOWNOACTIVATE);
  SetTimer(splash_, kSplashTimer, kSplashStepMs, nullptr);
}

void MainWindow::CloseMainWindow() {
  PostMessageW(app_, WM_CLOSE, 0, 0);
}

// --- tray menu ------------------------------------------------------------------------------

bool MainWindow::ActiveFlag() const {
  return form_ && form_->ActiveFlag;
}

void MainWindow::MenuCommand(UINT id) {
  if (!form_) return;
  switch (id) {
    case ID_mnuActiveAll:
      form_->Run([this] { form_->mnuActiveAllClick(); });
      break;
    case ID_N1:
      form_->Run([this] { form_->N1Click(); });
      break;
    case ID_mniNextSokhan:
      if (form_->onNextSaying) form_->Run(form_->onNextSaying);
      break;
    case ID_mniBackSokhan:
      if (form_->onPreviousSaying) form_->Run(form_->onPreviousSaying);
      break;
    case ID_N3:
      form_->Run([this] { form_->N3Click(); });
      break;
    case ID_N7:
      form_->Run([this] { form_->N7Click(); });
      break;
    default:
      break;
  }
}

void MainWindow::TrayDoubleClick() {
  if (form_ && form_->onShowSaying) form_->Run(form_->onShowSaying);
}

// --- dialog procedures ----------------------------------------------------------------------

INT_PTR CALLBACK MainWindow::MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    auto* self = reinterpret_cast<MainWindow*>(lp);
    self->hwnd_ = hwnd;
    HICON icon = LoadIconW(self->instance_, MAKEINTRESOURCEW(IDI_RAVAK));
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    return TRUE;
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  return self ? self->HandleMain(msg, wp, lp) : FALSE;
}

INT_PTR CALLBACK MainWindow::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    return TRUE;
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  return self ? self->HandlePage(hwnd, msg, wp, lp) : FALSE;
}

INT_PTR CALLBACK MainWindow::SelKeyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      // Centred on the main window.
      HWND owner = reinterpret_cast<HWND>(lp);
      RECT o, d;
      GetWindowRect(owner, &o);
      GetWindowRect(hwnd, &d);
      RECT client{0, 0, 452, 287};
      AdjustWindowRectEx(&client, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
      const int w = client.right - client.left, h = client.bottom - client.top;
      SetWindowPos(hwnd, nullptr, o.left + (o.right - o.left - w) / 2,
                   o.top + (o.bottom - o.top - h) / 2, w, h, SWP_NOZORDER);
      return TRUE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      if (msg == WM_CTLCOLORSTATIC && GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == IDC_footer) break;
      SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
      return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_btn2:
        case IDC_imgKey1:
          EndDialog(hwnd, 1);
          return TRUE;
        case IDC_btn3:
        case IDC_imgKey3:
          EndDialog(hwnd, 3);
          return TRUE;
        case IDC_selkey_btn1:
        case IDCANCEL:
          EndDialog(hwnd, 2);
          return TRUE;
        default:
          break;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

HBRUSH MainWindow::ColorControl(HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  SetBkColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  COLORREF color = kTextColor;
  if (Contains(kHintLabels, std::size(kHintLabels), id)) color = kHintColor;
  if (Contains(kLinkLabels, std::size(kLinkLabels), id)) color = kLinkColor;
  SetTextColor(dc, color);
  return white_;
}

INT_PTR MainWindow::HandleMain(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (hdr->idFrom == IDC_pgc1 && hdr->code == TCN_SELCHANGE) {
        SelectTab(static_cast<int>(SendMessageW(hdr->hwndFrom, TCM_GETCURSEL, 0, 0)));
      }
      return TRUE;
    }
    case WM_CLOSE:
      // Closing the main window ends the program.
      PostMessageW(app_, WM_CLOSE, 0, 0);
      return TRUE;
    default:
      return HandleShared(msg, wp, lp);
  }
}

// What the main window and its tab pages handle alike: their commands, their colours and the
// drag of the window by its background.
INT_PTR MainWindow::HandleShared(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      Command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return TRUE;
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(white_);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return reinterpret_cast<INT_PTR>(
          ColorControl(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)));
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // FormMouseDown: drag the window by its background or logo.
      ReleaseCapture();
      SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR MainWindow::HandlePage(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
  for (const PageHandler& handler : page_handlers_) {
    INT_PTR result = 0;
    if (handler(page, msg, wp, lp, result)) return result;
  }
  return HandleShared(msg, wp, lp);
}

void MainWindow::Command(UINT id, UINT code, HWND control) {
  if (!form_) return;
  TfrmMain& f = *form_;
  const bool checked = control && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
  switch (id) {
    case IDC_btnOK:
      f.btnOKClick(0);
      break;
    case IDC_btnApply:
      f.btnOKClick(1);
      break;
    case IDC_btn1:
    case IDCANCEL:
      f.btn1Click();
      break;
    case IDC_btnChangeKey:
      f.Run([&f] { f.btnChangeKeyClick(); });
      break;
    case IDC_chkRavak:
      f.Run([&f, checked] { f.chkRavak.SetChecked(checked); });
      break;
    case IDC_chkAutoChangeLng:
      f.chkAutoChangeLng.SetChecked(checked);
      break;
    case IDC_chkShowTips:
      f.chkShowTips.SetChecked(checked);
      break;
    case IDC_chkSlowSystem:
      f.chkSlowSystem.SetChecked(checked);
      break;
    case IDC_chkActivePro:
      f.Run([&f, checked] { f.chkActivePro.SetChecked(checked); });
      break;
    case IDC_chkACEN:
      f.chkACEN.SetChecked(checked);
      break;
    case IDC_chkRTL:
      f.Run([&f, checked] { f.chkRTL.SetChecked(checked); });
      break;
    case IDC_lblLink1:
    case IDC_lblLink2:
    case IDC_lblLink3:
    case IDC_lblLink4: {
      const std::wstring address = kLinkAddress;
      if (code == STN_CLICKED && (address.find(L"://") != std::wstring::npos ||
                                  address.find(L"mailto:") != std::wstring::npos)) {
        ShellExecuteW(hwnd_, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace ravak::win32
