// ravak-tool: Ravak's computations on the command line, on any machine.
#include <cstdio>
#include <iostream>
#include <map>
#include <string>

#include "tools/commands.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

void Usage(std::ostream& err) {
  err << "usage: ravak-tool <command> [options]\n"
         "commands:\n"
         "  convert [LAYOUTS]             retype each stdin line's trailing run in the other "
         "layout\n"
         "  detect [LAYOUTS]              type each stdin line word by word, switching the words "
         "typed in the wrong layout\n"
         "                                (each line a field: a word is judged after the words "
         "before it; --no-context judges each word alone)\n"
         "  keys [LAYOUTS]                the characters the two layouts type, key by key\n"
         "  fix [--latin-digits] [--non-joiners | --as-you-type]\n"
         "                                fix the Persian orthography of each stdin line\n"
         "                                (--as-you-type: typed word by word, each word fixed "
         "as it ends)\n"
         "  date [YYYY-MM-DD]             Solar date and weekday of a Gregorian date (today)\n"
         "  saying N                      the saying that the stored position N shows\n"
         "LAYOUTS: [--english-layout KLID] [--persian-layout KLID] [--keyboard-type N]: the\n"
         "layouts by their Windows identifiers (00000409 US and 00000429 Persian unless given);\n"
         "the keyboard type decides the backslash key of 00000429\n";
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::ios::sync_with_stdio(false);
  using Command = int (*)(const ravak::tool::Args&, std::istream&, std::ostream&, std::ostream&);
  const std::map<std::string, Command> commands = {
      {"convert", ravak::tool::ConvertCommand}, {"date", ravak::tool::DateCommand},
      {"detect", ravak::tool::DetectCommand},   {"fix", ravak::tool::FixCommand},
      {"keys", ravak::tool::KeysCommand},       {"saying", ravak::tool::SayingCommand},
  };
  if (argc < 2 || commands.find(argv[1]) == commands.end()) {
    Usage(std::cerr);
    return 2;
  }
  const ravak::tool::Args args(argv + 2, argv + argc);
  return commands.at(argv[1])(args, std::cin, std::cout, std::cerr);
}
