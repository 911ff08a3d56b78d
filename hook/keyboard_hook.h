// KeyboardHook: creates Kerrak's shared record, loads Kerrak, claims the record for two hidden
// windows of the user-interface thread, starts the system-wide keyboard hook and turns every
// key-press notification that Kerrak posts into one OnKeyDown event.
//
// One program at a time listens: the record names the key window of the Ravak that claimed it
// first, and a second Ravak leaves it alone. The claim is a compare-and-exchange on the
// record's KeyWindow, and at exit the record is cleared only if it still names this program's
// windows.
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
  // Creates Kerrak's shared record ("HookRecMemBlock") before Kerrak is loaded, for Kerrak only
  // opens it: private to this user and SYSTEM, closed to lower integrity levels. An existing
  // record is used only when it is protected so; false when it is not, or cannot be created.
  virtual bool CreateSharedRecord() = 0;
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
  // The window a record's KeyWindow names (32 bits, widened as Kerrak widens them) is the
  // live key window of a Ravak. A window destroyed with its program is not: its handle may
  // already belong to another program.
  virtual bool IsKeyWindow(uint32_t window) = 0;
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

  // Creates the shared record, loads Kerrak from the first of kerrak_paths (full paths, in
  // order of preference) that loads, claims the record, fills it and starts the hook. Raises
  // kLoadError when no copy loads. Without a record of its own (it cannot be created, or one
  // made by another owner holds the name) it reports kMappingError to errors and runs
  // without loading Kerrak; so it does, after loading, when Kerrak has no record. A library
  // without the entry points is released again and the component runs without a hook,
  // saying nothing; so it does when another running Ravak holds the record. Errors raised
  // by OnKeyDown go to errors as well.
  KeyboardHook(HookLibraryHost& host, ErrorReport& errors,
               const std::vector<std::u16string>& kerrak_paths);
  // Stops the hook and gives the record up (when this program holds it), releases Kerrak.
  ~KeyboardHook();
  KeyboardHook(const KeyboardHook&) = delete;
  KeyboardHook& operator=(const KeyboardHook&) = delete;

  // Every handler added is called for each key, in the order added; an error one raises is
  // reported and the others still run.
  void AddOnKey(KeyHandler handler) { on_key_.push_back(std::move(handler)); }
  // Kerrak is loaded, and the record exists, names this program's windows and holds a hook.
  bool Hooked() const;
  bool Loaded() const { return loaded_; }
  // The full path Kerrak was loaded from; empty when it is not loaded.
  const std::u16string& KerrakPath() const { return kerrak_path_; }

  // The key window's WM_KEYUP: one press of key somewhere on the desktop.
  void HandleKeyNotification(uint16_t key);

 private:
  void Start(const std::vector<std::u16string>& kerrak_paths);
  // Takes the record for this program's windows unless another live Ravak holds it.
  bool Claim();

  HookLibraryHost& host_;
  ErrorReport& errors_;
  bool loaded_ = false;
  bool claimed_ = false;
  HookRec* rec_ = nullptr;
  std::u16string kerrak_path_;
  WindowId key_window_ = 0;      // Button1
  WindowId release_window_ = 0;  // Button1B
  std::vector<KeyHandler> on_key_;
};

}  // namespace ravak
