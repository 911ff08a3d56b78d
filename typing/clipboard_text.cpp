#include "typing/clipboard_text.h"

#include <algorithm>
#include <utility>

#include "platform/error.h"

namespace ravak {

namespace {

// Closes the clipboard on every way out of an operation, errors included.
class ClipboardSession {
 public:
  explicit ClipboardSession(Clipboard& clipboard) : clipboard_(clipboard) {}
  ~ClipboardSession() { clipboard_.Close(); }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;

 private:
  Clipboard& clipboard_;
};

// Data that is a handle rather than memory, or that only its owner can draw or free.
bool IsHandleFormat(uint32_t format) {
  using namespace clipformat;
  return format == kBitmap || format == kMetafilePict || format == kPalette ||
         format == kEnhMetafile || (format >= kOwnerDisplayFirst && format <= kOwnerDisplayLast) ||
         (format >= kPrivateFirst && format <= kGdiObjectLast);
}

bool IsTextFormat(uint32_t format) {
  using namespace clipformat;
  return format == kUnicodeText || format == kText || format == kOemText || format == kLocale;
}

// Registered formats whose data names a window of the program that copied (the OLE data
// object's): meaningless once that program no longer owns the clipboard.
bool IsOwnersHandle(const std::string& name) {
  return name == "DataObject";
}

}  // namespace

void ClipboardText::OpenOrThrow() {
  for (int attempt = 0;; ++attempt) {
    if (clipboard_.Open()) return;
    if (attempt == kOpenRetries) break;
    pump_.ProcessMessages();
    pump_.Sleep(kOpenRetryMs);
  }
  throw Error(FormatMessage1("Cannot open clipboard: %s", clipboard_.LastErrorText()));
}

std::u16string ClipboardText::Read() {
  OpenOrThrow();
  ClipboardSession session(clipboard_);
  std::u16string text;
  if (!clipboard_.GetText(text)) return {};
  const auto nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  return text;
}

ClipboardSnapshot ClipboardText::Save(std::size_t limit) {
  if (clipboard_.FormatCount() == 0) return {};
  OpenOrThrow();
  ClipboardSession session(clipboard_);
  const std::vector<uint32_t> formats = clipboard_.Formats();
  // The system makes CF_TEXT and CF_OEMTEXT from the Unicode text again.
  const bool unicode =
      std::find(formats.begin(), formats.end(), clipformat::kUnicodeText) != formats.end();
  struct Candidate {
    uint32_t format;
    std::size_t size;
    bool kept;
  };
  std::vector<Candidate> candidates;
  for (const uint32_t format : formats) {
    if (IsHandleFormat(format)) continue;
    if (unicode && (format == clipformat::kText || format == clipformat::kOemText)) continue;
    if (format >= clipformat::kRegisteredFirst && IsOwnersHandle(clipboard_.FormatName(format)))
      continue;
    if (const auto size = clipboard_.FormatSize(format))
      candidates.push_back({format, *size, false});
  }
  // The text is kept whatever its size; the other formats while they fit.
  std::size_t total = 0;
  for (Candidate& c : candidates) {
    if (!IsTextFormat(c.format)) continue;
    c.kept = true;
    total += c.size;
  }
  for (Candidate& c : candidates) {
    if (c.kept || total > limit || c.size > limit - total) continue;
    c.kept = true;
    total += c.size;
  }
  ClipboardSnapshot saved;
  for (const Candidate& c : candidates) {
    ClipboardFormatData data{c.format, {}};
    if (c.kept && clipboard_.ReadFormat(c.format, data.bytes)) saved.push_back(std::move(data));
  }
  return saved;
}

void ClipboardText::Restore(const ClipboardSnapshot& saved) {
  OpenOrThrow();
  ClipboardSession session(clipboard_);
  clipboard_.Empty();
  // Every format gets its chance; a refusal is raised once the others are back.
  bool refused = false;
  for (const ClipboardFormatData& data : saved)
    refused = !clipboard_.WriteFormat(data.format, data.bytes) || refused;
  if (refused) throw Error("Out of system resources");
}

void ClipboardText::Offer(const std::u16string& text, ClipboardUse use) {
  OpenOrThrow();
  ClipboardSession session(clipboard_);
  clipboard_.Empty();
  if (!clipboard_.OfferText(text)) throw Error("Out of system resources");
  if (use == ClipboardUse::ToPaste) clipboard_.MarkExcludedFromHistory();
}

namespace {

// Polls condition while the queue is serviced, waking for every message (a program asking for
// the offered text is one), until it holds or timeout_ms have passed.
template <typename Condition>
bool WaitFor(MessagePump& pump, uint32_t timeout_ms, Condition condition) {
  constexpr uint32_t kStepMs = 2;
  const uint64_t deadline = pump.NowMs() + timeout_ms;
  for (;;) {
    if (condition()) return true;
    if (pump.NowMs() >= deadline) return false;
    pump.Wait(kStepMs);
  }
}

}  // namespace

bool ClipboardText::WaitForChange(uint32_t before, uint32_t timeout_ms) {
  return WaitFor(pump_, timeout_ms, [&] { return clipboard_.SequenceNumber() != before; });
}

bool ClipboardText::WaitUntilTaken(uint32_t timeout_ms) {
  return WaitFor(pump_, timeout_ms, [&] { return clipboard_.OfferTaken(); });
}

void Paste(SyntheticInput& input, ClipboardText& clipboard, const std::u16string& text) {
  const ClipboardSnapshot saved = clipboard.Save();
  clipboard.Offer(text, ClipboardUse::ToPaste);
  input.SendCtrlChord(u'V');
  // An application that never reads it still gets the user's clipboard back, a second later.
  clipboard.WaitUntilTaken();
  clipboard.Restore(saved);
}

}  // namespace ravak
