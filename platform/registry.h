// One registry hive, reduced to what the settings store uses: keys below a root, and named
// values that carry a registry type and raw bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ravak {

// An open key; 0 is no key.
using RegistryKey = uintptr_t;
constexpr RegistryKey kNoRegistryKey = 0;

// Registry value types, numbered as the system numbers them.
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegQword = 11;

struct RegistryValue {
  uint32_t type = 0;
  std::vector<uint8_t> data;  // as stored; texts are UTF-16LE, normally with their NUL
  // The stored size, when it is over the limit QueryValue was given: the data is then left
  // unread (empty). 0 otherwise.
  std::size_t too_long = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // The hive itself; never closed.
  virtual RegistryKey Root() = 0;
  // RegCreateKeyExW with full access: opens parent\path, creating it and any missing keys on
  // the way. kNoRegistryKey when the system refuses.
  virtual RegistryKey CreateKey(RegistryKey parent, const std::u16string& path) = 0;
  // RegOpenKeyExW for reading; kNoRegistryKey when the key is missing or cannot be opened.
  virtual RegistryKey OpenKey(RegistryKey parent, const std::u16string& path) = 0;
  virtual void CloseKey(RegistryKey key) = 0;
  // RegQueryValueExW: type and data, at most max_bytes of it: a longer value comes back with
  // its type and size (too_long) only, its data never read. nullopt when the value is missing
  // or cannot be read.
  virtual std::optional<RegistryValue> QueryValue(RegistryKey key, const std::u16string& name,
                                                  std::size_t max_bytes) = 0;
  // RegSetValueExW; false when the system refuses the write.
  // REG_SZ: the text with a terminating NUL.
  virtual bool SetString(RegistryKey key, const std::u16string& name,
                         const std::u16string& text) = 0;
  // REG_DWORD.
  virtual bool SetDword(RegistryKey key, const std::u16string& name, uint32_t value) = 0;
  // RegDeleteValueW; false when the value is missing or cannot be deleted.
  virtual bool DeleteValue(RegistryKey key, const std::u16string& name) = 0;
};

#ifdef _WIN32
// HKEY_CURRENT_USER.
std::unique_ptr<Registry> MakeCurrentUserRegistry();
#endif

}  // namespace ravak
