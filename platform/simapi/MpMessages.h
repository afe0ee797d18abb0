#pragma once
// The host simulator's multiplayer formats, shared by the module's sessions and the stand-in
// simulator's session host: application ids and group names, the application messages and their
// position reports, the peer block, the connect data, the session's reserved data and admission
// counts, and the admission rules a session host applies. Every decoder takes received bytes as
// hostile: a field that does not lie in the bytes is never read, and a message whose fields do
// not fit is dropped whole.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mp {

using Bytes = std::span<const uint8_t>;

// A GUID in the Windows field layout.
struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};
  friend constexpr bool operator==(const Guid&, const Guid&) = default;
};

// The host simulator's application id of its newer (version 90) session.
inline constexpr Guid kDp8Application{0x0808CAA5, 0xE62C, 0x4691, {0x89, 0x57, 0x5D, 0x45, 0x24, 0xB9, 0x22, 0xDA}};
// The older session's application id of a simulator version (61, 70, anything else).
const Guid& Dp4Application(int simVersion);

// Groups of the older session: members of the first are not sent the host's parameters; the
// second is looked up and never used.
inline constexpr const char* kGroupRefuseParams = "FS61_REFUSE_PARAMS";
inline constexpr const char* kGroupRequestParams = "FS61_REQUEST_PARAMS";
// The newer session's one group, which the host puts observers into.
inline constexpr const char* kGroupObservers = "Observers";

// Every application message starts with these two fields.
inline constexpr size_t kHeaderSize = 8;
struct MessageHeader {
  uint32_t id = 0;
  uint32_t length = 0;  // the host simulator's peers: the whole size; the module's: the payload
};
// Nothing for fewer than 8 bytes.
std::optional<MessageHeader> ReadHeader(Bytes message);

// Ids of the newer session.
namespace dp8 {
inline constexpr uint32_t kPeerText = 0x1003;
inline constexpr uint32_t kPosition = 0x100C;
inline constexpr uint32_t kState = 0x100D;
inline constexpr uint32_t kPlanRequest = 0xEFFE;
inline constexpr uint32_t kPlanAnswer = 0xEFFF;
inline constexpr uint32_t kPositionMinLength = 36;
inline constexpr uint32_t kStateMinLength = 52;
}  // namespace dp8

// Ids of the older session.
namespace dp4 {
inline constexpr uint32_t kPilotRequest = 0x1001;
inline constexpr uint32_t kObserverRequest = 0x1002;
inline constexpr uint32_t kPilotGranted = 0x1003;
inline constexpr uint32_t kObserverGranted = 0x1004;
inline constexpr uint32_t kPilotRefused = 0x1005;
inline constexpr uint32_t kObserverRefused = 0x1006;
inline constexpr uint32_t kStatusQuery = 0x1007;
inline constexpr uint32_t kForcedPilotRequest = 0x1008;
inline constexpr uint32_t kForcedObserverRequest = 0x1009;
inline constexpr uint32_t kMoveToObservers = 0x100A;
inline constexpr uint32_t kForcedMoveToObservers = 0x100B;
inline constexpr uint32_t kMoveAccepted = 0x100C;
inline constexpr uint32_t kMoveRefused = 0x100D;
inline constexpr uint32_t kRemoved = 0x1016;
inline constexpr uint32_t kPosition = 0x1018;
inline constexpr uint32_t kState = 0x1019;
inline constexpr uint32_t kPublicNotice = 0xE000;
inline constexpr uint32_t kPlanRequest = 0xE001;
inline constexpr uint32_t kPlanAnswer = 0xE002;

// Player kinds as the records and the admission keep them.
inline constexpr uint32_t kKindUnknown = 0;
inline constexpr uint32_t kKindPilot = 1;
inline constexpr uint32_t kKindObserver = 2;
}  // namespace dp4

// A position report as the records keep it. Speeds 1 to 3 in feet per second (north, east,
// third value as sent), speed 4 in knots; all four 0 for reports that carry no velocities.
struct Report {
  uint32_t sequence = 0;
  float speeds[4] = {0, 0, 0, 0};
  float heading = 0;    // degrees, 0 to 360
  float latitude = 0;   // degrees
  float longitude = 0;  // degrees
  float altitude = 0;   // feet
};

