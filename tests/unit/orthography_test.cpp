#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "orthography/as_you_type.h"
#include "orthography/persian_orthography.h"
#include "platform/utf.h"
#include "tools/commands.h"

namespace ravak {
namespace {

// Each case: the text as typed, then as fixed ("_" stands for the ZWNJ, which is invisible).
struct Case {
  const char* typed;
  const char* fixed;
};

std::u16string FromCase(const char* text) {
  std::string s(text);
  for (std::size_t p; (p = s.find('_')) != std::string::npos;) s.replace(p, 1, "\u200c");
  return *Utf8ToUtf16(s);
}

std::string ToCase(const std::u16string& text) {
  std::string s = Utf16ToUtf8(text);
  for (std::size_t p; (p = s.find("\u200c")) != std::string::npos;) s.replace(p, 3, "_");
  return s;
}

void ExpectFixes(std::initializer_list<Case> cases, const OrthographyOptions& options = {}) {
  for (const Case& c : cases) {
    EXPECT_EQ(ToCase(FixOrthography(FromCase(c.typed), options)), c.fixed) << c.typed;
  }
}

TEST(OrthographyWordsTest, PackedListsHoldTheTextsWordsAndDamageIsRefused) {
  const std::string_view text(reinterpret_cast<const char*>(OrthographyWordsText().data()),
                              OrthographyWordsText().size());
  const auto parsed = OrthographyWords::Parse(text);
  ASSERT_TRUE(parsed.has_value());
  const auto packed = OrthographyWordsImage();
  ASSERT_EQ(OrthographyWords::Unpack(packed), parsed);
  EXPECT_TRUE(OrthographyWords::Embedded().Contains(OrthographyWords::kPresentStems, u"کن"));
  EXPECT_TRUE(
      OrthographyWords::Embedded().Contains(OrthographyWords::kCompounds, u"نرم\u200cافزار"));
  EXPECT_FALSE(OrthographyWords::Parse(std::string(text) + "[elsewhere]\n").has_value());
  EXPECT_FALSE(OrthographyWords::Parse("[present-stems]\nکن\n").has_value());  // lists missing

  // Damage anywhere in the packed form is refused, within its bounds.
  const std::vector<uint8_t> bytes(packed.begin(), packed.end());
  for (std::size_t cut = 0; cut < bytes.size(); cut += 1 + cut / 8) {
    EXPECT_FALSE(OrthographyWords::Unpack(std::span(bytes.data(), cut)).has_value()) << cut;
  }
  auto changed = [&](std::size_t at, uint8_t value) {
    std::vector<uint8_t> b = bytes;
    b.at(at) = value;
    return OrthographyWords::Unpack(b);
  };
  const std::size_t letters = bytes[5];
  const std::size_t first_section = 7 + 2 * letters;  // its name's length
  const std::size_t first_word = first_section + 1 + bytes[first_section] + 4;
  EXPECT_FALSE(changed(4, 2).has_value());                    // another version
  EXPECT_FALSE(changed(7, 0x00).has_value());                 // a letter in ASCII's place
  EXPECT_FALSE(changed(first_section + 1, 'x').has_value());  // an unknown list
  EXPECT_FALSE(changed(first_word, 0x11).has_value());        // shares more than the word before
  EXPECT_FALSE(changed(first_word + 1, 0x80 + letters).has_value());  // a letter past the table
  std::vector<uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(OrthographyWords::Unpack(longer).has_value());
}

TEST(OrthographyTest, VerbalPrefixTakesANonJoiner) {
  ExpectFixes({
      {"می روم", "می_روم"},
      {"نمی شود", "نمی_شود"},
      {"میشود و نمیتوانم", "می_شود و نمی_توانم"},
      {"او برمی گرداند", "او برمی_گرداند"},
      {"می گفتمش", "می_گفتمش"},
      {"می آید", "می_آید"},  // a stem whose subjunctive takes بی (بیاید)
      // می as a noun or the month, and words that begin with می.
      {"۱۵ می سفر کردم", "۱۵ می سفر کردم"},
      {"ماه می", "ماه می"},
      {"می ناب", "می ناب"},
      {"میز و میلاد و میدان", "میز و میلاد و میدان"},
  });
}

TEST(OrthographyTest, SuffixesTakeANonJoiner) {
  ExpectFixes({
      {"کتاب ها و کتاب های من", "کتاب_ها و کتاب_های من"},
      {"خانه هایی بزرگ تر و بزرگ ترین", "خانه_هایی بزرگ_تر و بزرگ_ترین"},
      {"خانه ای که خسته ام", "خانه_ای که خسته_ام"},
      {"رفته اند", "رفته_اند"},
      {"خانهها را دیدهاید", "خانه_ها را دیده_اید"},
      {"تازهترین", "تازه_ترین"},
      // ها inside a word, a pronounced ه, a joined plural that is right as it stands, تر the
      // adjective (wet) and ام of a word that is no suffix.
      {"تنها رها شد", "تنها رها شد"},
      {"دستگاهها و کتابها", "دستگاهها و کتابها"},
      {"لباس تر", "لباس تر"},
      {"الهام و اتهام", "الهام و اتهام"},
  });
}

TEST(OrthographyTest, CompoundsTakeANonJoiner) {
  ExpectFixes({
      {"نرم افزار", "نرم_افزار"},
      {"همگام سازی و بی عنوان", "همگام_سازی و بی_عنوان"},
      {"تنظیمات پیش فرض", "تنظیمات پیش_فرض"},
      {"رنگ پس زمینه", "رنگ پس_زمینه"},
      {"پنج میلی متر", "پنج میلی_متر"},
      {"فایل انتخاب شدهٔ من", "فایل انتخاب_شدهٔ من"},
      {"جست و جو", "جست_و_جو"},
      // پیش and پس as words of their own; a participle that may be the verb.
      {"دو روز پیش رفت و از پیش تعریف شد", "دو روز پیش رفت و از پیش تعریف شد"},
      {"با هوشیاری پیش بروید", "با هوشیاری پیش بروید"},
      // The preposition به apart from its noun, but به‌روز is one word.
      {"به طور خودکار به روز رسانی شد", "به طور خودکار به_روز_رسانی شد"},
      {"پس از آن، پس باید رفت", "پس از آن، پس باید رفت"},
      {"انتخاب شده است", "انتخاب شده است"},
      {"سنت کیتس و نویس", "سنت کیتس و نویس"},  // و before a bound head
  });
}

TEST(OrthographyTest, StrayNonJoinersGo) {
  ExpectFixes({
      {"کتاب__ها", "کتاب_ها"},
      {"کتاب_ ها _ و", "کتاب_ها و"},
      {"_سلام_", "سلام"},
  });
}

TEST(OrthographyTest, ArabicLettersKashidaAndSpaces) {
  ExpectFixes({
      {"كتاب علي", "کتاب علی"},
      {"ســـلام   دنیا", "سلام دنیا"},
      {"  تورفتگی", "  تورفتگی"},
      // A kashida standing for a letter's attached form is no stretching.
      {"پسوند ـها", "پسوند ـها"},
  });
}

TEST(OrthographyTest, DigitsInPersianTextArePersian) {
  ExpectFixes({
      {"صفحه 12 از 30", "صفحه ۱۲ از ۳۰"},
      {"تاریخ 1402/05/12 و عدد ٤٥", "تاریخ ۱۴۰۲/۰۵/۱۲ و عدد ۴۵"},
      // Latin runs, a Latin unit or name, a time, an address.
      {"Windows 10 را نصب کنید", "Windows 10 را نصب کنید"},
      {"حجم 10 MB است", "حجم 10 MB است"},
      {"ساعت 10:30 و نشانی 192.168.1.1 و x86", "ساعت 10:30 و نشانی 192.168.1.1 و x86"},
      {"پاکت #10 و ::1", "پاکت #10 و ::1"},
      {"see page 12", "see page 12"},
  });
  ExpectFixes({{"صفحه 12 و ٤٥", "صفحه 12 و ۴۵"}}, {.persian_digits = false});
}

TEST(OrthographyTest, PunctuationSpacing) {
  ExpectFixes({
      {"سلام ، خوبی ؟ بله !", "سلام، خوبی؟ بله!"},
      {"سلام،خوبی؟بله.", "سلام، خوبی؟ بله."},
      {"او گفت« سلام »و رفت", "او گفت «سلام» و رفت"},
      {"نام : علی (دوست )", "نام: علی (دوست)"},
      {"جمله_(ها)ی SQL", "جمله_(ها)ی SQL"},
      // Latin text, an abbreviation, a decimal number.
      {"ls -l . ( x )", "ls -l . ( x )"},
      {"سال ۱۴۰۲ ه.ش", "سال ۱۴۰۲ ه.ش"},
      {"۳.۵ کیلو", "۳.۵ کیلو"},
      // A full stop inside a name, and an ellipsis, as typed.
      {"اپن_آفیس.ارگ ۱.۰", "اپن_آفیس.ارگ ۱.۰"},
      {"و ... ورودی_ها و غیره ...", "و ... ورودی_ها و غیره ..."},
      {"به localhost ، 127.0.0.1 و ::1", "به localhost، 127.0.0.1 و ::1"},
  });
}

TEST(OrthographyTest, FixingTwiceChangesNothingMore) {
  // Spacing that a fix adds or takes away decides whether a number stands among Latin letters.
  for (const char* typed :
       {"\tب1!اخي٠ک ،اZ8زهن32خ", "ب 72ه:خ\\٤۵-bي ( ؛7", "یخaز؟0ب.ر ؛ 6تتى7566_نبک@ @ر6ك(د9یز"}) {
    const std::u16string once = FixOrthography(FromCase(typed));
    EXPECT_EQ(ToCase(FixOrthography(once)), ToCase(once)) << typed;
  }
}

TEST(OrthographyTest, ConvertedRunGetsOnlyTheNonJoinerFixes) {
  EXPECT_EQ(ToCase(FixNonJoiners(FromCase("می روم ، کتاب ها 10"))), "می_روم ، کتاب_ها 10");
}

// Each case: the text before the caret as its last word ends, then as the fix made there leaves
// it.
void ExpectEndedWordFixes(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    std::u16string text = FromCase(c.typed);
    if (const auto edit = FixEndedWord(text)) {
      ASSERT_LE(edit->backspaces, text.size()) << c.typed;
      text.replace(text.size() - edit->backspaces, edit->backspaces, edit->text);
      EXPECT_NE(ToCase(text), c.typed) << "an edit that changes nothing";
    }
    EXPECT_EQ(ToCase(text), c.fixed) << c.typed;
  }
}

TEST(OrthographyAsTypedTest, EndedWordGetsOnlyTheAffixRules) {
  ExpectEndedWordFixes({
      {"او می روم", "او می_روم"},
      {"میروم", "می_روم"},
      {"برمی گردم", "برمی_گردم"},
      {"کتاب ها", "کتاب_ها"},
      {"بزرگ تر", "بزرگ_تر"},
      {"خانه ای", "خانه_ای"},
      {"خانهها", "خانه_ها"},
      {"كتاب علي", "كتاب علی"},  // the words before were fixed as they ended, or kept so
      {"كتاب_ها", "کتاب_ها"},
      // می the month or a noun, ها inside a word, a participle that may be the verb, a
      // compound of the list, a non-joiner already there.
      {"ماه می آمد", "ماه می آمد"},
      {"می ناب", "می ناب"},
      {"میز", "میز"},
      {"تنها", "تنها"},
      {"انتخاب شده", "انتخاب شده"},
      {"انتخاب شده است", "انتخاب شده است"},
      {"نرم افزار", "نرم افزار"},
      {"کتاب_ها", "کتاب_ها"},
      {"کتاب ها ", "کتاب ها "},  // no word ends here
  });
  // From the first character that changes.
  EXPECT_EQ(FixEndedWord(u"می روم"), (OrthographyEdit{4, u"‌روم"}));
  EXPECT_EQ(FixEndedWord(u"میروم"), (OrthographyEdit{3, u"‌روم"}));
}

TEST(OrthographyAsTypedTest, AWordThatMayBeginBeforeTheKnownTextDecidesNothing) {
  EXPECT_FALSE(FixEndedWord(u"می روم", TextStart::Unknown));  // perhaps سمی روم
  EXPECT_FALSE(FixEndedWord(u"میروم", TextStart::Unknown));
  EXPECT_TRUE(FixEndedWord(u"او می روم", TextStart::Unknown));
  EXPECT_TRUE(FixEndedWord(u"متن\nمی روم", TextStart::Unknown));
  EXPECT_EQ(FixEndedWord(u"كتاب", TextStart::Unknown), (OrthographyEdit{4, u"کتاب"}));
}

TEST(ToolFixTest, FixesEachLineAndStopsAtBadUtf8) {
  std::istringstream in("می روم ، 10\r\nab\xff\n");
  std::ostringstream out, err;
  EXPECT_EQ(tool::FixCommand({}, in, out, err), 2);
  EXPECT_EQ(ToCase(*Utf8ToUtf16(out.str())), "می_روم، ۱۰\r\n");
  EXPECT_EQ(err.str(), "ravak-tool: line 2: invalid UTF-8 at byte 3\n");
  std::istringstream in2("می روم 10\n");
  std::ostringstream out2;
  EXPECT_EQ(tool::FixCommand({"--latin-digits"}, in2, out2, err), 0);
  EXPECT_EQ(ToCase(*Utf8ToUtf16(out2.str())), "می_روم 10\n");
  EXPECT_EQ(tool::FixCommand({"--bogus"}, in2, out2, err), 2);
  EXPECT_EQ(tool::FixCommand({"--non-joiners", "--as-you-type"}, in2, out2, err), 2);
  // As typed: the affixes only; the compound, the spacing and the digits stay.
  std::istringstream in3("میروم و كتاب ها را نرم افزار ، 10\n");
  std::ostringstream out3;
  EXPECT_EQ(tool::FixCommand({"--as-you-type"}, in3, out3, err), 0);
  EXPECT_EQ(ToCase(*Utf8ToUtf16(out3.str())), "می_روم و کتاب_ها را نرم افزار ، 10\n");
}

}  // namespace
}  // namespace ravak
