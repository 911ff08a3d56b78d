// Clipboard text test, read and write, and the clipboard-through paste.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clipboard.h"
#include "platform/message_pump.h"
#include "typing/synthetic_input.h"

namespace ravak {

// Who a clipboard write is for. Texts Ravak writes only to paste them are kept out of the
// user's clipboard history; texts given back to the user are ordinary content.
enum class ClipboardUse { ForUser, ToPaste };

class ClipboardText {
 public:
  // Opening is retried this often, with a pause of kOpenRetryMs (messages pumped) between
  // tries, before "Cannot open clipboard" is raised: about half a second in all.
  static constexpr int kOpenRetries = 50;
  static constexpr uint32_t kOpenRetryMs = 10;

  ClipboardText(Clipboard& clipboard, MessagePump& pump) : clipboard_(clipboard), pump_(pump) {}

  bool HasText() { return clipboard_.HasText(); }
  // The CF_UNICODETEXT text up to its first NUL; the empty text when there is none.
  std::u16string Read();
  // Empties the clipboard and leaves text (with its NUL) as its only content.
  void Write(const std::u16string& text, ClipboardUse use);
  uint32_t SequenceNumber() { return clipboard_.SequenceNumber(); }

 private:
  void OpenOrThrow();
  Clipboard& clipboard_;
  MessagePump& pump_;
};

// Types text into the focused application through the clipboard and puts the user's clipboard
// text back afterwards.
void Paste(SyntheticInput& input, ClipboardText& clipboard, const std::u16string& text);

}  // namespace ravak
