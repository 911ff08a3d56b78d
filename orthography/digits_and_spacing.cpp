// Digits and spacing: repeated spaces made one, Persian digits for the numbers of Persian text,
// and the spaces around punctuation.
#include <string_view>
#include <vector>

#include "orthography/orthography_internal.h"

namespace ravak::orthography_internal {

namespace {

bool IsLineStart(const Tokens& t, std::size_t i) {
  return i == 0 || t[i - 1].kind == Kind::Break;
}

}  // namespace

void CollapseSpaces(Tokens& t) {
  for (std::size_t i = 0; i < t.size(); ++i) {
    // assign, not = u" ": GCC 12 at -O3 sees an overlap there (-Wrestrict) and fails the build.
    if (t[i].kind == Kind::Space && !IsLineStart(t, i)) t[i].text.assign(1, u' ');
  }
}

namespace {

// The letter run nearest before (or after) token i within its line: Word, Latin or Break (none).
Kind LettersBefore(const Tokens& t, std::size_t i) {
  while (i-- > 0) {
    if (t[i].kind == Kind::Word || t[i].kind == Kind::Latin || t[i].kind == Kind::Break) {
      return t[i].kind;
    }
  }
  return Kind::Break;
}

Kind LettersAfter(const Tokens& t, std::size_t i) {
  while (++i < t.size()) {
    if (t[i].kind == Kind::Word || t[i].kind == Kind::Latin || t[i].kind == Kind::Break) {
      return t[i].kind;
    }
  }
  return Kind::Break;
}

bool IsChar(const Tokens& t, std::size_t i, std::u16string_view set) {
  return i < t.size() && t[i].kind == Kind::Other && t[i].text.size() == 1 &&
         set.find(t[i].text[0]) != std::u16string_view::npos;
}

}  // namespace

// Whether the number at token i belongs to Persian text: not written among Latin letters, as a
// time (10:30), an address (192.168.1.1, user@host, ::1) or after # (#1), nor next to a Latin
// word or unit.
bool InPersianText(const Tokens& t, std::size_t i) {
  std::size_t first = i, last = i;
  auto attached = [&](std::size_t j) {
    return t[j].kind != Kind::Space && t[j].kind != Kind::Break;
  };
  while (first > 0 && attached(first - 1)) --first;
  while (last + 1 < t.size() && attached(last + 1)) ++last;
  int dots = 0;
  bool persian = false;
  for (std::size_t j = first; j <= last; ++j) {
    if (t[j].kind == Kind::Latin) return false;
    persian = persian || t[j].kind == Kind::Word;
    if (t[j].kind != Kind::Other) continue;
    const char16_t c = t[j].text[0];
    const bool between_numbers =
        j > first && j < last && t[j - 1].kind == Kind::Number && t[j + 1].kind == Kind::Number;
    // An address (user@host, ::1, 10:30 as a time) or a number after # (#1, a placeholder or
    // a label) is written in Latin.
    const bool double_colon = c == u':' && (IsChar(t, j - 1, u":") || IsChar(t, j + 1, u":"));
    if (c == u'@' || c == u'\\' || c == u'#' || double_colon || (c == u':' && between_numbers)) {
      return false;
    }
    if (c == u'.' && between_numbers) ++dots;
  }
  if (dots >= 2) return false;
  const Kind before = LettersBefore(t, first), after = LettersAfter(t, last);
  if (before == Kind::Latin || after == Kind::Latin) return false;
  return persian || before == Kind::Word || after == Kind::Word;
}

void FixDigits(Tokens& t, bool latin_digits_too) {
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i].kind != Kind::Number || !InPersianText(t, i)) continue;
    for (char16_t& c : t[i].text) {
      const bool latin = c <= u'9';
      if (latin && !latin_digits_too) continue;
      c = static_cast<char16_t>(0x06F0 + DigitValue(c));
    }
  }
}

namespace {

constexpr std::u16string_view kPersianPunctuation = u"،؛؟«»";
// No space before these, one after, in Persian text.
constexpr std::u16string_view kClosing = u"،؛؟.!:)»";

// Persian on its side of a punctuation mark: a Persian word or Persian punctuation (a number
// belongs to either).
bool PersianSide(const Tokens& t, std::size_t i) {
  return i < t.size() && (t[i].kind == Kind::Word || IsChar(t, i, kPersianPunctuation));
}

}  // namespace

void FixPunctuationSpacing(Tokens& t) {
  // Decided on the tokens as they stand, then applied.
  std::vector<bool> drop(t.size()), space_before(t.size()), space_after(t.size());
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i].kind == Kind::Space) {
      // No space before a closing mark (، ؛ ؟ always; the others after Persian text), none
      // after an opening guillemet; the indentation of a line stays.
      // A mark written against what follows it is no closing mark (و ::1، .NET), nor the
      // first of an ellipsis.
      const bool attached = IsChar(t, i + 1, u".:!") && i + 2 < t.size() &&
                            (t[i + 2].kind == Kind::Latin || t[i + 2].kind == Kind::Number ||
                             t[i + 2].text == t[i + 1].text);
      const bool closing = IsChar(t, i + 1, u"،؛؟") || (IsChar(t, i + 1, kClosing) && i > 0 &&
                                                        PersianSide(t, i - 1) && !attached);
      const bool opening = i > 0 && IsChar(t, i - 1, u"«") && PersianSide(t, i + 1);
      drop[i] = !IsLineStart(t, i) && (closing || opening);
      continue;
    }
    if (t[i].kind != Kind::Other || i + 1 >= t.size()) continue;
    const Kind next = t[i + 1].kind;
    // The token before, past a space the mark should not have after it.
    const std::size_t before = i >= 2 && t[i - 1].kind == Kind::Space ? i - 2 : i - 1;
    if (IsChar(t, i, u"،؛؟")) {
      // One space after: before a word, a number or an opening mark.
      space_after[i] = next == Kind::Word || next == Kind::Latin || next == Kind::Number ||
                       IsChar(t, i + 1, u"«(");
    } else if (IsChar(t, i, u".!:)»") && next == Kind::Word && PersianSide(t, before) &&
               t[i + 1].text != u"ی") {
      // Between Persian words; a lone ی after the mark is its suffix ((ها)ی). A full stop
      // written between two letters is no sentence's end (اپن‌آفیس.ارگ, ه.ش) unless a
      // space stood before it.
      space_after[i] = t[i].text != u"." ||
                       (before != i - 1 && t[before].text.size() > 1 && t[i + 1].text.size() > 1);
    } else if (IsChar(t, i, u"«") && i > 0 && t[i - 1].kind == Kind::Word) {
      space_before[i] = true;
    }
  }
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (drop[i]) t[i].text.clear();
    if (space_after[i]) t[i].text += u' ';
    if (space_before[i]) t[i].text.insert(0, 1, u' ');
  }
}

}  // namespace ravak::orthography_internal
