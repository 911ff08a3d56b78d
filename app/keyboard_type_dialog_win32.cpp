#include "app/keyboard_type_dialog_win32.h"

#include "app/resource.h"
#include "app/settings_layout.h"
#include "platform/win32.h"
#include "platform/win32_window.h"
#include "ui/dpi_win32.h"

namespace ravak::win32 {

namespace {

// The dialog's own class (CLASS in the resource script).
constexpr wchar_t kKeyboardTypeClass[] = L"RavakKeyboardType";

// What the dialog makes for its DPI: the two keyboard pictures (stretched when not at 96 DPI),
// its font once the DPI has changed, the heading's bold font, and its controls' layout.
struct DialogState {
  explicit DialogState(int at_dpi) : dpi(at_dpi) {}
  ~DialogState() {
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(font), static_cast<HGDIOBJ>(heading_font),
                           static_cast<HGDIOBJ>(pictures[0]), static_cast<HGDIOBJ>(pictures[1])}) {
      if (object) DeleteObject(object);
    }
  }
  DialogState(const DialogState&) = delete;
  DialogState& operator=(const DialogState&) = delete;

  void ShowPictures(HWND dialog) {
    if (dpi == kBaseDpi && !pictures[0]) return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    ReplacePicture(GetDlgItem(dialog, IDC_DEFAULT_KEYBOARD_PICTURE), pictures[0],
                   LoadPicture(instance, IDB_KEYBOARD1, dpi));
    ReplacePicture(GetDlgItem(dialog, IDC_FARSI_KEYBOARD_PICTURE), pictures[1],
                   LoadPicture(instance, IDB_KEYBOARD3, dpi));
  }

  // The heading in the bold of the font its neighbours have.
  void ShowHeadingBold(HWND dialog) {
    HWND heading = GetDlgItem(dialog, IDC_CHOOSE_KEYBOARD);
    const auto plain = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW face{};
    if (!heading || !GetObjectW(font ? font : plain, sizeof face, &face)) return;
    face.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&face);
    if (!bold) return;
    SendMessageW(heading, WM_SETFONT, reinterpret_cast<WPARAM>(bold), TRUE);
    if (heading_font) DeleteObject(heading_font);
    heading_font = bold;
  }

  int dpi;
  HFONT font = nullptr;
  HFONT heading_font = nullptr;
  HBITMAP pictures[2] = {};
  ChildLayout layout;
};

// What the dialog is given to show.
struct DialogArgs {
  HWND owner;
  std::wstring persian_layout;
};

// "Persian (Standard) (00050429)", read from Windows or carried.
std::wstring PersianLayoutText(HINSTANCE instance, const KeyboardPair& keyboards,
                               bool type_matters) {
  const KeyboardLayout& persian = keyboards.persian;
  std::wstring text = LoadText(
      instance, keyboards.persian_installed ? IDS_PERSIAN_LAYOUT_READ : IDS_PERSIAN_LAYOUT_BUILTIN);
  if (!persian.name.empty()) text += ToWide(persian.name) + L" ";
  text += L"(" + Widen(FormatLayoutId(persian.id)) + L")";
  if (!type_matters) text += LoadText(instance, IDS_PERSIAN_LAYOUT_DECIDES);
  return text;
}

void Initialise(HWND hwnd, const DialogArgs& args) {
  const HWND owner = args.owner;
  SetDlgItemTextW(hwnd, IDC_PERSIAN_LAYOUT, args.persian_layout.c_str());
  auto* state = new DialogState{WindowDpi(hwnd)};
  SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  KeepDialogLayout(hwnd);
  // 452x287 pixels of client area at 96 DPI, in proportion at any other, and never less than
  // the template (the size the dialog has now).
  RECT t{};
  GetClientRect(hwnd, &t);
  const PixelSize client = KeyboardTypeClientSize(state->dpi, {t.right, t.bottom});
  const SIZE outer = WindowSizeForClient(hwnd, client.width, client.height, state->dpi);
  // Centred on its owner.
  RECT o;
  GetWindowRect(owner, &o);
  SetWindowPos(hwnd, nullptr, o.left + (o.right - o.left - outer.cx) / 2,
               o.top + (o.bottom - o.top - outer.cy) / 2, outer.cx, outer.cy, SWP_NOZORDER);
  state->ShowPictures(hwnd);
  state->ShowHeadingBold(hwnd);
  state->layout.Record(hwnd, state->dpi);
}

void DpiChanged(HWND hwnd, DialogState& state, int dpi, const RECT& to) {
  HFONT current =
      state.font ? state.font : reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  if (HFONT font = RescaledFont(current, state.dpi, dpi)) {
    SetChildrenFont(hwnd, font);
    if (state.font) DeleteObject(state.font);
    state.font = font;
  }
  state.layout.Apply(dpi);
  state.dpi = dpi;
  state.ShowPictures(hwnd);
  state.ShowHeadingBold(hwnd);
  SetWindowPos(hwnd, nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd, nullptr, TRUE);
}

// The dialog ends with the chosen type's number, or 0 for none.
INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      Initialise(hwnd, *reinterpret_cast<const DialogArgs*>(lp));
      return TRUE;
    case WM_DPICHANGED:
      if (auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(hwnd, DWLP_USER))) {
        DpiChanged(hwnd, *state, ChangedDpi(wp), SuggestedRect(lp));
        return TRUE;
      }
      break;
    case WM_DESTROY:
      delete reinterpret_cast<DialogState*>(GetWindowLongPtrW(hwnd, DWLP_USER));
      SetWindowLongPtrW(hwnd, DWLP_USER, 0);
      return FALSE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      if (msg == WM_CTLCOLORSTATIC && GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == IDC_FOOTER) break;
      SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
      return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_DEFAULT_KEYBOARD:
        case IDC_DEFAULT_KEYBOARD_PICTURE:
          EndDialog(hwnd, static_cast<INT_PTR>(KeyboardType::kWindowsDefault));
          return TRUE;
        case IDC_FARSI_KEYBOARD:
        case IDC_FARSI_KEYBOARD_PICTURE:
          EndDialog(hwnd, static_cast<INT_PTR>(KeyboardType::kFarsi));
          return TRUE;
        case IDC_BACK:
        case IDCANCEL:
          EndDialog(hwnd, 0);
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

}  // namespace

std::optional<KeyboardType> ChooseKeyboardType(HINSTANCE instance, HWND owner,
                                               const KeyboardPair& keyboards, bool type_matters) {
  static const bool registered = [instance] {
    RegisterDialogClass(instance, kKeyboardTypeClass,
                        LoadIconW(instance, MAKEINTRESOURCEW(IDI_RAVAK)));
    return true;
  }();
  (void)registered;
  const DialogArgs args{owner, PersianLayoutText(instance, keyboards, type_matters)};
  const INT_PTR r = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_KEYBOARD_TYPE), owner,
                                    DialogProc, reinterpret_cast<LPARAM>(&args));
  if (r == static_cast<INT_PTR>(KeyboardType::kWindowsDefault))
    return KeyboardType::kWindowsDefault;
  if (r == static_cast<INT_PTR>(KeyboardType::kFarsi)) return KeyboardType::kFarsi;
  return std::nullopt;
}

}  // namespace ravak::win32
