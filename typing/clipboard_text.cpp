#include "typing/clipboard_text.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/keyboard.h"

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
  if (!clipboard_.OwnerAnswers()) return text;
  if (!clipboard_.GetText(text)) return {};
  const auto nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  return text;
}

std::u16string ClipboardText::UserText() {
  if (!later_ || !clipboard_.Offering()) return Read();
  for (const ClipboardFormatData& data : *later_) {
    if (data.format != clipformat::kUnicodeText || data.bytes.size() < sizeof(char16_t)) continue;
    std::u16string text(data.bytes.size() / sizeof(char16_t), u'\0');
    std::memcpy(text.data(), data.bytes.data(), text.size() * sizeof(char16_t));
    text.resize(std::min(text.size(), text.find(u'\0')));
    return text;
  }
  return {};
}

ClipboardText::ClipboardText(Clipboard& clipboard, MessagePump& pump)
    : clipboard_(clipboard), pump_(pump) {
  clipboard_.SetOnTaken([this] { OfferRead(); });
}

ClipboardText::~ClipboardText() {
  // The program ends with a paste's text still unread on the clipboard: the user's own content
  // goes back rather than the converted text staying there for good.
  if (!later_ || !clipboard_.Offering()) return;
  try {
    Restore(*later_);
  } catch (const Error&) {
    // Another program holds the clipboard open: what is on it stays.
  }
}

ClipboardSnapshot ClipboardText::Save(std::size_t limit) {
  if (later_) {
    std::optional<ClipboardSnapshot> user = std::exchange(later_, std::nullopt);
    if (clipboard_.Offering()) return std::move(*user);
  }
  if (clipboard_.FormatCount() == 0) return {};
  OpenOrThrow();
  ClipboardSession session(clipboard_);
  const std::vector<uint32_t> formats = clipboard_.Formats();
  // The system makes CF_TEXT and CF_OEMTEXT from the Unicode text again.
  const bool unicode =
      std::find(formats.begin(), formats.end(), clipformat::kUnicodeText) != formats.end();
  std::vector<uint32_t> wanted;
  for (const uint32_t format : formats) {
    if (IsHandleFormat(format)) continue;
    if (unicode && (format == clipformat::kText || format == clipformat::kOemText)) continue;
    if (format >= clipformat::kRegisteredFirst && IsOwnersHandle(clipboard_.FormatName(format)))
      continue;
    wanted.push_back(format);
  }
  // The text is read first and kept whatever its size; the others while they fit and while
  // there is time. Each is kept in the clipboard's order.
  std::stable_partition(wanted.begin(), wanted.end(), IsTextFormat);
  const uint64_t deadline = pump_.NowMs() + kSnapshotMs;
  std::vector<std::pair<std::size_t, ClipboardFormatData>> kept;
  std::size_t total = 0;
  for (const uint32_t format : wanted) {
    const bool text = IsTextFormat(format);
    if (!text && pump_.NowMs() >= deadline) break;
    // A format the owner renders only when asked is read through it: an owner that does not
    // answer would keep the user's keys held without end, so what is left of it is skipped.
    if (!clipboard_.OwnerAnswers()) break;
    ClipboardFormatData data{format, {}};
    if (!clipboard_.ReadFormat(format, data.bytes)) continue;
    if (!text && (total > limit || data.bytes.size() > limit - total)) continue;
    total += data.bytes.size();
    const auto position = static_cast<std::size_t>(
        std::find(formats.begin(), formats.end(), format) - formats.begin());
    kept.emplace_back(position, std::move(data));
  }
  std::sort(kept.begin(), kept.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  ClipboardSnapshot saved;
  for (auto& [position, data] : kept) saved.push_back(std::move(data));
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

void ClipboardText::GiveBack(ClipboardSnapshot saved, bool offered) {
  later_.reset();
  if (offered && !clipboard_.OfferTaken()) {
    if (clipboard_.Offering()) later_ = std::move(saved);
    return;
  }
  Restore(saved);
}

void ClipboardText::OfferRead() {
  if (!later_) return;
  const ClipboardSnapshot saved = std::move(*later_);
  later_.reset();
  try {
    Restore(saved);
  } catch (const Error&) {
    // A clipboard another program holds open: what is on it now stays.
  }
}

// --- ClipboardLoan --------------------------------------------------------------------------

ClipboardLoan::ClipboardLoan(ClipboardText& clipboard)
    : clipboard_(clipboard), saved_(clipboard.Save()) {}

ClipboardLoan::~ClipboardLoan() {
  if (returned_) return;
  try {
    Return();
  } catch (const Error&) {
    // The error that ended the loan is the one reported.
  }
}

void ClipboardLoan::Offer(const std::u16string& text) {
  changed_ = true;
  clipboard_.Offer(text, ClipboardUse::ToPaste);
  offered_ = true;
}

void ClipboardLoan::Return() {
  returned_ = true;
  if (changed_) clipboard_.GiveBack(std::move(saved_), offered_);
}

void Paste(SyntheticInput& input, ClipboardText& clipboard, const std::u16string& text,
           std::size_t erase) {
  ClipboardLoan loan(clipboard);
  loan.Offer(text);
  input.SendKeyTimes(vk::kBack, erase);
  input.SendCtrlChord(u'V');
  loan.WaitUntilTaken();
  loan.Return();
}

}  // namespace ravak
