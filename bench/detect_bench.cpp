// Cost of one wrong-layout decision (LayoutDetector::ShouldSwitch) on words of everyday length,
// typed in the right layout and in the wrong one, in both languages, each judged after the one
// before it as the words of a field are.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "convert/layout_map.h"
#include "detect/layout_detector.h"

namespace ravak {
namespace {

struct Word {
  std::u16string text;
  Language typed;
};

std::vector<Word> Words() {
  const Language en = Language::English, fa = Language::Farsi;
  return {
      {u"hello", en},         {u"the", en},       {u"keyboard", en}, {u"don't", en},
      {u"(sghl)", en},        {u"hsj", en},       {u"o,fd", en},     {u";,];", en},
      {u"سلام", fa},          {u"است", fa},       {u"کتابخانه", fa}, {u"«می»", fa},
      {u"اثممخ", fa},         {u"صخقمی", fa},     {u"یخدگف", fa},    {u"رشد", fa},
      {u"international", en}, {u"بینالمللی", fa}, {u"x86", en},      {u"a", en},
  };
}

void BM_ShouldSwitch(benchmark::State& state) {
  LayoutMap map;
  map.ApplyKeyboardType(1);
  const LayoutDetector detector(map);
  const std::vector<Word> words = Words();
  for (auto _ : state) {
    WordContext field;
    for (const Word& w : words) {
      const bool switched = detector.ShouldSwitch(w.text, w.typed, field);
      field = detector.ContextAfter(field, w.text, w.typed, switched);
      benchmark::DoNotOptimize(field);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * words.size()));
  state.counters["ns_per_decision"] =
      benchmark::Counter(static_cast<double>(state.iterations() * words.size()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ShouldSwitch);

}  // namespace
}  // namespace ravak
