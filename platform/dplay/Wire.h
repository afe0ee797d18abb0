#pragma once
// The transport's own protocol. A session is a star over TCP: members talk only to the host,
// which orders membership, groups and the description and relays data. UDP carries only host
// enumeration. Everything is little-endian.
//
// TCP frame: u32 payload length, u16 kind, payload. Payloads above kMaxFramePayload break the
// link. A link starts with Hello from the joiner and Welcome or Refuse from the host.
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/dplay/Types.h"

namespace dplay::wire {

inline constexpr uint32_t kMagic = 0x50445743;  // "CWDP"
inline constexpr uint16_t kVersion = 2;
inline constexpr uint32_t kMaxFramePayload = 4u << 20;
inline constexpr size_t kFrameHeaderSize = 6;

// What one player may bring. A host refuses a Hello or ignores a change over these, so that no
// player can grow what every later joiner is sent past the frame cap.
inline constexpr size_t kMaxNameBytes = 256;
inline constexpr size_t kMaxPlayerDataBytes = 1024;
inline constexpr size_t kMaxConnectDataBytes = 1024;
inline constexpr size_t kMaxPasswordBytes = 256;
// A member's rejoin secret, handed to it alone; the others learn only its digest.
inline constexpr size_t kSecretBytes = 16;
inline bool WithinPlayerLimits(const std::string& name, std::span<const uint8_t> data) {
  return name.size() <= kMaxNameBytes && data.size() <= kMaxPlayerDataBytes;
}
// The largest Hello within the limits above. A link without a player (before its Hello, or
// following the session without one) sends nothing longer: its frames may not be longer either.
inline constexpr uint32_t kMaxHelloPayload = 4 + 2 + 16 + 16 + 1 + 4 + 2 + (4 + kMaxPasswordBytes) +
                                             (4 + kMaxNameBytes) + (4 + kMaxPlayerDataBytes) +
                                             (4 + kMaxConnectDataBytes) + (4 + kSecretBytes);

enum class FrameKind : uint16_t {
  Hello = 1,         // joiner -> host
  Welcome = 2,       // host -> joiner: own id and the whole session
  Refuse = 3,        // host -> joiner: result and reply bytes, then the link closes
  PlayerJoined = 4,  // host -> members
  PlayerLeft = 5,    // host -> members; member -> host to leave
  PlayerInfo = 6,    // member -> host (own info), host -> members
  Data = 7,          // member -> host (to a player or all), host -> member (from a player)
  Description = 8,   // host -> members
  GroupCreated = 9,  // host -> members
  GroupAdded = 10,   // host -> members
  Terminate = 11,    // host -> removed member
  Heartbeat = 12,    // both ways, when nothing else was sent for a while
  CreatePlayer = 13,   // member that joined without a player -> host (a PlayerInfo)
  PlayerCreated = 14,  // host -> that member: its own new player (an OwnPlayer)
};

// Hello::flags
inline constexpr uint8_t kHelloNoPlayer = 0x1;  // follow the session; the player comes later
inline constexpr uint8_t kHelloRejoin = 0x2;    // a member following a host migration

struct Frame {
  uint16_t kind = 0;  // kinds this side does not know are the caller's to drop
  std::vector<uint8_t> payload;
};

std::vector<uint8_t> EncodeFrame(FrameKind kind, std::span<const uint8_t> payload);

// Cuts a TCP byte stream into frames. A length over the limit is a broken link: Next reports
// Error from then on and keeps nothing more.
class FrameDecoder {
 public:
  enum class Status { NeedMore, Frame, Error };
  // The longest payload taken from now on (at most kMaxFramePayload, which is the default).
  void SetLimit(uint32_t limit) { m_limit = limit < kMaxFramePayload ? limit : kMaxFramePayload; }
  void Feed(std::span<const uint8_t> bytes);
  Status Next(Frame& frame);
  size_t Buffered() const { return m_buffer.size() - m_start; }

