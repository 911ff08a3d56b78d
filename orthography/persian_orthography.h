// Persian orthography fixes: the zero-width non-joiner (ZWNJ) where a space or nothing was typed,
// Persian yeh and kaf for the Arabic ones, Persian digits in Persian text, the spacing around
// punctuation, repeated spaces and kashida. Pure computation over UTF-16 text and word lists
// carried in the program (orthography_words.txt, made by tools/build_orthography_words.py and
// packed by tools/pack_orthography_words.py as the program is built).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ravak {

// The word lists the fixes consult, each sorted for lookup.
class OrthographyWords {
 public:
  enum List {
    kPresentStems,   // present stems of verbs (کن، شو): what می/نمی come before
    kPastStems,      // past stems (کرد، شد)
    kNotVerbs,       // words that read as می + a verb but are words of their own (میلاد)
    kPronouncedHeh,  // words whose final ه is a consonant, beyond those after ا and و
    kJoinedWords,    // words that end like a silent ه with a suffix joined, written so
    kComparatives,   // adjectives that take تر and ترین
    kCompounds,      // two-part words written with a ZWNJ (نرم‌افزار)
    kListCount
  };

  // Reads the lists' text: '#' comments, "[name]" section lines, one word a line. nullopt when
  // a section is missing or unknown, or a line stands outside a section.
  static std::optional<OrthographyWords> Parse(std::string_view utf8);
  // Reads the lists' packed form (tools/pack_orthography_words.py): nullopt when it is damaged,
  // a section is missing, unknown or repeated, or a list is out of order.
  static std::optional<OrthographyWords> Unpack(std::span<const uint8_t> bytes);
  // The lists carried in the program.
  static const OrthographyWords& Embedded();

  bool Contains(List list, std::u16string_view word) const;
  bool operator==(const OrthographyWords&) const = default;

 private:
  std::array<std::vector<std::u16string>, kListCount> lists_;
};

// The embedded lists' bytes: orthography/orthography_words.txt, packed.
std::span<const uint8_t> OrthographyWordsImage();
// That text itself, linked into the unit tests only.
std::span<const uint8_t> OrthographyWordsText();

struct OrthographyOptions {
  // Latin digits in Persian text become Persian digits (never in Latin text, a number with a
  // Latin unit or name, a time or an address).
  bool persian_digits = true;
};

// Every fix, on text of one or several lines (line breaks stay where they are).
std::u16string FixOrthography(std::u16string_view text, const OrthographyOptions& options = {},
                              const OrthographyWords& words = OrthographyWords::Embedded());

// Whether a number written between before and after stands in Persian text, so that the
// fixes above would write it in Persian digits: Persian letters nearest it in its line, no
// Latin word or unit beside it. For numbers Ravak writes itself (a date, a time), judged as a
// number alone whatever its form.
bool NumberReadsPersian(std::u16string_view before, std::u16string_view after);

// Only the ZWNJ fixes: for a run just typed in Persian by the layout conversion, where the
// non-joiner's key can only have typed a space (می روم -> می‌روم).
std::u16string FixNonJoiners(std::u16string_view text,
                             const OrthographyWords& words = OrthographyWords::Embedded());

}  // namespace ravak
