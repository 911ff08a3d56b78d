#include "orthography/persian_orthography.h"

#include <algorithm>
#include <initializer_list>

#include "platform/utf.h"

namespace ravak {

namespace {

constexpr char16_t kZwnj = u'\u200C';
constexpr char16_t kKashida = u'\u0640';
constexpr char16_t kHeh = u'\u0647';

using Words = std::initializer_list<std::u16string_view>;

// The parts of Persian words that the orthography writes apart with a ZWNJ.
constexpr Words kPlurals = {u"ها",   u"های",    u"هایی",   u"هایم",   u"هایت",
                            u"هایش", u"هایمان", u"هایتان", u"هایشان", u"هاست"};
// After a word ending in ه: the copula, the possessives, the indefinite and the ezafe.
constexpr Words kAfterHeh = {u"ای",  u"ام",  u"ات",  u"اش",  u"ایم", u"اید",
                             u"اند", u"مان", u"تان", u"شان", u"ی"};
// What joined after a silent ه is read as a suffix: the plurals, the perfect's اند and اید, and
// the comparative (the copula's ام and the possessive اش are left joined: الهام، اتهام).
constexpr Words kJoinedAfterHeh = {u"هایشان", u"هایتان", u"هایمان", u"هایش", u"هایت",
                                   u"هایم",   u"هایی",   u"هاست",   u"های",  u"ها",
                                   u"ترین",   u"اند",    u"اید",    u"تر"};
constexpr Words kPreverbs = {u"", u"بر", u"در", u"باز", u"فرا", u"فرو", u"وا", u"ور"};
constexpr Words kPresentEndings = {u"م", u"ی", u"د", u"یم", u"ید", u"ند"};
constexpr Words kPastEndings = {u"", u"م", u"ی", u"یم", u"ید", u"ند"};
constexpr Words kObjectClitics = {u"", u"ش", u"ت", u"م", u"شان", u"تان", u"مان"};
constexpr Words kModals = {u"توان", u"بایست", u"باید", u"بایستی"};
// Second parts that do not stand alone and make a compound with the word before
// (همگام‌سازی).
constexpr Words kBoundHeads = {
    u"سازی",    u"گذاری", u"بندی",   u"یابی",  u"اندازی", u"انداز",   u"ریزی",  u"زدایی",
    u"رسانی",   u"پذیر",  u"پذیری",  u"کننده", u"کنندهٔ",  u"کنندگان", u"دهنده", u"دهندهٔ",
    u"دهندگان", u"گیری",  u"آوری",   u"شناسی", u"شناس",   u"گزینی",   u"نویسی", u"نویس",
    u"گری",     u"افزار", u"افزاری", u"آمیز",  u"آمیزی",  u"نگاری",   u"دهی",   u"گردی"};
// First parts that are prefixes (بی‌عنوان، نامعتبر).
constexpr Words kPrefixes = {u"بی", u"نا"};
// Unit prefixes, joined to a unit.
constexpr Words kUnitPrefixes = {u"میلی", u"سانتی", u"کیلو",  u"مگا",
                                 u"گیگا", u"ترا",   u"میکرو", u"نانو"};
constexpr Words kUnits = {u"متر", u"گرم", u"ثانیه", u"لیتر", u"بایت", u"وات", u"هرتز"};
// A participle with the ezafe is an adjective (انتخاب‌شدهٔ); without it, it may be the
// verb (انتخاب شده است) and the space stays.
constexpr Words kParticiples = {u"شدهٔ", u"نشدهٔ"};
constexpr Words kAuxiliaries = {u"است", u"اند", u"بود", u"بودند", u"باشد", u"باشند", u"ام",
                                u"ایم", u"اید", u"ای",  u"بوده",  u"هست",  u"هستند", u"نیست"};
constexpr Words kFunctionWords = {u"از", u"و",  u"به",   u"در", u"با",  u"تا",
                                  u"که", u"را", u"برای", u"هم", u"نیز", u"یا"};
// Words before پیش that make it "ago" (دو روز پیش), not a prefix.
constexpr Words kTimeWords = {u"روز",  u"روزها", u"سال",   u"سالها", u"ماه",  u"هفته",
                              u"ساعت", u"دقیقه", u"ثانیه", u"مدتی",  u"چندی", u"لحظه",
                              u"قرن",  u"دهه",   u"شب",    u"مدت",   u"دیروز"};

bool In(Words words, std::u16string_view w) {
  return std::find(words.begin(), words.end(), w) != words.end();
}

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

// 0-9 for a Latin, Arabic-Indic or Persian digit; -1 otherwise.
int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= 0x0660 && c <= 0x0669) return c - 0x0660;
  if (c >= 0x06F0 && c <= 0x06F9) return c - 0x06F0;
  return -1;
}

