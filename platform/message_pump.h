// Pauses that keep the user-interface thread's queue serviced.
#pragma once

#include <cstdint>

namespace ravak {

class MessagePump {
 public:
  virtual ~MessagePump() = default;
  // Removes and dispatches every message waiting in the calling thread's queue.
  virtual void ProcessMessages() = 0;
  virtual void Sleep(uint32_t ms) = 0;
  // Waits at most ms for a message to arrive (a message another program sends counts), then
  // processes every message waiting. Returns at once when one is already there.
  virtual void Wait(uint32_t ms) = 0;
  // A millisecond clock for deadlines.
  virtual uint64_t NowMs() = 0;
};

// Plain sleeping for threads that own no message queue (the language switch).
class Sleeper {
 public:
  virtual ~Sleeper() = default;
  virtual void Sleep(uint32_t ms) = 0;
};

}  // namespace ravak
