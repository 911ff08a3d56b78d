// Clipboard text test, read and write, the saving and restoring of the user's clipboard, and the
// clipboard-through paste.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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
  // How much of the user's clipboard a snapshot keeps besides the text, which is always kept:
  // a 4K screenshot (33 MB) and more.
  static constexpr std::size_t kSnapshotLimit = std::size_t{256} << 20;
  // How long a snapshot may go on reading formats after the text: an owner that renders its
  // formats only when asked (a large spreadsheet copy) may take seconds for each.
  static constexpr uint32_t kSnapshotMs = 500;

  ClipboardText(Clipboard& clipboard, MessagePump& pump);
  ~ClipboardText();
  ClipboardText(const ClipboardText&) = delete;
  ClipboardText& operator=(const ClipboardText&) = delete;

  bool HasText() { return clipboard_.HasText(); }
  // The CF_UNICODETEXT text up to its first NUL; the empty text when there is none.
  std::u16string Read();
  // The text the user has on the clipboard, read without changing anything: while a paste's
  // text still waits there unread, the user's own text, kept to be given back after it.
  std::u16string UserText();
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
  // order while they fit within limit bytes in all and for kSnapshotMs; each is read once.
  // Handles (bitmaps, palettes, metafiles), owner-drawn and private formats and the text
  // formats the system makes from the Unicode text are left out; so is whatever cannot be read.
  // An empty clipboard is not even opened. While an earlier paste's text still waits on the
  // clipboard, the user's clipboard is the one kept for after it.
  ClipboardSnapshot Save(std::size_t limit = kSnapshotLimit);
  // Empties the clipboard and puts the saved formats back; the system makes the bitmap and the
  // other text formats again. An empty snapshot leaves the clipboard empty.
  void Restore(const ClipboardSnapshot& saved);
  // After a paste (offered) or a cut: the user's clipboard back now, unless the offered text is
  // still unread: the application may still paste it, so the offer stays and the user's
  // clipboard comes back once it has been read. When a program has put something else on the
  // clipboard meanwhile, that stays.
  void GiveBack(ClipboardSnapshot saved, bool offered);
  // A give-back waits for the offer to be read.
  bool GivingBackLater() const { return later_.has_value(); }

 private:
  void OpenOrThrow();
  void OfferRead();
  Clipboard& clipboard_;
  MessagePump& pump_;
  std::optional<ClipboardSnapshot> later_;
};

// The user's clipboard lent to Ravak for a paste: saved when the loan begins (nothing has
// changed if that fails), and given back when it ends, on every way out, errors included.
class ClipboardLoan {
 public:
  explicit ClipboardLoan(ClipboardText& clipboard);
  ~ClipboardLoan();
  ClipboardLoan(const ClipboardLoan&) = delete;
  ClipboardLoan& operator=(const ClipboardLoan&) = delete;

  // Offers the text to paste.
  void Offer(const std::u16string& text);
  // The application changed the clipboard (a cut or a copy landed): it is given back too.
  void Changed() { changed_ = true; }
  bool WaitUntilTaken() { return clipboard_.WaitUntilTaken(); }
  // Gives the clipboard back (see ClipboardText::GiveBack); errors are raised here, and
  // swallowed when the loan ends on an error's way out.
  void Return();

 private:
  ClipboardText& clipboard_;
  ClipboardSnapshot saved_;
  bool changed_ = false;
  bool offered_ = false;
  bool returned_ = false;
};

// Types text into the focused application through the clipboard (Ctrl+V) and gives the user's
// clipboard back. erase: Backspaces sent first, once the text is ready on the clipboard.
void Paste(SyntheticInput& input, ClipboardText& clipboard, const std::u16string& text,
           std::size_t erase = 0);

}  // namespace ravak
