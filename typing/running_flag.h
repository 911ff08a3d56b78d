// Marks a command as running for as long as it runs, errors included: presses that arrive in
// its pauses see the flag and are ignored.
#pragma once

namespace ravak {

class RunningFlag {
 public:
  explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~RunningFlag() { flag_ = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace ravak
