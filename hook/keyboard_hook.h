// KeyboardHook: loads Kerrak, points its shared record at two hidden windows of the
// user-interface thread, starts the system-wide keyboard hook and turns every key-press
// notification that Kerrak posts into one OnKeyDown event.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "hookdll/hook_rec.h"
#include "hotkeys/shortcut.h"
#include "platform/error_report.h"
#include "platform/hotkey_registrar.h"

namespace ravak {

// What the component needs from the system: the library, its entry points, the hidden windows
// and the modifier state of the user-interface thread.
class HookLibraryHost {
 public:
  virtual ~HookLibraryHost() = default;
  // LoadLibraryW of a full path; false when the file is missing or cannot be loaded.
  virtual bool OpenKerrak(const std::u16string& path) = 0;
  // GetProcAddress of GETHOOKRECPOINTER, STARTKEYBOARDHOOK and STOPKEYBOARDHOOK; false when
  // any of them is missing.
  virtual bool ResolveEntryPoints() = 0;
  virtual void CloseKerrak() = 0;  // FreeLibrary
  virtual HookRec* CallGetHookRecPointer() = 0;
  virtual void CallStartKeyboardHook() = 0;
  virtual void CallStopKeyboardHook() = 0;
  // A hidden window that runs on_key(wParam) for every WM_KEYUP posted to it.
  virtual WindowId CreateKeyWindow(std::function<void(uint16_t key)> on_key) = 0;
  // A hidden window that accepts WM_MOUSEMOVE and ignores it.
  virtual WindowId CreateReleaseWindow() = 0;
  virtual void DestroyHookWindow(WindowId window) = 0;
  // GetKeyState of Shift, Ctrl and Alt in the calling thread (down = high bit set).
  virtual ShiftState CurrentShiftState() = 0;
};

class KeyboardHook {
 public:
  // key: the virtual-key code; shift: the modifiers down in Ravak's thread when it is handled.
  using KeyHandler = std::function<void(uint16_t key, ShiftState shift)>;

  static constexpr char kLoadError[] = "Could not find or load KERRAK.DLL";
  // Kerrak loaded but could not create or map its shared record (it shows nothing itself).
  static constexpr char kMappingError[] = "Could not create file map object";

  // Loads Kerrak from the first of kerrak_paths (full paths, in order of preference) that
  // loads, fills the record and starts the hook. Raises kLoadError when none loads. A library
  // without the entry points is released again and the component runs without a hook, saying
  // nothing; so it does when the library has no record, after reporting kMappingError to
  // errors. Errors raised by OnKeyDown go to errors as well.
  KeyboardHook(HookLibraryHost& host, ErrorReport& errors,
               const std::vector<std::u16string>& kerrak_paths);
  // Stops the hook (when this process's record holds one) and releases Kerrak.
  ~KeyboardHook();
  KeyboardHook(const KeyboardHook&) = delete;
  KeyboardHook& operator=(const KeyboardHook&) = delete;

  // Every handler added is called for each key, in the order added; an error one raises is
  // reported and the others still run.
  void AddOnKey(KeyHandler handler) { on_key_.push_back(std::move(handler)); }
  // Kerrak is loaded, the record exists and holds a hook.
  bool Hooked() const;
  bool Loaded() const { return loaded_; }
  // The full path Kerrak was loaded from; empty when it is not loaded.
  const std::u16string& KerrakPath() const { return kerrak_path_; }

  // The key window's WM_KEYUP: one press of key somewhere on the desktop.
  void HandleKeyNotification(uint16_t key);

 private:
  void Start(const std::vector<std::u16string>& kerrak_paths);

  HookLibraryHost& host_;
  ErrorReport& errors_;
  bool loaded_ = false;
  HookRec* rec_ = nullptr;
  std::u16string kerrak_path_;
  WindowId key_window_ = 0;      // Button1
  WindowId release_window_ = 0;  // Button1B
  std::vector<KeyHandler> on_key_;
};

}  // namespace ravak
