// Kerrak's hook procedure and entry point, compiled for this host against fake Win32 functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/fakes/kerrak_win32/fake_win32.h"

namespace ravak {
namespace {

using testing::FakeKerrak;
using testing::FakeKerrakSystem;

constexpr uint32_t kKeyWindow = 0x1234;
constexpr uint32_t kReleaseWindow = 0x5678;
constexpr LPARAM kPress = 0x001E0001;  // repeat count 1, scan code 0x1E
constexpr LPARAM kRelease = static_cast<LPARAM>(0xC01E0001u);

HINSTANCE Module() {
  return reinterpret_cast<HINSTANCE>(uintptr_t{0x10000000});
}

// Named steps that threads wait for, so that two threads can be made to interleave exactly.
class Steps {
 public:
  void Reach(const std::string& step) {
    const std::lock_guard<std::mutex> lock(mutex_);
    reached_.insert(step);
    changed_.notify_all();
  }
  bool Await(const std::string& step) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10),
                             [&] { return reached_.count(step) != 0; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::set<std::string> reached_;
};

class KerrakTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.Reset();
    Attach();
  }
  void TearDown() override {
    DllMain(Module(), DLL_PROCESS_DETACH, nullptr);
    // Every handle, view and thread-local slot of the process attach is given back.
    EXPECT_EQ(fake.open_handles, 0);
    EXPECT_EQ(fake.mapped_views, 0);
    EXPECT_EQ(fake.tls_slots, 0);
  }
  void Attach() {
    DllMain(Module(), DLL_PROCESS_ATTACH, nullptr);
    if (HookRec* rec = GETHOOKRECPOINTER()) {
      rec->KeyWindow = kKeyWindow;
      rec->ReleaseWindow = kReleaseWindow;
    }
  }
  void Reattach() {
    DllMain(Module(), DLL_PROCESS_DETACH, nullptr);
    Attach();
  }
  // The key presses reported to the key window, and "up" for every release reported.
  std::vector<std::string> Reported() {
    std::vector<std::string> keys;
    for (const testing::KerrakPost& post : fake.Posts()) {
      if (post.window == kKeyWindow && post.message == WM_KEYUP)
        keys.push_back(std::string(1, static_cast<char>(post.wparam)));
      else if (post.window == kReleaseWindow && post.message == WM_MOUSEMOVE)
        keys.push_back("up");
      else
        keys.push_back("?");
    }
    return keys;
  }

  FakeKerrakSystem& fake = FakeKerrak();
};

using Keys = std::vector<std::string>;

TEST_F(KerrakTest, TwoThreadsInsideTheHookAtOnce_LeaveLaterKeysOfBothReported) {
  // A enters and passes its key on; B enters while A is still in the chain; A leaves first,
  // then B. Neither thread's state may outlive its own call.
  Steps steps;
  fake.next_hook = [&](int, WPARAM key, LPARAM) -> LRESULT {
    if (key == 'A' || key == 'B') {
      const std::string who(1, static_cast<char>(key));
      steps.Reach(who + " in chain");
      steps.Await(who + " may leave");
    }
    return 0;
  };
  std::thread a([&] {
    KEYBOARDPROC(HC_ACTION, 'A', kPress);
    steps.Reach("A left");
    steps.Await("B left");
    KEYBOARDPROC(HC_ACTION, 'C', kPress);
  });
  std::thread b([&] {
    steps.Await("A in chain");
    KEYBOARDPROC(HC_ACTION, 'B', kPress);
    steps.Reach("B left");
    KEYBOARDPROC(HC_ACTION, 'D', kPress);
  });
  EXPECT_TRUE(steps.Await("B in chain"));
  steps.Reach("A may leave");
  EXPECT_TRUE(steps.Await("A left"));
  steps.Reach("B may leave");
  a.join();
  b.join();
  Keys reported = Reported();
  std::sort(reported.begin(), reported.end());
  EXPECT_EQ(reported, (Keys{"A", "B", "C", "D"}));
}

TEST_F(KerrakTest, NestedCall_IsSkippedOnlyForTheSameKeyEventPassedDownTheChain) {
  int passed = 0;
  fake.next_hook = [&](int code, WPARAM key, LPARAM flags) -> LRESULT {
    if (++passed == 1) {
      // A second instance of the hook further down the chain gets the same event.
      KEYBOARDPROC(code, key, flags);
      // Other key events delivered to this thread before the first one has gone through.
      KEYBOARDPROC(HC_ACTION, 'A', kRelease);
      KEYBOARDPROC(HC_ACTION, 'B', kPress);
    }
    return 0;
  };
  EXPECT_EQ(KEYBOARDPROC(HC_ACTION, 'A', kPress), 0);
  EXPECT_EQ(passed, 4);  // every call went on down the chain
  EXPECT_EQ(Reported(), (Keys{"A", "up", "B"}));
  // The same event again once the first has left: an auto-repeat, reported.
  KEYBOARDPROC(HC_ACTION, 'A', kPress);
  EXPECT_EQ(Reported(), (Keys{"A", "up", "B", "A"}));
}

TEST_F(KerrakTest, WithoutThreadLocalStorage_NoKeyIsEverSkipped) {
  fake.tls_fails = true;
  Reattach();
  fake.next_hook = [&](int code, WPARAM key, LPARAM flags) -> LRESULT {
    if (key == 'A') KEYBOARDPROC(code, 'B', flags);
    return 0;
  };
  KEYBOARDPROC(HC_ACTION, 'A', kPress);
  KEYBOARDPROC(HC_ACTION, 'C', kPress);
  EXPECT_EQ(Reported(), (Keys{"A", "B", "C"}));
}

TEST_F(KerrakTest, SharedBlockUnavailable_NoMessageBoxNoRecordKeysPassedOn) {
  for (const bool mapping_fails : {true, false}) {
    SCOPED_TRACE(mapping_fails ? "no record to open" : "view fails");
    fake.mapping_fails = mapping_fails;
    fake.view_fails = !mapping_fails;
    Reattach();
    EXPECT_EQ(GETHOOKRECPOINTER(), nullptr);
    EXPECT_EQ(fake.message_boxes, std::vector<std::string>{});
    EXPECT_EQ(fake.open_handles, 0);  // a mapping without a view is closed again

    STARTKEYBOARDHOOK();  // nothing to install into
    int passed = 0;
    fake.next_hook = [&](int, WPARAM, LPARAM) -> LRESULT { return ++passed; };
    EXPECT_EQ(KEYBOARDPROC(HC_ACTION, 'A', kPress), 1);
    EXPECT_TRUE(fake.Posts().empty());
  }
}

}  // namespace
}  // namespace ravak
