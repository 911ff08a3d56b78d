#include "convert/record_conversion.h"

#include <memory>

#include "typing/key_text.h"

namespace ravak {

namespace {

// An entry in the other layout: English letters by the tables; Persian ones back to the key
// that typed them when one did, else by the tables.
char16_t Convert(const TypedRecord::Entry& e, bool to_farsi, const LayoutMap& map) {
  if (to_farsi) {
    const int i = map.LookupChar(e.shown, Table::English);
    return i < kLayoutSize ? map.FarsiChars()[static_cast<std::size_t>(i)] : e.shown;
  }
  const int i = map.LookupChar(e.shown, Table::Farsi);
  if (i >= kLayoutSize) return e.shown;
  return e.key != 0 && e.key != u'\r' ? e.key : map.EnglishChars()[static_cast<std::size_t>(i)];
}

RecordConversion Replace(const TypedRecord& record, std::size_t begin, std::u16string text) {
  RecordConversion c;
  c.entries = record.Entries().size() - begin;
  c.backspaces = CaretSteps(record.Shown(begin));
  c.text = std::move(text);
  return c;
}

}  // namespace

std::optional<RecordConversion> ConvertRecordRun(const TypedRecord& record, const LayoutMap& map,
                                                 bool line_start_known) {
  const std::size_t line = record.LineStart();
  const std::u16string shown = record.Shown(line);
  const LayoutRun run = map.DetectLayoutRun(shown);
  const bool whole_line = run.start == 1;
  if (whole_line && !record.LineStartKnown() && !line_start_known) return std::nullopt;
  const std::size_t begin = line + run.start - 1;
  std::u16string text;
  for (std::size_t i = begin; i < record.Entries().size(); ++i)
    text += Convert(record.Entries()[i], run.language == Language::English, map);
  return Replace(record, begin, std::move(text));
}

std::optional<RecordConversion> ConvertRecordWord(const TypedRecord& record, const LayoutMap& map,
                                                  bool line_start_known) {
  const auto& entries = record.Entries();
  std::size_t begin = entries.size();
  while (begin > 0 && entries[begin - 1].shown == u' ') --begin;
  while (begin > 0 && entries[begin - 1].shown != u' ' && entries[begin - 1].shown != u'\r')
    --begin;
  if (begin == 0 && !line_start_known) return std::nullopt;
  // A character in one table only belongs to that layout; letters decide the rest.
  int english = 0, farsi = 0;
  for (std::size_t i = begin; i < entries.size(); ++i) {
    const bool in_english = map.LookupChar(entries[i].shown, Table::English) != kNotFound;
    const bool in_farsi = map.LookupChar(entries[i].shown, Table::Farsi) != kNotFound;
    english += in_english && !in_farsi;
    farsi += in_farsi && !in_english;
  }
  std::u16string text;
  for (std::size_t i = begin; i < entries.size(); ++i) {
    const TypedRecord::Entry& e = entries[i];
    const bool in_english = map.LookupChar(e.shown, Table::English) != kNotFound;
    const bool in_farsi = map.LookupChar(e.shown, Table::Farsi) != kNotFound;
    text += Convert(e, in_english && (!in_farsi || farsi <= english), map);
  }
  return Replace(record, begin, std::move(text));
}

void KeepRecord(KeyStream& keys, TypedRecord& record, const LayoutMap& map,
                ForegroundWindowQuery& foreground, TypingTargetQuery& target) {
  constexpr uint16_t kEnglish = 0x09, kPersian = 0x29;  // LANG_ENGLISH, LANG_PERSIAN
  auto window = std::make_shared<WindowId>(0);
  keys.AddObserver([&record, &map, &foreground, &target, window](const UserInput& input,
                                                                 const KeyVerdict& verdict) {
    if (verdict.swallow) return;
    const WindowId now = foreground.ForegroundWindow();
    if (now != *window || verdict.before) record.End();
    *window = now;
    if (verdict.before) return;
    record.Input(input, [&](char16_t key) -> std::optional<char16_t> {
      const uint16_t language = target.ForegroundLanguage() & 0x3FF;
      if (language == kEnglish) return key;
      if (language != kPersian) return std::nullopt;
      if (key == u' ') return key;
      const int i = map.LookupChar(key, Table::English);
      if (i >= kLayoutSize) return std::nullopt;  // digits and the like: not in the tables
      return map.FarsiChars()[static_cast<std::size_t>(i)];
    });
  });
}

}  // namespace ravak
