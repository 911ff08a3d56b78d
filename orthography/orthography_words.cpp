// The word lists the orthography fixes consult: read from their text, and those carried in the
// program.
#include "orthography/persian_orthography.h"

#include <algorithm>

#include "platform/utf.h"

namespace ravak {

std::optional<OrthographyWords> OrthographyWords::Parse(std::string_view utf8) {
  static constexpr std::string_view kNames[kListCount] = {
      "present-stems", "past-stems",   "not-verbs", "pronounced-heh",
      "joined-words",  "comparatives", "compounds"};
  OrthographyWords words;
  std::array<bool, kListCount> seen{};
  int section = -1;
  while (!utf8.empty()) {
    const std::size_t end = std::min(utf8.find('\n'), utf8.size());
    std::string_view line = utf8.substr(0, end);
    utf8.remove_prefix(std::min(end + 1, utf8.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      const auto name = line.substr(1, line.size() - 2);
      const auto* found = std::find(std::begin(kNames), std::end(kNames), name);
      if (found == std::end(kNames)) return std::nullopt;
      section = static_cast<int>(found - std::begin(kNames));
      seen[section] = true;
      continue;
    }
    auto word = Utf8ToUtf16(line);
    if (section < 0 || !word) return std::nullopt;
    words.lists_[section].push_back(std::move(*word));
  }
  if (std::find(seen.begin(), seen.end(), false) != seen.end()) return std::nullopt;
  for (auto& list : words.lists_) std::sort(list.begin(), list.end());
  return words;
}

const OrthographyWords& OrthographyWords::Embedded() {
  static const OrthographyWords words = [] {
    const auto image = OrthographyWordsImage();
    const std::string_view text(reinterpret_cast<const char*>(image.data()), image.size());
    // Lists that fail to parse leave only the fixes that need no word list.
    return Parse(text).value_or(OrthographyWords());
  }();
  return words;
}

bool OrthographyWords::Contains(List list, std::u16string_view word) const {
  const auto& words = lists_[list];
  return !word.empty() && std::binary_search(words.begin(), words.end(), word);
}

}  // namespace ravak
