// Cost of fixing one line of about 100 characters (FixOrthography), as typed with the usual
// mistakes and as already correct, of the ZWNJ fixes alone on a converted run, and of the
// judgement made as each word is typed (FixEndedWord) at the end of such a line.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "orthography/as_you_type.h"
#include "orthography/persian_orthography.h"
#include "platform/utf.h"

namespace ravak {
namespace {

std::vector<std::u16string> Lines() {
  std::vector<std::u16string> lines;
  // The last line is already correct ("\u200c" is the ZWNJ).
  for (const char* line : {
           "کتاب ها را می خواهم ، ولی نمیتوانم همه را بخوانم . "
           "فایل های ذخیره سازی شده 10 تا بود و هست",
           "تنظیمات پیش فرض نرم افزار را در صفحه 12 ببینید؛"
           "Windows 10 و ساعت 10:30 را هم ببینید و بروید",
           "كتاب هاي قديمي ايـــن  كتابخانه   را در سال 1402 "
           "به روز كرده اند و خانهها زيباترند و بهتر",
           "کتاب\u200cها را می\u200cخواهم، ولی نمی\u200cتوانم همه را بخوانم. "
           "فایل\u200cهای ذخیره\u200cسازی\u200cشده ۱۰ تا است و بود",
       }) {
    lines.push_back(*Utf8ToUtf16(line));
  }
  return lines;
}

void BM_FixLine(benchmark::State& state) {
  const std::vector<std::u16string> lines = Lines();
  OrthographyWords::Embedded();  // unpacked once, before timing
  std::size_t chars = 0;
  for (const auto& l : lines) chars += l.size();
  for (auto _ : state) {
    for (const auto& l : lines) benchmark::DoNotOptimize(FixOrthography(l));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines.size()));
  state.counters["chars_per_line"] = static_cast<double>(chars) / lines.size();
  state.counters["ns_per_line"] =
      benchmark::Counter(static_cast<double>(state.iterations() * lines.size()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FixLine);

void BM_FixNonJoinersOnConvertedRun(benchmark::State& state) {
  const std::u16string run = *Utf8ToUtf16("می روم و کتاب ها را می خوانم");
  OrthographyWords::Embedded();
  for (auto _ : state) benchmark::DoNotOptimize(FixNonJoiners(run));
}
BENCHMARK(BM_FixNonJoinersOnConvertedRun);

// The word just ended: one that takes a ZWNJ after می, one after a silent ه, one with none.
void BM_FixEndedWord(benchmark::State& state) {
  static const char* const kEnds[] = {" می خواهم", " خانه ای", " خواندم"};
  const std::u16string before =
      *Utf8ToUtf16(std::string("کتاب\u200cها را می\u200cخواهم، ولی نمی\u200cتوانم همه را بخوانم. "
                               "فایل\u200cهای ذخیره\u200cسازی\u200cشده ۱۰ تا است و") +
                   kEnds[state.range(0)]);
  OrthographyWords::Embedded();
  for (auto _ : state) benchmark::DoNotOptimize(FixEndedWord(before));
}
BENCHMARK(BM_FixEndedWord)->DenseRange(0, 2);

// Unpacking the embedded word lists, which the first fix pays once.
void BM_UnpackWords(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(OrthographyWords::Unpack(OrthographyWordsImage()));
}
BENCHMARK(BM_UnpackWords);

}  // namespace
}  // namespace ravak
