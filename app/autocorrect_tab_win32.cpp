#include "app/autocorrect_tab_win32.h"

#include <commctrl.h>

#include "app/resource.h"

namespace ravak::win32 {

AutoCorrectTab::AutoCorrectTab(MainWindow& window, TfrmMain& form) : window_(window), form_(form) {
  list_ = window.Control(IDC_lvAC);
  key_ = window.Control(IDC_edtKey);
  pre_ = window.Control(IDC_edtPreStr);
  post_ = window.Control(IDC_edtPostStr);
  HWND page = GetParent(list_);
  Subclass(key_, KeyEditProc, this);
  window.AddPageHandler([this, page](HWND from, UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    if (from != page) return false;
    result = TRUE;
    return PageMessage(msg, wp, lp);
  });
  form_.onAutoCorrectLoaded = [this] { ShowList(); };
  ShowList();
  ShowEdits();
}

AutoCorrectTab::~AutoCorrectTab() {
  form_.onAutoCorrectLoaded = nullptr;
  Unsubclass(key_);
}

std::u16string AutoCorrectTab::EditText(HWND edit) const {
  const int length = GetWindowTextLengthW(edit);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(edit, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return FromWide(text);
}

void AutoCorrectTab::ShowRow(std::size_t index, bool insert) {
  const AutoCorrectEntry& row = form_.lvAC.Row(index);
  std::wstring after = ToWide(row.after), before = ToWide(row.before), key = ToWide(row.keyword);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(index);
  item.pszText = after.data();
  SendMessageW(list_, insert ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  item.iSubItem = 1;
  item.pszText = before.data();
  SendMessageW(list_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  item.iSubItem = 2;
  item.pszText = key.data();
  SendMessageW(list_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void AutoCorrectTab::ShowList() {
  updating_ = true;
  SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t i = 0; i < form_.lvAC.Size(); ++i) ShowRow(i, true);
  updating_ = false;
}

void AutoCorrectTab::ShowEdits() {
  updating_ = true;
  const AutoCorrectEditor& editor = form_.acEditor;
  if (EditText(key_) != editor.KeyText()) SetWindowTextW(key_, ToWide(editor.KeyText()).c_str());
  if (EditText(pre_) != editor.PreText()) SetWindowTextW(pre_, ToWide(editor.PreText()).c_str());
  if (EditText(post_) != editor.PostText()) {
    SetWindowTextW(post_, ToWide(editor.PostText()).c_str());
  }
  updating_ = false;
  ShowButtons();
}

void AutoCorrectTab::ShowButtons() {
  EnableWindow(window_.Control(IDC_btnACAdd), form_.acEditor.AddEnabled());
  EnableWindow(window_.Control(IDC_btnACSave), form_.acEditor.SaveEnabled());
}

bool AutoCorrectTab::PageMessage(UINT msg, WPARAM wp, LPARAM lp) {
  AutoCorrectEditor& editor = form_.acEditor;
  if (msg == WM_NOTIFY) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    if (hdr->hwndFrom != list_ || hdr->code != LVN_ITEMCHANGED || updating_) return false;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
    if (change->iItem < 0 || !((change->uOldState ^ change->uNewState) & LVIS_SELECTED)) {
      return true;
    }
    // lvACSelectItem: the edits take the row's texts.
    editor.SelectItem(static_cast<std::size_t>(change->iItem),
                      (change->uNewState & LVIS_SELECTED) != 0);
    ShowEdits();
    return true;
  }
  if (msg != WM_COMMAND) return false;
  const int id = LOWORD(wp);
  const int code = HIWORD(wp);
  if ((id == IDC_edtPreStr || id == IDC_edtPostStr) && code == EN_CHANGE) {
    if (updating_) return true;
    // edtKeyChange: the enabling rule.
    if (id == IDC_edtPreStr) editor.SetPreText(EditText(pre_));
    if (id == IDC_edtPostStr) editor.SetPostText(EditText(post_));
    ShowButtons();
    return true;
  }
  switch (id) {
    case IDC_btnACAdd: {
      const std::size_t row = editor.Add();
      updating_ = true;
      ShowRow(row, true);
      updating_ = false;
      return true;
    }
    case IDC_btnACSave:
      if (auto row = editor.Save()) ShowRow(*row, false);
      return true;
    case IDC_btnACDelete:
      if (auto row = editor.Delete()) {
        updating_ = true;
        SendMessageW(list_, LVM_DELETEITEM, *row, 0);
        updating_ = false;
      }
      return true;
    default:
      return false;
  }
}

// edtKeyKeyPress: the keyword is built from the typed characters; the edit inserts nothing itself
// and takes no pasted text.
LRESULT AutoCorrectTab::KeyEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, void* data) {
  auto* self = static_cast<AutoCorrectTab*>(data);
  switch (msg) {
    case WM_CHAR:
      self->form_.acEditor.KeyPress(static_cast<char16_t>(wp));
      self->ShowEdits();
      SendMessageW(hwnd, EM_SETSEL, GetWindowTextLengthW(hwnd), GetWindowTextLengthW(hwnd));
      return 0;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_DELETE) return 0;
      break;
    default:
      break;
  }
  return CallOriginal(hwnd, msg, wp, lp);
}

}  // namespace ravak::win32
