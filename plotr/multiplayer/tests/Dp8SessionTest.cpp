// The newer session against the stand-in simulator's host on loopback: join through the connect
// dialog's logic, the host's aircraft in the player list, plan exchange, host migration with a
// newcomer admitted by the new host, removal, and connect failures.
#include "plotr/multiplayer/Dp8Session.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/archive/MemoryFile.h"
#include "platform/ui/StringTable.h"
#include "plotr/multiplayer/MpDialogModels.h"
#include "plotr/multiplayer/MpTransport.h"
#include "plotr/multiplayer/tests/support/LoopbackHost.h"
#include "plotr/multiplayer/tests/support/MpTestSupport.h"
#include "simhost/HostCore.h"
#include "simhost/MultiplayerHost.h"

namespace {

using namespace std::chrono_literals;
using mptest::ScriptedUi;
using mptest::WaitUntil;

// Counts the answers it is asked to write; a refusing one writes none, so the asker gets no
// answer.
class FixedPlan : public IPlanImageSource {
 public:
  explicit FixedPlan(std::string text) : m_text(std::move(text)) {}
  bool WritePlanImage(archive::MemoryFile& file) override {
    ++written;
    if (refuse) return false;
    file.Write(m_text.data(), m_text.size());
    return true;
  }

  std::atomic<int> written{0};
  std::atomic<bool> refuse{false};

 private:
  std::string m_text;
};

struct Module {
  Module(const std::string& name, const dplay::Config& config, win::Clock& clock = win::SystemClock())
      : ui(name), plan("plan of " + name), session(ui, plan, clock, config, MpWaits{0ms, 2000ms}) {}
  bool Join() {
    return session.Connect() && WaitUntil([&] { return session.IsConnected() && !session.IsSessionLost(); });
  }
  std::vector<MpPlayerEntry> Players(bool onlyPublic = false) {
    std::vector<MpPlayerEntry> list;
    session.ListPublicPlanPlayers(list, onlyPublic);
    return list;
  }
  // The id of the player listed under `name`, 0 when none is.
  uint32_t IdOf(const std::string& name) {
    for (const MpPlayerEntry& e : Players())
      if (EntryName(e) == name) return e.playerId;
    return 0;
  }
  ScriptedUi ui;
  FixedPlan plan;
  Dp8Session session;
};

class Dp8SessionTest : public ::testing::Test {
 protected:
  void StartHost(const simhost::MultiplayerHostOptions& options) {
    std::string error;
    ASSERT_TRUE(loopback.Start(options, error)) << error;
    host = loopback.host.get();
    config = loopback.config;
    core.SetMultiplayer(host);
  }
  void TearDown() override { core.SetMultiplayer(nullptr); }
  // The stand-in simulator leaves a session whose oldest member is `first`, and `first` hosts.
  void MigrateTo(Module& first) {
    host->Stop();
    ASSERT_TRUE(WaitUntil([&] { return first.session.IsSessionHost(); }));
  }

