#include "tools/line_filter.h"

#include <charconv>
#include <istream>
#include <ostream>

#include "platform/utf.h"

namespace ravak::tool {

int FilterLines(
    std::istream& in, std::ostream& out, std::ostream& err,
    const std::function<std::optional<std::u16string>(const std::u16string&)>& transform) {
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
    if (const auto result = transform(*text)) out << Utf16ToUtf8(*result) << ending;
  }
  out.flush();
  return 0;
}

bool ParseInt(const std::string& s, int32_t& value) {
  const char* end = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(s.data(), end, value);
  return ec == std::errc() && ptr == end && !s.empty();
}

}  // namespace ravak::tool
