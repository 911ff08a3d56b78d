#include "app/settings_window_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "app/autocorrect_page_win32.h"
#include "app/copy_stack_page_win32.h"
#include "app/keyboard_type_dialog_win32.h"
#include "app/resource.h"
#include "app/typing_page_win32.h"
#include "platform/win32_window.h"

namespace ravak::win32 {

namespace {

constexpr COLORREF kTextColor = RGB(0, 0, 0x40);  // dark blue
constexpr COLORREF kHintColor = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kLinkColor = RGB(0x1a, 0x4f, 0xc8);

// The window's own dialog class (CLASS in the resource script), so that it is told apart from
// an error box with the same title.
constexpr wchar_t kSettingsClass[] = L"RavakSettings";
constexpr int kLinkLabels[] = {IDC_LINK1, IDC_LINK2, IDC_LINK3, IDC_LINK4};
constexpr wchar_t kLinkAddress[] = L"https://www.tirnak-ravak.ir/";

bool Contains(const int* ids, std::size_t n, int id) {
  return std::find(ids, ids + n, id) != ids + n;
}

// "US" and "Persian (Standard)" in the text that names the two layouts converted between (its
// %1 and %2), each followed by a left-to-right mark so that a closing parenthesis stays with its
// name in the right-to-left line; a layout with no name by its KLID.
std::wstring KeyboardPairText(std::wstring text, const KeyboardPair& pair) {
  const auto name = [](const KeyboardLayout& layout) {
    return (layout.name.empty() ? Widen(FormatLayoutId(layout.id)) : ToWide(layout.name)) +
           L"\u200E";
  };
  for (const auto& [mark, layout] :
       {std::pair{L"%1", &pair.latin}, std::pair{L"%2", &pair.persian}}) {
    if (const std::size_t at = text.find(mark); at != std::wstring::npos)
      text.replace(at, 2, name(*layout));
  }
  return text;
}

}  // namespace

SettingsWindow::SettingsWindow(HINSTANCE instance, MessagePump& pump,
                               SettingsController& controller, CopyStackFeature& copy_stack,
                               AutoCorrectFeature& autocorrect, ErrorReport& errors, HWND app)
    : instance_(instance),
      pump_(pump),
      controller_(controller),
      copy_stack_(copy_stack),
      autocorrect_(autocorrect),
      errors_(errors),
      app_(app) {
  white_ = CreateSolidBrush(RGB(255, 255, 255));
  RegisterDialogClass(instance, kSettingsClass, LoadIconW(instance, MAKEINTRESOURCEW(IDI_RAVAK)));
}

SettingsWindow::~SettingsWindow() {
  copy_stack_page_.reset();
  autocorrect_page_.reset();
  typing_page_.reset();
  if (hwnd_) pump_.RemoveDialog(hwnd_);
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  DeleteObject(white_);
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(hint_font_), static_cast<HGDIOBJ>(pointer_font_),
                         static_cast<HGDIOBJ>(dialog_font_), static_cast<HGDIOBJ>(logo_),
                         static_cast<HGDIOBJ>(about_)}) {
    if (object) DeleteObject(object);
  }
}

bool SettingsWindow::EnsureDialog() {
  if (hwnd_) return true;
  // The common controls are needed only once the settings window is first shown.
  if (!LoadCommonControls()) throw Error("Cannot load the common controls");
  hwnd_ = CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainProc,
                             reinterpret_cast<LPARAM>(this));
  if (!hwnd_) throw Error("Cannot create the settings window: " + SystemErrorText(GetLastError()));
  CreatePages();
  SetUpControls();
  FitWorkArea();
  pump_.AddDialog(hwnd_);
  copy_stack_page_ = std::make_unique<CopyStackPage>(*this, copy_stack_.List());
  autocorrect_page_ = std::make_unique<AutoCorrectPage>(*this, autocorrect_);
  typing_page_ = std::make_unique<TypingPage>(*this, controller_, errors_);
  SelectTab(tab_);
  ShowModel();
  ShowHotkeys();
  return true;
}

