// Global hotkeys as the system keeps them: one registration per (window, id), presses delivered
// to the window that registered the combination; errors reported are recorded.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/error_report.h"
#include "platform/hotkey_registrar.h"

namespace ravak::testing {

class FakeHotkeys : public HotkeyRegistrar, public ErrorReport {
 public:
  uint16_t AddHotkeyAtom(const std::u16string&) override { return ++atom; }
  void DeleteHotkeyAtom(uint16_t) override {}
  WindowId CreateHotkeyWindow(std::function<void()> handler) override {
    windows[++window] = std::move(handler);
    return window;
  }
  void DestroyHotkeyWindow(WindowId w) override { windows.erase(w); }
  // A combination another program holds is refused.
  bool Register(WindowId w, uint16_t, unsigned mods, unsigned key) override {
    if (taken.count((mods << 16) | key)) return false;
    registered[w] = (mods << 16) | key;
    return true;
  }
  void Unregister(WindowId w, uint16_t) override { registered.erase(w); }
  void ShowError(const std::string& message) override {
    errors.push_back(message);
    if (on_error) on_error();
  }
  std::function<void()> on_error;  // the moment a box would open

  bool IsRegistered(unsigned mods, unsigned key) const {
    for (const auto& [w, combo] : registered) {
      if (combo == ((mods << 16) | key)) return true;
    }
    return false;
  }
  // The press of a registered combination reaches the window that registered it.
  void Press(unsigned mods, unsigned key) {
    for (const auto& [w, combo] : registered) {
      if (combo == ((mods << 16) | key)) windows[w]();
    }
  }

  uint16_t atom = 0;
  WindowId window = 0;
  std::map<WindowId, std::function<void()>> windows;
  std::map<WindowId, unsigned> registered;
  std::set<unsigned> taken;  // (mods << 16) | key held by other programs
  std::vector<std::string> errors;
};

}  // namespace ravak::testing
