#include "sayings/calendar.h"

#include <algorithm>
#include <limits>

namespace ravak {

namespace {

// Solar years at which the pattern of the 33-year leap cycles changes in the astronomical
// calendar. The last entry is not a real break: it only lets the final cycle pattern run on
// past the end of the table so that every four-digit year has a defined answer.
constexpr std::array<int32_t, 21> kBreaks = {-61,  9,    38,   199,  426,  686,  756,
                                             818,  1111, 1181, 1210, 1635, 2060, 2097,
                                             2192, 2262, 2324, 2394, 2456, 3178, 3178 + 33 * 250};

// Gregorian dates accepted by ToFarsiDate: their Solar year stays within kMinSolarYear and
// kMaxSolarYear.
constexpr int32_t kMinGregorianYear = 622;
constexpr int32_t kMaxGregorianYear = 9999;

struct SolarYearInfo {
  int32_t leap;            // years since the last leap year; 0 = this year is a leap year
  int32_t gregorian_year;  // the Gregorian year in which the Solar year starts
  int32_t march;           // the March day of that year on which Farvardin 1 falls
};

// The year's place in the leap cycles and the Gregorian day its first day falls on.
// year must lie within kMinSolarYear..kMaxSolarYear.
SolarYearInfo YearInfo(int32_t year) {
  const int32_t gy = year + 621;
  int32_t leap_j = -14;
  int32_t jp = kBreaks[0];
  int32_t jump = 0;
  for (std::size_t i = 1; i < kBreaks.size(); ++i) {
    const int32_t jm = kBreaks[i];
    jump = jm - jp;
    if (year < jm) break;
    leap_j += jump / 33 * 8 + jump % 33 / 4;
    jp = jm;
  }
  int32_t n = year - jp;
  // Leap years since the start of the cycle pattern.
  leap_j += n / 33 * 8 + (n % 33 + 3) / 4;
  if (jump % 33 == 4 && jump - n == 4) ++leap_j;
  // Gregorian leap days up to gy.
  const int32_t leap_g = gy / 4 - (gy / 100 + 1) * 3 / 4 - 150;
  const int32_t march = 20 + leap_j - leap_g;
  if (jump - n < 6) n = n - jump + (jump + 4) / 33 * 33;
  int32_t leap = ((n + 1) % 33 - 1) % 4;
  if (leap == -1) leap = 4;
  return {leap, gy, march};
}

// Julian day number of a proleptic Gregorian date.
int32_t GregorianDayNumber(int32_t gy, int32_t gm, int32_t gd) {
  const int64_t a = (gm - 8) / 6;
  int64_t d = (static_cast<int64_t>(gy) + a + 100100) * 1461 / 4 + (153 * ((gm + 9) % 12) + 2) / 5 +
              gd - 34840408;
  d = d - (static_cast<int64_t>(gy) + 100100 + a) / 100 * 3 / 4 + 752;
  return static_cast<int32_t>(d);
}

GregorianDate GregorianFromDayNumber(int32_t jdn) {
  int64_t j = 4 * static_cast<int64_t>(jdn) + 139361631;
  j = j + (4 * static_cast<int64_t>(jdn) + 183187720) / 146097 * 3 / 4 * 4 - 3908;
  const int64_t i = j % 1461 / 4 * 5 + 308;
  const auto gd = static_cast<int32_t>(i % 153 / 5 + 1);
  const auto gm = static_cast<int32_t>(i / 153 % 12 + 1);
  const auto gy = static_cast<int32_t>(j / 1461 - 100100 + (8 - gm) / 6);
  return {gy, gm, gd};
}

SunDateRec SolarFromDayNumber(int32_t jdn) {
  const int32_t gy = GregorianFromDayNumber(jdn).year;
  int32_t year = gy - 621;
  const SolarYearInfo info = YearInfo(year);
  int32_t k = jdn - GregorianDayNumber(gy, 3, info.march);
  if (k >= 0) {
    if (k <= 185) return {k % 31 + 1, 1 + k / 31, year};
    k -= 186;
  } else {
    // Before Farvardin 1: the last months of the previous year.
    --year;
    k += 179;
    if (info.leap == 1) ++k;
  }
  return {k % 30 + 1, 7 + k / 30, year};
}

bool IsLeapGregorian(int32_t y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int32_t GregorianMonthLength(int32_t y, int32_t m) {
  static constexpr std::array<int32_t, 12> kLengths = {31, 28, 31, 30, 31, 30,
                                                       31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapGregorian(y) ? 29 : kLengths[m - 1];
}

int32_t SolarMonthLength(int32_t year, int32_t month) {
  return month == 12 && IsKabise(year) ? 30 : kMonthDays[month - 1];
}

// A decimal number of ASCII digits only. Values too large for int32_t read as its maximum, so
// an absurdly long day or month is still a number, only out of range.
bool ParseNumber(std::u16string_view text, int32_t& value) {
  if (text.empty()) return false;
  int64_t v = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    v = std::min<int64_t>(v * 10 + (c - u'0'), std::numeric_limits<int32_t>::max());
  }
  value = static_cast<int32_t>(v);
  return true;
}

// Writes n (0..9999) with at least `width` digits.
void AppendPadded(std::u16string& out, int32_t n, int width) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
    n /= 10;
  } while (n > 0);
  if (static_cast<int>(digits.size()) < width) out.append(width - digits.size(), u'0');
  out += digits;
}

void Report(CalendarErrors& errors, std::u16string_view message) {
  errors.ShowError(std::u16string(message));
}

// CheckDate's parse into a record; on success date is left untouched.
bool CheckDateRec(std::u16string_view date, SunDateRec& rec, CalendarErrors& errors) {
  using namespace calendar_messages;
  if (date.empty()) return false;
  // Year part: up to the first '/'; then the month part up to the next '/'; the rest is the
  // day part. A missing separator leaves an empty part, and the character that would have
  // been the separator is dropped.
  const std::size_t first = date.find(u'/');
  const std::u16string_view year_part =
      first == std::u16string_view::npos ? std::u16string_view() : date.substr(0, first);
  std::u16string_view rest = date.substr(std::min(date.size(), year_part.size() + 1));
  const std::size_t second = rest.find(u'/');
  const std::u16string_view month_part =
      second == std::u16string_view::npos ? std::u16string_view() : rest.substr(0, second);
  rest = rest.substr(std::min(rest.size(), month_part.size() + 1));
  const std::u16string_view day_part = rest;

  int32_t day = 0;
  int32_t month = 0;
  if (!ParseNumber(day_part, day) || !ParseNumber(month_part, month)) {
    Report(errors, kWrongDate);
    return false;
  }
  int32_t year = 0;
  bool year_ok;
  if (year_part.size() == 4) {
    year_ok = ParseNumber(year_part, year);
  } else {
    const std::u16string_view short_year =
        year_part.size() > 2 ? year_part.substr(year_part.size() - 2) : year_part;
    year_ok = ParseNumber(short_year, year);
    year += 1300;
  }
  if (!year_ok) {
    Report(errors, kWrongYear);
    return false;
  }
  if (month < 1 || month > 12) {
    Report(errors, kWrongMonth);
    return false;
  }
  if (month == 12 && day == 30 && !IsKabise(year)) {
    Report(errors, kEsfandLeapOnly);
    return false;
  }
  if (day <= 0 || (month <= 6 && day >= 32) || (month >= 7 && day >= 31)) {
    Report(errors, kWrongDay);
    return false;
  }
  rec = {day, month, year};
  return true;
}

// Whether rec lies between the two ends, both included, whichever end is earlier.
bool DateInRange(const SunDateRec& rec, SunDateRec a, SunDateRec b) {
  if (CompareDates(a, b) == 1) std::swap(a, b);
  return CompareDates(rec, a) != 2 && CompareDates(rec, b) != 1;
}

}  // namespace

