#include "typing/key_text.h"

#include <array>

namespace ravak {

namespace {

struct KeyRow {
  uint8_t key;
  char16_t unshifted;
  char16_t shifted;
};

// The US keyboard, row by row, keyed first by the code of each key's unshifted character (the
// capital for letters), then by the virtual-key codes of the punctuation keys.
constexpr std::array<KeyRow, 58> kKeyTable = {{
    {96, u'`', u'~'},  {49, u'1', u'!'},  {50, u'2', u'@'},   {51, u'3', u'#'},  {52, u'4', u'$'},
    {53, u'5', u'%'},  {54, u'6', u'^'},  {55, u'7', u'&'},   {56, u'8', u'*'},  {57, u'9', u'('},
    {48, u'0', u')'},  {45, u'-', u'_'},  {61, u'=', u'+'},   {81, u'q', u'Q'},  {87, u'w', u'W'},
    {69, u'e', u'E'},  {82, u'r', u'R'},  {84, u't', u'T'},   {89, u'y', u'Y'},  {85, u'u', u'U'},
    {73, u'i', u'I'},  {79, u'o', u'O'},  {80, u'p', u'P'},   {91, u'[', u'{'},  {93, u']', u'}'},
    {92, u'\\', u'|'}, {65, u'a', u'A'},  {83, u's', u'S'},   {68, u'd', u'D'},  {70, u'f', u'F'},
    {71, u'g', u'G'},  {72, u'h', u'H'},  {74, u'j', u'J'},   {75, u'k', u'K'},  {76, u'l', u'L'},
    {59, u';', u':'},  {39, u'\'', u'"'}, {90, u'z', u'Z'},   {88, u'x', u'X'},  {67, u'c', u'C'},
    {86, u'v', u'V'},  {66, u'b', u'B'},  {78, u'n', u'N'},   {77, u'm', u'M'},  {44, u',', u'<'},
    {46, u'.', u'>'},  {47, u'/', u'?'},  {192, u'`', u'~'},  {189, u'-', u'_'}, {187, u'=', u'+'},
    {219, u'[', u'{'}, {221, u']', u'}'}, {220, u'\\', u'|'}, {186, u';', u':'}, {222, u'\'', u'"'},
    {188, u',', u'<'}, {190, u'.', u'>'}, {191, u'/', u'?'},
}};

}  // namespace

char16_t KeyToChar(uint16_t key, ShiftState shift) {
  const uint8_t code = static_cast<uint8_t>(key & 0xFF);
  const bool shifted = shift == ShiftState{true, false, false};
  for (const KeyRow& row : kKeyTable) {
    if (row.key == code) return shifted ? row.shifted : row.unshifted;
  }
  return static_cast<char16_t>(code);
}

bool TypesCharacter(uint16_t key) {
  return (key >= 0x30 && key <= 0x39) || (key >= 0x41 && key <= 0x5A) ||
         (key >= 186 && key <= 192) || (key >= 219 && key <= 222);
}

std::size_t CaretSteps(std::u16string_view text) {
  std::size_t steps = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool pair_follows =
        i + 1 < text.size() &&
        ((c >= 0xD800 && c <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ||
         (c == u'\r' && text[i + 1] == u'\n'));
    if (pair_follows) ++i;
    ++steps;
  }
  return steps;
}

}  // namespace ravak
