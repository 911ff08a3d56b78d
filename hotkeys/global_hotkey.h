// TLMDGlobalHotKey: registers one key combination system-wide and raises OnKeyDown on the
// user-interface thread for each press.
#pragma once

#include <cstdint>
#include <functional>

#include "hotkeys/shortcut.h"
#include "platform/hotkey_registrar.h"

namespace ravak {

class TLMDGlobalHotKey {
 public:
  // sender, key (a copy passed by reference; what the handler leaves in it is discarded), shift
  using TKeyEvent = std::function<void(TLMDGlobalHotKey& sender, uint16_t& key, ShiftState)>;

  TLMDGlobalHotKey(HotkeyRegistrar& registrar, ErrorReport& errors);
  ~TLMDGlobalHotKey();
  TLMDGlobalHotKey(const TLMDGlobalHotKey&) = delete;
  TLMDGlobalHotKey& operator=(const TLMDGlobalHotKey&) = delete;

  bool Active() const { return FActive; }
  void SetActive(bool value);
  TShortCut HotKey() const { return FGlobalKey; }
  void SetHotKey(TShortCut value);
  void SetOnKeyDown(TKeyEvent handler) { FOnKeyDown = std::move(handler); }

  // The hidden window's WM_HOTKEY: every message counts as a press of this combination.
  void HandleHotKey();

 private:
  void RegisterCurrent(TShortCut word);

  HotkeyRegistrar& registrar_;
  ErrorReport& errors_;
  bool FActive = false;
  uint16_t FAtom = 0;
  TShortCut FGlobalKey = 0;
  TKeyEvent FOnKeyDown;
  WindowId FWndHandle = 0;
};

}  // namespace ravak
