// What the files of the orthography fixes share: the text as a run of tokens, and the passes
// made over them. persian_orthography.cpp cuts the text into tokens and runs the passes; the ZWNJ
// rules are in non_joiners.cpp, the digits and the spacing in digits_and_spacing.cpp, the rules
// applied as each word is typed in as_you_type.cpp. For those files only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orthography/persian_orthography.h"

namespace ravak::orthography_internal {

constexpr char16_t kZwnj = u'\u200C';

enum class Kind { Word, Latin, Number, Space, Zwnj, Break, Other };

struct Token {
  Kind kind;
  std::u16string text;
};

using Tokens = std::vector<Token>;

// The characters and the tokens (persian_orthography.cpp).
int DigitValue(char16_t c);
// The kind of token a character belongs to; Break and Other stand one character a token.
Kind KindOf(char16_t c);
// The Persian letter for an Arabic yeh, alef maksura or kaf; any other character as it is.
char16_t PersianLetterFor(char16_t c);
Tokens Tokenise(std::u16string_view text);
std::u16string Join(const Tokens& tokens);
void Compact(Tokens& tokens);
Kind KindAt(const Tokens& t, std::size_t i);

// The ZWNJ fixes (non_joiners.cpp).
void CleanNonJoiners(Tokens& t);
void RestoreSpacedNonJoiners(const OrthographyWords& words, Tokens& t);
void RestoreJoinedNonJoiners(const OrthographyWords& words, Tokens& t);
// Whether tokens i and i + 2 are words with one space between them.
bool SpacedWords(const Tokens& t, std::size_t i);
// For the spaced words at a and a + 2, what the affixes alone decide: the verbal prefix می/نمی
// before a verb, the plural and comparative suffixes, the suffixes after a silent ه. nullopt when
// no affix rule speaks (the compounds' rules then decide).
std::optional<bool> AffixNonJoiner(const OrthographyWords& words, const Tokens& t, std::size_t a);
// One word with the ZWNJs it left out put in: after می/نمی before a verb, between a silent ه and
// its suffix.
std::u16string SplitJoined(const OrthographyWords& words, std::u16string_view w);

// Spaces, digits and punctuation (digits_and_spacing.cpp).
void CollapseSpaces(Tokens& t);
bool InPersianText(const Tokens& t, std::size_t number);
void FixDigits(Tokens& t, bool latin_digits_too);
void FixPunctuationSpacing(Tokens& t);

}  // namespace ravak::orthography_internal
