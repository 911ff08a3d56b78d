// Starting a short-lived background thread that nobody waits for.
#pragma once

#include <functional>
#include <system_error>
#include <thread>

#include "platform/error.h"

namespace ravak {

class ThreadStarter {
 public:
  virtual ~ThreadStarter() = default;
  // Starts body on a new thread and returns at once; raises "Thread creation error: %s".
  virtual void Start(std::function<void()> body) = 0;
};

class DetachedThreadStarter : public ThreadStarter {
 public:
  void Start(std::function<void()> body) override {
    try {
      std::thread(std::move(body)).detach();
    } catch (const std::system_error& e) {
      throw Error(FormatMessage1("Thread creation error: %s", e.what()));
    }
  }
};

}  // namespace ravak
