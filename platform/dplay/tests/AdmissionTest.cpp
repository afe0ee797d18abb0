// Who gets into a session, against hand-made frames on loopback: every Hello shows the password
// and nobody is told it, players are made only through the application's admission, a member
// coming back after a migration proves which player it is, and a migration goes on past a
// member that went down with the host.
#include <gtest/gtest.h>

#include <asio.hpp>
#include <thread>

#include "platform/dplay/Engine.h"
#include "platform/dplay/tests/support/PeerFixture.h"
#include "platform/dplay/tests/support/RawClient.h"

namespace {

using namespace dplay;
using namespace dplaytest;
using wire::FrameKind;

TEST(Admission, EveryHelloShowsThePasswordAndNoneIsToldIt) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host, Desc(u"pw"));
  const PlayerId hostId = host.Self();
  const std::string password = WireText(u"pw");

  struct Row {
    const char* name;
    std::function<void(wire::Hello&)> change;
    Result expected;
  };
  const Row rows[] = {
      {"a member back after a migration, as nobody",
       [](wire::Hello& h) {
         h.flags = wire::kHelloRejoin;
         h.rejoinAs = 0;
       },
       Result::InvalidPassword},
      {"a member back after a migration, as the host's player",
       [&](wire::Hello& h) {
         h.flags = wire::kHelloRejoin;
         h.rejoinAs = hostId;
       },
       Result::InvalidPassword},
      {"a joiner without a player", [](wire::Hello& h) { h.flags = wire::kHelloNoPlayer; }, Result::InvalidPassword},
      {"a joiner with the password in other case", [&](wire::Hello& h) { h.password = WireText(u"PW"); },
       Result::InvalidPassword},
      {"the password, back as a player that never left",
       [&](wire::Hello& h) {
         h.password = password;
         h.flags = wire::kHelloRejoin;
         h.rejoinAs = hostId;
         h.secret.assign(wire::kSecretBytes, 0);
       },
       Result::ConnectionLost},
      {"the password and a name longer than any player's",
       [&](wire::Hello& h) {
         h.password = password;
         h.name.assign(wire::kMaxNameBytes + 1, 'n');
       },
       Result::InvalidParam},
      {"the password and more player data than a player may have",
       [&](wire::Hello& h) {
         h.password = password;
         h.data.assign(wire::kMaxPlayerDataBytes + 1, 1);
       },
       Result::InvalidParam},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RawClient client(port);
    wire::Hello hello = RawClient::MakeHello("intruder");
    row.change(hello);
    ASSERT_TRUE(client.Hello(hello));
    EXPECT_EQ(client.ReadAnswer().refused, row.expected);
  }
  EXPECT_EQ(host.rec.Count<CreatePlayer>([](auto& c) { return !c.local; }), 0) << "nobody got in";

  // With the password, a follower is let in: the session it is shown says a password is needed,
  // not which.
  RawClient follower(port);
  wire::Hello hello = RawClient::MakeHello("follower");
  hello.flags = wire::kHelloNoPlayer;
  hello.password = password;
  ASSERT_TRUE(follower.Hello(hello));
  const auto answer = follower.ReadAnswer();
  ASSERT_TRUE(answer.welcome);
  EXPECT_TRUE(answer.welcome->description.password.empty());
  EXPECT_TRUE(answer.welcome->description.flags & kEnginePasswordRequired);
  EXPECT_TRUE(answer.welcome->secret.empty()) << "a follower has no player to prove";

  // Nor is a member that joins through the interface; it still knows the session wants one.
  TestPeer member(u"member");
  ASSERT_EQ(Join(member, port, Desc(u"pw")).result, Result::Ok);
  ApplicationDesc seen;
  ASSERT_EQ(member.peer.GetApplicationDesc(seen), Result::Ok);
  EXPECT_TRUE(seen.flags & kSessionRequirePassword);
  EXPECT_TRUE(seen.password.empty());
}

