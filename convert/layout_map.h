// The English/Farsi keyboard layout map and the detection of a line's trailing run of
// one-layout text. Pure computation over UTF-16 code units.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ravak {

enum class Language : int { English = 1, Farsi = 2 };

enum class Table { English, Farsi };

struct CharClass {
  Language language;
  int index;  // 0..83, or 84 when the code unit is in neither table
};

struct LayoutRun {
  Language language;
  std::size_t start;  // 1-based position of the run's first code unit; 1 = the whole text
};

constexpr int kLayoutSize = 84;
constexpr int kNotFound = 84;
constexpr int kLastLetterIndex = 64;

// The two 84-entry tables, paired by index. Entry 32 of the Farsi table follows the keyboard
// type; everything else is fixed. Lookups go through a direct index over the code units that
// occur in the tables (all below U+0700), so each lookup is one array read.
class LayoutMap {
 public:
  static const std::array<char16_t, kLayoutSize> kEnglishChars;
  static const std::array<char16_t, kLayoutSize> kFarsiCharsInitial;

  LayoutMap();

  const std::array<char16_t, kLayoutSize>& EnglishChars() const { return kEnglishChars; }
  const std::array<char16_t, kLayoutSize>& FarsiChars() const { return farsi_; }

  // Index of the first entry of the table equal to c; 84 when absent.
  int LookupChar(char16_t c, Table table) const {
    if (c >= kIndexSpan) return kNotFound;
    return table == Table::English ? english_index_[c] : farsi_index_[c];
  }
  CharClass ClassifyChar(char16_t c) const;
  LayoutRun DetectLayoutRun(std::u16string_view text) const;
  std::u16string ConvertTrailingRun(std::u16string_view text) const;
  // Every character of the text in the other layout, each letter by the layout it belongs to;
  // a character both layouts type (punctuation) follows the layout most letters belong to.
  // Characters in neither table stay.
  std::u16string ConvertEach(std::u16string_view text) const;
  // Keyboard type 1 or 2 (the Windows default Farsi keyboard) puts U+067E at entry 32, any
  // other type U+0698.
  void ApplyKeyboardType(int32_t keyboard_type);

 private:
  static constexpr char16_t kIndexSpan = 0x0700;
  void RebuildFarsiIndex();

  std::array<char16_t, kLayoutSize> farsi_;
  std::array<uint8_t, kIndexSpan> english_index_;
  std::array<uint8_t, kIndexSpan> farsi_index_;
};

}  // namespace ravak
