// The system clipboard, reduced to what Ravak uses: Unicode text, and the formats held as plain
// memory blocks, which Ravak saves before it borrows the clipboard and puts back afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ravak {

// Clipboard format numbers of the system (the CF_ constants).
namespace clipformat {
constexpr uint32_t kText = 1;
constexpr uint32_t kBitmap = 2;
constexpr uint32_t kMetafilePict = 3;
constexpr uint32_t kOemText = 7;
constexpr uint32_t kDib = 8;
constexpr uint32_t kPalette = 9;
constexpr uint32_t kUnicodeText = 13;
constexpr uint32_t kEnhMetafile = 14;
constexpr uint32_t kHDrop = 15;
constexpr uint32_t kLocale = 16;
constexpr uint32_t kDibV5 = 17;
// Owner-display formats (CF_OWNERDISPLAY to CF_DSPENHMETAFILE): the owner paints them.
constexpr uint32_t kOwnerDisplayFirst = 0x80;
constexpr uint32_t kOwnerDisplayLast = 0x8F;
// CF_PRIVATEFIRST to CF_GDIOBJLAST: private handles the system neither frees nor knows.
constexpr uint32_t kPrivateFirst = 0x200;
constexpr uint32_t kGdiObjectLast = 0x3FF;
// Formats from RegisterClipboardFormat start here.
constexpr uint32_t kRegisteredFirst = 0xC000;
}  // namespace clipformat

// One format's data, the bytes of its memory block.
struct ClipboardFormatData {
  uint32_t format = 0;
  std::vector<uint8_t> bytes;
  bool operator==(const ClipboardFormatData&) const = default;
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // IsClipboardFormatAvailable(CF_TEXT): true whenever either text format is present.
  virtual bool HasText() = 0;
  // CountClipboardFormats, synthesised formats included; needs no Open.
  virtual int FormatCount() = 0;
  // OpenClipboard on behalf of the program's window; false when another program holds it.
  virtual bool Open() = 0;
  virtual void Close() = 0;
  // The system's text for the last error (after a failed Open).
  virtual std::string LastErrorText() = 0;
  // CF_UNICODETEXT up to the first NUL; false when the clipboard holds no such data.
  virtual bool GetText(std::u16string& out) = 0;
  virtual void Empty() = 0;
  // Adds the registered formats that keep this content out of clipboard history and clipboard
  // monitors ("ExcludeClipboardContentFromMonitorProcessing", "CanIncludeInClipboardHistory"
  // = DWORD 0, "Clipboard Viewer Ignore").
  virtual void MarkExcludedFromHistory() = 0;
  // Delayed rendering: puts CF_UNICODETEXT on the clipboard without its data, which is made
  // from text only when the application Ravak pastes into asks for it (see MayReadOffer); any
  // other reader, a clipboard monitor say, gets no text. False when SetClipboardData refused.
  virtual bool OfferText(const std::u16string& text) = 0;
  // Whether that application has read the offered text since the last OfferText.
  virtual bool OfferTaken() = 0;
  // Whether the offered text is still on the clipboard unread: no program has put anything else
  // there since.
  virtual bool Offering() = 0;
  // Runs on the user-interface thread each time the offered text has been read, once the reader
  // has let go of the clipboard.
  virtual void SetOnTaken(std::function<void()> handler) = 0;
  // GetClipboardSequenceNumber: changes with every change of the clipboard's content.
  virtual uint32_t SequenceNumber() = 0;

  // The following need the clipboard open.
  // EnumClipboardFormats: every format, synthesised ones included, in the clipboard's order.
  virtual std::vector<uint32_t> Formats() = 0;
  // GetClipboardFormatName of a registered format (UTF-8); empty for the predefined ones.
  virtual std::string FormatName(uint32_t format) = 0;
  // A copy of the format's memory block (rendered now if its owner delayed it); false when it
  // cannot be read, or it is not a memory block (a GDI object, say).
  virtual bool ReadFormat(uint32_t format, std::vector<uint8_t>& out) = 0;
  // Hands a copy of the bytes over in a new moveable memory block; false when SetClipboardData
  // refused it (the memory is freed then).
  virtual bool WriteFormat(uint32_t format, const std::vector<uint8_t>& bytes) = 0;
  // Whether the clipboard's owner answers at once: a format it renders only when asked is read
  // through it, and one that hangs would keep the reader waiting without end.
  virtual bool OwnerAnswers() { return true; }
};

// Who may read the text Ravak offers for a paste: the process of the focused field it pastes
// into, or of the window in front. In the apps that run in a frame (Mail, Sticky Notes, the
// Start menu's search), the frame belongs to ApplicationFrameHost and the field to the app's own
// process. A reader that has no window cannot be told apart, and is served; 0 is unknown.
inline bool MayReadOffer(uint32_t reader, uint32_t front, uint32_t focus) {
  if (reader == 0 || (front == 0 && focus == 0)) return true;
  return reader == front || reader == focus;
}

}  // namespace ravak
