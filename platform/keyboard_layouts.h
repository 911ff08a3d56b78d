// The keyboard layouts installed on the system, as Windows answers for them: their list, what a
// key types in one of them, and the request that the window in front type with one.
// keyboard/layout_reader.h reads a layout key by key through these questions alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ravak {

// An installed layout as the system names it: the value of its HKL, whose low word is the
// input language (0x0429 Persian).
using LayoutHandle = uint64_t;

struct LayoutKeyPress {
  uint8_t vk = 0;
  uint8_t scan = 0;
  bool shift = false;
};

// What one key typed: its characters, and whether it is a dead key (its character then waits
// for the next key).
struct KeyTyped {
  std::u16string text;
  bool dead = false;
};

// How the window in front answered a request for a layout.
enum class LayoutRequest {
  kTaken,       // it types with the layout now
  kRefused,     // it could not be asked, or it kept its layout
  kUnanswered,  // it did not answer in time, and may still take it
};

class InstalledLayouts {
 public:
  virtual ~InstalledLayouts() = default;
  // GetKeyboardLayoutList: the layouts in the order of the system's list.
  virtual std::vector<LayoutHandle> List() = 0;
  // The layout's identifier as Windows writes it (KLID, 0x00050429), and its name
  // ("Persian (Standard)"); 0 and nothing when the system does not say.
  virtual uint32_t Id(LayoutHandle layout) = 0;
  virtual std::u16string Name(LayoutHandle layout) = 0;
  // MapVirtualKeyEx: the virtual-key code the layout gives a scan code; 0 for none.
  virtual uint8_t VirtualKey(LayoutHandle layout, uint8_t scan) = 0;
  // ToUnicodeEx of one key with no other key held, leaving the system's dead-key state as it was.
  virtual KeyTyped Type(LayoutHandle layout, const LayoutKeyPress& key) = 0;
  // What a dead key and the key after it type together: the character they make, or both
  // characters when they make none. The dead-key state is left as it was found.
  virtual std::u16string TypeAfterDeadKey(LayoutHandle layout, const LayoutKeyPress& dead,
                                          const LayoutKeyPress& next) = 0;
  // Asks the window in front to type with the layout from now on (WM_INPUTLANGCHANGEREQUEST, as
  // the language bar asks), and waits a moment for its answer.
  virtual LayoutRequest RequestInForeground(LayoutHandle layout) = 0;
};

}  // namespace ravak