TEST(Admission, ADescriptionWrittenBackKeepsThePassword) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host, Desc(u"pw"));
  ApplicationDesc desc;
  ASSERT_EQ(host.peer.GetApplicationDesc(desc), Result::Ok);
  ASSERT_TRUE(desc.password.empty());
  desc.maxPlayers = 5;
  ASSERT_EQ(host.peer.SetApplicationDesc(desc), Result::Ok);

  TestPeer without(u"without");
  EXPECT_EQ(Join(without, port, Desc()).result, Result::InvalidPassword);
  TestPeer with(u"with");
  EXPECT_EQ(Join(with, port, Desc(u"pw")).result, Result::Ok);

  // Written without the flag, the password goes.
  desc.flags &= ~kSessionRequirePassword;
  ASSERT_EQ(host.peer.SetApplicationDesc(desc), Result::Ok);
  TestPeer later(u"later");
  EXPECT_EQ(Join(later, port, Desc()).result, Result::Ok);
}

TEST(Admission, APlayerIsMadeOnlyThroughTheApplicationsAnswer) {
  TestPeer host(u"host");
  std::atomic<int> asked{0};
  host.rec.admit = [&](IndicateConnect& indicate) {
    ++asked;
    return indicate.connectData == std::vector<uint8_t>{0xFF} ? Result::HostRejectedConnection : Result::Ok;
  };
  const uint16_t port = StartHost(host, Desc(u"", 2));

  // Followers get in without a player; the player they ask for is the application's to grant.
  auto follow = [&](RawClient& client, std::vector<uint8_t> connectData) {
    wire::Hello hello = RawClient::MakeHello("follower");
    hello.flags = wire::kHelloNoPlayer;
    hello.connectData = std::move(connectData);
    ASSERT_TRUE(client.Hello(hello));
    ASSERT_TRUE(client.ReadAnswer().welcome);
  };
  auto create = [](RawClient& client, const std::string& name) {
    client.Send(FrameKind::CreatePlayer, wire::Encode(wire::PlayerInfo{0, 3, name, {}}));
    return client.ReadFrame({FrameKind::PlayerCreated, FrameKind::Refuse});
  };
  RawClient refused(port), granted(port), late(port);
  follow(refused, {0xFF});
  follow(granted, {});
  follow(late, {});

  auto answer = create(refused, "host");
  ASSERT_TRUE(answer);
  ASSERT_EQ(answer->kind, static_cast<uint16_t>(FrameKind::Refuse));
  EXPECT_EQ(wire::DecodeRefuse(answer->payload)->result, Result::HostRejectedConnection);
  EXPECT_EQ(asked, 1);

  answer = create(granted, "granted");
  ASSERT_TRUE(answer);
  ASSERT_EQ(answer->kind, static_cast<uint16_t>(FrameKind::PlayerCreated));
  const auto own = wire::DecodeOwnPlayer(answer->payload);
  ASSERT_TRUE(own);
  EXPECT_EQ(own->secret.size(), wire::kSecretBytes);
  EXPECT_EQ(own->record.name, "granted");
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(host.rec.WaitFor<CreatePlayer>([&](auto& c) { return c.player == own->record.id; }));

  // The session holds two players now: the third is refused before the application is asked.
  answer = create(late, "late");
  ASSERT_TRUE(answer);
  ASSERT_EQ(answer->kind, static_cast<uint16_t>(FrameKind::Refuse));
  EXPECT_EQ(wire::DecodeRefuse(answer->payload)->result, Result::SessionFull);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(host.rec.Count<CreatePlayer>([](auto& c) { return !c.local; }), 1);
}

// The players of a session as `peer` lists them.
std::vector<PlayerId> PlayersOf(TestPeer& peer) {
  std::vector<PlayerId> ids;
  peer.peer.EnumPlayersAndGroups(ids, kEnumPlayers);
  return ids;
}