// 0x100C and 0x100D of the newer session's peers; nothing for any other id or a report whose
// length field is below its minimum or whose fields leave the bytes.
std::optional<Report> DecodeDp8Report(Bytes message);
// 0x1018 and 0x1019 of the older session at a simulator version (offsets differ at 61 and below).
std::optional<Report> DecodeDp4Report(Bytes message, int simVersion);

// Whether a report's sequence follows the last accepted one: the difference next - last in
// unsigned 32-bit arithmetic lies in (0, 2^31) for the newer session, (0, 2^31] for the older.
bool IsNewerSequenceDp8(uint32_t last, uint32_t next);
bool IsNewerSequenceDp4(uint32_t last, uint32_t next);

// What a report says of an aircraft, for the stand-in simulator's reports. Velocities in feet
// per second, ground speed in knots.
struct AircraftReport {
  double latitude = 0;
  double longitude = 0;
  double altitudeFeet = 0;
  double heading = 0;  // degrees true
  double northVelocity = 0;
  double eastVelocity = 0;
  double verticalVelocity = 0;
  double groundSpeed = 0;
};
// The newer session's 0x100C (no velocities) or 0x100D, as a peer sends them (whole size in the
// length field).
std::vector<uint8_t> EncodeDp8Report(uint32_t id, uint32_t sequence, const AircraftReport& a);
// The older session's 0x1018 or 0x1019 at a simulator version. The length field gives the bytes
// after the header, so a 0x1019 never matches its size and decodes to its true speed.
std::vector<uint8_t> EncodeDp4Report(uint32_t id, uint32_t sequence, const AircraftReport& a, int simVersion);

// A message of the header alone (length 0).
std::vector<uint8_t> EncodeBare(uint32_t id);
// The older session's grants and status answers: the player id after the header (length 4).
std::vector<uint8_t> EncodePlayerId(uint32_t id, uint32_t playerId);
// The older session's public-plan notice (length 4, value 0 or 1).
std::vector<uint8_t> EncodePublicNotice(bool isPublic);
// A plan answer of either session: the image after the header, its size in the length field.
std::vector<uint8_t> EncodePlanAnswer(uint32_t id, Bytes image);

// The player id of 0x1003/0x1004 of the older session: needs a length field of at least 4 and
// the id inside the bytes.
std::optional<uint32_t> DecodePlayerId(Bytes message);
// The value of 0xE000, under the same conditions.
std::optional<bool> DecodePublicNotice(Bytes message);
// The image of a plan answer: nothing when the length field names more bytes than follow the
// header.
std::optional<Bytes> DecodePlanAnswer(Bytes message);
// The text of the newer session's 0x1003 at offset 12: up to its NUL, the end of the bytes or
// 264 characters; nothing when the bytes end before offset 12.
std::optional<std::string> DecodePeerText(Bytes message);

// The player's peer information data of the newer session.
inline constexpr uint32_t kPeerObserver = 1u << 0;
inline constexpr uint32_t kPeerHostBits = (1u << 1) | (1u << 2);  // the simulator's, not interpreted
inline constexpr uint32_t kPeerPublicPlan = 1u << 23;
inline constexpr uint32_t kPeerReadFlags = kPeerObserver | kPeerHostBits | kPeerPublicPlan;
inline constexpr size_t kPeerTextSize = 264;
inline constexpr const char* kModulePeerText = "Chartwright";

#pragma pack(push, 1)
struct MpPeerBlock {
  uint32_t flags = 0;
  char text[kPeerTextSize] = {};
};
static_assert(sizeof(MpPeerBlock) == 268);

// The session's application-reserved data; counts only when at least this long.
struct MpSessionReserved {
  uint32_t unused = 0;  // the simulator's, not read
  uint32_t pilotLimit = 0;
  uint32_t observerLimit = 0;
  char comment[32] = {};
};
static_assert(sizeof(MpSessionReserved) == 44);

// The fixed part of the connect data; the player name follows in UTF-16LE.
struct MpConnectData {
  uint32_t flags = 0;  // bit 0 observer
  uint32_t nameOffset = sizeof(MpConnectData);
  uint32_t nameSize = 0;  // bytes, terminator included
  uint8_t zero[12] = {};
};
static_assert(sizeof(MpConnectData) == 24);
#pragma pack(pop)

