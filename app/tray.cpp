#include "app/tray.h"

namespace ravak {

bool NotifyWithRetry(TrayShell& shell, Sleeper& sleeper, TrayRequest request) {
  for (int waits = 0;; ++waits) {
    uint32_t error = 0;
    if (shell.Notify(request, &error)) return true;
    if (error != 0 && error != kErrorTimeout) return false;
    if (waits == kTrayMaxWaits) return false;
    sleeper.Sleep(kTrayWaitMs);
    if (request == TrayRequest::Add || request == TrayRequest::Delete) {
      uint32_t ignored = 0;
      const bool modified = shell.Notify(TrayRequest::Modify, &ignored);
      if (request == TrayRequest::Add && modified) return true;
      if (request == TrayRequest::Delete && !modified) return true;
    }
  }
}

std::u16string TrayTip(const std::u16string& hint) {
  std::u16string tip = hint.substr(0, hint.find(u'|'));
  if (tip.size() > 127) tip.resize(127);
  return tip;
}

}  // namespace ravak
