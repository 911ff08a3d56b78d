// ravak-probe: small system chores for the end-to-end tests, run inside the Wine prefix.
//
//   clip-set TEXT          put TEXT (Unicode) on the clipboard
//   clip-get OUTFILE       write the clipboard's Unicode text (UTF-8) to OUTFILE, or
//                          "<no text>" when there is none
//   clip-hold MS READY     open the clipboard, create READY, keep it open MS ms, close it
//   clip-formats OUTFILE   write the names/ids of the formats on the clipboard
//   keys-reset             release every modifier key (Wine can leave right Shift down)
//   foreground TITLE       bring the top-level window with that title to the foreground
#include <windows.h>

#include <string>

#include "platform/win32.h"

namespace {

bool WriteUtf8(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  return true;
}

bool OpenClipboardPatiently() {
  for (int i = 0; i < 200; ++i) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(10);
  }
  return false;
}

int ClipSet(const std::wstring& text) {
  if (!OpenClipboardPatiently()) return 3;
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  auto* p = static_cast<wchar_t*>(GlobalLock(block));
  memcpy(p, text.c_str(), bytes);
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
  return 0;
}

int ClipGet(const std::wstring& out) {
  if (!OpenClipboardPatiently()) return 3;
  std::string result = "<no text>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      result = ravak::win32::Narrow(p);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return WriteUtf8(out, result) ? 0 : 4;
}

int ClipFormats(const std::wstring& out) {
  if (!OpenClipboardPatiently()) return 3;
  std::string result;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
    wchar_t name[256] = L"";
    if (!GetClipboardFormatNameW(f, name, 256)) wsprintfW(name, L"#%u", f);
    result += ravak::win32::Narrow(name) + "\n";
  }
  CloseClipboard();
  return WriteUtf8(out, result) ? 0 : 4;
}

int ClipHold(int ms, const std::wstring& ready) {
  if (!OpenClipboardPatiently()) return 3;
  WriteUtf8(ready, "held\n");
  Sleep(static_cast<DWORD>(ms));
  CloseClipboard();
  return 0;
}

int KeysReset() {
  const BYTE keys[] = {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU,
                       VK_RMENU,  VK_SHIFT,  VK_CONTROL,  VK_MENU,     VK_LWIN};
  for (BYTE k : keys) {
    keybd_event(k, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(k, 0, KEYEVENTF_KEYUP | KEYEVENTF_EXTENDEDKEY, 0);
  }
  return 0;
}

int Foreground(const std::wstring& title) {
  HWND hwnd = FindWindowW(nullptr, title.c_str());
  if (!hwnd) return 5;
  SetForegroundWindow(hwnd);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring cmd = argv[1];
  if (cmd == L"clip-set" && argc == 3) return ClipSet(argv[2]);
  if (cmd == L"clip-get" && argc == 3) return ClipGet(argv[2]);
  if (cmd == L"clip-formats" && argc == 3) return ClipFormats(argv[2]);
  if (cmd == L"clip-hold" && argc == 4) return ClipHold(_wtoi(argv[2]), argv[3]);
  if (cmd == L"keys-reset") return KeysReset();
  if (cmd == L"foreground" && argc == 3) return Foreground(argv[2]);
  return 2;
}
