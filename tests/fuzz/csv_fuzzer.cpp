// libFuzzer target for the auto-correct list's CSV import: any bytes must give a list within its
// limits, or the file refused with nothing added; every problem names a line of the file, and a
// list that was imported exports and imports back as itself. Built and run by tools/fuzz.sh.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "autocorrect/autocorrect_csv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ravak::AutoCorrectList list;
  const ravak::CsvImport result = ravak::ImportCsv(bytes, list);
  if (!result.refused.empty() && (list.Size() != 0 || !result.problems.empty())) std::abort();
  if (list.Size() != result.added || list.Size() > ravak::MaxAutoCorrectRows()) std::abort();
  const std::size_t lines = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n') +
                                                     std::count(bytes.begin(), bytes.end(), '\r'));
  for (const ravak::CsvProblem& p : result.problems) {
    if (p.line == 0 || p.line > lines + 1) std::abort();
  }
  for (const ravak::AutoCorrectEntry& row : list.Rows()) {
    if (ravak::RowProblem(row)) std::abort();
  }
  ravak::AutoCorrectList back;
  const ravak::CsvExport exported = ravak::ExportCsv(list);
  if (!exported.problems.empty()) std::abort();
  if (ravak::ImportCsv(exported.bytes, back).added != list.Size() || back.Rows() != list.Rows()) {
    std::abort();
  }
  return 0;
}
