// Persian orthography as it is typed: as each Persian word ends, the fixes that the words
// before the caret decide without seeing what comes next, given as an edit to make there
// with Backspaces and typed text:
// - the ZWNJ after می/نمی before a verb (می روم، میروم -> می‌روم);
// - before the plural and comparative suffixes (کتاب ها -> کتاب‌ها);
// - before the suffixes of a silent ه (خانه ای -> خانه‌ای);
// - Persian ی/ک for the Arabic letters in the word.
// The compounds of the word lists, the digits and the spacing need the whole sentence, or
// change what a writer means, and are left to FixOrthography.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "orthography/persian_orthography.h"

namespace ravak {

// What to do before the caret: erase that many characters (the first of them the first that
// changes), then type the text.
struct OrthographyEdit {
  std::size_t backspaces = 0;
  std::u16string text;
  bool operator==(const OrthographyEdit&) const = default;
};

// Where the text before the caret that the caller knows begins.
enum class TextStart {
  WordStart,  // the field's or a line's start, or a point no word runs across
  Unknown,    // anywhere (typing began after a click): its first word may be the end of one
};

// Whether a typed character ends a Persian word for the fixes as typed: a space, Tab, line
// break, punctuation or digit; not a letter, a mark, a ZWNJ or the kashida.
bool EndsWord(char16_t c);

// The fix for the Persian word at the end of before_caret, which a key that ends words has just
// ended (that key's character not in before_caret: when it has already been typed, erase one
// more character and type it after the text). Only the caret's line is read, and of it the last
// few words; a word that may begin before the known text is changed only in its letters, and
// decides nothing. nullopt when nothing changes.
std::optional<OrthographyEdit> FixEndedWord(
    std::u16string_view before_caret, TextStart start = TextStart::WordStart,
    const OrthographyWords& words = OrthographyWords::Embedded());

// The text as a typist who has these fixes on leaves it: typed a character at a time, each
// Persian word fixed as the character after it (or the text's end) ends it.
std::u16string FixAsTyped(std::u16string_view text,
                          const OrthographyWords& words = OrthographyWords::Embedded());

}  // namespace ravak
