#include "hook/keyboard_hook.h"

#include <atomic>
#include <exception>

#include "platform/error.h"

namespace ravak {

KeyboardHook::KeyboardHook(HookLibraryHost& host, ErrorReport& errors,
                           const std::vector<std::u16string>& kerrak_paths)
    : host_(host), errors_(errors) {
  Start(kerrak_paths);
}

void KeyboardHook::Start(const std::vector<std::u16string>& kerrak_paths) {
  // The record first: Kerrak, in this process as in every other, only opens it.
  if (!host_.CreateSharedRecord()) {
    errors_.ShowError(kMappingError);
    return;
  }
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
  // Another Ravak listening keeps the record: this one runs without key events.
  if (!Claim()) return;
  rec_->HookHandle = 0;
  rec_->ReleaseCount = 0;
  rec_->BlockShortCut = 0;
  rec_->BlockFlag = 0;
  rec_->LetterLock = 0;
  host_.CallStartKeyboardHook();
}

bool KeyboardHook::Claim() {
  // Window handles are 32-bit values on 64-bit Windows too: the record keeps the low half.
  const uint32_t key_window = static_cast<uint32_t>(key_window_);
  std::atomic_ref<uint32_t> record_key(rec_->KeyWindow);
  uint32_t seen = record_key.load();
  // Free when it names no window, or one that is no Ravak's key window any more (its program
  // ended without giving it up). A failed exchange reads the record again.
  do {
    if (seen != 0 && host_.IsKeyWindow(seen)) return false;
  } while (!record_key.compare_exchange_strong(seen, key_window));
  std::atomic_ref<uint32_t>(rec_->ReleaseWindow).store(static_cast<uint32_t>(release_window_));
  claimed_ = true;
  return true;
}

KeyboardHook::~KeyboardHook() {
  const uint32_t key_window = static_cast<uint32_t>(key_window_);
  // Only a record that still names this program's windows is given up, and its hook, the
  // one this program put there, stopped first: the next Ravak to claim the record puts its
  // own hook's handle there. (While this program's key window lives, nobody else claims it.)
  if (claimed_ && std::atomic_ref<uint32_t>(rec_->KeyWindow).load() == key_window) {
    if (rec_->HookHandle != 0) host_.CallStopKeyboardHook();
    uint32_t release_window = static_cast<uint32_t>(release_window_);
    std::atomic_ref<uint32_t>(rec_->ReleaseWindow).compare_exchange_strong(release_window, 0);
    uint32_t mine = key_window;
    std::atomic_ref<uint32_t>(rec_->KeyWindow).compare_exchange_strong(mine, 0);
  }
  if (loaded_) {
    host_.CloseKerrak();
    loaded_ = false;
    rec_ = nullptr;
  }
  if (key_window_ != 0) host_.DestroyHookWindow(key_window_);
  if (release_window_ != 0) host_.DestroyHookWindow(release_window_);
}

bool KeyboardHook::Hooked() const {
  return loaded_ && claimed_ && rec_ != nullptr && rec_->HookHandle != 0;
}

void KeyboardHook::HandleKeyNotification(uint16_t key) {
  if (on_key_.empty()) return;
  const ShiftState shift = host_.CurrentShiftState();
  for (const KeyHandler& handler : on_key_) ReportErrors(errors_, [&] { handler(key, shift); });
}

}  // namespace ravak
