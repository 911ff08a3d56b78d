// The application's general error report as a Win32 message box.
#include "platform/win32.h"

#include "platform/error.h"

namespace ravak::win32 {

void MessageBoxErrorReport::ShowError(const std::string& message) {
  // The box has no owner: it is brought in front, or it could open behind the window the user
  // types in and never be seen.
  MessageBoxW(nullptr, Widen(ErrorReportText(message)).c_str(), title_.c_str(),
              MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
}

}  // namespace ravak::win32
