#include "hook/keyboard_hook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "platform/error.h"
#include "tests/fakes/fake_hook.h"

namespace ravak {
namespace {

using testing::FakeHookHost;
using Log = std::vector<std::string>;
using Paths = std::vector<std::u16string>;

const std::u16string kSystem = u"C:\\Windows\\system32\\Kerrak.dll";
const std::u16string kUser = u"C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak\\x64\\Kerrak.dll";

class HookTest : public ::testing::Test {
 protected:
  HookTest() {
    host.loadable = {kSystem, kUser};
    // What an earlier run left in the shared record: its windows are gone.
    host.rec = {7, 0xEEEE, 1, 2, 99, 0x2020, 1, 1};
  }
  FakeHookHost host;
};

TEST_F(HookTest, Start_FillsRecordWithOwnWindowsAndZeroedSwitches_ThenStartsHook) {
  KeyboardHook hook(host, host, {kSystem, kUser});
  EXPECT_EQ(host.log, (Log{"create record", "load C:\\Windows\\system32\\Kerrak.dll",
                           "create key window", "create release window", "start"}));
  EXPECT_EQ(host.rec.HookHandle, 0x00F00123u);  // cleared first, so the start installs a hook
  EXPECT_EQ(host.rec.Reserved, 0xEEEEu);        // never touched
  EXPECT_EQ(host.rec.KeyWindow, 0x1234u);
  EXPECT_EQ(host.rec.ReleaseWindow, 0x5678u);
  EXPECT_EQ(host.rec.ReleaseCount, 0u);
  EXPECT_EQ(host.rec.BlockShortCut, 0u);
  EXPECT_EQ(host.rec.BlockFlag, 0u);
  EXPECT_EQ(host.rec.LetterLock, 0u);
  EXPECT_TRUE(hook.Hooked());
  EXPECT_EQ(hook.KerrakPath(), kSystem);
}

TEST_F(HookTest, WindowHandlesAreStoredInThirtyTwoBits) {
  host.key_window = 0x0000'0001'8002'0a1cULL & UINTPTR_MAX;
  KeyboardHook hook(host, host, {kSystem});
  EXPECT_EQ(host.rec.KeyWindow, 0x8002'0a1cu);
}

TEST_F(HookTest, LoadsFirstCopyThatLoads_AndFailsOnlyWhenNoneDoes) {
  host.loadable = {kUser};
  {
    KeyboardHook hook(host, host, {kSystem, kUser});
    EXPECT_EQ(hook.KerrakPath(), kUser);
    EXPECT_TRUE(hook.Hooked());
  }
  host.loadable.clear();
  host.log.clear();
  try {
    KeyboardHook hook(host, host, {kSystem, kUser});
    FAIL() << "no copy loads";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Could not find or load KERRAK.DLL");
  }
  // Nothing was created that a failed construction would leave behind.
  EXPECT_EQ(host.log, (Log{"create record", "load C:\\Windows\\system32\\Kerrak.dll",
                           "load C:\\Users\\u\\AppData\\Local\\Tirnak\\Ravak\\x64\\Kerrak.dll"}));
  EXPECT_THROW(KeyboardHook(host, host, {}), Error);
}

TEST_F(HookTest, MissingEntryPoint_ReleasesLibraryAndRunsWithoutHookSilently) {
  host.has_entry_points = false;
  KeyboardHook hook(host, host, {kSystem});
  EXPECT_EQ(host.log, (Log{"create record", "load C:\\Windows\\system32\\Kerrak.dll", "free"}));
  EXPECT_FALSE(hook.Loaded());
  EXPECT_FALSE(hook.Hooked());
  EXPECT_TRUE(host.errors.empty());
  EXPECT_EQ(host.rec.KeyWindow, 1u);  // the record is not touched
}

TEST_F(HookTest, NoRecord_ReportsMappingError_StaysLoadedWithoutHook_AndDestructionOnlyFrees) {
  host.has_record = false;
  {
    KeyboardHook hook(host, host, {kSystem});
    EXPECT_TRUE(hook.Loaded());
    EXPECT_FALSE(hook.Hooked());
  }
  EXPECT_EQ(host.errors, Log{"Could not create file map object"});
  EXPECT_EQ(host.log, (Log{"create record", "load C:\\Windows\\system32\\Kerrak.dll", "free"}));
}

TEST_F(HookTest, WithoutARecordOfItsOwn_ReportsMappingErrorAndLoadsNothing) {
  host.record_created = false;  // refused, or held by an object another owner made
  {
    KeyboardHook hook(host, host, {kSystem});
    EXPECT_FALSE(hook.Loaded());
    EXPECT_FALSE(hook.Hooked());
  }
  EXPECT_EQ(host.errors, Log{"Could not create file map object"});
  EXPECT_EQ(host.log, Log{"create record"});
  EXPECT_EQ(host.rec.KeyWindow, 1u);
}

// Two programs on one desktop share the record and see each other's windows.
class TwoProgramsTest : public HookTest {
 protected:
  TwoProgramsTest() {
    second.loadable = host.loadable;
    second.record = &host.rec;
    second.live_key_windows = &host.own_key_windows;
    second.key_window = 0x2222;
    second.release_window = 0x3333;
    second.hook_handle = 0x00F0'0456;
  }
  FakeHookHost second;
};

TEST_F(TwoProgramsTest, ASecondProgramLeavesTheRecordToTheFirst_AndEachGivesUpOnlyItsOwn) {
  auto first = std::make_unique<KeyboardHook>(host, host, Paths{kSystem});
  {
    KeyboardHook later(second, second, {kSystem});
    EXPECT_FALSE(later.Hooked());
    EXPECT_TRUE(first->Hooked());
    EXPECT_EQ(host.rec.KeyWindow, 0x1234u);
    EXPECT_EQ(host.rec.ReleaseWindow, 0x5678u);
    EXPECT_EQ(host.rec.HookHandle, 0x00F00123u);
    EXPECT_TRUE(second.errors.empty());  // said nothing
  }
  // The second's exit leaves the first's windows and hook in place.
  EXPECT_EQ(std::count(second.log.begin(), second.log.end(), "stop"), 0);
  EXPECT_EQ(host.rec.KeyWindow, 0x1234u);
  host.PostKey(0x41);

  // Started while the first still runs, ended after it: the first clears the record, which
  // the second never held, and the second's exit leaves the cleared record alone.
  auto later = std::make_unique<KeyboardHook>(second, second, Paths{kSystem});
  first.reset();
  EXPECT_EQ(host.rec.KeyWindow, 0u);
  EXPECT_EQ(host.rec.ReleaseWindow, 0u);
  EXPECT_EQ(host.rec.HookHandle, 0u);
  later.reset();
  EXPECT_EQ(host.rec.KeyWindow, 0u);
}

TEST_F(TwoProgramsTest, ARecordLeftByAProgramThatEndedWithoutGivingItUpIsFree) {
  // The first program's windows are gone (it was ended), the record still names them.
  auto first = std::make_unique<KeyboardHook>(host, host, Paths{kSystem});
  host.own_key_windows.clear();
  KeyboardHook later(second, second, {kSystem});
  EXPECT_TRUE(later.Hooked());
  EXPECT_EQ(host.rec.KeyWindow, 0x2222u);
  EXPECT_EQ(host.rec.HookHandle, 0x00F00456u);
  // The ended one's exit, had it come, would not touch what is now another's.
  first.reset();
  EXPECT_EQ(host.rec.KeyWindow, 0x2222u);
  EXPECT_EQ(host.rec.HookHandle, 0x00F00456u);
}

TEST_F(HookTest, Destruction_StopsHookFreesLibraryAndDestroysWindows) {
  { KeyboardHook hook(host, host, {kSystem}); }
  EXPECT_EQ(host.log, (Log{"create record", "load C:\\Windows\\system32\\Kerrak.dll",
                           "create key window", "create release window", "start", "stop", "free",
                           "destroy window 4660", "destroy window 22136"}));
  EXPECT_EQ(host.rec.HookHandle, 0u);
  EXPECT_FALSE(host.open);
}

TEST_F(HookTest, RefusedHook_IsNotHookedAndNotStoppedAtExit) {
  host.hook_handle = 0;  // SetWindowsHookExA failed
  {
    KeyboardHook hook(host, host, {kSystem});
    EXPECT_TRUE(hook.Loaded());
    EXPECT_FALSE(hook.Hooked());
  }
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "stop"), 0);
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "free"), 1);
}

