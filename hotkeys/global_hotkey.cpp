#include "hotkeys/global_hotkey.h"

#include <string>
#include <utility>

namespace ravak {

GlobalHotkey::GlobalHotkey(HotkeyRegistrar& registrar, ErrorReport& errors, KeyStream& keys)
    : registrar_(registrar), errors_(errors) {
  keys.AddWatcher([this](const UserInput& input, bool taken) { return OnInput(input, taken); });
  // The decimal text of the component's address makes the atom distinct per live component.
  const std::string name = std::to_string(reinterpret_cast<uintptr_t>(this));
  atom_ = registrar_.AddHotkeyAtom(std::u16string(name.begin(), name.end()));
  window_ = registrar_.CreateHotkeyWindow([this] { HandleHotkeyMessage(); });
  active_ = true;
}

GlobalHotkey::~GlobalHotkey() {
  if (combination_ != 0) SetCombination(0);
  registrar_.DeleteHotkeyAtom(atom_);
  if (window_ != 0) {
    registrar_.DestroyHotkeyWindow(window_);
    window_ = 0;
  }
}

void GlobalHotkey::RegisterCurrent(TShortCut word) {
  const DecodedShortCut d = ShortCutToKey(word);
  registered_ = registrar_.Register(window_, atom_, ModifierFlags(d.shift), d.key);
}

void GlobalHotkey::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  if (value) {
    RegisterCurrent(combination_);
  } else if (combination_ != 0) {
    registrar_.Unregister(window_, atom_);
    registered_ = false;
  }
}

void GlobalHotkey::SetCombination(TShortCut value) {
  if (value == combination_) return;
  if (active_) {
    if (combination_ != 0) registrar_.Unregister(window_, atom_);
    registered_ = false;
    if (value != 0) RegisterCurrent(value);
  }
  combination_ = value;
}

void GlobalHotkey::Press(ShiftState held, uint32_t layout) {
  if (!on_press_) return;
  ReportErrors(errors_, [&] { on_press_(held, layout); });
}

void GlobalHotkey::HandleHotkeyMessage() {
  Press(ShortCutToKey(combination_).shift, 0);
}

KeyVerdict GlobalHotkey::OnInput(const UserInput& input, bool taken) {
  if (input.kind != UserInput::Kind::kKey) return {};
  const DecodedShortCut d = ShortCutToKey(combination_);
  if (input.key.stroke.vk == d.key && input.key.stroke.up) down_ = false;
  if (taken || !registered_ || !active_ || combination_ == 0) return {};
  if (input.key.stroke.up) return {};
  const ModifierSet modifiers = input.key.modifiers;
  if (input.key.stroke.vk != d.key || (modifiers & modifier::kWin) ||
      !(ShiftOf(modifiers) == d.shift)) {
    return {};
  }
  // A key held down repeats its press: the combination acts once per press, and its repeats
  // are swallowed with it.
  if (std::exchange(down_, true)) return KeyVerdict{nullptr, false, true};
  return KeyVerdict{[this, held = d.shift, layout = input.layout] { Press(held, layout); }, false,
                    true};
}

}  // namespace ravak
