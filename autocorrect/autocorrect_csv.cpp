#include "autocorrect/autocorrect_csv.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/utf.h"
#include "settings/settings_store.h"

namespace ravak {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// What an export writes above the rows, and what an import takes for such a first line.
const std::vector<std::u16string> kHeader = {u"keyword", u"before", u"after"};
const std::vector<std::u16string> kCaptionHeader = {u"کلید واژه", u"قبل از نشانه گر",
                                                    u"بعد از نشانه گر"};
// The most problems a dialog lists line by line.
constexpr std::size_t kListedProblems = 20;
// The longest text a line of the stored list keeps.
constexpr std::size_t kMaxTextUnits = kMaxStoredValueBytes / sizeof(char16_t) - 1;

// A number in Persian digits, for the dialogs' Persian text.
std::u16string Number(std::size_t n) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'\u06F0' + n % 10));
    n /= 10;
  } while (n > 0);
  return digits;
}

// The texts of the dialogs: why a line is not taken, and what an import or export did. %s is
// filled in. (Kept whole: clang-format would break Persian text at its spaces.)
// clang-format off
namespace reason {
const std::u16string kNotUtf8 = u"پرونده متن UTF-8 نیست (سطر %s)؛ آن را با قالب «CSV UTF-8» ذخیره کنید";
const std::u16string kUtf16 = u"پرونده متن UTF-16 است؛ آن را با قالب «CSV UTF-8» ذخیره کنید";
const std::u16string kNotText = u"پرونده متنی نیست";
const std::u16string kUnclosedQuote = u"نقل‌قولی که در این سطر باز شده بسته نشده است؛ سطرهای پس از آن خوانده نشد";
const std::u16string kTextAfterQuote = u"پس از نقل‌قولِ بسته، پیش از ویرگول نوشته‌ای آمده است";
const std::u16string kColumns = u"سطر باید سه ستون داشته باشد: کلید واژه، قبل از نشانه گر، بعد از نشانه گر";
const std::u16string kNoKeyword = u"کلید واژه خالی است";
const std::u16string kKeywordTooLong = u"کلید واژه بیش از %s نویسه دارد";
const std::u16string kKeywordCharacters = u"کلید واژه فقط نویسه‌های صفحه کلید انگلیسی را، بدون فاصله، می‌گیرد";
const std::u16string kNoText = u"قبل و بعد از نشانه گر هر دو خالی است";
const std::u16string kTextTooLong = u"متن بیش از %s نویسه دارد";
const std::u16string kListFull = u"فهرست بیش از %s مورد یا %s مگابایت متن نمی‌گیرد؛ ";
const std::u16string kNothingFromHere = u"درون‌ریزی از این سطر به بعد چیزی نمی‌افزاید";
const std::u16string kLineNotAdded = u"این سطر افزوده نشد";
const std::u16string kLinesNotAdded = u"این سطر و %s سطر پس از آن افزوده نشد";
const std::u16string kDuplicate = u"کلید واژه‌اش در سطر %s هم آمده و درون‌ریزی آن را کنار می‌گذارد";
}  // namespace reason
namespace report {
const std::u16string kNothingAdded = u"چیزی افزوده نشد: %s.";
const std::u16string kAdded = u"%s مورد افزوده شد.";
const std::u16string kSkipped = u"%s مورد که کلید واژه‌اش در فهرست بود کنار گذاشته شد.";
const std::u16string kNotRead = u"این سطرها خوانده نشد:";
const std::u16string kWritten = u"%s مورد در پرونده نوشته شد.";
const std::u16string kNotBack = u"این سطرهای پرونده در درون‌ریزی به فهرست برنمی‌گردند:";
const std::u16string kLine = u"سطر %s: ";
const std::u16string kMore = u"و %s سطر دیگر.";
}  // namespace report
// clang-format on

