#include "typing/typed_record.h"

#include "platform/keyboard.h"
#include "typing/key_text.h"

namespace ravak {

namespace {

constexpr uint8_t kReturn = 0x0D;

}  // namespace

void TypedRecord::Input(const UserInput& input, const ReadKey& read) {
  if (input.kind != UserInput::Kind::kKey) {
    End();
    return;
  }
  const UserKey& key = input.key;
  if (key.stroke.up || IsPassiveKey(key.stroke.vk)) return;
  const bool chord = (key.modifiers & (modifier::kCtrl | modifier::kAlt | modifier::kWin)) != 0;
  if (key.stroke.vk == vk::kBack && !chord) {
    if (!entries_.empty()) entries_.pop_back();
    return;
  }
  if (key.stroke.vk == kReturn && !chord) {
    entries_.push_back(Entry{u'\r', u'\r'});
  } else if (const std::optional<Entry> typed = read(key)) {
    entries_.push_back(*typed);
  } else {
    End();  // a caret or navigation key, Delete, Tab, a chord: the caret may be anywhere
    return;
  }
  if (entries_.size() > kLimit) entries_.pop_front();
}

void TypedRecord::End() {
  entries_.clear();
}

void TypedRecord::Edited(std::size_t erase, std::u16string_view text) {
  if (erase > entries_.size()) {
    End();
    return;
  }
  entries_.erase(entries_.end() - static_cast<std::ptrdiff_t>(erase), entries_.end());
  for (const char16_t c : text) {
    entries_.push_back(Entry{0, c});
    if (entries_.size() > kLimit) entries_.pop_front();
  }
}

std::size_t TypedRecord::LineStart() const {
  for (std::size_t i = entries_.size(); i > 0; --i)
    if (entries_[i - 1].shown == u'\r') return i;
  return 0;
}

std::u16string TypedRecord::Shown(std::size_t begin) const {
  std::u16string text;
  for (std::size_t i = begin; i < entries_.size(); ++i) text += entries_[i].shown;
  return text;
}

}  // namespace ravak
