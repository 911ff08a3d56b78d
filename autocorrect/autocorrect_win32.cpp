#include "autocorrect/autocorrect_win32.h"

#include <windows.h>

namespace ravak::win32 {

WindowId ForegroundQuery::ForegroundWindow() {
  return reinterpret_cast<WindowId>(GetForegroundWindow());
}

LocalDateTime LocalNow() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {{t.wYear, t.wMonth, t.wDay}, t.wHour, t.wMinute};
}

}  // namespace ravak::win32
