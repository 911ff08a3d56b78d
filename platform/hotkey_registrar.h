// System-wide hotkey registration and the hidden window that receives WM_HOTKEY.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/window_id.h"

namespace ravak {

class HotkeyRegistrar {
 public:
  virtual ~HotkeyRegistrar() = default;
  virtual uint16_t AddHotkeyAtom(const std::u16string& name) = 0;  // GlobalAddAtomW
  virtual void DeleteHotkeyAtom(uint16_t atom) = 0;                // GlobalDeleteAtom
  // A hidden window of the user-interface thread; on_hotkey runs for every WM_HOTKEY it gets.
  virtual WindowId CreateHotkeyWindow(std::function<void()> on_hotkey) = 0;
  virtual void DestroyHotkeyWindow(WindowId window) = 0;
  // RegisterHotKey: false when the system refused the combination (another program has it).
  virtual bool Register(WindowId window, uint16_t id, unsigned modifiers, unsigned key) = 0;
  // UnregisterHotKey; its result is not looked at.
  virtual void Unregister(WindowId window, uint16_t id) = 0;
};

}  // namespace ravak
