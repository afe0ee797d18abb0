// What a hostile client can make a host hold, against hand-made frames on loopback: a member
// that stops reading, a frame that never ends, a link without a player that announces more than
// a Hello holds, more unanswered connections than the host waits for, oversized names and data,
// and a host out of descriptors.
#include <gtest/gtest.h>

#include <thread>

#include "platform/dplay/Bytes.h"
#include "platform/dplay/Engine.h"
#include "platform/dplay/Link.h"
#include "platform/dplay/tests/support/HostProcess.h"
#include "platform/dplay/tests/support/PeerFixture.h"
#include "platform/dplay/tests/support/ProcessCpu.h"
#include "platform/dplay/tests/support/RawClient.h"

namespace {

using namespace dplay;
using namespace dplaytest;
using wire::FrameKind;
using Ms = std::chrono::milliseconds;

const Ms kLinkTimeout{Config::ForTests().linkTimeoutMs};

// Joins `client` as a player; its id as the host made it.
PlayerId JoinRaw(RawClient& client, const std::string& name) {
  EXPECT_TRUE(client.Hello(name));
  const auto answer = client.ReadAnswer();
  return answer.welcome ? answer.welcome->you : 0;
}

TEST(Bounds, AMemberThatStopsReadingIsDroppedAndTheOthersCarryOn) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host);
  TestPeer reader(u"reader");
  const PlayerId readerId = Join(reader, port).localPlayer;
  RawClient stalled(port, 4096);
  const PlayerId stalledId = JoinRaw(stalled, "stalled");
  ASSERT_NE(stalledId, 0u);
  // Alive by its heartbeats, it reads nothing more.
  stalled.StartHeartbeats();

  // Its queue only grows: more than the system's buffers and the queue's bound together.
  const std::vector<uint8_t> chunk(256 * 1024, 0x5A);
  const size_t enough = 4 * kMaxQueuedBytes / chunk.size();
  size_t sent = 0;
  while (sent < enough && host.peer.SendTo(stalledId, chunk) == Result::Ok) {
    ++sent;
    std::this_thread::sleep_for(Ms(1));
  }
  auto dropped = host.rec.WaitFor<DestroyPlayer>(nullptr, Ms(5000));
  ASSERT_TRUE(dropped) << "after " << sent << " chunks";
  EXPECT_EQ(dropped->player, stalledId);
  EXPECT_EQ(dropped->reason, DestroyReason::ConnectionLost);

  // The member that reads is still there and still hears the host.
  ASSERT_EQ(host.peer.SendTo(kAllPlayers, {1, 2, 3}, kSendNoLoopback), Result::Ok);
  EXPECT_TRUE(reader.rec.WaitFor<Receive>([](auto& r) { return r.data == std::vector<uint8_t>{1, 2, 3}; }));
  EXPECT_EQ(host.rec.Count<DestroyPlayer>([&](auto& d) { return d.player == readerId; }), 0);
}

TEST(Bounds, ALinkThatCompletesNoFrameTimesOutWhateverItTrickles) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host);
  RawClient trickler(port);
  const PlayerId id = JoinRaw(trickler, "trickler");
  ASSERT_NE(id, 0u);
  // A frame of 64 KiB begun and fed one byte at a time, never finished.
  ByteWriter header;
  header.U32(64 * 1024);
  header.U16(static_cast<uint16_t>(FrameKind::Data));
  ASSERT_TRUE(trickler.Write(header.Bytes()));
  const auto end = std::chrono::steady_clock::now() + 4 * kLinkTimeout;
  const uint8_t byte = 0;
  while (std::chrono::steady_clock::now() < end && host.rec.Count<DestroyPlayer>() == 0) {
    if (!trickler.Write(std::span<const uint8_t>(&byte, 1))) break;
    std::this_thread::sleep_for(kLinkTimeout / 8);
  }
  // Dropped while it still trickled: a link that went quiet is dropped only a time-out later.
  auto dropped = host.rec.WaitFor<DestroyPlayer>(nullptr, kLinkTimeout / 4);
  ASSERT_TRUE(dropped);
  EXPECT_EQ(dropped->player, id);
  EXPECT_EQ(dropped->reason, DestroyReason::ConnectionLost);
}

