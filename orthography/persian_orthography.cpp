// The orthography fixes' entry points: the text cut into tokens (letters, Latin, digits, spaces,
// ZWNJs) and the passes of non_joiners.cpp and digits_and_spacing.cpp run over them in order.
#include "orthography/persian_orthography.h"

#include <utility>

#include "orthography/orthography_internal.h"

namespace ravak {

namespace orthography_internal {

namespace {

constexpr char16_t kKashida = u'\u0640';

bool IsMark(char16_t c) {
  return (c >= 0x064B && c <= 0x065F) || c == 0x0670;
}

bool IsPersianLetter(char16_t c) {
  return (c >= 0x0621 && c <= 0x063A) || (c >= 0x0641 && c <= 0x064A) ||
         (c >= 0x066E && c <= 0x06D3) || c == 0x06D5 || IsMark(c);
}

bool IsLatinLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
         (c >= 0x00C0 && c <= 0x024F && c != 0x00D7 && c != 0x00F7);
}

}  // namespace

// 0-9 for a Latin, Arabic-Indic or Persian digit; -1 otherwise.
int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= 0x0660 && c <= 0x0669) return c - 0x0660;
  if (c >= 0x06F0 && c <= 0x06F9) return c - 0x06F0;
  return -1;
}

Kind KindOf(char16_t c) {
  if (IsPersianLetter(c)) return Kind::Word;
  if (IsLatinLetter(c)) return Kind::Latin;
  if (DigitValue(c) >= 0) return Kind::Number;
  if (c == u' ') return Kind::Space;
  if (c == kZwnj) return Kind::Zwnj;
  if (c == u'\n' || c == u'\r') return Kind::Break;
  return Kind::Other;
}

char16_t PersianLetterFor(char16_t c) {
  if (c == u'\u064A' || c == u'\u0649') return u'\u06CC';
  if (c == u'\u0643') return u'\u06A9';
  return c;
}

Tokens Tokenise(std::u16string_view text) {
  Tokens out;
  for (const char16_t c : text) {
    const Kind k = KindOf(c);
    const bool runs = k != Kind::Break && k != Kind::Other;
    if (runs && !out.empty() && out.back().kind == k) {
      out.back().text += c;
    } else {
      out.push_back({k, std::u16string(1, c)});
    }
  }
  return out;
}

std::u16string Join(const Tokens& tokens) {
  std::u16string out;
  for (const Token& t : tokens) out += t.text;
  return out;
}

// Drops emptied tokens and merges the runs that meet.
void Compact(Tokens& tokens) {
  Tokens out;
  for (Token& t : tokens) {
    if (t.text.empty()) continue;
    if (!out.empty() && out.back().kind == t.kind &&
        (t.kind == Kind::Space || t.kind == Kind::Zwnj)) {
      out.back().text += t.text;
    } else {
      out.push_back(std::move(t));
    }
  }
  tokens = std::move(out);
}

Kind KindAt(const Tokens& t, std::size_t i) {
  return i < t.size() ? t[i].kind : Kind::Break;
}

namespace {

// Arabic yeh and kaf as the Persian letters; kashida between letters removed.
std::u16string NormaliseLetters(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = PersianLetterFor(text[i]);
    if (c == kKashida && !out.empty() && IsPersianLetter(out.back())) {
      std::size_t j = i;
      while (j < text.size() && text[j] == kKashida) ++j;
      if (j < text.size() && IsPersianLetter(text[j])) {
        i = j - 1;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace

}  // namespace orthography_internal

std::u16string FixOrthography(std::u16string_view text, const OrthographyOptions& options,
                              const OrthographyWords& words) {
  using namespace orthography_internal;
  Tokens t = Tokenise(NormaliseLetters(text));
  CleanNonJoiners(t);
  CollapseSpaces(t);
  RestoreSpacedNonJoiners(words, t);
  RestoreJoinedNonJoiners(words, t);
  // Spacing first: whether a number stands among Latin letters is judged as the text will read.
  FixPunctuationSpacing(t);
  t = Tokenise(Join(t));
  FixDigits(t, options.persian_digits);
  return Join(t);
}

bool NumberReadsPersian(std::u16string_view before, std::u16string_view after) {
  using namespace orthography_internal;
  std::u16string text(before);
  text += u'0';
  text += after;
  const Tokens t = Tokenise(text);
  std::size_t at = 0;
  for (std::size_t i = 0; i < t.size(); ++i) {
    at += t[i].text.size();
    if (at > before.size()) return InPersianText(t, i);
  }
  return false;
}

std::u16string FixNonJoiners(std::u16string_view text, const OrthographyWords& words) {
  using namespace orthography_internal;
  Tokens t = Tokenise(text);
  CleanNonJoiners(t);
  RestoreSpacedNonJoiners(words, t);
  RestoreJoinedNonJoiners(words, t);
  return Join(t);
}

}  // namespace ravak
