// Reading the carried sayings block: the stored form of a memory table with one UTF-16 string
// field, Name, of 600 characters.
//
// Layout (all integers little-endian):
//   "Ver"                     3 bytes, signature
//   version                   IEEE 754 double; this layout belongs to 1.905 and later
//   descriptor count          int32
//   per descriptor:           size int32, type code int16 (20 = UTF-16 string),
//                             name length int16 (with the terminating zero, at most 255), name
//   records, to the end:      one value per descriptor; for a string: a flag byte, and when it
//                             is 1 a length L (int32, UTF-16 code units) and 2 * L bytes
//
// The reader trusts nothing in the block: it never reads past its end, and a length is only
// used once the bytes it announces are there.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ravak {

inline constexpr int32_t kSayingFieldSize = 600;  // characters kept of each Name value
inline constexpr int16_t kFieldTypeWideString = 20;
inline constexpr double kSayingsBlockVersion = 1.91;
inline constexpr std::string_view kDataIncorrect = "The data is incorrect";

struct SayingsBlockContents {
  // The Name value of every complete record, in block order (empty for a record whose value is
  // absent or that has no Name field).
  std::vector<std::u16string> sayings;
  // Empty, or kDataIncorrect when the header cannot be read as this format (wrong signature or
  // version, an impossible descriptor). sayings is then empty.
  std::string error;
};

// Reads every record of the block. A block that ends inside a record, or whose record holds an
// impossible length, gives the records before it.
SayingsBlockContents ReadSayingsBlock(std::span<const uint8_t> block);

// The block carried inside the program (built from sayings/sayings.txt).
std::span<const uint8_t> CarriedSayingsBlock();

}  // namespace ravak
