// The user's typing as one ordered stream: every key the user presses or lets go, and every
// click, in the order they happened, each key with the modifiers the user held at that moment.
// The features that act on typing (the hotkeys, auto-correct, automatic switching) watch it and
// say, input by input, whether they act on it; the key gate holds back whatever the user types
// after such an input until the action is done, so nothing typed later reaches the application
// first. Ravak's own keys never enter the stream.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "hotkeys/shortcut.h"
#include "platform/window_id.h"
#include "typing/key_replay.h"

namespace ravak {

// A key the user pressed or let go. modifiers: the modifier keys the user held when it came (for
// a modifier key, before it). composed: a dead key of the window's layout, or the key that
// followed one: what the field got for them is not what each key types alone.
struct UserKey {
  KeyStroke stroke;
  ModifierSet modifiers = 0;
  bool composed = false;
  bool operator==(const UserKey&) const = default;
};

struct UserInput {
  enum class Kind : uint8_t {
    kKey,
    kClick,  // a mouse button went down: the caret or the focus may be anywhere now
    kLost,   // input went by without being watched (the hold let go at its ceiling)
  };
  Kind kind = Kind::kKey;
  UserKey key;
  // Taken as the input came, before any application had it: the window in front (the input
  // belongs to it, whatever is in front when it is judged) and its keyboard layout (the
  // layout handle's low 32 bits: the language in the low word).
  WindowId window = 0;
  uint32_t layout = 0;
  bool operator==(const UserInput&) const = default;
};

// Shift, Ctrl and Alt of a set, whichever side.
inline ShiftState ShiftOf(ModifierSet modifiers) {
  return ShiftState{(modifiers & modifier::kShift) != 0, (modifiers & modifier::kAlt) != 0,
                    (modifiers & modifier::kCtrl) != 0};
}

// What a watcher does about one input.
struct KeyVerdict {
  // Carried out on the user-interface thread, in the order of the typing, after the key has
  // reached the application (before it, with before); empty: nothing to do.
  std::function<void()> action;
  bool before = false;
  // The key never reaches the application (a hotkey Ravak answers).
  bool swallow = false;
  bool Acts() const { return action != nullptr || swallow; }
};

class KeyStream {
 public:
  // taken: an earlier watcher acts on this input (the text is about to change).
  using Watcher = std::function<KeyVerdict(const UserInput& input, bool taken)>;

  // Sees each input with the verdict on it, after the watchers (a swallowed key never reached
  // the application).
  using Observer = std::function<void(const UserInput& input, const KeyVerdict& verdict)>;

  void AddWatcher(Watcher watcher) { watchers_.push_back(std::move(watcher)); }
  void AddObserver(Observer observer) { observers_.push_back(std::move(observer)); }
  // Every watcher sees the input, in the order added; the first that acts takes it.
  KeyVerdict Classify(const UserInput& input) {
    KeyVerdict verdict;
    for (const Watcher& watcher : watchers_) {
      KeyVerdict mine = watcher(input, verdict.Acts());
      if (!verdict.Acts() && mine.Acts()) verdict = std::move(mine);
    }
    for (const Observer& observer : observers_) observer(input, verdict);
    return verdict;
  }

 private:
  std::vector<Watcher> watchers_;
  std::vector<Observer> observers_;
};

}  // namespace ravak