std::u16string ToFarsiDate(const GregorianDate& date) {
  if (date.year < kMinGregorianYear || date.year > kMaxGregorianYear || date.month < 1 ||
      date.month > 12 || date.day < 1 || date.day > GregorianMonthLength(date.year, date.month)) {
    return {};
  }
  return DateRecToStr(SolarFromDayNumber(GregorianDayNumber(date.year, date.month, date.day)));
}

std::u16string ToFarsiDate(std::u16string_view eng_date) {
  const std::size_t first = eng_date.find(u'/');
  if (first == std::u16string_view::npos) return {};
  const std::size_t second = eng_date.find(u'/', first + 1);
  if (second == std::u16string_view::npos) return {};
  GregorianDate date{};
  if (!ParseNumber(eng_date.substr(0, first), date.year) ||
      !ParseNumber(eng_date.substr(first + 1, second - first - 1), date.month) ||
      !ParseNumber(eng_date.substr(second + 1), date.day)) {
    return {};
  }
  return ToFarsiDate(date);
}

bool IsKabise(int32_t sal) {
  if (sal < kMinSolarYear || sal > kMaxSolarYear) return false;
  return YearInfo(sal).leap == 0;
}

bool CheckDate(std::u16string& date, CalendarErrors& errors) {
  SunDateRec rec{};
  if (!CheckDateRec(date, rec, errors)) return false;
  date = DateRecToStr(rec);
  return true;
}

bool ParseNormalisedDate(std::u16string_view date, SunDateRec& rec) {
  if (date.size() != 10 || date[4] != u'/' || date[7] != u'/') return false;
  SunDateRec r{};
  if (!ParseNumber(date.substr(0, 4), r.year) || !ParseNumber(date.substr(5, 2), r.month) ||
      !ParseNumber(date.substr(8, 2), r.day)) {
    return false;
  }
  if (r.month < 1 || r.month > 12 || r.day < 1 || r.day > SolarMonthLength(r.year, r.month)) {
    return false;
  }
  rec = r;
  return true;
}

