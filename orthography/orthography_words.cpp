// The word lists the orthography fixes consult: read from their text, or from the packed form
// the program carries (tools/pack_orthography_words.py describes it).
#include "orthography/persian_orthography.h"

#include <algorithm>
#include <cstring>

#include "platform/utf.h"

namespace ravak {

namespace {

constexpr std::string_view kNames[OrthographyWords::kListCount] = {
    "present-stems", "past-stems",   "not-verbs", "pronounced-heh",
    "joined-words",  "comparatives", "compounds"};

// The list of a section's name; -1 for a name no list has.
int ListNamed(std::string_view name) {
  const auto* found = std::find(std::begin(kNames), std::end(kNames), name);
  return found == std::end(kNames) ? -1 : static_cast<int>(found - std::begin(kNames));
}

// Takes bytes off the front of the packed form, failing once past its end.
class PackedReader {
 public:
  explicit PackedReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  bool Byte(uint8_t& b) {
    if (bytes_.empty()) return false;
    b = bytes_.front();
    bytes_ = bytes_.subspan(1);
    return true;
  }
  bool Take(std::size_t n, std::span<const uint8_t>& out) {
    if (bytes_.size() < n) return false;
    out = bytes_.first(n);
    bytes_ = bytes_.subspan(n);
    return true;
  }
  bool AtEnd() const { return bytes_.empty(); }

 private:
  std::span<const uint8_t> bytes_;
};

// A count of a word's nibble, in a byte of its own when the nibble is 15.
bool ReadCount(PackedReader& r, unsigned nibble, std::size_t& count) {
  uint8_t b = static_cast<uint8_t>(nibble);
  if (nibble == 15 && !r.Byte(b)) return false;
  count = b;
  return true;
}

}  // namespace

std::optional<OrthographyWords> OrthographyWords::Parse(std::string_view utf8) {
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
      section = ListNamed(line.substr(1, line.size() - 2));
      if (section < 0) return std::nullopt;
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

std::optional<OrthographyWords> OrthographyWords::Unpack(std::span<const uint8_t> bytes) {
  PackedReader r(bytes);
  std::span<const uint8_t> magic, letter_bytes;
  uint8_t version = 0, letter_count = 0, sections = 0;
  if (!r.Take(4, magic) || std::memcmp(magic.data(), "RVKW", 4) != 0 || !r.Byte(version) ||
      version != 1 || !r.Byte(letter_count) || letter_count > 128 ||
      !r.Take(std::size_t{letter_count} * 2, letter_bytes) || !r.Byte(sections)) {
    return std::nullopt;
  }
  std::array<char16_t, 256> unit_of{};  // a word's byte -> its code unit; 0 for no letter
  for (char16_t c = 1; c < 0x80; ++c) unit_of[c] = c;
  for (std::size_t i = 0; i < letter_count; ++i) {
    const char16_t c = static_cast<char16_t>(letter_bytes[2 * i] | letter_bytes[2 * i + 1] << 8);
    if (c < 0x80 || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    unit_of[0x80 + i] = c;
  }
  OrthographyWords words;
  std::array<bool, kListCount> seen{};
  for (uint8_t s = 0; s < sections; ++s) {
    uint8_t name_size = 0;
    std::span<const uint8_t> name, count_bytes;
    if (!r.Byte(name_size) || !r.Take(name_size, name) || !r.Take(4, count_bytes)) {
      return std::nullopt;
    }
    const int list = ListNamed({reinterpret_cast<const char*>(name.data()), name.size()});
    if (list < 0 || seen[list]) return std::nullopt;
    seen[list] = true;
    uint32_t count = 0;
    std::memcpy(&count, count_bytes.data(), 4);
    auto& out = words.lists_[list];
    std::u16string previous;
    for (uint32_t i = 0; i < count; ++i) {
      uint8_t lengths = 0;
      std::size_t shared = 0, rest = 0;
      std::span<const uint8_t> tail;
      if (!r.Byte(lengths) || !ReadCount(r, lengths >> 4, shared) ||
          !ReadCount(r, lengths & 15, rest) || shared > previous.size() || !r.Take(rest, tail)) {
        return std::nullopt;
      }
      std::u16string word = previous.substr(0, shared);
      for (const uint8_t b : tail) {
        if (unit_of[b] == 0) return std::nullopt;
        word.push_back(unit_of[b]);
      }
      // Ascending, so each list is sorted for lookup (and the first word is not empty).
      if (!(word > previous)) return std::nullopt;
      out.push_back(word);
      previous = std::move(word);
    }
  }
  if (!r.AtEnd() || std::find(seen.begin(), seen.end(), false) != seen.end()) return std::nullopt;
  return words;
}

const OrthographyWords& OrthographyWords::Embedded() {
  // Lists that fail to unpack leave only the fixes that need no word list.
  static const OrthographyWords words =
      Unpack(OrthographyWordsImage()).value_or(OrthographyWords());
  return words;
}

bool OrthographyWords::Contains(List list, std::u16string_view word) const {
  const auto& words = lists_[list];
  return !word.empty() && std::binary_search(words.begin(), words.end(), word);
}

}  // namespace ravak
