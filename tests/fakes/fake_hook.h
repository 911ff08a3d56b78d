// Recording fakes of the hook component's library host and of the file system that Kerrak is
// deployed to.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "hook/kerrak_deploy.h"
#include "hook/keyboard_hook.h"
#include "platform/utf.h"

namespace ravak::testing {

// Kerrak as the component sees it: whether the shared record can be had, which paths load,
// whether the entry points are there, the record, and a hook handle that STARTKEYBOARDHOOK
// puts into it. Two hosts can share one record and one set of live windows, as two running
// programs do.
class FakeHookHost : public HookLibraryHost, public ErrorReport {
 public:
  bool CreateSharedRecord() override {
    log.push_back("create record");
    return record_created;
  }
  bool OpenKerrak(const std::u16string& path) override {
    log.push_back("load " + Utf16ToUtf8(path));
    if (!loadable.count(path)) return false;
    open = true;
    return true;
  }
  bool ResolveEntryPoints() override { return has_entry_points; }
  void CloseKerrak() override {
    log.push_back("free");
    open = false;
  }
  HookRec* CallGetHookRecPointer() override { return has_record ? record : nullptr; }
  void CallStartKeyboardHook() override {
    log.push_back("start");
    if (record->HookHandle == 0) record->HookHandle = hook_handle;
  }
  void CallStopKeyboardHook() override {
    log.push_back("stop");
    if (unhook_succeeds) record->HookHandle = 0;
  }
  WindowId CreateKeyWindow(std::function<void(uint16_t key)> on_key) override {
    log.push_back("create key window");
    key_handler = std::move(on_key);
    live_key_windows->insert(static_cast<uint32_t>(key_window));
    return key_window;
  }
  bool IsKeyWindow(uint32_t window) override { return live_key_windows->count(window) != 0; }
  WindowId CreateReleaseWindow() override {
    log.push_back("create release window");
    return release_window;
  }
  void DestroyHookWindow(WindowId window) override {
    log.push_back("destroy window " + std::to_string(window));
    if (window == key_window) key_handler = nullptr;
    live_key_windows->erase(static_cast<uint32_t>(window));
  }
  ShiftState CurrentShiftState() override { return shift; }
  void ShowError(const std::string& message) override { errors.push_back(message); }

  // What Kerrak does for a key pressed anywhere: a WM_KEYUP posted to the key window.
  void PostKey(uint16_t key) {
    if (key_handler) key_handler(key);
  }

  std::set<std::u16string> loadable;
  bool record_created = true;
  bool has_entry_points = true;
  bool has_record = true;
  bool unhook_succeeds = true;
  uint32_t hook_handle = 0x00F0'0123;
  WindowId key_window = 0x1234;
  WindowId release_window = 0x5678;
  ShiftState shift;
  HookRec rec{};
  HookRec* record = &rec;  // another host's, to share it
  std::set<uint32_t> own_key_windows;
  std::set<uint32_t>* live_key_windows = &own_key_windows;
  bool open = false;
  std::function<void(uint16_t)> key_handler;
  std::vector<std::string> log;
  std::vector<std::string> errors;
};

// Files and folders in memory. Folders listed in read_only refuse new files and folders.
class FakeKerrakFiles : public KerrakFileSystem {
 public:
  std::u16string SystemFolder() override { return system_folder; }
  std::u16string LocalAppDataFolder() override { return local_app_data; }
  std::u16string ProgramFolder() override { return program_folder; }
  bool RunsElevated() override { return elevated; }
  bool FolderProtected(const std::u16string& folder) override {
    return folder.rfind(u"C:\\Program Files\\", 0) == 0 || folder == system_folder;
  }
  bool FileExists(const std::u16string& path) override { return files.count(path) != 0; }
  bool CreateFolders(const std::u16string& path, std::string& error_text) override {
    log.push_back("mkdir " + Utf16ToUtf8(path));
    if (ReadOnly(path)) {
      error_text = "Access is denied.";
      return false;
    }
    return true;
  }
  std::vector<uint8_t> ReadFileStart(const std::u16string& path, std::size_t max_bytes) override {
    const auto file = files.find(path);
    if (file == files.end()) return {};
    const std::vector<uint8_t>& bytes = file->second;
    return {bytes.begin(), bytes.begin() + std::min(bytes.size(), max_bytes)};
  }
  bool WriteNewFile(const std::u16string& path, std::span<const uint8_t> bytes,
                    std::string& error_text) override {
    log.push_back("write " + Utf16ToUtf8(path));
    if (ReadOnly(path)) {
      error_text = "Access is denied.";
      return false;
    }
    files[path].assign(bytes.begin(), bytes.end());
    return true;
  }

  std::u16string system_folder = u"C:\\Windows\\system32";
  std::u16string local_app_data = u"C:\\Users\\u\\AppData\\Local";
  std::u16string program_folder = u"C:\\Program Files\\Tirnak\\Ravak";
  bool elevated = false;
  std::map<std::u16string, std::vector<uint8_t>> files;
  std::vector<std::u16string> read_only;  // folder prefixes
  std::vector<std::string> log;

 private:
  bool ReadOnly(const std::u16string& path) const {
    for (const std::u16string& folder : read_only) {
      if (path.rfind(folder, 0) == 0) return true;
    }
    return false;
  }
};

}  // namespace ravak::testing
