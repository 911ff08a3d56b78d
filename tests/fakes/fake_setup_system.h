// Fakes of Sorvel's installer session and removal system: an in-memory installer with its
// properties and the buffer conventions of the Msi*W calls, and an in-memory file tree that
// records the scripts it is asked to start.
#pragma once

#include <cstdio>
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

// A started script: its file, how it was started and its text at that moment.
struct StartedScript {
  std::u16string file;
  bool elevate = false;
  std::string text;
};

class FakeRemovalSystem : public RemovalSystem {
 public:
  std::set<std::u16string> files;
  std::set<std::u16string> folders;
  std::map<std::u16string, std::u16string> short_names;  // path -> short form; else itself
  std::map<std::u16string, std::string> contents;
  std::vector<StartedScript> started;
  std::vector<std::u16string> created_temp_files;
  std::vector<std::u16string> find_calls;

  std::u16string temp_folder = u"C:\\Temp\\";
  bool fail_temp_file = false;
  bool fail_write = false;
  // Characters outside ASCII: written as "?" (a lossy code page) instead of refused.
  bool lossy_ansi = false;

  void AddFile(const std::u16string& path) { files.insert(path); }
  void AddFolder(const std::u16string& path) { folders.insert(path); }

  std::optional<std::vector<std::u16string>> FindFiles(const std::u16string& pattern) override {
    find_calls.push_back(pattern);
    if (pattern.size() >= 2 && pattern.ends_with(u"\\*")) {
      const std::u16string folder = pattern.substr(0, pattern.size() - 2);
      if (!folders.count(folder)) return std::nullopt;
      std::vector<std::u16string> names = {u".", u".."};
      for (const auto* set : {&files, &folders}) {
        for (const auto& p : *set) {
          if (p.size() > folder.size() + 1 && p.starts_with(folder + u"\\") &&
              p.find(u'\\', folder.size() + 1) == std::u16string::npos) {
            names.push_back(p.substr(folder.size() + 1));
          }
        }
      }
      return names;
    }
    if (!Exists(pattern)) return std::nullopt;
    return std::vector<std::u16string>{pattern.substr(pattern.rfind(u'\\') + 1)};
  }
  std::optional<std::u16string> ShortPath(const std::u16string& path) override {
    if (!Exists(path)) return std::nullopt;
    const auto it = short_names.find(path);
    return it == short_names.end() ? path : it->second;
  }
  std::optional<std::string> ToAnsi(const std::u16string& text) override {
    std::string out;
    for (const char16_t c : text) {
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else if (lossy_ansi) {
        out += '?';
      } else {
        return std::nullopt;
      }
    }
    return out;
  }
  std::u16string TempFolder() override { return temp_folder; }
  std::u16string CreateTempFile(const std::u16string& folder,
                                const std::u16string& prefix) override {
    if (fail_temp_file) return {};
    char hex[8];
    std::snprintf(hex, sizeof hex, "%x", 0xa10 + next_++);
    std::u16string name = folder + prefix;
    for (const char* p = hex; *p; ++p) name += static_cast<char16_t>(*p);
    name += u".tmp";
    files.insert(name);
    created_temp_files.push_back(name);
    return name;
  }
  bool Delete(const std::u16string& path) override { return files.erase(path) > 0; }
  bool WriteNewFile(const std::u16string& path, const std::string& bytes) override {
    if (fail_write) return false;
    files.insert(path);
    contents[path] = bytes;
    return true;
  }
  void StartHidden(const std::u16string& file, bool elevate) override {
    started.push_back({file, elevate, contents.count(file) ? contents[file] : "<no file>"});
  }

 private:
  bool Exists(const std::u16string& path) const {
    std::u16string p = path;
    if (p.size() > 1 && p.back() == u'\\') return false;  // as FindFirstFileW
    return files.count(p) || folders.count(p);
  }
  int next_ = 0;
};

}  // namespace sorvel::testing
