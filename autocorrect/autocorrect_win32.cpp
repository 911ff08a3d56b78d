#include "autocorrect/autocorrect_win32.h"

#include <windows.h>

namespace ravak::win32 {

WindowId ForegroundQuery::ForegroundWindow() {
  return reinterpret_cast<WindowId>(GetForegroundWindow());
}

}  // namespace ravak::win32