HWND SettingsWindow::Control(int id) const {
  if (!hwnd_) return nullptr;
  if (HWND h = GetDlgItem(hwnd_, id)) return h;
  for (HWND page : pages_) {
    if (HWND h = page ? GetDlgItem(page, id) : nullptr) return h;
  }
  return nullptr;
}

// --- the model in the controls --------------------------------------------------------------

void SettingsWindow::Show() {
  controller_.ReadKeyboards();
  if (!EnsureDialog()) return;
  ShowModel();  // the exceptions learnt, and the tray menu's changes, since it was last shown
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void SettingsWindow::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void SettingsWindow::SelectTab(int index) {
  tab_ = index;
  if (!hwnd_) return;
  SendMessageW(GetDlgItem(hwnd_, IDC_TABS), TCM_SETCURSEL, index, 0);
  for (int i = 0; i < kPages; ++i) ShowWindow(pages_[i], i == index ? SW_SHOW : SW_HIDE);
}

void SettingsWindow::ShowModel() {
  if (!hwnd_) return;
  const Settings& settings = controller_.Model();
  for (const ControlBinding& binding : kControlBindings) {
    const auto* member = std::get_if<bool Settings::*>(&binding.member);
    if (!member) continue;
    CheckDlgButton(GetParent(Control(binding.control)), binding.control,
                   settings.*(*member) ? BST_CHECKED : BST_UNCHECKED);
  }
  if (const std::optional<KeyboardType> type = controller_.ShownKeyboardType()) {
    const UINT text = *type == KeyboardType::kFarsi ? IDS_KEYBOARD_FARSI : IDS_KEYBOARD_DEFAULT;
    SetWindowTextW(Control(IDC_KEYBOARD_TYPE), LoadText(instance_, text).c_str());
  }
  SetWindowTextW(
      Control(IDC_KEYBOARD_PAIR),
      KeyboardPairText(LoadText(instance_, IDS_KEYBOARD_PAIR), controller_.Keyboards()).c_str());
  if (autocorrect_page_) autocorrect_page_->ShowDirection(settings.autocorrect_right_to_left);
  if (typing_page_) typing_page_->ShowLists();
}

void SettingsWindow::ShowHotkeys() {
  if (!hwnd_) return;
  const Settings& settings = controller_.Model();
  for (const ControlBinding& binding : kControlBindings) {
    if (const auto* member = std::get_if<TShortCut Settings::*>(&binding.member)) {
      SendMessageW(Control(binding.control), HKM_SETHOTKEY, HotKeyControlValue(settings.*(*member)),
                   0);
    }
  }
}

HotkeyEdits SettingsWindow::Hotkeys() const {
  const Settings& settings = controller_.Model();
  HotkeyEdits edits{settings.conversion_hotkey, settings.copy_hotkey,
                    settings.paste_hotkey,      settings.selection_hotkey,
                    settings.last_word_hotkey,  settings.orthography_hotkey};
  if (!hwnd_) return edits;  // never shown: the model holds the combinations
  const auto read = [this](int id) {
    return ShortCutFromHotKeyControl(
        static_cast<uint16_t>(SendMessageW(Control(id), HKM_GETHOTKEY, 0, 0)));
  };
  return {read(IDC_CONVERSION_HOTKEY), read(IDC_COPY_HOTKEY),      read(IDC_PASTE_HOTKEY),
          read(IDC_SELECTION_HOTKEY),  read(IDC_LAST_WORD_HOTKEY), read(IDC_ORTHOGRAPHY_HOTKEY)};
}

// --- messages -------------------------------------------------------------------------------

INT_PTR CALLBACK SettingsWindow::MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    auto* self = reinterpret_cast<SettingsWindow*>(lp);
    self->hwnd_ = hwnd;
    HICON icon = LoadIconW(self->instance_, MAKEINTRESOURCEW(IDI_RAVAK));
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    return TRUE;
  }
  auto* self = reinterpret_cast<SettingsWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  return self ? self->HandleMain(msg, wp, lp) : FALSE;
}

