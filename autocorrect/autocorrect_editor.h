// The rules of the auto-correct tab, over the list and the texts of its three edits: which
// buttons are enabled, how the keyword is typed, what Add, Save and Delete do, what a selection
// puts into the edits, which rows the search box shows, and the list's import and export. The
// window binds its controls to this model: it passes every change of an edit, of the search box
// and of the list view's selection in, and shows the texts, the enabled states and the rows
// that the model holds.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "autocorrect/autocorrect_csv.h"
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

  // The search box: the list view shows the rows whose keyword, before or after text holds the
  // text (Latin letters in either case, the Arabic yeh and kaf as the Persian ones), every row
  // while it is empty. A row added or saved stays shown until the search changes. Changing it
  // unselects the row. The rows below are numbered as shown.
  void SetFilter(std::u16string text);
  const std::u16string& Filter() const { return filter_; }
  std::size_t ShownCount() const;
  // shown < ShownCount().
  const AutoCorrectEntry& ShownRow(std::size_t shown) const;

  // The + button: appends a row from the edits (no duplicate test); returns its place among the
  // rows shown. The edits and the selection stay.
  std::size_t Add();
  // The save button: overwrites the selected row from the edits; returns its place, or nothing
  // when no row is selected.
  std::optional<std::size_t> Save();
  // The delete button: deletes the selected row; returns its place, or nothing when no row is
  // selected. The edits keep their texts.
  std::optional<std::size_t> Delete();

  // The list view's selection: row became selected or unselected. Either way the edits take that
  // row's keyword, before and after text.
  void SelectItem(std::size_t row, bool selected);
  std::optional<std::size_t> Selected() const { return selected_; }
  // The list was rebuilt (from the store, or by an import): no row is selected, and the search
  // is made again.
  void ListReloaded();

  // Import and export of the whole list, whatever the search shows. An import unselects the row
  // and makes the search again.
  CsvImport Import(std::string_view csv);
  CsvExport Export() const { return ExportCsv(list_); }

 private:
  void UpdateEnabling();
  AutoCorrectEntry FromEdits() const { return {post_, pre_, key_}; }
  std::optional<std::size_t> ListIndex(std::size_t shown) const;
  bool Matches(const AutoCorrectEntry& entry) const;

  AutoCorrectList& list_;
  std::u16string key_, pre_, post_;
  bool add_enabled_ = false;
  std::optional<std::size_t> selected_;  // among the rows shown
  std::u16string filter_;                // as typed
  std::u16string folded_;                // as compared
  std::vector<std::size_t> shown_;       // with a search: the list's rows shown, in order
};

}  // namespace ravak
