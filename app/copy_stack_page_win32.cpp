#include "app/copy_stack_page_win32.h"

#include "app/resource.h"
#include "platform/win32_window.h"

namespace ravak::win32 {

CopyStackPage::CopyStackPage(SettingsWindow& window, ClipItemList& list)
    : window_(window), items_(list) {
  list_ = window.Control(IDC_COPY_STACK_LIST);
  HWND page = GetParent(list_);
  editor_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, 0, 0, 0, 0,
                            page, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(editor_, WM_SETFONT, SendMessageW(list_, WM_GETFONT, 0, 0), FALSE);
  Subclass(list_, ListProc, this);
  Subclass(editor_, EditorProc, this);
  items_.SetOnChanged([this] { Redraw(); });
  window.AddPageHandler([this, page](HWND from, UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    if (from != page) return false;
    result = TRUE;
    return PageMessage(msg, wp, lp);
  });
  Redraw();
}

CopyStackPage::~CopyStackPage() {
  items_.SetOnChanged(nullptr);
  Unsubclass(list_);
  Unsubclass(editor_);
}

bool CopyStackPage::PageMessage(UINT msg, WPARAM wp, LPARAM) {
  if (msg != WM_COMMAND) return false;
  ClipItemList& list = items_;
  switch (LOWORD(wp)) {
    case IDC_COPY_STACK_ADD:
      list.Add(FromWide(LoadText(window_.instance(), IDS_NEW_ITEM)));
      return true;
    case IDC_COPY_STACK_DELETE:
      list.Delete();
      return true;
    case IDC_COPY_STACK_UP:
      list.Up();
      return true;
    case IDC_COPY_STACK_DOWN:
      list.Down();
      return true;
    case IDC_COPY_STACK_LIST:
      if (HIWORD(wp) == LBN_SELCHANGE && !redrawing_) {
        list.Select(static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0)));
      }
      return true;
    default:
      if (reinterpret_cast<HWND>(0) != editor_ && HIWORD(wp) == EN_CHANGE && !redrawing_) {
        // The in-place editor has no id of its own; any other edit here has none either.
        const int length = GetWindowTextLengthW(editor_);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        GetWindowTextW(editor_, text.data(), length + 1);
        text.resize(static_cast<std::size_t>(length));
        list.SetEditText(FromWide(text));
        return true;
      }
      return false;
  }
}

void CopyStackPage::Redraw() {
  redrawing_ = true;
  const ClipItemList& list = items_;
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list_, LB_RESETCONTENT, 0, 0);
  for (std::size_t i = 0; i < list.Count(); ++i) {
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(list.Text(i)).c_str()));
  }
  SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(list.Selected()), 0);
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
  if (list.Editing()) {
    RECT item{};
    SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(list.EditingIndex()),
                 reinterpret_cast<LPARAM>(&item));
    MapWindowPoints(list_, GetParent(list_), reinterpret_cast<POINT*>(&item), 2);
    if (item.left > item.right) std::swap(item.left, item.right);
    const std::wstring text = ToWide(list.EditText());
    wchar_t current[4096] = L"";
    GetWindowTextW(editor_, current, 4096);
    if (!IsWindowVisible(editor_) || text != current) SetWindowTextW(editor_, text.c_str());
    SetWindowPos(editor_, HWND_TOP, item.left, item.top - 2, item.right - item.left,
                 item.bottom - item.top + 4, SWP_SHOWWINDOW);
    if (GetFocus() != editor_) {
      SetFocus(editor_);
      SendMessageW(editor_, EM_SETSEL, 0, -1);
    }
  } else if (IsWindowVisible(editor_)) {
    const bool had_focus = GetFocus() == editor_;
    ShowWindow(editor_, SW_HIDE);
    if (had_focus) SetFocus(list_);
  }
  redrawing_ = false;
}

LRESULT CopyStackPage::ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, void* data) {
  auto* self = reinterpret_cast<CopyStackPage*>(data);
  ClipItemList& list = self->items_;
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {  // a second click soon after the first is a click all the same
      const LRESULT hit = SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lp);
      const int index = HIWORD(hit) ? ClipItemList::kNoItem : LOWORD(hit);
      SetFocus(hwnd);
      list.Click(index);
      return 0;
    }
    case WM_KEYDOWN:
      if (list.KeyDown(static_cast<uint16_t>(wp))) return 0;
      break;
    case WM_CHAR:
      if (wp == L' ') return 0;  // Space opened the editor
      break;
    default:
      break;
  }
  return CallOriginal(hwnd, msg, wp, lp);
}

LRESULT CopyStackPage::EditorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, void* data) {
  auto* self = reinterpret_cast<CopyStackPage*>(data);
  ClipItemList& list = self->items_;
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if ((wp == VK_RETURN || wp == VK_ESCAPE) && list.KeyDown(static_cast<uint16_t>(wp))) return 0;
      break;
    case WM_CHAR:
      if (wp == L'\r' || wp == 27) return 0;
      break;
    case WM_KILLFOCUS:
      if (list.Editing() && !self->redrawing_) list.FocusLost();
      break;
    default:
      break;
  }
  return CallOriginal(hwnd, msg, wp, lp);
}

}  // namespace ravak::win32
