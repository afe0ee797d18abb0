// The newer session against the stand-in simulator's host on loopback: join through the connect
// dialog's logic, the host's aircraft in the player list, plan exchange, host migration with a
// newcomer admitted by the new host, removal, and connect failures.
#include "plotr/multiplayer/Dp8Session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/archive/MemoryFile.h"
#include "platform/ui/StringTable.h"
#include "plotr/multiplayer/MpDialogModels.h"
#include "plotr/multiplayer/tests/support/MpTestSupport.h"
#include "simhost/HostCore.h"
#include "simhost/MultiplayerHost.h"

namespace {

using namespace std::chrono_literals;
using mptest::ScriptedUi;
using mptest::WaitUntil;

class FixedPlan : public IPlanImageSource {
 public:
  explicit FixedPlan(std::string text) : m_text(std::move(text)) {}
  bool WritePlanImage(archive::MemoryFile& file) override {
    file.Write(m_text.data(), m_text.size());
    return true;
  }

 private:
  std::string m_text;
};

struct Module {
  Module(const std::string& name, const dplay::Config& config)
      : ui(name), plan("plan of " + name), session(ui, plan, win::SystemClock(), config, MpWaits{0ms, 2000ms}) {}
  bool Join() {
    return session.Connect() && WaitUntil([&] { return session.IsConnected() && !session.IsSessionLost(); });
  }
  std::vector<MpPlayerEntry> Players(bool onlyPublic = false) {
    std::vector<MpPlayerEntry> list;
    session.ListPublicPlanPlayers(list, onlyPublic);
    return list;
  }
  ScriptedUi ui;
  FixedPlan plan;
  Dp8Session session;
};

class Dp8SessionTest : public ::testing::Test {
 protected:
  void StartHost(const simhost::MultiplayerHostOptions& options) {
    host = std::make_unique<simhost::MultiplayerHost>(options, dplay::Config::ForTests());
    std::string error;
    ASSERT_TRUE(host->Start(error)) << error;
    config = dplay::Config::ForTests();
    config.port = host->Port();
    core.SetMultiplayer(host.get());
  }
  void TearDown() override { core.SetMultiplayer(nullptr); }

