// The Win32 side of the hook component and of Kerrak's deployment. Windows builds only.
#pragma once

#include <windows.h>

#include "hook/kerrak_deploy.h"
#include "hook/keyboard_hook.h"

namespace ravak::win32 {

// Kerrak loaded by full path, its entry points, and the hidden key and release windows of the
// user-interface thread.
class KerrakHost : public HookLibraryHost {
 public:
  ~KerrakHost() override;
  bool CreateSharedRecord() override;
  bool OpenKerrak(const std::u16string& path) override;
  bool ResolveEntryPoints() override;
  void CloseKerrak() override;
  HookRec* CallGetHookRecPointer() override;
  void CallStartKeyboardHook() override;
  void CallStopKeyboardHook() override;
  WindowId CreateKeyWindow(std::function<void(uint16_t key)> on_key) override;
  WindowId CreateReleaseWindow() override;
  bool IsKeyWindow(uint32_t window) override;
  void DestroyHookWindow(WindowId window) override;
  ShiftState CurrentShiftState() override;

 private:
  using GetRecFn = HookRec* (*)();
  using VoidFn = void (*)();
  HANDLE record_ = nullptr;  // the shared record, held for the life of the program
  HANDLE held_ = nullptr;    // the loaded copy, open and not shared for writing or deleting
  HMODULE module_ = nullptr;
  GetRecFn get_rec_ = nullptr;
  VoidFn start_ = nullptr;
  VoidFn stop_ = nullptr;
};

class KerrakFiles : public KerrakFileSystem {
 public:
  std::u16string SystemFolder() override;
  std::u16string LocalAppDataFolder() override;
  std::u16string ProgramFolder() override;
  bool RunsElevated() override;
  bool FolderProtected(const std::u16string& folder) override;
  bool FileExists(const std::u16string& path) override;
  bool CreateFolders(const std::u16string& path, std::string& error_text) override;
  std::vector<uint8_t> ReadFileStart(const std::u16string& path, std::size_t max_bytes) override;
  bool WriteNewFile(const std::u16string& path, std::span<const uint8_t> bytes,
                    std::string& error_text) override;
};

}  // namespace ravak::win32
