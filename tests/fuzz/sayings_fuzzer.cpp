// libFuzzer target for the sayings block reader: any bytes must give a list or the format
// error, within the block's bounds and the field size. Built and run by tools/fuzz.sh.
#include <cstdint>
#include <cstdlib>

#include "sayings/sayings_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const ravak::SayingsBlockContents read = ravak::ReadSayingsBlock({data, size});
  if (!read.error.empty() && (read.error != ravak::kDataIncorrect || !read.sayings.empty())) {
    std::abort();
  }
  std::size_t units = 0;
  for (const std::u16string& s : read.sayings) {
    if (s.size() > static_cast<std::size_t>(ravak::kSayingFieldSize)) std::abort();
    units += s.size();
  }
  // Every record takes at least its flag byte, and every kept unit two bytes.
  if (read.sayings.size() + 2 * units > size) std::abort();
  return 0;
}
