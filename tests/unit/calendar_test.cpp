#include "sayings/calendar.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/utf.h"
#include "tools/commands.h"

#ifdef RAVAK_HAVE_ICU
#include <unicode/ucal.h>
#endif

namespace ravak {
namespace {

namespace msg = calendar_messages;

class RecordingErrors : public CalendarErrors {
 public:
  void ShowError(const std::u16string& message) override { messages.push_back(message); }
  std::vector<std::u16string> messages;
};

std::u16string Day(int index) {
  return std::u16string(kWeekDayNames[index]);
}
constexpr int kSaturday = 0, kSunday = 1, kMonday = 2, kTuesday = 3, kWednesday = 4, kThursday = 5;

GregorianDate NextDay(GregorianDate g) {
  static constexpr int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (g.year % 4 == 0 && g.year % 100 != 0) || g.year % 400 == 0;
  const int length = g.month == 2 && leap ? 29 : kLengths[g.month - 1];
  if (++g.day > length) {
    g.day = 1;
    if (++g.month > 12) g.month = 1, ++g.year;
  }
  return g;
}

struct ConversionCase {
  std::u16string gregorian;
  std::u16string solar;
  int weekday;
};

TEST(CalendarTest, ToFarsiDateGivesTheOfficialDateAndWeekday) {
  const ConversionCase cases[] = {
      {u"02011/12/3", u"1390/09/12", kSaturday},
      {u"2011/3/21", u"1390/01/01", kMonday},
      {u"2011/3/20", u"1389/12/29", kSunday},
      {u"2012/3/19", u"1390/12/29", kMonday},
      {u"2012/3/20", u"1391/01/01", kTuesday},
      {u"2013/3/20", u"1391/12/30", kWednesday},
      {u"2011/9/22", u"1390/06/31", kThursday},
      {u"2011/9/23", u"1390/07/01", kFriday},
      {u"2000/1/1", u"1378/10/11", kSaturday},
      {u"2021/3/20", u"1399/12/30", kSaturday},
      // Past the two-digit years, and the leap year 1383 whose last day is 20 March 2005.
      {u"2021/3/21", u"1400/01/01", kSunday},
      {u"2005/3/20", u"1383/12/30", kSunday},
      {u"2005/3/21", u"1384/01/01", kMonday},
      {u"2025/3/20", u"1403/12/30", kThursday},
      {u"2026/12/9", u"1405/09/18", kWednesday},
      {u"2012/2/29", u"1390/12/10", kWednesday},
      {u"1900/1/1", u"1278/10/11", kMonday},
      {u"2100/12/31", u"1479/10/10", kFriday},
  };
  for (const ConversionCase& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.gregorian));
    RecordingErrors errors;
    EXPECT_EQ(ToFarsiDate(c.gregorian), c.solar);
    EXPECT_EQ(WhatDayIsIt(c.solar, errors), Day(c.weekday));
    EXPECT_TRUE(errors.messages.empty());
  }
}

TEST(CalendarTest, ToFarsiDateGivesNothingForTextThatIsNotAGregorianDate) {
  for (const std::u16string text :
       {u"", u"2011", u"2011/12", u"2011-12-03", u"x/1/1", u"2011/13/1", u"2011/0/1", u"2011/2/29",
        u"1900/2/29", u"2011/4/31", u"2011/1/0", u"2011/1/1/1", u"2011/ 1/1", u"621/12/31",
        u"10000/1/1", u"2011/1/99999999999999999999"}) {
    EXPECT_EQ(ToFarsiDate(text), u"") << Utf16ToUtf8(text);
  }
  EXPECT_EQ(ToFarsiDate(GregorianDate{2011, 12, 3}), u"1390/09/12");
}

TEST(CalendarTest, LeapYearsAreThoseOfTheOfficialCalendar) {
  std::vector<int32_t> leap;
  for (int32_t y = 1370; y <= 1410; ++y) {
    if (IsKabise(y)) leap.push_back(y);
  }
  EXPECT_EQ(leap,
            (std::vector<int32_t>{1370, 1375, 1379, 1383, 1387, 1391, 1395, 1399, 1403, 1408}));
  EXPECT_FALSE(IsKabise(-1));
  EXPECT_FALSE(IsKabise(10000));
}

