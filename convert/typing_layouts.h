// The keyboards as the typing path reads them: the pair of layouts Ravak converts between, read
// from the system (keyboard/layout_reader.h) and kept in the layout map; the part each input's
// layout plays (the user's Latin or Persian layout, or a third one Ravak leaves alone); what a
// key typed on either of the pair; and the request that the window in front type with one of
// them.
#pragma once

#include <cstdint>
#include <optional>

#include "convert/layout_map.h"
#include "keyboard/layout_reader.h"
#include "platform/keyboard_layouts.h"
#include "typing/key_stream.h"

namespace ravak {

class TypingLayouts {
 public:
  // Until the first Refresh, the US and the old Persian tables (the map's own default).
  TypingLayouts(InstalledLayouts& system, LayoutMap& map);

  // Reads the pair again when the system's list of layouts has changed (the first call always
  // reads); the map then follows it, the keyboard type last applied holding on. True when it
  // read.
  bool Refresh();
  const KeyboardPair& Pair() const { return keyboards_.Pair(); }
  const LayoutMap& Map() const { return map_; }

  // What an input's layout (its handle's low 32 bits, as stamped) is to Ravak. A layout missing
  // from the list last read has the list read again first: it was installed since.
  LayoutRole RoleOf(uint32_t layout);

  // What a key typed on the Latin or the Persian layout: the character the field got (the key
  // found by its scan code, or by its virtual key when the scan code names none of the layout's
  // keys), and what the same key types on the Latin layout (0 when it types nothing there).
  // Nothing for a key that types no character of its own (see TypedChar) or none that Ravak
  // knows there (a key that types several).
  struct KeyReading {
    char16_t shown = 0;
    char16_t latin = 0;
  };
  std::optional<KeyReading> Read(const UserKey& key, LayoutRole side) const;

  // The installed layout of a side; nothing where a built-in table serves.
  std::optional<LayoutHandle> Installed(Language side) const;
  // Asks the window in front to type with the layout.
  LayoutRequest Request(LayoutHandle layout) { return system_.RequestInForeground(layout); }

 private:
  InstalledLayouts& system_;
  LayoutMap& map_;
  SystemKeyboards keyboards_;
};

}  // namespace ravak
