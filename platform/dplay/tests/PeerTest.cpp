// The newer interface end to end on loopback: searches, joins and their refusals, membership,
// data, removal and Close. Host loss has its own file.
#include "platform/dplay/Peer.h"

#include <gtest/gtest.h>

#include <asio.hpp>
#include <atomic>
#include <thread>

#include "platform/dplay/tests/support/PeerFixture.h"

namespace {

using namespace dplay;
using namespace dplaytest;

TEST(PeerSearch, FindsTheHostWithItsDescriptionAtItsAddressAndOnTheLocalNetwork) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host, Desc(u"secret", 6));
  TestPeer searcher(u"searcher");
  Handle direct = 0;
  ASSERT_EQ(searcher.peer.EnumHosts(Desc(), Address{"127.0.0.1", port}, Address{}, {}, 11, &direct),
            Result::Pending);
  auto found = searcher.rec.WaitFor<EnumHostsResponse>();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->context, 11u);
  EXPECT_EQ(found->sender, (Address{"127.0.0.1", port, false}));
  EXPECT_EQ(found->description.sessionName, u"Evening flight");
  EXPECT_TRUE(found->description.flags & kSessionRequirePassword);
  EXPECT_TRUE(found->description.password.empty());
  EXPECT_EQ(found->description.maxPlayers, 6u);
  EXPECT_EQ(found->description.currentPlayers, 1u);
  EXPECT_EQ(found->description.reservedData, (std::vector<uint8_t>{7, 7, 7}));
  EXPECT_LT(found->latencyMs, 1000u);
  // It keeps asking until cancelled.
  EXPECT_TRUE(searcher.rec.WaitForCount<EnumHostsResponse>(3));

  // An empty host name searches the configured targets on the session port.
  Config lan = Config::ForTests();
  lan.port = port;
  lan.lanTargets = {"127.0.0.1"};
  Recorder lanRec;
  Peer lanPeer(lan);
  ASSERT_EQ(lanPeer.Initialize(lanRec.Handler()), Result::Ok);
  Handle onLan = 0;
  ASSERT_EQ(lanPeer.EnumHosts(Desc(), Address{}, Address{}, {}, 12, &onLan), Result::Pending);
  auto lanFound = lanRec.WaitFor<EnumHostsResponse>();
  ASSERT_TRUE(lanFound);
  EXPECT_EQ(lanFound->description.instance, found->description.instance);
}

TEST(PeerSearch, OtherApplicationsAndUnlockedSessionsAreToldApart) {
  TestPeer open(u"open");
  const uint16_t port = StartHost(open);
  TestPeer searcher(u"searcher");
  ApplicationDesc other = Desc();
  other.application = Guid::Random();
  Handle wrongApp = 0, rightApp = 0;
  ASSERT_EQ(searcher.peer.EnumHosts(other, Address{"127.0.0.1", port}, Address{}, {}, 1, &wrongApp),
            Result::Pending);
  ASSERT_EQ(searcher.peer.EnumHosts(Desc(), Address{"127.0.0.1", port}, Address{}, {}, 2, &rightApp),
            Result::Pending);
  auto found = searcher.rec.WaitFor<EnumHostsResponse>();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->context, 2u);
  EXPECT_FALSE(found->description.flags & kSessionRequirePassword);
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(searcher.rec.Count<EnumHostsResponse>([](auto& r) { return r.context == 1; }), 0);
}

