// The older session stepped by hand on loopback: the wizard's join against the stand-in
// simulator's host to the admitted state and the host's reports in the table; the worker's steps
// kept going by the injected clock through a message stream that never lets it wait; the forced
// admission requests to a host that never answers; removal by the host; and, as the migrated
// host, the admission table, the limits, removal, the public notice, plan requests while the plan
// is private and public, and the end when the last other player leaves.
#include "plotr/multiplayer/Dp4Session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/archive/MemoryFile.h"
#include "platform/ui/StringTable.h"
#include "plotr/multiplayer/Dp4Wizard.h"
#include "plotr/multiplayer/tests/support/MpTestSupport.h"
#include "simhost/HostCore.h"
#include "simhost/MultiplayerHost.h"

namespace {

using mptest::RawPlayer;
using mptest::WaitUntil;
namespace dp4 = mp::dp4;

constexpr int kVersion = 80;

class FixedPlan : public IPlanImageSource {
 public:
  bool WritePlanImage(archive::MemoryFile& file) override {
    file.Write(kText.data(), kText.size());
    return true;
  }
  static constexpr std::string_view kText = "plan of Alice";
};

class Dp4SessionTest : public ::testing::Test {
 protected:
  ~Dp4SessionTest() override {
    if (module) module->EndSession();
    core.SetMultiplayer(nullptr);
  }

  void StartHost(uint32_t pilotLimit, uint32_t observerLimit) {
    host = std::make_unique<simhost::MultiplayerHost>(
        simhost::MultiplayerHostOptions{kVersion, 0, "", pilotLimit, observerLimit}, dplay::Config::ForTests());
    std::string error;
    ASSERT_TRUE(host->Start(error)) << error;
    config.port = host->Port();
    core.SetMultiplayer(host.get());
  }
  // The wizard against the session on `config.port`, then the join steps 0 to 4.
  void OpenAndStepToRequest() {
    module = std::make_unique<Dp4Session>(ui, plan, clock, [] { return kVersion; }, config);
    Dp4Session& session = *module;
    Dp4Wizard wizard(session);
    ASSERT_TRUE(mptest::RunWizard(wizard, "Alice"));
    session.BeginJoin();
    EXPECT_TRUE(session.IsConnected());
    for (int step = 0; step < 5; ++step) {
      EXPECT_TRUE(session.IsSessionLost()) << "busy until the request is out, step " << step;
      ASSERT_TRUE(session.StepSession()) << step << " state " << session.JoinState();
      ASSERT_TRUE(session.ReceiveAll()) << step;
    }
    EXPECT_EQ(session.JoinState(), Dp4Session::kAwaitAdmission);
    EXPECT_FALSE(session.IsSessionLost());
  }
  void JoinHost() {
    OpenAndStepToRequest();
    ASSERT_TRUE(WaitUntil([&] {
      core.Step(0.05);
      module->ReceiveAll();
      return module->JoinState() == Dp4Session::kAdmitted;
    }));
  }
  mp::SessionCounts Counts() {
    dplay::SessionDesc desc;
    EXPECT_EQ(module->GetSession()->GetSessionDesc(desc), dplay::Result::Ok);
    return mp::UnpackCounts(desc.user1);
  }
  std::string Pending() const { return module->PeekPendingMessage().text; }

