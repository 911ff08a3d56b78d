// Clipboard text test, read and write, the saving and restoring of the user's clipboard, and the
// clipboard-through paste.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/message_pump.h"
#include "typing/synthetic_input.h"

namespace ravak {

// Who a clipboard write is for. Texts Ravak writes only to paste them are kept out of the
// user's clipboard history; texts given back to the user are ordinary content.
enum class ClipboardUse { ForUser, ToPaste };

// What the user had on the clipboard: the formats that are plain memory, in the clipboard's
// order. Empty when the clipboard held nothing that could be kept.
using ClipboardSnapshot = std::vector<ClipboardFormatData>;

class ClipboardText {
 public:
  // Opening is retried this often, with a pause of kOpenRetryMs (messages pumped) between
  // tries, before "Cannot open clipboard" is raised: about half a second in all.
  static constexpr int kOpenRetries = 50;
  static constexpr uint32_t kOpenRetryMs = 10;
  // How much of the user's clipboard a snapshot keeps besides the text, which is always kept.
  static constexpr std::size_t kSnapshotLimit = std::size_t{16} << 20;

  ClipboardText(Clipboard& clipboard, MessagePump& pump) : clipboard_(clipboard), pump_(pump) {}

  bool HasText() { return clipboard_.HasText(); }
  // The CF_UNICODETEXT text up to its first NUL; the empty text when there is none.
  std::u16string Read();
  uint32_t SequenceNumber() { return clipboard_.SequenceNumber(); }
  // Empties the clipboard and offers text for the next paste, made only when the application
  // asks for it, so that Ravak learns when it has been read (TextTaken).
  void Offer(const std::u16string& text, ClipboardUse use);
  bool TextTaken() { return clipboard_.OfferTaken(); }

  // Waits, servicing the queue, until the clipboard's content is no longer the one numbered
  // before (an application's cut or copy has landed), at most timeout_ms. False when it never
  // changed.
  bool WaitForChange(uint32_t before, uint32_t timeout_ms = kApplicationWaitMs);
  // Waits, servicing the queue, until the offered text has been read, at most timeout_ms.
  bool WaitUntilTaken(uint32_t timeout_ms = kApplicationWaitMs);
  // How long an application is given to act on a cut, a copy or a paste.
  static constexpr uint32_t kApplicationWaitMs = 1000;

  // Copies every format that is plain memory, the text first, the others in the clipboard's
  // order while they fit within limit bytes in all. Handles (bitmaps, palettes, metafiles),
  // owner-drawn and private formats and the text formats the system makes from the Unicode text
  // are left out; so is whatever cannot be read. An empty clipboard is not even opened.
  ClipboardSnapshot Save(std::size_t limit = kSnapshotLimit);
  // Empties the clipboard and puts the saved formats back; the system makes the bitmap and the
  // other text formats again. An empty snapshot leaves the clipboard empty.
  void Restore(const ClipboardSnapshot& saved);

 private:
  void OpenOrThrow();
  Clipboard& clipboard_;
  MessagePump& pump_;
};

// Types text into the focused application through the clipboard (Ctrl+V) and puts the user's
// clipboard back once the application has read the text.
void Paste(SyntheticInput& input, ClipboardText& clipboard, const std::u16string& text);

}  // namespace ravak