TEST(PeerSearch, EndsWithTheReasonItEnded) {
  TestPeer searcher(u"searcher");
  // A name that cannot resolve.
  Handle bad = 0;
  ASSERT_EQ(searcher.peer.EnumHosts(Desc(), Address{"no-such-host.invalid", 1}, Address{}, {}, 5, &bad),
            Result::Pending);
  auto badEnd = searcher.rec.WaitFor<AsyncOpComplete>([&](auto& c) { return c.handle == bad; }, 10000ms);
  ASSERT_TRUE(badEnd);
  EXPECT_EQ(badEnd->result, Result::InvalidHostAddress);
  EXPECT_EQ(badEnd->context, 5u);

  // Cancelled.
  Handle forever = 0;
  ASSERT_EQ(searcher.peer.EnumHosts(Desc(), Address{"127.0.0.1", 9}, Address{}, {}, 6, &forever),
            Result::Pending);
  EXPECT_EQ(searcher.peer.CancelAsyncOperation(forever), Result::Ok);
  auto cancelled = searcher.rec.WaitFor<AsyncOpComplete>([&](auto& c) { return c.handle == forever; });
  ASSERT_TRUE(cancelled);
  EXPECT_EQ(cancelled->result, Result::UserCancel);
  EXPECT_EQ(searcher.peer.CancelAsyncOperation(forever), Result::InvalidHandle);

  // A counted search runs out by itself.
  Handle counted = 0;
  ASSERT_EQ(searcher.peer.EnumHosts(Desc(), Address{"127.0.0.1", 9}, Address{}, {2, 20, 30}, 7, &counted),
            Result::Pending);
  auto done = searcher.rec.WaitFor<AsyncOpComplete>([&](auto& c) { return c.handle == counted; });
  ASSERT_TRUE(done);
  EXPECT_EQ(done->result, Result::Ok);
}

// A TCP listener that takes connections and never says a word.
class SilentListener {
 public:
  SilentListener() : m_acceptor(m_io, asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0)) {
    m_acceptor.async_accept([this](std::error_code, asio::ip::tcp::socket s) { m_socket = std::move(s); });
    m_thread = std::thread([this] { m_io.run(); });
  }
  ~SilentListener() {
    m_io.stop();
    m_thread.join();
  }
  uint16_t Port() const { return m_acceptor.local_endpoint().port(); }

 private:
  asio::io_context m_io;
  asio::ip::tcp::acceptor m_acceptor;
  asio::ip::tcp::socket m_socket{m_io};
  std::thread m_thread;
};

TEST(PeerConnect, EachRefusalComesBackAsItsResult) {
  TestPeer host(u"host");
  host.rec.admit = [](IndicateConnect& indicate) {
    if (indicate.connectData == std::vector<uint8_t>{0xFF}) {
      const std::string text = "No more players allowed.";
      indicate.replyData.assign(text.begin(), text.end() + 1);
      return Result::HostRejectedConnection;
    }
    return Result::Ok;
  };
  const uint16_t port = StartHost(host, Desc(u"pw", 2));
  ApplicationDesc good = Desc(u"pw");
  host.peer.GetApplicationDesc(good);
  good.password = u"pw";

  ApplicationDesc wrongInstance = good;
  wrongInstance.instance = Guid::Random();
  ApplicationDesc wrongApplication = good;
  wrongApplication.application = Guid::Random();
  ApplicationDesc wrongPassword = good;
  wrongPassword.password = u"PW";

  struct Row {
    const char* name;
    ApplicationDesc target;
    std::vector<uint8_t> connectData;
    Result expected;
  };
  const Row rows[] = {
      {"another instance", wrongInstance, {}, Result::InvalidInstance},
      {"another application", wrongApplication, {}, Result::InvalidApplication},
      {"wrong password (case counts)", wrongPassword, {}, Result::InvalidPassword},
      {"refused by the application", good, {0xFF}, Result::HostRejectedConnection},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TestPeer joiner(u"joiner");
    auto complete = Join(joiner, port, row.target, row.connectData);
    EXPECT_EQ(complete.result, row.expected);
    EXPECT_EQ(complete.localPlayer, 0u);
    EXPECT_EQ(joiner.rec.Count<CreatePlayer>(), 0);
    if (row.expected == Result::HostRejectedConnection) {
      EXPECT_EQ(std::string(complete.replyData.begin(), complete.replyData.end()),
                std::string("No more players allowed.\0", 25));
    }
  }

  // The second player fills the session; a third finds it full.
  TestPeer second(u"second");
  EXPECT_EQ(Join(second, port, good).result, Result::Ok);
  TestPeer third(u"third");
  EXPECT_EQ(Join(third, port, good).result, Result::SessionFull);
  EXPECT_EQ(host.rec.Count<CreatePlayer>(), 2);  // itself and the second
}