TEST(Bounds, ALinkWithoutAPlayerMayNotAnnounceAFrameLongerThanAHello) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host);
  struct Row {
    const char* name;
    bool follow;  // joined without a player first
  };
  for (const Row row : {Row{"before its Hello", false}, Row{"following the session", true}}) {
    SCOPED_TRACE(row.name);
    RawClient client(port);
    if (row.follow) {
      wire::Hello hello = RawClient::MakeHello("follower");
      hello.flags = wire::kHelloNoPlayer;
      ASSERT_TRUE(client.Hello(hello));
      ASSERT_TRUE(client.ReadAnswer().welcome);
    }
    ByteWriter header;
    header.U32(wire::kMaxHelloPayload + 1);
    header.U16(static_cast<uint16_t>(row.follow ? FrameKind::CreatePlayer : FrameKind::Hello));
    ASSERT_TRUE(client.Write(header.Bytes()));
    // Closed at once, not when a time-out is up.
    EXPECT_TRUE(client.ClosedByHost(Ms(Config::ForTests().connectTimeoutMs / 2)));
  }

  // The largest Hello within the limits still gets in.
  RawClient largest(port);
  wire::Hello hello = RawClient::MakeHello(std::string(wire::kMaxNameBytes, 'n'));
  hello.data.assign(wire::kMaxPlayerDataBytes, 1);
  hello.connectData.assign(wire::kMaxConnectDataBytes, 2);
  hello.password.assign(wire::kMaxPasswordBytes, 'p');
  hello.secret.assign(wire::kSecretBytes, 3);
  ASSERT_EQ(wire::Encode(hello).size(), wire::kMaxHelloPayload);
  ASSERT_TRUE(largest.Hello(hello));
  EXPECT_TRUE(largest.ReadAnswer().welcome);
}

TEST(Bounds, TheHostWaitsForOnlySoManyLinksNotYetAdmitted) {
  // Handshakes that take their time: only the bound frees room here.
  Config config = Config::ForTests();
  config.connectTimeoutMs = 20000;
  Recorder rec;
  Peer host(config);
  ASSERT_EQ(host.Initialize(rec.Handler()), Result::Ok);
  ASSERT_EQ(host.Host(Desc(), Address{}), Result::Ok);
  const uint16_t port = host.GetLocalHostAddresses().at(0).port;

  std::vector<std::unique_ptr<RawClient>> silent;
  for (size_t i = 0; i < kMaxUnadmittedLinks; ++i) silent.push_back(std::make_unique<RawClient>(port));
  RawClient waiting(port);
  ASSERT_TRUE(waiting.Connected()) << "the system takes the connection; the host does not yet";
  ASSERT_TRUE(waiting.Hello("waiting"));
  EXPECT_EQ(waiting.ReadAnswer(Ms(300)).refused, Result::NoResponse);
  silent.front()->Close();
  EXPECT_TRUE(waiting.ReadAnswer().welcome);
}

TEST(Bounds, NamesAndPlayerDataHaveALimit) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host);
  RawClient member(port);
  const PlayerId id = JoinRaw(member, "member");
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(host.rec.WaitFor<CreatePlayer>([&](auto& c) { return c.player == id; }));

  const std::string longName(wire::kMaxNameBytes + 1, 'n');
  const std::vector<uint8_t> bigData(wire::kMaxPlayerDataBytes + 1, 1);
  member.Send(FrameKind::PlayerInfo, wire::Encode(wire::PlayerInfo{0, 1, longName, {}}));
  member.Send(FrameKind::PlayerInfo, wire::Encode(wire::PlayerInfo{0, 2, "", bigData}));
  member.Send(FrameKind::PlayerInfo, wire::Encode(wire::PlayerInfo{0, 3, WireText(u"renamed"), {9}}));
  // The frames are taken in order: only the last change within the limits is seen.
  ASSERT_TRUE(host.rec.WaitFor<PeerInfoChanged>([&](auto& p) { return p.player == id; }));
  EXPECT_EQ(host.rec.Count<PeerInfoChanged>([&](auto& p) { return p.player == id; }), 1);
  PlayerInfo info;
  ASSERT_EQ(host.peer.GetPeerInfo(id, info), Result::Ok);
  EXPECT_EQ(info.name, u"renamed");
  EXPECT_EQ(info.data, std::vector<uint8_t>{9});

  // The own player is held to the same limits.
  EXPECT_EQ(host.peer.SetPeerInfo(PlayerInfo{std::u16string(wire::kMaxNameBytes, u'n'), {}}, kInfoName),
            Result::InvalidParam);
  EXPECT_EQ(host.peer.SetPeerInfo(PlayerInfo{u"", bigData}, kInfoData), Result::InvalidParam);
}

TEST(Bounds, OutOfDescriptorsTheHostWaitsBeforeAcceptingAgain) {
  HostProcess process(DPLAY_TEST_HOST, "peer", nullptr, "files=24");
  ASSERT_NE(process.Port(), 0);
  // More connections than the host has descriptors for: the rest wait in the backlog.
  std::vector<std::unique_ptr<RawClient>> clients;
  for (int i = 0; i < 30; ++i) clients.push_back(std::make_unique<RawClient>(process.Port()));
  std::this_thread::sleep_for(Ms(100));
  const double before = CpuSeconds(process.Pid());
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(Ms(1000));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT((CpuSeconds(process.Pid()) - before) / seconds, 0.3) << "share of a core";
}

}  // namespace
