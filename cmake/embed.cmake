# Turns a file into a C++ source that carries its bytes.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DNAMESPACE=ravak -DFUNCTION=KerrakImage -DHEADER=x.h -P embed.cmake
# The function returns std::span<const uint8_t> over exactly the file's bytes.
foreach(var INPUT OUTPUT NAMESPACE FUNCTION HEADER)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "embed.cmake: ${var} is not set")
  endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
if(size EQUAL 0)
  message(FATAL_ERROR "embed.cmake: ${INPUT} is empty")
endif()
# Sixteen bytes a line.
set(bytes "")
set(offset 0)
while(offset LESS hex_length)
  string(SUBSTRING "${hex}" ${offset} 32 chunk)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," chunk "${chunk}")
  string(APPEND bytes "    ${chunk}\n")
  math(EXPR offset "${offset} + 32")
endwhile()

file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUT} by cmake/embed.cmake. Do not edit.
#include \"${HEADER}\"

namespace ${NAMESPACE} {
namespace {
constexpr uint8_t kBytes[${size}] = {
${bytes}};
}  // namespace

std::span<const uint8_t> ${FUNCTION}() {
  return {kBytes, sizeof kBytes};
}

}  // namespace ${NAMESPACE}
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
