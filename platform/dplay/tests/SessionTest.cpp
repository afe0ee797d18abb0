// The older interface end to end on loopback: the background search, opening with its results,
// players and groups by name, the queue with its system messages, and host loss.
#include "platform/dplay/Session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/dplay/tests/support/HostProcess.h"
#include "platform/dplay/tests/support/TestApp.h"
#include "platform/win/Sync.h"

namespace {

using namespace dplay;
using namespace dplaytest;
using namespace std::chrono_literals;

struct Queued {
  PlayerId from = 0;
  PlayerId to = 0;
  std::vector<uint8_t> data;
  std::optional<SystemMessage> system() const {
    return from == kSystemPlayer ? ReadSystemMessage(data) : std::nullopt;
  }
};

struct TestSession {
  Session session;
  win::AutoResetEvent event;
  std::vector<Queued> log;
  PlayerId own = 0;

  explicit TestSession(Config config = Config::ForTests()) : session(std::move(config)) {}

  void Pump() {
    Queued q;
    while (session.Receive(q.from, q.to, q.data) == Result::Ok) log.push_back(q);
  }
  // Waits on the player's event until a queued message matches.
  std::optional<Queued> WaitFor(std::function<bool(const Queued&)> match,
                                std::chrono::milliseconds timeout = 10000ms) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      Pump();
      for (const auto& q : log)
        if (match(q)) return q;
      if (std::chrono::steady_clock::now() >= end) return std::nullopt;
      event.Wait(20);
    }
  }
  std::optional<Queued> WaitForSystem(uint32_t type, PlayerId id = 0, std::chrono::milliseconds timeout = 10000ms) {
    return WaitFor([&](const Queued& q) {
      auto m = q.system();
      return m && m->type == type && (id == 0 || m->id == id);
    }, timeout);
  }
  // Searches `address` until the session of `instance` (any when null) shows.
  std::optional<SessionDesc> Find(const Address& address, const Guid& instance = {}) {
    EXPECT_EQ(session.InitializeConnection(kServiceProviderTcpIp, address), Result::Ok);
    const auto end = std::chrono::steady_clock::now() + 3s;
    std::vector<SessionDesc> sessions;
    while (std::chrono::steady_clock::now() < end) {
      if (session.EnumSessions(kTestApp, sessions) != Result::Ok) return std::nullopt;
      for (const auto& s : sessions)
        if (instance.IsNull() || s.instance == instance) return s;
      std::this_thread::sleep_for(20ms);
    }
    return std::nullopt;
  }
  Result Join(uint16_t port, const std::string& name, const std::string& password = "") {
    auto found = Find(Address{"127.0.0.1", port});
    if (!found) return Result::NoSessions;
    found->password = password;
    Result r = session.Open(*found, OpenMode::Join);
    if (r != Result::Ok) return r;
    return session.CreatePlayer(&own, name, &event);
  }
};

SessionDesc HostDesc(const std::string& password = "", uint32_t maxPlayers = 0) {
  SessionDesc desc;
  desc.flags = kSessionDescMigrateHost;
  desc.application = kTestApp;
  desc.sessionName = "Sunday[]";
  desc.password = password;
  desc.maxPlayers = maxPlayers;
  desc.user1 = 0x10020100;  // 16 pilots, 2 observers, 1 pilot admitted
  return desc;
}

struct HostedSession : TestSession {
  PlayerId refuse = 0, request = 0;
  uint16_t port = 0;
  explicit HostedSession(const SessionDesc& desc = HostDesc()) {
    EXPECT_EQ(session.Open(desc, OpenMode::Create), Result::Ok);
    EXPECT_EQ(session.CreateGroup(&refuse, "FS61_REFUSE_PARAMS"), Result::Ok);
    EXPECT_EQ(session.CreateGroup(&request, "FS61_REQUEST_PARAMS"), Result::Ok);
    EXPECT_EQ(session.CreatePlayer(&own, "*host", &event), Result::Ok);
    port = session.GetLocalHostAddresses().at(0).port;
  }
};

