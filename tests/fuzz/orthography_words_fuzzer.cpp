// libFuzzer target for the packed orthography word lists' reader: any bytes must give the lists
// or nullopt, never a read past the bytes, and lists it gives answer lookups. Built and run by
// tools/fuzz.sh.
#include <cstdint>
#include <cstdlib>

#include "orthography/persian_orthography.h"

namespace ravak {
// The carried lists are not linked in here.
std::span<const uint8_t> OrthographyWordsImage() {
  return {};
}
}  // namespace ravak

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const auto words = ravak::OrthographyWords::Unpack({data, size});
  if (words && words->Contains(ravak::OrthographyWords::kCompounds, u"")) std::abort();
  return 0;
}