TEST_F(HookTest, EveryNotificationRaisesOneKeyDownWithShiftStateOfThisThread) {
  KeyboardHook hook(host, host, {kSystem});
  std::vector<std::pair<uint16_t, ShiftState>> events;
  hook.AddOnKey([&](uint16_t key, ShiftState shift) { events.emplace_back(key, shift); });
  host.PostKey(0x41);
  host.shift = {true, false, true};
  host.PostKey(0x41);  // auto-repeat: a second event
  host.PostKey(0xBA);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0], std::make_pair(uint16_t{0x41}, ShiftState{}));
  EXPECT_EQ(events[1], std::make_pair(uint16_t{0x41}, ShiftState{true, false, true}));
  EXPECT_EQ(events[2].first, 0xBA);
}

TEST_F(HookTest, ErrorInHandlerIsReportedAndLaterKeysStillArrive) {
  KeyboardHook hook(host, host, {kSystem});
  int calls = 0;
  hook.AddOnKey([&](uint16_t, ShiftState) {
    if (++calls == 1) throw Error("Cannot open clipboard: Access is denied");
  });
  host.PostKey(0x41);
  host.PostKey(0x42);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(host.errors, (Log{"Cannot open clipboard: Access is denied"}));
}

}  // namespace
}  // namespace ravak
