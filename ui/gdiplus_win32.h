// GDI+ as the lean Windows headers of this build can include it: every file that draws with GDI+
// includes it through here.
#pragma once

#include <algorithm>

// GDI+ uses min and max unqualified; the build keeps the Windows macros of those names out.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
// The COM declarations that the lean Windows headers leave out come first.
#include <ole2.h>

#include <gdiplus.h>
