#include "typing/clipboard_text.h"

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

void ClipboardText::Write(const std::u16string& text, ClipboardUse use) {
  OpenOrThrow();
  ClipboardSession session(clipboard_);
  clipboard_.Empty();
  if (!clipboard_.SetText(text)) throw Error("Out of system resources");
  if (use == ClipboardUse::ToPaste) clipboard_.MarkExcludedFromHistory();
}

void Paste(SyntheticInput& input, ClipboardText& clipboard, const std::u16string& text) {
  std::u16string saved;
  if (clipboard.HasText()) saved = clipboard.Read();
  input.PumpAndSleep(2);
  clipboard.Write(text, ClipboardUse::ToPaste);
  input.PumpAndSleep(2);
  input.SendKey(vk::kControl, false, true);
  input.SendKey(input.LetterKey(u'V'), true, true);
  input.SendKey(vk::kControl, true, false);
  input.PumpAndSleep(2);
  clipboard.Write(saved, ClipboardUse::ForUser);
}

}  // namespace ravak
