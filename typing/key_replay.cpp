#include "typing/key_replay.h"

#include <array>

#include "platform/keyboard.h"

namespace ravak {

namespace {

// Bit order: left Shift, right Shift, left Ctrl, right Ctrl, left Alt, right Alt, left and right
// Windows key.
constexpr std::array<uint8_t, kModifierCount> kModifierKeys = {
    vk::kLShift, vk::kRShift, vk::kLControl, vk::kRControl,
    vk::kLMenu,  vk::kRMenu,  vk::kLWin,     vk::kRWin};

constexpr uint8_t kRightShiftScan = 0x36;

bool IsAltOrWindows(uint8_t key) {
  return key == vk::kLMenu || key == vk::kRMenu || key == vk::kLWin || key == vk::kRWin;
}

// How a modifier is sent. The right-hand keys go with the extended flag: the right Ctrl and Alt
// are extended keys, and some systems take a plain right-Shift event for the left Shift.
KeyStroke ModifierStroke(uint8_t key, bool up) {
  const bool right = key == vk::kRShift || key == vk::kRControl || key == vk::kRMenu;
  return KeyStroke{key, 0, up, right || key == vk::kLWin || key == vk::kRWin};
}

}  // namespace

uint8_t ModifierKey(int bit) {
  return kModifierKeys[static_cast<std::size_t>(bit)];
}

ModifierSet ModifierBit(const KeyStroke& key) {
  uint8_t side = key.vk;
  if (key.vk == vk::kShift) side = key.scan == kRightShiftScan ? vk::kRShift : vk::kLShift;
  if (key.vk == vk::kControl) side = key.extended ? vk::kRControl : vk::kLControl;
  if (key.vk == vk::kMenu) side = key.extended ? vk::kRMenu : vk::kLMenu;
  for (int bit = 0; bit < kModifierCount; ++bit)
    if (ModifierKey(bit) == side) return static_cast<ModifierSet>(1u << bit);
  return 0;
}

ModifierSet Apply(ModifierSet set, const KeyStroke& key) {
  const ModifierSet bit = ModifierBit(key);
  return key.up ? static_cast<ModifierSet>(set & ~bit) : static_cast<ModifierSet>(set | bit);
}

void ReplayPlanner::Align(ModifierSet target, bool mask, std::vector<KeyStroke>& out) {
  bool pressed_menu_key = false;
  for (int bit = 0; bit < kModifierCount; ++bit) {
    const ModifierSet b = static_cast<ModifierSet>(1u << bit);
    if ((logical_ & b) && !(target & b)) out.push_back(ModifierStroke(ModifierKey(bit), true));
  }
  for (int bit = 0; bit < kModifierCount; ++bit) {
    const ModifierSet b = static_cast<ModifierSet>(1u << bit);
    if (!(target & b) || (logical_ & b)) continue;
    out.push_back(ModifierStroke(ModifierKey(bit), false));
    pressed_menu_key = pressed_menu_key || IsAltOrWindows(ModifierKey(bit));
  }
  if (mask && pressed_menu_key) {
    out.push_back(KeyStroke{vk::kMask, 0, false, false});
    out.push_back(KeyStroke{vk::kMask, 0, true, false});
  }
  logical_ = target;
}

void ReplayPlanner::Key(const KeyStroke& key, ModifierSet user, std::vector<KeyStroke>& out) {
  if (const ModifierSet bit = ModifierBit(key)) {
    // A modifier press joins the others the user held, as a chord does; a modifier goes as
    // typed when it changes the system's state, and not at all when the system already has it
    // so (Ravak let go of it before, or the user's press is still down).
    if (!key.up) Align(static_cast<ModifierSet>((user & ~bit) | (logical_ & bit)), false, out);
    const bool down = (logical_ & bit) != 0;
    if (key.up == down) {
      out.push_back(key);
      logical_ = Apply(logical_, key);
    }
    return;
  }
  if (!key.up) Align(user, false, out);
  out.push_back(key);
}

void ReplayPlanner::Settle(ModifierSet physical, std::vector<KeyStroke>& out) {
  Align(physical, true, out);
}

}  // namespace ravak
