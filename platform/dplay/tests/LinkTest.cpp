// The host against raw TCP clients: heartbeats keep quiet members, a member that goes silent is
// dropped after the link time-out, data waits to be gathered while membership does not, and
// broken or foreign streams cost only their own link.
#include <gtest/gtest.h>

#include <thread>

#include "platform/dplay/Bytes.h"
#include "platform/dplay/Wire.h"
#include "platform/dplay/tests/support/PeerFixture.h"
#include "platform/dplay/tests/support/RawClient.h"

namespace {

using namespace dplay;
using namespace dplaytest;

TEST(Heartbeat, QuietMembersStayAndSilentOnesAreDropped) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host);
  TestPeer quiet(u"quiet");
  const PlayerId quietId = Join(quiet, port).localPlayer;

  RawClient silent(port);
  silent.Hello("silent");
  ASSERT_TRUE(silent.ReadUntil(wire::FrameKind::Welcome));
  auto created = host.rec.WaitFor<CreatePlayer>([&](auto& c) { return c.player != quietId && !c.local; });
  ASSERT_TRUE(created);
  const PlayerId silentId = created->player;

  // Nothing is sent for several link time-outs: heartbeats keep the real member, not the raw one.
  const auto timeout = std::chrono::milliseconds(Config::ForTests().linkTimeoutMs);
  auto dropped = host.rec.WaitFor<DestroyPlayer>([&](auto& d) { return d.player == silentId; }, 4 * timeout);
  ASSERT_TRUE(dropped);
  EXPECT_EQ(dropped->reason, DestroyReason::ConnectionLost);
  std::this_thread::sleep_for(2 * timeout);
  EXPECT_EQ(host.rec.Count<DestroyPlayer>([&](auto& d) { return d.player == quietId; }), 0);
  EXPECT_EQ(quiet.rec.Count<HostMigrate>(), 0);
  EXPECT_TRUE(quiet.rec.WaitFor<DestroyPlayer>([&](auto& d) { return d.player == silentId; }));
}

TEST(Gathering, DataWaitsForTheGatheringTimeMembershipTakesItAlongAtOnce) {
  // Gathering long enough to see: data sent right after a write waits.
  Config config = Config::ForTests();
  config.gatherMs = 60000;
  Recorder rec;
  Peer host(config);
  ASSERT_EQ(host.Initialize(rec.Handler()), Result::Ok);
  ASSERT_EQ(host.Host(Desc(), Address{}), Result::Ok);
  const uint16_t port = host.GetLocalHostAddresses().at(0).port;

  RawClient member(port);
  ASSERT_TRUE(member.Hello("member"));
  ASSERT_TRUE(member.ReadAnswer().welcome);
  member.StartHeartbeats();
  ASSERT_EQ(host.SendTo(kAllPlayers, {1}, kSendNoLoopback), Result::Ok);
  ASSERT_EQ(host.SendTo(kAllPlayers, {2}, kSendNoLoopback), Result::Ok);
  EXPECT_FALSE(member.ReadFrame({wire::FrameKind::Data}, std::chrono::milliseconds(300)));

  // A newcomer is announced at once, behind the data that waited, in the order it was sent.
  TestPeer newcomer(u"newcomer");
  ASSERT_EQ(Join(newcomer, port).result, Result::Ok);
  for (uint8_t expected : {1, 2}) {
    auto frame = member.ReadFrame({wire::FrameKind::Data, wire::FrameKind::PlayerJoined});
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->kind, static_cast<uint16_t>(wire::FrameKind::Data));
    EXPECT_EQ(wire::DecodeData(frame->payload)->payload, std::vector<uint8_t>{expected});
  }
  EXPECT_TRUE(member.ReadFrame({wire::FrameKind::PlayerJoined}, std::chrono::milliseconds(1000)));
}

TEST(HostileClients, BrokenStreamsCostOnlyTheirOwnLink) {
  TestPeer host(u"host");
  const uint16_t port = StartHost(host);

  struct Row {
    const char* name;
    std::function<void(RawClient&)> act;
  };
  const Row rows[] = {
      {"a length over the cap before any hello",
       [](RawClient& c) {
         ByteWriter w;
         w.U32(wire::kMaxFramePayload + 1);
         w.U16(1);
         c.Write(w.Bytes());
       }},
      {"data before the hello", [](RawClient& c) { c.Send(wire::FrameKind::Data, wire::Encode(wire::Data{1, 0, 0, {1}})); }},
      {"a hello with another magic",
       [](RawClient& c) {
         wire::Hello hello;
         hello.magic = 0x12345678;
         c.Send(wire::FrameKind::Hello, wire::Encode(hello));
       }},
      {"a hello cut short",
       [](RawClient& c) {
         auto bytes = wire::Encode(wire::Hello{});
         bytes.resize(bytes.size() / 2);
         c.Send(wire::FrameKind::Hello, bytes);
       }},
      {"a member sending a frame over the cap",
       [](RawClient& c) {
         c.Hello("member");
         ASSERT_TRUE(c.ReadUntil(wire::FrameKind::Welcome));
         ByteWriter w;
         w.U32(0xFFFFFFFFu);
         w.U16(7);
         c.Write(w.Bytes());
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    RawClient client(port);
    row.act(client);
    EXPECT_TRUE(client.ClosedByHost());
  }

  // A member's unknown kinds, damaged frames and data for nobody are dropped; its link stays.
  RawClient member(port);
  member.Hello("member");
  ASSERT_TRUE(member.ReadUntil(wire::FrameKind::Welcome));
  member.Send(static_cast<wire::FrameKind>(0x7777), std::vector<uint8_t>{1, 2, 3});
  member.Send(wire::FrameKind::Data, std::vector<uint8_t>{1, 2});
  member.Send(wire::FrameKind::Data, wire::Encode(wire::Data{0, 4242, 0, {1}}));
  member.Send(wire::FrameKind::Data, wire::Encode(wire::Data{0, host.Self(), 0, {9}}));
  auto received = host.rec.WaitFor<Receive>();
  ASSERT_TRUE(received);
  EXPECT_EQ(received->data, std::vector<uint8_t>{9});
  EXPECT_EQ(host.rec.Count<Receive>(), 1);

  // And the host still admits peers.
  TestPeer later(u"later");
  EXPECT_EQ(Join(later, port).result, Result::Ok);
}

}  // namespace
