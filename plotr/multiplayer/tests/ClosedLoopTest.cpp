// Two plan objects in the stand-in simulator's session on loopback, for the newer session (90)
// and the older one (80), through the plan object's slots with their own workers: the host's
// aircraft in the player list, a public plan saved from a real route fetched and loaded into the
// other plan, the host leaving with the oldest module taking over and admitting a newcomer, and
// (newer session) a removal by the new host.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/archive/MemoryFile.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Clock.h"
#include "plotr/core/Settings.h"
#include "plotr/multiplayer/MultiplayerDP4.h"
#include "plotr/multiplayer/tests/support/MpTestSupport.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "simhost/HostCore.h"
#include "simhost/MultiplayerHost.h"

namespace {

using namespace std::chrono_literals;
using mptest::WaitUntil;

// One module: its user and its plan object with both session levels.
struct Module {
  Module(const std::string& name, const dplay::Config& config, win::Clock& clock) : ui(name) {
    PlanSimServices services;
    services.clock = &clock;
    services.settings = &g_Settings;
    MultiplayerServices multiplayer;
    multiplayer.ui = &ui;
    multiplayer.config = config;
    multiplayer.waits = MpWaits{0ms, 2000ms};
    plan = std::make_unique<CMultiplayerDP4>(services, multiplayer);
  }
  std::vector<MpPlayerEntry> Players(bool onlyPublic = false) {
    std::vector<MpPlayerEntry> list;
    plan->ListPublicPlanPlayers(list, onlyPublic);
    return list;
  }
  bool Lists(const std::string& name) {
    for (const MpPlayerEntry& e : Players())
      if (std::string(EntryName(e)).find(name) != std::string::npos) return true;
    return false;
  }
  PendingMessage Pending() {
    return g_Settings.GetSimVer() >= 90 ? plan->Dp8().PeekPendingMessage() : plan->Dp4().PeekPendingMessage();
  }

  mptest::ScriptedUi ui;
  std::unique_ptr<CMultiplayerDP4> plan;
};

class ClosedLoopTest : public ::testing::TestWithParam<int> {
 protected:
  ClosedLoopTest() : folder("mp-" + std::to_string(GetParam())), core(GetParam()) {
    std::ofstream(folder.ProgramCfg(), std::ios::binary) << "[Essential]\r\nSimVer=" << GetParam() << "\r\n";
    DatabaseLease lease;
    plantest::BuildPlanDatabase(lease.Database());
  }
  ~ClosedLoopTest() override {
    core.SetMultiplayer(nullptr);
    DatabaseLease lease;
    lease.Database().ClearDatabase();
  }

  bool Newer() const { return GetParam() >= 90; }
  // The session moves on: the older session's worker steps at its next wake, the host flies.
  void Pump() {
    clock.Advance(1000);
    core.Step(0.05);
  }
  // Connects through slot 9 and waits until the host has let the module in.
  bool Join(Module& m) {
    if (!m.plan->Connect()) return false;
    return WaitUntil([&] {
      Pump();
      if (!m.plan->IsConnected() || m.plan->IsSessionLost()) return false;
      return Newer() || m.plan->Dp4().JoinState() == Dp4Session::kAdmitted;
    });
  }
  dplay::Config At(uint16_t port) const {
    dplay::Config c = dplay::Config::ForTests();
    c.port = port;
    return c;
  }
  uint16_t HostPortOf(Module& m) {
    const auto addresses = Newer() ? m.plan->Dp8().LocalHostAddresses() : m.plan->Dp4().LocalHostAddresses();
    return addresses.empty() ? 0 : addresses.front().port;
  }