// text with its first %s replaced by value.
std::u16string Fill(std::u16string text, const std::u16string& value) {
  const std::size_t at = text.find(u"%s");
  if (at != std::u16string::npos) text.replace(at, 2, value);
  return text;
}

// later: the rows of the file after this one, none of which is added either; nothing: the
// line of an export, which an import would stop at.
std::u16string ListFull(std::optional<std::size_t> later) {
  const std::u16string full = Fill(Fill(reason::kListFull, Number(MaxAutoCorrectRows())),
                                   Number(SettingsSection::kMaxListBytes / (1024 * 1024)));
  if (!later) return full + reason::kNothingFromHere;
  if (*later == 0) return full + reason::kLineNotAdded;
  return full + Fill(reason::kLinesNotAdded, Number(*later));
}

// The line breaks in text, CRLF, CR and LF each counting one.
std::size_t LineBreaks(std::u16string_view text) {
  std::size_t breaks = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' || (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')))
      ++breaks;
  }
  return breaks;
}

bool IsLineBreak(char16_t c) {
  return c == u'\r' || c == u'\n';
}

// Reads RFC 4180 records from text.
class CsvReader {
 public:
  explicit CsvReader(std::u16string_view text) : text_(text) {}

  void Read(CsvContents& out) {
    while (i_ < text_.size()) {
      CsvRecord record{line_, {}};
      std::optional<std::u16string> problem = ReadRecord(record.fields);
      if (problem) {
        out.problems.push_back({record.line, std::move(*problem)});
      } else {
        out.records.push_back(std::move(record));
      }
    }
  }

 private:
  // One line break at i_, if there is one.
  void SkipLineBreak() {
    if (i_ >= text_.size() || !IsLineBreak(text_[i_])) return;
    if (text_[i_] == u'\r' && i_ + 1 < text_.size() && text_[i_ + 1] == u'\n') ++i_;
    ++i_;
    ++line_;
  }

  std::optional<std::u16string> ReadRecord(std::vector<std::u16string>& fields) {
    for (;;) {
      std::u16string field;
      if (i_ < text_.size() && text_[i_] == u'"') {
        if (!ReadQuoted(field)) {
          i_ = text_.size();  // all that follows is inside the quote
          return reason::kUnclosedQuote;
        }
        if (i_ < text_.size() && text_[i_] != u',' && !IsLineBreak(text_[i_])) {
          while (i_ < text_.size() && !IsLineBreak(text_[i_])) ++i_;
          SkipLineBreak();
          return reason::kTextAfterQuote;
        }
      } else {
        // Unquoted: up to the next comma or line break; a quotation mark inside is kept.
        const std::size_t end = std::min(text_.find_first_of(u",\r\n", i_), text_.size());
        field.assign(text_.substr(i_, end - i_));
        i_ = end;
      }
      fields.push_back(std::move(field));
      if (i_ < text_.size() && text_[i_] == u',') {
        ++i_;
        if (i_ == text_.size()) fields.emplace_back();  // a comma ends the file: an empty field
        if (i_ < text_.size()) continue;
      }
      SkipLineBreak();
      return std::nullopt;
    }
  }

  // A quoted field from its opening quote at i_; false when it is never closed. Line breaks
  // inside it are kept as written.
  bool ReadQuoted(std::u16string& field) {
    ++i_;
    while (i_ < text_.size()) {
      const char16_t c = text_[i_];
      if (c == u'"') {
        if (i_ + 1 < text_.size() && text_[i_ + 1] == u'"') {
          field += u'"';
          i_ += 2;
          continue;
        }
        ++i_;
        return true;
      }
      if (c == u'\n' || (c == u'\r' && (i_ + 1 >= text_.size() || text_[i_ + 1] != u'\n'))) ++line_;
      field += c;
      ++i_;
    }
    return false;
  }

  std::u16string_view text_;
  std::size_t i_ = 0;
  std::size_t line_ = 1;
};

