#include "platform/dplay/Wire.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "platform/dplay/Bytes.h"
#include "platform/dplay/Digest.h"
#include "platform/dplay/Config.h"
#include "platform/dplay/SystemMessages.h"

namespace {

using namespace dplay;
using namespace dplay::wire;

std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> list) { return list; }

std::vector<uint8_t> Header(uint32_t length, uint16_t kind) {
  ByteWriter w;
  w.U32(length);
  w.U16(kind);
  return w.Take();
}

TEST(FrameDecoder, ReassemblesFramesFedOneByteAtATime) {
  std::vector<uint8_t> stream;
  for (auto kind : {FrameKind::Heartbeat, FrameKind::Data, FrameKind::Description}) {
    std::vector<uint8_t> payload(kind == FrameKind::Heartbeat ? 0 : 300, static_cast<uint8_t>(kind));
    auto frame = EncodeFrame(kind, payload);
    stream.insert(stream.end(), frame.begin(), frame.end());
  }
  FrameDecoder decoder;
  std::vector<Frame> frames;
  for (uint8_t byte : stream) {
    decoder.Feed(std::span<const uint8_t>(&byte, 1));
    Frame frame;
    while (decoder.Next(frame) == FrameDecoder::Status::Frame) frames.push_back(frame);
  }
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].kind, static_cast<uint16_t>(FrameKind::Heartbeat));
  EXPECT_TRUE(frames[0].payload.empty());
  EXPECT_EQ(frames[2].payload, std::vector<uint8_t>(300, static_cast<uint8_t>(FrameKind::Description)));
  EXPECT_EQ(decoder.Buffered(), 0u);
}