TEST(PeerConnect, NothingThereOrNothingSaid) {
  // A port nobody listens on. The socket stays bound without listening: a released port could be
  // handed to a peer of a test running beside this one, which would then answer.
  asio::io_context io;
  asio::ip::tcp::socket closed(io, asio::ip::tcp::v4());
  closed.bind(asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0));
  TestPeer nobody(u"a");
  EXPECT_EQ(Join(nobody, closed.local_endpoint().port()).result, Result::NoConnection);

  SilentListener silent;
  TestPeer unheard(u"b");
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Join(unheard, silent.Port()).result, Result::NoResponse);
  EXPECT_GE(std::chrono::steady_clock::now() - started,
            std::chrono::milliseconds(Config::ForTests().connectTimeoutMs));

  // After a failed attempt the peer can try again.
  TestPeer host(u"host");
  const uint16_t port = StartHost(host);
  unheard.rec.Clear();
  EXPECT_EQ(Join(unheard, port).result, Result::Ok);
}

TEST(PeerMembership, JoinerLearnsItselfFirstThenTheOthersBeforeCompletion) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host);
  auto hostCreated = host.rec.WaitFor<CreatePlayer>();
  ASSERT_TRUE(hostCreated);
  EXPECT_TRUE(hostCreated->local);
  TestPeer first(u"first");
  ASSERT_EQ(Join(first, port).result, Result::Ok);

  TestPeer joiner(u"joiner", {1, 2, 3});
  auto complete = Join(joiner, port, Desc(), {9, 8});
  ASSERT_EQ(complete.result, Result::Ok);
  auto messages = joiner.rec.Messages();
  ASSERT_EQ(messages.size(), 4u);
  auto own = std::get<CreatePlayer>(messages[0]);
  EXPECT_TRUE(own.local);
  EXPECT_EQ(own.player, complete.localPlayer);
  // The others come on their own players' strands, so in either order.
  const auto second = std::get<CreatePlayer>(messages[1]);
  const auto third = std::get<CreatePlayer>(messages[2]);
  EXPECT_FALSE(second.local);
  EXPECT_FALSE(third.local);
  EXPECT_TRUE(second.player == hostCreated->player || third.player == hostCreated->player);
  EXPECT_NE(second.player, third.player);
  EXPECT_TRUE(std::holds_alternative<ConnectComplete>(messages[3]));

  // The host was asked with the connect data and then saw the player made.
  auto indicate = host.rec.WaitFor<IndicateConnect>([](auto& i) { return i.connectData.size() == 2; });
  ASSERT_TRUE(indicate);
  EXPECT_EQ(indicate->joiner.host, "127.0.0.1");
  EXPECT_TRUE(host.rec.WaitFor<CreatePlayer>([&](auto& c) { return c.player == complete.localPlayer; }));

  PlayerInfo info;
  ASSERT_EQ(host.peer.GetPeerInfo(complete.localPlayer, info), Result::Ok);
  EXPECT_EQ(info.name, u"joiner");
  EXPECT_EQ(info.data, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(info.flags, 0u);
  ASSERT_EQ(joiner.peer.GetPeerInfo(hostCreated->player, info), Result::Ok);
  EXPECT_EQ(info.flags, kPlayerHost);
  EXPECT_EQ(joiner.peer.GetPeerInfo(12345, info), Result::InvalidPlayer);

  ApplicationDesc seen;
  ASSERT_EQ(joiner.peer.GetApplicationDesc(seen), Result::Ok);
  EXPECT_EQ(seen.currentPlayers, 3u);
  EXPECT_EQ(seen.sessionName, u"Evening flight");
}

