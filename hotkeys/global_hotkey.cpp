#include "hotkeys/global_hotkey.h"

#include <exception>
#include <string>

namespace ravak {

TLMDGlobalHotKey::TLMDGlobalHotKey(HotkeyRegistrar& registrar, ErrorReport& errors)
    : registrar_(registrar), errors_(errors) {
  // The decimal text of the component's address makes the atom distinct per live component.
  const std::string name = std::to_string(reinterpret_cast<uintptr_t>(this));
  FAtom = registrar_.AddHotkeyAtom(std::u16string(name.begin(), name.end()));
  FWndHandle = registrar_.CreateHotkeyWindow([this] { HandleHotKey(); });
  FActive = true;
}

TLMDGlobalHotKey::~TLMDGlobalHotKey() {
  if (FGlobalKey != 0) SetHotKey(0);
  registrar_.DeleteHotkeyAtom(FAtom);
  if (FWndHandle != 0) {
    registrar_.DestroyHotkeyWindow(FWndHandle);
    FWndHandle = 0;
  }
}

void TLMDGlobalHotKey::RegisterCurrent(TShortCut word) {
  const DecodedShortCut d = ShortCutToKey(word);
  registrar_.Register(FWndHandle, FAtom, ModifierFlags(d.shift), d.key);
}

void TLMDGlobalHotKey::SetActive(bool value) {
  if (value == FActive) return;
  FActive = value;
  if (value) {
    RegisterCurrent(FGlobalKey);
  } else if (FGlobalKey != 0) {
    registrar_.Unregister(FWndHandle, FAtom);
  }
}

void TLMDGlobalHotKey::SetHotKey(TShortCut value) {
  if (value == FGlobalKey) return;
  if (FActive) {
    if (FGlobalKey != 0) registrar_.Unregister(FWndHandle, FAtom);
    if (value != 0) RegisterCurrent(value);
  }
  FGlobalKey = value;
}

void TLMDGlobalHotKey::HandleHotKey() {
  if (!FOnKeyDown) return;
  const DecodedShortCut d = ShortCutToKey(FGlobalKey);
  uint16_t key = d.key;
  try {
    FOnKeyDown(*this, key, d.shift);
  } catch (const std::exception& e) {
    errors_.ShowError(e.what());
  }
}

}  // namespace ravak
