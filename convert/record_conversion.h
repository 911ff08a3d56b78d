// Conversions worked out from the record of what was typed, instead of from text cut from the
// document: which characters to erase and what to type instead. Nothing when the record does not
// hold the whole text to convert (text that was there before, pasted, or typed before a click).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "convert/layout_map.h"
#include "convert/typing_layouts.h"
#include "platform/foreground.h"
#include "platform/typing_target.h"
#include "typing/key_stream.h"
#include "typing/typed_record.h"

namespace ravak {

struct RecordConversion {
  std::size_t entries = 0;     // the record's last entries it replaces
  std::size_t backspaces = 0;  // the characters to erase (a surrogate pair is one)
  std::u16string text;         // what to type instead
};

// The current line's trailing one-layout run in the other layout, as Alt+A converts it, erased
// back to its first character that changes and typed again. field_line: the field's text before
// the caret on its line, when the field can tell; it must end with what the record holds of that
// line (and be all of it, when the record holds the line break before), or there is no
// conversion: the record is wrong about the field. With it the run may reach into text typed
// before the record began. Without it the record must hold the whole run: a change of layout
// lies inside its line, or it holds the line break before the line. A letter typed on the
// Persian layout goes back to what its key types on the Latin layout, so a capital typed with
// Shift stays a capital.
std::optional<RecordConversion> ConvertRecordRun(const TypedRecord& record, const LayoutMap& map,
                                                 const std::optional<std::u16string>& field_line);
// The word before the caret (with the spaces after it), each letter by its own layout, when it
// is known whole: a space or a line break before it in the record, or field_line.
std::optional<RecordConversion> ConvertRecordWord(const TypedRecord& record, const LayoutMap& map,
                                                  const std::optional<std::u16string>& field_line);

// The record's part of the caret's line (what was typed since the last line break it holds) as
// fix gives it back, erased and typed again from the first character that changes; nothing when
// fix changes nothing.
std::optional<RecordConversion> FixRecordLine(
    const TypedRecord& record, const std::function<std::u16string(const std::u16string&)>& fix);

// Keeps the record from the user's typing: every key the application in front got (a swallowed
// hotkey never reached it), read by its scan code in the layout its window had as it came (the
// user's Latin or Persian layout; a third one ends the record, as does a change of window, and
// a key that waits for an action before it).
void KeepRecord(KeyStream& keys, TypedRecord& record, TypingLayouts& layouts);

}  // namespace ravak
