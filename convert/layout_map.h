// The English/Farsi layout map and the detection of a line's trailing run of one-layout text.
// Pure computation over UTF-16 code units.
//
// The map pairs, key by key, what the user's Latin layout and their Persian layout type: entry i
// of the English table and entry i of the Farsi table are one key at one Shift state. It is built
// from a pair of keyboard layouts (keyboard/), by default the US layout and the Persian one as
// Windows had it before Windows 8, which gives the map Ravak has always had.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "keyboard/keyboard_layout.h"

namespace ravak {

enum class Language : int { English = 1, Farsi = 2 };

enum class Table { English, Farsi };

struct CharClass {
  Language language;
  int index;    // the entry, or kNotFound when the code unit is in neither table
  bool letter;  // it decides the language of a run; otherwise it is neutral
};

struct LayoutRun {
  Language language;
  std::size_t start;  // 1-based position of the run's first code unit; 1 = the whole text
};

// The most entries a map holds; an index at or above it is no entry.
constexpr int kLayoutSize = 128;
constexpr int kNotFound = kLayoutSize;

// Lookups go through a direct index over the code units below U+0700, so each lookup is one
// array read; the few characters above it (the joiners, say) are looked up in a short list.
class LayoutMap {
 public:
  // The US layout and the Persian one before Windows 8; the key right of the quote key types
  // U+0698 until a keyboard type is applied.
  LayoutMap();
  LayoutMap(const KeyboardLayout& latin, const KeyboardLayout& persian);

  // Builds the map again from another pair; the keyboard type last applied holds on.
  void Load(const KeyboardLayout& latin, const KeyboardLayout& persian);

  // The layouts the map pairs.
  const KeyboardLayout& Latin() const { return latin_; }
  const KeyboardLayout& Persian() const { return persian_; }

  int Size() const { return static_cast<int>(english_.size()); }
  std::span<const char16_t> EnglishChars() const { return english_; }
  std::span<const char16_t> FarsiChars() const { return farsi_; }
  // The entry of a key at a Shift state; kNotFound when one of the layouts types nothing there,
  // or, outside the letter rows, both type the same.
  int KeyEntry(uint8_t scan_code, bool shift) const;
  // The key and Shift state of an entry.
  std::pair<uint8_t, bool> KeyOf(int index) const { return keys_[static_cast<std::size_t>(index)]; }
  // Whether the entry's character in the table decides a run's language (a letter), or is
  // neutral there.
  bool Decides(int index, Table table) const {
    return SideOf(table).decides[static_cast<std::size_t>(index)];
  }
  // Whether the entry is the space bar's, plain or with Shift.
  bool IsSpaceBar(int index) const {
    return keys_[static_cast<std::size_t>(index)].first == scan::kSpace;
  }

  // Index of the first entry of the table equal to c; kNotFound when absent.
  int LookupChar(char16_t c, Table table) const {
    if (c < kIndexSpan) return (table == Table::English ? en_ : fa_).index[c];
    return LookupAbove(c, table);
  }
  // The language and entry of a code unit: the table where it comes first (the Farsi one when
  // both hold it at the same entry), and whether it decides a run's language there.
  CharClass ClassifyChar(char16_t c) const;
  LayoutRun DetectLayoutRun(std::u16string_view text) const;
  // The text with its trailing run retyped in the other layout, each character by its key; a
  // character that a dead key made with the next key becomes both keys' characters.
  std::u16string ConvertTrailingRun(std::u16string_view text) const;
  // Every character of the text in the other layout, each letter by the layout it belongs to;
  // a character both layouts type (punctuation) follows the layout most letters belong to.
  // Characters in neither table stay.
  std::u16string ConvertEach(std::u16string_view text) const;
  // Where the Persian layout is the one before Windows 8, keyboard type 1 or 2 (the Windows
  // default Farsi keyboard) makes the key right of the quote key type U+067E, any other type
  // U+0698. Any other Persian layout decides that key itself.
  void ApplyKeyboardType(int32_t keyboard_type);
  // Whether the keyboard type decides a key of this map.
  bool FollowsKeyboardType() const { return backslash_entry_ >= 0; }

 private:
  static constexpr char16_t kIndexSpan = 0x0700;

  // A character a dead key makes with the key typed after it: both keys' entries.
  struct Composed {
    char16_t c;
    uint8_t dead;
    uint8_t base;
  };
  struct Side {
    std::array<uint8_t, kIndexSpan> index;
    std::vector<std::pair<char16_t, uint8_t>> above;  // code units from kIndexSpan on
    std::vector<Composed> composed;
    std::vector<bool> decides;  // by entry
  };

  void Rebuild();
  void AddEntry(uint8_t scan_code, bool shift, bool deciding, bool only_if_different);
  void BuildSide(Side& side, const std::vector<char16_t>& chars, const KeyboardLayout& layout);
  static void Point(Side& side, char16_t c, int entry);
  int LookupAbove(char16_t c, Table table) const;
  const Composed* FindComposed(char16_t c, Table table) const;
  // Appends c as the other layout types its key (c read in the table `from`); false when that
  // table does not hold it.
  bool AppendConverted(std::u16string& out, char16_t c, Table from) const;
  const Side& SideOf(Table table) const { return table == Table::English ? en_ : fa_; }

  KeyboardLayout latin_;
  KeyboardLayout persian_;
  std::optional<int32_t> keyboard_type_;

  std::vector<char16_t> english_;
  std::vector<char16_t> farsi_;
  std::vector<std::pair<uint8_t, bool>> keys_;
  std::vector<bool> deciding_key_;  // by entry: a key of the letter rows
  int backslash_entry_ = -1;
  Side en_;
  Side fa_;
  // ClassifyChar's answer for the code units below kIndexSpan: kClassEnglish, kClassLetter.
  static constexpr uint8_t kClassEnglish = 1, kClassLetter = 2;
  std::array<uint8_t, kIndexSpan> class_;
  bool any_above_ = false;  // a character from kIndexSpan on is in a table
};

}  // namespace ravak
