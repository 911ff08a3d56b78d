#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "orthography/persian_orthography.h"
#include "tools/commands.h"
#include "tools/line_filter.h"

namespace ravak::tool {

int FixCommand(const Args& args, std::istream& in, std::ostream& out, std::ostream& err) {
  OrthographyOptions options;
  bool non_joiners_only = false;
  for (const std::string& arg : args) {
    if (arg == "--latin-digits") {
      options.persian_digits = false;
    } else if (arg == "--non-joiners") {
      non_joiners_only = true;
    } else {
      err << "usage: ravak-tool fix [--latin-digits] [--non-joiners]\n";
      return 2;
    }
  }
  return FilterLines(in, out, err, [&](const std::u16string& text) {
    return std::optional<std::u16string>(non_joiners_only ? FixNonJoiners(text)
                                                          : FixOrthography(text, options));
  });
}

}  // namespace ravak::tool
