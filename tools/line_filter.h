// What the line-by-line commands of ravak-tool share: reading UTF-8 lines and writing each one
// transformed, with its own line ending.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

namespace ravak::tool {

// Gives every line of in (without its line ending, CR LF or LF) to transform and writes what it
// returns, UTF-8, followed by the line's own ending; nothing when it returns nullopt. A line that
// is not UTF-8 stops the reading with "ravak-tool: line N: invalid UTF-8 at byte B" on err:
// status 2. Otherwise 0.
int FilterLines(
    std::istream& in, std::ostream& out, std::ostream& err,
    const std::function<std::optional<std::u16string>(const std::u16string&)>& transform);

// A whole decimal number; false for anything else.
bool ParseInt(const std::string& s, int32_t& value);

}  // namespace ravak::tool
