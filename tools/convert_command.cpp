#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "convert/layout_map.h"
#include "tools/commands.h"
#include "tools/line_filter.h"

namespace ravak::tool {

int ConvertCommand(const Args& args, std::istream& in, std::ostream& out, std::ostream& err) {
  int32_t keyboard_type = 1;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--keyboard-type" && i + 1 < args.size() &&
        ParseInt(args[i + 1], keyboard_type)) {
      ++i;
      continue;
    }
    err << "usage: ravak-tool convert [--keyboard-type N]\n";
    return 2;
  }
  LayoutMap map;
  map.ApplyKeyboardType(keyboard_type);

  return FilterLines(in, out, err, [&map](const std::u16string& text) {
    return std::optional<std::u16string>(map.ConvertTrailingRun(text));
  });
}

}  // namespace ravak::tool
