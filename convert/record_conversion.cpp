#include "convert/record_conversion.h"

#include <memory>
#include <vector>

#include "typing/key_text.h"

namespace ravak {

namespace {

// An entry in the other layout: English letters by the tables; Persian ones back to what their
// key types on the Latin layout when a key typed them, else by the tables.
char16_t Convert(const TypedRecord::Entry& e, bool to_farsi, const LayoutMap& map) {
  if (to_farsi) {
    const int i = map.LookupChar(e.shown, Table::English);
    return i < kLayoutSize ? map.FarsiChars()[static_cast<std::size_t>(i)] : e.shown;
  }
  const int i = map.LookupChar(e.shown, Table::Farsi);
  if (i >= kLayoutSize) return e.shown;
  return e.key != 0 && e.key != u'\r' ? e.key : map.EnglishChars()[static_cast<std::size_t>(i)];
}

// The caret's line as far as it is known: the field's text before the record's part of the line
// (empty when the record holds the line break before it), then the record's entries.
struct KnownLine {
  std::optional<std::u16string> before;  // nothing: what lies before the record is unknown
  std::vector<TypedRecord::Entry> entries;
  std::size_t first_entry = 0;  // of the record, where the line's part begins
};

std::optional<KnownLine> LineOf(const TypedRecord& record,
                                const std::optional<std::u16string>& field_line) {
  KnownLine line;
  line.first_entry = record.LineStart();
  const std::u16string typed = record.Shown(line.first_entry);
  if (field_line) {
    // The field must show what the record says was typed (all of its line, when the record
    // holds the line break before it), or the record is wrong about this field.
    if (field_line->size() < typed.size() ||
        field_line->compare(field_line->size() - typed.size(), typed.size(), typed) != 0 ||
        (record.LineStartKnown() && field_line->size() != typed.size())) {
      return std::nullopt;
    }
    line.before = field_line->substr(0, field_line->size() - typed.size());
  } else if (record.LineStartKnown()) {
    line.before = u"";
  }
  for (const char16_t c : line.before.value_or(u"")) line.entries.push_back({0, c});
  for (std::size_t i = line.first_entry; i < record.Entries().size(); ++i)
    line.entries.push_back(record.Entries()[i]);
  return line;
}

std::u16string ShownOf(const std::vector<TypedRecord::Entry>& entries, std::size_t begin) {
  std::u16string text;
  for (std::size_t i = begin; i < entries.size(); ++i) text += entries[i].shown;
  return text;
}

// Replaces the line's entries from begin on with text, erasing back only to the first character
// that changes (the rest keeps its place and, in a rich editor, its format).
RecordConversion Replace(const TypedRecord& record, const KnownLine& line, std::size_t begin,
                         std::u16string text) {
  const std::size_t same = SharedStart(ShownOf(line.entries, begin), text);
  begin += same;
  text.erase(0, same);
  const std::size_t before = line.before ? line.before->size() : 0;
  RecordConversion c;
  c.entries = record.Entries().size() - line.first_entry - (begin > before ? begin - before : 0);
  c.backspaces = CaretSteps(ShownOf(line.entries, begin));
  c.text = std::move(text);
  return c;
}

}  // namespace

std::optional<RecordConversion> ConvertRecordRun(const TypedRecord& record, const LayoutMap& map,
                                                 const std::optional<std::u16string>& field_line) {
  const std::optional<KnownLine> line = LineOf(record, field_line);
  if (!line) return std::nullopt;
  const LayoutRun run = map.DetectLayoutRun(ShownOf(line->entries, 0));
  // Where the line begins is unknown: the run must begin inside the record.
  if (!line->before && run.start == 1) return std::nullopt;
  const std::size_t begin = run.start - 1;
  std::u16string text;
  for (std::size_t i = begin; i < line->entries.size(); ++i)
    text += Convert(line->entries[i], run.language == Language::English, map);
  return Replace(record, *line, begin, std::move(text));
}

std::optional<RecordConversion> ConvertRecordWord(const TypedRecord& record, const LayoutMap& map,
                                                  const std::optional<std::u16string>& field_line) {
  const std::optional<KnownLine> line = LineOf(record, field_line);
  if (!line) return std::nullopt;
  const auto& entries = line->entries;
  std::size_t begin = entries.size();
  while (begin > 0 && entries[begin - 1].shown == u' ') --begin;
  while (begin > 0 && entries[begin - 1].shown != u' ') --begin;
  if (begin == 0 && !line->before) return std::nullopt;
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
  return Replace(record, *line, begin, std::move(text));
}

std::optional<RecordConversion> FixRecordLine(
    const TypedRecord& record, const std::function<std::u16string(const std::u16string&)>& fix) {
  const std::u16string typed = record.Shown(record.LineStart());
  std::u16string fixed = fix(typed);
  if (fixed == typed) return std::nullopt;
  const std::size_t same = SharedStart(typed, fixed);
  RecordConversion c;
  c.entries = typed.size() - same;
  c.backspaces = CaretSteps(typed.substr(same));
  c.text = fixed.substr(same);
  return c;
}

void KeepRecord(KeyStream& keys, TypedRecord& record, TypingLayouts& layouts) {
  auto window = std::make_shared<WindowId>(0);
  keys.AddObserver([&record, &layouts, window](const UserInput& input, const KeyVerdict& verdict) {
    if (verdict.swallow) return;
    // The window and its layout as the key came: it belongs there, whatever is in front now.
    if (input.window != *window || verdict.before) record.End();
    *window = input.window;
    if (verdict.before) return;
    record.Input(input, [&](const UserKey& key) -> std::optional<TypedRecord::Entry> {
      // What the key typed in that window's layout; a third layout's characters are not known.
      const std::optional<TypingLayouts::KeyReading> typed =
          layouts.Read(key, layouts.RoleOf(input.layout));
      if (!typed) return std::nullopt;
      return TypedRecord::Entry{typed->latin, typed->shown};
    });
  });
}

}  // namespace ravak
