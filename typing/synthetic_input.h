// The primitives every action on another application is made of: pauses that keep the
// program's queue serviced, key taps, the Ctrl+letter chord, the release of modifiers, and the
// hold on the user's own keys while a sequence runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "hotkeys/shortcut.h"
#include "platform/keyboard.h"
#include "platform/message_pump.h"
#include "platform/user_key_hold.h"

namespace ravak {

class SyntheticInput {
 public:
  // slow_system is read afresh at every pause.
  SyntheticInput(KeyboardOutput& keyboard, MessagePump& pump, UserKeyHold& hold,
                 std::function<bool()> slow_system);

  // Pause n: process messages twice, sleep n, process messages, sleep n.
  void PumpAndSleep(int16_t ms);
  // A pause between the keys of a sequence. Keys reach the application in the order they are
  // sent, so normally the queue is only serviced; on a system marked slow the pause lasts ms
  // (twice, as PumpAndSleep), for applications that read the keyboard's state rather than their
  // messages.
  void Pause(int16_t ms);
  // Press (if press), then release (if release), then a pause of 10 on a slow system.
  void SendKey(uint8_t key, bool release, bool press);
  // count taps of key.
  void SendKeyTimes(uint8_t key, std::size_t count);
  // Erases count characters before the caret with Backspace, then types text as Unicode input
  // (whatever the layout), which leaves the field's formatting and the clipboard alone. False,
  // and nothing sent, when the action's moment has passed (UserKeyHold::Due).
  bool Retype(std::size_t count, std::u16string_view text);
  // Ctrl + the letter's key (A to Z: the key's own code, whatever layout is active, so that
  // Ctrl+X, Ctrl+C and Ctrl+V are the same keys on the Persian layout), a pause of 20 between
  // its events.
  void SendCtrlChord(char16_t letter);
  // Releases right Shift, then left Shift, whether or not either is down.
  void ReleaseShifts();
  // Lets go of the modifiers of the combination that started a command, which the user usually
  // still holds: the mask key first, so the Alt release opens no menu.
  void ReleaseModifiers(ShiftState held);

  // Single events in the notation of the commands: press K, press K extended, release K.
  void Press(uint8_t key) { keyboard_.KeyEvent(key, kScan, 0); }
  void PressExtended(uint8_t key) { keyboard_.KeyEvent(key, kScan, kKeyEventExtended); }
  void Release(uint8_t key) { keyboard_.KeyEvent(key, kScan, kKeyEventKeyUp); }
  void ReleaseExtended(uint8_t key) {
    keyboard_.KeyEvent(key, kScan, kKeyEventKeyUp | kKeyEventExtended);
  }

  KeyboardOutput& keyboard() { return keyboard_; }
  UserKeyHold& hold() { return hold_; }
  MessagePump& pump() { return pump_; }

 private:
  bool Slow() const { return slow_system_ && slow_system_(); }
  // The key's own scan code, which the platform looks up: some programs and remote-desktop
  // clients read it rather than the virtual key.
  static constexpr uint8_t kScan = 0;
  KeyboardOutput& keyboard_;
  MessagePump& pump_;
  UserKeyHold& hold_;
  std::function<bool()> slow_system_;
};

// Holds the user's keys for the life of a sequence (see UserKeyHold).
class Sequence : public UserKeysHeld {
 public:
  explicit Sequence(SyntheticInput& input) : UserKeysHeld(input.hold()) {}
};

}  // namespace ravak
