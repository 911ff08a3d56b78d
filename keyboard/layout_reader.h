// The user's own keyboards, read from the system: an installed layout read key by key, and the
// two layouts Ravak converts between. The Persian layout is the first in the system's list whose
// language is Persian (0x0429); the Latin one the first that types Latin letters (English or
// another Latin-script language). Where the system has no such layout, or it cannot be read,
// the built-in table of that layout serves, and without one the US and the old Persian tables.
#pragma once

#include <optional>
#include <vector>

#include "keyboard/keyboard_layout.h"
#include "platform/keyboard_layouts.h"

namespace ravak {

// The layout's keys as the system types them, the combinations of its dead keys, its id and
// name (where the system gives none, that of Ravak's table of the layout); nothing when it types
// too few characters to be read (the system gives nothing for its keys).
std::optional<KeyboardLayout> ReadLayout(InstalledLayouts& system, LayoutHandle layout);

enum class LayoutRole { kLatin, kPersian, kOther };

struct KeyboardPair {
  KeyboardLayout latin;
  KeyboardLayout persian;
  // The installed layouts read; nothing where a built-in table serves.
  std::optional<LayoutHandle> latin_installed;
  std::optional<LayoutHandle> persian_installed;
};

KeyboardPair FindKeyboardPair(InstalledLayouts& system);

// The pair, kept and read again when the system's list of layouts changes.
class SystemKeyboards {
 public:
  explicit SystemKeyboards(InstalledLayouts& system);

  // Reads the pair when the list differs from the one last read (the first call always reads);
  // true when it did.
  bool Refresh();
  const KeyboardPair& Pair() const { return pair_; }
  // What a layout is to Ravak: one of the pair, or a third layout it leaves alone. Handles are
  // told apart by their low 32 bits, which the typing path stamps on each input. A layout of the
  // language of a side that a built-in table serves (none of it could be read) is that side.
  LayoutRole RoleOf(LayoutHandle layout) const;
  // Whether the layout was in the list last read.
  bool Listed(LayoutHandle layout) const;

 private:
  InstalledLayouts& system_;
  bool read_ = false;
  std::vector<LayoutHandle> list_;
  KeyboardPair pair_;
};

}  // namespace ravak
