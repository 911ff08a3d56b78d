#include "autocorrect/text_variables.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace ravak {
namespace {

// Thursday 10 December 2026, 14:05: Solar 1405/09/19.
const LocalDateTime kNow{{2026, 12, 10}, 14, 5};

struct FillCase {
  const char16_t* before;
  const char16_t* after;
  const char16_t* filled_before;
  const char16_t* filled_after;
};

class FillVariablesTest : public ::testing::TestWithParam<FillCase> {};

TEST_P(FillVariablesTest, FillsKnownVariablesWithDigitsAsTheTextAroundThemRead) {
  const FillCase& c = GetParam();
  const VariableSources sources{[] { return kNow; }, [] { return std::u16string(u"کپی 12"); }};
  const AutoCorrectEntry filled = FillVariables({c.after, c.before, u"k"}, sources);
  EXPECT_EQ(filled.before, c.filled_before);
  EXPECT_EQ(filled.after, c.filled_after);
  EXPECT_EQ(filled.keyword, u"k");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FillVariablesTest,
    ::testing::Values(
        // No letters, or Latin ones: Latin digits, as ravak-tool date writes the date.
        FillCase{u"{{date}}", u"", u"1405/09/19", u""},
        FillCase{u"Date: {{gdate}} {{time}}", u"", u"Date: 2026-12-10 14:05", u""},
        // Persian text: Persian digits, the time's too; judged across the caret.
        FillCase{u"امروز {{date}}، ساعت {{time}}", u"", u"امروز ۱۴۰۵/۰۹/۱۹، ساعت ۱۴:۰۵", u""},
        FillCase{u"{{date}}", u" تهران", u"۱۴۰۵/۰۹/۱۹", u" تهران"},
        FillCase{u"{{weekday}}", u"", u"پنج‌شنبه", u""},
        // The clipboard's text as it is: its digits stay, its braces are not read again.
        FillCase{u"<{{clipboard}}>", u"{{clipboard}}", u"<کپی 12>", u"کپی 12"},
        // Escapes, and braces that are no variable, stay as written.
        FillCase{u"{{{{date}}", u"{{{{", u"{{date}}", u"{{"},
        FillCase{u"{{Date}} {{name}} {{date", u"{{}} }}", u"{{Date}} {{name}} {{date", u"{{}} }}"},
        FillCase{u"{{ {{time}}", u"", u"{{ 14:05", u""}));

TEST(FillVariablesTest, ReadsEachSourceOnceAndOnlyForItsVariable) {
  int clock = 0, clipboard = 0;
  const VariableSources sources{[&] { return ++clock, kNow; },
                                [&] { return ++clipboard, std::u16string(u"x"); }};
  FillVariables({u"no variable", u"{{nothing}}", u"k"}, sources);
  EXPECT_EQ(clock + clipboard, 0);
  FillVariables({u"{{date}} {{clipboard}}", u"{{time}} {{clipboard}}", u"k"}, sources);
  EXPECT_EQ(clock, 1);
  EXPECT_EQ(clipboard, 1);
  // A clock the calendar cannot hold gives no Solar date: the variables stay as written.
  const VariableSources far{[] { return LocalDateTime{{10000, 1, 1}, 0, 0}; }, {}};
  EXPECT_EQ(FillVariables({u"", u"{{date}} {{weekday}}", u"k"}, far).before,
            u"{{date}} {{weekday}}");
  // A clipboard that cannot be read fails the filling.
  const VariableSources busy{[] { return kNow; },
                             []() -> std::u16string { throw Error("Cannot open clipboard"); }};
  EXPECT_THROW(FillVariables({u"", u"{{clipboard}}", u"k"}, busy), Error);
}

}  // namespace
}  // namespace ravak