TEST(Migration, AMemberComingBackMustProveItsPlayer) {
  TestPeer host(u"host"), a(u"a"), b(u"b");
  const uint16_t port = StartHost(host);
  const PlayerId aId = Join(a, port).localPlayer;
  const PlayerId bId = Join(b, port).localPlayer;
  ASSERT_TRUE(a.rec.WaitFor<CreatePlayer>([&](auto& c) { return c.player == bId; }));

  // A member of the session learns every player's digest...
  RawClient insider(port);
  ASSERT_TRUE(insider.Hello("insider"));
  const auto welcome = insider.ReadAnswer().welcome;
  ASSERT_TRUE(welcome);
  std::vector<uint8_t> bDigest;
  for (const auto& record : welcome->players)
    if (record.id == bId) bDigest = record.secretDigest;
  ASSERT_EQ(bDigest.size(), 32u);
  // ...and waits at the oldest member to be b once the host is gone, with b's digest for proof.
  RawClient impostor(a.ListenPort());
  wire::Hello claim = RawClient::MakeHello("b");
  claim.flags = wire::kHelloRejoin;
  claim.rejoinAs = bId;
  claim.instance = welcome->description.instance;
  claim.secret = bDigest;
  claim.secret.resize(wire::kSecretBytes);
  ASSERT_TRUE(impostor.Hello(claim));
  // Parked: a still has its host.
  EXPECT_EQ(impostor.ReadAnswer(std::chrono::milliseconds(200)).refused, Result::NoResponse);

  ASSERT_EQ(host.peer.Close(), Result::Ok);
  EXPECT_EQ(impostor.ReadAnswer().refused, Result::ConnectionLost);
  // The real b comes back and stays.
  auto migrated = b.rec.WaitFor<HostMigrate>();
  ASSERT_TRUE(migrated);
  EXPECT_EQ(migrated->newHost, aId);
  ASSERT_EQ(b.peer.SendTo(aId, {4, 2}), Result::Ok);
  EXPECT_TRUE(a.rec.WaitFor<Receive>([&](auto& r) { return r.sender == bId; }));
  EXPECT_EQ(b.rec.Count<TerminateSession>(), 0);
  const auto ids = PlayersOf(a);
  EXPECT_NE(std::find(ids.begin(), ids.end(), bId), ids.end());
}

TEST(Migration, TheNextMemberTakesOverWhenTheOldestWentDownWithTheHost) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host, Desc(u"pw"));
  // The oldest member would take over where nobody listens: it is gone along with the host.
  asio::io_context io;
  asio::ip::tcp::socket nowhere(io, asio::ip::tcp::v4());
  nowhere.bind(asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0));
  RawClient oldest(port);
  wire::Hello hello = RawClient::MakeHello("oldest");
  hello.password = WireText(u"pw");
  hello.listenPort = nowhere.local_endpoint().port();
  ASSERT_TRUE(oldest.Hello(hello));
  ASSERT_TRUE(oldest.ReadAnswer().welcome);
  oldest.StartHeartbeats();

  TestPeer a(u"a"), b(u"b");
  const PlayerId aId = Join(a, port, Desc(u"pw")).localPlayer;
  const PlayerId bId = Join(b, port, Desc(u"pw")).localPlayer;
  ASSERT_NE(bId, 0u);
  ASSERT_TRUE(a.rec.WaitFor<CreatePlayer>([&](auto& c) { return c.player == bId; }));
  ASSERT_EQ(host.peer.Close(), Result::Ok);

  for (TestPeer* peer : {&a, &b}) {
    auto migrated = peer->rec.WaitFor<HostMigrate>();
    ASSERT_TRUE(migrated);
    EXPECT_EQ(migrated->newHost, aId);
    EXPECT_EQ(peer->rec.Count<TerminateSession>(), 0);
  }
  ASSERT_EQ(b.peer.SendTo(aId, {7}), Result::Ok);
  EXPECT_TRUE(a.rec.WaitFor<Receive>([&](auto& r) { return r.sender == bId; }));

  // The new host was never told the password and still asks newcomers for it.
  TestPeer without(u"without");
  EXPECT_EQ(Join(without, a.ListenPort(), Desc()).result, Result::InvalidPassword);
  TestPeer with(u"with");
  EXPECT_EQ(Join(with, a.ListenPort(), Desc(u"pw")).result, Result::Ok);
}

}  // namespace
