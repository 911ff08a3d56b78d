// The auto-correct list as a CSV file, to bring a list in from another tool or machine and take
// it out again. The file is UTF-8 text (a byte-order mark is accepted, and written, as
// spreadsheets expect one) in the form of RFC 4180: fields separated by commas, a field holding
// a comma, a quotation mark or a line break quoted, a quotation mark inside doubled. One entry a
// line, with the columns keyword, before text, after text; the first line may name them
// (keyword,before,after, as an export writes it, or the list view's captions).
//
// An import adds the entries whose keyword is not yet in the list, within the list's limits
// (keywords the engine can type, the row count and the text the settings store keeps); every
// line it cannot take is reported with its number and the reason, and nothing at all is taken
// from a file that is not UTF-8 text. An export of a list imported into an empty list gives the
// same list, and the export reports the rows an import would not take back.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "autocorrect/autocorrect_list.h"

namespace ravak {

// The most entries a list keeps: the settings store writes three lines an entry.
std::size_t MaxAutoCorrectRows();

// Why an entry cannot be a row of the list as the engine and the settings store take one: a
// keyword the engine cannot type, no text, a text longer than a stored line; nothing when it can.
std::optional<std::u16string> RowProblem(const AutoCorrectEntry& entry);

// One line of a file that could not be taken (1 is the first line).
struct CsvProblem {
  std::size_t line = 0;
  std::u16string reason;
  bool operator==(const CsvProblem&) const = default;
};

// The records of a CSV text: each with the line it starts on and its fields.
struct CsvRecord {
  std::size_t line = 0;
  std::vector<std::u16string> fields;
};
struct CsvContents {
  std::vector<CsvRecord> records;
  std::vector<CsvProblem> problems;  // lines that hold no readable record
  std::u16string refused;            // not empty: the bytes are not UTF-8 text, and why
};
CsvContents ReadCsv(std::string_view bytes);

// One record, quoted where it needs to be, ended by CRLF.
std::string CsvLine(const std::vector<std::u16string>& fields);

struct CsvImport {
  std::size_t added = 0;
  std::size_t skipped = 0;  // their keyword was in the list already
  std::vector<CsvProblem> problems;
  std::u16string refused;  // the file was not read at all
};
// Appends the file's entries to the list.
CsvImport ImportCsv(std::string_view bytes, AutoCorrectList& list);

struct CsvExport {
  std::string bytes;
  std::size_t rows = 0;
  // Lines of the file an import would not take back (every row is written).
  std::vector<CsvProblem> problems;
};
CsvExport ExportCsv(const AutoCorrectList& list);

// The texts of the dialogs that end an import and an export.
std::u16string DescribeImport(const CsvImport& import);
std::u16string DescribeExport(const CsvExport& exported);

}  // namespace ravak
