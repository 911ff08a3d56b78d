#include "hook/keyboard_hook.h"

#include <exception>

#include "platform/error.h"

namespace ravak {

KeyboardHook::KeyboardHook(HookLibraryHost& host, ErrorReport& errors,
                           const std::vector<std::u16string>& kerrak_paths)
    : host_(host), errors_(errors) {
  Start(kerrak_paths);
}

void KeyboardHook::Start(const std::vector<std::u16string>& kerrak_paths) {
  bool opened = false;
  for (const std::u16string& path : kerrak_paths) {
    if (host_.OpenKerrak(path)) {
      opened = true;
      kerrak_path_ = path;
      break;
    }
  }
  if (!opened) throw Error(kLoadError);
  if (!host_.ResolveEntryPoints()) {
    host_.CloseKerrak();
    kerrak_path_.clear();
    return;
  }
  loaded_ = true;
  rec_ = host_.CallGetHookRecPointer();
  if (rec_ == nullptr) {
    // The program goes on without key events, so without auto-correct.
    errors_.ShowError(kMappingError);
    return;
  }

  try {
    key_window_ = host_.CreateKeyWindow([this](uint16_t key) { HandleKeyNotification(key); });
    release_window_ = host_.CreateReleaseWindow();
  } catch (...) {
    // No destructor runs for a constructor that fails: leave nothing behind.
    if (key_window_ != 0) host_.DestroyHookWindow(key_window_);
    host_.CloseKerrak();
    throw;
  }
  // Window handles are 32-bit values on 64-bit Windows too: the record keeps the low half.
  rec_->HookHandle = 0;
  rec_->KeyWindow = static_cast<uint32_t>(key_window_);
  rec_->ReleaseWindow = static_cast<uint32_t>(release_window_);
  rec_->ReleaseCount = 0;
  rec_->BlockShortCut = 0;
  rec_->BlockFlag = 0;
  rec_->LetterLock = 0;
  host_.CallStartKeyboardHook();
}

KeyboardHook::~KeyboardHook() {
  if (loaded_) {
    if (rec_ != nullptr && rec_->HookHandle != 0) host_.CallStopKeyboardHook();
    host_.CloseKerrak();
    loaded_ = false;
    rec_ = nullptr;
  }
  if (key_window_ != 0) host_.DestroyHookWindow(key_window_);
  if (release_window_ != 0) host_.DestroyHookWindow(release_window_);
}

bool KeyboardHook::Hooked() const {
  return loaded_ && rec_ != nullptr && rec_->HookHandle != 0;
}

void KeyboardHook::HandleKeyNotification(uint16_t key) {
  if (on_key_.empty()) return;
  const ShiftState shift = host_.CurrentShiftState();
  for (const KeyHandler& handler : on_key_) ReportErrors(errors_, [&] { handler(key, shift); });
}

}  // namespace ravak