  simhost::HostCore core{kVersion};
  std::unique_ptr<simhost::MultiplayerHost> host;
  dplay::Config config = dplay::Config::ForTests();
  mptest::ScriptedUi ui{"Alice"};
  FixedPlan plan;
  win::FakeClock clock{1000};
  std::unique_ptr<Dp4Session> module;
};

TEST_F(Dp4SessionTest, JoinsStepByStepFollowsTheHostAndEndsWhenItLeaves) {
  StartHost(8, 2);
  JoinHost();
  Dp4Session& session = *module;

  // The host's reports reach its record once it is known as a pilot.
  core.GetAircraft().onGround = false;
  core.GetAircraft().frozen = true;
  ASSERT_TRUE(WaitUntil([&] {
    core.Step(0.25);
    session.StepSession();
    session.ReceiveAll();
    std::vector<MpPlayerEntry> list;
    session.ListPublicPlanPlayers(list, false);
    for (const MpPlayerEntry& e : list)
      if (EntryName(e) == "simhost" && e.hasPosition && std::fabs(e.latitude - core.GetAircraft().latitude) < 1e-4 &&
          std::fabs(e.speed - core.GetAircraft().airspeed) < 0.01)
        return true;
    return false;
  }));

  // The last other player leaves: the session ends with its message.
  host->Stop();
  EXPECT_TRUE(WaitUntil([&] { return !session.ReceiveAll(); }));
  EXPECT_EQ(Pending(), ui::LoadString(mpstr::kConnectionLost));
}

TEST_F(Dp4SessionTest, SixForcedRequestsThirtyOneStepsApartThenGivesUp) {
  // A host that takes players and never answers their requests.
  RawPlayer silent(dplay::Config::ForTests(), mp::Dp4Application(kVersion));
  ASSERT_TRUE(silent.Host("silent", mp::PackCounts({0, 2, 1, 8})));
  config.port = silent.Port();
  OpenAndStepToRequest();
  Dp4Session& session = *module;
  ASSERT_TRUE(silent.Next(dp4::kPilotRequest));

  // The link is ordered: one forced request seen after a round means it went out in that
  // round, and none after the previous 30 steps means it went out at the 31st.
  for (int round = 1; round <= 6; ++round) {
    for (int step = 1; step <= 30; ++step) ASSERT_TRUE(session.StepSession()) << round << "/" << step;
    EXPECT_EQ(silent.Count(dp4::kForcedPilotRequest), 0) << round;
    EXPECT_EQ(session.StepSession(), round < 6) << round;
    ASSERT_TRUE(silent.Next(dp4::kForcedPilotRequest)) << round;
    EXPECT_EQ(session.JoinState(), Dp4Session::kAwaitAdmission);
  }
  EXPECT_EQ(Pending(), ui::LoadString(mpstr::kConnectionLost));
}

TEST_F(Dp4SessionTest, WorkerStepsThroughABusyMessageStream) {
  StartHost(8, 2);
  // A player who sends so often that the worker's wait never runs out.
  RawPlayer chatter(config, mp::Dp4Application(kVersion));
  ASSERT_TRUE(chatter.Join("Chatter"));
  std::atomic<bool> chatting{true};
  std::thread flood([&] {
    while (chatting) {
      chatter.Session().Send(chatter.Id(), dplay::kAllPlayersButSender, 0, mp::EncodePublicNotice(false));
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  module = std::make_unique<Dp4Session>(ui, plan, clock, [] { return kVersion; }, config);
  ASSERT_TRUE(module->Connect());
  // Only the injected clock moves the steps on; the join takes five of them and the admission.
  EXPECT_TRUE(WaitUntil([&] {
    clock.Advance(1000);
    core.Step(0.05);
    return module->JoinState() == Dp4Session::kAdmitted;
  }));
  chatting = false;
  flood.join();
  module->Disconnect();
  EXPECT_FALSE(module->IsConnected());
}

TEST_F(Dp4SessionTest, DestroyedByTheHostEndsWithTheRemovalMessage) {
  RawPlayer silent(dplay::Config::ForTests(), mp::Dp4Application(kVersion));
  ASSERT_TRUE(silent.Host("silent", mp::PackCounts({0, 2, 1, 8})));
  config.port = silent.Port();
  OpenAndStepToRequest();
  ASSERT_NE(module->OwnId(), 0u);
  ASSERT_EQ(silent.Session().DestroyPlayer(module->OwnId()), dplay::Result::Ok);
  EXPECT_TRUE(WaitUntil([&] { return !module->ReceiveAll(); }));
  EXPECT_EQ(module->OwnId(), 0u);
  EXPECT_EQ(Pending(), ui::LoadString(mpstr::kRemovedByHost));
}

TEST_F(Dp4SessionTest, OnlyTheHostsRefusalEndsTheJoinAndTheUserIsTold) {
  struct Row {
    uint32_t refusal;
    unsigned reason;
  };
  for (const Row row : {Row{dp4::kPilotRefused, mp::kReplyNoMorePilots}, Row{dp4::kObserverRefused, mp::kReplyNoMoreObservers}}) {
    SCOPED_TRACE(testing::Message() << std::hex << row.refusal);
    RawPlayer silent(dplay::Config::ForTests(), mp::Dp4Application(kVersion));
    ASSERT_TRUE(silent.Host("silent", mp::PackCounts({0, 2, 1, 8})));
    config.port = silent.Port();
    RawPlayer mallory(config, mp::Dp4Application(kVersion));
    ASSERT_TRUE(mallory.Join("Mallory"));
    OpenAndStepToRequest();
    Dp4Session& session = *module;

    // Another player's refusal is no refusal; its notice behind it shows it was read. (Mallory
    // may hear of the module's player only after the module is waiting.)
    const auto fromMallory = [&](std::vector<uint8_t> message) {
      return WaitUntil([&] {
        return mallory.Session().Send(mallory.Id(), session.OwnId(), 0, message) == dplay::Result::Ok;
      });
    };
    ASSERT_TRUE(fromMallory(mp::EncodeBare(row.refusal)));
    ASSERT_TRUE(fromMallory(mp::EncodePublicNotice(true)));
    bool going = true;
    ASSERT_TRUE(WaitUntil([&] {
      going = going && session.ReceiveAll();
      return !going || session.AnyRemotePlanPublic();
    }));
    EXPECT_TRUE(going);
    EXPECT_EQ(session.JoinState(), Dp4Session::kAwaitAdmission);
    EXPECT_EQ(Pending(), "");

    // The host's ends the join, and the user reads why.
    ASSERT_EQ(silent.Session().Send(silent.Id(), session.OwnId(), 0, mp::EncodeBare(row.refusal)), dplay::Result::Ok);
    EXPECT_TRUE(WaitUntil([&] { return !session.ReceiveAll(); }));
    EXPECT_EQ(Pending(), ui::LoadString(mpstr::kConnectFailed) + " " + ui::LoadString(row.reason));
    module->EndSession();
    module.reset();
  }
}

TEST_F(Dp4SessionTest, EachPlayersPlanRequestsAreAnsweredAtMostOncePerInterval) {
  StartHost(8, 2);
  JoinHost();
  Dp4Session& session = *module;
  const auto pump = [&] { session.ReceiveAll(); };
  RawPlayer asker(config, mp::Dp4Application(kVersion));
  ASSERT_TRUE(asker.Join("Asker"));
  ASSERT_TRUE(WaitUntil([&] {
    pump();
    return session.Players().Size() == 3;
  }));
  session.PublishPlayerData(true);
  const auto send = [&](std::vector<uint8_t> message) {
    return asker.Session().Send(asker.Id(), session.OwnId(), 0, std::move(message)) == dplay::Result::Ok;
  };
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(send(mp::EncodeBare(dp4::kPlanRequest)));
  // The asker's notice comes after its requests: once it is in, every request has been read.
  ASSERT_TRUE(send(mp::EncodePublicNotice(true)));
  ASSERT_TRUE(WaitUntil([&] {
    pump();
    return session.AnyRemotePlanPublic();
  }));
  // And the module's own notice comes after every answer it gave.
  session.PublishPlayerData(true);
  ASSERT_TRUE(session.StepSession());
  const std::vector<uint32_t> read = asker.IdsUntil(dp4::kPublicNotice, pump);
  ASSERT_FALSE(read.empty());
  EXPECT_EQ(read.back(), dp4::kPublicNotice);
  EXPECT_EQ(std::count(read.begin(), read.end(), dp4::kPlanAnswer), 1);

  clock.Advance(PlanRequestPace::kIntervalMs);
  ASSERT_TRUE(send(mp::EncodeBare(dp4::kPlanRequest)));
  EXPECT_TRUE(asker.Next(dp4::kPlanAnswer, pump));
}

// Rows run in order against the module as the migrated host; counts are those after the row.
struct AdmissionRow {
  int player;  // index of the bare player
  uint32_t request;
  uint32_t answer;
  uint8_t pilots;
  uint8_t observers;
};

TEST_F(Dp4SessionTest, MigratedHostAdmitsLimitsRemovesAndEndsWithTheLastOther) {
  StartHost(2, 4);
  JoinHost();
  Dp4Session& session = *module;
  // Four bare players join after the module, so the module is the oldest when the host goes.
  std::vector<std::unique_ptr<RawPlayer>> players;
  for (const char* name : {"Bob", "Carol", "Dave", "Erin"}) {
    players.push_back(std::make_unique<RawPlayer>(config, mp::Dp4Application(kVersion)));
    ASSERT_TRUE(players.back()->Join(name)) << name;
  }
  ASSERT_TRUE(WaitUntil([&] {
    session.ReceiveAll();
    return session.Players().Size() == 6;
  }));
  host->Stop();
  ASSERT_TRUE(WaitUntil([&] {
    session.ReceiveAll();
    return session.IsSessionHost();
  }));
  EXPECT_EQ(Pending(), ui::LoadString(mpstr::kHostMigrated));
  // The host's pilot and the module admitted; the description moved with the host role.
  EXPECT_EQ(Counts(), (mp::SessionCounts{0, 4, 2, 2}));
  const auto pump = [&] { session.ReceiveAll(); };
  // Every player is back with the new host before the limits count them.
  for (auto& p : players) ASSERT_TRUE(p->SendToAll(mp::EncodePublicNotice(false)));
  ASSERT_TRUE(WaitUntil([&] {
    pump();
    dplay::SessionDesc desc;
    return session.GetSession()->GetSessionDesc(desc) == dplay::Result::Ok && desc.currentPlayers == 5;
  }));

  // Limits below the players present: the pilots are raised until both hold them.
  ui.pilotLimit = 2;
  ui.observerLimit = 1;
  session.HostSettings();
  ASSERT_TRUE(session.StepSession());
  {
    dplay::SessionDesc desc;
    ASSERT_EQ(session.GetSession()->GetSessionDesc(desc), dplay::Result::Ok);
    EXPECT_EQ(desc.maxPlayers, 5u);
    EXPECT_EQ(mp::UnpackCounts(desc.user1), (mp::SessionCounts{0, 1, 2, 4}));
  }

  const AdmissionRow rows[] = {
      {0, dp4::kPilotRequest, dp4::kPilotGranted, 3, 0},
      {1, dp4::kPilotRequest, dp4::kPilotGranted, 4, 0},
      {2, dp4::kPilotRequest, dp4::kPilotRefused, 4, 0},          // limit reached
      {2, dp4::kForcedPilotRequest, dp4::kPilotGranted, 5, 0},    // forced past it
      {0, dp4::kPilotRequest, dp4::kPilotRefused, 5, 0},          // already a pilot
      {0, dp4::kForcedPilotRequest, dp4::kPilotGranted, 5, 0},    // not counted again
      {3, dp4::kObserverRequest, dp4::kObserverGranted, 5, 1},
      {3, dp4::kForcedObserverRequest, dp4::kObserverGranted, 5, 1},
      {1, dp4::kMoveToObservers, dp4::kMoveRefused, 5, 1},        // observers full
      {1, dp4::kForcedMoveToObservers, dp4::kMoveAccepted, 4, 2},
      {3, dp4::kMoveToObservers, dp4::kMoveRefused, 4, 2},        // not a pilot
  };
  for (const AdmissionRow& row : rows) {
    RawPlayer& p = *players[row.player];
    SCOPED_TRACE(testing::Message() << std::hex << "request " << row.request << " from " << row.player);
    ASSERT_TRUE(p.SendToAll(mp::EncodeBare(row.request)));
    const auto answer = p.Next(row.answer, pump);
    ASSERT_TRUE(answer);
    if (row.answer == dp4::kPilotGranted || row.answer == dp4::kObserverGranted) {
      EXPECT_EQ(mp::DecodePlayerId(*answer), p.Id());
    }
    const mp::SessionCounts counts = Counts();
    EXPECT_EQ(counts.pilotsAdmitted, row.pilots);
    EXPECT_EQ(counts.observersAdmitted, row.observers);
  }

  // Removal in the host settings: the next step tells the player.
  ui.remove = {"Erin"};
  ui.pilotLimit = 0;
  ui.observerLimit.reset();
  session.HostSettings();
  ASSERT_TRUE(session.StepSession());
  EXPECT_TRUE(players[3]->Next(dp4::kRemoved));

  // A private plan is not given out: the request before Bob's next answer goes unanswered.
  ASSERT_TRUE(players[0]->SendToAll(mp::EncodeBare(dp4::kPlanRequest)));
  ASSERT_TRUE(players[0]->SendToAll(mp::EncodeBare(dp4::kPilotRequest)));
  const std::vector<uint32_t> read = players[0]->IdsUntil(dp4::kPilotRefused, pump);
  ASSERT_FALSE(read.empty());
  EXPECT_EQ(read.back(), dp4::kPilotRefused);
  EXPECT_EQ(std::count(read.begin(), read.end(), dp4::kPlanAnswer), 0);

  // The last public notice went out with the first admitted step, before any answer Bob read;
  // slot 12 sends the next at the very next step.
  session.PublishPlayerData(true);
  ASSERT_TRUE(session.StepSession());
  const auto notice = players[0]->Next(dp4::kPublicNotice);
  ASSERT_TRUE(notice);
  EXPECT_EQ(mp::DecodePublicNotice(*notice), true);
  // Public now: the plan goes to whoever asks.
  ASSERT_TRUE(players[0]->SendToAll(mp::EncodeBare(dp4::kPlanRequest)));
  const auto answer = players[0]->Next(dp4::kPlanAnswer, pump);
  ASSERT_TRUE(answer);
  const auto image = mp::DecodePlanAnswer(*answer);
  ASSERT_TRUE(image);
  EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(image->data()), image->size()), FixedPlan::kText);

  // A pilot leaves: the host counts it out. The last other player leaving ends the session.
  players[0]->Session().Close();
  ASSERT_TRUE(WaitUntil([&] {
    pump();
    return Counts().pilotsAdmitted == 3;
  }));
  for (size_t i = 1; i < players.size(); ++i) {
    players[i]->Session().Close();
    if (i + 1 < players.size()) {
      ASSERT_TRUE(WaitUntil([&] {
        EXPECT_TRUE(session.ReceiveAll());
        return session.Players().Size() == players.size() - i;
      }));
    }
  }
  EXPECT_TRUE(WaitUntil([&] { return !session.ReceiveAll(); }));
  EXPECT_EQ(Pending(), ui::LoadString(mpstr::kConnectionLost));
}

}  // namespace
