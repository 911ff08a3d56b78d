#include "app/typing_page_win32.h"

#include <vector>

#include "app/resource.h"
#include "platform/win32.h"

namespace ravak::win32 {

TypingPage::TypingPage(SettingsWindow& window, SettingsController& controller, ErrorReport& errors)
    : window_(window), controller_(controller), errors_(errors) {
  programs_ = window.Control(IDC_PROGRAMS_LIST);
  exceptions_ = window.Control(IDC_EXCEPTIONS_LIST);
  name_ = window.Control(IDC_PROGRAM_NAME);
  SendMessageW(name_, EM_LIMITTEXT, MAX_PATH, 0);
  HWND page = GetParent(programs_);
  window.AddPageHandler([this, page](HWND from, UINT msg, WPARAM wp, LPARAM, INT_PTR& result) {
    if (from != page) return false;
    result = TRUE;
    return PageMessage(msg, wp);
  });
  ShowLists();
}

std::u16string TypingPage::SelectedLine(HWND list) {
  const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return {};
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return FromWide(text);
}

void TypingPage::Fill(HWND list, const std::vector<std::u16string>& lines,
                      const std::u16string& selected) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::u16string& line : lines) {
    const LRESULT index =
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(line).c_str()));
    if (!selected.empty() && line == selected) SendMessageW(list, LB_SETCURSEL, index, 0);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void TypingPage::ShowLists() {
  Fill(programs_, controller_.Model().excluded_programs, SelectedLine(programs_));
  Fill(exceptions_, controller_.Exceptions(), SelectedLine(exceptions_));
  ShowButtons();
}

void TypingPage::ShowButtons() {
  EnableWindow(window_.Control(IDC_PROGRAM_ADD), GetWindowTextLengthW(name_) > 0);
  EnableWindow(window_.Control(IDC_PROGRAM_REMOVE), !SelectedLine(programs_).empty());
  EnableWindow(window_.Control(IDC_EXCEPTION_REMOVE), !SelectedLine(exceptions_).empty());
  EnableWindow(window_.Control(IDC_CLEAR_EXCEPTIONS), !controller_.Exceptions().empty());
}

void TypingPage::EnterPressed(HWND focus) {
  if (focus == name_) AddProgram();
}

void TypingPage::AddProgram() {
  const int length = GetWindowTextLengthW(name_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(name_, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  if (!controller_.AddProgram(FromWide(text))) return;  // no file name, or listed already
  SetWindowTextW(name_, L"");
  const std::vector<std::u16string>& listed = controller_.Model().excluded_programs;
  Fill(programs_, listed, listed.back());
  ShowButtons();
}

bool TypingPage::PageMessage(UINT msg, WPARAM wp) {
  if (msg != WM_COMMAND) return false;
  const int id = LOWORD(wp);
  const int code = HIWORD(wp);
  switch (id) {
    case IDC_PROGRAM_NAME:
      if (code == EN_CHANGE) ShowButtons();
      return code == EN_CHANGE;
    case IDC_PROGRAMS_LIST:
    case IDC_EXCEPTIONS_LIST:
      if (code == LBN_SELCHANGE) ShowButtons();
      return code == LBN_SELCHANGE;
    case IDC_PROGRAM_ADD:
      AddProgram();
      return true;
    case IDC_PROGRAM_REMOVE:
      controller_.RemoveProgram(SelectedLine(programs_));
      ShowLists();
      return true;
    case IDC_EXCEPTION_REMOVE:
      ReportErrors(errors_, [this] { controller_.RemoveException(SelectedLine(exceptions_)); });
      ShowLists();
      return true;
    case IDC_CLEAR_EXCEPTIONS:
      ReportErrors(errors_, [this] { controller_.ClearExceptions(); });
      ShowLists();
      return true;
    default:
      return false;
  }
}

}  // namespace ravak::win32
