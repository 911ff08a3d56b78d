#include "autocorrect/text_variables.h"

#include <optional>
#include <vector>

#include "orthography/persian_orthography.h"

namespace ravak {

namespace {

enum class Variable { kDate, kWeekday, kGregorianDate, kTime, kClipboard };

struct VariableName {
  std::u16string_view name;
  Variable variable;
};
constexpr VariableName kVariableNames[] = {
    {u"date", Variable::kDate},           {u"weekday", Variable::kWeekday},
    {u"gdate", Variable::kGregorianDate}, {u"time", Variable::kTime},
    {u"clipboard", Variable::kClipboard},
};

constexpr std::u16string_view kOpen = u"{{";
constexpr std::u16string_view kClose = u"}}";
constexpr std::u16string_view kEscapedOpen = u"{{{{";

// The values of one filling, each read from its source at its first use.
class Values {
 public:
  explicit Values(const VariableSources& sources) : sources_(sources) {}

  // nullopt: no value (a clock outside the calendar's years); the variable stays as written.
  std::optional<std::u16string> Of(Variable variable) {
    switch (variable) {
      case Variable::kDate:
        return SolarDate();
      case Variable::kWeekday: {
        const std::optional<std::u16string> date = SolarDate();
        if (!date) return std::nullopt;
        SilentCalendarErrors errors;
        // The calendar's names keep the Arabic yeh and kaf of the sayings card; text typed for
        // the user is written as the orthography fix writes Persian.
        return FixOrthography(WhatDayIsIt(*date, errors));
      }
      case Variable::kGregorianDate: {
        const GregorianDate& d = Now().date;
        return Number(d.year, 4) + u"-" + Number(d.month, 2) + u"-" + Number(d.day, 2);
      }
      case Variable::kTime:
        return Number(Now().hour, 2) + u":" + Number(Now().minute, 2);
      case Variable::kClipboard:
        if (!clipboard_) clipboard_ = sources_.clipboard ? sources_.clipboard() : u"";
        return *clipboard_;
    }
    return std::nullopt;
  }

 private:
  const LocalDateTime& Now() {
    if (!now_) now_ = sources_.now ? sources_.now() : LocalDateTime{};
    return *now_;
  }

  std::optional<std::u16string> SolarDate() {
    const std::u16string date = ToFarsiDate(Now().date);
    if (date.empty()) return std::nullopt;
    return date;
  }

  // value in decimal, at least width digits.
  static std::u16string Number(int32_t value, std::size_t width) {
    std::u16string digits;
    for (uint32_t v = value < 0 ? 0u : static_cast<uint32_t>(value); v > 0 || digits.empty();
         v /= 10) {
      digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
    }
    if (digits.size() < width) digits.insert(0, width - digits.size(), u'0');
    return digits;
  }

  const VariableSources& sources_;
  std::optional<LocalDateTime> now_;
  std::optional<std::u16string> clipboard_;
};

// A text cut into what stays as written and the values put in for its variables.
struct Piece {
  std::u16string text;
  bool numeric = false;  // a date or a time, whose digits follow the text around it
};

std::optional<Variable> VariableNamed(std::u16string_view name) {
  for (const VariableName& v : kVariableNames) {
    if (v.name == name) return v.variable;
  }
  return std::nullopt;
}

void Cut(std::u16string_view text, Values& values, std::vector<Piece>& pieces) {
  std::u16string literal;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.substr(i, kEscapedOpen.size()) == kEscapedOpen) {
      literal += kOpen;
      i += kEscapedOpen.size();
      continue;
    }
    if (text.substr(i, kOpen.size()) == kOpen) {
      const std::size_t close = text.find(kClose, i + kOpen.size());
      std::optional<std::u16string> value;
      bool numeric = false;  // a date or a time, whose digits follow the text around it
      if (close != std::u16string_view::npos) {
        const std::u16string_view name = text.substr(i + kOpen.size(), close - i - kOpen.size());
        if (const std::optional<Variable> variable = VariableNamed(name)) {
          value = values.Of(*variable);
          numeric = *variable == Variable::kDate || *variable == Variable::kGregorianDate ||
                    *variable == Variable::kTime;
        }
      }
      if (!value) {
        // Not a variable: the braces stay, and what follows them is read on.
        literal += kOpen;
        i += kOpen.size();
        continue;
      }
      pieces.push_back({std::move(literal), false});
      literal.clear();
      pieces.push_back({std::move(*value), numeric});
      i = close + kClose.size();
      continue;
    }
    literal += text[i++];
  }
  pieces.push_back({std::move(literal), false});
}

std::u16string Join(const std::vector<Piece>& pieces, std::size_t from, std::size_t to) {
  std::u16string out;
  for (std::size_t i = from; i < to; ++i) out += pieces[i].text;
  return out;
}

}  // namespace

bool MayHoldVariables(std::u16string_view text) {
  return text.find(kOpen) != std::u16string_view::npos;
}

AutoCorrectEntry FillVariables(const AutoCorrectEntry& entry, const VariableSources& sources) {
  if (!MayHoldVariables(entry.before) && !MayHoldVariables(entry.after)) return entry;
  Values values(sources);
  // The before and after texts read as one text, the caret between them.
  std::vector<Piece> pieces;
  Cut(entry.before, values, pieces);
  const std::size_t after_from = pieces.size();
  Cut(entry.after, values, pieces);

  // Every number is judged with the others as they were made, then written.
  std::vector<bool> persian(pieces.size());
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    persian[i] = pieces[i].numeric &&
                 NumberReadsPersian(Join(pieces, 0, i), Join(pieces, i + 1, pieces.size()));
  }
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (!persian[i]) continue;
    for (char16_t& c : pieces[i].text) {
      if (c >= u'0' && c <= u'9') c = static_cast<char16_t>(u'\u06F0' + (c - u'0'));
    }
  }
  return {Join(pieces, after_from, pieces.size()), Join(pieces, 0, after_from), entry.keyword};
}

}  // namespace ravak
