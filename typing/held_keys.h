// The user's own keystrokes, held back while Ravak sends a key sequence of its own (a
// conversion, an auto-correct replacement, a copy or paste of the copy stack), and the key events
// that give them back afterwards, in order, so that they type in whatever layout is active then.
//
// A key typed into the middle of a sequence would land in it: replace a selection that is about
// to be cut, or arrive between the deletions and the paste. Holding it back and sending it again
// once the sequence ends keeps the document in the order the user typed.
#pragma once

#include <cstdint>
#include <vector>

namespace ravak {

// One key event as the low-level keyboard hook reports it and keybd_event sends it.
struct KeyStroke {
  uint8_t vk = 0;
  uint8_t scan = 0;
  bool up = false;
  bool extended = false;
  bool operator==(const KeyStroke&) const = default;
};

// The eight side-specific modifier keys (left and right Shift, Ctrl, Alt and Windows) as bits.
using ModifierSet = uint8_t;

// The bit of a modifier key; 0 for any other key. The generic Shift, Ctrl and Alt codes count as
// the side their extended flag (or, for Shift, its scan code) names.
ModifierSet ModifierBit(const KeyStroke& key);
// The side-specific virtual-key code of each bit, in bit order.
uint8_t ModifierKey(int bit);
constexpr int kModifierCount = 8;

// Keys held back, and the modifiers the user held before the first of them.
struct HeldBatch {
  std::vector<KeyStroke> keys;
  ModifierSet modifiers_before = 0;
};

class HeldKeys {
 public:
  // Past this long, what is held is let go even while the sequence still runs: a key is late
  // rather than lost, and the keyboard never seems dead.
  static constexpr uint64_t kCeilingMs = 2000;

  // A sequence begins. Sequences nest: the hold lasts until the outermost one ends.
  void Begin(uint64_t now_ms);
  // A sequence ends. True when it was the outermost one: what is held is to be let go now.
  bool End();
  // A key the user pressed or let go (never one a program sent). Returns whether it is held
  // back; a key not held goes on to the application at once.
  bool Offer(const KeyStroke& key);
  // The hold has lasted past the ceiling and what it holds is to be let go.
  bool Expired(uint64_t now_ms) const;
  // The time at which the hold reaches the ceiling; 0 when nothing is being held.
  uint64_t Deadline() const { return holding_ ? since_ + kCeilingMs : 0; }
  // Hands over what is held, in the order it came, and holds on: keys that arrive while these
  // are sent again are held behind them.
  HeldBatch Take();
  // After sending what Take gave: the hold ends when nothing more arrived and no sequence runs
  // (or the ceiling was reached). False when there is more to let go.
  bool FinishIfEmpty(uint64_t now_ms);

  bool Holding() const { return holding_; }
  int Depth() const { return depth_; }
  // The modifiers the user holds down, as the keys offered so far tell.
  ModifierSet PhysicalModifiers() const { return physical_; }

 private:
  int depth_ = 0;
  bool holding_ = false;
  uint64_t since_ = 0;
  HeldBatch queue_;
  ModifierSet physical_ = 0;
};

// The key events that give the held keys back. logical: the modifiers down in the system's key
// state now. Modifier events are not sent as they came: before each key is pressed, the
// modifiers are brought to what the user held at that moment, so a key typed after the user
// let go of the hotkey's Alt types a plain letter, and one typed with Ctrl and Alt still held
// fires their hotkey. With settle (the sequence is over) the modifiers are then left as the user
// holds them now (physical); an Alt or Windows key pressed again for a user who still holds it
// is followed by the mask key, so that letting it go opens no menu. Nothing Ravak pressed stays
// down.
std::vector<KeyStroke> PlanLetGo(const HeldBatch& held, ModifierSet logical, ModifierSet physical,
                                 bool settle);

}  // namespace ravak
