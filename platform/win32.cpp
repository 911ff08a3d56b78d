#include "platform/win32.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "platform/error.h"

namespace ravak::win32 {

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& s) {
  if (s.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::wstring ToWide(const std::u16string& s) {
  return std::wstring(s.begin(), s.end());
}
std::u16string FromWide(const std::wstring& s) {
  return std::u16string(s.begin(), s.end());
}

std::string SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  if (text.empty()) return "System Error.  Code: " + std::to_string(code) + ".";
  return Narrow(text);
}

// --- common controls and subclassing ------------------------------------------------------

bool LoadCommonControls() {
  static bool loaded = false;
  if (loaded) return true;
  HMODULE module = LoadLibraryW(L"comctl32.dll");
  if (!module) return false;
  using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init = reinterpret_cast<InitFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "InitCommonControlsEx")));
  if (!init) return false;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_HOTKEY_CLASS |
                                                     ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  loaded = init(&controls) != FALSE;
  return loaded;
}

namespace {

constexpr wchar_t kOriginalProc[] = L"RavakOriginalProc";
constexpr wchar_t kSubclassProc[] = L"RavakSubclassProc";
constexpr wchar_t kSubclassData[] = L"RavakSubclassData";

LRESULT CALLBACK SubclassTrampoline(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto proc = reinterpret_cast<SubclassProc>(GetPropW(hwnd, kSubclassProc));
  if (!proc) return CallOriginal(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    const LRESULT r = proc(hwnd, msg, wp, lp, GetPropW(hwnd, kSubclassData));
    Unsubclass(hwnd);
    return r;
  }
  return proc(hwnd, msg, wp, lp, GetPropW(hwnd, kSubclassData));
}

}  // namespace

void Subclass(HWND hwnd, SubclassProc proc, void* data) {
  if (!hwnd) return;
  SetPropW(hwnd, kSubclassProc, reinterpret_cast<HANDLE>(proc));
  SetPropW(hwnd, kSubclassData, data);
  if (!GetPropW(hwnd, kOriginalProc)) {
    const LONG_PTR original =
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassTrampoline));
    SetPropW(hwnd, kOriginalProc, reinterpret_cast<HANDLE>(original));
  }
}

void Unsubclass(HWND hwnd) {
  if (!hwnd) return;
  if (HANDLE original = GetPropW(hwnd, kOriginalProc)) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  }
  RemovePropW(hwnd, kOriginalProc);
  RemovePropW(hwnd, kSubclassProc);
  RemovePropW(hwnd, kSubclassData);
}

LRESULT CallOriginal(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto original = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kOriginalProc));
  return original ? CallWindowProcW(original, hwnd, msg, wp, lp)
                  : DefWindowProcW(hwnd, msg, wp, lp);
}

// --- keyboard -------------------------------------------------------------------------------

void Keyboard::KeyEvent(uint8_t vk, uint8_t scan, uint32_t flags) {
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

// --- message pump ---------------------------------------------------------------------------

void MessagePump::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      exit_code_ = static_cast<int>(msg.wParam);
      continue;
    }
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool MessagePump::PreTranslate(MSG& msg) {
  for (HWND dialog : dialogs_) {
    if (IsWindowVisible(dialog) && IsDialogMessageW(dialog, &msg)) return true;
  }
  return false;
}

void MessagePump::Sleep(uint32_t ms) {
  ::Sleep(ms);
}

void MessagePump::Wait(uint32_t ms) {
  MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  ProcessMessages();
}

uint64_t MessagePump::NowMs() {
  return GetTickCount64();
}

int MessagePump::Run() {
  MSG msg;
  while (!terminated_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      exit_code_ = got == 0 ? static_cast<int>(msg.wParam) : 1;
      terminated_ = true;
      break;
    }
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return exit_code_;
}

// --- clipboard ------------------------------------------------------------------------------

static_assert(clipformat::kText == CF_TEXT && clipformat::kBitmap == CF_BITMAP &&
              clipformat::kMetafilePict == CF_METAFILEPICT && clipformat::kOemText == CF_OEMTEXT &&
              clipformat::kDib == CF_DIB && clipformat::kPalette == CF_PALETTE &&
              clipformat::kUnicodeText == CF_UNICODETEXT &&
              clipformat::kEnhMetafile == CF_ENHMETAFILE && clipformat::kHDrop == CF_HDROP &&
              clipformat::kLocale == CF_LOCALE && clipformat::kDibV5 == CF_DIBV5 &&
              clipformat::kOwnerDisplayFirst == CF_OWNERDISPLAY &&
              clipformat::kOwnerDisplayLast >= CF_DSPENHMETAFILE &&
              clipformat::kPrivateFirst == CF_PRIVATEFIRST &&
              clipformat::kGdiObjectLast == CF_GDIOBJLAST);