TEST(PeerMembership, InfoChangesReachEveryMemberTheChangerToo) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host);
  TestPeer a(u"a"), b(u"b");
  const PlayerId aId = Join(a, port).localPlayer;
  ASSERT_EQ(Join(b, port).result, Result::Ok);

  std::vector<uint8_t> block(268, 0);
  block[2] = 0x80;  // bit 23
  ASSERT_EQ(a.peer.SetPeerInfo(PlayerInfo{u"ignored", block}, kInfoData), Result::Ok);
  for (TestPeer* peer : {&host, &a, &b}) {
    EXPECT_TRUE(peer->rec.WaitFor<PeerInfoChanged>([&](auto& p) { return p.player == aId; }));
    PlayerInfo info;
    ASSERT_EQ(peer->peer.GetPeerInfo(aId, info), Result::Ok);
    EXPECT_EQ(info.data, block);
    EXPECT_EQ(info.name, u"a") << "only the data was changed";
  }
}

TEST(PeerData, ReachesOneOrAllInOrder) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host);
  TestPeer a(u"a"), b(u"b");
  const PlayerId aId = Join(a, port).localPlayer;
  const PlayerId bId = Join(b, port).localPlayer;
  const PlayerId hostId = host.Self();
  // b's joining reaches a through the host, after b's own completion.
  ASSERT_TRUE(a.rec.WaitFor<CreatePlayer>([&](auto& c) { return c.player == bId; }));

  for (uint8_t i = 0; i < 100; ++i) ASSERT_EQ(a.peer.SendTo(bId, {i}), Result::Ok);
  ASSERT_TRUE(b.rec.WaitFor<Receive>([&](auto& r) { return r.data == std::vector<uint8_t>{99}; }));
  std::vector<uint8_t> order;
  for (auto& m : b.rec.Messages())
    if (auto* r = std::get_if<Receive>(&m)) {
      EXPECT_EQ(r->sender, aId);
      order.push_back(r->data[0]);
    }
  ASSERT_EQ(order.size(), 100u);
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], i);

  // To all from the host: every member, the host too unless it asks not to loop back.
  ASSERT_EQ(host.peer.SendTo(kAllPlayers, {42}), Result::Ok);
  ASSERT_EQ(host.peer.SendTo(kAllPlayers, {43}, kSendNoLoopback), Result::Ok);
  for (TestPeer* peer : {&a, &b})
    EXPECT_TRUE(peer->rec.WaitFor<Receive>([&](auto& r) { return r.data == std::vector<uint8_t>{43} && r.sender == hostId; }));
  EXPECT_TRUE(host.rec.WaitFor<Receive>([](auto& r) { return r.data == std::vector<uint8_t>{42}; }));
  EXPECT_EQ(host.rec.Count<Receive>([](auto& r) { return r.data == std::vector<uint8_t>{43}; }), 0);

  EXPECT_EQ(a.peer.SendTo(999999, {1}), Result::InvalidPlayer);
}

TEST(PeerMembership, LeavingAndRemovalAreSeenByEveryone) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host);
  TestPeer a(u"a"), b(u"b"), c(u"c");
  const PlayerId aId = Join(a, port).localPlayer;
  const PlayerId bId = Join(b, port).localPlayer;
  ASSERT_EQ(Join(c, port).result, Result::Ok);

  // a leaves by Close.
  ASSERT_EQ(a.peer.Close(), Result::Ok);
  for (TestPeer* peer : {&host, &b, &c}) {
    auto destroyed = peer->rec.WaitFor<DestroyPlayer>([&](auto& d) { return d.player == aId; });
    ASSERT_TRUE(destroyed);
    EXPECT_EQ(destroyed->reason, DestroyReason::Normal);
  }

  // b is removed by the host: it is told why, then loses every player; the rest see it go.
  EXPECT_EQ(c.peer.DestroyPeer(bId), Result::NotHost);
  b.rec.Clear();
  ASSERT_EQ(host.peer.DestroyPeer(bId, {'b', 'y', 'e'}), Result::Ok);
  auto terminated = b.rec.WaitFor<TerminateSession>();
  ASSERT_TRUE(terminated);
  EXPECT_EQ(terminated->reason, Result::HostTerminatedSession);
  EXPECT_EQ(terminated->terminateData, (std::vector<uint8_t>{'b', 'y', 'e'}));
  ASSERT_TRUE(b.rec.WaitForCount<DestroyPlayer>(3));
  auto messages = b.rec.Messages();
  size_t terminateAt = 0, firstDestroyAt = messages.size();
  for (size_t i = 0; i < messages.size(); ++i) {
    if (std::holds_alternative<TerminateSession>(messages[i])) terminateAt = i;
    if (std::holds_alternative<DestroyPlayer>(messages[i])) firstDestroyAt = std::min(firstDestroyAt, i);
  }
  EXPECT_LT(terminateAt, firstDestroyAt);
  auto seen = c.rec.WaitFor<DestroyPlayer>([&](auto& d) { return d.player == bId; });
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->reason, DestroyReason::HostDestroyed);
  std::vector<PlayerId> ids;
  host.peer.EnumPlayersAndGroups(ids, kEnumPlayers);
  EXPECT_EQ(ids.size(), 2u);
}

