#include "autocorrect/autocorrect_csv.h"

#include <gtest/gtest.h>

#include <string>

namespace ravak {
namespace {

using Fields = std::vector<std::u16string>;

std::vector<std::size_t> Lines(const std::vector<CsvProblem>& problems) {
  std::vector<std::size_t> lines;
  for (const CsvProblem& p : problems) lines.push_back(p.line);
  return lines;
}

TEST(ReadCsvTest, QuotesLineBreaksAndBadLinesWithTheirNumbers) {
  const CsvContents csv = ReadCsv(
      "\xEF\xBB\xBF"                                    // a spreadsheet's byte-order mark
      "a,b,c\r\n"                                       // line 1
      "\"x, y\",\"say \"\"hi\"\"\",\"two\r\nlines\"\n"  // lines 2-3, LF only after it
      "plain \"quote\",,\r"              // line 4: a quote inside an unquoted field; a lone CR
      "\"closed\"late,x,y\r\n"           // line 5: text after a closing quote
      "سلام,,\r\n"                       // line 6
      "last,\"open\r\nnever closed\n");  // line 7: the quote runs to the end
  ASSERT_TRUE(csv.refused.empty());
  ASSERT_EQ(csv.records.size(), 4u);
  EXPECT_EQ(csv.records[0].fields, (Fields{u"a", u"b", u"c"}));
  EXPECT_EQ(csv.records[1].fields, (Fields{u"x, y", u"say \"hi\"", u"two\r\nlines"}));
  EXPECT_EQ(csv.records[2].fields, (Fields{u"plain \"quote\"", u"", u""}));
  EXPECT_EQ(csv.records[3].fields, (Fields{u"سلام", u"", u""}));
  EXPECT_EQ(csv.records[1].line, 2u);
  EXPECT_EQ(csv.records[2].line, 4u);
  EXPECT_EQ(csv.records[3].line, 6u);
  EXPECT_EQ(Lines(csv.problems), (std::vector<std::size_t>{5, 7}));
  // A comma that ends the file still ends a field.
  EXPECT_EQ(ReadCsv("k,v,").records[0].fields, (Fields{u"k", u"v", u""}));
}

TEST(ReadCsvTest, BytesThatAreNotUtf8TextAreRefusedWhole) {
  EXPECT_FALSE(ReadCsv("\xFF\xFEk\0,\0").refused.empty());  // UTF-16
  EXPECT_FALSE(ReadCsv(std::string("k,a\0b,c", 7)).refused.empty());
  const CsvContents cp1256 = ReadCsv("a,b,c\r\nd,e,f\r\nk,\xD3\xE1\xC7\xE3,\r\n");
  EXPECT_TRUE(cp1256.records.empty());
  EXPECT_NE(cp1256.refused.find(u"۳"), std::u16string::npos);  // the line of the bad byte
}

TEST(ImportCsvTest, AddsNewKeywordsAndReportsEveryLineItCannotTake) {
  AutoCorrectList list;
  list.Append({u"", u"by the way", u"btw"});
  const CsvImport result = ImportCsv(
      "keyword,before,after\r\n"  // a first line naming the columns is no entry
      "sig,Best regards,\r\n"
      "btw,skipped: in the list,\r\n"
      "sig,skipped: earlier in the file,\r\n"
      "two,columns\r\n"
      ",,\r\n"  // a blank row of a spreadsheet
      "one column\r\n"
      "four,a,b,c\r\n"
      "toolongkeyword,x,\r\n"
      "سلام,x,\r\n"
      "a b,x,\r\n"
      "empty,,\r\n"
      ",no keyword,\r\n"
      "trail,a,b,,\r\n",
      list);
  EXPECT_TRUE(result.refused.empty());
  EXPECT_EQ(result.added, 3u);
  EXPECT_EQ(result.skipped, 2u);
  EXPECT_EQ(Lines(result.problems), (std::vector<std::size_t>{7, 8, 9, 10, 11, 12, 13}));
  EXPECT_EQ(list.Row(1), (AutoCorrectEntry{u"", u"Best regards", u"sig"}));
  EXPECT_EQ(list.Row(2), (AutoCorrectEntry{u"", u"columns", u"two"}));
  EXPECT_EQ(list.Row(3), (AutoCorrectEntry{u"b", u"a", u"trail"}));
  const std::u16string text = DescribeImport(result);
  EXPECT_EQ(text.substr(0, 16), u"۳ مورد افزوده شد");
  EXPECT_NE(text.find(u"سطر ۱۳: "), std::u16string::npos);
  // A file that is not text adds nothing.
  EXPECT_FALSE(ImportCsv(std::string("\x89PNG\r\n\x1A\n\0\0", 10), list).refused.empty());
  EXPECT_EQ(list.Size(), 4u);
}

TEST(ImportCsvTest, RowsPastTheListsLimitAreReportedNotCut) {
  AutoCorrectList list;
  for (std::size_t i = 0; i + 1 < MaxAutoCorrectRows(); ++i) {
    const std::string keyword = "k" + std::to_string(i);
    list.Append({u"", u"x", std::u16string(keyword.begin(), keyword.end())});
  }
  const CsvImport result = ImportCsv("new1,a,\r\nnew2,b,\r\n\r\nnew3,c,\r\n", list);
  EXPECT_EQ(result.added, 1u);
  ASSERT_EQ(result.problems.size(), 1u);
  EXPECT_EQ(result.problems[0].line, 2u);
  EXPECT_NE(result.problems[0].reason.find(u"این سطر و ۱ سطر"), std::u16string::npos);
  EXPECT_EQ(list.Size(), MaxAutoCorrectRows());
  // A text longer than a stored line holds.
  AutoCorrectList empty;
  const std::string huge(40000, 'x');
  EXPECT_EQ(ImportCsv("k," + huge + ",\r\n", empty).problems.size(), 1u);
}

TEST(ExportCsvTest, ImportedIntoAnEmptyListGivesTheSameListAndTheSameBytes) {
  AutoCorrectList list;
  list.Append({u"</b>", u"<b>", u"b"});
  list.Append({u"", u"a, \"quoted\" text", u"q\""});
  list.Append({u"\r\nبا احترام", u"سلام {{date}}", u"slm"});
  list.Append({u"after only", u"", u","});
  const CsvExport exported = ExportCsv(list);
  EXPECT_TRUE(exported.problems.empty());
  EXPECT_EQ(exported.rows, 4u);
  EXPECT_EQ(exported.bytes.substr(0, 31),
            "\xEF\xBB\xBF"
            "keyword,before,after\r\nb,<b>,");
  AutoCorrectList back;
  const CsvImport result = ImportCsv(exported.bytes, back);
  EXPECT_EQ(result.added, 4u);
  EXPECT_TRUE(result.problems.empty());
  EXPECT_EQ(back.Rows(), list.Rows());
  EXPECT_EQ(ExportCsv(back).bytes, exported.bytes);

  // Rows an import would not take back are written, and reported by their line in the file.
  list.Append({u"", u"second", u"b"});
  list.Append({u"", u"x", u"longer than ten"});
  EXPECT_EQ(Lines(ExportCsv(list).problems), (std::vector<std::size_t>{7, 8}));
}

}  // namespace
}  // namespace ravak
