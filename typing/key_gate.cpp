#include "typing/key_gate.h"

#include <exception>
#include <utility>

#include "platform/error.h"

namespace ravak {

KeyGate::KeyGate(KeyStream& stream, KeyboardOutput& keyboard, ErrorReport& errors,
                 std::function<uint64_t()> clock)
    : stream_(stream), keyboard_(keyboard), errors_(errors), clock_(std::move(clock)) {}

bool KeyGate::HoldLocked() {
  since_ = clock_();
  return !std::exchange(holding_, true);
}

void KeyGate::ReconcileLocked() {
  for (int bit = 0; bit < kModifierCount; ++bit) {
    const auto mask = static_cast<ModifierSet>(1u << bit);
    if ((physical_ & mask) && !keyboard_.IsKeyDown(ModifierKey(bit))) {
      physical_ = static_cast<ModifierSet>(physical_ & ~mask);
      logical_ = static_cast<ModifierSet>(logical_ & ~mask);
    }
  }
}

KeyGate::Admission KeyGate::Arrive(UserInput& input) {
  std::lock_guard lock(mutex_);
  const bool held = holding_ || question_.open;
  if (input.kind == UserInput::Kind::kKey) {
    // Everything before this key has reached the system: what it holds down is the truth.
    if (!held && physical_ != 0) ReconcileLocked();
    input.key.modifiers = physical_;
    physical_ = Apply(physical_, input.key.stroke);
  }
  const uint64_t clicks = clicks_;
  if (input.kind == UserInput::Kind::kClick) ++clicks_;
  if (held) {
    queue_.push_back(Entry{input, false, {}, input.kind != UserInput::Kind::kKey, clicks});
    return Admission::kHeld;
  }
  question_ = Question{true, false, input, {}, clicks};
  return Admission::kAsk;
}

bool KeyGate::ClaimAndAnswer() {
  std::lock_guard lock(mutex_);
  if (!question_.open || question_.answered) return false;
  if (std::exchange(lost_, false)) stream_.Classify(UserInput{UserInput::Kind::kLost, {}});
  question_.verdict = stream_.Classify(question_.input);
  question_.answered = true;
  return true;
}

bool KeyGate::Settle(const UserInput& input, bool& drain) {
  bool started = false;
  const bool passes = SettleLocked(input, drain, started);
  if (started && hold_started) hold_started();
  return passes;
}

bool KeyGate::SettleLocked(const UserInput& input, bool& drain, bool& started) {
  std::lock_guard lock(mutex_);
  drain = false;
  const bool click = input.kind != UserInput::Kind::kKey;
  Question question = std::exchange(question_, Question{});
  Entry entry{input, question.answered, std::move(question.verdict), click, question.clicks};
  if (holding_ || !queue_.empty()) {
    // A sequence began meanwhile, or input came while the hook waited: this input came first.
    queue_.push_front(std::move(entry));
    if (!holding_) {
      started = HoldLocked();
      drain = true;
    }
    return click;
  }
  if (entry.judged && !entry.verdict.Acts()) {
    if (!click) logical_ = Apply(logical_, input.key.stroke);
    return true;
  }
  started = HoldLocked();
  drain = true;
  // A key judged to act after it goes on now; the action waits at the head of the queue.
  const bool goes_now = click || (entry.judged && !entry.verdict.swallow && !entry.verdict.before);
  entry.passed = goes_now;
  queue_.push_back(std::move(entry));
  if (goes_now && !click) logical_ = Apply(logical_, input.key.stroke);
  return goes_now;
}

void KeyGate::Passed(const KeyStroke& key) {
  std::lock_guard lock(mutex_);
  logical_ = Apply(logical_, key);
}

void KeyGate::Begin() {
  // A let-go at the ceiling finishes before a sequence starts: its keys never land inside one.
  { std::lock_guard sender(sending_); }
  bool started = false;
  {
    std::lock_guard lock(mutex_);
    if (depth_++ == 0 && !holding_) ReconcileLocked();
    started = HoldLocked();
  }
  if (started && hold_started) hold_started();
}

bool KeyGate::DueLocked(const Entry& entry) const {
  return !overdue_ && entry.clicks == clicks_;
}

bool KeyGate::Due() {
  WindowId window = 0;
  {
    std::lock_guard lock(mutex_);
    if (overdue_) return false;
    if (!running_.active) return true;
    if (running_.clicks != clicks_) return false;
    window = running_.window;
  }
  return window == 0 || !foreground || foreground() == window;
}

void KeyGate::LayoutChanged(uint32_t from, uint32_t to) {
  std::lock_guard lock(mutex_);
  for (Entry& entry : queue_) {
    if (!entry.judged && !entry.passed && entry.input.layout == from) entry.input.layout = to;
  }
}

void KeyGate::ShowError(const std::string& message) {
  {
    std::lock_guard lock(mutex_);
    // A box now would open while the user's keys wait behind it: it waits for the hold's end.
    if (holding_ || depth_ > 0) {
      errors_held_.push_back(message);
      return;
    }
  }
  errors_.ShowError(message);
}

void KeyGate::ReportErrors() {
  std::vector<std::string> errors;
  {
    std::lock_guard lock(mutex_);
    if (holding_ || depth_ > 0) return;
    errors.swap(errors_held_);
  }
  for (const std::string& message : errors) errors_.ShowError(message);
}

void KeyGate::End() {
  bool drain = false;
  {
    std::lock_guard lock(mutex_);
    if (depth_ == 0) return;
    drain = --depth_ == 0 && !draining_;
  }
  if (drain && drain_requested) drain_requested();
}

bool KeyGate::NextLocked(Entry& entry) {
  if (queue_.empty()) return false;
  entry = std::move(queue_.front());
  queue_.pop_front();
  // The ceiling counts from the last step forward: a long line of held actions is no stall.
  since_ = clock_();
  return true;
}

void KeyGate::Run(const Entry& entry, const std::function<void()>& action) {
  {
    std::lock_guard lock(mutex_);
    running_ = Running{true, entry.clicks, entry.input.window};
  }
  {
    // The action's own keys go out while the user's stay held: it is a sequence of its own.
    UserKeysHeld held(*this);
    try {
      action();
    } catch (const std::exception& e) {
      ShowError(e.what());
    }
  }
  std::lock_guard lock(mutex_);
  running_ = Running{};
}

void KeyGate::Send(const UserKey& key) {
  std::lock_guard sender(sending_);
  std::vector<KeyStroke> out;
  {
    std::lock_guard lock(mutex_);
    ReplayPlanner planner(logical_);
    planner.Key(key.stroke, key.modifiers, out);
  }
  for (const KeyStroke& k : out) {
    keyboard_.KeyEvent(k.vk, k.scan,
                       (k.up ? kKeyEventKeyUp : 0) | (k.extended ? kKeyEventExtended : 0));
  }
}

void KeyGate::Carry(Entry& entry) {
  if (!entry.judged) {
    bool lost = false;
    {
      std::lock_guard lock(mutex_);
      lost = std::exchange(lost_, false);
    }
    if (lost) stream_.Classify(UserInput{UserInput::Kind::kLost, {}});
    entry.verdict = stream_.Classify(entry.input);
  }
  const KeyVerdict& verdict = entry.verdict;
  // An action whose moment has passed is dropped; its key goes on as typed.
  const auto due = [&] {
    std::lock_guard lock(mutex_);
    return DueLocked(entry);
  };
  if (verdict.action && verdict.before && due()) Run(entry, verdict.action);
  if (!entry.passed && !verdict.swallow) Send(entry.input.key);
  if (verdict.action && !verdict.before && due()) Run(entry, verdict.action);
}

void KeyGate::Drain() {
  {
    std::lock_guard lock(mutex_);
    if (draining_) return;
    draining_ = true;
  }
  for (;;) {
    Entry entry;
    {
      std::lock_guard lock(mutex_);
      if (depth_ > 0 || !NextLocked(entry)) {
        if (depth_ == 0) {
          holding_ = false;
          overdue_ = false;
        }
        draining_ = false;
        break;
      }
    }
    Carry(entry);
  }
  {
    // Nothing of Ravak's stays pressed, and what the user still holds is down.
    std::lock_guard sender(sending_);
    std::vector<KeyStroke> out;
    {
      std::lock_guard lock(mutex_);
      if (holding_) return;
      ReplayPlanner planner(logical_);
      planner.Settle(physical_, out);
    }
    for (const KeyStroke& k : out) {
      keyboard_.KeyEvent(k.vk, k.scan,
                         (k.up ? kKeyEventKeyUp : 0) | (k.extended ? kKeyEventExtended : 0));
    }
  }
  // Nothing is held or locked now: a box may wait for the user while the typing goes on, the
  // gate taking the keys again inside its message loop.
  ReportErrors();
}

uint64_t KeyGate::Deadline() const {
  std::lock_guard lock(mutex_);
  return holding_ ? since_ + kCeilingMs : 0;
}

std::vector<KeyStroke> KeyGate::LetGoAtCeiling() {
  std::lock_guard lock(mutex_);
  std::vector<KeyStroke> out;
  if (!holding_ || clock_() - since_ < kCeilingMs) return out;
  if (depth_ > 0) {
    // A sequence runs: a key let go now could land between its erasing and its typing. Its
    // moment has passed instead; the keys go, in order, once it ends.
    overdue_ = true;
    return out;
  }
  ReplayPlanner planner(logical_);
  for (const Entry& entry : queue_) {
    if (entry.input.kind != UserInput::Kind::kKey || entry.passed) continue;
    if (entry.judged && entry.verdict.swallow) continue;
    planner.Key(entry.input.key.stroke, entry.input.key.modifiers, out);
  }
  if (!queue_.empty()) lost_ = true;
  queue_.clear();
  holding_ = false;
  return out;
}

bool KeyGate::Holding() const {
  std::lock_guard lock(mutex_);
  return holding_;
}

ModifierSet KeyGate::Physical() const {
  std::lock_guard lock(mutex_);
  return physical_;
}

// --- HookWatchdog ---------------------------------------------------------------------------

bool HookWatchdog::Reported(uint64_t now, uint64_t last_seen) {
  if (last_seen != last_seen_) {
    last_seen_ = last_seen;
    unseen_ = 0;
  }
  if (now - last_seen < kSilenceMs) return false;
  if (++unseen_ < kReports) return false;
  if (renewed_ && now - last_renewal_ < kRetryMs) return false;
  renewed_ = true;
  last_renewal_ = now;
  unseen_ = 0;
  return true;
}

}  // namespace ravak
