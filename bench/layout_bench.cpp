// ConvertTrailingRun throughput on 1 MiB lines, against a straight linear scan of the two
// tables (the baseline, measured in the same run); and what reading one typed key costs the
// typing path (its layout's part, then its character).
#include <benchmark/benchmark.h>

#include <span>
#include <string>
#include <vector>

#include "convert/layout_map.h"
#include "convert/typing_layouts.h"
#include "keyboard/builtin_layouts.h"
#include "tests/fakes/fake_keyboard_layouts.h"

namespace ravak {
namespace {

int NaiveLookup(std::span<const char16_t> table, char16_t c) {
  for (int i = 0; i < static_cast<int>(table.size()); ++i) {
    if (table[i] == c) return i;
  }
  return kNotFound;
}

std::u16string NaiveConvert(const LayoutMap& map, const std::u16string& text) {
  const auto& en = map.EnglishChars();
  const auto& fa = map.FarsiChars();
  std::size_t start = 0;
  bool have = false;
  Language current = Language::Farsi;
  for (std::size_t i = text.size(); i-- > 0;) {
    const int e = NaiveLookup(en, text[i]);
    const int f = NaiveLookup(fa, text[i]);
    const Language lang = e < f ? Language::English : Language::Farsi;
    const int k = e < f ? e : f;
    if (k == kNotFound || !map.Decides(k, e < f ? Table::English : Table::Farsi)) continue;
    if (!have) {
      have = true;
      current = lang;
    } else if (lang != current) {
      start = i + 1;
      break;
    }
  }
  std::u16string out(text);
  const bool english = current == Language::English;
  for (std::size_t i = start; i < out.size(); ++i) {
    const int k = NaiveLookup(english ? en : fa, out[i]);
    if (k != kNotFound) out[i] = english ? fa[k] : en[k];
  }
  return out;
}

constexpr std::size_t kLineUnits = 512 * 1024;  // 1 MiB of UTF-16

// One long English-layout run: letters, digits, punctuation and spaces (the whole line converts).
std::u16string EnglishRunLine() {
  const std::u16string words = u"sghl, (hello) 123 world? [dfg] ~x; ";
  std::u16string line;
  while (line.size() < kLineUnits) line += words;
  line.resize(kLineUnits);
  return line;
}

// A mixed line: an English head, then one long Persian run that mixes letters with digits,
// Persian and Latin punctuation, brackets and spaces (the detection walks the whole line).
std::u16string MixedLine() {
  const std::u16string words = u"سلام ۱۲۳ «دنیا»، (جهان) گفت: ژاله؟ ";
  std::u16string line = u"hello ";
  while (line.size() < kLineUnits) line += words;
  line.resize(kLineUnits);
  return line;
}

// English and Persian words alternating: the trailing run is a single word, so both versions
// only copy the line.
std::u16string AlternatingLine() {
  const std::u16string words = u"سلام hello ";
  std::u16string line;
  while (line.size() < kLineUnits) line += words;
  line.resize(kLineUnits - 5);
  line += u" سلام";
  return line;
}

void RunBench(benchmark::State& state, const std::u16string& line, bool naive) {
  LayoutMap map;
  map.ApplyKeyboardType(1);
  for (auto _ : state) {
    std::u16string out = naive ? NaiveConvert(map, line) : map.ConvertTrailingRun(line);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * line.size() * 2));
}

void BM_Convert_EnglishRun(benchmark::State& s) {
  RunBench(s, EnglishRunLine(), false);
}
void BM_Naive_EnglishRun(benchmark::State& s) {
  RunBench(s, EnglishRunLine(), true);
}
void BM_Convert_MixedLine(benchmark::State& s) {
  RunBench(s, MixedLine(), false);
}
void BM_Naive_MixedLine(benchmark::State& s) {
  RunBench(s, MixedLine(), true);
}
void BM_Convert_Alternating(benchmark::State& s) {
  RunBench(s, AlternatingLine(), false);
}
void BM_Naive_Alternating(benchmark::State& s) {
  RunBench(s, AlternatingLine(), true);
}
// A key typed on Persian (Standard), with US and Arabic installed beside it, as the record of
// typed keys reads each key.
void BM_ReadKey(benchmark::State& state) {
  testing::FakeInstalledLayouts system;
  system.Install(*BuiltinLayout(kUsLayout));
  system.Install(*BuiltinLayout(0x00000401));
  const auto standard =
      static_cast<uint32_t>(system.Install(*BuiltinLayout(kPersianStandardLayout)));
  LayoutMap map;
  TypingLayouts layouts(system, map);
  layouts.Refresh();
  std::vector<UserKey> keys;
  for (const LayoutKey& key : map.Persian().keys)
    keys.push_back({{key.vk, key.scan, false, false}});
  std::size_t i = 0;
  for (auto _ : state) {
    auto reading = layouts.Read(keys[i], layouts.RoleOf(standard));
    benchmark::DoNotOptimize(reading);
    i = i + 1 == keys.size() ? 0 : i + 1;
  }
}

BENCHMARK(BM_Convert_EnglishRun)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Naive_EnglishRun)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Convert_MixedLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Naive_MixedLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Convert_Alternating)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Naive_Alternating)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadKey);

}  // namespace
}  // namespace ravak
