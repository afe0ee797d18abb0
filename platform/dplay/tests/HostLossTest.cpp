// Losing the host: a host process frozen past the link time-out or killed outright, a host that
// closes with a lone member, and a session that does not migrate.
#include <gtest/gtest.h>

#include <thread>

#include "platform/dplay/tests/support/HostProcess.h"
#include "platform/dplay/tests/support/PeerFixture.h"

namespace {

using namespace dplay;
using namespace dplaytest;

// Index of the first message of type T, or the message count.
template <typename T>
size_t IndexOf(const std::vector<Message>& messages, std::function<bool(const T&)> match = nullptr) {
  for (size_t i = 0; i < messages.size(); ++i)
    if (auto* t = std::get_if<T>(&messages[i]); t && (!match || match(*t))) return i;
  return messages.size();
}

struct Migration {
  PlayerId oldHost = 0;
  PlayerId a = 0;
  PlayerId b = 0;
};

// Two members join a host in another process; the host is then lost in the given way. The
// oldest member, a, must take over: both see the host destroyed and then a as new host; a
// answers searches and admits a newcomer whom b then hears.
void ExpectMigrationAfter(void (HostProcess::*lose)(), const char* mode) {
  HostProcess process(DPLAY_TEST_HOST, mode);
  ASSERT_NE(process.Port(), 0);
  TestPeer a(u"a"), b(u"b");
  Migration m;
  m.a = Join(a, process.Port()).localPlayer;
  m.b = Join(b, process.Port()).localPlayer;
  ASSERT_NE(m.a, 0u);
  ASSERT_NE(m.b, 0u);
  std::vector<PlayerId> ids;
  a.peer.EnumPlayersAndGroups(ids, kEnumPlayers);
  for (PlayerId id : ids) {
    PlayerInfo info;
    if (a.peer.GetPeerInfo(id, info) == Result::Ok && (info.flags & kPlayerHost)) m.oldHost = id;
  }
  ASSERT_NE(m.oldHost, 0u);
  // a must know b before the host goes, or b has nobody to come back to.
  ASSERT_TRUE(a.rec.WaitFor<CreatePlayer>([&](auto& p) { return p.player == m.b; }));

  (process.*lose)();
  const auto limit = std::chrono::milliseconds(3 * Config::ForTests().linkTimeoutMs + 2000);
  for (TestPeer* peer : {&a, &b}) {
    auto migrate = peer->rec.WaitFor<HostMigrate>(nullptr, limit);
    ASSERT_TRUE(migrate);
    EXPECT_EQ(migrate->newHost, m.a);
    auto messages = peer->rec.Messages();
    const size_t destroyedAt = IndexOf<DestroyPlayer>(messages, [&](auto& d) { return d.player == m.oldHost; });
    ASSERT_LT(destroyedAt, messages.size());
    EXPECT_EQ(std::get<DestroyPlayer>(messages[destroyedAt]).reason, DestroyReason::ConnectionLost);
    EXPECT_LT(destroyedAt, IndexOf<HostMigrate>(messages));
    EXPECT_EQ(peer->rec.Count<TerminateSession>(), 0);
  }
  PlayerInfo info;
  ASSERT_EQ(a.peer.GetPeerInfo(m.a, info), Result::Ok);
  EXPECT_EQ(info.flags, kPlayerLocal | kPlayerHost);

  // The new host answers searches at its own port and admits a newcomer.
  const uint16_t newPort = a.ListenPort();
  TestPeer searcher(u"searcher");
  Handle search = 0;
  ASSERT_EQ(searcher.peer.EnumHosts(Desc(), Address{"127.0.0.1", newPort}, Address{}, {}, 0, &search),
            Result::Pending);
  auto found = searcher.rec.WaitFor<EnumHostsResponse>();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->description.sessionName, u"frozen");
  TestPeer c(u"c");
  auto joined = Join(c, newPort);
  ASSERT_EQ(joined.result, Result::Ok);
  // b came back to a: it hears the newcomer and the newcomer hears it.
  EXPECT_TRUE(b.rec.WaitFor<CreatePlayer>([&](auto& p) { return p.player == joined.localPlayer; }));
  ASSERT_EQ(c.peer.SendTo(m.b, {1, 2}), Result::Ok);
  EXPECT_TRUE(b.rec.WaitFor<Receive>([&](auto& r) { return r.sender == joined.localPlayer; }));
  EXPECT_EQ(b.rec.Count<DestroyPlayer>(), 1) << "only the old host is gone";
  EXPECT_GT(joined.localPlayer, m.b) << "ids are never handed out twice";
}

TEST(HostLoss, FrozenHostIsDroppedAfterTheLinkTimeOutAndTheOldestMemberTakesOver) {
  ExpectMigrationAfter(&HostProcess::Freeze, "peer");
}

TEST(HostLoss, KilledHostSocketsAndTheOldestMemberTakesOver) {
  ExpectMigrationAfter(&HostProcess::Kill, "peer");
}

TEST(HostLoss, LoneMemberBecomesHostOfItsOwnSession) {
  TestPeer host(u"host"), a(u"a");
  const uint16_t port = StartHost(host);
  const PlayerId hostId = host.Self();
  const PlayerId aId = Join(a, port).localPlayer;
  ASSERT_EQ(host.peer.Close(), Result::Ok);
  auto migrate = a.rec.WaitFor<HostMigrate>();
  ASSERT_TRUE(migrate);
  EXPECT_EQ(migrate->newHost, aId);
  EXPECT_TRUE(a.rec.WaitFor<DestroyPlayer>([&](auto& d) { return d.player == hostId; }));
  std::vector<PlayerId> ids;
  a.peer.EnumPlayersAndGroups(ids, kEnumPlayers);
  EXPECT_EQ(ids, std::vector<PlayerId>{aId});
  ApplicationDesc desc;
  ASSERT_EQ(a.peer.GetApplicationDesc(desc), Result::Ok);
  desc.maxPlayers = 3;
  EXPECT_EQ(a.peer.SetApplicationDesc(desc), Result::Ok) << "it hosts now";
}

TEST(HostLoss, SessionWithoutMigrationEndsAsConnectionLost) {
  TestPeer host(u"host"), a(u"a");
  const uint16_t port = StartHost(host, Desc(u"", 0, false));
  ASSERT_EQ(Join(a, port).result, Result::Ok);
  ASSERT_EQ(host.peer.Close(), Result::Ok);
  auto terminated = a.rec.WaitFor<TerminateSession>();
  ASSERT_TRUE(terminated);
  EXPECT_EQ(terminated->reason, Result::ConnectionLost);
  ASSERT_TRUE(a.rec.WaitForCount<DestroyPlayer>(2));
  auto messages = a.rec.Messages();
  EXPECT_LT(IndexOf<TerminateSession>(messages), IndexOf<DestroyPlayer>(messages));
  EXPECT_EQ(a.rec.Count<HostMigrate>(), 0);
  EXPECT_EQ(a.peer.SendTo(kAllPlayers, {1}), Result::InvalidCall);
}

}  // namespace