bool EndsWith(std::u16string_view w, std::u16string_view s) {
  return w.size() >= s.size() && w.substr(w.size() - s.size()) == s;
}

bool StartsWith(std::u16string_view w, std::u16string_view s) {
  return w.size() >= s.size() && w.substr(0, s.size()) == s;
}

// A verb form as it follows می: stem, personal ending, object clitic (شود، کردند، گفتمش).
bool IsVerbForm(const OrthographyWords& words, std::u16string_view x) {
  if (In(kModals, x)) return true;
  for (const auto clitic : kObjectClitics) {
    if (!EndsWith(x, clitic)) continue;
    const auto y = x.substr(0, x.size() - clitic.size());
    for (const auto e : kPresentEndings) {
      if (EndsWith(y, e) &&
          words.Contains(OrthographyWords::kPresentStems, y.substr(0, y.size() - e.size()))) {
        return true;
      }
    }
    for (const auto e : kPastEndings) {
      if (EndsWith(y, e) &&
          words.Contains(OrthographyWords::kPastStems, y.substr(0, y.size() - e.size()))) {
        return true;
      }
    }
  }
  return false;
}

// The length of the verbal prefix (می، نمی، برمی...) a word starts with; 0 for none.
std::size_t VerbalPrefix(std::u16string_view w) {
  for (const auto preverb : kPreverbs) {
    if (!StartsWith(w, preverb)) continue;
    const auto rest = w.substr(preverb.size());
    for (const std::u16string_view mi : {u"نمی", u"می"}) {
      if (StartsWith(rest, mi)) return preverb.size() + mi.size();
    }
  }
  return 0;
}

enum class Kind { Word, Latin, Number, Space, Zwnj, Break, Other };

struct Token {
  Kind kind;
  std::u16string text;
};

using Tokens = std::vector<Token>;

Tokens Tokenise(std::u16string_view text) {
  Tokens out;
  auto kind_of = [](char16_t c) {
    if (IsPersianLetter(c)) return Kind::Word;
    if (IsLatinLetter(c)) return Kind::Latin;
    if (DigitValue(c) >= 0) return Kind::Number;
    if (c == u' ') return Kind::Space;
    if (c == kZwnj) return Kind::Zwnj;
    if (c == u'\n' || c == u'\r') return Kind::Break;
    return Kind::Other;
  };
  for (const char16_t c : text) {
    const Kind k = kind_of(c);
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

// Arabic yeh and kaf as the Persian letters; kashida between letters removed.
std::u16string NormaliseLetters(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\u064A' || c == u'\u0649') c = u'\u06CC';
    if (c == u'\u0643') c = u'\u06A9';
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

// A ZWNJ doubled becomes one; one next to a space, a line break or the text's edge goes.
void CleanNonJoiners(Tokens& t) {
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i].kind != Kind::Zwnj) continue;
    const Kind before = i == 0 ? Kind::Break : t[i - 1].kind;
    const Kind after = KindAt(t, i + 1);
    const bool loose = before == Kind::Space || before == Kind::Break || after == Kind::Space ||
                       after == Kind::Break;
    t[i].text = loose ? u"" : std::u16string(1, kZwnj);
  }
  Compact(t);
}

// The word before token i across one space, or empty.
std::u16string_view WordBefore(const Tokens& t, std::size_t i) {
  if (i >= 2 && t[i - 1].kind == Kind::Space && t[i - 2].kind == Kind::Word) return t[i - 2].text;
  return {};
}

