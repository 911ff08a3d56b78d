#include "typing/synthetic_input.h"

#include <utility>

namespace ravak {

SyntheticInput::SyntheticInput(KeyboardOutput& keyboard, MessagePump& pump,
                               std::function<bool()> slow_system)
    : keyboard_(keyboard), pump_(pump), slow_system_(std::move(slow_system)) {}

void SyntheticInput::PumpAndSleep(int16_t ms) {
  const uint32_t n = ms > 0 ? static_cast<uint32_t>(ms) : 0;
  pump_.ProcessMessages();
  pump_.ProcessMessages();
  pump_.Sleep(n);
  pump_.ProcessMessages();
  pump_.Sleep(n);
}

void SyntheticInput::SendKey(uint8_t key, bool release, bool press) {
  if (press) Press(key);
  if (release) Release(key);
  PumpAndSleep(slow_system_ && slow_system_() ? 10 : 5);
}

void SyntheticInput::SendKeyTimes(uint8_t key, uint8_t count) {
  for (unsigned i = 0; i < count; ++i) SendKey(key, true, true);
}

uint8_t SyntheticInput::LetterKey(char16_t letter) {
  return static_cast<uint8_t>(keyboard_.KeyScan(letter) & 0xFF);
}

void SyntheticInput::SendCtrlChord(char16_t letter) {
  Press(vk::kControl);
  PumpAndSleep(20);
  Press(LetterKey(letter));
  PumpAndSleep(20);
  Release(LetterKey(letter));
  PumpAndSleep(20);
  Release(vk::kControl);
}

void SyntheticInput::WaitForModifiersUp(uint32_t timeout_ms) {
  constexpr uint32_t kStepMs = 10;
  for (uint32_t waited = 0; waited < timeout_ms; waited += kStepMs) {
    if (!keyboard_.IsKeyDown(vk::kControl) && !keyboard_.IsKeyDown(vk::kMenu) &&
        !keyboard_.IsKeyDown(vk::kShift)) {
      return;
    }
    pump_.ProcessMessages();
    pump_.Sleep(kStepMs);
  }
}

void SyntheticInput::ReleaseShifts() {
  Release(vk::kRShift);
  Release(vk::kLShift);
}

}  // namespace ravak
