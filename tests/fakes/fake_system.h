// Recording fakes of the platform interfaces. Every call lands in one shared log, so a test can
// state the exact sequence of key events, clipboard operations and pauses a command produces.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/clipboard.h"
#include "platform/keyboard.h"
#include "platform/message_pump.h"
#include "platform/threads.h"
#include "platform/user_key_hold.h"

namespace ravak::testing {

using Log = std::vector<std::string>;

inline std::string Hex(unsigned v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%02X", v);
  return buf;
}

// keybd_event recorder. "press 0x11", "press 0xA0 ext", "release 0x24".
class FakeKeyboard : public KeyboardOutput {
 public:
  explicit FakeKeyboard(Log& log) : log_(log) {}
  void KeyEvent(uint8_t vk, uint8_t scan, uint32_t flags) override {
    std::string e = (flags & kKeyEventKeyUp) ? "release " : "press ";
    e += Hex(vk);
    if (flags & kKeyEventExtended) e += " ext";
    if (scan != 0) e += " scan=" + std::to_string(scan);  // 0: the key's own
    log_.push_back(e);
    if (on_key) on_key(vk, (flags & kKeyEventKeyUp) == 0);
  }
  // "type \"...\"" (non-ASCII as ?); on_text sees the text.
  void TypeText(std::u16string_view text) override {
    std::string e = "type \"";
    for (char16_t c : text) e += c < 0x80 ? static_cast<char>(c) : '?';
    log_.push_back(e + "\"");
    if (on_text) on_text(text);
  }
  std::function<void(std::u16string_view)> on_text;
  // Keys the user holds; the query is not logged.
  bool IsKeyDown(uint8_t vk) override { return held_keys.count(vk) != 0; }
  std::set<uint8_t> held_keys;
  std::function<void(uint8_t vk, bool down)> on_key;

 private:
  Log& log_;
};

// Message pump recorder: "process", "sleep 20". Normalize() folds a PumpAndSleep into "pause n".
class FakePump : public MessagePump, public Sleeper {
 public:
  explicit FakePump(Log& log) : log_(log) {}
  void ProcessMessages() override {
    log_.push_back("process");
    if (on_process) on_process();
  }
  void Sleep(uint32_t ms) override {
    log_.push_back("sleep " + std::to_string(ms));
    slept_ms += ms;
  }
  // Waiting for messages: the clock moves on by ms, and whatever on_process simulates happens.
  void Wait(uint32_t ms) override {
    log_.push_back("wait " + std::to_string(ms));
    slept_ms += ms;
    if (on_process) on_process();
  }
  uint64_t NowMs() override { return slept_ms; }
  std::function<void()> on_process;
  uint64_t slept_ms = 0;

 private:
  Log& log_;
};

// An in-memory clipboard with a sequence number and a holder that can keep it busy. Its text is
// CF_UNICODETEXT; other formats are byte blocks (a picture is a CF_DIB) that an Empty removes.
// Like the system it lists CF_TEXT and CF_OEMTEXT beside a text and CF_BITMAP beside a DIB
// without keeping them; a block can be made unreadable (a handle rather than memory).
class FakeClipboard : public Clipboard {
 public:
  struct Block {
    uint32_t format;
    std::vector<uint8_t> bytes;
    bool readable = true;
  };

  explicit FakeClipboard(Log& log) : log_(log) {}

  bool HasText() override { return has_text; }
  int FormatCount() override { return static_cast<int>(Formats().size()); }
  bool Open() override {
    if (busy_opens > 0) {
      --busy_opens;
      log_.push_back("open busy");
      return false;
    }
    log_.push_back("open");
    open_ = true;
    return true;
  }
  void Close() override {
    log_.push_back("close");
    open_ = false;
  }
  std::string LastErrorText() override { return "Access is denied"; }
  bool GetText(std::u16string& out) override {
    if (!has_text) return false;
    out = text;
    return true;
  }
  void Empty() override {
    offering = false;
    has_text = false;
    has_picture = false;
    excluded = false;
    text.clear();
    blocks.clear();
    ++sequence;
  }

  void MarkExcludedFromHistory() override {
    log_.push_back("exclude from history");
    excluded = true;
  }
  uint32_t SequenceNumber() override { return sequence; }
  bool OfferText(const std::u16string& t) override {
    if (refuse_set) return false;
    log_.push_back("offer \"" + Narrow(t) + "\"");
    has_text = true;
    text = t;
    offer_taken = false;
    offering = true;
    ++sequence;
    return true;
  }
  bool OfferTaken() override { return offer_taken; }
  bool Offering() override { return offering; }
  void SetOnTaken(std::function<void()> handler) override { on_taken_ = std::move(handler); }
  // What the application in front reads when it pastes: an offered text is rendered then.
  std::u16string PasteByOtherApp() {
    const std::u16string pasted = text;
    if (offering) {
      offering = false;
      offer_taken = true;
      if (on_taken_) on_taken_();
    }
    return pasted;
  }
  // What a clipboard monitor reads: an offered text is only for the application pasting.
  std::u16string ReadByMonitor() const { return offering ? std::u16string() : text; }

