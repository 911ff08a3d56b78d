// UTF-8 <-> UTF-16 conversion for the program's edges (command line, files, test reports).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ravak {

// Strict UTF-8 decoding: overlong forms, surrogate code points, values above U+10FFFF and
// truncated sequences are rejected. On failure, *bad_offset (if given) is the byte offset of
// the first invalid sequence.
std::optional<std::u16string> Utf8ToUtf16(std::string_view in, std::size_t* bad_offset = nullptr);

// Encodes UTF-16; a lone surrogate is written as U+FFFD so the output is always valid UTF-8.
std::string Utf16ToUtf8(std::u16string_view in);

}  // namespace ravak
