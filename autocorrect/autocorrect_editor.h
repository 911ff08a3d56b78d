// The rules of the auto-correct tab, over the list and the texts of its three edits: which
// buttons are enabled, how the keyword is typed, what Add, Save and Delete do, what a selection
// puts into the edits. The window binds its
// controls to this model: it passes every change of an edit and of the list view's selection
// in, and shows the texts, the enabled states and the rows that the model holds.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "autocorrect/autocorrect_list.h"

namespace ravak {

class AutoCorrectEditor {
 public:
  explicit AutoCorrectEditor(AutoCorrectList& list) : list_(list) {}

  // The texts of the keyword, before-text and after-text edits. Every change runs the enabling
  // rule.
  const std::u16string& KeyText() const { return key_; }
  const std::u16string& PreText() const { return pre_; }
  const std::u16string& PostText() const { return post_; }
  void SetKeyText(std::u16string text);
  void SetPreText(std::u16string text);
  void SetPostText(std::u16string text);

  // A character typed into the keyword edit: U+0021..U+007E is appended, Backspace (8) removes the
  // last character, any other character changes nothing. The edit itself never inserts the
  // character.
  void KeyPress(char16_t ch);

  // The enabling rule: a keyword, and at least one character of before or after text.
  bool AddEnabled() const { return add_enabled_; }
  bool SaveEnabled() const { return add_enabled_; }

  // The + button: appends a row from the edits (no duplicate test); returns its index. The
  // edits and the selection stay.
  std::size_t Add();
  // The save button: overwrites the selected row from the edits; returns its index, or nothing
  // when no row is selected.
  std::optional<std::size_t> Save();
  // The delete button: deletes the selected row; returns its index, or nothing when no row is
  // selected. The edits keep their texts.
  std::optional<std::size_t> Delete();

  // The list view's selection: row became selected or unselected. Either way the edits take that
  // row's keyword, before and after text.
  void SelectItem(std::size_t row, bool selected);
  std::optional<std::size_t> Selected() const { return selected_; }
  // The list was rebuilt from the store: no row is selected.
  void ListReloaded() { selected_.reset(); }

 private:
  void UpdateEnabling();
  AutoCorrectEntry FromEdits() const { return {post_, pre_, key_}; }

  AutoCorrectList& list_;
  std::u16string key_, pre_, post_;
  bool add_enabled_ = false;
  std::optional<std::size_t> selected_;
};

}  // namespace ravak
