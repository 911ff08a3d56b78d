#include "autocorrect/autocorrect_list.h"

#include <utility>

namespace ravak {

bool IsTypeableKeyword(const std::u16string& keyword) {
  if (keyword.empty() || keyword.size() > kMaxKeywordLength) return false;
  for (char16_t c : keyword) {
    if (c < u'\x21' || c > u'\x7E') return false;
  }
  return true;
}

void AutoCorrectList::IndexRow(std::size_t index) {
  const std::u16string& keyword = rows_[index].keyword;
  // emplace keeps an earlier row with the same keyword: the first row wins.
  if (IsTypeableKeyword(keyword)) first_row_.emplace(keyword, static_cast<int32_t>(index));
}

void AutoCorrectList::Reindex() {
  first_row_.clear();
  for (std::size_t i = 0; i < rows_.size(); ++i) IndexRow(i);
}

void AutoCorrectList::Append(AutoCorrectEntry entry) {
  rows_.push_back(std::move(entry));
  IndexRow(rows_.size() - 1);
}

void AutoCorrectList::Replace(std::size_t index, AutoCorrectEntry entry) {
  if (index >= rows_.size()) return;
  const bool same_keyword = rows_[index].keyword == entry.keyword;
  rows_[index] = std::move(entry);
  if (!same_keyword) Reindex();
}

void AutoCorrectList::Erase(std::size_t index) {
  if (index >= rows_.size()) return;
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  Reindex();
}

void AutoCorrectList::Clear() {
  rows_.clear();
  first_row_.clear();
}

int32_t AutoCorrectList::Find(const std::u16string& text) const {
  const auto it = first_row_.find(text);
  return it == first_row_.end() ? -1 : it->second;
}

int32_t AutoCorrectList::FindLinear(const std::u16string& text) const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].keyword == text) return static_cast<int32_t>(i);
  }
  return -1;
}

std::vector<std::u16string> AutoCorrectList::Flatten() const {
  std::vector<std::u16string> items;
  items.reserve(rows_.size() * 3);
  for (const AutoCorrectEntry& row : rows_) {
    items.push_back(row.after);
    items.push_back(row.before);
    items.push_back(row.keyword);
  }
  return items;
}

void AutoCorrectList::LoadFlat(const std::vector<std::u16string>& items) {
  rows_.clear();
  rows_.reserve((items.size() + 2) / 3);
  // An incomplete last group (possible only in a list edited outside the program) is kept with
  // its missing texts empty, so that saving the list never loses a stored line.
  const auto item = [&items](std::size_t i) { return i < items.size() ? items[i] : u""; };
  for (std::size_t i = 0; i < items.size(); i += 3) {
    rows_.push_back({items[i], item(i + 1), item(i + 2)});
  }
  Reindex();
}

}  // namespace ravak
