// The installed keyboard layouts as Windows answers for them. A layout is read by ToUnicodeEx
// with flag 4 (Windows 10 1607 and later: the keyboard state is not changed); where the system
// ignores the flag, a dead key read leaves its character waiting, and a space typed after it
// takes it back. Reading what dead keys make needs the state, and each such question ends its
// own dead key. A layout is asked for as the language bar asks: by a message to the window in
// front, whose thread's layout then tells whether it took it.
#include <cwchar>

#include "platform/win32.h"

namespace ravak::win32 {

namespace {

constexpr UINT kKeepKeyboardState = 4;
constexpr wchar_t kLayoutsKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts";

HKL Hkl(LayoutHandle layout) {
  return reinterpret_cast<HKL>(static_cast<ULONG_PTR>(layout));
}

std::u16string Typed(const wchar_t* text, int count) {
  return count > 0 ? FromWide(std::wstring(text, static_cast<std::size_t>(count))) : u"";
}

int ToUnicode(HKL hkl, const LayoutKeyPress& key, wchar_t (&out)[8], UINT flags) {
  BYTE state[256] = {};
  if (key.shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
  return ToUnicodeEx(key.vk, key.scan, state, out, 8, flags, hkl);
}

// Ends a dead key left waiting: the space bar after it types it.
void EndDeadKey(HKL hkl, UINT flags) {
  wchar_t out[8];
  for (int i = 0; i < 4 && ToUnicode(hkl, {VK_SPACE, 0x39, false}, out, flags) < 0; ++i) {
  }
}

// A registry value of text under the list of layouts: "Layout Id", "Layout Text".
std::wstring LayoutValue(const wchar_t* klid, const wchar_t* name) {
  const std::wstring key = std::wstring(kLayoutsKey) + L"\\" + klid;
  wchar_t value[256];
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return L"";
  return value;
}

}  // namespace

std::vector<LayoutHandle> InstalledKeyboardLayouts::List() {
  std::vector<HKL> layouts(static_cast<std::size_t>(GetKeyboardLayoutList(0, nullptr)));
  layouts.resize(static_cast<std::size_t>(
      GetKeyboardLayoutList(static_cast<int>(layouts.size()), layouts.data())));
  std::vector<LayoutHandle> list;
  for (HKL hkl : layouts) list.push_back(reinterpret_cast<ULONG_PTR>(hkl));
  return list;
}

uint32_t InstalledKeyboardLayouts::Id(LayoutHandle layout) {
  const auto device = static_cast<WORD>(layout >> 16 & 0xFFFF);
  // An input method's handle is its KLID.
  if ((device & 0xF000) == 0xE000) return static_cast<uint32_t>(layout);
  // A variant (Dvorak, Persian (Standard)): the layout whose "Layout Id" the handle holds.
  if ((device & 0xF000) == 0xF000) {
    HKEY list = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLayoutsKey, 0, KEY_READ, &list) != ERROR_SUCCESS)
      return 0;
    uint32_t found = 0;
    wchar_t klid[16];
    for (DWORD i = 0; !found; ++i) {
      DWORD length = 16;
      if (RegEnumKeyExW(list, i, klid, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      const std::wstring id = LayoutValue(klid, L"Layout Id");
      if (!id.empty() && std::wcstoul(id.c_str(), nullptr, 16) == (device & 0x0FFFu))
        found = static_cast<uint32_t>(std::wcstoul(klid, nullptr, 16));
    }
    RegCloseKey(list);
    return found;
  }
  // Otherwise the high word is the layout's language: 0x0429 names 00000429.
  return device;
}

std::u16string InstalledKeyboardLayouts::Name(LayoutHandle layout) {
  const uint32_t id = Id(layout);
  if (id == 0) return u"";
  wchar_t klid[16];
  std::swprintf(klid, 16, L"%08X", id);
  return FromWide(LayoutValue(klid, L"Layout Text"));
}

uint8_t InstalledKeyboardLayouts::VirtualKey(LayoutHandle layout, uint8_t scan) {
  return static_cast<uint8_t>(MapVirtualKeyExW(scan, MAPVK_VSC_TO_VK, Hkl(layout)));
}

KeyTyped InstalledKeyboardLayouts::Type(LayoutHandle layout, const LayoutKeyPress& key) {
  wchar_t out[8];
  const int count = ToUnicode(Hkl(layout), key, out, kKeepKeyboardState);
  if (count >= 0) return {Typed(out, count), false};
  EndDeadKey(Hkl(layout), kKeepKeyboardState);
  return {Typed(out, 1), true};
}

std::u16string InstalledKeyboardLayouts::TypeAfterDeadKey(LayoutHandle layout,
                                                          const LayoutKeyPress& dead,
                                                          const LayoutKeyPress& next) {
  wchar_t out[8];
  const int first = ToUnicode(Hkl(layout), dead, out, 0);
  if (first >= 0) return Typed(out, first) + Type(layout, next).text;
  const int count = ToUnicode(Hkl(layout), next, out, 0);
  if (count >= 0) return Typed(out, count);
  EndDeadKey(Hkl(layout), 0);
  return Typed(out, 1);
}

LayoutRequest InstalledKeyboardLayouts::RequestInForeground(LayoutHandle layout) {
  constexpr UINT kAnswerMs = 300;
  const HWND front = GetForegroundWindow();
  if (!front) return LayoutRequest::kRefused;
  // Sent rather than posted, so that once it returns the window's procedure has taken the
  // request (DefWindowProc activates the layout for the window's thread) or left it. The
  // messages sent to this thread meanwhile are answered.
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(front, WM_INPUTLANGCHANGEREQUEST, 0,
                           reinterpret_cast<LPARAM>(Hkl(layout)), SMTO_ABORTIFHUNG, kAnswerMs,
                           &answer)) {
    return GetLastError() == ERROR_TIMEOUT ? LayoutRequest::kUnanswered : LayoutRequest::kRefused;
  }
  const HKL now = GetKeyboardLayout(GetWindowThreadProcessId(front, nullptr));
  return static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(now)) == static_cast<uint32_t>(layout)
             ? LayoutRequest::kTaken
             : LayoutRequest::kRefused;
}

}  // namespace ravak::win32