 private:
  std::vector<uint8_t> m_buffer;
  size_t m_start = 0;
  uint32_t m_limit = kMaxFramePayload;
  bool m_error = false;
};

// ----- Frame payloads -----

// The session description. The host never sends the password: members are told only that one
// is required (kEnginePasswordRequired) and check joiners, should they become host, against the
// one they joined with. Names are the front end's bytes (UTF-16LE or code page 1252).
struct Description {
  uint32_t flags = 0;
  Guid instance;
  Guid application;
  uint32_t maxPlayers = 0;
  uint32_t currentPlayers = 0;
  std::string name;
  std::string password;
  std::vector<uint8_t> reserved;
  uint32_t user[4] = {0, 0, 0, 0};
};

struct PlayerRecord {
  PlayerId id = 0;
  uint32_t joinOrder = 0;  // the host's is 0; migration picks the lowest of the rest
  std::string name;
  std::vector<uint8_t> data;
  std::string address;     // where the player accepts members should it become host
  uint16_t port = 0;
  std::vector<uint8_t> secretDigest;  // Sha256 of the player's rejoin secret
};

struct GroupRecord {
  PlayerId id = 0;
  std::string name;
  std::vector<PlayerId> members;
};

struct Hello {
  uint32_t magic = kMagic;
  uint16_t version = kVersion;
  Guid application;
  Guid instance;
  uint8_t flags = 0;
  PlayerId rejoinAs = 0;   // the own player of a rejoining member (0: none)
  uint16_t listenPort = 0;
  std::string password;
  std::string name;
  std::vector<uint8_t> data;
  std::vector<uint8_t> connectData;
  std::vector<uint8_t> secret;  // a rejoining member's proof that it is rejoinAs
};

struct Welcome {
  PlayerId you = 0;
  PlayerId host = 0;
  uint32_t nextJoinOrder = 0;
  Description description;
  std::vector<PlayerRecord> players;  // in join order, the joiner included
  std::vector<GroupRecord> groups;    // in creation order
  std::vector<uint8_t> secret;        // the new player's rejoin secret; empty when none is new
};

// A player made for a member that joined without one, with its rejoin secret.
struct OwnPlayer {
  PlayerRecord record;
  std::vector<uint8_t> secret;
};

struct Refuse {
  Result result = Result::HostRejectedConnection;
  std::vector<uint8_t> reply;
};

struct PlayerLeft {
  PlayerId id = 0;
  uint32_t reason = 0;  // DestroyReason
};

struct PlayerInfo {
  PlayerId id = 0;  // ignored from a member: it can only change its own
  uint32_t fields = 0;
  std::string name;
  std::vector<uint8_t> data;
};

struct Data {
  PlayerId from = 0;  // set by the host
  PlayerId to = 0;    // 0: every player
  uint32_t flags = 0;
  std::vector<uint8_t> payload;
};

struct GroupAdded {
  PlayerId group = 0;
  PlayerId player = 0;
};

struct Terminate {
  std::vector<uint8_t> data;
};

std::vector<uint8_t> Encode(const Hello& v);
std::vector<uint8_t> Encode(const Welcome& v);
std::vector<uint8_t> Encode(const Refuse& v);
std::vector<uint8_t> Encode(const PlayerRecord& v);
std::vector<uint8_t> Encode(const OwnPlayer& v);
std::vector<uint8_t> Encode(const PlayerLeft& v);
std::vector<uint8_t> Encode(const PlayerInfo& v);
std::vector<uint8_t> Encode(const Data& v);
std::vector<uint8_t> Encode(const Description& v);
std::vector<uint8_t> Encode(const GroupRecord& v);
std::vector<uint8_t> Encode(const GroupAdded& v);
std::vector<uint8_t> Encode(const Terminate& v);

// Each decoder takes the whole payload and gives nothing unless it reads exactly to its end
// with every length and count inside the bytes.
std::optional<Hello> DecodeHello(std::span<const uint8_t> payload);
std::optional<Welcome> DecodeWelcome(std::span<const uint8_t> payload);
std::optional<Refuse> DecodeRefuse(std::span<const uint8_t> payload);
std::optional<PlayerRecord> DecodePlayerRecord(std::span<const uint8_t> payload);
std::optional<OwnPlayer> DecodeOwnPlayer(std::span<const uint8_t> payload);
std::optional<PlayerLeft> DecodePlayerLeft(std::span<const uint8_t> payload);
std::optional<PlayerInfo> DecodePlayerInfo(std::span<const uint8_t> payload);
std::optional<Data> DecodeData(std::span<const uint8_t> payload);
std::optional<Description> DecodeDescription(std::span<const uint8_t> payload);
std::optional<GroupRecord> DecodeGroupRecord(std::span<const uint8_t> payload);
std::optional<GroupAdded> DecodeGroupAdded(std::span<const uint8_t> payload);
std::optional<Terminate> DecodeTerminate(std::span<const uint8_t> payload);

// ----- Enumeration datagrams (UDP) -----

enum class DatagramKind : uint16_t { Query = 1, Response = 2 };

struct EnumQuery {
  Guid application;  // null: any
  uint32_t queryId = 0;
  uint32_t sentTick = 0;  // echoed, for the round-trip time
};

struct EnumResponse {
  uint32_t queryId = 0;
  uint32_t sentTick = 0;
  uint16_t port = 0;  // the host's TCP port
  Description description;  // without the password
};

std::vector<uint8_t> EncodeDatagram(const EnumQuery& v);
std::vector<uint8_t> EncodeDatagram(const EnumResponse& v);
// Datagrams that are not ours (magic, version) or do not decode exactly give nothing.
std::optional<EnumQuery> DecodeEnumQuery(std::span<const uint8_t> datagram);
std::optional<EnumResponse> DecodeEnumResponse(std::span<const uint8_t> datagram);

}  // namespace dplay::wire
