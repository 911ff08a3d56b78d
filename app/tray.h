// TJvTrayIcon's dealings with the shell: adding, changing and removing the notification-area
// icon, with the retries the shell needs while the taskbar is not ready (right after log-on).
#pragma once

#include <cstdint>
#include <string>

#include "platform/message_pump.h"

namespace ravak {

enum class TrayRequest { Add, Modify, Delete, SetVersion };

class TrayShell {
 public:
  virtual ~TrayShell() = default;
  // Shell_NotifyIconW; false when it failed, with the system's error code in *error.
  virtual bool Notify(TrayRequest request, uint32_t* error) = 0;
};

constexpr uint32_t kErrorTimeout = 1460;  // ERROR_TIMEOUT
constexpr int kTrayMaxWaits = 31;
constexpr uint32_t kTrayWaitMs = 1000;

// Sends a request; when it fails with no error code or with ERROR_TIMEOUT, waits a second and
// checks whether the shell did it after all (an add is done when a modify now succeeds, a removal
// when a modify now fails), else repeats; gives up after 31 waits. Returns whether it succeeded.
bool NotifyWithRetry(TrayShell& shell, Sleeper& sleeper, TrayRequest request);

// The tip: the hint up to its first "|", cut to what the shell accepts (127 characters).
std::u16string TrayTip(const std::u16string& hint);

}  // namespace ravak
