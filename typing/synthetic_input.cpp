#include "typing/synthetic_input.h"

#include <utility>

namespace ravak {

SyntheticInput::SyntheticInput(KeyboardOutput& keyboard, MessagePump& pump, UserKeyHold& hold,
                               std::function<bool()> slow_system)
    : keyboard_(keyboard), pump_(pump), hold_(hold), slow_system_(std::move(slow_system)) {}

void SyntheticInput::PumpAndSleep(int16_t ms) {
  const uint32_t n = ms > 0 ? static_cast<uint32_t>(ms) : 0;
  pump_.ProcessMessages();
  pump_.ProcessMessages();
  pump_.Sleep(n);
  pump_.ProcessMessages();
  pump_.Sleep(n);
}

void SyntheticInput::Pause(int16_t ms) {
  if (Slow()) {
    PumpAndSleep(ms);
  } else {
    pump_.ProcessMessages();
  }
}

void SyntheticInput::SendKey(uint8_t key, bool release, bool press) {
  if (press) Press(key);
  if (release) Release(key);
  Pause(10);
}

void SyntheticInput::SendKeyTimes(uint8_t key, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) SendKey(key, true, true);
}

bool SyntheticInput::Retype(std::size_t count, std::u16string_view text) {
  if (!hold_.Due()) return false;
  if (keyboard_.TypeIntoConsole(count, text)) return true;
  if (Slow()) {
    SendKeyTimes(vk::kBack, count);
    if (!text.empty()) keyboard_.TypeText(text);
  } else {
    keyboard_.EraseAndType(count, text);
  }
  Pause(10);
  return true;
}

void SyntheticInput::SendCtrlChord(char16_t letter) {
  const uint8_t key =
      static_cast<uint8_t>(letter >= u'a' && letter <= u'z' ? letter - u'a' + u'A' : letter);
  Press(vk::kControl);
  Pause(20);
  Press(key);
  Pause(20);
  Release(key);
  Pause(20);
  Release(vk::kControl);
}

void SyntheticInput::ReleaseShifts() {
  ReleaseExtended(vk::kRShift);
  Release(vk::kLShift);
}

void SyntheticInput::ReleaseModifiers(ShiftState held) {
  if (!held.alt && !held.ctrl && !held.shift) return;
  Press(vk::kMask);
  Release(vk::kMask);
  if (held.alt) {
    Release(vk::kLMenu);
    ReleaseExtended(vk::kRMenu);
  }
  if (held.ctrl) {
    Release(vk::kLControl);
    ReleaseExtended(vk::kRControl);
  }
  if (held.shift) ReleaseShifts();
}

}  // namespace ravak
