// The options of ravak-tool that choose the keyboards a command reads keys through: the Latin
// and the Persian layout by KLID (--english-layout, --persian-layout; US and the old Persian
// layout unless given) and the keyboard type (--keyboard-type, for the old Persian layout).
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "convert/layout_map.h"
#include "tools/commands.h"

namespace ravak::tool {

struct LayoutOptions {
  LayoutId english = kUsLayout;
  LayoutId persian = kPersianLayout;
  int32_t keyboard_type = 1;
};

enum class OptionTaken { kNo, kYes, kBad };

// Takes args[i], and its value after it, when it is one of these options (i then at the value);
// kBad, with the reason on err, for a value that names no layout Ravak carries or one of the
// wrong kind.
OptionTaken TakeLayoutOption(const Args& args, std::size_t& i, LayoutOptions& options,
                             std::ostream& err);
// "[--english-layout KLID] [--persian-layout KLID] [--keyboard-type N]"
extern const char kLayoutUsage[];

LayoutMap MakeLayoutMap(const LayoutOptions& options);

}  // namespace ravak::tool
