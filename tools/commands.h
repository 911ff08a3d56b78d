// Subcommands of ravak-tool. Each takes its own arguments (after the subcommand name) and the
// standard streams, and returns the process exit status: 0 success, 2 bad usage or input.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace ravak::tool {

using Args = std::vector<std::string>;

// convert [layout options]: each stdin line with its trailing run in the other layout.
int ConvertCommand(const Args& args, std::istream& in, std::ostream& out, std::ostream& err);
// keys [layout options]: the layout map, an entry a line: the key's scan code and Shift, the
// two characters (hexadecimal code points) and whether each decides a run's language.
int KeysCommand(const Args& args, std::istream& in, std::ostream& out, std::ostream& err);
// detect [layout options]: each stdin line typed word by word, each word ended by a space, as
// it stands after automatic layout switching.
int DetectCommand(const Args& args, std::istream& in, std::ostream& out, std::ostream& err);
// fix [--latin-digits] [--non-joiners | --as-you-type]: each stdin line with its Persian
// orthography fixed (only the zero-width non-joiner fixes with --non-joiners; as typed word by
// word with the fixes made as each word ends with --as-you-type; Latin digits kept with
// --latin-digits).
int FixCommand(const Args& args, std::istream& in, std::ostream& out, std::ostream& err);
// date [YYYY-MM-DD]: the Solar date (yyyy/mm/dd) and weekday of a Gregorian date, today by default.
int DateCommand(const Args& args, std::istream& in, std::ostream& out, std::ostream& err);
// saying N: the carried saying that the stored position N shows.
int SayingCommand(const Args& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace ravak::tool
