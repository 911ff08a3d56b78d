#include "app/autocorrect_page_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "app/csv_file_win32.h"
#include "app/resource.h"

namespace ravak::win32 {

AutoCorrectPage::AutoCorrectPage(SettingsWindow& window, AutoCorrectFeature& autocorrect)
    : window_(window), autocorrect_(autocorrect) {
  list_ = window.Control(IDC_AUTOCORRECT_LIST);
  key_ = window.Control(IDC_KEYWORD);
  pre_ = window.Control(IDC_BEFORE_TEXT);
  post_ = window.Control(IDC_AFTER_TEXT);
  search_ = window.Control(IDC_AUTOCORRECT_SEARCH);
  HWND page = GetParent(list_);
  key_ = RecreateEdit(key_, false);
  Subclass(key_, KeyEditProc, this);
  window.AddPageHandler([this, page](HWND from, UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    if (from != page) return false;
    result = TRUE;
    return PageMessage(msg, wp, lp);
  });
  ShowList();
  ShowEdits();
}

AutoCorrectPage::~AutoCorrectPage() {
  Unsubclass(key_);
}

std::u16string AutoCorrectPage::EditText(HWND edit) const {
  const int length = GetWindowTextLengthW(edit);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(edit, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return FromWide(text);
}

// A new edit in place of the old one, with its text, font, position, tab order and focus. An
// existing edit does not follow a change of its reading order everywhere (not under Wine), so
// the direction is given at creation: a mirrored edit reading right to left, or an unmirrored
// one reading left to right inside the mirrored page.
HWND AutoCorrectPage::RecreateEdit(HWND edit, bool rtl) {
  HWND page = GetParent(edit);
  const int id = GetDlgCtrlID(edit);
  RECT r;
  GetWindowRect(edit, &r);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
  if (r.left > r.right) std::swap(r.left, r.right);  // mirrored coordinates
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(edit, GWL_STYLE));
  auto ex = static_cast<DWORD>(GetWindowLongPtrW(edit, GWL_EXSTYLE)) &
            ~static_cast<DWORD>(WS_EX_LAYOUTRTL | WS_EX_RTLREADING | WS_EX_RIGHT |
                                WS_EX_LEFTSCROLLBAR | WS_EX_LTRREADING);
  ex |= rtl ? WS_EX_LAYOUTRTL | WS_EX_RTLREADING : WS_EX_LTRREADING;
  const std::wstring text = ToWide(EditText(edit));
  const bool focused = GetFocus() == edit;
  const LONG_PTR page_ex = GetWindowLongPtrW(page, GWL_EXSTYLE);
  // Children of the mirrored page are mirrored too unless the page says otherwise.
  if (!rtl) SetWindowLongPtrW(page, GWL_EXSTYLE, page_ex | WS_EX_NOINHERITLAYOUT);
  HWND fresh = CreateWindowExW(
      ex, L"EDIT", text.c_str(), style, r.left, r.top, r.right - r.left, r.bottom - r.top, page,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(page, GWLP_HINSTANCE)), nullptr);
  SetWindowLongPtrW(page, GWL_EXSTYLE, page_ex);
  if (!fresh) return edit;
  SendMessageW(fresh, WM_SETFONT, SendMessageW(edit, WM_GETFONT, 0, 0), FALSE);
  SetWindowPos(fresh, edit, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  DestroyWindow(edit);
  if (focused) SetFocus(fresh);
  return fresh;
}

void AutoCorrectPage::ShowDirection(bool rtl) {
  if (direction_ == (rtl ? 1 : 0)) return;
  direction_ = rtl ? 1 : 0;
  updating_ = true;
  pre_ = RecreateEdit(pre_, rtl);
  post_ = RecreateEdit(post_, rtl);
  updating_ = false;
}

void AutoCorrectPage::EnterPressed(HWND focus) {
  if (focus != key_ && focus != pre_ && focus != post_) return;
  if (autocorrect_.Editor().AddEnabled()) AddRow();
}

void AutoCorrectPage::AddRow() {
  autocorrect_.Editor().Add();
  updating_ = true;
  SendMessageW(list_, LVM_SETITEMCOUNT, autocorrect_.Editor().ShownCount(), LVSICF_NOSCROLL);
  updating_ = false;
}

// The list view keeps no texts of its own (owner data): it asks for those of the rows it draws,
// so a list of thousands of rows shows, and a search narrows it, at once.
void AutoCorrectPage::ShowRowText(NMLVDISPINFOW& info) const {
  const AutoCorrectEditor& editor = autocorrect_.Editor();
  LVITEMW& item = info.item;
  if (!(item.mask & LVIF_TEXT) || item.cchTextMax <= 0 || item.iItem < 0 ||
      static_cast<std::size_t>(item.iItem) >= editor.ShownCount()) {
    return;
  }
  const AutoCorrectEntry& row = editor.ShownRow(static_cast<std::size_t>(item.iItem));
  const std::u16string& text = item.iSubItem == 0   ? row.after
                               : item.iSubItem == 1 ? row.before
                                                    : row.keyword;
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
  std::copy_n(text.begin(), n, item.pszText);
  item.pszText[n] = L'\0';
}

// The rows the search shows, none of them selected.
void AutoCorrectPage::ShowList() {
  updating_ = true;
  LVITEMW none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  SendMessageW(list_, LVM_SETITEMCOUNT, autocorrect_.Editor().ShownCount(), 0);
  InvalidateRect(list_, nullptr, TRUE);
  updating_ = false;
}

std::wstring AutoCorrectPage::Caption(int button) const {
  HWND control = window_.Control(button);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

// A message box over the settings window, captioned as the button that led to it.
void AutoCorrectPage::Tell(int button, const std::wstring& text, bool warning) const {
  MessageBoxW(GetAncestor(list_, GA_ROOT), text.c_str(), Caption(button).c_str(),
              MB_OK | MB_RTLREADING | MB_RIGHT | (warning ? MB_ICONWARNING : MB_ICONINFORMATION));
}

// "درون‌ریزی": the file's entries whose keyword is new join the list (stored at OK or
// Apply, like every other change); the box that follows says what was added and what was not.
void AutoCorrectPage::Import() {
  const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(list_, GWLP_HINSTANCE));
  const std::optional<std::wstring> path =
      ChooseCsvFile(GetAncestor(list_, GA_ROOT), instance, false, Caption(IDC_AUTOCORRECT_IMPORT));
  if (!path) return;
  std::string bytes;
  std::wstring error;
  if (!ReadCsvFile(instance, *path, bytes, error)) {
    Tell(IDC_AUTOCORRECT_IMPORT, error, true);
    return;
  }
  const CsvImport result = autocorrect_.Editor().Import(bytes);
  ShowList();
  ShowEdits();
  Tell(IDC_AUTOCORRECT_IMPORT, ToWide(DescribeImport(result)),
       !result.refused.empty() || !result.problems.empty());
}

// "برون‌بری": the whole list, whatever the search shows, as a CSV file.
void AutoCorrectPage::Export() {
  const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(list_, GWLP_HINSTANCE));
  const std::optional<std::wstring> path =
      ChooseCsvFile(GetAncestor(list_, GA_ROOT), instance, true, Caption(IDC_AUTOCORRECT_EXPORT));
  if (!path) return;
  const CsvExport exported = autocorrect_.Editor().Export();
  std::wstring error;
  if (!WriteCsvFile(instance, *path, exported.bytes, error)) {
    Tell(IDC_AUTOCORRECT_EXPORT, error, true);
    return;
  }
  Tell(IDC_AUTOCORRECT_EXPORT, ToWide(DescribeExport(exported)), !exported.problems.empty());
}

