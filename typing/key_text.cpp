#include "typing/key_text.h"

#include <array>

#include "platform/keyboard.h"

namespace ravak {

namespace {

struct KeyRow {
  uint8_t key;
  char16_t unshifted;
  char16_t shifted;
};

// The keys of a US keyboard that type text, by virtual-key code.
constexpr std::array<KeyRow, 64> kKeyTable = {{
    {0x20, u' ', u' '},  {0x30, u'0', u')'}, {0x31, u'1', u'!'},  {0x32, u'2', u'@'},
    {0x33, u'3', u'#'},  {0x34, u'4', u'$'}, {0x35, u'5', u'%'},  {0x36, u'6', u'^'},
    {0x37, u'7', u'&'},  {0x38, u'8', u'*'}, {0x39, u'9', u'('},  {0x41, u'a', u'A'},
    {0x42, u'b', u'B'},  {0x43, u'c', u'C'}, {0x44, u'd', u'D'},  {0x45, u'e', u'E'},
    {0x46, u'f', u'F'},  {0x47, u'g', u'G'}, {0x48, u'h', u'H'},  {0x49, u'i', u'I'},
    {0x4A, u'j', u'J'},  {0x4B, u'k', u'K'}, {0x4C, u'l', u'L'},  {0x4D, u'm', u'M'},
    {0x4E, u'n', u'N'},  {0x4F, u'o', u'O'}, {0x50, u'p', u'P'},  {0x51, u'q', u'Q'},
    {0x52, u'r', u'R'},  {0x53, u's', u'S'}, {0x54, u't', u'T'},  {0x55, u'u', u'U'},
    {0x56, u'v', u'V'},  {0x57, u'w', u'W'}, {0x58, u'x', u'X'},  {0x59, u'y', u'Y'},
    {0x5A, u'z', u'Z'},  {0x60, u'0', u'0'}, {0x61, u'1', u'1'},  {0x62, u'2', u'2'},
    {0x63, u'3', u'3'},  {0x64, u'4', u'4'}, {0x65, u'5', u'5'},  {0x66, u'6', u'6'},
    {0x67, u'7', u'7'},  {0x68, u'8', u'8'}, {0x69, u'9', u'9'},  {0x6A, u'*', u'*'},
    {0x6B, u'+', u'+'},  {0x6D, u'-', u'-'}, {0x6E, u'.', u'.'},  {0x6F, u'/', u'/'},
    {0xBA, u';', u':'},  {0xBB, u'=', u'+'}, {0xBC, u',', u'<'},  {0xBD, u'-', u'_'},
    {0xBE, u'.', u'>'},  {0xBF, u'/', u'?'}, {0xC0, u'`', u'~'},  {0xDB, u'[', u'{'},
    {0xDC, u'\\', u'|'}, {0xDD, u']', u'}'}, {0xDE, u'\'', u'"'}, {0xE2, u'\\', u'|'},
}};

constexpr uint8_t kCapsLock = 0x14;

}  // namespace

bool IsPassiveKey(uint8_t key) {
  return ModifierBit(KeyStroke{key, 0, false, false}) != 0 || key == vk::kShift ||
         key == vk::kControl || key == vk::kMenu || key == kCapsLock || key == vk::kMask;
}

char16_t TypedChar(const UserKey& key) {
  if (key.stroke.up || key.composed) return 0;
  if (key.modifiers & (modifier::kCtrl | modifier::kAlt | modifier::kWin)) return 0;
  const bool shifted = (key.modifiers & modifier::kShift) != 0;
  for (const KeyRow& row : kKeyTable) {
    if (row.key == key.stroke.vk) return shifted ? row.shifted : row.unshifted;
  }
  return 0;
}

std::size_t SharedStart(std::u16string_view a, std::u16string_view b) {
  std::size_t same = 0;
  while (same < a.size() && same < b.size() && a[same] == b[same]) ++same;
  if (same > 0 && a[same - 1] >= 0xD800 && a[same - 1] <= 0xDBFF) --same;
  return same;
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