  plantest::ScopedPlanFolder folder;
  win::FakeClock clock{1000};
  simhost::HostCore core;
  std::unique_ptr<simhost::MultiplayerHost> host;
};

TEST_P(ClosedLoopTest, ModulesFollowTheHostExchangeAPlanAndCarryOnWithoutIt) {
  simhost::MultiplayerHostOptions options;
  options.simVersion = GetParam();
  host = std::make_unique<simhost::MultiplayerHost>(options, dplay::Config::ForTests());
  std::string error;
  ASSERT_TRUE(host->Start(error)) << error;
  core.SetMultiplayer(host.get());
  Module alice("Alice", At(host->Port()), clock);
  Module bob("Bob", At(host->Port()), clock);
  ASSERT_TRUE(Join(alice));
  ASSERT_TRUE(Join(bob));

  // The host's aircraft, held still in the air, in the list with its position and ground speed.
  simhost::Aircraft& a = core.GetAircraft();
  a.onGround = false;
  a.frozen = true;
  EXPECT_TRUE(WaitUntil([&] {
    Pump();
    for (const MpPlayerEntry& e : bob.Players())
      if (EntryName(e) == "simhost" && e.hasPosition && std::fabs(e.latitude - a.latitude) < 1e-4 &&
          std::fabs(e.longitude - a.longitude) < 1e-4 && std::fabs(e.speed - a.airspeed) < 0.01)
        return true;
    return false;
  }));

  // Alice's plan, saved as the plan file, published, fetched by Bob and loaded into his plan.
  {
    DatabaseLease lease;
    alice.plan->Push(plantest::TripRoute());
    alice.plan->Rebuild();
  }
  alice.plan->PublishPlayerData(true);
  ASSERT_TRUE(WaitUntil([&] {
    Pump();
    // Alice's own flag follows her player info coming back, which may reach Bob first.
    return bob.plan->AnyRemotePlanPublic() && alice.plan->IsPlanPublic();
  }));
  ASSERT_EQ(bob.Players(true).size(), 1u);
  bob.plan->OpenFromRemote();
  archive::MemoryFile received;
  ASSERT_TRUE(WaitUntil([&] {
    Pump();
    return bob.plan->LoadReceivedPlan(received);
  }));
  {
    DatabaseLease lease;
    uint16_t format = 0;
    EXPECT_EQ(planedit::LoadPlan(*bob.plan, format, received), 0);
    const CRoute& sent = *alice.plan->GetCurrent();
    const CRoute& loaded = *bob.plan->GetCurrent();
    ASSERT_EQ(loaded.GetCount(), sent.GetCount());
    ASSERT_GT(sent.GetCount(), 0);
    for (int i = 0; i < sent.GetCount(); ++i) {
      EXPECT_EQ(loaded[i].Kind(), sent[i].Kind()) << i;
      EXPECT_EQ(loaded[i].UserName(), sent[i].UserName()) << i;
      EXPECT_FLOAT_EQ(loaded[i].ref.point.latitude, sent[i].ref.point.latitude) << i;
      EXPECT_FLOAT_EQ(loaded[i].ref.point.longitude, sent[i].ref.point.longitude) << i;
    }
  }

  // The host leaves: the oldest module hosts and says so, the other carries on as a member.
  host->Stop();
  ASSERT_TRUE(WaitUntil([&] {
    Pump();
    return alice.plan->IsSessionHost();
  }));
  EXPECT_EQ(alice.Pending().text, ui::LoadString(mpstr::kHostMigrated));
  EXPECT_FALSE(bob.plan->IsSessionHost());
  EXPECT_NE(bob.Pending().text, ui::LoadString(mpstr::kHostMigrated));
  EXPECT_TRUE(bob.plan->IsConnected());

  // The new host admits a newcomer.
  Module carol("Carol", At(HostPortOf(alice)), clock);
  ASSERT_TRUE(Join(carol));
  EXPECT_TRUE(WaitUntil([&] {
    Pump();
    return alice.Lists("Carol") && carol.Lists("Alice");
  }));

  if (Newer()) {
    // The new host removes Bob, who is told so.
    alice.ui.remove = {"*Bob"};
    alice.plan->HostSettings();
    EXPECT_TRUE(WaitUntil([&] { return bob.Pending().text == ui::LoadString(mpstr::kRemovedByHost); }));
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, ClosedLoopTest, ::testing::Values(90, 80),
                         [](const ::testing::TestParamInfo<int>& info) { return "v" + std::to_string(info.param); });

}  // namespace
