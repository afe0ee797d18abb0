// The older session stepped by hand against the stand-in simulator's host on loopback: the
// wizard's join, the admission steps to the admitted state, the host's reports in the table and
// the end when the last other player leaves.
#include "plotr/multiplayer/Dp4Session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <thread>

#include "platform/archive/MemoryFile.h"
#include "platform/ui/StringTable.h"
#include "plotr/multiplayer/Dp4Wizard.h"
#include "plotr/multiplayer/MpDialogModels.h"
#include "simhost/HostCore.h"
#include "simhost/MultiplayerHost.h"

namespace {

using namespace std::chrono_literals;

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10000ms) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return done();
}

class NoUi : public IMultiplayerUi {
 public:
  bool IsShowAllowed() override { return true; }
  void ShowMessage(const std::string&, uint32_t) override {}
  bool RunDp8Connect(Dp8Connect&) override { return false; }
  bool RunDp4Wizard(Dp4Wizard&) override { return false; }
  bool RunDp8HostSettings(Dp8HostSettingsModel&) override { return false; }
  bool RunDp4HostSettings(Dp4HostSettingsModel&) override { return false; }
  bool RunOpenRemote(OpenRemoteModel&) override { return false; }
};

class NoPlan : public IPlanImageSource {
 public:
  bool WritePlanImage(archive::MemoryFile&) override { return false; }
};

TEST(Dp4SessionTest, JoinsStepByStepFollowsTheHostAndEndsWhenItLeaves) {
  simhost::MultiplayerHost host({80, 0, "", 8, 2}, dplay::Config::ForTests());
  std::string error;
  ASSERT_TRUE(host.Start(error)) << error;
  simhost::HostCore core(80);
  core.SetMultiplayer(&host);
  dplay::Config config = dplay::Config::ForTests();
  config.port = host.Port();

  NoUi ui;
  NoPlan plan;
  win::FakeClock clock(1000);
  Dp4Session session(ui, plan, clock, [] { return 80; }, config);
  Dp4Wizard wizard(session);
  wizard.InitConnectionPage("Alice", "127.0.0.1");
  wizard.ActivateConnectionPage();
  ASSERT_FALSE(wizard.Connections().empty());
  EXPECT_TRUE(wizard.AddressEnabled());
  ASSERT_TRUE(wizard.Next());
  wizard.ActivateSessionPage();
  ASSERT_TRUE(WaitUntil([&] {
    return wizard.RefreshSessions() == Dp4Wizard::Refresh::kListed && !wizard.Sessions().empty();
  }));
  EXPECT_EQ(wizard.Sessions()[0].name, "simhost");
  EXPECT_EQ(wizard.Sessions()[0].pilots, "1/8");
  ASSERT_EQ(wizard.Finish(""), 0u);

  session.BeginJoin();
  for (int step = 0; step < 5; ++step) {
    ASSERT_TRUE(session.StepSession()) << step << " state " << session.JoinState();
    ASSERT_TRUE(session.ReceiveAll()) << step;
  }
  EXPECT_EQ(session.JoinState(), Dp4Session::kAwaitAdmission);
  ASSERT_TRUE(WaitUntil([&] {
    core.Step(0.05);
    session.ReceiveAll();
    return session.JoinState() == Dp4Session::kAdmitted;
  }));

  // The host's reports reach its record once it is known as a pilot.
  core.GetAircraft().onGround = false;
  core.GetAircraft().frozen = true;
  ASSERT_TRUE(WaitUntil([&] {
    core.Step(0.25);
    session.StepSession();
    session.ReceiveAll();
    bool seen = false;
    session.Players().ForEach([&](uint32_t, const MpPlayerRecordDP4& r) {
      if (EntryName(r.entry) == "simhost" && r.entry.hasPosition &&
          std::fabs(r.entry.latitude - core.GetAircraft().latitude) < 1e-4 &&
          std::fabs(r.entry.speed - core.GetAircraft().airspeed) < 0.01)
        seen = true;
    });
    return seen;
  }));

  // The last other player leaves: the session ends with its message.
  host.Stop();
  EXPECT_TRUE(WaitUntil([&] { return !session.ReceiveAll(); }));
  EXPECT_EQ(session.PeekPendingMessage().text, ui::LoadString(mpstr::kConnectionLost));
  session.EndSession();
  core.SetMultiplayer(nullptr);
}

}  // namespace