struct CheckCase {
  std::u16string input;
  std::u16string result;        // the normalised date, or the input again on failure
  std::u16string_view message;  // empty: none
};

TEST(CalendarTest, CheckDateNormalisesOrReportsWhatIsWrong) {
  const CheckCase cases[] = {
      {u"90/9/5", u"1390/09/05", {}},
      {u"1390/1/1", u"1390/01/01", {}},
      {u"5/1/1", u"1305/01/01", {}},
      {u"1405/9/18", u"1405/09/18", {}},
      {u"0005/01/01", u"0005/01/01", {}},
      // Three or five digits keep the last two, as 13yy.
      {u"390/1/1", u"1390/01/01", {}},
      {u"01390/1/1", u"1390/01/01", {}},
      // Longer month and day parts are written back by value.
      {u"1390/001/0005", u"1390/01/05", {}},
      {u"1391/12/30", u"1391/12/30", {}},
      {u"1383/12/30", u"1383/12/30", {}},
      {u"83/12/30", u"1383/12/30", {}},
      {u"1390/06/31", u"1390/06/31", {}},
      {u"1390/12/30", u"1390/12/30", msg::kEsfandLeapOnly},
      {u"1404/12/30", u"1404/12/30", msg::kEsfandLeapOnly},
      {u"1390/07/31", u"1390/07/31", msg::kWrongDay},
      {u"1390/01/32", u"1390/01/32", msg::kWrongDay},
      {u"1390/01/00", u"1390/01/00", msg::kWrongDay},
      {u"1391/12/31", u"1391/12/31", msg::kWrongDay},
      {u"1390/1/99999999999999", u"1390/1/99999999999999", msg::kWrongDay},
      {u"1390/13/01", u"1390/13/01", msg::kWrongMonth},
      {u"1390/00/01", u"1390/00/01", msg::kWrongMonth},
      {u"1390/0912", u"1390/0912", msg::kWrongDate},
      {u"1390/1/x", u"1390/1/x", msg::kWrongDate},
      {u"1390/-1/1", u"1390/-1/1", msg::kWrongDate},
      {u"1390/1/1/1", u"1390/1/1/1", msg::kWrongDate},
      {u"13901231", u"13901231", msg::kWrongDate},
      {u"abcd/01/01", u"abcd/01/01", msg::kWrongYear},
      {u"/1/1", u"/1/1", msg::kWrongYear},
      {u"9x/1/1", u"9x/1/1", msg::kWrongYear},
      {u"", u"", {}},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.input));
    RecordingErrors errors;
    std::u16string date = c.input;
    const bool ok = CheckDate(date, errors);
    EXPECT_EQ(ok, c.message.empty() && !c.input.empty());
    EXPECT_EQ(date, c.result);
    if (c.message.empty()) {
      EXPECT_TRUE(errors.messages.empty());
    } else {
      EXPECT_EQ(errors.messages, std::vector<std::u16string>{std::u16string(c.message)});
    }
  }
}

// Every day of 1900-2100: the date produced passes CheckDate unchanged, consecutive days are
// one day apart by Dec, and the weekday follows the Gregorian one.
TEST(CalendarTest, EveryDateProducedIsValidAndOneDayAfterThePrevious) {
  RecordingErrors errors;
  GregorianDate g{1900, 1, 1};
  const std::u16string first = ToFarsiDate(g);
  int32_t count = 0;
  for (; g.year <= 2100; g = NextDay(g), ++count) {
    std::u16string solar = ToFarsiDate(g);
    const std::u16string produced = solar;
    ASSERT_TRUE(CheckDate(solar, errors)) << Utf16ToUtf8(produced);
    ASSERT_EQ(solar, produced);
    ASSERT_EQ(Dec(solar, first, errors), count) << Utf16ToUtf8(produced);
    // 1900-01-01 was a Monday.
    ASSERT_EQ(DayOfWeekIndex(solar, errors), (count + kMonday) % 7) << Utf16ToUtf8(produced);
  }
  EXPECT_TRUE(errors.messages.empty());
}