  simhost::HostCore core{90};
  mptest::LoopbackHost loopback;
  simhost::MultiplayerHost* host = nullptr;
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

TEST(Dp8SessionHandler, ConnectFailuresReadAsTheirReasonAndTheHostsReply) {
  AddMultiplayerStrings();
  const std::string failed = ui::LoadString(mpstr::kConnectFailed);
  const auto reason = [&](unsigned id) { return failed + " " + ui::LoadString(id); };
  const auto reply = [&](const std::string& text) {
    return failed + "\r\n" + ui::LoadString(mpstr::kHostRejected) + " " + text;
  };
  const auto bytes = [](const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); };
  using R = dplay::Result;
  struct Case {
    R result;
    std::vector<uint8_t> reply;
    std::string text;
  } cases[] = {
      {R::NoResponse, {}, reason(mpstr::kNoResponse)},
      {R::NoConnection, {}, reason(mpstr::kNoConnection)},
      {R::SessionFull, {}, reason(mpstr::kSessionFull)},
      {R::InvalidPassword, {}, reason(mpstr::kInvalidPassword)},
      {R::NotHost, {}, reason(mpstr::kCouldNotConnect)},
      {R::InvalidApplication, {}, reason(mpstr::kCouldNotConnect)},
      {R::InvalidDeviceAddress, {}, reason(mpstr::kCouldNotConnect)},
      {R::InvalidHostAddress, {}, reason(mpstr::kCouldNotConnect)},
      {R::InvalidInstance, {}, reason(mpstr::kCouldNotConnect)},
      {R::UserCancel, {}, reason(mpstr::kUnknownError)},
      {R::HostRejectedConnection, {}, reason(mpstr::kHostRejected)},
      {R::HostRejectedConnection, bytes(std::string("No more players allowed.", 25)), reply("No more players allowed.")},
      // The reply's bytes bound its text, with or without a NUL.
      {R::HostRejectedConnection, bytes("Duplicate"), reply("Duplicate")},
      {R::HostRejectedConnection, bytes(std::string("Full\0hidden", 11)), reply("Full")},
  };
  for (const Case& c : cases) {
    ScriptedUi ui("Alice");
    FixedPlan plan("");
    Dp8Session session(ui, plan, win::SystemClock(), dplay::Config::ForTests(), MpWaits{0ms, 0ms});
    dplay::Message m = dplay::ConnectComplete{1, c.result, 0, c.reply};
    session.DP8MessageHandler(m);
    EXPECT_EQ(session.PeekPendingMessage().text, c.text) << dplay::ResultName(c.result);
    // Shown once, by the next tick.
    session.OnTick();
    session.OnTick();
    EXPECT_EQ(ui.shown, std::vector<std::string>{c.text}) << dplay::ResultName(c.result);
  }
}

TEST(Dp8SessionHandler, TerminationTellsItsReasonAndEndsOnceTheLastPlayerIsGone) {
  AddMultiplayerStrings();
  struct Case {
    dplay::Result reason;
    std::string text;
  } cases[] = {
      {dplay::Result::HostTerminatedSession, ui::LoadString(mpstr::kRemovedByHost)},
      {dplay::Result::ConnectionLost, ui::LoadString(mpstr::kConnectionLost)},
      {dplay::Result::UserCancel, ""},  // any other reason ends the session silently
  };
  for (const Case& c : cases) {
    ScriptedUi ui("Alice");
    FixedPlan plan("");
    Dp8Session session(ui, plan, win::SystemClock(), dplay::Config::ForTests(), MpWaits{0ms, 0ms});
    dplay::Message own = dplay::CreatePlayer{5, true};
    dplay::Message other = dplay::CreatePlayer{6, false};
    session.DP8MessageHandler(own);
    session.DP8MessageHandler(other);
    dplay::Message end = dplay::TerminateSession{c.reason, {}};
    session.DP8MessageHandler(end);
    EXPECT_TRUE(session.IsSessionLost()) << c.text;
    EXPECT_EQ(session.PeekPendingMessage().text, c.text);
    // The players still held keep the session until the last one is destroyed.
    session.OnTick();
    EXPECT_TRUE(session.IsSessionLost()) << c.text;
    dplay::Message gone5 = dplay::DestroyPlayer{5, dplay::DestroyReason::SessionTerminated};
    dplay::Message gone6 = dplay::DestroyPlayer{6, dplay::DestroyReason::SessionTerminated};
    session.DP8MessageHandler(gone5);
    session.OnTick();
    EXPECT_TRUE(session.IsSessionLost()) << c.text;
    session.DP8MessageHandler(gone6);
    session.OnTick();
    EXPECT_FALSE(session.IsSessionLost()) << c.text;
    EXPECT_EQ(ui.shown.size(), c.text.empty() ? 0u : 1u);
  }
}

TEST_F(Dp8SessionTest, AsMigratedHostAdmitsByItsLimitsAndByName) {
  StartHost({});
  Module alice("Alice", config);
  ASSERT_TRUE(alice.Join());
  Module bob("Bob", config);
  ASSERT_TRUE(bob.Join());
  MigrateTo(alice);
  ASSERT_TRUE(WaitUntil([&] { return alice.Players().size() == 2; }));

  const auto ask = [&](std::vector<uint8_t> connectData, std::string& reply) {
    dplay::Message m = dplay::IndicateConnect{std::move(connectData), {}, {}};
    const dplay::Result r = alice.session.DP8MessageHandler(m);
    const auto& bytes = std::get<dplay::IndicateConnect>(m).replyData;
    reply = bytes.empty() ? "" : std::string(reinterpret_cast<const char*>(bytes.data()));
    return r == dplay::Result::Ok;
  };
  struct Case {
    const char* name;
    mp::SessionLimits limits;
    std::vector<uint8_t> connectData;
    bool admit;
    const char* reply;
  } cases[] = {
      // Alice and Bob are the two pilots present.
      {"pilotLimitTwoWithTwoPilots", {2, 0}, mp::EncodeConnectData(false, "*Carol"), false, "No more players allowed."},
      {"observerLimitZero", {2, 0}, mp::EncodeConnectData(true, "*Olga"), false, "No more observers allowed."},
      {"observerWithRoom", {2, 1}, mp::EncodeConnectData(true, "*Olga"), true, ""},
      {"pilotWithRoom", {3, 1}, mp::EncodeConnectData(false, "*Carol"), true, ""},
      {"nameDiffersInCaseOnly", {3, 1}, mp::EncodeConnectData(false, "*BOB"), false, "Duplicate callsign."},
      {"connectDataUnder26", {3, 1}, std::vector<uint8_t>(25, 0), false, ""},
  };
  for (const Case& c : cases) {
    alice.ui.pilotLimit = c.limits.pilots;
    alice.ui.observerLimit = c.limits.observers;
    alice.session.HostSettings();
    std::string reply;
    EXPECT_EQ(ask(c.connectData, reply), c.admit) << c.name;
    EXPECT_EQ(reply, c.reply) << c.name;
  }
}

TEST_F(Dp8SessionTest, PlanRequestsAreAnsweredOnlyWhilePublicAndTheLastAnswerCounts) {
  StartHost({});
  Module alice("Alice", config);
  ASSERT_TRUE(alice.Join());
  Module bob("Bob", config);
  ASSERT_TRUE(bob.Join());
  // Bob's join completes before Alice hears of him.
  ASSERT_TRUE(WaitUntil([&] { return bob.IdOf("*Alice") != 0 && alice.IdOf("*Bob") != 0; }));
  const uint32_t aliceId = bob.IdOf("*Alice");
  const uint32_t bobId = alice.IdOf("*Bob");

  // A private plan is not written, whoever asks.
  alice.session.OnReceive(bobId, mp::EncodeBare(mp::dp8::kPlanRequest));
  EXPECT_EQ(alice.plan.written, 0);

  // Public, but the plan cannot be written: Bob's request gets no answer, so every answer below
  // is one the test gives.
  alice.session.PublishPlayerData(true);
  ASSERT_TRUE(WaitUntil([&] { return alice.session.IsPlanPublic() && bob.session.AnyRemotePlanPublic(); }));
  alice.plan.refuse = true;
  bob.session.OpenFromRemote();
  ASSERT_TRUE(WaitUntil([&] { return alice.plan.written == 1; }));

  const auto answer = [](const std::string& text) {
    return mp::EncodePlanAnswer(mp::dp8::kPlanAnswer,
                                mp::Bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  };
  bob.session.OnReceive(aliceId, answer("first"));
  bob.session.OnReceive(bob.IdOf("simhost"), answer("not asked"));
  bob.session.OnReceive(aliceId, answer("second"));
  archive::MemoryFile file;
  ASSERT_TRUE(bob.session.LoadReceivedPlan(file));
  EXPECT_EQ(std::string(file.Bytes().begin(), file.Bytes().end()), "second");
  EXPECT_FALSE(bob.session.LoadReceivedPlan(file));
}

TEST_F(Dp8SessionTest, EachPlayersPlanRequestsAreAnsweredAtMostOncePerInterval) {
  StartHost({});
  win::FakeClock clock{5000};
  Module alice("Alice", config, clock);
  ASSERT_TRUE(alice.Join());
  Module bob("Bob", config);
  ASSERT_TRUE(bob.Join());
  ASSERT_TRUE(WaitUntil([&] { return alice.IdOf("*Bob") != 0 && alice.IdOf("simhost") != 0; }));
  const uint32_t bobId = alice.IdOf("*Bob");
  alice.session.PublishPlayerData(true);
  ASSERT_TRUE(WaitUntil([&] { return alice.session.IsPlanPublic(); }));

  for (int i = 0; i < 50; ++i) alice.session.OnReceive(bobId, mp::EncodeBare(mp::dp8::kPlanRequest));
  EXPECT_EQ(alice.plan.written, 1);
  // Another player has an interval of its own.
  alice.session.OnReceive(alice.IdOf("simhost"), mp::EncodeBare(mp::dp8::kPlanRequest));
  EXPECT_EQ(alice.plan.written, 2);
  clock.Advance(PlanRequestPace::kIntervalMs - 1);
  alice.session.OnReceive(bobId, mp::EncodeBare(mp::dp8::kPlanRequest));
  EXPECT_EQ(alice.plan.written, 2);
  clock.Advance(1);
  alice.session.OnReceive(bobId, mp::EncodeBare(mp::dp8::kPlanRequest));
  EXPECT_EQ(alice.plan.written, 3);
}

TEST_F(Dp8SessionTest, AnObserversPublicPlanCountsButTheObserverIsNeverListed) {
  StartHost({});
  Module alice("Alice", config);
  ASSERT_TRUE(alice.Join());

  // A peer of the host simulator that only watches, with its plan public.
  dplay::Peer watcher(config);
  std::mutex found;
  std::optional<dplay::EnumHostsResponse> session;
  std::atomic<bool> joined{false};
  ASSERT_EQ(watcher.Initialize([&](dplay::Message& m) {
    if (auto* r = std::get_if<dplay::EnumHostsResponse>(&m)) {
      std::lock_guard lock(found);
      session = *r;
    } else if (auto* c = std::get_if<dplay::ConnectComplete>(&m)) {
      joined = c->result == dplay::Result::Ok;
    }
    return dplay::Result::Ok;
  }),
            dplay::Result::Ok);
  watcher.SetPeerInfo({u"*Watcher", mp::EncodePeerBlock(mp::kPeerObserver | mp::kPeerPublicPlan, ""), 0},
                      dplay::kInfoName | dplay::kInfoData);
  dplay::ApplicationDesc filter;
  filter.application = ToTransport(mp::kDp8Application);
  dplay::Handle search = 0;
  watcher.EnumHosts(filter, {"127.0.0.1", 0, false}, {}, {}, 0, &search);
  ASSERT_TRUE(WaitUntil([&] {
    std::lock_guard lock(found);
    return session.has_value();
  }));
  watcher.CancelAsyncOperation(search);
  dplay::ApplicationDesc target;
  dplay::Address at;
  {
    std::lock_guard lock(found);
    target.instance = session->description.instance;
    target.application = session->description.application;
    at = session->sender;
  }
  dplay::Handle connect = 0;
  watcher.Connect(target, at, {}, mp::EncodeConnectData(true, "*Watcher"), &connect);
  ASSERT_TRUE(WaitUntil([&] { return joined.load(); }));

  ASSERT_TRUE(WaitUntil([&] { return alice.session.AnyRemotePlanPublic(); }));
  EXPECT_EQ(alice.IdOf("*Watcher"), 0u);
  EXPECT_TRUE(alice.Players(true).empty());
  EXPECT_FALSE(alice.session.IsPlanPublic());
  watcher.Close();
}

// The races below matter under ThreadSanitizer; elsewhere they check that nothing deadlocks.

TEST_F(Dp8SessionTest, HostRemovesPlayersWhileTheirDestructionIsHandled) {
  StartHost({90, 0, "", 12, 2});
  Module alice("Alice", config);
  ASSERT_TRUE(alice.Join());
  std::vector<std::unique_ptr<Module>> others;
  for (const char* name : {"Bob", "Carol", "Dave", "Erin"}) {
    others.push_back(std::make_unique<Module>(name, config));
    ASSERT_TRUE(others.back()->Join()) << name;
  }
  MigrateTo(alice);
  // Alice's plan goes public after the migration: a member who sees it has come back to her.
  alice.session.PublishPlayerData(true);
  for (auto& m : others) ASSERT_TRUE(WaitUntil([&] { return m->session.AnyRemotePlanPublic(); }));
  ASSERT_EQ(alice.Players().size(), 5u);

  std::atomic<bool> done{false};
  std::thread reader([&] {
    std::vector<MpPlayerEntry> list;
    while (!done) {
      alice.session.ListPublicPlanPlayers(list, false);
      (void)alice.session.AnyRemotePlanPublic();
      (void)alice.session.IsPlanPublic();
    }
  });
  alice.ui.remove = {"*Bob", "*Carol", "*Dave", "*Erin"};
  alice.session.HostSettings();
  const bool gone = WaitUntil([&] { return alice.Players().size() == 1; });
  done = true;
  reader.join();
  ASSERT_TRUE(gone);
  for (auto& m : others) {
    EXPECT_TRUE(WaitUntil([&] {
      m->session.OnTick();
      return !m->session.IsConnected();
    }));
    EXPECT_EQ(m->ui.shown, std::vector<std::string>{ui::LoadString(mpstr::kRemovedByHost)}) << m->session.ConnectDialog().Name();
  }
}

TEST_F(Dp8SessionTest, SearchesRestartAndCancelWhileAnswersArrive) {
  StartHost({});
  ScriptedUi ui("Alice");
  FixedPlan plan("");
  dplay::Config fast = config;
  fast.enumIntervalMs = 5;
  auto peer = std::make_unique<dplay::Peer>(fast);
  Dp8Connect dialog(win::SystemClock());
  ASSERT_EQ(peer->Initialize([&](dplay::Message& m) {
    if (auto* done = std::get_if<dplay::AsyncOpComplete>(&m)) dialog.OnSearchComplete(*done);
    if (auto* found = std::get_if<dplay::EnumHostsResponse>(&m)) dialog.OnHostResponse(*found);
    return dplay::Result::Ok;
  }),
            dplay::Result::Ok);
  dialog.Attach(peer.get());
  dialog.Init({false, 23432, "127.0.0.1", "Alice"});
  ASSERT_TRUE(WaitUntil([&] {
    dialog.OnTimer();
    return !dialog.Lines().empty();
  }));
  for (int i = 0; i < 200; ++i) {
    if (i % 3 == 0) dialog.SetAddress("127.0.0.1");
    else dialog.Search();
    dialog.OnTimer();
    (void)dialog.CanJoin();
  }
  dialog.Cancel();
  EXPECT_TRUE(WaitUntil([&] { return dialog.RunningSearches() == 0; }));
  peer->Close();
}

TEST_F(Dp8SessionTest, SessionEndsWhilePlanRequestsArrive) {
  StartHost({});
  // Time moves on with every request, so each is answered.
  win::FakeClock clock{5000};
  auto alice = std::make_unique<Module>("Alice", config, clock);
  ASSERT_TRUE(alice->Join());
  Module bob("Bob", config);
  ASSERT_TRUE(bob.Join());
  alice->session.PublishPlayerData(true);
  ASSERT_TRUE(WaitUntil([&] { return bob.session.AnyRemotePlanPublic(); }));

  std::atomic<bool> done{false};
  std::thread asker([&] {
    archive::MemoryFile file;
    while (!done) {
      clock.Advance(PlanRequestPace::kIntervalMs);
      bob.session.OpenFromRemote();
      bob.session.LoadReceivedPlan(file);
    }
  });
  ASSERT_TRUE(WaitUntil([&] { return alice->plan.written > 20; }));
  alice.reset();
  const bool left = WaitUntil([&] { return bob.IdOf("*Alice") == 0; });
  done = true;
  asker.join();
  EXPECT_TRUE(left);
  EXPECT_TRUE(bob.session.IsConnected());
}

}  // namespace
