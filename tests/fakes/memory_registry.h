// An in-memory registry hive with the system's model: keys and values with case-insensitive
// names, typed values of any registry type, open handles, and writes that can be refused. Every
// change lands in a log ("create key A\B", "set A\B\n = dword 5", "set ... = sz \"x\"",
// "delete A\B\n").
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/utf.h"

namespace ravak::testing {

class MemoryRegistry : public Registry {
 public:
  struct NoCase {
    bool operator()(const std::u16string& a, const std::u16string& b) const {
      return Fold(a) < Fold(b);
    }
  };
  struct Key {
    std::u16string path;  // from the hive, "" for the hive itself
    std::map<std::u16string, std::unique_ptr<Key>, NoCase> subkeys;
    std::map<std::u16string, RegistryValue, NoCase> values;
  };

  MemoryRegistry() { handles_[kRootHandle] = &root_; }

  // ---- Registry ----
  RegistryKey Root() override { return kRootHandle; }

  RegistryKey CreateKey(RegistryKey parent, const std::u16string& path) override {
    Key* key = Resolve(parent);
    if (key == nullptr || refuse_create_key) return kNoRegistryKey;
    return NewHandle(MakePath(key, path, true));
  }

  RegistryKey OpenKey(RegistryKey parent, const std::u16string& path) override {
    Key* key = Find(Resolve(parent), path);
    return key == nullptr ? kNoRegistryKey : NewHandle(key);
  }

  void CloseKey(RegistryKey key) override {
    if (key == kRootHandle) return;
    if (handles_.erase(key) == 0) ++bad_closes;
  }

  std::optional<RegistryValue> QueryValue(RegistryKey key, const std::u16string& name,
                                          std::size_t max_bytes) override {
    Key* k = Resolve(key);
    if (k == nullptr) return std::nullopt;
    auto it = k->values.find(name);
    if (it == k->values.end()) return std::nullopt;
    if (it->second.data.size() > max_bytes)
      return RegistryValue{it->second.type, {}, it->second.data.size()};
    return it->second;
  }

  bool SetString(RegistryKey key, const std::u16string& name, const std::u16string& text) override {
    if (!AllowWrite()) return false;
    Key* k = Resolve(key);
    if (k == nullptr) return false;
    k->values[name] = TextValue(text, kRegSz);
    log.push_back("set " + Utf16ToUtf8(Join(k->path, name)) + " = sz \"" + Utf16ToUtf8(text) +
                  "\"");
    return true;
  }

  bool SetDword(RegistryKey key, const std::u16string& name, uint32_t value) override {
    if (!AllowWrite()) return false;
    Key* k = Resolve(key);
    if (k == nullptr) return false;
    k->values[name] = DwordValue(value);
    log.push_back("set " + Utf16ToUtf8(Join(k->path, name)) + " = dword " + std::to_string(value));
    return true;
  }

  bool DeleteValue(RegistryKey key, const std::u16string& name) override {
    Key* k = Resolve(key);
    if (k == nullptr || refuse_writes || k->values.erase(name) == 0) return false;
    log.push_back("delete " + Utf16ToUtf8(Join(k->path, name)));
    return true;
  }

  // ---- Test set-up and inspection (paths from the hive) ----
  static RegistryValue TextValue(const std::u16string& text, uint32_t type = kRegSz) {
    RegistryValue v{type, {}};
    for (char16_t c : text) {
      v.data.push_back(static_cast<uint8_t>(c & 0xFF));
      v.data.push_back(static_cast<uint8_t>(c >> 8));
    }
    v.data.push_back(0);
    v.data.push_back(0);
    return v;
  }
  static RegistryValue DwordValue(uint32_t value) {
    return {kRegDword,
            {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
             static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)}};
  }

  // Stores a value without logging, creating its key.
  void Put(const std::u16string& path, const std::u16string& name, RegistryValue value) {
    MakePath(&root_, path, false)->values[name] = std::move(value);
  }

  const RegistryValue* Get(const std::u16string& path, const std::u16string& name) {
    Key* key = Find(&root_, path);
    if (key == nullptr) return nullptr;
    auto it = key->values.find(name);
    return it == key->values.end() ? nullptr : &it->second;
  }

  bool HasKey(const std::u16string& path) { return Find(&root_, path) != nullptr; }

  // Handles open now, the hive not counted.
  std::size_t OpenHandles() const { return handles_.size() - 1; }

  std::vector<std::string> log;
  bool refuse_create_key = false;
  bool refuse_writes = false;
  int writes_before_refusal = -1;  // >= 0: that many more value writes succeed, then none
  int bad_closes = 0;
  int bad_handles = 0;  // operations on a handle that is not open

 private:
  static constexpr RegistryKey kRootHandle = 1;

  static std::u16string Fold(const std::u16string& s) {
    std::u16string f = s;
    for (char16_t& c : f) {
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return f;
  }

  static std::vector<std::u16string> Split(const std::u16string& path) {
    std::vector<std::u16string> parts;
    std::u16string part;
    for (char16_t c : path) {
      if (c == u'\\') {
        if (!part.empty()) parts.push_back(part);
        part.clear();
      } else {
        part.push_back(c);
      }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
  }

  static std::u16string Join(const std::u16string& path, const std::u16string& name) {
    return path.empty() ? name : path + u"\\" + name;
  }

  Key* MakePath(Key* key, const std::u16string& path, bool logged) {
    for (const std::u16string& part : Split(path)) {
      auto& slot = key->subkeys[part];
      if (!slot) {
        slot = std::make_unique<Key>();
        slot->path = key->path.empty() ? part : key->path + u"\\" + part;
        if (logged) log.push_back("create key " + Utf16ToUtf8(slot->path));
      }
      key = slot.get();
    }
    return key;
  }

  static Key* Find(Key* key, const std::u16string& path) {
    if (key == nullptr) return nullptr;
    for (const std::u16string& part : Split(path)) {
      auto it = key->subkeys.find(part);
      if (it == key->subkeys.end()) return nullptr;
      key = it->second.get();
    }
    return key;
  }

  Key* Resolve(RegistryKey handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) {
      ++bad_handles;
      return nullptr;
    }
    return it->second;
  }

  RegistryKey NewHandle(Key* key) {
    handles_[next_handle_] = key;
    return next_handle_++;
  }

  bool AllowWrite() {
    if (refuse_writes || writes_before_refusal == 0) return false;
    if (writes_before_refusal > 0) --writes_before_refusal;
    return true;
  }

  Key root_;
  std::map<RegistryKey, Key*> handles_;
  RegistryKey next_handle_ = 100;
};

}  // namespace ravak::testing