void AutoCorrectPage::ShowEdits() {
  updating_ = true;
  const AutoCorrectEditor& editor = autocorrect_.Editor();
  if (EditText(key_) != editor.KeyText()) SetWindowTextW(key_, ToWide(editor.KeyText()).c_str());
  if (EditText(pre_) != editor.PreText()) SetWindowTextW(pre_, ToWide(editor.PreText()).c_str());
  if (EditText(post_) != editor.PostText()) {
    SetWindowTextW(post_, ToWide(editor.PostText()).c_str());
  }
  updating_ = false;
  ShowButtons();
}

void AutoCorrectPage::ShowButtons() {
  EnableWindow(window_.Control(IDC_AUTOCORRECT_ADD), autocorrect_.Editor().AddEnabled());
  EnableWindow(window_.Control(IDC_AUTOCORRECT_SAVE), autocorrect_.Editor().SaveEnabled());
}

bool AutoCorrectPage::PageMessage(UINT msg, WPARAM wp, LPARAM lp) {
  AutoCorrectEditor& editor = autocorrect_.Editor();
  if (msg == WM_NOTIFY) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    if (hdr->hwndFrom == list_ && hdr->code == LVN_GETDISPINFOW) {
      ShowRowText(*reinterpret_cast<NMLVDISPINFOW*>(lp));
      return true;
    }
    if (hdr->hwndFrom != list_ || hdr->code != LVN_ITEMCHANGED || updating_) return false;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
    if (change->iItem < 0 || !((change->uOldState ^ change->uNewState) & LVIS_SELECTED)) {
      return true;
    }
    // A row selected or unselected: the edits take the row's texts.
    editor.SelectItem(static_cast<std::size_t>(change->iItem),
                      (change->uNewState & LVIS_SELECTED) != 0);
    ShowEdits();
    return true;
  }
  if (msg != WM_COMMAND) return false;
  const int id = LOWORD(wp);
  const int code = HIWORD(wp);
  if (id == IDC_KEYWORD && code == EN_CHANGE) {
    // Text that reached the keyword edit some other way than typing (a paste from the context
    // menu, Shift+Insert, an undo, a drop): the edit shows the keyword as it stands.
    if (!updating_ && EditText(key_) != editor.KeyText()) ShowEdits();
    return true;
  }
  if ((id == IDC_BEFORE_TEXT || id == IDC_AFTER_TEXT) && code == EN_CHANGE) {
    if (updating_) return true;
    // The enabling rule.
    if (id == IDC_BEFORE_TEXT) editor.SetPreText(EditText(pre_));
    if (id == IDC_AFTER_TEXT) editor.SetPostText(EditText(post_));
    ShowButtons();
    return true;
  }
  if (id == IDC_AUTOCORRECT_SEARCH && code == EN_CHANGE) {
    if (updating_) return true;
    editor.SetFilter(EditText(search_));
    ShowList();
    return true;
  }
  switch (id) {
    case IDC_AUTOCORRECT_IMPORT:
      Import();
      return true;
    case IDC_AUTOCORRECT_EXPORT:
      Export();
      return true;
    case IDC_AUTOCORRECT_ADD:
      AddRow();
      return true;
    case IDC_AUTOCORRECT_SAVE:
      if (auto row = editor.Save()) SendMessageW(list_, LVM_REDRAWITEMS, *row, *row);
      return true;
    case IDC_AUTOCORRECT_DELETE:
      if (editor.Delete()) ShowList();
      return true;
    default:
      return false;
  }
}

// The keyword is built from the typed characters; the edit inserts nothing itself
// and takes no pasted text.
LRESULT AutoCorrectPage::KeyEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, void* data) {
  auto* self = static_cast<AutoCorrectPage*>(data);
  switch (msg) {
    case WM_CHAR:
      self->autocorrect_.Editor().KeyPress(static_cast<char16_t>(wp));
      self->ShowEdits();
      SendMessageW(hwnd, EM_SETSEL, GetWindowTextLengthW(hwnd), GetWindowTextLengthW(hwnd));
      return 0;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
      return 0;
    case WM_KEYDOWN:
      // Delete, and Shift+Insert / Shift+Delete, which paste and cut without WM_PASTE or WM_CUT.
      if (wp == VK_DELETE || wp == VK_INSERT) return 0;
      break;
    default:
      break;
  }
  return CallOriginal(hwnd, msg, wp, lp);
}

}  // namespace ravak::win32