namespace {
constexpr wchar_t kClipboardOwnerClass[] = L"RavakClipboardOwner";

// The text with its NUL in a new moveable block; null when memory runs out.
HGLOBAL TextBlock(const std::u16string& text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!block) return nullptr;
  auto* p = static_cast<char16_t*>(GlobalLock(block));
  if (!p) {
    GlobalFree(block);
    return nullptr;
  }
  text.copy(p, text.size());
  p[text.size()] = u'\0';
  GlobalUnlock(block);
  return block;
}
}  // namespace

Clipboard::Clipboard() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = OwnerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClipboardOwnerClass;
  RegisterClassW(&wc);
  owner_ = CreateWindowExW(0, kClipboardOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           wc.hInstance, this);
  if (!owner_)
    throw Error("Cannot create the clipboard window: " + SystemErrorText(GetLastError()));
}

Clipboard::~Clipboard() {
  // Text still offered is rendered now (WM_RENDERALLFORMATS), so a paste after the program
  // ends still finds it.
  DestroyWindow(owner_);
}

// Posted to the owner window after the offered text was read: the reader has the clipboard open
// until it has it.
constexpr UINT kOfferReadMessage = WM_APP + 1;

LRESULT CALLBACK Clipboard::OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = WindowObject<Clipboard>(hwnd, msg, lp);
  if (self) {
    switch (msg) {
      case WM_RENDERFORMAT:
        if (wp == CF_UNICODETEXT) self->Render(false);
        return 0;
      case WM_RENDERALLFORMATS:
        if (self->offering_ && OpenClipboard(hwnd)) {
          if (GetClipboardOwner() == hwnd) self->Render(true);
          CloseClipboard();
        }
        return 0;
      case kOfferReadMessage:
        if (self->on_taken_) self->on_taken_();
        return 0;
      case WM_DESTROYCLIPBOARD:
        self->offering_ = false;
        self->offered_.clear();
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void Clipboard::Render(bool for_anyone) {
  if (!offering_) return;
  // A clipboard monitor or history that reads every new content gets no text: it is only lent
  // to the application Ravak pastes into. A reader without a window cannot be told apart.
  DWORD reader = 0;
  if (HWND window = GetOpenClipboardWindow()) GetWindowThreadProcessId(window, &reader);
  if (!for_anyone && reader != 0 && target_process_ != 0 && reader != target_process_) return;
  offering_ = false;
  offer_taken_ = true;
  if (HGLOBAL block = TextBlock(offered_)) {
    if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
  }
  offered_.clear();
  if (!for_anyone) PostMessageW(owner_, kOfferReadMessage, 0, 0);
}

bool Clipboard::OfferText(const std::u16string& text) {
  offered_ = text;
  offering_ = true;
  offer_taken_ = false;
  target_process_ = 0;
  if (HWND front = GetForegroundWindow()) GetWindowThreadProcessId(front, &target_process_);
  SetLastError(0);
  // A delayed format's handle is null: SetClipboardData returns null for it too, and reports a
  // refusal only through the last error.
  if (!SetClipboardData(CF_UNICODETEXT, nullptr) && GetLastError() != 0) {
    offering_ = false;
    offered_.clear();
    return false;
  }
  return true;
}

bool Clipboard::HasText() {
  return IsClipboardFormatAvailable(CF_TEXT) != 0;
}

int Clipboard::FormatCount() {
  return CountClipboardFormats();
}

bool Clipboard::Open() {
  if (OpenClipboard(owner_)) return true;
  last_error_ = GetLastError();
  return false;
}

void Clipboard::Close() {
  CloseClipboard();
}

std::string Clipboard::LastErrorText() {
  return SystemErrorText(last_error_);
}

bool Clipboard::GetText(std::u16string& out) {
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return false;
  const auto* p = static_cast<const char16_t*>(GlobalLock(data));
  if (!p) return false;
  // Never read past the block, whatever it holds.
  const std::size_t units = GlobalSize(data) / sizeof(char16_t);
  std::size_t n = 0;
  while (n < units && p[n] != u'\0') ++n;
  out.assign(p, n);
  GlobalUnlock(data);
  return true;
}

void Clipboard::Empty() {
  EmptyClipboard();
}

void Clipboard::MarkExcludedFromHistory() {
  static const wchar_t* const kFormats[] = {L"ExcludeClipboardContentFromMonitorProcessing",
                                            L"CanIncludeInClipboardHistory",
                                            L"Clipboard Viewer Ignore"};
  for (const wchar_t* name : kFormats) {
    const UINT format = RegisterClipboardFormatW(name);
    if (!format) continue;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
    if (!block) continue;
    if (auto* value = static_cast<DWORD*>(GlobalLock(block))) {
      *value = 0;  // "CanIncludeInClipboardHistory" = 0; the other two only need to be present
      GlobalUnlock(block);
    }
    if (!SetClipboardData(format, block)) GlobalFree(block);
  }
}

uint32_t Clipboard::SequenceNumber() {
  return GetClipboardSequenceNumber();
}

std::vector<uint32_t> Clipboard::Formats() {
  std::vector<uint32_t> formats;
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
    formats.push_back(format);
  return formats;
}

std::string Clipboard::FormatName(uint32_t format) {
  wchar_t name[256];
  const int length = GetClipboardFormatNameW(format, name, 256);
  return length > 0 ? Narrow(std::wstring(name, static_cast<std::size_t>(length))) : std::string();
}

bool Clipboard::ReadFormat(uint32_t format, std::vector<uint8_t>& out) {
  HANDLE data = GetClipboardData(format);
  if (!data) return false;
  const SIZE_T size = GlobalSize(data);
  if (size == 0) return false;
  const auto* p = static_cast<const uint8_t*>(GlobalLock(data));
  if (!p) return false;
  out.assign(p, p + size);
  GlobalUnlock(data);
  return true;
}

bool Clipboard::WriteFormat(uint32_t format, const std::vector<uint8_t>& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
  if (!block) return false;
  auto* p = static_cast<uint8_t*>(GlobalLock(block));
  if (!p) {
    GlobalFree(block);
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), p);
  GlobalUnlock(block);
  if (!SetClipboardData(format, block)) {
    GlobalFree(block);
    return false;
  }
  return true;
}

// --- hotkeys --------------------------------------------------------------------------------

namespace {

constexpr wchar_t kHotkeyWindowClass[] = L"RavakHotKeyWindow";

LRESULT CALLBACK HotkeyWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_HOTKEY) {
    auto* handler =
        reinterpret_cast<std::function<void()>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (handler && *handler) (*handler)();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterHotkeyWindowClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = HotkeyWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kHotkeyWindowClass;
  RegisterClassW(&wc);
  done = true;
}

}  // namespace

