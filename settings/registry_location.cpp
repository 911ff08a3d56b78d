// The registry key the settings sections share, opened at its first use and kept open, and the
// values of its sections read and written.
#include "settings/settings_store.h"

namespace ravak {
namespace {

// Closes a key opened for one value operation, also when that operation throws.
class ScopedKey {
 public:
  ScopedKey(Registry& registry, RegistryKey key) : registry_(registry), key_(key) {}
  ~ScopedKey() {
    if (key_ != kNoRegistryKey) registry_.CloseKey(key_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  RegistryKey get() const { return key_; }

 private:
  Registry& registry_;
  RegistryKey key_;
};

}  // namespace

RegistryLocation::~RegistryLocation() {
  if (key_ != kNoRegistryKey) registry_.CloseKey(key_);
}

RegistryKey RegistryLocation::Location() {
  // A refusal is not remembered: the next use tries again.
  if (key_ == kNoRegistryKey) key_ = registry_.CreateKey(registry_.Root(), path_);
  return key_;
}

std::optional<RegistryValue> RegistryLocation::ReadValue(const std::u16string& section,
                                                         const std::u16string& name) {
  const RegistryKey location = Location();
  if (location == kNoRegistryKey) return std::nullopt;
  ScopedKey key(registry_, registry_.OpenKey(location, section));
  if (key.get() == kNoRegistryKey) return std::nullopt;
  return registry_.QueryValue(key.get(), name, kMaxStoredValueBytes);
}

template <typename Write>
bool RegistryLocation::WriteInSection(const std::u16string& section, Write write) {
  const RegistryKey location = Location();
  if (location == kNoRegistryKey) return false;
  ScopedKey key(registry_, registry_.CreateKey(location, section));
  if (key.get() == kNoRegistryKey) return false;
  return write(key.get());
}

bool RegistryLocation::WriteString(const std::u16string& section, const std::u16string& name,
                                   const std::u16string& text) {
  return WriteInSection(section,
                        [&](RegistryKey key) { return registry_.SetString(key, name, text); });
}

bool RegistryLocation::WriteDword(const std::u16string& section, const std::u16string& name,
                                  uint32_t value) {
  return WriteInSection(section,
                        [&](RegistryKey key) { return registry_.SetDword(key, name, value); });
}

bool RegistryLocation::DeleteValue(const std::u16string& section, const std::u16string& name) {
  return WriteInSection(section, [&](RegistryKey key) { return registry_.DeleteValue(key, name); });
}

}  // namespace ravak
