// The Win32 side of the auto-correct engine. Windows builds only.
#pragma once

#include "platform/foreground.h"

namespace ravak::win32 {

class ForegroundQuery : public ForegroundWindowQuery {
 public:
  WindowId ForegroundWindow() override;
};

}  // namespace ravak::win32
