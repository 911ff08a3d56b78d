// The orthography fixes made as each word is typed: the affix rules of non_joiners.cpp, read on
// the last words before the caret, and the Persian letters for the Arabic ones in the word.
#include "orthography/as_you_type.h"

#include "orthography/orthography_internal.h"

namespace ravak {

namespace {

using namespace orthography_internal;

bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Where the run of one kind that ends at end begins (a Break or Other is one character).
std::size_t RunStart(std::u16string_view text, std::size_t end) {
  const Kind kind = KindOf(text[end - 1]);
  if (kind == Kind::Break || kind == Kind::Other) return end - 1;
  std::size_t start = end - 1;
  while (start > 0 && KindOf(text[start - 1]) == kind) --start;
  return start;
}

// Before the ended word (its parts joined by ZWNJs): the space before it, the word before that,
// and what stands before that (a number or ماه makes می the month).
constexpr int kRunsBefore = 4;

}  // namespace

bool EndsWord(char16_t c) {
  const Kind kind = KindOf(c);
  const bool format = c == u'\u0640' || (c >= u'\u200D' && c <= u'\u200F');  // kashida, ZWJ, marks
  return kind != Kind::Word && kind != Kind::Latin && kind != Kind::Zwnj && !format;
}

std::optional<OrthographyEdit> FixEndedWord(std::u16string_view before_caret, TextStart start,
                                            const OrthographyWords& words) {
  const std::size_t line_break = before_caret.find_last_of(u"\r\n");
  if (line_break != std::u16string_view::npos) {
    before_caret.remove_prefix(line_break + 1);
    start = TextStart::WordStart;
  }
  // The ended word: its letters and the ZWNJs within it or typed after it.
  std::size_t from = before_caret.size();
  bool letters_seen = false;
  for (Kind kind;
       from > 0 && ((kind = KindOf(before_caret[from - 1])) == Kind::Word || kind == Kind::Zwnj);
       --from) {
    letters_seen |= kind == Kind::Word;
  }
  if (!letters_seen) return std::nullopt;
  const std::size_t word = from;
  for (int run = 0; run < kRunsBefore && from > 0; ++run) from = RunStart(before_caret, from);
  const std::u16string_view typed = before_caret.substr(from);

  // Only the ended word's letters: the words before it were fixed as they ended, or were left as
  // the writer wants them.
  std::u16string letters(typed);
  for (std::size_t i = word - from; i < letters.size(); ++i) {
    letters[i] = PersianLetterFor(letters[i]);
  }
  Tokens t = Tokenise(letters);
  std::size_t y = t.size() - 1;
  if (t[y].kind == Kind::Zwnj) --y;
  const bool first_cut = from == 0 && start == TextStart::Unknown;
  if (!(first_cut && y == 0)) {
    if (y >= 2 && !(first_cut && y == 2) && SpacedWords(t, y - 2) &&
        AffixNonJoiner(words, t, y - 2).value_or(false)) {
      t[y - 1] = {Kind::Zwnj, std::u16string(1, kZwnj)};
    }
    t[y].text = SplitJoined(words, t[y].text);
  }

  const std::u16string fixed = Join(t);
  std::size_t same = 0;
  while (same < typed.size() && same < fixed.size() && typed[same] == fixed[same]) ++same;
  if (same == typed.size() && same == fixed.size()) return std::nullopt;
  OrthographyEdit edit;
  for (std::size_t i = same; i < typed.size(); ++i) edit.backspaces += !IsLowSurrogate(typed[i]);
  edit.text = fixed.substr(same);
  return edit;
}

std::u16string FixAsTyped(std::u16string_view text, const OrthographyWords& words) {
  std::u16string out;
  out.reserve(text.size() + 8);
  const auto end_word = [&] {
    const auto edit = FixEndedWord(out, TextStart::WordStart, words);
    if (!edit) return;
    for (std::size_t n = 0; n < edit->backspaces; ++n) {
      const bool pair = out.size() >= 2 && IsLowSurrogate(out.back());
      out.resize(out.size() - (pair ? 2 : 1));
    }
    out += edit->text;
  };
  for (const char16_t c : text) {
    if (EndsWord(c)) end_word();
    out += c;
  }
  end_word();
  return out;
}

}  // namespace ravak