bool SameHeader(const std::vector<std::u16string>& fields,
                const std::vector<std::u16string>& header) {
  if (fields.size() != header.size()) return false;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::u16string f = fields[i];
    const std::size_t first = f.find_first_not_of(u' ');
    const std::size_t last = f.find_last_not_of(u' ');
    f = first == std::u16string::npos ? u"" : f.substr(first, last - first + 1);
    for (char16_t& c : f) {
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    if (f != header[i]) return false;
  }
  return true;
}

bool AllEmpty(const std::vector<std::u16string>& fields) {
  return std::all_of(fields.begin(), fields.end(), [](const auto& f) { return f.empty(); });
}

// The entry of a record, or why it cannot be one. Two columns leave the after text empty; more
// than three are taken only when the others are empty (a spreadsheet's trailing commas).
std::optional<std::u16string> EntryOf(const CsvRecord& record, AutoCorrectEntry& entry) {
  const std::vector<std::u16string>& f = record.fields;
  if (f.size() < 2 || !std::all_of(f.begin() + std::min<std::ptrdiff_t>(3, f.size()), f.end(),
                                   [](const auto& x) { return x.empty(); })) {
    return reason::kColumns;
  }
  entry = {f.size() > 2 ? f[2] : u"", f[1], f[0]};
  return RowProblem(entry);
}

}  // namespace

std::size_t MaxAutoCorrectRows() {
  return static_cast<std::size_t>(SettingsSection::kMaxListCount) / 3;
}

CsvContents ReadCsv(std::string_view bytes) {
  CsvContents out;
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    out.refused = reason::kUtf16;
    return out;
  }
  if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
  if (bytes.find('\0') != std::string_view::npos) {
    out.refused = reason::kNotText;
    return out;
  }
  std::size_t bad = 0;
  const std::optional<std::u16string> text = Utf8ToUtf16(bytes, &bad);
  if (!text) {
    // The line of the first byte that is not UTF-8: the bytes before it are.
    const std::u16string head = Utf8ToUtf16(bytes.substr(0, bad)).value_or(u"");
    out.refused = Fill(reason::kNotUtf8, Number(1 + LineBreaks(head)));
    return out;
  }
  CsvReader(*text).Read(out);
  return out;
}

std::string CsvLine(const std::vector<std::u16string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    const std::string field = Utf16ToUtf8(fields[i]);
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
      line += field;
      continue;
    }
    line += '"';
    for (const char c : field) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  return line + "\r\n";
}

std::optional<std::u16string> RowProblem(const AutoCorrectEntry& entry) {
  if (entry.keyword.empty()) return reason::kNoKeyword;
  if (entry.keyword.size() > kMaxKeywordLength) {
    return Fill(reason::kKeywordTooLong, Number(kMaxKeywordLength));
  }
  if (!IsTypeableKeyword(entry.keyword)) return reason::kKeywordCharacters;
  if (entry.before.empty() && entry.after.empty()) return reason::kNoText;
  if (entry.before.size() > kMaxTextUnits || entry.after.size() > kMaxTextUnits) {
    return Fill(reason::kTextTooLong, Number(kMaxTextUnits));
  }
  return std::nullopt;
}

namespace {

std::size_t StoredRowSize(const AutoCorrectEntry& entry) {
  return StoredTextSize(entry.after.size()) + StoredTextSize(entry.before.size()) +
         StoredTextSize(entry.keyword.size());
}

}  // namespace

