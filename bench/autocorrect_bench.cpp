// Per-key cost of the auto-correct engine with lists of 10 and 10,000 entries: keyword lookup
// through the list's index against the linear scan of every row (the baseline, measured in the
// same run). The keys typed never complete a keyword, which is what almost every key does.
#include <benchmark/benchmark.h>

#include <string>

#include "autocorrect/autocorrect_engine.h"
#include "tests/fakes/fake_system.h"

namespace ravak {
namespace {

class StillForeground : public ForegroundWindowQuery {
 public:
  WindowId ForegroundWindow() override { return 1; }
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
  testing::FakeKeyHold hold(log);
  SyntheticInput input(keyboard, pump, hold, [] { return false; });
  ClipboardText text(clipboard, pump);
  StillForeground foreground;
  AutoCorrectEngine engine(list, input, text, foreground, lookup);
  const AutoCorrectSwitches switches{true, true};
  // Words of up to 10 letters separated by spaces.
  const std::string typed = "the quick brown fox jumps over the lazy dog and keeps typing ";
  std::size_t i = 0;
  for (auto _ : state) {
    const char c = typed[i];
    const uint16_t key = c == ' ' ? 32 : static_cast<uint16_t>(c - 'a' + 'A');
    benchmark::DoNotOptimize(engine.KeyDown(switches, key, ShiftState{}));
    i = (i + 1) % typed.size();
  }
  if (!log.empty()) state.SkipWithError("a key completed a keyword");
  state.SetLabel(lookup == KeywordLookup::kIndexed ? "indexed" : "linear scan");
}

BENCHMARK(BM_AutoCorrectKeyDown)
    ->ArgNames({"entries", "linear"})
    ->Args({10, 0})
    ->Args({10000, 0})
    ->Args({10, 1})
    ->Args({10000, 1});

}  // namespace
}  // namespace ravak
