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

std::size_t AutoCorrectEditor::Add() {
  list_.Append(FromEdits());
  return list_.Size() - 1;
}

std::optional<std::size_t> AutoCorrectEditor::Save() {
  if (!selected_ || *selected_ >= list_.Size()) return std::nullopt;
  list_.Replace(*selected_, FromEdits());
  return selected_;
}

std::optional<std::size_t> AutoCorrectEditor::Delete() {
  if (!selected_ || *selected_ >= list_.Size()) return std::nullopt;
  const std::size_t row = *selected_;
  selected_.reset();
  list_.Erase(row);
  return row;
}

void AutoCorrectEditor::SelectItem(std::size_t row, bool selected) {
  if (selected) {
    selected_ = row;
  } else if (selected_ == row) {
    selected_.reset();
  }
  if (row >= list_.Size()) return;
  const AutoCorrectEntry& entry = list_.Row(row);
  key_ = entry.keyword;
  pre_ = entry.before;
  post_ = entry.after;
  UpdateEnabling();
}

}  // namespace ravak