// Whether tokens i and i + 2 are words with one space between them.
bool SpacedWords(const Tokens& t, std::size_t i) {
  return i + 2 < t.size() && t[i].kind == Kind::Word && t[i + 1].kind == Kind::Space &&
         t[i + 1].text == u" " && t[i + 2].kind == Kind::Word;
}

bool IsListedCompound(const OrthographyWords& words, std::u16string_view left,
                      std::u16string_view right) {
  std::u16string compound(left);
  compound += kZwnj;
  compound += right;
  return words.Contains(OrthographyWords::kCompounds, compound);
}

// Whether the space between the words at a and a + 2 stands for a ZWNJ.
bool SpaceIsNonJoiner(const OrthographyWords& words, const Tokens& t, std::size_t a) {
  const std::u16string_view left = t[a].text, right = t[a + 2].text;
  const std::u16string_view before = WordBefore(t, a);
  const std::size_t prefix = VerbalPrefix(left);
  if (prefix == left.size()) {
    // می as a noun: the month after a number or ماه, or before what is no verb.
    const bool month = before == u"ماه" || (a >= 2 && t[a - 2].kind == Kind::Number);
    return !month && IsVerbForm(words, right);
  }
  if (In(kPlurals, right) || right == u"ترین") return true;
  if (right == u"تر" || right == u"تری") {
    return words.Contains(OrthographyWords::kComparatives, left) || EndsWith(left, u"ه");
  }
  if (EndsWith(left, u"ه") && In(kAfterHeh, right)) return true;
  // A conjunction or preposition before a bound head is a word of its own (سنت کیتس و نویس).
  const bool function_word = In(kFunctionWords, left);
  if ((In(kBoundHeads, right) && !function_word) || In(kPrefixes, left)) return true;
  if (In(kUnitPrefixes, left)) return In(kUnits, right);
  if (In(kParticiples, right)) return !function_word;
  // A listed compound needs no guess (پس‌زمینه at a line's start).
  if ((left == u"پس" || left == u"پیش") && IsListedCompound(words, left, right)) return true;
  if (left == u"پس" && (before.empty() || In(kFunctionWords, before))) return false;
  if (left == u"پیش" || left == u"پس") {
    // دو روز پیش (ago), از پیش (beforehand).
    const bool ago = In(kTimeWords, before) || In(kFunctionWords, before) ||
                     (a >= 2 && t[a - 2].kind == Kind::Number);
    // Before a verb it is an adverb of its own (پیش بروید، پیش نرفت).
    const bool verb =
        IsVerbForm(words, right) || ((StartsWith(right, u"ب") || StartsWith(right, u"ن")) &&
                                     right.size() > 2 && IsVerbForm(words, right.substr(1)));
    return !ago && !In(kFunctionWords, right) && !In(kAuxiliaries, right) && !verb;
  }
  return IsListedCompound(words, left, right);
}

// A compound of two words and و between them (جست‌وجو، گفت‌وگو) from the list.
bool IsCompoundWithAnd(const OrthographyWords& words, const Tokens& t, std::size_t i) {
  if (!SpacedWords(t, i) || !SpacedWords(t, i + 2) || t[i + 2].text != u"و") return false;
  std::u16string compound = t[i].text;
  compound += kZwnj;
  compound += u"و";
  compound += kZwnj;
  compound += t[i + 4].text;
  return words.Contains(OrthographyWords::kCompounds, compound);
}

void RestoreSpacedNonJoiners(const OrthographyWords& words, Tokens& t) {
  const Token zwnj = {Kind::Zwnj, std::u16string(1, kZwnj)};
  for (std::size_t i = 0; i + 2 < t.size(); ++i) {
    if (IsCompoundWithAnd(words, t, i)) {
      t[i + 1] = t[i + 3] = zwnj;
      i += 3;
    } else if (SpacedWords(t, i) && SpaceIsNonJoiner(words, t, i)) {
      t[i + 1] = zwnj;
    }
  }
}

