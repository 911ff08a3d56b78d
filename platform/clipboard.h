// The system clipboard, reduced to what Ravak uses: plain Unicode text.
#pragma once

#include <cstdint>
#include <string>

namespace ravak {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // IsClipboardFormatAvailable(CF_TEXT): true whenever either text format is present.
  virtual bool HasText() = 0;
  // OpenClipboard on behalf of the program's window; false when another program holds it.
  virtual bool Open() = 0;
  virtual void Close() = 0;
  // The system's text for the last error (after a failed Open).
  virtual std::string LastErrorText() = 0;
  // CF_UNICODETEXT up to the first NUL; false when the clipboard holds no such data.
  virtual bool GetText(std::u16string& out) = 0;
  virtual void Empty() = 0;
  // Allocates and hands over the text with its terminating NUL; false when SetClipboardData
  // refused it (the memory is freed then).
  virtual bool SetText(const std::u16string& text) = 0;
  // Adds the registered formats that keep this content out of clipboard history and clipboard
  // monitors ("ExcludeClipboardContentFromMonitorProcessing", "CanIncludeInClipboardHistory"
  // = DWORD 0, "Clipboard Viewer Ignore").
  virtual void MarkExcludedFromHistory() = 0;
  // GetClipboardSequenceNumber: changes with every change of the clipboard's content.
  virtual uint32_t SequenceNumber() = 0;
};

}  // namespace ravak
