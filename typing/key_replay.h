// Key events as the low-level keyboard hook reports them and keybd_event sends them, the
// modifier keys as a set, and the planning of the events that give held-back keys to the
// application again.
//
// A key held back while Ravak types is sent again later, when the system's modifier state may
// differ from the one the user had: Ravak has let go of the hotkey's Alt, say, while the user
// still holds it, or the user let go of it meanwhile. The planner brings the modifiers to what
// the user held before each key is pressed, and sends modifier presses and releases that change
// nothing of the system's state no more, so a key typed after letting go of the hotkey's Alt
// types a plain letter and no lone Alt release opens a menu; a chord of modifiers alone (the
// language switch Alt+Shift, a tap of the Windows key) is sent as it was typed.
#pragma once

#include <cstdint>
#include <vector>

namespace ravak {

// One key event.
struct KeyStroke {
  uint8_t vk = 0;
  uint8_t scan = 0;
  bool up = false;
  bool extended = false;
  bool operator==(const KeyStroke&) const = default;
};

// The eight side-specific modifier keys (left and right Shift, Ctrl, Alt and Windows) as bits.
using ModifierSet = uint8_t;
namespace modifier {
constexpr ModifierSet kLShift = 1, kRShift = 2, kLCtrl = 4, kRCtrl = 8, kLAlt = 16, kRAlt = 32,
                      kLWin = 64, kRWin = 128;
constexpr ModifierSet kShift = kLShift | kRShift, kCtrl = kLCtrl | kRCtrl, kAlt = kLAlt | kRAlt,
                      kWin = kLWin | kRWin;
}  // namespace modifier

// The bit of a modifier key; 0 for any other key. The generic Shift, Ctrl and Alt codes count as
// the side their extended flag (or, for Shift, its scan code) names.
ModifierSet ModifierBit(const KeyStroke& key);
// The side-specific virtual-key code of each bit, in bit order.
uint8_t ModifierKey(int bit);
constexpr int kModifierCount = 8;
// The set after the key event.
ModifierSet Apply(ModifierSet set, const KeyStroke& key);

// Plans the key events that give held keys back, one key at a time. logical: the modifiers down
// in the system's key state when the planner starts.
class ReplayPlanner {
 public:
  explicit ReplayPlanner(ModifierSet logical) : logical_(logical) {}
  // The events for one held key. user: the modifiers the user held when it was typed (for a
  // modifier key, before it).
  void Key(const KeyStroke& key, ModifierSet user, std::vector<KeyStroke>& out);
  // The sequence is over: the modifiers are left as the user holds them now (physical); an Alt
  // or Windows key pressed again for a user who still holds it is followed by the mask key, so
  // that letting it go opens no menu. Nothing Ravak pressed stays down.
  void Settle(ModifierSet physical, std::vector<KeyStroke>& out);
  ModifierSet Logical() const { return logical_; }

 private:
  void Align(ModifierSet target, bool mask, std::vector<KeyStroke>& out);
  ModifierSet logical_;
};

}  // namespace ravak
