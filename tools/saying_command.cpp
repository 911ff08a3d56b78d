#include <charconv>
#include <ostream>
#include <string>

#include "platform/utf.h"
#include "sayings/rotation.h"
#include "sayings/sayings_block.h"
#include "tools/commands.h"

namespace ravak::tool {

int SayingCommand(const Args& args, std::istream&, std::ostream& out, std::ostream& err) {
  int32_t position = 0;
  if (args.size() != 1) {
    err << "usage: ravak-tool saying N   (N: the stored position, a 32-bit whole number)\n";
    return 2;
  }
  const std::string& text = args[0];
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, position);
  if (text.empty() || ec != std::errc() || ptr != end) {
    err << "ravak-tool: saying: '" << text
        << "' is not a whole number from -2147483648 to 2147483647\n";
    return 2;
  }
  const SayingsBlockContents table = ReadSayingsBlock(CarriedSayingsBlock());
  if (!table.error.empty()) {
    err << "ravak-tool: saying: " << table.error << "\n";
    return 1;
  }
  const auto count = static_cast<int32_t>(table.sayings.size());
  const WalkResult walk = WalkSayings(position, count);
  if (count > 0) out << Utf16ToUtf8(table.sayings[walk.index]);
  out << '\n';
  out.flush();
  return 0;
}

}  // namespace ravak::tool