INT_PTR CALLBACK SettingsWindow::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    return TRUE;
  }
  auto* self = reinterpret_cast<SettingsWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  return self ? self->HandlePage(hwnd, msg, wp, lp) : FALSE;
}

HBRUSH SettingsWindow::ColorControl(HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  SetBkColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  COLORREF color = kTextColor;
  if (Contains(kHintLabels, std::size(kHintLabels), id)) color = kHintColor;
  if (Contains(kLinkLabels, std::size(kLinkLabels), id)) color = kLinkColor;
  SetTextColor(dc, color);
  return white_;
}

INT_PTR SettingsWindow::HandleMain(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (hdr->idFrom == IDC_TABS && hdr->code == TCN_SELCHANGE) {
        SelectTab(static_cast<int>(SendMessageW(hdr->hwndFrom, TCM_GETCURSEL, 0, 0)));
      }
      return TRUE;
    }
    case WM_CLOSE:
      // Closing the settings window ends the program.
      PostMessageW(app_, WM_CLOSE, 0, 0);
      return TRUE;
    default:
      return HandleShared(msg, wp, lp);
  }
}

// What the window and its tab pages handle alike: their commands, their colours and the drag
// of the window by its background.
INT_PTR SettingsWindow::HandleShared(UINT msg, WPARAM wp, LPARAM lp) {
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
      // A press on the background or the logo drags the window.
      ReleaseCapture();
      SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR SettingsWindow::HandlePage(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
  for (const PageHandler& handler : page_handlers_) {
    INT_PTR result = 0;
    if (handler(page, msg, wp, lp, result)) return result;
  }
  return HandleShared(msg, wp, lp);
}

void SettingsWindow::Command(UINT id, UINT code, HWND control) {
  switch (id) {
    case IDC_OK_BUTTON:
      ReportErrors(errors_, [this] { controller_.Apply(Hotkeys()); });
      Hide();
      return;
    case IDC_APPLY_BUTTON:
      ReportErrors(errors_, [this] { controller_.Apply(Hotkeys()); });
      return;
    case IDC_CANCEL_BUTTON:
      Hide();
      ReportErrors(errors_, [this] { controller_.Cancel(); });
      ShowModel();
      ShowHotkeys();
      if (autocorrect_page_) autocorrect_page_->ShowList();
      return;
    case IDOK:
      // Enter outside a push button. In the auto-correct edits it adds their entry, as the +
      // button does; anywhere else it does nothing. Neither Enter nor Esc (IDCANCEL) hides the
      // window or throws edits away: only the window's own buttons do.
      if (autocorrect_page_) autocorrect_page_->EnterPressed(GetFocus());
      if (typing_page_) typing_page_->EnterPressed(GetFocus());
      return;
    case IDC_CHANGE_KEYBOARD_TYPE:
      ReportErrors(errors_, [this] {
        controller_.ReadKeyboards();
        controller_.ChooseKeyboardType(ChooseKeyboardType(instance_, hwnd_, controller_.Keyboards(),
                                                          controller_.KeyboardTypeMatters()));
      });
      ShowModel();
      return;
    case IDC_LINK1:
    case IDC_LINK2:
    case IDC_LINK3:
    case IDC_LINK4:
      if (code == STN_CLICKED) {
        ShellExecuteW(hwnd_, L"open", kLinkAddress, nullptr, nullptr, SW_SHOWNORMAL);
      }
      return;
    default:
      break;
  }
  if (const SettingsField* field = FieldOfControl(static_cast<int>(id))) {
    if (!std::holds_alternative<bool Settings::*>(field->member)) return;
    const bool checked = control && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    ReportErrors(errors_, [&] { controller_.SetChecked(*field, checked); });
    ShowModel();
  }
}

}  // namespace ravak::win32