CsvImport ImportCsv(std::string_view bytes, AutoCorrectList& list) {
  CsvImport result;
  CsvContents csv = ReadCsv(bytes);
  if (!csv.refused.empty()) {
    result.refused = std::move(csv.refused);
    return result;
  }
  result.problems = std::move(csv.problems);
  std::size_t stored = 0;
  for (const AutoCorrectEntry& row : list.Rows()) stored += StoredRowSize(row);

  std::vector<CsvRecord>& records = csv.records;
  std::size_t first = 0;
  if (!records.empty() && records[0].line == 1 &&
      (SameHeader(records[0].fields, kHeader) || SameHeader(records[0].fields, kCaptionHeader))) {
    first = 1;
  }
  for (std::size_t r = first; r < records.size(); ++r) {
    const CsvRecord& record = records[r];
    if (AllEmpty(record.fields)) continue;  // a blank line
    AutoCorrectEntry entry;
    if (std::optional<std::u16string> problem = EntryOf(record, entry)) {
      result.problems.push_back({record.line, std::move(*problem)});
      continue;
    }
    if (list.Find(entry.keyword) >= 0) {
      ++result.skipped;
      continue;
    }
    const std::size_t size = StoredRowSize(entry);
    if (list.Size() >= MaxAutoCorrectRows() || stored + size > SettingsSection::kMaxListBytes) {
      std::size_t later = 0;
      for (std::size_t k = r + 1; k < records.size(); ++k) later += !AllEmpty(records[k].fields);
      result.problems.push_back({record.line, ListFull(later)});
      break;
    }
    stored += size;
    list.Append(std::move(entry));
    ++result.added;
  }
  std::stable_sort(result.problems.begin(), result.problems.end(),
                   [](const CsvProblem& a, const CsvProblem& b) { return a.line < b.line; });
  return result;
}

CsvExport ExportCsv(const AutoCorrectList& list) {
  CsvExport out;
  out.bytes = std::string(kUtf8Mark) + CsvLine(kHeader);
  std::size_t line = 2;  // the header is line 1
  std::size_t stored = 0;
  std::vector<std::size_t> line_of_keyword;  // by row: the first line with the same keyword
  for (std::size_t i = 0; i < list.Size(); ++i) {
    const AutoCorrectEntry& row = list.Row(i);
    out.bytes += CsvLine({row.keyword, row.before, row.after});
    std::optional<std::u16string> problem = RowProblem(row);
    const int32_t first = list.Find(row.keyword);
    if (!problem && first >= 0 && static_cast<std::size_t>(first) < i) {
      problem = Fill(reason::kDuplicate, Number(line_of_keyword[static_cast<std::size_t>(first)]));
    }
    stored += StoredRowSize(row);
    if (!problem && (i >= MaxAutoCorrectRows() || stored > SettingsSection::kMaxListBytes)) {
      problem = ListFull(std::nullopt);
    }
    if (problem) out.problems.push_back({line, std::move(*problem)});
    line_of_keyword.push_back(line);
    line += 1 + LineBreaks(row.keyword) + LineBreaks(row.before) + LineBreaks(row.after);
    ++out.rows;
  }
  return out;
}

namespace {

void ListProblems(const std::vector<CsvProblem>& problems, std::u16string& text) {
  const std::size_t listed = std::min(problems.size(), kListedProblems);
  for (std::size_t i = 0; i < listed; ++i) {
    text += u"\r\n" + Fill(report::kLine, Number(problems[i].line)) + problems[i].reason;
  }
  if (problems.size() > listed) {
    text += u"\r\n" + Fill(report::kMore, Number(problems.size() - listed));
  }
}

}  // namespace

std::u16string DescribeImport(const CsvImport& import) {
  if (!import.refused.empty()) return Fill(report::kNothingAdded, import.refused);
  std::u16string text = Fill(report::kAdded, Number(import.added));
  if (import.skipped > 0) text += u"\r\n" + Fill(report::kSkipped, Number(import.skipped));
  if (!import.problems.empty()) {
    text += u"\r\n\r\n" + report::kNotRead;
    ListProblems(import.problems, text);
  }
  return text;
}

std::u16string DescribeExport(const CsvExport& exported) {
  std::u16string text = Fill(report::kWritten, Number(exported.rows));
  if (!exported.problems.empty()) {
    text += u"\r\n\r\n" + report::kNotBack;
    ListProblems(exported.problems, text);
  }
  return text;
}

}  // namespace ravak
