// The Win32 side of the auto-correct engine. Windows builds only.
#pragma once

#include "autocorrect/autocorrect_engine.h"

namespace ravak::win32 {

class ForegroundQuery : public ForegroundWindowQuery {
 public:
  WindowId ForegroundWindow() override;
};

}  // namespace ravak::win32
