#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/utf.h"

namespace ravak {
namespace {

TEST(Utf8Test, RoundTripsPersianAndAstralText) {
  const std::string s = "سلام hello \xF0\x9F\x98\x80";
  const auto u = Utf8ToUtf16(s);
  ASSERT_TRUE(u.has_value());
  EXPECT_EQ(*u, u"سلام hello \U0001F600");
  EXPECT_EQ(Utf16ToUtf8(*u), s);
}

TEST(Utf8Test, RejectsMalformedInputWithOffset) {
  const std::string bad[] = {
      "ab\xC3",              // truncated
      "ab\xC0\xAF",          // overlong
      "ab\xED\xA0\x80",      // surrogate code point
      "ab\xF4\x90\x80\x80",  // above U+10FFFF
      "ab\x80",              // stray continuation byte
      "ab\xE2\x28\xA1",      // bad continuation
  };
  for (const std::string& s : bad) {
    std::size_t at = 99;
    EXPECT_FALSE(Utf8ToUtf16(s, &at).has_value()) << s;
    EXPECT_EQ(at, 2u) << s;
  }
}

TEST(Utf8Test, LoneSurrogateAndNulAreWrittenSafely) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', u'\xD800', u'b'}),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
}

TEST(ErrorReportTest, AddsFullStopOnlyAfterCharacterAboveFullStop) {
  EXPECT_EQ(ErrorReportText("Out of system resources"), "Out of system resources.");
  EXPECT_EQ(ErrorReportText("done."), "done.");
  EXPECT_EQ(ErrorReportText("what!"), "what!");
  EXPECT_EQ(ErrorReportText(""), "");
  EXPECT_EQ(FormatMessage1("Cannot open clipboard: %s", "denied"), "Cannot open clipboard: denied");
}

}  // namespace
}  // namespace ravak
