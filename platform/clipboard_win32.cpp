// The Win32 clipboard, opened for a hidden window of its own, which renders offered text (a
// delayed format) when the program Ravak pastes into asks for it.
#include "platform/win32.h"

#include <algorithm>

#include "platform/error.h"

namespace ravak::win32 {

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
  if (!for_anyone && !MayReadOffer(reader, front_process_, focus_process_)) return;
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
  front_process_ = focus_process_ = 0;
  const HWND front = GetForegroundWindow();
  if (front) GetWindowThreadProcessId(front, &front_process_);
  // The focused field may belong to another process than the window in front (an app in a
  // frame): the thread with the keyboard focus tells.
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (GetGUIThreadInfo(0, &info) && info.hwndFocus)
    GetWindowThreadProcessId(info.hwndFocus, &focus_process_);
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

bool Clipboard::OwnerAnswers() {
  constexpr UINT kAnswerMs = 100;
  const HWND owner = GetClipboardOwner();
  if (!owner || owner == owner_) return true;
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAnswerMs,
                             &result) != 0;
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

}  // namespace ravak::win32
