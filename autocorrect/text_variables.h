// Variables in the before and after texts of an auto-correct entry, filled in when its keyword
// fires. The list keeps the texts as written, so a version of Ravak without variables types
// them as they stand.
//
//   {{date}}       today's Solar Hijri date, 1405/09/19
//   {{weekday}}    its Persian weekday, چهارشنبه
//   {{gdate}}      the Gregorian date, 2026-12-10
//   {{time}}       the time on a 24-hour clock, 14:05
//   {{clipboard}}  the clipboard's text at that moment
//
// {{{{ writes {{ (so {{{{date}} writes {{date}}); a {{...}} of any other kind, or one never
// closed, stays as written. The digits of a date or a time are Persian where the text around it
// reads as Persian, by the rule of the orthography fix (ساعت {{time}} gives ساعت ۱۴:۰۵);
// elsewhere, and in a text of no letters, they are Latin.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "autocorrect/autocorrect_list.h"
#include "sayings/calendar.h"

namespace ravak {

struct LocalDateTime {
  GregorianDate date;
  int32_t hour = 0;    // 0..23
  int32_t minute = 0;  // 0..59
};

// Where the values come from. Each is asked at most once for one entry, and only when a text
// holds its variable. clipboard may raise Error (a clipboard another program holds): the entry
// is then not filled.
struct VariableSources {
  std::function<LocalDateTime()> now;
  std::function<std::u16string()> clipboard;
};

// Whether filling could change text: it holds {{.
bool MayHoldVariables(std::u16string_view text);

// The entry with the variables of its before and after texts filled in; the keyword as it is.
AutoCorrectEntry FillVariables(const AutoCorrectEntry& entry, const VariableSources& sources);

}  // namespace ravak
