#include <charconv>
#include <istream>
#include <ostream>
#include <string>

#include "convert/layout_map.h"
#include "platform/utf.h"
#include "tools/commands.h"

namespace ravak::tool {

namespace {

bool ParseInt(const std::string& s, int32_t& value) {
  const char* end = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(s.data(), end, value);
  return ec == std::errc() && ptr == end && !s.empty();
}

}  // namespace

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

  std::string line;
  for (std::size_t number = 1; std::getline(in, line); ++number) {
    const bool had_newline = !in.eof();
    std::string ending = had_newline ? "\n" : "";
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
      ending = "\r" + ending;
    }
    std::size_t bad = 0;
    const auto text = Utf8ToUtf16(line, &bad);
    if (!text) {
      out.flush();
      err << "ravak-tool: line " << number << ": invalid UTF-8 at byte " << bad + 1 << "\n";
      return 2;
    }
    out << Utf16ToUtf8(map.ConvertTrailingRun(*text)) << ending;
  }
  out.flush();
  return 0;
}

}  // namespace ravak::tool
