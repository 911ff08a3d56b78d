// Installed keyboard layouts answering as Windows does, from tables: the layout's keys type
// their characters, a dead key answers as dead and makes its combinations with the next key. A
// layout can be made unreadable (the system gives nothing for its keys, as Wine does). Requests
// for a layout are kept, and the window may refuse them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "keyboard/keyboard_layout.h"
#include "platform/keyboard_layouts.h"

namespace ravak::testing {

class FakeInstalledLayouts : public InstalledLayouts {
 public:
  struct Installed {
    LayoutHandle handle;
    KeyboardLayout layout;
    bool readable = true;
  };

  // Installs a layout under a handle as Windows gives it: the language in the low word, and
  // above it the language again, or for a variant (Dvorak, Persian (Standard)) 0xF000 and the
  // variant.
  LayoutHandle Install(const KeyboardLayout& layout, bool readable = true) {
    const uint32_t variant = layout.id >> 16;
    const uint32_t device = variant ? 0xF000 | variant : layout.Language();
    const LayoutHandle handle = static_cast<LayoutHandle>(device) << 16 | layout.Language();
    installed.push_back({handle, layout, readable});
    return handle;
  }

  std::vector<LayoutHandle> List() override {
    std::vector<LayoutHandle> list;
    for (const Installed& i : installed) list.push_back(i.handle);
    return list;
  }
  uint32_t Id(LayoutHandle layout) override {
    const Installed* i = Find(layout);
    return i ? i->layout.id : 0;
  }
  std::u16string Name(LayoutHandle layout) override {
    const Installed* i = Find(layout);
    return i ? i->layout.name : u"";
  }
  uint8_t VirtualKey(LayoutHandle layout, uint8_t scan) override {
    const LayoutKey* key = KeyOf(layout, scan);
    return key ? key->vk : 0;
  }
  KeyTyped Type(LayoutHandle layout, const LayoutKeyPress& press) override {
    const LayoutKey* key = KeyOf(layout, press.scan);
    if (!key || key->vk != press.vk || !key->Types(press.shift)) return {};
    return {std::u16string(1, key->Types(press.shift)), key->Dead(press.shift)};
  }
  std::u16string TypeAfterDeadKey(LayoutHandle layout, const LayoutKeyPress& dead,
                                  const LayoutKeyPress& next) override {
    const KeyTyped d = Type(layout, dead);
    const KeyTyped n = Type(layout, next);
    if (!d.dead) return d.text + n.text;
    const char16_t made = Find(layout)->layout.Combine(d.text[0], n.text.empty() ? 0 : n.text[0]);
    return made ? std::u16string(1, made) : d.text + n.text;
  }
  LayoutRequest RequestInForeground(LayoutHandle layout) override {
    requests.push_back(layout);
    if (answer == LayoutRequest::kTaken && on_request) on_request(layout);
    return answer;
  }

  std::vector<Installed> installed;
  std::vector<LayoutHandle> requests;
  LayoutRequest answer = LayoutRequest::kTaken;
  std::function<void(LayoutHandle)> on_request;  // the window takes the layout

 private:
  const Installed* Find(LayoutHandle layout) const {
    for (const Installed& i : installed) {
      if (i.handle == layout) return &i;
    }
    return nullptr;
  }
  const LayoutKey* KeyOf(LayoutHandle layout, uint8_t scan) const {
    const Installed* i = Find(layout);
    return i && i->readable ? i->layout.Key(scan) : nullptr;
  }
};

}  // namespace ravak::testing