uint16_t HotkeyRegistrar::AddHotkeyAtom(const std::u16string& name) {
  return GlobalAddAtomW(ToWide(name).c_str());
}

void HotkeyRegistrar::DeleteHotkeyAtom(uint16_t atom) {
  GlobalDeleteAtom(atom);
}

WindowId HotkeyRegistrar::CreateHotkeyWindow(std::function<void()> on_hotkey) {
  RegisterHotkeyWindowClass();
  HWND hwnd = CreateWindowExW(0, kHotkeyWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) throw Error("Cannot create the hotkey window: " + SystemErrorText(GetLastError()));
  auto* handler = new std::function<void()>(std::move(on_hotkey));
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(handler));
  return reinterpret_cast<WindowId>(hwnd);
}

void HotkeyRegistrar::DestroyHotkeyWindow(WindowId window) {
  HWND hwnd = reinterpret_cast<HWND>(window);
  std::unique_ptr<std::function<void()>> handler(
      reinterpret_cast<std::function<void()>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(hwnd);
}

bool HotkeyRegistrar::Register(WindowId window, uint16_t id, unsigned modifiers, unsigned key) {
  return RegisterHotKey(reinterpret_cast<HWND>(window), id, modifiers, key) != FALSE;
}

void HotkeyRegistrar::Unregister(WindowId window, uint16_t id) {
  UnregisterHotKey(reinterpret_cast<HWND>(window), id);
}

// --- error report ---------------------------------------------------------------------------

void MessageBoxErrorReport::ShowError(const std::string& message) {
  MessageBoxW(nullptr, Widen(ErrorReportText(message)).c_str(), title_.c_str(),
              MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace ravak::win32
