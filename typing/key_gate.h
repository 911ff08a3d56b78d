// The key gate: where the user's input meets Ravak's own typing, in one order.
//
// The low-level keyboard hook offers every input of the user to the gate as it happens, before
// any application has it. When nothing is held, the gate has the watchers (KeyStream) judge the
// input at once; an input they act on starts a hold: what the user types after it is held back,
// the action is carried out on the user-interface thread, and then the held keys are judged and
// given to the application in turn, in the order they were typed. A sequence of Ravak's own (a
// conversion, a paste) holds the user's keys the same way while it runs (UserKeyHold).
//
// Nothing the user types reaches the application between an action's erasing and its typing:
// at the ceiling a hold whose sequence is still running keeps the keys, and the action, asking
// Due before it erases, is dropped; so is one the user clicked after, or whose window is no
// longer in front. Errors of the actions are reported once the hold has ended.
//
// Threads: the hook thread calls Arrive, Settle and Passed, the user-interface thread
// ClaimAndAnswer, Begin, End, Due and Drain; a sender of the ceiling's let-go calls
// LetGoAtCeiling.
// Every method takes the gate's own lock. The judgement of an input the hook waits for runs under
// it (the hook is waiting anyway, and nothing else of the gate is busy then); the judgement of
// held input and the actions run outside it.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/error_report.h"
#include "platform/keyboard.h"
#include "platform/user_key_hold.h"
#include "typing/key_stream.h"

namespace ravak {

class KeyGate : public UserKeyHold, public ErrorReport {
 public:
  // Past this long, what is held is let go unjudged when no sequence runs (the user-interface
  // thread is stuck): a key is late rather than lost, and the keyboard never seems dead. While a
  // sequence runs its moment has passed: it is dropped at its next Due, and what is held goes
  // when it ends, its actions dropped.
  static constexpr uint64_t kCeilingMs = 2000;

  // keyboard sends the held keys again (and tells which modifiers the system holds down); clock
  // gives milliseconds for the ceiling; errors gets the actions' errors once the hold is over.
  KeyGate(KeyStream& stream, KeyboardOutput& keyboard, ErrorReport& errors,
          std::function<uint64_t()> clock);

  // --- the hook's side, for each input of the user in the order it came ---------------------
  enum class Admission {
    kAsk,   // nothing is held: have the watchers judge it now (Claim and Answer), then Settle
    kHeld,  // it joins what is held (a click still reaches the application)
  };
  // Fills in the key's modifiers: those the user held when it came.
  Admission Arrive(UserInput& input);
  // After asking: whether the key reaches the application now. drain: the user-interface
  // thread is to Drain (a hold began). Without an answer (the watchers were not reached in
  // time) the key is held and judged later, in its turn.
  bool Settle(const UserInput& input, bool& drain);
  // Every key event that reaches the system, the user's and Ravak's: the modifiers the system
  // holds down follow them.
  void Passed(const KeyStroke& key);

  // --- the user-interface thread's side -----------------------------------------------------
  // The input the hook asks about, judged by the watchers; false when the hook no longer waits
  // for the answer (the input is then judged in its turn).
  bool ClaimAndAnswer();
  // UserKeyHold: sequences of Ravak's own, which nest. End returns nothing; the outermost End
  // asks for a drain through drain_requested.
  void Begin() override;
  void End() override;
  bool Due() override;
  // The keys held and not yet judged that were stamped with `from` are judged as typed with
  // `to`: they reach the application after its layout changed.
  void LayoutChanged(uint32_t from, uint32_t to) override;
  // ErrorReport: an error raised while the user's keys are held is shown once the hold is over
  // (a box then opens in front, and the typing behind it goes on); otherwise at once.
  void ShowError(const std::string& message) override;
  // Carries out what is held, in order: each input judged (unless it was already), actions
  // carried out, keys sent again; when nothing is left and no sequence runs, the hold ends and
  // the modifiers are left as the user holds them.
  void Drain();
  // The outermost sequence ended: a Drain is due (the platform runs it on the user-interface
  // thread). And a hold began: the ceiling's clock runs.
  std::function<void()> drain_requested;
  std::function<void()> hold_started;
  // The window in front now, for Due; empty: not asked.
  std::function<WindowId()> foreground;

  // --- the ceiling ---------------------------------------------------------------------------
  // When the hold reaches the ceiling; 0 when nothing is held.
  uint64_t Deadline() const;
  // Past the ceiling: the key events that give back what is held, unjudged, its actions
  // dropped; the hold ends for now and the watchers hear that input went by (UserInput::kLost).
  // The caller sends them; empty when the ceiling has not been reached.
  std::vector<KeyStroke> LetGoAtCeiling();
  // Sending what LetGoAtCeiling gave is one sender's work: nothing else sends meanwhile.
  std::mutex& SendingLock() { return sending_; }

  bool Holding() const;
  ModifierSet Physical() const;

 private:
  struct Entry {
    UserInput input;
    bool judged = false;
    KeyVerdict verdict;
    bool passed = false;  // the key has reached the application already (or it is a click)
    uint64_t clicks = 0;  // clicks that came before it
  };
  // Starts holding, now; true when the hold is new.
  bool HoldLocked();
  bool SettleLocked(const UserInput& input, bool& drain, bool& started);
  bool NextLocked(Entry& entry);
  void Carry(Entry& entry);
  void Send(const UserKey& key);
  void Run(const Entry& entry, const std::function<void()>& action);
  // Whether the entry's action is still due before it starts.
  bool DueLocked(const Entry& entry) const;
  // The modifiers the user is taken to hold that the system no longer holds (let go where the
  // hook could not see it: in an elevated window) are taken as let go.
  void ReconcileLocked();
  void ReportErrors();

  KeyStream& stream_;
  KeyboardOutput& keyboard_;
  ErrorReport& errors_;
  std::function<uint64_t()> clock_;

  mutable std::mutex mutex_;  // everything below
  std::mutex sending_;        // one sender of keys at a time
  std::deque<Entry> queue_;
  int depth_ = 0;
  bool holding_ = false;
  uint64_t since_ = 0;
  bool draining_ = false;
  bool lost_ = false;     // input went by unjudged; the watchers hear so with the next input
  bool overdue_ = false;  // the hold reached its ceiling while a sequence ran
  uint64_t clicks_ = 0;   // clicks so far
  struct Running {
    bool active = false;
    uint64_t clicks = 0;
    WindowId window = 0;
  } running_;  // the action being carried out
  std::vector<std::string> errors_held_;
  ModifierSet physical_ = 0;
  ModifierSet logical_ = 0;
  struct Question {
    bool open = false;
    bool answered = false;
    UserInput input;
    KeyVerdict verdict;
    uint64_t clicks = 0;
  } question_;
};

// Notices that the system has removed the low-level hook (it does so, silently, with a hook that
// was too slow): Kerrak's hook still reports key presses the low-level hook never saw.
class HookWatchdog {
 public:
  static constexpr uint64_t kSilenceMs = 1000;  // the low-level hook saw nothing this long,
  static constexpr int kReports = 3;            // while Kerrak reported this many presses
  static constexpr uint64_t kRetryMs = 10000;   // at most one new hook in this time

  // Kerrak reported a key press; last_seen: when the low-level hook last saw an event. True: set
  // the low-level hook again.
  bool Reported(uint64_t now, uint64_t last_seen);

 private:
  uint64_t last_seen_ = 0;
  uint64_t last_renewal_ = 0;
  bool renewed_ = false;
  int unseen_ = 0;
};

}  // namespace ravak
