// The auto-correct list: rows of (after text, before text, keyword) in insertion order, with an
// index of the keywords that can be typed, and its stored form as a flat string list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ravak {

struct AutoCorrectEntry {
  std::u16string after;    // row caption: what goes after the caret
  std::u16string before;   // sub-item 0: what goes before the caret
  std::u16string keyword;  // sub-item 1
  bool operator==(const AutoCorrectEntry&) const = default;
};

// A keyword can be typed when it has 1 to kMaxKeywordLength characters, each from U+0021 to
// U+007E: only such keywords can ever equal what the engine reads from the keyboard.
constexpr std::size_t kMaxKeywordLength = 10;
bool IsTypeableKeyword(const std::u16string& keyword);

class AutoCorrectList {
 public:
  const std::vector<AutoCorrectEntry>& Rows() const { return rows_; }
  std::size_t Size() const { return rows_.size(); }
  const AutoCorrectEntry& Row(std::size_t index) const { return rows_.at(index); }

  void Append(AutoCorrectEntry entry);
  // Index out of range: nothing happens.
  void Replace(std::size_t index, AutoCorrectEntry entry);
  void Erase(std::size_t index);
  void Clear();

  // Index of the first row whose keyword equals text exactly (case-sensitive), or -1. Answers
  // from the index; keywords that cannot be typed are not in it and are never found.
  int32_t Find(const std::u16string& text) const;
  // The same answer by scanning every row from the first (the reference the index must agree
  // with on typeable text).
  int32_t FindLinear(const std::u16string& text) const;

  // Stored form: three strings per row, after text, before text, keyword.
  std::vector<std::u16string> Flatten() const;
  // Replaces the rows with those of a stored list; an incomplete last group (a count that is
  // not a multiple of three) is dropped.
  void LoadFlat(const std::vector<std::u16string>& items);

 private:
  void Reindex();
  void IndexRow(std::size_t index);

  std::vector<AutoCorrectEntry> rows_;
  std::unordered_map<std::u16string, int32_t> first_row_;  // typeable keyword -> first row
};

}  // namespace ravak