TEST(CalendarTest, DecIsTheSignedDistanceInDays) {
  RecordingErrors errors;
  EXPECT_EQ(Dec(u"1391/01/01", u"1390/12/29", errors), 1);
  EXPECT_EQ(Dec(u"1392/01/01", u"1391/12/29", errors), 2);
  EXPECT_EQ(Dec(u"1390/12/29", u"1391/01/01", errors), -1);
  EXPECT_EQ(Dec(u"1390/09/12", kWeekBaseDate, errors), 3276);
  EXPECT_EQ(Dec(u"90/9/12", u"1390/09/12", errors), 0);
  EXPECT_EQ(Dec(u"1404/01/01", u"1403/01/01", errors), 366);
  EXPECT_EQ(Dec(u"1405/01/01", u"1404/01/01", errors), 365);
  EXPECT_EQ(Dec(u"1479/10/10", u"1278/10/11", errors), 73413);
  EXPECT_TRUE(errors.messages.empty());

  // A bad argument gives -1 and its message; the second is not checked after the first fails.
  EXPECT_EQ(Dec(u"1390/13/01", u"1390/00/01", errors), -1);
  EXPECT_EQ(errors.messages, std::vector<std::u16string>{std::u16string(msg::kWrongMonth)});
  EXPECT_EQ(Dec(u"", u"1390/01/01", errors), -1);
  EXPECT_EQ(errors.messages.size(), 1u);
}

TEST(CalendarTest, WhatDayIsItNamesTheWeekdayAndReadsBadDatesAsSaturday) {
  RecordingErrors errors;
  // 1405/09/18 is Wednesday 9 December 2026.
  const std::u16string week[] = {u"1405/09/15", u"1405/09/16", u"1405/09/17", u"1405/09/18",
                                 u"1405/09/19", u"1405/09/20", u"1405/09/21"};
  const int expected[] = {kSunday, kMonday, kTuesday, kWednesday, kThursday, kFriday, kSaturday};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(WhatDayIsIt(week[i], errors), Day(expected[i])) << i;
  EXPECT_EQ(WhatDayIsIt(kWeekBaseDate, errors), Day(kSaturday));
  EXPECT_EQ(WhatDayIsIt(u"1381/09/22", errors), Day(kFriday));
  EXPECT_TRUE(errors.messages.empty());

  EXPECT_EQ(WhatDayIsIt(u"1390/07/31", errors), Day(kSaturday));
  EXPECT_EQ(errors.messages, std::vector<std::u16string>{std::u16string(msg::kWrongDay)});
  EXPECT_EQ(WhatDayIsIt(u"", errors), Day(kSaturday));
  EXPECT_EQ(errors.messages.size(), 1u);
  // The names keep their Arabic yeh and kaf.
  EXPECT_EQ(Day(kSunday), u"\u064A\u0643\u0634\u0646\u0628\u0647");
  EXPECT_EQ(Day(kFriday), u"\u0622\u062F\u064A\u0646\u0647");
}

TEST(CalendarTest, StrTo10CharFormat) {
  RecordingErrors errors;
  EXPECT_EQ(StrTo10CharFormat(u"5/1/1", errors), u"1305/01/01");
  EXPECT_TRUE(errors.messages.empty());
  EXPECT_EQ(StrTo10CharFormat(u"5/1/", errors), u"");
  EXPECT_EQ(StrTo10CharFormat(u"1390/07/31", errors), u"");
  EXPECT_EQ(errors.messages, (std::vector<std::u16string>{std::u16string(msg::kTooShort),
                                                          std::u16string(msg::kWrongDay)}));
}

