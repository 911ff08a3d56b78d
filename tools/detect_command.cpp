#include <algorithm>
#include <fstream>
#include <iomanip>
#include <istream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "convert/layout_map.h"
#include "detect/layout_detector.h"
#include "tools/commands.h"
#include "tools/layout_options.h"
#include "tools/line_filter.h"

namespace ravak::tool {

namespace {

// The layout a word shown on screen was typed on: the table that holds all of its characters,
// English first (so punctuation-only words read as English); nullopt when neither holds them.
std::optional<Language> TypedOn(const LayoutMap& map, std::u16string_view word) {
  for (const Table table : {Table::English, Table::Farsi}) {
    bool all = true;
    for (const char16_t c : word) all = all && map.LookupChar(c, table) < kLayoutSize;
    if (all) return table == Table::English ? Language::English : Language::Farsi;
  }
  return std::nullopt;
}

// A word with a digit (IPv6, ۴و) is a token that never switches; the layouts type it alike or
// not, it says nothing of the language the line is typed in.
bool HasDigit(std::u16string_view word) {
  return std::any_of(word.begin(), word.end(), [](char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'\u0660' && c <= u'\u0669') ||
           (c >= u'\u06F0' && c <= u'\u06F9');
  });
}

}  // namespace

int DetectCommand(const Args& args, std::istream& in, std::ostream& out, std::ostream& err) {
  LayoutOptions layouts;
  std::string model_path;
  bool margins = false;
  bool context = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const OptionTaken taken = TakeLayoutOption(args, i, layouts, err);
    if (taken == OptionTaken::kYes) continue;
    if (taken == OptionTaken::kNo && args[i] == "--model" && i + 1 < args.size()) {
      model_path = args[++i];
      continue;
    }
    if (taken == OptionTaken::kNo && args[i] == "--margins") {
      margins = true;
      continue;
    }
    if (taken == OptionTaken::kNo && args[i] == "--no-context") {
      context = false;
      continue;
    }
    err << "usage: ravak-tool detect " << kLayoutUsage
        << " [--model FILE] [--margins] [--no-context]\n";
    return 2;
  }
  const LayoutMap map = MakeLayoutMap(layouts);
  // A model file in place of the carried one, for tuning.
  std::vector<uint8_t> model_bytes;
  std::optional<DetectModel> model_file;
  if (!model_path.empty()) {
    std::ifstream file(model_path, std::ios::binary);
    model_bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    model_file = DetectModel::Parse(model_bytes);
    if (!model_file) {
      err << "ravak-tool: " << model_path << ": not a detection model\n";
      return 2;
    }
  }
  const LayoutDetector detector(map, model_file ? *model_file : DetectModel::Embedded());

  // Each line is a field: its words are judged after the ones before them.
  return FilterLines(in, out, err, [&](const std::u16string& text) {
    std::u16string result;
    WordContext field;
    std::size_t pos = 0;
    while (pos < text.size()) {
      const std::size_t space = std::min(text.find(u' ', pos), text.size());
      const std::u16string_view word(text.data() + pos, space - pos);
      pos = space + 1;
      if (word.empty()) continue;
      if (!result.empty()) result += u' ';
      const auto typed = TypedOn(map, word);
      const auto j = typed ? detector.Judge(word, *typed, field) : std::nullopt;
      if (margins) {
        // One line a word: the other reading's letters and the margin in bits, or "-".
        if (j) {
          out << j->letters << '\t' << std::fixed << std::setprecision(3) << j->margin << '\n';
        } else {
          out << "0\t-\n";
        }
      }
      const bool switched = j && j->meant_other;
      result += switched ? detector.ConvertWord(word, *typed) : std::u16string(word);
      if (typed && context && !HasDigit(word))
        field = detector.ContextAfter(field, word, *typed, switched);
    }
    return margins ? std::nullopt : std::optional<std::u16string>(result);
  });
}

}  // namespace ravak::tool
