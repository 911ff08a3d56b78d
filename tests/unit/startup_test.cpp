#include <gtest/gtest.h>

#include "app/startup.h"
#include "app/tray.h"
#include "tests/fakes/fake_system.h"

namespace ravak {
namespace {

using testing::FakePump;
using testing::Log;

TEST(StartupTest, SecondCopyGivesWayOnlyWithoutArgument) {
  EXPECT_FALSE(ShouldGiveWay(false, u""));
  EXPECT_TRUE(ShouldGiveWay(true, u""));
  EXPECT_FALSE(ShouldGiveWay(true, u"x"));
  EXPECT_EQ(DefaultApplicationTitle(u"C:\\Program Files\\RAVAK.EXE"), u"Ravak");
  EXPECT_EQ(DefaultApplicationTitle(u"ravak.setup.exe"), u"ravak");
  EXPECT_EQ(DefaultApplicationTitle(u"R"), u"R");
}

class ScriptedShell : public TrayShell {
 public:
  bool Notify(TrayRequest request, uint32_t* error) override {
    calls.push_back(request);
    if (results.empty()) return true;
    auto [ok, code] = results.front();
    results.erase(results.begin());
    *error = code;
    return ok;
  }
  std::vector<std::pair<bool, uint32_t>> results;
  std::vector<TrayRequest> calls;
};

TEST(TrayTest, AddIsRetriedWhileShellTimesOutAndCheckedWithModify) {
  Log log;
  FakePump sleeper(log);
  ScriptedShell shell;
  // Add times out; the modify that checks it fails; the second add works.
  shell.results = {{false, kErrorTimeout}, {false, 0}, {true, 0}};
  EXPECT_TRUE(NotifyWithRetry(shell, sleeper, TrayRequest::Add));
  EXPECT_EQ(shell.calls,
            (std::vector<TrayRequest>{TrayRequest::Add, TrayRequest::Modify, TrayRequest::Add}));
  EXPECT_EQ(sleeper.slept_ms, 1000u);

  // An add that the shell did after all is counted as done.
  ScriptedShell late;
  late.results = {{false, 0}, {true, 0}};
  EXPECT_TRUE(NotifyWithRetry(late, sleeper, TrayRequest::Add));
  EXPECT_EQ(late.calls.size(), 2u);

  // Other errors are final; a shell that never answers is given up after 31 waits.
  ScriptedShell refused;
  refused.results = {{false, 5}};
  EXPECT_FALSE(NotifyWithRetry(refused, sleeper, TrayRequest::SetVersion));
  ScriptedShell dead;
  dead.results.assign(200, {false, kErrorTimeout});
  sleeper.slept_ms = 0;
  EXPECT_FALSE(NotifyWithRetry(dead, sleeper, TrayRequest::Modify));
  EXPECT_EQ(sleeper.slept_ms, 31u * 1000u);
}

TEST(TrayTest, TipStopsAtBarAndFitsShell) {
  EXPECT_EQ(TrayTip(u"Tirnak Ravak 1.1"), u"Tirnak Ravak 1.1");
  EXPECT_EQ(TrayTip(u"short|long hint"), u"short");
  EXPECT_EQ(TrayTip(std::u16string(300, u'x')).size(), 127u);
}

}  // namespace
}  // namespace ravak
