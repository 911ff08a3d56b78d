// Wrong-layout detection: judges, from the keys of one finished word, whether the user meant it
// in the other layout. Pure computation over UTF-16 code units and a read-only model.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "convert/layout_map.h"

namespace ravak {

// The detector's model: a character trigram and a frequent-word set for each language, and the
// decision's thresholds and penalties (tools/build_detect_model.py writes it).
class DetectModel {
 public:
  struct LanguageModel {
    int symbols = 0;
    std::array<float, 8> class_bonus{};
    std::array<uint8_t, 0x0700> symbol_of{};  // code unit -> symbol; 0 when not a letter
    std::span<const uint8_t> costs;           // eighths of a bit, [a][b][c]
    std::span<const uint8_t> words;           // little-endian u32 entries, sorted

    // Bits for the next symbol after a, b (0 is the word boundary).
    float Cost(int a, int b, int c) const {
      return costs[(static_cast<std::size_t>(a) * symbols + b) * symbols + c] * 0.125f;
    }
    // The frequent-word class of a symbol sequence's hash; 0 when absent.
    int WordClass(uint32_t hash) const;
  };

  // Parses a model image; nullopt when it is malformed. The bytes must outlive the model.
  static std::optional<DetectModel> Parse(std::span<const uint8_t> bytes);
  // The model carried in the program.
  static const DetectModel& Embedded();

  std::array<float, 4> thresholds{};  // by letter count 1, 2, 3, 4+
  float case_penalty = 0;
  float foreign_penalty = 0;
  float diacritic_penalty = 0;
  float known_guard = 0;  // added to the threshold when the word shown is a frequent word
  LanguageModel english;
  LanguageModel farsi;
};

// The embedded model's bytes (detect/detect_model.bin).
std::span<const uint8_t> DetectModelImage();

class LayoutDetector {
 public:
  // Reads the keys through `map` (its keyboard type decides entry 32), which must outlive the
  // detector; the model defaults to the embedded one.
  explicit LayoutDetector(const LayoutMap& map);
  LayoutDetector(const LayoutMap& map, const DetectModel& model);

  struct Judgement {
    float margin;  // how much likelier, in bits, the keys are as a word of the other layout
    int letters;   // letters of the other layout's reading
    bool meant_other;
  };
  // The judgement of the word shown, typed on `typed`; nullopt when it cannot switch at all (a
  // character outside `typed`'s table, no letter in one of the two readings).
  std::optional<Judgement> Judge(std::u16string_view word, Language typed) const;
  // True when the word shown, typed on `typed`, was meant in the other layout.
  bool ShouldSwitch(std::u16string_view word, Language typed) const;
  // The same keys read in the other layout, as the conversion hotkey reads them (so a bracket
  // typed on one layout turns into what its key types on the other); characters outside
  // `from`'s table stay.
  std::u16string ConvertWord(std::u16string_view word, Language from) const;
  // Whether the key that types english_char on the US layout types punctuation on the other
  // layout too (a full stop, a question mark...), and so ends a word whichever was meant.
  bool IsWordBreak(char16_t english_char) const;

 private:
  const LayoutMap& map_;
  const DetectModel& model_;
};

}  // namespace ravak
