// The registry interface over a predefined hive of the Win32 registry.
#include <windows.h>

#include "platform/registry.h"

namespace ravak {
namespace {

static_assert(kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ && kRegBinary == REG_BINARY &&
              kRegDword == REG_DWORD && kRegQword == REG_QWORD);
static_assert(sizeof(wchar_t) == sizeof(char16_t));

const wchar_t* W(const std::u16string& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
}
HKEY H(RegistryKey key) {
  return reinterpret_cast<HKEY>(key);
}
RegistryKey K(HKEY key) {
  return reinterpret_cast<RegistryKey>(key);
}

class Win32Registry : public Registry {
 public:
  explicit Win32Registry(HKEY hive) : hive_(hive) {}

  RegistryKey Root() override { return K(hive_); }

  RegistryKey CreateKey(RegistryKey parent, const std::u16string& path) override {
    HKEY key = nullptr;
    if (RegCreateKeyExW(H(parent), W(path), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return kNoRegistryKey;
    }
    return K(key);
  }

  RegistryKey OpenKey(RegistryKey parent, const std::u16string& path) override {
    HKEY key = nullptr;
    if (RegOpenKeyExW(H(parent), W(path), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return kNoRegistryKey;
    }
    return K(key);
  }

  void CloseKey(RegistryKey key) override {
    if (key != kNoRegistryKey && H(key) != hive_) RegCloseKey(H(key));
  }

  std::optional<RegistryValue> QueryValue(RegistryKey key, const std::u16string& name,
                                          std::size_t max_bytes) override {
    RegistryValue value;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(H(key), W(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    // The value may grow between the two calls when another program writes it.
    for (int attempt = 0; attempt < 4; ++attempt) {
      if (size > max_bytes) {
        value.type = type;
        value.too_long = size;
        return value;
      }
      value.data.resize(size);
      DWORD got = size;
      const LONG rc = RegQueryValueExW(H(key), W(name), nullptr, &type,
                                       size > 0 ? value.data.data() : nullptr, &got);
      if (rc == ERROR_SUCCESS) {
        value.type = type;
        value.data.resize(got);
        return value;
      }
      if (rc != ERROR_MORE_DATA) return std::nullopt;
      size = got > size ? got : size + 64;
    }
    return std::nullopt;
  }

  bool SetString(RegistryKey key, const std::u16string& name, const std::u16string& text) override {
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
    return RegSetValueExW(H(key), W(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytes) == ERROR_SUCCESS;
  }

  bool SetDword(RegistryKey key, const std::u16string& name, uint32_t value) override {
    const DWORD data = value;
    return RegSetValueExW(H(key), W(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
  }

  bool DeleteValue(RegistryKey key, const std::u16string& name) override {
    return RegDeleteValueW(H(key), W(name)) == ERROR_SUCCESS;
  }

 private:
  HKEY hive_;
};

}  // namespace

std::unique_ptr<Registry> MakeCurrentUserRegistry() {
  return std::make_unique<Win32Registry>(HKEY_CURRENT_USER);
}

}  // namespace ravak