TEST(SunCalendarTest, TodayComesFromTheGivenClockDate) {
  RecordingErrors errors;
  SunCalendar calendar(errors, {2026, 12, 9});
  EXPECT_EQ(calendar.Today(), u"1405/09/18");
  EXPECT_EQ(calendar.WhatDayIsIt(calendar.Today()), Day(kWednesday));
  calendar.SetTodayFromClock({2026, 12, 10});
  EXPECT_EQ(calendar.Today(), u"1405/09/19");

  calendar.SetToday(u"90/9/5");
  EXPECT_EQ(calendar.Today(), u"1390/09/05");
  calendar.SetToday(u"1390/12/30");
  EXPECT_EQ(calendar.Today(), u"1390/09/05");
  EXPECT_EQ(errors.messages, std::vector<std::u16string>{std::u16string(msg::kEsfandLeapOnly)});

  // A clock out of range leaves no date, and the weekday of none reads as Saturday, silently.
  SunCalendar broken(errors, {1, 1, 1});
  EXPECT_EQ(broken.Today(), u"");
  EXPECT_EQ(broken.WhatDayIsIt(broken.Today()), Day(kSaturday));
  EXPECT_EQ(errors.messages.size(), 1u);
}

TEST(SunCalendarTest, OffDaysWorkDaysAndIntersect) {
  RecordingErrors errors;
  SunCalendar calendar(errors, {2011, 12, 3});
  calendar.SetOffDays({u"1390/01/05", u"not a date", u"1390/1/6", u"1390/01/13"});
  EXPECT_TRUE(calendar.IsOffDay(u"90/1/5"));
  EXPECT_TRUE(calendar.IsOffDay(u"1390/01/12"));  // a Friday
  EXPECT_FALSE(calendar.IsOffDay(u"1390/01/06"));
  EXPECT_FALSE(calendar.IsOffDay(u""));

  // Entries on either end count; entries not in the normalised form are ignored.
  EXPECT_EQ(calendar.WorkDays(u"1390/01/10", u"1390/01/01"), 9 - 1);
  EXPECT_EQ(calendar.WorkDays(u"1390/01/01", u"1390/01/10"), -9 - 1);
  EXPECT_EQ(calendar.WorkDays(u"1390/01/05", u"1390/01/13"), -8 - 2);
  // Fridays (1390/01/19) are not subtracted.
  EXPECT_EQ(calendar.WorkDays(u"1390/01/20", u"1390/01/14"), 6);
  EXPECT_TRUE(errors.messages.empty());
  EXPECT_EQ(calendar.WorkDays(u"1390/01/14", u"1390/13/20"), -1);

  std::u16string d5 = u"untouched", d6 = u"untouched";
  EXPECT_EQ(calendar.Intersect(u"1390/01/01", u"1390/01/10", u"1390/01/20", u"1390/01/05", d5, d6),
            -5);
  EXPECT_EQ(d5, u"1390/01/05");
  EXPECT_EQ(d6, u"1390/01/10");
  EXPECT_EQ(calendar.Intersect(u"1390/01/01", u"1390/01/10", u"1390/01/10", u"1390/02/01", d5, d6),
            0);
  EXPECT_EQ(d5, u"1390/01/10");
  EXPECT_EQ(calendar.Intersect(u"1390/01/01", u"1390/01/10", u"1390/03/01", u"1390/02/01", d5, d6),
            0);
  EXPECT_EQ(d5, u"1390/02/01");
  EXPECT_EQ(d6, u"1390/02/01");
  // Across a year end with a leap Esfand.
  EXPECT_EQ(calendar.Intersect(u"1391/12/25", u"1392/01/05", u"1391/12/01", u"1391/12/30", d5, d6),
            -5);
  EXPECT_EQ(errors.messages.size(), 1u);
  d5 = d6 = u"untouched";
  EXPECT_EQ(calendar.Intersect(u"1390/01/01", u"1390/01/10", u"x", u"1390/02/01", d5, d6), -1);
  EXPECT_EQ(d5, u"untouched");
  EXPECT_EQ(d6, u"untouched");
}

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

ToolRun Date(const tool::Args& args) {
  std::istringstream in;
  std::ostringstream out, err;
  const int status = tool::DateCommand(args, in, out, err);
  return {status, out.str(), err.str()};
}

