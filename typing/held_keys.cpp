#include "typing/held_keys.h"

#include <array>
#include <utility>

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

void HeldKeys::Begin(uint64_t now_ms) {
  if (depth_++ == 0 && !holding_) since_ = now_ms;
  if (depth_ == 1) holding_ = true;
}

bool HeldKeys::End() {
  if (depth_ == 0) return false;
  return --depth_ == 0;
}

bool HeldKeys::Offer(const KeyStroke& key) {
  const ModifierSet before = physical_;
  if (const ModifierSet bit = ModifierBit(key)) {
    physical_ = key.up ? static_cast<ModifierSet>(physical_ & ~bit)
                       : static_cast<ModifierSet>(physical_ | bit);
  }
  if (!holding_) return false;
  if (queue_.keys.empty()) queue_.modifiers_before = before;
  queue_.keys.push_back(key);
  return true;
}

bool HeldKeys::Expired(uint64_t now_ms) const {
  return holding_ && now_ms - since_ >= kCeilingMs;
}

HeldBatch HeldKeys::Take() {
  return std::exchange(queue_, {});
}

bool HeldKeys::FinishIfEmpty(uint64_t now_ms) {
  if (!queue_.keys.empty()) return false;
  if (depth_ == 0 || Expired(now_ms)) holding_ = false;
  return true;
}

namespace {

// Brings the modifiers down in the key state to target.
void Align(std::vector<KeyStroke>& out, ModifierSet& logical, ModifierSet target, bool mask) {
  bool pressed_menu_key = false;
  for (int bit = 0; bit < kModifierCount; ++bit) {
    const ModifierSet b = static_cast<ModifierSet>(1u << bit);
    if ((logical & b) && !(target & b)) out.push_back(ModifierStroke(ModifierKey(bit), true));
  }
  for (int bit = 0; bit < kModifierCount; ++bit) {
    const ModifierSet b = static_cast<ModifierSet>(1u << bit);
    if (!(target & b) || (logical & b)) continue;
    out.push_back(ModifierStroke(ModifierKey(bit), false));
    pressed_menu_key = pressed_menu_key || IsAltOrWindows(ModifierKey(bit));
  }
  if (mask && pressed_menu_key) {
    out.push_back(KeyStroke{vk::kMask, 0, false, false});
    out.push_back(KeyStroke{vk::kMask, 0, true, false});
  }
  logical = target;
}

}  // namespace

std::vector<KeyStroke> PlanLetGo(const HeldBatch& held, ModifierSet logical, ModifierSet physical,
                                 bool settle) {
  std::vector<KeyStroke> out;
  ModifierSet user = held.modifiers_before;
  for (const KeyStroke& key : held.keys) {
    if (const ModifierSet bit = ModifierBit(key)) {
      user = key.up ? static_cast<ModifierSet>(user & ~bit) : static_cast<ModifierSet>(user | bit);
      continue;
    }
    if (!key.up) Align(out, logical, user, false);
    out.push_back(key);
  }
  if (settle) Align(out, logical, physical, true);
  return out;
}

}  // namespace ravak