TEST(PeerGroups, ListedInCreationOrderAndAddingCompletes) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host);
  TestPeer a(u"a");
  const PlayerId aId = Join(a, port).localPlayer;
  PlayerId observers = 0, spare = 0;
  ASSERT_EQ(host.peer.CreateGroup(u"observers", &observers), Result::Ok);
  ASSERT_EQ(host.peer.CreateGroup(u"spare", &spare), Result::Ok);
  Handle handle = 0;
  ASSERT_EQ(host.peer.AddPlayerToGroup(observers, aId, 0xFFFFFFFF, &handle), Result::Pending);
  auto done = host.rec.WaitFor<AsyncOpComplete>([&](auto& c) { return c.handle == handle; });
  ASSERT_TRUE(done);
  EXPECT_EQ(done->context, 0xFFFFFFFFu);
  EXPECT_EQ(host.peer.AddPlayerToGroup(12345, aId, 0, &handle), Result::InvalidGroup);

  // Group sends reach the members.
  ASSERT_EQ(host.peer.SendTo(observers, {5}), Result::Ok);
  EXPECT_TRUE(a.rec.WaitFor<Receive>([](auto& r) { return r.data == std::vector<uint8_t>{5}; }));

  std::vector<PlayerId> groups;
  for (int i = 0; i < 100 && groups.size() < 2; ++i) {
    a.peer.EnumPlayersAndGroups(groups, kEnumGroups);
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(groups, (std::vector<PlayerId>{observers, spare}));
  EXPECT_NE(observers, aId);
}

TEST(PeerClose, EndsSearchesDestroysEveryPlayerAndWaitsForCallbacks) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host);
  TestPeer member(u"member");
  // A slow callback, and a Close attempted from inside one.
  std::atomic<bool> slowDone{false};
  std::atomic<int> closeFromCallback{-1};
  member.rec.also = [&](Message& m) {
    if (std::holds_alternative<DestroyPlayer>(m)) {
      closeFromCallback = static_cast<int>(member.peer.Close());
      std::this_thread::sleep_for(50ms);
      slowDone = true;
    }
  };
  ASSERT_EQ(Join(member, port).result, Result::Ok);
  Handle search = 0;
  ASSERT_EQ(member.peer.EnumHosts(Desc(), Address{"127.0.0.1", port}, Address{}, {}, 3, &search),
            Result::Pending);

  ASSERT_EQ(member.peer.Close(), Result::Ok);
  EXPECT_TRUE(slowDone);
  EXPECT_EQ(closeFromCallback.load(), static_cast<int>(Result::InvalidCall));
  EXPECT_EQ(member.rec.Count<DestroyPlayer>(), 2);
  EXPECT_EQ(member.rec.Count<TerminateSession>(), 0);
  EXPECT_EQ(member.rec.Count<AsyncOpComplete>([&](auto& c) { return c.handle == search && c.result == Result::UserCancel; }), 1);
  EXPECT_EQ(member.peer.SendTo(kAllPlayers, {1}), Result::Uninitialized);
  // Closed twice is fine, and a peer can start again.
  EXPECT_EQ(member.peer.Close(), Result::Ok);
  EXPECT_EQ(member.peer.Initialize(member.rec.Handler()), Result::Ok);
}

}  // namespace