TEST(ToolDateTest, PrintsSolarDateAndWeekday) {
  EXPECT_EQ(Date({"2026-12-09"}).out, "1405/09/18 چهارشنبه\n");
  EXPECT_EQ(Date({"2005-03-20"}).out, "1383/12/30 يكشنبه\n");
  EXPECT_EQ(Date({"2100-12-31"}).out, "1479/10/10 آدينه\n");

  const ToolRun today = Date({});
  EXPECT_EQ(today.status, 0);
  SunDateRec rec{};
  ASSERT_GT(today.out.size(), 12u);
  EXPECT_TRUE(ParseNormalisedDate(*Utf8ToUtf16(today.out.substr(0, 10)), rec)) << today.out;
  SilentCalendarErrors silent;
  EXPECT_EQ(today.out.substr(10),
            " " + Utf16ToUtf8(WhatDayIsIt(*Utf8ToUtf16(today.out.substr(0, 10)), silent)) + "\n");
}

TEST(ToolDateTest, BadDatesAreUsageErrors) {
  for (const tool::Args& args : std::vector<tool::Args>{{"2026-13-01"},
                                                        {"2026-02-29"},
                                                        {"2026/12/09"},
                                                        {"26-12-09"},
                                                        {"2026-12-9"},
                                                        {"０٢026-12-09"},
                                                        {"2026-12-09", "extra"},
                                                        {""}}) {
    const ToolRun r = Date(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("usage: ravak-tool date"), std::string::npos);
  }
}

#ifdef RAVAK_HAVE_ICU
// Proleptic Gregorian day count from 1970-01-01, written independently of the calendar.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

class IcuPersian {
 public:
  IcuPersian() { cal_ = ucal_open(u"UTC", -1, "en_US@calendar=persian", UCAL_DEFAULT, &status_); }
  ~IcuPersian() { ucal_close(cal_); }
  bool Ok() const { return U_SUCCESS(status_); }
  // The Solar date and weekday index (0 = Saturday) of a Gregorian date.
  std::u16string SolarDate(const GregorianDate& g, int& weekday) {
    const double millis = static_cast<double>(DaysFromCivil(g.year, g.month, g.day)) * 86400000.0;
    ucal_setMillis(cal_, millis, &status_);
    const int32_t year = ucal_get(cal_, UCAL_EXTENDED_YEAR, &status_);
    const int32_t month = ucal_get(cal_, UCAL_MONTH, &status_) + 1;
    const int32_t day = ucal_get(cal_, UCAL_DATE, &status_);
    weekday = ucal_get(cal_, UCAL_DAY_OF_WEEK, &status_) % 7;  // Saturday (7) becomes 0
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%04d/%02d/%02d", year, month, day);
    return std::u16string(text, text + length);
  }
  bool IsLeap(int32_t year) {
    ucal_clear(cal_);
    ucal_setDate(cal_, year, 11, 1, &status_);
    return ucal_getLimit(cal_, UCAL_DATE, UCAL_ACTUAL_MAXIMUM, &status_) == 30;
  }

 private:
  UErrorCode status_ = U_ZERO_ERROR;
  UCalendar* cal_ = nullptr;
};

// Every day from 1900-01-01 to 2100-12-31 against ICU's Persian calendar.
TEST(CalendarIcuTest, EveryDayMatchesIcu) {
  IcuPersian icu;
  ASSERT_TRUE(icu.Ok());
  SilentCalendarErrors silent;
  int days = 0;
  for (GregorianDate g{1900, 1, 1}; g.year <= 2100; g = NextDay(g), ++days) {
    int weekday = -1;
    const std::u16string expected = icu.SolarDate(g, weekday);
    const std::u16string solar = ToFarsiDate(g);
    ASSERT_EQ(solar, expected) << g.year << "-" << g.month << "-" << g.day;
    ASSERT_EQ(WhatDayIsIt(solar, silent), Day(weekday)) << Utf16ToUtf8(solar);
  }
  ASSERT_TRUE(icu.Ok());
  EXPECT_EQ(days, 73414);
  for (int32_t year = 1278; year <= 1480; ++year) {
    EXPECT_EQ(IsKabise(year), icu.IsLeap(year)) << year;
  }
  EXPECT_TRUE(icu.Ok());
}
#endif

}  // namespace
}  // namespace ravak