TEST(FrameDecoder, HostileStreams) {
  struct Row {
    const char* name;
    std::vector<uint8_t> bytes;
    FrameDecoder::Status expected;
    uint16_t kind;
  };
  auto withPayload = [](std::vector<uint8_t> header, size_t payload) {
    header.resize(header.size() + payload, 0xAB);
    return header;
  };
  const Row rows[] = {
      {"empty", {}, FrameDecoder::Status::NeedMore, 0},
      {"truncated header", Bytes({4, 0, 0}), FrameDecoder::Status::NeedMore, 0},
      {"truncated payload", withPayload(Header(10, 7), 9), FrameDecoder::Status::NeedMore, 0},
      {"length at the cap, payload still coming", Header(kMaxFramePayload, 7),
       FrameDecoder::Status::NeedMore, 0},
      {"length one over the cap", Header(kMaxFramePayload + 1, 7), FrameDecoder::Status::Error, 0},
      {"length near 4 GiB", Header(0xFFFFFFFFu, 7), FrameDecoder::Status::Error, 0},
      {"unknown kind is handed on", withPayload(Header(2, 0xBEEF), 2),
       FrameDecoder::Status::Frame, 0xBEEF},
      {"kind zero with no payload", Header(0, 0), FrameDecoder::Status::Frame, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FrameDecoder decoder;
    decoder.Feed(row.bytes);
    Frame frame;
    EXPECT_EQ(decoder.Next(frame), row.expected);
    if (row.expected == FrameDecoder::Status::Frame) {
      EXPECT_EQ(frame.kind, row.kind);
    }
  }
}

TEST(FrameDecoder, StaysBrokenAfterAnOversizedLength) {
  FrameDecoder decoder;
  decoder.Feed(Header(kMaxFramePayload + 1, 7));
  Frame frame;
  EXPECT_EQ(decoder.Next(frame), FrameDecoder::Status::Error);
  decoder.Feed(EncodeFrame(FrameKind::Heartbeat, {}));
  EXPECT_EQ(decoder.Next(frame), FrameDecoder::Status::Error);
  EXPECT_EQ(decoder.Buffered(), 0u);
}

std::string Hex(std::span<const uint8_t> bytes) {
  std::string hex;
  for (uint8_t b : bytes) {
    hex += "0123456789abcdef"[b >> 4];
    hex += "0123456789abcdef"[b & 15];
  }
  return hex;
}

// The rejoin secrets' digest against the standard's vectors, with the lengths where its padding
// takes one block or two.
TEST(Digest, Sha256OfKnownInputs) {
  const struct {
    std::string input;
    const char* hex;
  } rows[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
      {std::string(56, 'x'), "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
      {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& row : rows) {
    const Digest digest = Sha256(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(row.input.data()), row.input.size()));
    EXPECT_EQ(Hex(digest), row.hex) << row.input.size() << " bytes";
  }
}

Welcome SampleWelcome() {
  Welcome w;
  w.you = 7;
  w.host = 1;
  w.nextJoinOrder = 3;
  w.description.name = "Session";
  w.description.reserved = {1, 2, 3};
  w.description.user[0] = 0x02100000;
  w.players = {{1, 0, "host", {9}, "127.0.0.1", 4000, {0xD1}}, {7, 2, "me", {}, "127.0.0.1", 4001, {}}};
  w.secret = {0x5E};
  w.groups = {{20, "FS61_REFUSE_PARAMS", {7}}};
  return w;
}

TEST(WireMessages, RoundTrip) {
  Welcome w = SampleWelcome();
  auto back = DecodeWelcome(Encode(w));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->you, 7u);
  ASSERT_EQ(back->players.size(), 2u);
  EXPECT_EQ(back->players[1].name, "me");
  EXPECT_EQ(back->players[0].data, std::vector<uint8_t>{9});
  ASSERT_EQ(back->groups.size(), 1u);
  EXPECT_EQ(back->groups[0].members, std::vector<PlayerId>{7});
  EXPECT_EQ(back->description.reserved, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(back->players[0].secretDigest, std::vector<uint8_t>{0xD1});
  EXPECT_EQ(back->secret, std::vector<uint8_t>{0x5E});

  Hello h;
  h.application = Guid::Random();
  h.password = "pw";
  h.connectData = {1, 2};
  auto hello = DecodeHello(Encode(h));
  ASSERT_TRUE(hello);
  EXPECT_EQ(hello->application, h.application);
  EXPECT_EQ(hello->connectData, h.connectData);

  Data d{3, 0, 1, {5, 6, 7}};
  auto data = DecodeData(Encode(d));
  ASSERT_TRUE(data);
  EXPECT_EQ(data->payload, d.payload);
}

// Every message decoder against cut, padded and inflated input.
TEST(WireMessages, HostilePayloadsDecodeToNothing) {
  using Decoder = std::function<bool(std::span<const uint8_t>)>;
  struct Row {
    const char* name;
    std::vector<uint8_t> good;
    Decoder decode;
  };
  Hello hello;
  hello.name = "pilot";
  const Row rows[] = {
      {"Hello", Encode(hello), [](auto b) { return DecodeHello(b).has_value(); }},
      {"Welcome", Encode(SampleWelcome()), [](auto b) { return DecodeWelcome(b).has_value(); }},
      {"Refuse", Encode(Refuse{Result::SessionFull, {1}}),
       [](auto b) { return DecodeRefuse(b).has_value(); }},
      {"PlayerRecord", Encode(PlayerRecord{4, 1, "x", {1}, "a", 5, {6}}),
       [](auto b) { return DecodePlayerRecord(b).has_value(); }},
      {"OwnPlayer", Encode(OwnPlayer{PlayerRecord{4, 1, "x", {1}, "a", 5, {6}}, {7}}),
       [](auto b) { return DecodeOwnPlayer(b).has_value(); }},
      {"PlayerLeft", Encode(PlayerLeft{4, 1}), [](auto b) { return DecodePlayerLeft(b).has_value(); }},
      {"PlayerInfo", Encode(PlayerInfo{4, 3, "n", {1, 2}}),
       [](auto b) { return DecodePlayerInfo(b).has_value(); }},
      {"Description", Encode(Description{}),
       [](auto b) { return DecodeDescription(b).has_value(); }},
      {"GroupRecord", Encode(GroupRecord{5, "g", {1, 2}}),
       [](auto b) { return DecodeGroupRecord(b).has_value(); }},
      {"GroupAdded", Encode(GroupAdded{5, 1}), [](auto b) { return DecodeGroupAdded(b).has_value(); }},
      {"Terminate", Encode(Terminate{{1, 2}}), [](auto b) { return DecodeTerminate(b).has_value(); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(row.decode(row.good));
    for (size_t cut = 0; cut < row.good.size(); ++cut)
      EXPECT_FALSE(row.decode(std::span<const uint8_t>(row.good).first(cut))) << "cut at " << cut;
    auto padded = row.good;
    padded.push_back(0);
    EXPECT_FALSE(row.decode(padded));
  }
}

// Peers of other builds read these bytes: every payload's layout, field by field.
TEST(WireMessages, EncodingsKeepTheirBytes) {
  const Guid guid{0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};
  Description description;
  description.flags = 0x11;
  description.instance = guid;
  description.maxPlayers = 8;
  description.currentPlayers = 2;
  description.name = "S";
  description.password = "pw";
  description.reserved = {0xAA};
  description.user[3] = 0x44;
  Hello hello;
  hello.application = guid;
  hello.flags = kHelloRejoin;
  hello.rejoinAs = 5;
  hello.listenPort = 0x1234;
  hello.name = "me";
  hello.data = {1};
  hello.connectData = {2, 3};
  hello.secret = {0x5E};
  Welcome welcome;
  welcome.you = 7;
  welcome.host = 1;
  welcome.nextJoinOrder = 3;
  welcome.players = {{7, 2, "me", {9}, "h", 0x0FA1, {0xD1}}};
  welcome.groups = {{20, "g", {7, 1}}};
  welcome.secret = {0x5C};
  EnumResponse response;
  response.queryId = 9;
  response.sentTick = 0x100;
  response.port = 4000;
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* hex;
  } rows[] = {
      {"Hello", Encode(hello),
       "4357445002000403020106050807090a0b0c0d0e0f100000000000000000000000000000000002050000003412000000"
       "00020000006d650100000001020000000203010000005e"},
      {"Welcome", Encode(welcome),
       "070000000100000003000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "000000000000000000000000000000000000000000000000000000000000000000000000010000000700000002000000"
       "020000006d6501000000090100000068a10f01000000d101000000140000000100000067020000000700000001000000"
       "010000005c"},
      {"Refuse", Encode(Refuse{Result::SessionFull, {1}}),
       "090000000100000001"},
      {"PlayerRecord", Encode(welcome.players[0]),
       "0700000002000000020000006d6501000000090100000068a10f01000000d1"},
      {"OwnPlayer", Encode(OwnPlayer{welcome.players[0], {0x5C}}),
       "0700000002000000020000006d6501000000090100000068a10f01000000d1010000005c"},
      {"PlayerLeft", Encode(PlayerLeft{4, 1}),
       "0400000001000000"},
      {"PlayerInfo", Encode(PlayerInfo{4, 3, "n", {1, 2}}),
       "0400000003000000010000006e020000000102"},
      {"Data", Encode(Data{3, 0, 1, {5, 6}}),
       "0300000000000000010000000506"},
      {"Description", Encode(description),
       "110000000403020106050807090a0b0c0d0e0f1000000000000000000000000000000000080000000200000001000000"
       "5302000000707701000000aa00000000000000000000000044000000"},
      {"GroupRecord", Encode(welcome.groups[0]),
       "140000000100000067020000000700000001000000"},
      {"GroupAdded", Encode(GroupAdded{5, 1}),
       "0500000001000000"},
      {"Terminate", Encode(Terminate{{1, 2}}),
       "020000000102"},
      {"EnumQuery", EncodeDatagram(EnumQuery{guid, 5, 6}),
       "43574450020001000403020106050807090a0b0c0d0e0f100500000006000000"},
      {"EnumResponse", EncodeDatagram(response),
       "43574450020002000900000000010000a00f000000000000000000000000000000000000000000000000000000000000"
       "000000000000000000000000000000000000000000000000000000000000000000000000000000000000"},
  };
  for (const auto& row : rows) EXPECT_EQ(row.hex, Hex(row.bytes)) << row.name;
}

TEST(WireMessages, CountsAndLengthsBeyondTheBytesAreRefused) {
  // A player count of 2^32-1 after a valid description: nothing may be reserved for it.
  ByteWriter w;
  w.U32(7);
  w.U32(1);
  w.U32(0);
  w.Raw(Encode(Description{}).data(), Encode(Description{}).size());
  w.U32(0xFFFFFFFFu);
  EXPECT_FALSE(DecodeWelcome(w.Bytes()));

  // A name length that runs past the end.
  ByteWriter p;
  p.U32(1);
  p.U32(0);
  p.U32(1000);
  p.Raw("abc", 3);
  EXPECT_FALSE(DecodePlayerRecord(p.Bytes()));

  // A group member count that the bytes cannot hold.
  ByteWriter g;
  g.U32(1);
  g.Text("g");
  g.U32(3);
  g.U32(1);
  EXPECT_FALSE(DecodeGroupRecord(g.Bytes()));

  // Data shorter than its addresses.
  EXPECT_FALSE(DecodeData(Bytes({1, 0, 0, 0, 2, 0, 0})));
}

TEST(Datagrams, ForeignOrDamagedDatagramsAreIgnored) {
  EnumQuery q{Guid::Random(), 5, 1234};
  auto good = EncodeDatagram(q);
  auto back = DecodeEnumQuery(good);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->application, q.application);
  EXPECT_EQ(back->sentTick, 1234u);
  EXPECT_FALSE(DecodeEnumResponse(good)) << "a query is not a response";

  EnumResponse r;
  r.port = 4000;
  r.description.name = "S";
  auto response = EncodeDatagram(r);
  ASSERT_TRUE(DecodeEnumResponse(response));

  auto badMagic = good;
  badMagic[0] ^= 1;
  auto badVersion = good;
  badVersion[4] = 99;
  auto truncated = response;
  truncated.pop_back();
  auto padded = good;
  padded.push_back(0);
  EXPECT_FALSE(DecodeEnumQuery(badMagic));
  EXPECT_FALSE(DecodeEnumQuery(badVersion));
  EXPECT_FALSE(DecodeEnumResponse(truncated));
  EXPECT_FALSE(DecodeEnumQuery(padded));
  EXPECT_FALSE(DecodeEnumQuery({}));
}

TEST(SystemMessages, ReadBackWhatTheTransportBuilds) {
  auto create = BuildCreatePlayerOrGroup(kPlayerTypeGroup, 12, 3, "FS61_REFUSE_PARAMS");
  EXPECT_GE(create.size(), 48u);
  auto m = ReadSystemMessage(create);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->type, kSysCreatePlayerOrGroup);
  EXPECT_EQ(m->playerType, kPlayerTypeGroup);
  EXPECT_EQ(m->id, 12u);
  EXPECT_EQ(m->shortName, "FS61_REFUSE_PARAMS");

  auto destroy = ReadSystemMessage(BuildDestroyPlayerOrGroup(kPlayerTypePlayer, 4, "*pilot"));
  ASSERT_TRUE(destroy);
  EXPECT_EQ(destroy->type, kSysDestroyPlayerOrGroup);
  EXPECT_EQ(destroy->shortName, "*pilot");
  EXPECT_EQ(ReadSystemMessage(BuildHost())->type, kSysHost);
  EXPECT_EQ(ReadSystemMessage(BuildSessionLost())->type, kSysSessionLost);
}

TEST(SystemMessages, HostileLayouts) {
  auto good = BuildCreatePlayerOrGroup(kPlayerTypePlayer, 4, 2, "abc");
  auto patched = [&](size_t at, uint32_t value) {
    auto bytes = good;
    std::memcpy(bytes.data() + at, &value, 4);
    return bytes;
  };
  const size_t nameOffset = offsetof(SysCreatePlayerOrGroup, shortNameOffset);
  const size_t nameSize = offsetof(SysCreatePlayerOrGroup, shortNameSize);
  struct Row {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  const Row rows[] = {
      {"three bytes", {3, 0, 0}},
      {"fixed part cut", std::vector<uint8_t>(good.begin(), good.begin() + 47)},
      {"name offset past the end", patched(nameOffset, 1000)},
      {"name size past the end", patched(nameSize, 100)},
      {"name offset and size wrapping", patched(nameOffset, 0xFFFFFFF0u)},
      {"name without terminator", patched(nameSize, 3)},
      {"unknown type", patched(0, 0x7777)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_FALSE(ReadSystemMessage(row.bytes));
  }
}

TEST(Config, EnvironmentOverridesPortAndSearchTargets) {
  ::setenv("CW_DPLAY_PORT", "31000", 1);
  ::setenv("CW_DPLAY_LAN", "127.0.0.1, 127.0.0.2", 1);
  Config config = Config::FromEnvironment();
  EXPECT_EQ(config.port, 31000);
  EXPECT_EQ(config.lanTargets, (std::vector<std::string>{"127.0.0.1", "127.0.0.2"}));
  ::setenv("CW_DPLAY_PORT", "70000", 1);  // not a port: the default stays
  EXPECT_EQ(Config::FromEnvironment().port, Config{}.port);
  ::unsetenv("CW_DPLAY_PORT");
  ::setenv("CW_DPLAY_LAN", "127.0.0.1", 1);
}

}  // namespace
