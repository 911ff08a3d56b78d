#include "keyboard/builtin_layouts.h"

#include <array>
#include <string_view>
#include <vector>

namespace ravak {

namespace {

// A key that types more than one code unit (the rial sign's four letters, the Arabic lam-alef).
constexpr char16_t kNone = u'\uFFFF';

// Each layout as two strings of 49 characters, one a key in the order of TypingKeyScans(): the
// number row (13), the top row (12), the middle row (11), the key right of it, the key left of
// Z, the bottom row (10), the space bar.
constexpr std::size_t kKeyCount = 49;

// How the layout names its keys to programs (virtual-key codes): as the US layout does, key by
// key; as the United Kingdom layout does (its quote, grave and hash keys differ); or after the
// character each key types, as the Dvorak layout does.
enum class KeyNames { kUs, kUk, kByCharacter };

struct DeadKey {
  char16_t dead;
  std::u16string_view makes;  // pairs: the next key's character, the character made
};

struct Table {
  LayoutId id;
  std::u16string_view name;
  std::u16string_view plain;
  std::u16string_view shifted;
  KeyNames key_names;
  std::span<const DeadKey> dead_keys = {};
};

constexpr std::u16string_view kUsPlain =
    u"`1234567890-="
    u"qwertyuiop[]"
    u"asdfghjkl;'"
    u"\\"
    u"\\"
    u"zxcvbnm,./"
    u" ";
constexpr std::u16string_view kUsShifted =
    u"~!@#$%^&*()_+"
    u"QWERTYUIOP{}"
    u"ASDFGHJKL:\""
    u"|"
    u"|"
    u"ZXCVBNM<>?"
    u" ";

constexpr std::u16string_view kUkPlain =
    u"`1234567890-="
    u"qwertyuiop[]"
    u"asdfghjkl;'"
    u"#"
    u"\\"
    u"zxcvbnm,./"
    u" ";
constexpr std::u16string_view kUkShifted =
    u"\u00AC!\"\u00A3$%^&*()_+"  // not sign, pound sign
    u"QWERTYUIOP{}"
    u"ASDFGHJKL:@"
    u"~"
    u"|"
    u"ZXCVBNM<>?"
    u" ";

constexpr std::u16string_view kDvorakPlain =
    u"`1234567890[]"
    u"',.pyfgcrl/="
    u"aoeuidhtns-"
    u"\\"
    u"\\"
    u";qjkxbmwvz"
    u" ";
constexpr std::u16string_view kDvorakShifted =
    u"~!@#$%^&*(){}"
    u"\"<>PYFGCRL?+"
    u"AOEUIDHTNS_"
    u"|"
    u"|"
    u":QJKXBMWVZ"
    u" ";

// United States-International: the keys of the US layout; the apostrophe, the quotation mark,
// the grave accent, the tilde and the circumflex wait for the next key.
constexpr std::array<DeadKey, 5> kInternationalDeadKeys = {{
    {u'\'',
     u"a\u00E1A\u00C1c\u00E7C\u00C7e\u00E9E\u00C9i\u00EDI\u00CDo\u00F3O\u00D3u\u00FAU\u00DA"
     u"y\u00FDY\u00DD"},
    {u'"', u"a\u00E4A\u00C4e\u00EBE\u00CBi\u00EFI\u00CFo\u00F6O\u00D6u\u00FCU\u00DCy\u00FF"},
    {u'`', u"a\u00E0A\u00C0e\u00E8E\u00C8i\u00ECI\u00CCo\u00F2O\u00D2u\u00F9U\u00D9"},
    {u'^', u"a\u00E2A\u00C2e\u00EAE\u00CAi\u00EEI\u00CEo\u00F4O\u00D4u\u00FBU\u00DB"},
    {u'~', u"a\u00E3A\u00C3n\u00F1N\u00D1o\u00F5O\u00D5"},
}};

// The Persian and Arabic rows, one a line: the number row, the top row (the keys of Q to ]),
// the middle row (A to '), the key right of it, the key left of Z, the bottom row (Z to /), the
// space bar. \uFFFF marks a key that types more than one character.
// clang-format off

// Persian as Windows had it before Windows 8, as Ravak has always read it: the key left of 1
// types peh, Shift+R types qaf as R does. The key right of the quote key follows the keyboard
// type (LayoutMap::ApplyKeyboardType); the table holds the layout's own peh.
constexpr std::u16string_view kPersianPlain =
    u"\u067E1234567890-="                                                          // پ 1 2 ... - =
    u"\u0636\u0635\u062B\u0642\u0641\u063A\u0639\u0647\u062E\u062D\u062C\u0686"    // ض ص ث ق ف غ ع ه خ ح ج چ
    u"\u0634\u0633\u06CC\u0628\u0644\u0627\u062A\u0646\u0645\u06A9\u06AF"          // ش س ی ب ل ا ت ن م ک گ
    u"\u067E"                                                                      // پ
    u"\u067E"                                                                      // پ
    u"\u0638\u0637\u0632\u0631\u0630\u062F\u0626\u0648./"                          // ظ ط ز ر ذ د ئ و . /
    u" ";
constexpr std::u16string_view kPersianShifted =
    u"\u00D7!@#$%^&*)(_+"                                                          // × ! @ ... _ +
    u"\u064B\u064C\u064D\u0642\u060C\u061B,][\\}{"                                 // tanweens, ق ، ؛ , ] [ \ } {
    u"\u064E\u064F\u0650\u0651\u06C0\u0622\u0640\u00AB\u00BB:\""                   // harakat, shadda, ۀ آ ـ « » : "
    u"|"
    u"|"
    u"\u0629\u064A\u0698\u0624\u0625\u0623\u0621<>\u061F"                          // ة ي ژ ؤ إ أ ء < > ؟
    u" ";

// Persian (Standard), ISIRI 9147: Persian digits on the number row, peh on M, the zero-width
// non-joiner on Shift+Space and Shift+B, the zero-width joiner left of 1.
constexpr std::u16string_view kPersianStandardPlain =
    u"\u200D\u06F1\u06F2\u06F3\u06F4\u06F5\u06F6\u06F7\u06F8\u06F9\u06F0-="       // ZWJ ۱ ۲ ... ۰ - =
    u"\u0636\u0635\u062B\u0642\u0641\u063A\u0639\u0647\u062E\u062D\u062C\u0686"    // ض ص ث ق ف غ ع ه خ ح ج چ
    u"\u0634\u0633\u06CC\u0628\u0644\u0627\u062A\u0646\u0645\u06A9\u06AF"          // ش س ی ب ل ا ت ن م ک گ
    u"\\"
    u"\\"
    u"\u0638\u0637\u0632\u0631\u0630\u062F\u067E\u0648./"                          // ظ ط ز ر ذ د پ و . /
    u" ";
constexpr std::u16string_view kPersianStandardShifted =
    u"\u200D!\u066C\u066B\uFFFF\u066A\u00D7\u060C*)(\u0640+"                       // ZWJ ! ٬ ٫ (rial) ٪ × ، * ) ( ـ +
    u"\u0652\u064C\u064D\u064B\u064F\u0650\u064E\u0651][}{"                        // sukun, tanweens, harakat, shadda ] [ } {
    u"\u0624\u0626\u064A\u0625\u0623\u0622\u0629\u00BB\u00AB:\u061B"               // ؤ ئ ي إ أ آ ة » « : ؛
    u"|"
    u"|"
    u"\u0643\u0637\u0698\u0670\u200C\u0654\u0621><\u061F"                          // ك ط ژ, alef above, ZWNJ, hamza above, ء > < ؟
    u"\u200C";                                                                     // ZWNJ

// Arabic (101): a third layout, neither Persian nor Latin.
constexpr std::u16string_view kArabicPlain =
    u"\u06301234567890-="                                                          // ذ 1 2 ... - =
    u"\u0636\u0635\u062B\u0642\u0641\u063A\u0639\u0647\u062E\u062D\u062C\u062F"    // ض ص ث ق ف غ ع ه خ ح ج د
    u"\u0634\u0633\u064A\u0628\u0644\u0627\u062A\u0646\u0645\u0643\u0637"          // ش س ي ب ل ا ت ن م ك ط
    u"\\"
    u"\\"
    u"\u0626\u0621\u0624\u0631\uFFFF\u0649\u0629\u0648\u0632\u0638"                // ئ ء ؤ ر (لا) ى ة و ز ظ
    u" ";
constexpr std::u16string_view kArabicShifted =
    u"\u0651!@#$%^&*)(_+"                                                          // shadda ! @ ... _ +
    u"\u064E\u064B\u064F\u064C\uFFFF\u0625\u2018\u00F7\u00D7\u061B<>"              // harakat, tanweens, (لإ) إ ‘ ÷ × ؛ < >
    u"\u0650\u064D][\uFFFF\u0623\u0640\u060C/:\""                                  // kasra, kasratan ] [ (لأ) أ ـ ، / : "
    u"|"
    u"|"
    u"~\u0652}{\uFFFF\u0622\u2019,.\u061F"                                         // ~ sukun } { (لآ) آ ’ , . ؟
    u" ";

// clang-format on

constexpr std::array<Table, 7> kTables = {{
    {kUsLayout, u"US", kUsPlain, kUsShifted, KeyNames::kUs},
    {0x00000809, u"United Kingdom", kUkPlain, kUkShifted, KeyNames::kUk},
    {0x00010409, u"United States-Dvorak", kDvorakPlain, kDvorakShifted, KeyNames::kByCharacter},
    {0x00020409, u"United States-International", kUsPlain, kUsShifted, KeyNames::kUs,
     kInternationalDeadKeys},
    {kPersianLayout, u"Persian", kPersianPlain, kPersianShifted, KeyNames::kUs},
    {kPersianStandardLayout, u"Persian (Standard)", kPersianStandardPlain, kPersianStandardShifted,
     KeyNames::kUs},
    {0x00000401, u"Arabic (101)", kArabicPlain, kArabicShifted, KeyNames::kUs},
}};

constexpr std::array<LayoutId, kTables.size()> kIds = [] {
  std::array<LayoutId, kTables.size()> ids{};
  for (std::size_t i = 0; i < kTables.size(); ++i) ids[i] = kTables[i].id;
  return ids;
}();

static_assert([] {
  for (const Table& t : kTables) {
    if (t.plain.size() != kKeyCount || t.shifted.size() != kKeyCount) return false;
  }
  return true;
}());

// The US layout's virtual-key codes, key by key in the order of the tables.
constexpr std::array<uint8_t, kKeyCount> kUsKeyNames = {
    0xC0, '1', '2', '3', '4', '5', '6', '7',  '8',  '9',  '0',  0xBD,
    0xBB,                                                              // VK_OEM_3 .. VK_OEM_PLUS
    'Q',  'W', 'E', 'R', 'T', 'Y', 'U', 'I',  'O',  'P',  0xDB, 0xDD,  // VK_OEM_4, VK_OEM_6
    'A',  'S', 'D', 'F', 'G', 'H', 'J', 'K',  'L',  0xBA, 0xDE,        // VK_OEM_1, VK_OEM_7
    0xDC,                                                              // VK_OEM_5
    0xE2,                                                              // VK_OEM_102
    'Z',  'X', 'C', 'V', 'B', 'N', 'M', 0xBC, 0xBE, 0xBF,              // , . /
    0x20,                                                              // VK_SPACE
};

// The virtual-key code of the US key that types c without Shift.
uint8_t UsKeyNameOf(char16_t c) {
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    if (kUsPlain[i] == c) return kUsKeyNames[i];
  }
  return 0;
}

uint8_t KeyName(const Table& t, std::size_t i) {
  const uint8_t scan = TypingKeyScans()[i];
  switch (t.key_names) {
    case KeyNames::kUs:
      return kUsKeyNames[i];
    case KeyNames::kUk:
      if (scan == 0x28) return 0xC0;              // VK_OEM_3: the quote key
      if (scan == scan::kGrave) return 0xDF;      // VK_OEM_8
      if (scan == scan::kBackslash) return 0xDE;  // VK_OEM_7: the hash key
      return kUsKeyNames[i];
    case KeyNames::kByCharacter:
      if (scan == scan::kOem102) return kUsKeyNames[i];
      return UsKeyNameOf(t.plain[i]);
  }
  return 0;
}

KeyboardLayout Build(const Table& t) {
  KeyboardLayout layout;
  layout.id = t.id;
  layout.name = std::u16string(t.name);
  auto is_dead = [&t](char16_t c) {
    for (const DeadKey& d : t.dead_keys) {
      if (d.dead == c) return true;
    }
    return false;
  };
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    LayoutKey key;
    key.scan = TypingKeyScans()[i];
    key.vk = KeyName(t, i);
    key.plain = t.plain[i] == kNone ? 0 : t.plain[i];
    key.shifted = t.shifted[i] == kNone ? 0 : t.shifted[i];
    key.plain_dead = is_dead(key.plain);
    key.shifted_dead = is_dead(key.shifted);
    layout.keys.push_back(key);
  }
  for (const DeadKey& d : t.dead_keys) {
    // A dead key followed by the space bar types itself.
    layout.combinations.push_back({d.dead, u' ', d.dead});
    for (std::size_t i = 0; i + 1 < d.makes.size(); i += 2)
      layout.combinations.push_back({d.dead, d.makes[i], d.makes[i + 1]});
  }
  return layout;
}

const std::vector<KeyboardLayout>& Layouts() {
  static const std::vector<KeyboardLayout> layouts = [] {
    std::vector<KeyboardLayout> all;
    for (const Table& t : kTables) all.push_back(Build(t));
    return all;
  }();
  return layouts;
}

}  // namespace

std::span<const LayoutId> BuiltinLayoutIds() {
  return kIds;
}

const KeyboardLayout* BuiltinLayout(LayoutId id) {
  for (const KeyboardLayout& layout : Layouts()) {
    if (layout.id == id) return &layout;
  }
  return nullptr;
}

}  // namespace ravak
