#include "clipstack/clip_stack.h"

#include "typing/running_flag.h"

#include <algorithm>
#include <utility>

namespace ravak {

// --- ClipItemList ---------------------------------------------------------------------------

std::vector<std::u16string> ClipItemList::Texts() const {
  std::vector<std::u16string> texts;
  texts.reserve(items_.size());
  for (const Item& item : items_) texts.push_back(item.text);
  return texts;
}

int ClipItemList::IndexOf(ItemId id) const {
  if (id == kNone) return kNoItem;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].id == id) return static_cast<int>(i);
  }
  return kNoItem;
}

void ClipItemList::Changed() {
  // Forget what no longer exists, so a later item can never inherit a stale selection or edit.
  if (IndexOf(selected_) == kNoItem) selected_ = kNone;
  if (IndexOf(editing_) == kNoItem) CloseEdit();
  if (on_changed_) on_changed_();
}

ClipItemList::ItemId ClipItemList::Append(std::u16string text) {
  const ItemId id = next_id_++;
  items_.push_back(Item{id, std::move(text)});
  return id;
}

void ClipItemList::Push(std::u16string text) {
  items_.insert(items_.begin(), Item{next_id_++, std::move(text)});
  if (items_.size() > kCopyLimit) items_.resize(kCopyLimit);
  Changed();
}

bool ClipItemList::Top(ItemId& id, std::u16string& text) const {
  if (items_.empty()) return false;
  id = items_.front().id;
  text = items_.front().text;
  return true;
}

void ClipItemList::Remove(ItemId id) {
  const int index = IndexOf(id);
  if (index == kNoItem) return;
  items_.erase(items_.begin() + index);
  Changed();
}

void ClipItemList::Add(std::u16string text) {
  StoreEdit();
  Append(std::move(text));
  Changed();
}

void ClipItemList::Delete() {
  StoreEdit();
  const int index = Selected();
  if (index == kNoItem) return;
  items_.erase(items_.begin() + index);
  if (items_.empty()) {
    selected_ = kNone;
  } else {
    selected_ =
        items_[std::min<std::size_t>(static_cast<std::size_t>(index), items_.size() - 1)].id;
  }
  Changed();
}

void ClipItemList::Swap(std::size_t a, std::size_t b) {
  std::swap(items_[a], items_[b]);
  Changed();
}

void ClipItemList::Up() {
  StoreEdit();
  const int index = Selected();
  if (index <= 0) return;
  Swap(static_cast<std::size_t>(index), static_cast<std::size_t>(index - 1));
}

void ClipItemList::Down() {
  StoreEdit();
  const int index = Selected();
  if (index == kNoItem || static_cast<std::size_t>(index) + 1 >= items_.size()) return;
  Swap(static_cast<std::size_t>(index), static_cast<std::size_t>(index + 1));
}

void ClipItemList::Select(int index) {
  StoreEdit();
  const bool valid = index >= 0 && static_cast<std::size_t>(index) < items_.size();
  const ItemId id = valid ? items_[static_cast<std::size_t>(index)].id : kNone;
  if (id == selected_) return;
  selected_ = id;
  Changed();
}

void ClipItemList::Click(int index) {
  // A click in the list takes the focus from an open editor.
  StoreEdit();
  if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) return;
  if (index == Selected()) {
    BeginEdit(static_cast<std::size_t>(index));
  } else {
    Select(index);
  }
}

bool ClipItemList::KeyDown(uint16_t key) {
  if (Editing()) {
    if (key == listkey::kReturn) {
      if (!edit_text_.empty()) StoreEdit();
      return true;
    }
    if (key == listkey::kEscape) {
      CloseEdit();
      Changed();
      return true;
    }
    return false;
  }
  switch (key) {
    case listkey::kSpace:
      if (Selected() == kNoItem) return false;
      BeginEdit(static_cast<std::size_t>(Selected()));
      return true;
    case listkey::kInsert:
      selected_ = Append({});
      BeginEdit(items_.size() - 1);
      return true;
    case listkey::kDelete:
      if (Selected() == kNoItem) return false;
      Delete();
      return true;
    default:
      return false;
  }
}

void ClipItemList::BeginEdit(std::size_t index) {
  editing_ = items_[index].id;
  edit_text_ = items_[index].text;
  Changed();
}

void ClipItemList::SetEditText(std::u16string text) {
  if (!Editing()) return;
  edit_text_ = std::move(text);
}

void ClipItemList::FocusLost() {
  StoreEdit();
}

void ClipItemList::StoreEdit() {
  const int index = EditingIndex();
  if (index == kNoItem) return;
  items_[static_cast<std::size_t>(index)].text = std::move(edit_text_);
  CloseEdit();
  Changed();
}

void ClipItemList::CloseEdit() {
  editing_ = kNone;
  edit_text_.clear();
}

// --- AdvancedCopyPaste ----------------------------------------------------------------------

AdvancedCopyPaste::AdvancedCopyPaste(ClipItemList& list, SyntheticInput& input,
                                     ClipboardText& clipboard)
    : list_(list), input_(input), clipboard_(clipboard) {}

bool AdvancedCopyPaste::Copy(ShiftState held) {
  if (running_) return false;
  RunningFlag guard(running_);
  Sequence sequence(input_);
  input_.ReleaseModifiers(held);
  const uint32_t before = clipboard_.SequenceNumber();
  input_.SendCtrlChord(u'C');
  // With nothing selected the application copies nothing, and the clipboard's text is taken
  // as it stands, once the application has had its chance.
  clipboard_.WaitForChange(before);
  std::u16string text = clipboard_.Read();
  list_.Push(std::move(text));
  return true;
}

bool AdvancedCopyPaste::Paste(ShiftState held) {
  if (running_) return false;
  ClipItemList::ItemId id = 0;
  std::u16string text;
  if (!list_.Top(id, text)) return false;
  RunningFlag guard(running_);
  Sequence sequence(input_);
  ClipboardLoan loan(clipboard_);
  // Only a text that reached the clipboard leaves the list; the offer pumps messages while it
  // waits for the clipboard, so the item is removed by identity, wherever it stands by then.
  loan.Offer(text);
  list_.Remove(id);
  input_.ReleaseModifiers(held);
  input_.SendCtrlChord(u'V');
  loan.WaitUntilTaken();
  loan.Return();
  return true;
}

bool AdvancedCopyPaste::CopyHotkeyPressed(bool active_flag, ShiftState held) {
  return active_flag && Copy(held);
}

bool AdvancedCopyPaste::PasteHotkeyPressed(bool active_flag, ShiftState held) {
  return active_flag && Paste(held);
}

}  // namespace ravak