TEST(SessionSearch, ListsTheHostsSessionWithItsCountsAndLock) {
  HostedSession host(HostDesc("pw", 18));
  TestSession searcher;
  auto found = searcher.Find(Address{"127.0.0.1", host.port});
  ASSERT_TRUE(found);
  EXPECT_EQ(found->sessionName, "Sunday[]");
  EXPECT_TRUE(found->flags & kSessionDescPasswordRequired);
  EXPECT_TRUE(found->password.empty());
  EXPECT_EQ(found->user1, 0x10020100u);
  EXPECT_EQ(found->maxPlayers, 18u);
  EXPECT_EQ(found->currentPlayers, 1u);
  SessionDesc own;
  ASSERT_EQ(host.session.GetSessionDesc(own), Result::Ok);
  EXPECT_EQ(found->instance, own.instance);

  // The host's changes reach searchers.
  own.user1 = 0x0C040200;
  own.password = "pw";
  ASSERT_EQ(host.session.SetSessionDesc(own), Result::Ok);
  std::vector<SessionDesc> sessions;
  const auto end = std::chrono::steady_clock::now() + 3s;
  while (std::chrono::steady_clock::now() < end) {
    searcher.session.EnumSessions(kTestApp, sessions);
    if (!sessions.empty() && sessions[0].user1 == 0x0C040200u) break;
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_EQ(sessions.size(), 1u);
  EXPECT_EQ(sessions[0].user1, 0x0C040200u);

  // A stopped search starts again on the next call; on the local network too.
  searcher.session.StopEnumSessions();
  Config lan = Config::ForTests();
  lan.port = host.port;
  lan.lanTargets = {"127.0.0.1"};
  TestSession onLan(lan);
  EXPECT_TRUE(onLan.Find(Address{}));
  EXPECT_TRUE(searcher.Find(Address{"127.0.0.1", host.port}));
}

TEST(SessionSearch, AnUnknownHostNameFailsTheSearch) {
  TestSession searcher;
  ASSERT_EQ(searcher.session.InitializeConnection(kServiceProviderTcpIp, Address{"no-such-host.invalid", 1}),
            Result::Ok);
  std::vector<SessionDesc> sessions;
  Result r = Result::Ok;
  // The resolver's own time-outs decide when a slow name server gives up.
  const auto end = std::chrono::steady_clock::now() + 40s;
  while (r == Result::Ok && std::chrono::steady_clock::now() < end) {
    r = searcher.session.EnumSessions(kTestApp, sessions);
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_EQ(r, Result::InvalidHostAddress);
  EXPECT_EQ(searcher.session.InitializeConnection(Guid::Random(), Address{}), Result::InvalidParam);
}

TEST(SessionOpen, RefusalsAndSilence) {
  HostedSession host(HostDesc("pw", 2));
  TestSession wrong;
  EXPECT_EQ(wrong.Join(host.port, "*wrong", "PW"), Result::InvalidPassword);
  TestSession unknown;
  ASSERT_TRUE(unknown.Find(Address{"127.0.0.1", host.port}));
  SessionDesc never;
  never.instance = Guid::Random();
  EXPECT_EQ(unknown.session.Open(never, OpenMode::Join), Result::NoSessions);
  TestSession second;
  EXPECT_EQ(second.Join(host.port, "*second", "pw"), Result::Ok);
  TestSession third;
  EXPECT_EQ(third.Join(host.port, "*third", "pw"), Result::SessionFull);

  // A host that was found and then froze.
  HostProcess frozen(DPLAY_TEST_HOST, "session");
  TestSession late;
  auto found = late.Find(Address{"127.0.0.1", frozen.Port()});
  ASSERT_TRUE(found);
  frozen.Freeze();
  EXPECT_EQ(late.session.Open(*found, OpenMode::Join), Result::NoResponse);
}

TEST(SessionOpen, ThePasswordHoldsAfterTheHostWritesItsCountsBack) {
  HostedSession host(HostDesc("pw"));
  SessionDesc desc;
  ASSERT_EQ(host.session.GetSessionDesc(desc), Result::Ok);
  EXPECT_TRUE(desc.password.empty());
  desc.user1 += 1 << 16;  // one more pilot admitted
  ASSERT_EQ(host.session.SetSessionDesc(desc), Result::Ok);

  TestSession without;
  EXPECT_EQ(without.Join(host.port, "*without"), Result::InvalidPassword);
  TestSession with;
  ASSERT_EQ(with.Join(host.port, "*with", "pw"), Result::Ok);
  EXPECT_EQ(with.session.Send(with.own, kAllPlayersButSender, 0, {1}), Result::Ok) << "as soon as its player is made";
  EXPECT_EQ(with.session.HostPlayer(), host.own);
  ASSERT_EQ(with.session.GetSessionDesc(desc), Result::Ok);
  EXPECT_EQ(desc.user1, HostDesc().user1 + (1 << 16));
  EXPECT_TRUE(desc.flags & kSessionDescPasswordRequired);
}

TEST(SessionPlayers, GroupsBeforeThePlayerThenMessagesBothWays) {
  HostedSession host;
  TestSession member;
  auto found = member.Find(Address{"127.0.0.1", host.port});
  ASSERT_TRUE(found);
  ASSERT_EQ(member.session.Open(*found, OpenMode::Join), Result::Ok);
  // The groups are known before the own player exists, in creation order.
  std::vector<NamedId> groups;
  ASSERT_EQ(member.session.EnumGroups(groups), Result::Ok);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].shortName, "FS61_REFUSE_PARAMS");
  EXPECT_EQ(groups[1].shortName, "FS61_REQUEST_PARAMS");
  EXPECT_EQ(groups[0].id, host.refuse);
  ASSERT_EQ(member.session.CreatePlayer(&member.own, "*pilot", &member.event), Result::Ok);
  EXPECT_EQ(member.session.CreatePlayer(&member.own, "*again", &member.event), Result::InvalidCall);
  ASSERT_EQ(member.session.AddPlayerToGroup(host.refuse, member.own), Result::NotHost);
  ASSERT_EQ(host.session.AddPlayerToGroup(host.refuse, member.own), Result::Ok);

  auto created = host.WaitForSystem(kSysCreatePlayerOrGroup, member.own);
  ASSERT_TRUE(created);
  EXPECT_EQ(created->system()->shortName, "*pilot");
  EXPECT_EQ(created->system()->playerType, kPlayerTypePlayer);
  std::vector<NamedId> players;
  ASSERT_EQ(member.session.EnumPlayers(players), Result::Ok);
  ASSERT_EQ(players.size(), 2u);
  EXPECT_EQ(players[0].shortName, "*host");
  EXPECT_EQ(players[1].id, member.own);

  // To one, and to all but the sender.
  ASSERT_EQ(member.session.Send(member.own, host.own, kSendGuaranteed, {0x01, 0x10, 0, 0, 0, 0, 0, 0}), Result::Ok);
  auto request = host.WaitFor([&](const Queued& q) { return q.from == member.own; });
  ASSERT_TRUE(request);
  EXPECT_EQ(request->to, host.own);
  EXPECT_EQ(request->data.size(), 8u);
  ASSERT_EQ(host.session.Send(host.own, kAllPlayersButSender, 0, {3}), Result::Ok);
  auto broadcast = member.WaitFor([&](const Queued& q) { return q.from == host.own; });
  ASSERT_TRUE(broadcast);
  EXPECT_EQ(broadcast->to, member.own);
  std::this_thread::sleep_for(50ms);
  host.Pump();
  for (const auto& q : host.log) EXPECT_NE(q.from, host.own) << "the sender does not hear itself";
  EXPECT_EQ(member.session.Send(member.own, 987654, 0, {1}), Result::InvalidPlayer);
  EXPECT_EQ(member.session.Send(host.own, member.own, 0, {1}), Result::InvalidPlayer)
      << "only the own player sends";

  // The host's description reaches the members, with the players counted.
  SessionDesc desc;
  ASSERT_EQ(host.session.GetSessionDesc(desc), Result::Ok);
  desc.user1 = 0x10000200;
  ASSERT_EQ(host.session.SetSessionDesc(desc), Result::Ok);
  EXPECT_EQ(member.session.SetSessionDesc(desc), Result::NotHost);
  SessionDesc seen;
  for (int i = 0; i < 300 && seen.user1 != desc.user1; ++i) {
    ASSERT_EQ(member.session.GetSessionDesc(seen), Result::Ok);
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(seen.user1, 0x10000200u);
  EXPECT_EQ(seen.currentPlayers, 2u);

  // Leaving, and being removed.
  TestSession other;
  ASSERT_EQ(other.Join(host.port, "*other"), Result::Ok);
  ASSERT_TRUE(member.WaitForSystem(kSysCreatePlayerOrGroup, other.own));
  ASSERT_EQ(other.session.Close(), Result::Ok);
  EXPECT_TRUE(host.WaitForSystem(kSysDestroyPlayerOrGroup, other.own));
  EXPECT_TRUE(member.WaitForSystem(kSysDestroyPlayerOrGroup, other.own));
  ASSERT_EQ(host.session.DestroyPlayer(member.own), Result::Ok);
  EXPECT_TRUE(member.WaitForSystem(kSysDestroyPlayerOrGroup, member.own));
  EXPECT_EQ(member.session.Send(member.own, host.own, 0, {1}), Result::ConnectionLost);
}

TEST(SessionHostLoss, TheOldestPlayerIsToldItHostsAndTheOthersComeBack) {
  HostProcess process(DPLAY_TEST_HOST, "session");
  ASSERT_NE(process.Port(), 0);
  TestSession a, b;
  ASSERT_EQ(a.Join(process.Port(), "*a"), Result::Ok);
  ASSERT_EQ(b.Join(process.Port(), "*b"), Result::Ok);
  std::vector<NamedId> players;
  for (int i = 0; i < 300 && players.size() < 3; ++i) {
    a.session.EnumPlayers(players);
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_EQ(players.size(), 3u);
  const PlayerId oldHost = players[0].id;

  process.Freeze();
  const auto limit = std::chrono::milliseconds(3 * Config::ForTests().linkTimeoutMs + 2000);
  ASSERT_TRUE(a.WaitForSystem(kSysHost, 0, limit));
  EXPECT_TRUE(a.WaitForSystem(kSysDestroyPlayerOrGroup, oldHost));
  ASSERT_TRUE(b.WaitForSystem(kSysDestroyPlayerOrGroup, oldHost, limit));
  std::this_thread::sleep_for(100ms);
  b.Pump();
  for (const auto& q : b.log)
    if (auto m = q.system()) {
      EXPECT_NE(m->type, kSysHost) << "only the new host is told";
    }

  // a hosts: it is found, it admits, and b hears the newcomer.
  TestSession c;
  ASSERT_EQ(c.Join(a.session.GetLocalHostAddresses().at(0).port, "*c"), Result::Ok);
  EXPECT_TRUE(b.WaitForSystem(kSysCreatePlayerOrGroup, c.own));
  ASSERT_EQ(b.session.Send(b.own, kAllPlayersButSender, 0, {9}), Result::Ok);
  EXPECT_TRUE(c.WaitFor([&](const Queued& q) { return q.from == b.own; }));
  EXPECT_TRUE(a.WaitFor([&](const Queued& q) { return q.from == b.own; }));
}

TEST(SessionHostLoss, WithoutMigrationTheSessionIsLost) {
  SessionDesc desc = HostDesc();
  desc.flags = 0;
  auto host = std::make_unique<HostedSession>(desc);
  TestSession member;
  ASSERT_EQ(member.Join(host->port, "*m"), Result::Ok);
  host.reset();
  EXPECT_TRUE(member.WaitForSystem(kSysSessionLost));
  EXPECT_EQ(member.session.Send(member.own, kAllPlayersButSender, 0, {1}), Result::ConnectionLost);
}

}  // namespace
