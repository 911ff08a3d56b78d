// Advanced copy and paste: the item list that Ctrl+Alt+C fills and Ctrl+Alt+V empties, newest
// first, with the editing behaviour of its list control on the "Advanced memory" tab.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "typing/clipboard_text.h"
#include "typing/synthetic_input.h"

namespace ravak {

// Keys the list control handles itself (Windows virtual-key codes).
namespace listkey {
constexpr uint16_t kReturn = 0x0D;
constexpr uint16_t kEscape = 0x1B;
constexpr uint16_t kSpace = 0x20;
constexpr uint16_t kInsert = 0x2D;
constexpr uint16_t kDelete = 0x2E;
}  // namespace listkey

// The ordered item list (index 0 is the top, the next to be pasted), its selection and
// its in-place editor. Every item has an identity of its own, so the selection, an open editor
// and a paste in progress stay with their item whatever else moves in between (the commands
// pump messages in their pauses, so the user can change the list in the middle of them).
class ClipItemList {
 public:
  using ItemId = uint64_t;
  static constexpr std::size_t kCopyLimit = 50;
  static constexpr int kNoItem = -1;

  std::size_t Count() const { return items_.size(); }
  const std::u16string& Text(std::size_t index) const { return items_.at(index).text; }
  std::vector<std::u16string> Texts() const;
  // The selected index, kNoItem when nothing is selected.
  int Selected() const { return IndexOf(selected_); }

  // Called after every change of the items, the selection or the editor, so the control can be
  // redrawn from the model.
  void SetOnChanged(std::function<void()> handler) { on_changed_ = std::move(handler); }

  // --- Copy and paste -------------------------------------------------------------------------
  // Puts text on top, empty text included, then drops items from the bottom until at most
  // kCopyLimit are left (items added by hand beyond the limit go at this point too).
  void Push(std::u16string text);
  // The top item; false when the list is empty.
  bool Top(ItemId& id, std::u16string& text) const;
  // Removes the item wherever it now stands; nothing when it is already gone.
  void Remove(ItemId id);

  // --- Buttons of the tab (an open editor is stored first, as when the focus leaves it) --------
  // The + button: appends text (the tab's "new item" text) at the bottom; the selection does
  // not change.
  void Add(std::u16string text);
  // The × button: deletes the selected item and selects the item that took its place, or the new
  // last item; nothing without a selection.
  void Delete();
  // The ▲ and ▼ buttons: moves the selected item one place; it stays selected. Nothing at the
  // top (up), at the bottom (down) or without a selection.
  void Up();
  void Down();

  // --- The list control ----------------------------------------------------------------------
  // The selection moved (arrow keys, code); kNoItem or an index out of range clears it.
  void Select(int index);
  // A click on the item at index (kNoItem: below the items). A click on the already selected
  // item opens the editor over it; a click on another item selects it.
  void Click(int index);
  // A key pressed in the list or, while editing, in the editor. Returns whether it was handled
  // here; unhandled keys belong to the control (or the editor) as usual.
  //   list:   Space edits the selected item; Insert appends an empty item, selects and edits
  //           it; Delete deletes the selected item as the Delete button does.
  //   editor: Enter stores a non-empty text and closes the editor (an empty text keeps it
  //           open); Esc closes it and keeps the item's text.
  bool KeyDown(uint16_t key);
  // The editor's text changed.
  void SetEditText(std::u16string text);
  // The editor lost the focus: its text is stored, empty or not.
  void FocusLost();

  bool Editing() const { return EditingIndex() != kNoItem; }
  // The item under the editor, kNoItem when it is closed. An item removed while it is being
  // edited (pasted, for example) closes the editor; the edited text is dropped.
  int EditingIndex() const { return IndexOf(editing_); }
  const std::u16string& EditText() const { return edit_text_; }

 private:
  struct Item {
    ItemId id;
    std::u16string text;
  };
  static constexpr ItemId kNone = 0;

  int IndexOf(ItemId id) const;
  ItemId Append(std::u16string text);
  void BeginEdit(std::size_t index);
  void StoreEdit();
  void CloseEdit();
  void Swap(std::size_t a, std::size_t b);
  void Changed();

  std::vector<Item> items_;
  ItemId next_id_ = 1;
  ItemId selected_ = kNone;
  ItemId editing_ = kNone;
  std::u16string edit_text_;
  std::function<void()> on_changed_;
};

// Copy and Paste, and the bodies of the two hotkey handlers.
class AdvancedCopyPaste {
 public:
  AdvancedCopyPaste(ClipItemList& list, SyntheticInput& input, ClipboardText& clipboard);

  // Copies the foreground application's selection with Ctrl+C and pushes the clipboard text
  // onto the list once the copy has landed (whatever the clipboard holds after a second when
  // it never does; the empty text when no text). The clipboard keeps the copied text.
  // held: the hotkey's modifiers, let go first. The user's keys are held back meanwhile.
  bool Copy(ShiftState held = {});
  // Offers the top item on the clipboard, removes it from the list once it is there, pastes it
  // with Ctrl+V and gives the user's clipboard back once the application has read it. Nothing
  // when the list is empty. A clipboard that cannot be written raises its error and leaves the
  // item on the list.
  bool Paste(ShiftState held = {});

  // The copy or paste hotkey was pressed: with the master switch on the command runs, with it
  // off nothing happens. Return whether the command ran.
  bool CopyHotkeyPressed(bool active_flag, ShiftState held = {});
  bool PasteHotkeyPressed(bool active_flag, ShiftState held = {});

  // A command is in progress. A further press that arrives in one of its pauses is ignored:
  // two chords interleaved in the foreground application would paste one item twice and lose
  // another, or copy into the middle of a paste.
  bool Running() const { return running_; }

 private:
  ClipItemList& list_;
  SyntheticInput& input_;
  ClipboardText& clipboard_;
  bool running_ = false;
};

}  // namespace ravak
