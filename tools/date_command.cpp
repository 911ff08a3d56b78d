#include <ctime>
#include <ostream>
#include <string>

#include "platform/utf.h"
#include "sayings/calendar.h"
#include "tools/commands.h"

namespace ravak::tool {

namespace {

bool ParseDigits(const std::string& s, std::size_t from, std::size_t count, int32_t& value) {
  value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

// YYYY-MM-DD, a real Gregorian date.
bool ParseIsoDate(const std::string& s, GregorianDate& date) {
  return s.size() == 10 && s[4] == '-' && s[7] == '-' && ParseDigits(s, 0, 4, date.year) &&
         ParseDigits(s, 5, 2, date.month) && ParseDigits(s, 8, 2, date.day) &&
         !ToFarsiDate(date).empty();
}

GregorianDate LocalToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace

int DateCommand(const Args& args, std::istream&, std::ostream& out, std::ostream& err) {
  GregorianDate date{};
  if (args.empty()) {
    date = LocalToday();
  } else if (args.size() > 1 || !ParseIsoDate(args[0], date)) {
    err << "usage: ravak-tool date [YYYY-MM-DD]   (a Gregorian date such as 2026-12-09)\n";
    return 2;
  }
  SilentCalendarErrors errors;
  const SunCalendar calendar(errors, date);
  if (calendar.Today().empty()) {
    err << "ravak-tool: date: today's date is outside the calendar's range\n";
    return 2;
  }
  out << Utf16ToUtf8(calendar.Today()) << ' ' << Utf16ToUtf8(calendar.WhatDayIsIt(calendar.Today()))
      << '\n';
  out.flush();
  return 0;
}

}  // namespace ravak::tool
