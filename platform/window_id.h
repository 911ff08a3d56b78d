// A window of the system, as the platform-free code holds it: an opaque number (a handle).
#pragma once

#include <cstdint>

namespace ravak {

using WindowId = uintptr_t;

}  // namespace ravak
