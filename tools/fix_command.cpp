// ravak-tool fix: the Persian orthography fixes on each line, all of them as the hotkey makes
// them, only the non-joiners as a conversion makes them, or those made as each word is typed.
#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "orthography/as_you_type.h"
#include "orthography/persian_orthography.h"
#include "tools/commands.h"
#include "tools/line_filter.h"

namespace ravak::tool {

int FixCommand(const Args& args, std::istream& in, std::ostream& out, std::ostream& err) {
  enum class Fixes { All, NonJoiners, AsTyped };
  OrthographyOptions options;
  Fixes fixes = Fixes::All;
  for (const std::string& arg : args) {
    const Fixes chosen = arg == "--non-joiners"   ? Fixes::NonJoiners
                         : arg == "--as-you-type" ? Fixes::AsTyped
                                                  : Fixes::All;
    if (arg == "--latin-digits") {
      options.persian_digits = false;
    } else if (chosen != Fixes::All && fixes == Fixes::All) {
      fixes = chosen;
    } else {
      err << "usage: ravak-tool fix [--latin-digits] [--non-joiners | --as-you-type]\n";
      return 2;
    }
  }
  return FilterLines(in, out, err, [&](const std::u16string& text) {
    switch (fixes) {
      case Fixes::NonJoiners:
        return std::optional<std::u16string>(FixNonJoiners(text));
      case Fixes::AsTyped:
        return std::optional<std::u16string>(FixAsTyped(text));
      case Fixes::All:
        break;
    }
    return std::optional<std::u16string>(FixOrthography(text, options));
  });
}

}  // namespace ravak::tool
