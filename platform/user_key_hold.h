// Holding back the user's own keystrokes while Ravak sends a key sequence of its own.
#pragma once

#include <cstdint>

namespace ravak {

class UserKeyHold {
 public:
  virtual ~UserKeyHold() = default;
  // From now on the user's keys are held back. Calls nest.
  virtual void Begin() = 0;
  // The outermost End gives the held keys back, in order, and leaves every modifier as the user
  // holds it; nothing Ravak pressed stays down.
  virtual void End() = 0;
  // Whether the action being carried out may still change the text: false once its moment has
  // passed (the user clicked after the input it answers, another window came in front, or the
  // hold reached its ceiling). An action asks just before it erases anything, and is dropped
  // when the answer is no.
  virtual bool Due() { return true; }
  // The window in front types with layout `to` now where it typed with `from`: the keys held
  // for it, stamped with `from`, reach it typing with `to`.
  virtual void LayoutChanged(uint32_t from, uint32_t to) {
    (void)from;
    (void)to;
  }
};

// Begin and End around a scope, errors included.
class UserKeysHeld {
 public:
  explicit UserKeysHeld(UserKeyHold& hold) : hold_(hold) { hold_.Begin(); }
  ~UserKeysHeld() { hold_.End(); }
  UserKeysHeld(const UserKeysHeld&) = delete;
  UserKeysHeld& operator=(const UserKeysHeld&) = delete;

 private:
  UserKeyHold& hold_;
};

}  // namespace ravak
