// The primitives every action on another application is made of: pauses that keep the
// program's queue serviced, key taps, the Ctrl+letter chord and the release of Shift keys.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/keyboard.h"
#include "platform/message_pump.h"

namespace ravak {

class SyntheticInput {
 public:
  // slow_system is read afresh at every SendKey.
  SyntheticInput(KeyboardOutput& keyboard, MessagePump& pump, std::function<bool()> slow_system);

  // Pause n: process messages twice, sleep n, process messages, sleep n.
  void PumpAndSleep(int16_t ms);
  // Press (if press), then release (if release), then pause 5 (10 on a slow system).
  void SendKey(uint8_t key, bool release, bool press);
  // count taps of key.
  void SendKeyTimes(uint8_t key, uint8_t count);
  // Ctrl + the key that types the capital letter in the current layout.
  void SendCtrlChord(char16_t letter);
  // Releases right Shift, then left Shift, whether or not either is down.
  void ReleaseShifts();

  // Waits, servicing the queue, until the user has let go of Ctrl, Alt and Shift (a hotkey's
  // modifiers), at most timeout_ms. A synthetic chord sent while the user still holds them
  // would otherwise be undone half way by the user's own release.
  void WaitForModifiersUp(uint32_t timeout_ms = kModifierWaitMs);
  static constexpr uint32_t kModifierWaitMs = 1000;

  // Single events in the notation of the commands: press K, press K extended, release K.
  void Press(uint8_t key) { keyboard_.KeyEvent(key, kScan, 0); }
  void PressExtended(uint8_t key) { keyboard_.KeyEvent(key, kScan, kKeyEventExtended); }
  void Release(uint8_t key) { keyboard_.KeyEvent(key, kScan, kKeyEventKeyUp); }

  // The low byte of VkKeyScanW of the letter; 0xFF when no key types it.
  uint8_t LetterKey(char16_t letter);

  KeyboardOutput& keyboard() { return keyboard_; }

 private:
  static constexpr uint8_t kScan = 1;
  KeyboardOutput& keyboard_;
  MessagePump& pump_;
  std::function<bool()> slow_system_;
};

}  // namespace ravak
