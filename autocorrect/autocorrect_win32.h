// The Win32 side of the auto-correct engine. Windows builds only.
#pragma once

#include "autocorrect/text_variables.h"
#include "platform/foreground.h"

namespace ravak::win32 {

class ForegroundQuery : public ForegroundWindowQuery {
 public:
  WindowId ForegroundWindow() override;
};

// The local date and time of the clock (GetLocalTime).
LocalDateTime LocalNow();

}  // namespace ravak::win32
