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
  // Empties the clipboard and leaves text (with its NUL) as its only content.
  void Write(const std::u16string& text, ClipboardUse use);
  uint32_t SequenceNumber() { return clipboard_.SequenceNumber(); }

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

// Types text into the focused application through the clipboard and puts the user's clipboard
// back afterwards.
void Paste(SyntheticInput& input, ClipboardText& clipboard, const std::u16string& text);

}  // namespace ravak
