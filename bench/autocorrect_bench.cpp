// Per-key cost of the auto-correct engine with lists of 10 and 10,000 entries: keyword lookup
// through the list's index against the linear scan of every row (the baseline, measured in the
// same run). The keys typed never complete a keyword, which is what almost every key does. And
// the import of a CSV file of 10,000 rows.
#include <benchmark/benchmark.h>

#include <string>

#include "autocorrect/autocorrect_csv.h"
#include "autocorrect/autocorrect_engine.h"
#include "tests/fakes/fake_system.h"

namespace ravak {
namespace {

class StillForeground : public TypingTargetQuery {
 public:
  uint32_t ForegroundLayout() override { return 0x0409; }
  bool FocusIsPassword() override { return false; }
};

// Keywords of 2 to 6 characters, letters and digits, none of them typed below.
AutoCorrectList MakeList(int64_t rows) {
  AutoCorrectList list;
  for (int64_t i = 0; i < rows; ++i) {
    const std::string n = std::to_string(i);
    const std::string keyword = std::string(1, static_cast<char>('a' + i % 26)) + n;
    list.Append({u"after", u"before", std::u16string(keyword.begin(), keyword.end())});
  }
  return list;
}

void BM_AutoCorrectKeyDown(benchmark::State& state) {
  const AutoCorrectList list = MakeList(state.range(0));
  const auto lookup = state.range(1) ? KeywordLookup::kLinearScan : KeywordLookup::kIndexed;
  testing::Log log;
  testing::FakeKeyboard keyboard(log);
  testing::FakePump pump(log);
  testing::FakeClipboard clipboard(log);
  testing::FakeKeyHold hold(log);  // nothing is held: no key acts
  SyntheticInput input(keyboard, pump, hold, [] { return false; });
  ClipboardText text(clipboard, pump);
  StillForeground foreground;
  TypedRecord record;
  AutoCorrectEngine engine(list, input, text, foreground, record, lookup);
  const AutoCorrectSwitches switches{true, true};
  // Words of up to 10 letters separated by spaces.
  const std::string typed = "the quick brown fox jumps over the lazy dog and keeps typing ";
  std::size_t i = 0;
  for (auto _ : state) {
    const char c = typed[i];
    const auto key = static_cast<uint8_t>(c == ' ' ? 32 : c - 'a' + 'A');
    const UserInput input_key{UserInput::Kind::kKey, UserKey{KeyStroke{key, 0, false, false}, 0}};
    benchmark::DoNotOptimize(engine.OnInput(switches, input_key, false).Acts());
    i = (i + 1) % typed.size();
  }
  if (!log.empty()) state.SkipWithError("a key completed a keyword");
  state.SetLabel(lookup == KeywordLookup::kIndexed ? "indexed" : "linear scan");
}

// A CSV file of 10,000 rows imported into an empty list: read and checked whole, the first
// 3,000 (the list's limit) added with their keywords indexed, the rest reported.
void BM_ImportCsv10000Rows(benchmark::State& state) {
  std::string csv = "\xEF\xBB\xBFkeyword,before,after\r\n";
  for (int i = 0; i < 10000; ++i) {
    csv += "k" + std::to_string(i) + ",\"Dear " + std::to_string(i) +
           ", \"\"hello\"\"\",سلام دوست عزیز\r\n";
  }
  for (auto _ : state) {
    AutoCorrectList list;
    const CsvImport result = ImportCsv(csv, list);
    benchmark::DoNotOptimize(result.added);
    if (result.added != MaxAutoCorrectRows()) state.SkipWithError("rows not added");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * csv.size()));
}
BENCHMARK(BM_ImportCsv10000Rows)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_AutoCorrectKeyDown)
    ->ArgNames({"entries", "linear"})
    ->Args({10, 0})
    ->Args({10000, 0})
    ->Args({10, 1})
    ->Args({10000, 1});

}  // namespace
}  // namespace ravak
