// The ZWNJ fixes: the non-joiners typed loose or doubled cleaned up, and one restored where a
// space or nothing was typed for it (the plurals, the verbal prefix می, a silent ه and its
// suffixes, the compounds of the word lists).
#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "orthography/orthography_internal.h"

namespace ravak::orthography_internal {

namespace {

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

}  // namespace

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

namespace {

// The word before token i across one space, or empty.
std::u16string_view WordBefore(const Tokens& t, std::size_t i) {
  if (i >= 2 && t[i - 1].kind == Kind::Space && t[i - 2].kind == Kind::Word) return t[i - 2].text;
  return {};
}

bool IsListedCompound(const OrthographyWords& words, std::u16string_view left,
                      std::u16string_view right) {
  std::u16string compound(left);
  compound += kZwnj;
  compound += right;
  return words.Contains(OrthographyWords::kCompounds, compound);
}

}  // namespace

bool SpacedWords(const Tokens& t, std::size_t i) {
  return i + 2 < t.size() && t[i].kind == Kind::Word && t[i + 1].kind == Kind::Space &&
         t[i + 1].text == u" " && t[i + 2].kind == Kind::Word;
}

std::optional<bool> AffixNonJoiner(const OrthographyWords& words, const Tokens& t, std::size_t a) {
  const std::u16string_view left = t[a].text, right = t[a + 2].text;
  const std::size_t prefix = VerbalPrefix(left);
  if (prefix == left.size()) {
    // می as a noun: the month after a number or ماه, or before what is no verb.
    const bool month = WordBefore(t, a) == u"ماه" || (a >= 2 && t[a - 2].kind == Kind::Number);
    return !month && IsVerbForm(words, right);
  }
  if (In(kPlurals, right) || right == u"ترین") return true;
  if (right == u"تر" || right == u"تری") {
    return words.Contains(OrthographyWords::kComparatives, left) || EndsWith(left, u"ه");
  }
  if (EndsWith(left, u"ه") && In(kAfterHeh, right)) return true;
  return std::nullopt;
}

namespace {

// Whether the space between the words at a and a + 2 stands for a ZWNJ.
bool SpaceIsNonJoiner(const OrthographyWords& words, const Tokens& t, std::size_t a) {
  if (const auto affix = AffixNonJoiner(words, t, a)) return *affix;
  const std::u16string_view left = t[a].text, right = t[a + 2].text;
  const std::u16string_view before = WordBefore(t, a);
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

}  // namespace

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

}  // namespace ravak::orthography_internal
