// Holding back the user's own keystrokes while Ravak sends a key sequence of its own.
#pragma once

namespace ravak {

class UserKeyHold {
 public:
  virtual ~UserKeyHold() = default;
  // From now on the user's keys are held back. Calls nest.
  virtual void Begin() = 0;
  // The outermost End gives the held keys back, in order, and leaves every modifier as the user
  // holds it; nothing Ravak pressed stays down.
  virtual void End() = 0;
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
