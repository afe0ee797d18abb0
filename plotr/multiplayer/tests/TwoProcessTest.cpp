// The stand-in simulator as a program of its own hosts the session; the test's session joins it,
// then the simulator is killed outright. The newer session's lone member takes the host role,
// the older session ends, each with its message, within the link time-out.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/archive/MemoryFile.h"
#include "platform/dplay/tests/support/ChildProcess.h"
#include "platform/ui/StringTable.h"
#include "plotr/multiplayer/Dp4Session.h"
#include "plotr/multiplayer/Dp8Session.h"
#include "plotr/multiplayer/tests/support/MpTestSupport.h"

namespace {

using namespace std::chrono_literals;
using mptest::WaitUntil;

class NoPlan : public IPlanImageSource {
 public:
  bool WritePlanImage(archive::MemoryFile&) override { return false; }
};

class TwoProcessTest : public ::testing::TestWithParam<int> {
 protected:
  TwoProcessTest()
      : root(std::filesystem::temp_directory_path() /
             ("mp-two-process-" + std::to_string(GetParam()) + "-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(root);
    config.linkTimeoutMs = 2000;
  }
  ~TwoProcessTest() override {
    child.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }

  // Starts simhost hosting on a free port (an empty root: no modules) and reads the port.
  void StartSimhost() {
    child = std::make_unique<dplaytest::ChildProcess>(std::vector<std::string>{
        SIMHOST_PROGRAM, "--sim-version", std::to_string(GetParam()), "--root", root.string(), "--mp-host=0"});
    ASSERT_TRUE(child->Running());
    const std::string prefix = "multiplayer session on port ";
    const auto line = child->LineStartingWith(prefix, 30s);
    ASSERT_TRUE(line) << "simhost printed no port";
    config.port = static_cast<uint16_t>(std::stoul(line->substr(prefix.size())));
  }
  // Kills simhost and returns how long `happened` took to hold afterwards (-1 ms: not within
  // ten seconds).
  std::chrono::milliseconds KillAndTime(const std::function<bool()>& happened) {
    const auto killed = std::chrono::steady_clock::now();
    child->Kill();
    if (!WaitUntil(happened)) return -1ms;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - killed);
  }

  std::filesystem::path root;
  dplay::Config config = dplay::Config::ForTests();
  std::unique_ptr<dplaytest::ChildProcess> child;
  mptest::ScriptedUi ui{"Alice"};
  NoPlan plan;
};

TEST_P(TwoProcessTest, KilledHostMigratesOrEndsWithinTheLinkTimeOut) {
  StartSimhost();
  const std::chrono::milliseconds link(config.linkTimeoutMs);
  if (GetParam() >= 90) {
    Dp8Session session(ui, plan, win::SystemClock(), config, MpWaits{0ms, 2000ms});
    ASSERT_TRUE(session.Connect());
    ASSERT_TRUE(WaitUntil([&] { return session.IsConnected() && !session.IsSessionLost(); }));
    ASSERT_TRUE(WaitUntil([&] {
      std::vector<MpPlayerEntry> list;
      session.ListPublicPlanPlayers(list, false);
      return list.size() == 2;
    }));
    const auto took = KillAndTime([&] { return session.IsSessionHost(); });
    EXPECT_GE(took.count(), 0);
    EXPECT_LT(took, link);
    EXPECT_EQ(session.PeekPendingMessage().text, ui::LoadString(mpstr::kHostMigrated));
  } else {
    win::FakeClock clock(1000);
    Dp4Session session(ui, plan, clock, [] { return GetParam(); }, config);
    Dp4Wizard wizard(session);
    ASSERT_TRUE(mptest::RunWizard(wizard, "Alice"));
    session.BeginJoin();
    ASSERT_TRUE(WaitUntil([&] {
      if (!session.StepSession() || !session.ReceiveAll()) return true;
      return session.JoinState() == Dp4Session::kAdmitted;
    }));
    ASSERT_EQ(session.JoinState(), Dp4Session::kAdmitted);
    const auto took = KillAndTime([&] { return !session.ReceiveAll(); });
    EXPECT_GE(took.count(), 0);
    EXPECT_LT(took, link);
    EXPECT_EQ(session.PeekPendingMessage().text, ui::LoadString(mpstr::kConnectionLost));
    session.EndSession();
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, TwoProcessTest, ::testing::Values(90, 80),
                         [](const ::testing::TestParamInfo<int>& info) { return "v" + std::to_string(info.param); });

}  // namespace
