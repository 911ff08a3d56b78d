// Subcommands of ravak-tool. Each takes its own arguments (after the subcommand name) and the
// standard streams, and returns the process exit status: 0 success, 2 bad usage or input.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace ravak::tool {

using Args = std::vector<std::string>;

int ConvertCommand(const Args& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace ravak::tool
