// The keyboard output through the Win32 input: key events, and text sent as Unicode keys after
// backspaces, all marked as Ravak's own (kOwnInputTag). Typing into a console is in
// console_input_win32.cpp.
#include "platform/win32.h"

namespace ravak::win32 {

void Keyboard::KeyEvent(uint8_t vk, uint8_t scan, uint32_t flags) {
  // Scan code 0 asks for the key's own, as the keyboard would send it; the extended flag comes
  // from the caller, who knows which of a key's two places it means (right Alt, the arrows).
  if (scan == 0) scan = static_cast<uint8_t>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  keybd_event(vk, scan, flags, kOwnInputTag);
}

bool Keyboard::IsKeyDown(uint8_t vk) {
  return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

void Keyboard::TypeText(std::u16string_view text) {
  EraseAndType(0, text);
}

void Keyboard::EraseAndType(std::size_t erase, std::u16string_view text) {
  std::vector<INPUT> inputs;
  inputs.reserve((erase + text.size()) * 2);
  const auto add = [&inputs](WORD key, WORD scan, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.wScan = scan;
    in.ki.dwExtraInfo = kOwnInputTag;
    for (const DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
      in.ki.dwFlags = flags | up;
      inputs.push_back(in);
    }
  };
  const WORD back_scan = static_cast<WORD>(MapVirtualKeyW(VK_BACK, MAPVK_VK_TO_VSC));
  for (std::size_t i = 0; i < erase; ++i) add(VK_BACK, back_scan, 0);
  for (const char16_t c : text) add(0, c, KEYEVENTF_UNICODE);
  if (!inputs.empty()) SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace ravak::win32
