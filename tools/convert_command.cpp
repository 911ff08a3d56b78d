#include <cstdio>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "convert/layout_map.h"
#include "tools/commands.h"
#include "tools/layout_options.h"
#include "tools/line_filter.h"

namespace ravak::tool {

namespace {

// The layout options of a command that takes no others; false, with the usage on err, when an
// argument is none of them.
bool ParseLayoutOptions(const Args& args, const char* command, LayoutOptions& options,
                        std::ostream& err) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (TakeLayoutOption(args, i, options, err) != OptionTaken::kYes) {
      err << "usage: ravak-tool " << command << ' ' << kLayoutUsage << '\n';
      return false;
    }
  }
  return true;
}

}  // namespace

int ConvertCommand(const Args& args, std::istream& in, std::ostream& out, std::ostream& err) {
  LayoutOptions options;
  if (!ParseLayoutOptions(args, "convert", options, err)) return 2;
  const LayoutMap map = MakeLayoutMap(options);
  return FilterLines(in, out, err, [&map](const std::u16string& text) {
    return std::optional<std::u16string>(map.ConvertTrailingRun(text));
  });
}

int KeysCommand(const Args& args, std::istream&, std::ostream& out, std::ostream& err) {
  LayoutOptions options;
  if (!ParseLayoutOptions(args, "keys", options, err)) return 2;
  const LayoutMap map = MakeLayoutMap(options);
  for (int i = 0; i < map.Size(); ++i) {
    const auto [scan, shift] = map.KeyOf(i);
    char line[64];
    std::snprintf(line, sizeof line, "%02X\t%d\t%04X\t%04X\t%d\t%d\n", scan, shift ? 1 : 0,
                  static_cast<unsigned>(map.EnglishChars()[i]),
                  static_cast<unsigned>(map.FarsiChars()[i]),
                  map.Decides(i, Table::English) ? 1 : 0, map.Decides(i, Table::Farsi) ? 1 : 0);
    out << line;
  }
  return 0;
}

}  // namespace ravak::tool