std::u16string DateRecToStr(const SunDateRec& rec) {
  std::u16string out;
  out.reserve(10);
  AppendPadded(out, rec.year, 4);
  out += u'/';
  AppendPadded(out, rec.month, 2);
  out += u'/';
  AppendPadded(out, rec.day, 2);
  return out;
}

int32_t SolarDayNumber(const SunDateRec& rec) {
  const SolarYearInfo info = YearInfo(rec.year);
  // Months 1-6 have 31 days, 7-11 have 30.
  const int32_t day_of_year = (rec.month - 1) * 31 - rec.month / 7 * (rec.month - 7) + rec.day - 1;
  return GregorianDayNumber(info.gregorian_year, 3, info.march) + day_of_year;
}

int CompareDates(const SunDateRec& a, const SunDateRec& b) {
  if (a == b) return 0;
  if (a.year != b.year) return a.year > b.year ? 1 : 2;
  if (a.month != b.month) return a.month > b.month ? 1 : 2;
  return a.day > b.day ? 1 : 2;
}

int32_t Dec(std::u16string_view date1, std::u16string_view date2, CalendarErrors& errors) {
  SunDateRec a{};
  SunDateRec b{};
  if (!CheckDateRec(date1, a, errors) || !CheckDateRec(date2, b, errors)) return -1;
  return SolarDayNumber(a) - SolarDayNumber(b);
}

int DayOfWeekIndex(std::u16string_view date, CalendarErrors& errors) {
  SunDateRec rec{};
  if (!CheckDateRec(date, rec, errors)) return 0;
  SunDateRec base{};
  ParseNormalisedDate(kWeekBaseDate, base);
  int k = (SolarDayNumber(rec) - SolarDayNumber(base)) % 7;
  if (k < 0) k += 7;
  return k;
}

std::u16string WhatDayIsIt(std::u16string_view t1, CalendarErrors& errors) {
  return std::u16string(kWeekDayNames[DayOfWeekIndex(t1, errors)]);
}

std::u16string StrTo10CharFormat(std::u16string_view s, CalendarErrors& errors) {
  if (s.size() < 5) {
    Report(errors, calendar_messages::kTooShort);
    return {};
  }
  std::u16string date(s);
  if (!CheckDate(date, errors)) return {};
  return date;
}

SunCalendar::SunCalendar(CalendarErrors& errors, const GregorianDate& today) : errors_(errors) {
  SetTodayFromClock(today);
}

void SunCalendar::SetTodayFromClock(const GregorianDate& today) {
  today_ = ToFarsiDate(today);
}

void SunCalendar::SetToday(std::u16string_view value) {
  std::u16string date(value);
  if (CheckDate(date)) today_ = std::move(date);
}

bool SunCalendar::IsOffDay(std::u16string_view date) const {
  std::u16string normalised(date);
  if (!CheckDate(normalised)) return false;
  if (DayOfWeekIndex(normalised, errors_) == kFriday) return true;
  return std::find(off_days_.begin(), off_days_.end(), normalised) != off_days_.end();
}

int32_t SunCalendar::WorkDays(std::u16string_view date1, std::u16string_view date2) const {
  SunDateRec a{};
  SunDateRec b{};
  if (!CheckDateRec(date1, a, errors_) || !CheckDateRec(date2, b, errors_)) return -1;
  int32_t off = 0;
  for (const std::u16string& entry : off_days_) {
    SunDateRec rec{};
    if (ParseNormalisedDate(entry, rec) && DateInRange(rec, a, b)) ++off;
  }
  return SolarDayNumber(a) - SolarDayNumber(b) - off;
}

int32_t SunCalendar::Intersect(std::u16string_view date1, std::u16string_view date2,
                               std::u16string_view date3, std::u16string_view date4,
                               std::u16string& date5, std::u16string& date6) const {
  SunDateRec a{}, b{}, c{}, d{};
  if (!CheckDateRec(date1, a, errors_) || !CheckDateRec(date2, b, errors_) ||
      !CheckDateRec(date3, c, errors_) || !CheckDateRec(date4, d, errors_)) {
    return -1;
  }
  if (CompareDates(a, b) == 1) std::swap(a, b);
  if (CompareDates(c, d) == 1) std::swap(c, d);
  const SunDateRec start = CompareDates(a, c) == 1 ? a : c;
  SunDateRec end = CompareDates(b, d) == 2 ? b : d;
  if (CompareDates(start, end) == 1) end = start;
  date5 = DateRecToStr(start);
  date6 = DateRecToStr(end);
  return SolarDayNumber(start) - SolarDayNumber(end);
}

}  // namespace ravak