  std::vector<uint32_t> Formats() override {
    std::vector<uint32_t> formats;
    if (has_text) {
      for (const uint32_t format :
           {clipformat::kUnicodeText, clipformat::kText, clipformat::kOemText})
        formats.push_back(format);
    }
    for (const Block& b : blocks) formats.push_back(b.format);
    if (has_picture) formats.push_back(clipformat::kBitmap);
    return formats;
  }
  std::string FormatName(uint32_t format) override {
    const auto it = names.find(format);
    return it == names.end() ? std::string() : it->second;
  }
  bool ReadFormat(uint32_t format, std::vector<uint8_t>& out) override {
    queried.push_back(format);
    if (on_read) on_read(format);
    return Bytes(format, out);
  }
  // An owner that hangs: asked, it never answers in time.
  bool OwnerAnswers() override { return !owner_hung; }
  bool owner_hung = false;
  bool WriteFormat(uint32_t format, const std::vector<uint8_t>& bytes) override {
    if (refuse_set || refused_formats.count(format)) return false;
    if (format == clipformat::kUnicodeText) {
      std::u16string t(bytes.size() / 2, u'\0');
      for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
      if (!t.empty() && t.back() == u'\0') t.pop_back();
      log_.push_back("write \"" + Narrow(t) + "\"");
      has_text = true;
      text = t;
    } else {
      log_.push_back("write " + Hex(format) + " (" + std::to_string(bytes.size()) + " bytes)");
      blocks.push_back({format, bytes});
      if (format == clipformat::kDib) has_picture = true;
    }
    ++sequence;
    return true;
  }

  // What another application does when it puts text on the clipboard.
  void SetByOtherApp(const std::u16string& t) {
    Empty();
    offer_taken = false;
    has_text = true;
    text = t;
  }
  void SetPictureOnly() {
    Empty();
    AddByOtherApp(clipformat::kDib, Picture());
  }
  // Another format beside what the clipboard holds.
  void AddByOtherApp(uint32_t format, std::vector<uint8_t> bytes, bool readable = true) {
    blocks.push_back({format, std::move(bytes), readable});
    if (format == clipformat::kDib) has_picture = true;
    ++sequence;
  }
  // The bytes of a kept format; null when the clipboard does not hold it.
  const std::vector<uint8_t>* Data(uint32_t format) const {
    for (const Block& b : blocks)
      if (b.format == format) return &b.bytes;
    return nullptr;
  }
  // A small DIB: a BITMAPINFOHEADER of a 2x1 24-bit picture and its padded row.
  static std::vector<uint8_t> Picture() {
    std::vector<uint8_t> dib(40 + 8, 0);
    dib[0] = 40;
    dib[4] = 2;
    dib[8] = 1;
    dib[12] = 1;
    dib[14] = 24;
    for (std::size_t i = 40; i < 46; ++i) dib[i] = static_cast<uint8_t>(i);
    return dib;
  }

  static std::string Narrow(const std::u16string& t) {
    std::string s;
    for (char16_t c : t) s += c < 0x80 ? static_cast<char>(c) : '?';
    return s;
  }

  bool has_text = false;
  bool offer_taken = false;
  bool offering = false;                         // an offered text waits, unread
  std::function<void(uint32_t format)> on_read;  // a format's data is read (rendered)
  bool has_picture = false;
  bool excluded = false;
  bool refuse_set = false;
  std::set<uint32_t> refused_formats;
  int busy_opens = 0;
  std::u16string text;
  std::vector<Block> blocks;
  std::map<uint32_t, std::string> names;
  std::vector<uint32_t> queried;  // formats whose data was asked for
  uint32_t sequence = 1;

 private:
  // The format's data as the system hands it out: the text with its NUL, CF_TEXT and
  // CF_OEMTEXT made from it, or a kept block; false for a handle or a format not there.
  bool Bytes(uint32_t format, std::vector<uint8_t>& out) const {
    out.clear();
    if (has_text && format == clipformat::kUnicodeText) {
      for (char16_t c : text + u'\0') {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
      }
      return true;
    }
    if (has_text && (format == clipformat::kText || format == clipformat::kOemText)) {
      const std::string narrow = Narrow(text);
      out.assign(narrow.begin(), narrow.end());
      out.push_back(0);
      return true;
    }
    for (const Block& b : blocks) {
      if (b.format != format) continue;
      if (!b.readable) return false;
      out = b.bytes;
      return true;
    }
    return false;
  }

  Log& log_;
  bool open_ = false;
  std::function<void()> on_taken_;
};

// The hold on the user's keys: "hold" when the outermost sequence begins, "let go" when it ends.
class FakeKeyHold : public UserKeyHold {
 public:
  explicit FakeKeyHold(Log& log) : log_(log) {}
  void Begin() override {
    if (depth++ == 0) log_.push_back("hold");
  }
  void End() override {
    if (--depth == 0) log_.push_back("let go");
  }
  int depth = 0;

 private:
  Log& log_;
};

// Runs the thread body at once, on the calling thread.
class InlineThreadStarter : public ThreadStarter {
 public:
  void Start(std::function<void()> body) override {
    ++started;
    body();
  }
  int started = 0;
};

// Folds "process, process, sleep n, process, sleep n" into "pause n" and drops the clipboard's
// open/close bookkeeping unless keep_clipboard_sessions is set.
inline Log Normalize(const Log& log, bool keep_clipboard_sessions = false) {
  Log out;
  for (std::size_t i = 0; i < log.size(); ++i) {
    if (i + 4 < log.size() && log[i] == "process" && log[i + 1] == "process" &&
        log[i + 2].rfind("sleep ", 0) == 0 && log[i + 3] == "process" && log[i + 4] == log[i + 2]) {
      out.push_back("pause " + log[i + 2].substr(6));
      i += 4;
      continue;
    }
    if (!keep_clipboard_sessions && (log[i] == "open" || log[i] == "close")) continue;
    out.push_back(log[i]);
  }
  return out;
}

}  // namespace ravak::testing