  simhost::HostCore core{90};
  std::unique_ptr<simhost::MultiplayerHost> host;
  dplay::Config config;
};

TEST_F(Dp8SessionTest, JoinsFollowsTheHostExchangesPlansAndMigrates) {
  StartHost({});
  Module alice("Alice", config);
  ASSERT_TRUE(alice.Join());
  EXPECT_EQ(alice.ui.lines.at(0).find("simhost ("), 0u);
  Module bob("Bob", config);
  ASSERT_TRUE(bob.Join());

  // The host's aircraft, reported while it flies.
  core.GetAircraft().onGround = false;
  ASSERT_TRUE(WaitUntil([&] {
    core.Step(0.25);
    for (const MpPlayerEntry& e : alice.Players())
      if (EntryName(e) == "simhost" && e.hasPosition) return true;
    return false;
  }));
  // Held still, the next report gives the aircraft where it is.
  simhost::Aircraft& a = core.GetAircraft();
  a.frozen = true;
  core.Step(0.25);
  EXPECT_TRUE(WaitUntil([&] {
    for (const MpPlayerEntry& e : alice.Players()) {
      if (EntryName(e) == "simhost" && std::fabs(e.latitude - a.latitude) < 1e-4 &&
          std::fabs(e.longitude - a.longitude) < 1e-4 && std::fabs(e.speed - a.airspeed) < 0.01)
        return true;
    }
    return false;
  }));
  // Pilots only, the own one included; none public yet.
  EXPECT_EQ(alice.Players().size(), 3u);
  EXPECT_TRUE(alice.Players(true).empty());
  EXPECT_FALSE(bob.session.AnyRemotePlanPublic());

  // A private plan is not answered; a public one is, once per answer.
  alice.session.PublishPlayerData(true);
  ASSERT_TRUE(WaitUntil([&] { return bob.session.AnyRemotePlanPublic(); }));
  // The own flag follows the own player's info coming back, which may reach Bob first.
  EXPECT_TRUE(WaitUntil([&] { return alice.session.IsPlanPublic(); }));
  EXPECT_FALSE(alice.session.AnyRemotePlanPublic());
  ASSERT_EQ(bob.Players(true).size(), 1u);
  bob.session.OpenFromRemote();
  archive::MemoryFile received;
  ASSERT_TRUE(WaitUntil([&] { return bob.session.LoadReceivedPlan(received); }));
  EXPECT_EQ(std::string(received.Bytes().begin(), received.Bytes().end()), "plan of Alice");
  EXPECT_FALSE(bob.session.LoadReceivedPlan(received));

  // The host leaves: the oldest member hosts and says so; the other does not.
  host->Stop();
  ASSERT_TRUE(WaitUntil([&] { return alice.session.IsSessionHost(); }));
  EXPECT_EQ(alice.session.PeekPendingMessage().text, ui::LoadString(mpstr::kHostMigrated));
  EXPECT_FALSE(bob.session.IsSessionHost());
  EXPECT_TRUE(bob.session.PeekPendingMessage().text.empty());
  alice.session.OnTick();
  EXPECT_EQ(alice.ui.shown.size(), 1u);

  // The new host admits a newcomer, refuses a name taken in another case, and removes a player.
  dplay::Config atAlice = config;
  atAlice.port = alice.session.LocalHostAddresses().at(0).port;
  Module carol("Carol", atAlice);
  ASSERT_TRUE(carol.Join());
  Module clash("alice", atAlice);
  EXPECT_TRUE(clash.session.Connect());
  ASSERT_TRUE(WaitUntil([&] { return !clash.session.PeekPendingMessage().text.empty(); }));
  EXPECT_EQ(clash.session.PeekPendingMessage().text,
            ui::LoadString(mpstr::kConnectFailed) + "\r\n" + ui::LoadString(mpstr::kHostRejected) + " Duplicate callsign.");
  clash.session.OnTick();
  EXPECT_FALSE(clash.session.IsConnected());

  alice.ui.remove = {"*Bob"};
  alice.session.HostSettings();
  ASSERT_TRUE(WaitUntil([&] { return !bob.session.PeekPendingMessage().text.empty(); }));
  EXPECT_EQ(bob.session.PeekPendingMessage().text, ui::LoadString(mpstr::kRemovedByHost));
  ASSERT_TRUE(WaitUntil([&] {
    bob.session.OnTick();
    return !bob.session.IsConnected();
  }));
  EXPECT_TRUE(bob.Players().empty());
}

TEST_F(Dp8SessionTest, RefusalsShowTheirReasonAndAreTornDownOnTheNextTick) {
  StartHost({90, 0, "", 2, 1});
  Module alice("Alice", config);
  ASSERT_TRUE(alice.Join());
  // Pilot limit 2: the host's pilot and Alice.
  Module bob("Bob", config);
  ASSERT_TRUE(bob.session.Connect());
  ASSERT_TRUE(WaitUntil([&] { return !bob.session.PeekPendingMessage().text.empty(); }));
  EXPECT_EQ(bob.session.PeekPendingMessage().text, ui::LoadString(mpstr::kConnectFailed) + "\r\n" +
                                                       ui::LoadString(mpstr::kHostRejected) + " No more players allowed.");
  EXPECT_TRUE(bob.session.IsConnected());
  bob.session.OnTick();
  EXPECT_FALSE(bob.session.IsConnected());
  EXPECT_FALSE(bob.session.IsSessionLost());
  ASSERT_EQ(bob.ui.shown.size(), 1u);

  alice.session.Disconnect();
  EXPECT_FALSE(alice.session.IsConnected());
  EXPECT_TRUE(alice.Players().empty());
}

TEST_F(Dp8SessionTest, WrongPasswordIsReported) {
  StartHost({90, 0, "secret", 8, 2});
  Module alice("Alice", config);
  alice.ui.password = "guess";
  ASSERT_TRUE(alice.session.Connect());
  ASSERT_TRUE(WaitUntil([&] { return !alice.session.PeekPendingMessage().text.empty(); }));
  EXPECT_EQ(alice.session.PeekPendingMessage().text,
            ui::LoadString(mpstr::kConnectFailed) + " " + ui::LoadString(mpstr::kInvalidPassword));
  Module bob("Bob", config);
  bob.ui.password = "secret";
  EXPECT_TRUE(bob.Join());
}

TEST_F(Dp8SessionTest, UnaskedOrSurplusPlanAnswersFollowTheLastRequest) {
  StartHost({});
  Module alice("Alice", config);
  ASSERT_TRUE(alice.Join());
  const auto answer = [](const std::string& text) {
    return mp::EncodePlanAnswer(mp::dp8::kPlanAnswer,
                                mp::Bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  };
  archive::MemoryFile file;
  alice.session.OnReceive(77, answer("unasked"));
  EXPECT_FALSE(alice.session.LoadReceivedPlan(file));
  // A hostile answer whose length passes its bytes is dropped.
  auto longer = answer("x");
  longer[4] = 200;
  alice.session.OnReceive(77, longer);
  EXPECT_FALSE(alice.session.LoadReceivedPlan(file));
}

}  // namespace
