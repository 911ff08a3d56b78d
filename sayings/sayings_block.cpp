#include "sayings/sayings_block.h"

#include <bit>
#include <cmath>
#include <optional>

namespace ravak {

namespace {

// A bounds-checked little-endian cursor over the block. Every read fails rather than go past
// the end.
class BlockReader {
 public:
  explicit BlockReader(std::span<const uint8_t> data) : data_(data) {}

  bool AtEnd() const { return pos_ == data_.size(); }
  std::size_t Remaining() const { return data_.size() - pos_; }

  bool Bytes(std::size_t count, std::span<const uint8_t>& out) {
    if (count > Remaining()) return false;
    out = data_.subspan(pos_, count);
    pos_ += count;
    return true;
  }
  bool Skip(std::size_t count) {
    std::span<const uint8_t> ignored;
    return Bytes(count, ignored);
  }
  bool U8(uint8_t& v) {
    std::span<const uint8_t> b;
    if (!Bytes(1, b)) return false;
    v = b[0];
    return true;
  }
  bool U64(uint64_t& v) {
    std::span<const uint8_t> b;
    if (!Bytes(8, b)) return false;
    v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | b[i];
    return true;
  }
  bool I32(int32_t& v) {
    std::span<const uint8_t> b;
    if (!Bytes(4, b)) return false;
    v = static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                             static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
    return true;
  }
  bool I16(int16_t& v) {
    std::span<const uint8_t> b;
    if (!Bytes(2, b)) return false;
    v = static_cast<int16_t>(static_cast<uint16_t>(b[0] | b[1] << 8));
    return true;
  }

 private:
  std::span<const uint8_t> data_;
  std::size_t pos_ = 0;
};

struct Descriptor {
  bool is_name;  // the table's Name field; values of other fields are skipped
};

bool IsNameField(std::span<const uint8_t> name) {
  // The stored name includes its terminating zero; field names match without regard to case.
  static constexpr std::string_view kName = "NAME";
  std::size_t length = 0;
  while (length < name.size() && name[length] != 0) ++length;
  if (length != kName.size()) return false;
  for (std::size_t i = 0; i < length; ++i) {
    const uint8_t c = name[i] >= 'a' && name[i] <= 'z' ? name[i] - ('a' - 'A') : name[i];
    if (c != static_cast<uint8_t>(kName[i])) return false;
  }
  return true;
}

// Reads the header; nullopt when it is not this format.
std::optional<std::vector<Descriptor>> ReadHeader(BlockReader& in) {
  std::span<const uint8_t> signature;
  uint64_t version_bits = 0;
  int32_t count = 0;
  if (!in.Bytes(3, signature) || signature[0] != 'V' || signature[1] != 'e' ||
      signature[2] != 'r' || !in.U64(version_bits) || !in.I32(count) || count < 0) {
    return std::nullopt;
  }
  // The string value layout below belongs to version 1.905 and later.
  const double version = std::bit_cast<double>(version_bits);
  if (!(version >= 1.905) || std::isinf(version)) return std::nullopt;
  std::vector<Descriptor> descriptors;
  for (int32_t i = 0; i < count; ++i) {
    int32_t size = 0;
    int16_t type = 0;
    int16_t name_length = 0;
    std::span<const uint8_t> name;
    if (!in.I32(size) || !in.I16(type) || !in.I16(name_length) || name_length < 0 ||
        name_length > 255 || !in.Bytes(static_cast<std::size_t>(name_length), name)) {
      return std::nullopt;
    }
    // Only string fields are known; another type's values could not even be skipped.
    if (type != kFieldTypeWideString) return std::nullopt;
    descriptors.push_back({IsNameField(name)});
  }
  return descriptors;
}

// One string value. False when the block ends inside it or its length is impossible.
bool ReadStringValue(BlockReader& in, bool keep, std::u16string& text) {
  uint8_t flag = 0;
  if (!in.U8(flag)) return false;
  text.clear();
  if (flag != 1) return true;
  int32_t length = 0;
  if (!in.I32(length) || length < 0) return false;
  const auto units = static_cast<std::size_t>(length);
  if (units > in.Remaining() / 2) return false;
  std::span<const uint8_t> bytes;
  in.Bytes(units * 2, bytes);
  if (!keep) return true;
  const std::size_t kept = std::min<std::size_t>(units, kSayingFieldSize);
  text.resize(kept);
  for (std::size_t i = 0; i < kept; ++i) {
    text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  }
  return true;
}

}  // namespace

SayingsBlockContents ReadSayingsBlock(std::span<const uint8_t> block) {
  SayingsBlockContents result;
  BlockReader in(block);
  const std::optional<std::vector<Descriptor>> descriptors = ReadHeader(in);
  if (!descriptors) {
    result.error = kDataIncorrect;
    return result;
  }
  // A table without fields has records of no bytes at all: there is nothing to read.
  if (descriptors->empty()) return result;
  std::u16string value;
  while (!in.AtEnd()) {
    std::u16string name;
    for (const Descriptor& d : *descriptors) {
      if (!ReadStringValue(in, d.is_name, value)) return result;
      if (d.is_name) name = value;
    }
    result.sayings.push_back(std::move(name));
  }
  return result;
}

}  // namespace ravak
