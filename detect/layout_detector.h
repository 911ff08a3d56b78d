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

// What the field a word was typed in tells about it: how its previous word stands there. A field's
// first word has no previous word.
struct WordContext {
  std::optional<Language> previous;  // the language the previous word stands in
  bool previous_switched = false;    // detection retyped it in the other layout
};

// The detector's model: a character trigram and a word-frequency table for each language, and
// the decision's thresholds and penalties (tools/build_detect_model.py writes it).
class DetectModel {
 public:
  struct LanguageModel {
    int symbols = 0;
    // Log-probability in bits of a word by its frequency class: entry 0 is added to the trigram's
    // score of a word outside the table, entry k is a word of class k.
    std::array<float, 16> class_bits{};
    std::array<uint8_t, 0x0700> symbol_of{};  // code unit -> symbol; 0 when not a letter
    std::span<const uint8_t> rows;         // little-endian u16 per context [a][b]: its row of costs
    std::span<const uint8_t> costs;        // eighths of a bit, [row][c]
    std::span<const uint8_t> bucket_ends;  // 256 little-endian u32: where each bucket ends
    std::span<const uint8_t> words;  // 3-byte entries, sorted in their bucket, class in 4 bits

    // Bits for the next symbol after a, b (0 is the word boundary).
    float Cost(int a, int b, int c) const {
      const std::size_t context = static_cast<std::size_t>(a) * symbols + b;
      const std::size_t row = rows[2 * context] | std::size_t{rows[2 * context + 1]} << 8;
      return costs[row * symbols + c] * 0.125f;
    }
    // The frequency class of a symbol sequence's hash; 0 when absent.
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
  // Bits added to the margin by the previous word of the field: it stands in the language the
  // keys would switch to, switched / typed so; it stands in the typed language, switched / typed
  // so.
  std::array<float, 4> context_bits{};
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
    float margin;  // how much likelier, in bits, the keys are as a word of the other layout, the
                   // field's previous word counted
    int letters;   // letters of the other layout's reading
    bool meant_other;
  };
  // The judgement of the word shown, typed on `typed`, after the words before it in the same
  // field; nullopt when it cannot switch at all (a character outside `typed`'s table, a digit,
  // a non-joiner inside a Persian compound, no letter in one of the two readings).
  std::optional<Judgement> Judge(std::u16string_view word, Language typed,
                                 const WordContext& context = {}) const;
  // True when the word shown, typed on `typed`, was meant in the other layout.
  bool ShouldSwitch(std::u16string_view word, Language typed,
                    const WordContext& context = {}) const;
  // The context the next word of the field finds once this word has ended, switched or not; a
  // word without letters (a number, punctuation) leaves it as it was.
  WordContext ContextAfter(const WordContext& before, std::u16string_view word, Language typed,
                           bool switched) const;
  // The same keys read in the other layout, as the conversion hotkey reads them (so a bracket
  // typed on one layout turns into what its key types on the other); characters outside
  // `from`'s table stay. A Persian character that a capital's key types too reads as that
  // capital inside a word of capitals (قٍ reads as "RE", not "rE"; ي as "X", not "d").
  std::u16string ConvertWord(std::u16string_view word, Language from) const;
  // Whether the key that typed c on the layout of `typed` types punctuation on the other layout
  // too (a full stop, a question mark...), and so ends a word whichever was meant.
  bool IsWordBreak(char16_t c, Language typed) const;

 private:
  const LayoutMap& map_;
  const DetectModel& model_;
};

}  // namespace ravak
