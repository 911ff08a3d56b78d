// What the files of the orthography fixes share: the text as a run of tokens, and the passes
// made over them. persian_orthography.cpp cuts the text into tokens and runs the passes; the ZWNJ
// rules are in non_joiners.cpp, the digits and the spacing in digits_and_spacing.cpp. For
// those files only.
#pragma once

#include <cstddef>
#include <string>
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
void Compact(Tokens& tokens);
Kind KindAt(const Tokens& t, std::size_t i);

// The ZWNJ fixes (non_joiners.cpp).
void CleanNonJoiners(Tokens& t);
void RestoreSpacedNonJoiners(const OrthographyWords& words, Tokens& t);
void RestoreJoinedNonJoiners(const OrthographyWords& words, Tokens& t);

// Spaces, digits and punctuation (digits_and_spacing.cpp).
void CollapseSpaces(Tokens& t);
bool InPersianText(const Tokens& t, std::size_t number);
void FixDigits(Tokens& t, bool latin_digits_too);
void FixPunctuationSpacing(Tokens& t);

}  // namespace ravak::orthography_internal