struct PeerInfo {
  uint32_t flags = 0;  // only the bits of kPeerReadFlags
  std::string text;    // at most 264 characters
};
std::vector<uint8_t> EncodePeerBlock(uint32_t flags, std::string_view text);
// Nothing for fewer than 268 bytes; the text ends at its NUL or at the block's end.
std::optional<PeerInfo> DecodePeerBlock(Bytes data);

// Connect data of a joining player: the name in code page 1252 (as UTF-16 on the wire).
inline constexpr size_t kMinConnectDataSize = 26;
std::vector<uint8_t> EncodeConnectData(bool observer, std::string_view name);
struct ConnectRequest {
  bool observer = false;
  std::string name;  // at most 30 characters
};
// Nothing below 26 bytes. The name ends at its terminator or the end of the data.
std::optional<ConnectRequest> DecodeConnectData(Bytes data);

// The two limits of the newer session.
struct SessionLimits {
  uint32_t pilots = 0;
  uint32_t observers = 0;
};
std::vector<uint8_t> EncodeSessionReserved(uint32_t pilotLimit, uint32_t observerLimit, std::string_view comment);
// From the reserved data when it is at least 44 bytes, else the description's maximum of
// players and no observers.
SessionLimits ReadSessionLimits(Bytes reserved, uint32_t maxPlayers);
// The comment (up to its NUL, at most 32 characters); empty unless the data holds 44 bytes.
std::string ReadSessionComment(Bytes reserved);
// Writes both limits into reserved data of at least 44 bytes; false (unchanged) otherwise.
bool WriteSessionLimits(std::vector<uint8_t>& reserved, const SessionLimits& limits);

// Names of newer-session players compared by the host's admission.
struct MemberView {
  bool observer = false;
  std::string_view name;
};
uint32_t CountPilots(std::span<const MemberView> members);
uint32_t CountObservers(std::span<const MemberView> members);

// Replies with which a host refuses a joining player; peers show the text.
inline constexpr unsigned kReplyDuplicateCallsign = 6513;
inline constexpr unsigned kReplyNoMorePilots = 6514;
inline constexpr unsigned kReplyNoMoreObservers = 6515;
const char* AdmissionReplyText(unsigned replyId);
// The reply bytes a refusal carries: the text and its NUL.
std::vector<uint8_t> AdmissionReplyBytes(unsigned replyId);

struct Admission {
  bool admit = false;
  unsigned reply = 0;  // 0: refused without a reply
};
// The newer session host's decision for a joining player with its connect data, against the
// limits and the players present (the host and the own module included).
Admission DecideDp8Admission(Bytes connectData, const SessionLimits& limits, std::span<const MemberView> members);

// Admission counts of the older session, carried in the session description's dwUser1.
struct SessionCounts {
  uint8_t observersAdmitted = 0;
  uint8_t observerLimit = 0;
  uint8_t pilotsAdmitted = 0;
  uint8_t pilotLimit = 0;
  friend bool operator==(const SessionCounts&, const SessionCounts&) = default;
};
SessionCounts UnpackCounts(uint32_t user1);
uint32_t PackCounts(const SessionCounts& counts);

// The older session host's answer to an admission or move request from a player.
struct Dp4Decision {
  uint32_t answer = 0;  // message id sent back to the sender
  bool counts = false;  // when the answer went out: write `after` and set the kind to `kind`
  SessionCounts after;
  uint32_t kind = 0;
};
// Nothing for ids other than the six requests. `kind` is ignored without a record.
std::optional<Dp4Decision> DecideDp4Admission(uint32_t requestId, bool hasRecord, uint32_t kind,
                                              const SessionCounts& counts);
// The counts after a player of `kind` left.
SessionCounts CountsAfterLeave(const SessionCounts& counts, uint32_t kind);

// Highest limit the older session's host settings offer: one byte below version 80, the
// simulator's 16 players from 80 on.
uint32_t Dp4LimitCeiling(int simVersion);
struct Dp4Limits {
  SessionCounts counts;
  uint32_t maxPlayers = 0;
};
// New limits as the older session host applies them: each kept within what its byte and the
// admitted players allow, the pilots raised until both limits hold the players present.
Dp4Limits ApplyDp4Limits(const SessionCounts& counts, uint32_t currentPlayers, uint32_t pilotLimit,
                         uint32_t observerLimit, int simVersion);

}  // namespace mp
