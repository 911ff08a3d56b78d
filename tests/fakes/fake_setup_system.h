// Fakes of Sorvel's installer session, removal system and desktop: an in-memory installer with
// its properties and the buffer conventions of the Msi*W calls, an in-memory file tree with
// links, and a desktop that records the programs asked to close.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "setupaction/system.h"

namespace sorvel::testing {

// Copies text into an installer-style buffer of *size characters.
inline uint32_t CopyOut(const std::u16string& text, char16_t* buffer, uint32_t* size) {
  const uint32_t room = *size;
  *size = static_cast<uint32_t>(text.size());
  if (room <= text.size()) {
    if (room > 0) {
      text.copy(buffer, room - 1);
      buffer[room - 1] = u'\0';
    }
    return kErrorMoreData;
  }
  text.copy(buffer, text.size());
  buffer[text.size()] = u'\0';
  return kSuccess;
}

class FakeInstallerSession : public InstallerSession {
 public:
  std::map<std::u16string, std::u16string> properties;
  std::map<std::u16string, int> conditions;  // missing: false
  std::vector<std::u16string> evaluated;     // every condition asked, in order
  std::vector<std::u16string> scheduled;     // DoAction: the action's property at that moment
  std::set<InstallerHandle> open_records;

  bool fail_create_record = false;
  uint32_t record_set_string_status = kSuccess;
  std::optional<uint32_t> format_status;  // instead of the real answer
  std::optional<uint32_t> get_property_status;

  int EvaluateCondition(const std::u16string& condition) override {
    evaluated.push_back(condition);
    const auto it = conditions.find(condition);
    return it == conditions.end() ? kConditionFalse : it->second;
  }
  InstallerHandle CreateRecord(uint32_t fields) override {
    if (fail_create_record || fields != 1) return 0;
    records_[++last_handle_] = u"";
    open_records.insert(last_handle_);
    return last_handle_;
  }
  uint32_t RecordSetString(InstallerHandle record, uint32_t field,
                           const std::u16string& value) override {
    if (record_set_string_status != kSuccess) return record_set_string_status;
    if (field != 0 || !records_.count(record)) return 1;
    records_[record] = value;
    return kSuccess;
  }
  uint32_t FormatRecord(InstallerHandle record, char16_t* buffer, uint32_t* size) override {
    if (format_status) return *format_status;
    return CopyOut(Format(records_.at(record)), buffer, size);
  }
  uint32_t CloseHandle(InstallerHandle handle) override {
    open_records.erase(handle);
    return kSuccess;
  }
  uint32_t SetProperty(const std::u16string& name, const std::u16string& value) override {
    properties[name] = value;
    return kSuccess;
  }
  uint32_t DoAction(const std::u16string& action) override {
    scheduled.push_back(properties[action]);
    return kSuccess;
  }
  uint32_t GetProperty(const std::u16string& name, char16_t* buffer, uint32_t* size) override {
    if (get_property_status) return *get_property_status;
    const auto it = properties.find(name);
    return CopyOut(it == properties.end() ? u"" : it->second, buffer, size);
  }

  // [Name] replaced by the property's value (empty when unset); the values themselves are not
  // formatted again, as the installer does.
  std::u16string Format(const std::u16string& text) const {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
      const auto close = text.find(u']', i);
      if (text[i] == u'[' && close != std::u16string::npos) {
        const auto it = properties.find(text.substr(i + 1, close - i - 1));
        if (it != properties.end()) out += it->second;
        i = close + 1;
      } else {
        out += text[i++];
      }
    }
    return out;
  }

 private:
  std::map<InstallerHandle, std::u16string> records_;
  InstallerHandle last_handle_ = 0;
};

// A file tree in memory, reached as the removal reaches it: one name at a time inside a folder
// already open. Names compare as Windows compares them (ASCII case folded).
class FakeRemovalSystem : public RemovalSystem {
 public:
  enum class Kind { kFile, kReadOnlyFile, kFolder, kLink };
  std::map<std::u16string, Kind> entries;  // full paths, without a trailing backslash
  std::set<std::u16string> in_use;         // refused at removal
  std::vector<std::string> log;            // "open X", "delete X", "rmdir X", "refused X"

  void Add(const std::u16string& path, Kind kind) { entries[Fold(path)] = kind; }
  bool Has(const std::u16string& path) const { return entries.count(Fold(path)) != 0; }
  std::size_t OpenFolders() const { return open_.size(); }

  FolderHandle OpenFolder(const std::u16string& path) override {
    std::u16string p = Fold(path);
    while (p.size() > 3 && p.back() == u'\\') p.pop_back();
    if (p.size() == 3 && p.back() == u'\\') p.pop_back();  // a drive's root: "c:"
    return Open(p, p.size() == 2 || Is(p, Kind::kFolder));
  }
  FolderHandle OpenChildFolder(FolderHandle folder, const std::u16string& name) override {
    const std::u16string p = Child(folder, name);
    return Open(p, Is(p, Kind::kFolder));
  }
  void CloseFolder(FolderHandle folder) override {
    if (open_.erase(folder) == 0) log.push_back("bad close");
  }
  bool RemoveFile(FolderHandle folder, const std::u16string& name) override {
    const std::u16string p = Child(folder, name);
    if (!Is(p, Kind::kFile) && !Is(p, Kind::kReadOnlyFile)) return false;
    return Erase(p, "delete ");
  }
  bool RemoveEmptyFolder(FolderHandle folder, const std::u16string& name) override {
    const std::u16string p = Child(folder, name);
    if (!Is(p, Kind::kFolder)) return false;
    for (const auto& [path, kind] : entries) {
      if (path.starts_with(p + u"\\")) return false;
    }
    return Erase(p, "rmdir ");
  }

  static std::u16string Fold(const std::u16string& text) {
    std::u16string out = text;
    for (char16_t& c : out) {
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
    return out;
  }

 private:
  bool Is(const std::u16string& path, Kind kind) const {
    const auto it = entries.find(path);
    return it != entries.end() && it->second == kind;
  }
  FolderHandle Open(const std::u16string& path, bool ok) {
    if (!ok) return 0;
    log.push_back("open " + std::string(path.begin(), path.end()));
    open_[++last_] = path;
    return last_;
  }
  std::u16string Child(FolderHandle folder, const std::u16string& name) const {
    return open_.at(folder) + u"\\" + Fold(name);
  }
  bool Erase(const std::u16string& path, const std::string& what) {
    const std::string narrow(path.begin(), path.end());
    if (in_use.count(path)) {
      log.push_back("refused " + narrow);
      return false;
    }
    entries.erase(path);
    log.push_back(what + narrow);
    return true;
  }
  std::map<FolderHandle, std::u16string> open_;
  FolderHandle last_ = 0;
};

// The user's desktop: which window classes were asked to close.
class FakeProgramWindows : public ProgramWindows {
 public:
  int CloseAndWait(const std::u16string& window_class, uint32_t timeout_ms) override {
    closed.push_back(window_class);
    timeouts.push_back(timeout_ms);
    return 1;
  }
  std::vector<std::u16string> closed;
  std::vector<uint32_t> timeouts;
};

}  // namespace sorvel::testing