// A ZWNJ left out: after می/نمی before a verb, and between a silent ه and its suffix.
std::u16string SplitJoined(const OrthographyWords& words, std::u16string_view w) {
  std::u16string out;
  const std::size_t prefix = VerbalPrefix(w);
  if (prefix > 0 && w.size() > prefix + 1 && IsVerbForm(words, w.substr(prefix)) &&
      !words.Contains(OrthographyWords::kNotVerbs, w)) {
    out.assign(w.substr(0, prefix));
    out += kZwnj;
    w = w.substr(prefix);
  }
  for (const auto s : kJoinedAfterHeh) {
    if (!EndsWith(w, s) || w.size() <= s.size() + 2) continue;
    const auto base = w.substr(0, w.size() - s.size());
    const char16_t before_heh = base[base.size() - 2];
    if (base.back() == kHeh && before_heh != u'ا' && before_heh != u'و' && before_heh != kHeh &&
        !words.Contains(OrthographyWords::kPronouncedHeh, base) &&
        !words.Contains(OrthographyWords::kJoinedWords, w)) {
      out += base;
      out += kZwnj;
      out += s;
      return out;
    }
    break;  // the longest suffix decides
  }
  out += w;
  return out;
}

void RestoreJoinedNonJoiners(const OrthographyWords& words, Tokens& t) {
  for (Token& token : t) {
    if (token.kind == Kind::Word) token.text = SplitJoined(words, token.text);
  }
}

bool IsLineStart(const Tokens& t, std::size_t i) {
  return i == 0 || t[i - 1].kind == Kind::Break;
}

void CollapseSpaces(Tokens& t) {
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i].kind == Kind::Space && !IsLineStart(t, i)) t[i].text = u" ";
  }
}

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

constexpr std::u16string_view kPersianPunctuation = u"،؛؟«»";
// No space before these, one after, in Persian text.
constexpr std::u16string_view kClosing = u"،؛؟.!:)»";

// Persian on its side of a punctuation mark: a Persian word or Persian punctuation (a number
// belongs to either).
bool PersianSide(const Tokens& t, std::size_t i) {
  return i < t.size() && (t[i].kind == Kind::Word || IsChar(t, i, kPersianPunctuation));
}

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

}  // namespace

std::optional<OrthographyWords> OrthographyWords::Parse(std::string_view utf8) {
  static constexpr std::string_view kNames[kListCount] = {
      "present-stems", "past-stems",   "not-verbs", "pronounced-heh",
      "joined-words",  "comparatives", "compounds"};
  OrthographyWords words;
  std::array<bool, kListCount> seen{};
  int section = -1;
  while (!utf8.empty()) {
    const std::size_t end = std::min(utf8.find('\n'), utf8.size());
    std::string_view line = utf8.substr(0, end);
    utf8.remove_prefix(std::min(end + 1, utf8.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      const auto name = line.substr(1, line.size() - 2);
      const auto* found = std::find(std::begin(kNames), std::end(kNames), name);
      if (found == std::end(kNames)) return std::nullopt;
      section = static_cast<int>(found - std::begin(kNames));
      seen[section] = true;
      continue;
    }
    auto word = Utf8ToUtf16(line);
    if (section < 0 || !word) return std::nullopt;
    words.lists_[section].push_back(std::move(*word));
  }
  if (std::find(seen.begin(), seen.end(), false) != seen.end()) return std::nullopt;
  for (auto& list : words.lists_) std::sort(list.begin(), list.end());
  return words;
}

const OrthographyWords& OrthographyWords::Embedded() {
  static const OrthographyWords words = [] {
    const auto image = OrthographyWordsImage();
    const std::string_view text(reinterpret_cast<const char*>(image.data()), image.size());
    // Lists that fail to parse leave only the fixes that need no word list.
    return Parse(text).value_or(OrthographyWords());
  }();
  return words;
}

bool OrthographyWords::Contains(List list, std::u16string_view word) const {
  const auto& words = lists_[list];
  return !word.empty() && std::binary_search(words.begin(), words.end(), word);
}

std::u16string FixOrthography(std::u16string_view text, const OrthographyOptions& options,
                              const OrthographyWords& words) {
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

std::u16string FixNonJoiners(std::u16string_view text, const OrthographyWords& words) {
  Tokens t = Tokenise(text);
  CleanNonJoiners(t);
  RestoreSpacedNonJoiners(words, t);
  RestoreJoinedNonJoiners(words, t);
  return Join(t);
}

}  // namespace ravak
