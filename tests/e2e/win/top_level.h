// Finding a top-level window from another process, for the test helpers: by its class, "CLASS",
// or by class and title, "CLASS|TITLE" ("|TITLE" for any class). A title alone is not enough:
// the settings window and an error box share one.
#pragma once

#include <windows.h>

#include <string>

namespace ravak::testing {

struct TopLevelQuery {
  std::wstring window_class;  // empty: any class
  std::wstring title;
  bool match_title = false;
  HWND found = nullptr;
};

inline BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM lp) {
  auto* query = reinterpret_cast<TopLevelQuery*>(lp);
  if (!IsWindowVisible(hwnd)) return TRUE;
  wchar_t text[512] = L"";
  if (!query->window_class.empty()) {
    GetClassNameW(hwnd, text, 512);
    if (query->window_class != text) return TRUE;
  }
  if (query->match_title) {
    text[0] = 0;
    GetWindowTextW(hwnd, text, 512);
    if (query->title != text) return TRUE;
  }
  query->found = hwnd;
  return FALSE;
}

// The visible top-level window that "CLASS" or "CLASS|TITLE" names; null when there is none.
inline HWND TopLevel(const std::wstring& which) {
  TopLevelQuery query;
  const std::size_t bar = which.find(L'|');
  query.window_class = which.substr(0, bar);
  if (bar != std::wstring::npos) {
    query.title = which.substr(bar + 1);
    query.match_title = true;
  }
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

}  // namespace ravak::testing
