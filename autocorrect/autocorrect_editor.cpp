#include "autocorrect/autocorrect_editor.h"

#include <utility>

namespace ravak {

void AutoCorrectEditor::UpdateEnabling() {
  add_enabled_ = !key_.empty() && !(pre_.empty() && post_.empty());
}

void AutoCorrectEditor::SetKeyText(std::u16string text) {
  key_ = std::move(text);
  UpdateEnabling();
}

void AutoCorrectEditor::SetPreText(std::u16string text) {
  pre_ = std::move(text);
  UpdateEnabling();
}

void AutoCorrectEditor::SetPostText(std::u16string text) {
  post_ = std::move(text);
  UpdateEnabling();
}

void AutoCorrectEditor::KeyPress(char16_t ch) {
  if (ch >= u'\x21' && ch <= u'\x7E') {
    SetKeyText(key_ + ch);
  } else if (ch == u'\b' && !key_.empty()) {
    SetKeyText(key_.substr(0, key_.size() - 1));
  }
}

namespace {

// Text as the search compares it: Latin capitals as small letters, the Arabic yeh and kaf as
// the Persian letters.
std::u16string Folded(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c == u'\u064A' || c == u'\u0649') c = u'\u06CC';
    if (c == u'\u0643') c = u'\u06A9';
  }
  return out;
}

}  // namespace

bool AutoCorrectEditor::Matches(const AutoCorrectEntry& entry) const {
  for (const std::u16string* text : {&entry.keyword, &entry.before, &entry.after}) {
    if (Folded(*text).find(folded_) != std::u16string::npos) return true;
  }
  return false;
}

void AutoCorrectEditor::SetFilter(std::u16string text) {
  filter_ = std::move(text);
  folded_ = Folded(filter_);
  ListReloaded();
}

void AutoCorrectEditor::ListReloaded() {
  selected_.reset();
  shown_.clear();
  if (filter_.empty()) return;
  for (std::size_t i = 0; i < list_.Size(); ++i) {
    if (Matches(list_.Row(i))) shown_.push_back(i);
  }
}

std::size_t AutoCorrectEditor::ShownCount() const {
  return filter_.empty() ? list_.Size() : shown_.size();
}

std::optional<std::size_t> AutoCorrectEditor::ListIndex(std::size_t shown) const {
  if (shown >= ShownCount()) return std::nullopt;
  return filter_.empty() ? shown : shown_[shown];
}

const AutoCorrectEntry& AutoCorrectEditor::ShownRow(std::size_t shown) const {
  return list_.Row(ListIndex(shown).value_or(list_.Size()));
}

std::size_t AutoCorrectEditor::Add() {
  list_.Append(FromEdits());
  if (filter_.empty()) return list_.Size() - 1;
  shown_.push_back(list_.Size() - 1);
  return shown_.size() - 1;
}

std::optional<std::size_t> AutoCorrectEditor::Save() {
  const std::optional<std::size_t> row = selected_ ? ListIndex(*selected_) : std::nullopt;
  if (!row) return std::nullopt;
  list_.Replace(*row, FromEdits());
  return selected_;
}

std::optional<std::size_t> AutoCorrectEditor::Delete() {
  const std::optional<std::size_t> row = selected_ ? ListIndex(*selected_) : std::nullopt;
  if (!row) return std::nullopt;
  const std::size_t shown = *selected_;
  selected_.reset();
  list_.Erase(*row);
  if (!filter_.empty()) {
    shown_.erase(shown_.begin() + static_cast<std::ptrdiff_t>(shown));
    for (std::size_t& i : shown_) i -= i > *row ? 1 : 0;
  }
  return shown;
}

CsvImport AutoCorrectEditor::Import(std::string_view csv) {
  CsvImport result = ImportCsv(csv, list_);
  ListReloaded();
  return result;
}

void AutoCorrectEditor::SelectItem(std::size_t row, bool selected) {
  if (selected) {
    selected_ = row;
  } else if (selected_ == row) {
    selected_.reset();
  }
  const std::optional<std::size_t> index = ListIndex(row);
  if (!index) return;
  const AutoCorrectEntry& entry = list_.Row(*index);
  key_ = entry.keyword;
  pre_ = entry.before;
  post_ = entry.after;
  UpdateEnabling();
}

}  // namespace ravak
