// The record of what was typed into the field in front since the caret last moved by other
// means: the characters the user's keys typed there, each as the field showed it in the layout
// then active and as the same key types it on the user's Latin layout (so a capital typed with
// Shift stays a capital). It ends at a click, a change of window, a caret or navigation key, a
// chord, or any key whose effect on the text is not known; Backspace takes its last character
// away. Ravak's own edits are recorded by the command that made them.
//
// A conversion works from the record when it holds the whole text it converts: it erases what
// was typed with Backspace and types the other layout's text, and leaves the document's
// formatting, its selection and the clipboard alone. The record is kept in memory only.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "typing/key_stream.h"

namespace ravak {

class TypedRecord {
 public:
  // The most characters kept; older ones are forgotten.
  static constexpr std::size_t kLimit = 400;

  struct Entry {
    char16_t key = 0;    // what the key types on the Latin layout ('\r' for a line break); 0 for
                         // a character Ravak typed, or a key that types nothing there
    char16_t shown = 0;  // what the field shows
    bool operator==(const Entry&) const = default;
  };
  // What a key press typed in the field, as an entry; nothing when it typed no character (a
  // caret or editing key, a chord) or one whose effect is not known (a layout whose characters
  // are not known).
  using ReadKey = std::function<std::optional<Entry>(const UserKey& key)>;

  // A key of the user, in the order typed; a click or input that went by ends the record.
  void Input(const UserInput& input, const ReadKey& read);
  // The caret or the focus moved by other means: nothing is known of the field any more.
  void End();
  // Ravak replaced the last erase characters with text.
  void Edited(std::size_t erase, std::u16string_view text);

  const std::deque<Entry>& Entries() const { return entries_; }
  // The first entry of the current line (after the last line break typed), and whether the
  // record knows where that line starts (it holds the line break before it).
  std::size_t LineStart() const;
  bool LineStartKnown() const { return LineStart() > 0; }
  // What the field shows for the entries from begin on.
  std::u16string Shown(std::size_t begin = 0) const;

 private:
  std::deque<Entry> entries_;
};

}  // namespace ravak
