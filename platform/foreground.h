// Which window has the keyboard focus's top-level window (GetForegroundWindow).
#pragma once

#include "platform/window_id.h"

namespace ravak {

class ForegroundWindowQuery {
 public:
  virtual ~ForegroundWindowQuery() = default;
  virtual WindowId ForegroundWindow() = 0;
};

}  // namespace ravak
