// Solar Hijri (Persian) date arithmetic on date strings: today's Solar date from a Gregorian
// date, checking and normalising dates, leap years, distances in days, weekdays, working days
// and the overlap of two date ranges. Pure computation: the clock and the message boxes stay
// outside, behind GregorianDate and CalendarErrors.
//
// Dates are written yyyy/mm/dd with the full Solar year (1405/09/18). Input dates may also use
// a one- or two-digit year, which means 13yy (90/9/5 is 1390/09/05). The leap years and the
// Gregorian conversion follow the astronomical calendar in its well-known arithmetic form (the
// table of break years); they are exact for every date from 1900 to 2100.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ravak {

// Receives the calendar's error messages. The program shows each as a modal error box with one
// OK button; tests record them. The calendar reports a bad date only here and never throws.
class CalendarErrors {
 public:
  virtual void ShowError(const std::u16string& message) = 0;

 protected:
  ~CalendarErrors() = default;
};

// Discards every message (for callers that only need the result).
class SilentCalendarErrors final : public CalendarErrors {
 public:
  void ShowError(const std::u16string&) override {}
};

namespace calendar_messages {
inline constexpr std::u16string_view kWrongDate = u".تاريخ اشتباه وارد شده است";
inline constexpr std::u16string_view kWrongDay = u".روز اشتباه وارد شده است";
inline constexpr std::u16string_view kWrongMonth = u".ماه اشتباه وارد شده است";
inline constexpr std::u16string_view kWrongYear = u".سال اشتباه وارد شده است";
inline constexpr std::u16string_view kEsfandLeapOnly =
    u".ماه اسفند فقط در سالهاي كبيسه 30 روزه است";
inline constexpr std::u16string_view kTooShort = u".طول رشته بايد حداقل برابر 6 باشد";
}  // namespace calendar_messages

struct GregorianDate {
  int32_t year;
  int32_t month;  // 1..12
  int32_t day;    // 1..31
};

// A Solar date: day, month and full year (TSunDateRec).
struct SunDateRec {
  int32_t day;
  int32_t month;
  int32_t year;
  friend bool operator==(const SunDateRec&, const SunDateRec&) = default;
};

// Month lengths of an ordinary year; Esfand (month 12) has 30 days in a leap year.
inline constexpr std::array<int32_t, 12> kMonthDays = {31, 31, 31, 31, 31, 31,
                                                       30, 30, 30, 30, 30, 29};
// Every weekday is counted from this Saturday.
inline constexpr std::u16string_view kWeekBaseDate = u"1381/09/23";
// Indexed from Saturday. The Arabic forms of yeh (U+064A) and kaf (U+0643) are deliberate.
inline constexpr std::array<std::u16string_view, 7> kWeekDayNames = {
    u"\u0634\u0646\u0628\u0647",                          // Saturday
    u"\u064A\u0643\u0634\u0646\u0628\u0647",              // Sunday
    u"\u062F\u0648\u0634\u0646\u0628\u0647",              // Monday
    u"\u0633\u0647 \u0634\u0646\u0628\u0647",             // Tuesday
    u"\u0686\u0647\u0627\u0631\u0634\u0646\u0628\u0647",  // Wednesday
    u"\u067E\u0646\u062C \u0634\u0646\u0628\u0647",       // Thursday
    u"\u0622\u062F\u064A\u0646\u0647",                    // Friday
};
inline constexpr int kFriday = 6;

// The range of Solar years the arithmetic covers; dates outside it are not valid.
inline constexpr int32_t kMinSolarYear = 0;
inline constexpr int32_t kMaxSolarYear = 9999;

// Gregorian date text "Y/M/D" (decimal, leading zeros allowed, e.g. 02011/12/3) to the Solar
// date yyyy/mm/dd. Returns an empty string when the text is not a valid Gregorian date between
// the years 622 and 9999.
std::u16string ToFarsiDate(std::u16string_view eng_date);
std::u16string ToFarsiDate(const GregorianDate& date);

// Whether the Solar year sal (full year, e.g. 1403) is a leap year: Esfand has 30 days.
bool IsKabise(int32_t sal);

// Checks a date and on success replaces it with its normalised form yyyy/mm/dd. A year of one
// or two digits means 13yy; a four-digit year is taken as given; other lengths keep their last
// two digits as 13yy. A bad date is reported to errors (an empty one silently) and gives false.
bool CheckDate(std::u16string& date, CalendarErrors& errors);

// Parses a date already in the normalised form yyyy/mm/dd, without messages.
bool ParseNormalisedDate(std::u16string_view date, SunDateRec& rec);
std::u16string DateRecToStr(const SunDateRec& rec);
// Days since a fixed origin; the difference of two of them is the distance in days.
int32_t SolarDayNumber(const SunDateRec& rec);
// 0 when equal, 1 when a is later, 2 when a is earlier.
int CompareDates(const SunDateRec& a, const SunDateRec& b);

// date1 minus date2 in days; -1 when either date fails CheckDate.
int32_t Dec(std::u16string_view date1, std::u16string_view date2, CalendarErrors& errors);
// Weekday index, 0 = Saturday; 0 for a date that fails CheckDate.
int DayOfWeekIndex(std::u16string_view date, CalendarErrors& errors);
std::u16string WhatDayIsIt(std::u16string_view t1, CalendarErrors& errors);
// The normalised date, or empty (with a message) for a text shorter than 5 characters or a
// date that fails CheckDate.
std::u16string StrTo10CharFormat(std::u16string_view s, CalendarErrors& errors);

// The calendar that the main window holds: today's Solar date and the off-day list.
class SunCalendar {
 public:
  // today: the local Gregorian date of the clock. Today() is empty when it is out of range.
  SunCalendar(CalendarErrors& errors, const GregorianDate& today);

  const std::u16string& Today() const { return today_; }
  // Sets today from the clock's date again (a program running past midnight).
  void SetTodayFromClock(const GregorianDate& today);
  // Stores a date that passes CheckDate in its normalised form; any other value is ignored.
  void SetToday(std::u16string_view value);

  const std::vector<std::u16string>& OffDays() const { return off_days_; }
  void SetOffDays(std::vector<std::u16string> days) { off_days_ = std::move(days); }

  bool CheckDate(std::u16string& date) const { return ravak::CheckDate(date, errors_); }
  int32_t Dec(std::u16string_view date1, std::u16string_view date2) const {
    return ravak::Dec(date1, date2, errors_);
  }
  std::u16string WhatDayIsIt(std::u16string_view t1) const {
    return ravak::WhatDayIsIt(t1, errors_);
  }
  std::u16string StrTo10CharFormat(std::u16string_view s) const {
    return ravak::StrTo10CharFormat(s, errors_);
  }
  // Fridays and the dates of the off-day list.
  bool IsOffDay(std::u16string_view date) const;
  // Dec(date1, date2) less the off-day list entries between the two dates (both included);
  // -1 when either date fails CheckDate. List entries not in the form yyyy/mm/dd are ignored.
  int32_t WorkDays(std::u16string_view date1, std::u16string_view date2) const;
  // Overlap of the ranges date1..date2 and date3..date4 (either end may come first). date5
  // and date6 receive its start and end (both the later start when they do not overlap); the
  // result is start minus end in days. -1 and no output when a date fails CheckDate.
  int32_t Intersect(std::u16string_view date1, std::u16string_view date2, std::u16string_view date3,
                    std::u16string_view date4, std::u16string& date5, std::u16string& date6) const;

 private:
  CalendarErrors& errors_;
  std::u16string today_;
  std::vector<std::u16string> off_days_;
};

}  // namespace ravak
