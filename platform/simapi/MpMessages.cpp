#include "platform/simapi/MpMessages.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/win/Codepage.h"

namespace mp {
namespace {

// Reads little-endian fields of received bytes; a field that does not lie wholly inside them
// reads as nothing.
class LeReader {
 public:
  explicit LeReader(Bytes bytes) : m_bytes(bytes) {}

  std::optional<uint32_t> U32(size_t offset) const {
    if (offset > m_bytes.size() || m_bytes.size() - offset < 4) return std::nullopt;
    return static_cast<uint32_t>(m_bytes[offset]) | static_cast<uint32_t>(m_bytes[offset + 1]) << 8 |
           static_cast<uint32_t>(m_bytes[offset + 2]) << 16 | static_cast<uint32_t>(m_bytes[offset + 3]) << 24;
  }
  std::optional<int32_t> I32(size_t offset) const {
    const auto u = U32(offset);
    if (!u) return std::nullopt;
    return static_cast<int32_t>(*u);
  }
  // Text from `offset` up to its NUL, `maxChars` characters or the end of the bytes.
  std::string Text(size_t offset, size_t maxChars) const {
    if (offset >= m_bytes.size()) return {};
    const size_t limit = std::min(maxChars, m_bytes.size() - offset);
    size_t n = 0;
    while (n < limit && m_bytes[offset + n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(m_bytes.data() + offset), n);
  }
  size_t Size() const { return m_bytes.size(); }

 private:
  Bytes m_bytes;
};

void PutU32(std::vector<uint8_t>& out, size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<uint8_t> Message(uint32_t id, uint32_t length, size_t size) {
  std::vector<uint8_t> out(size, 0);
  PutU32(out, 0, id);
  PutU32(out, 4, length);
  return out;
}

// Units of the position block.
constexpr double kMetresPerDegreeLatitude = 40007000.0 / 360.0;
constexpr double kDegreesPerLongitudeUnit = 8.38190317349087e-8;  // 360 / 4294967295
constexpr double kFeetPerMetre = 3.28083989501312;
constexpr double kFixedOne = 65536.0;  // 16.16 fixed point
constexpr double kKnotsPerMetrePerSecond = 3600.0 / 1852.0;
constexpr size_t kPositionBlockSize = 16;

// Heading, latitude, longitude and altitude of the 16 bytes at `offset`.
std::optional<Report> ReadPositionBlock(const LeReader& r, size_t offset, Report report) {
  const auto headingWord = r.U32(offset);
  const auto lat = r.I32(offset + 4);
  const auto lon = r.I32(offset + 8);
  const auto alt = r.I32(offset + 12);
  if (!headingWord || !lat || !lon || !alt) return std::nullopt;
  report.heading = static_cast<float>(((*headingWord >> 2) & 0x3FF) / 1024.0 * 360.0);
  report.latitude = static_cast<float>(*lat / kMetresPerDegreeLatitude);
  report.longitude = static_cast<float>(*lon * kDegreesPerLongitudeUnit);
  report.altitude = static_cast<float>(*alt * kFeetPerMetre);
  return report;
}

// Speeds 1 to 3 (16.16 fixed point) and speed 4 (16.16 metres per second, kept in knots).
bool ReadSpeeds(const LeReader& r, size_t first, size_t fourth, Report& report) {
  for (int i = 0; i < 3; ++i) {
    const auto v = r.I32(first + 4 * static_cast<size_t>(i));
    if (!v) return false;
    report.speeds[i] = static_cast<float>(*v / kFixedOne);
  }
  const auto v4 = r.U32(fourth);
  if (!v4) return false;
  report.speeds[3] = static_cast<float>(*v4 / kFixedOne * kKnotsPerMetrePerSecond);
  return true;
}

int32_t ClampToI32(double v) {
  if (!std::isfinite(v)) return 0;
  v = std::round(v);
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

uint32_t ClampToU32(double v) {
  if (!std::isfinite(v) || v <= 0) return 0;
  v = std::round(v);
  return v >= 4294967295.0 ? UINT32_MAX : static_cast<uint32_t>(v);
}

void PutPositionBlock(std::vector<uint8_t>& out, size_t offset, const AircraftReport& a) {
  double heading = std::fmod(a.heading, 360.0);
  if (!std::isfinite(heading)) heading = 0;
  if (heading < 0) heading += 360.0;
  const uint32_t headingUnits = static_cast<uint32_t>(std::lround(heading / 360.0 * 1024.0)) & 0x3FF;
  PutU32(out, offset, headingUnits << 2);
  PutU32(out, offset + 4, static_cast<uint32_t>(ClampToI32(a.latitude * kMetresPerDegreeLatitude)));
  PutU32(out, offset + 8, static_cast<uint32_t>(ClampToI32(a.longitude / kDegreesPerLongitudeUnit)));
  PutU32(out, offset + 12, static_cast<uint32_t>(ClampToI32(a.altitudeFeet / kFeetPerMetre)));
}

void PutSpeeds(std::vector<uint8_t>& out, size_t first, size_t fourth, const AircraftReport& a) {
  PutU32(out, first, static_cast<uint32_t>(ClampToI32(a.northVelocity * kFixedOne)));
  PutU32(out, first + 4, static_cast<uint32_t>(ClampToI32(a.eastVelocity * kFixedOne)));
  PutU32(out, first + 8, static_cast<uint32_t>(ClampToI32(a.verticalVelocity * kFixedOne)));
  PutU32(out, fourth, ClampToU32(a.groundSpeed / kKnotsPerMetrePerSecond * kFixedOne));
}

// Field offsets of the older session's reports; the simulator moved the position block by four
// bytes after version 61.
struct Dp4Layout {
  uint32_t positionMinLength;
  size_t positionBlock;
  uint32_t stateMinLength;
  size_t stateBlock;
};
Dp4Layout LayoutFor(int simVersion) {
  if (simVersion > 61) return {36, 20, 52, 36};
  return {32, 16, 48, 32};
}
constexpr size_t kDp4PositionSequence = 12;
constexpr size_t kDp4StateSequence = 8;
constexpr size_t kDp4StateSpeeds = 16;
constexpr size_t kDp4StateSpeed4 = 28;

constexpr size_t kDp8PositionSequence = 12;
constexpr size_t kDp8PositionBlock = 20;
constexpr size_t kDp8StateSequence = 8;
constexpr size_t kDp8StateSpeeds = 16;
constexpr size_t kDp8StateSpeed4 = 28;
constexpr size_t kDp8StateBlock = 36;

constexpr size_t kPeerTextOffset = 12;
constexpr size_t kMaxNameChars = 30;

}  // namespace

const Guid& Dp4Application(int simVersion) {
  static constexpr Guid k61{0xCC080A27, 0x6D4E, 0x11D0, {0x8E, 0x21, 0x00, 0xA0, 0xC9, 0x05, 0x42, 0xEF}};
  static constexpr Guid k70{0x1F0CB318, 0xF159, 0x432F, {0x8C, 0x38, 0x8C, 0xE7, 0x53, 0xA0, 0x3C, 0xDA}};
  static constexpr Guid kLater{0x97C62470, 0x5F53, 0x4098, {0xA8, 0xBB, 0x7F, 0x1F, 0x93, 0xB9, 0x4D, 0x93}};
  if (simVersion == 61) return k61;
  if (simVersion == 70) return k70;
  return kLater;
}

std::optional<MessageHeader> ReadHeader(Bytes message) {
  const LeReader r(message);
  const auto id = r.U32(0);
  const auto length = r.U32(4);
  if (!id || !length) return std::nullopt;
  return MessageHeader{*id, *length};
}

std::optional<Report> DecodeDp8Report(Bytes message) {
  const auto h = ReadHeader(message);
  if (!h) return std::nullopt;
  const LeReader r(message);
  Report report;
  if (h->id == dp8::kPosition) {
    if (h->length < dp8::kPositionMinLength) return std::nullopt;
    const auto seq = r.U32(kDp8PositionSequence);
    if (!seq) return std::nullopt;
    report.sequence = *seq;
    return ReadPositionBlock(r, kDp8PositionBlock, report);
  }
  if (h->id == dp8::kState) {
    if (h->length < dp8::kStateMinLength) return std::nullopt;
    const auto seq = r.U32(kDp8StateSequence);
    if (!seq || !ReadSpeeds(r, kDp8StateSpeeds, kDp8StateSpeed4, report)) return std::nullopt;
    report.sequence = *seq;
    return ReadPositionBlock(r, kDp8StateBlock, report);
  }
  return std::nullopt;
}

std::optional<Report> DecodeDp4Report(Bytes message, int simVersion) {
  const auto h = ReadHeader(message);
  if (!h) return std::nullopt;
  const LeReader r(message);
  const Dp4Layout layout = LayoutFor(simVersion);
  Report report;
  if (h->id == dp4::kPosition) {
    if (h->length < layout.positionMinLength) return std::nullopt;
    const auto seq = r.U32(kDp4PositionSequence);
    if (!seq) return std::nullopt;
    report.sequence = *seq;
    return ReadPositionBlock(r, layout.positionBlock, report);
  }
  if (h->id == dp4::kState) {
    if (h->length < layout.stateMinLength) return std::nullopt;
    const auto seq = r.U32(kDp4StateSequence);
    if (!seq || !ReadSpeeds(r, kDp4StateSpeeds, kDp4StateSpeed4, report)) return std::nullopt;
    report.sequence = *seq;
    // The simulator's peers send this form of the report with the speed scaled up by pi.
    if (message.size() == h->length) report.speeds[3] = static_cast<float>(report.speeds[3] / M_PI);
    return ReadPositionBlock(r, layout.stateBlock, report);
  }
  return std::nullopt;
}

bool IsNewerSequenceDp8(uint32_t last, uint32_t next) {
  const uint32_t d = next - last;
  return d != 0 && d < 0x80000000u;
}

bool IsNewerSequenceDp4(uint32_t last, uint32_t next) {
  const uint32_t d = next - last;
  return d != 0 && d <= 0x80000000u;
}

std::vector<uint8_t> EncodeDp8Report(uint32_t id, uint32_t sequence, const AircraftReport& a) {
  if (id == dp8::kState) {
    std::vector<uint8_t> out = Message(id, dp8::kStateMinLength, dp8::kStateMinLength);
    PutU32(out, kDp8StateSequence, sequence);
    PutSpeeds(out, kDp8StateSpeeds, kDp8StateSpeed4, a);
    PutPositionBlock(out, kDp8StateBlock, a);
    return out;
  }
  std::vector<uint8_t> out = Message(dp8::kPosition, dp8::kPositionMinLength, dp8::kPositionMinLength);
  PutU32(out, kDp8PositionSequence, sequence);
  PutPositionBlock(out, kDp8PositionBlock, a);
  return out;
}

std::vector<uint8_t> EncodeDp4Report(uint32_t id, uint32_t sequence, const AircraftReport& a, int simVersion) {
  const Dp4Layout layout = LayoutFor(simVersion);
  if (id == dp4::kState) {
    std::vector<uint8_t> out = Message(id, layout.stateMinLength, kHeaderSize + layout.stateMinLength);
    PutU32(out, kDp4StateSequence, sequence);
    PutSpeeds(out, kDp4StateSpeeds, kDp4StateSpeed4, a);
    PutPositionBlock(out, layout.stateBlock, a);
    return out;
  }
  std::vector<uint8_t> out =
      Message(dp4::kPosition, layout.positionMinLength, kHeaderSize + layout.positionMinLength);
  PutU32(out, kDp4PositionSequence, sequence);
  PutPositionBlock(out, layout.positionBlock, a);
  return out;
}

std::vector<uint8_t> EncodeBare(uint32_t id) { return Message(id, 0, kHeaderSize); }

std::vector<uint8_t> EncodePlayerId(uint32_t id, uint32_t playerId) {
  std::vector<uint8_t> out = Message(id, 4, kHeaderSize + 4);
  PutU32(out, 8, playerId);
  return out;
}

std::vector<uint8_t> EncodePublicNotice(bool isPublic) { return EncodePlayerId(dp4::kPublicNotice, isPublic ? 1 : 0); }

std::vector<uint8_t> EncodePlanAnswer(uint32_t id, Bytes image) {
  std::vector<uint8_t> out = Message(id, static_cast<uint32_t>(image.size()), kHeaderSize + image.size());
  if (!image.empty()) std::memcpy(out.data() + kHeaderSize, image.data(), image.size());
  return out;
}

std::optional<uint32_t> DecodePlayerId(Bytes message) {
  const auto h = ReadHeader(message);
  if (!h || h->length < 4) return std::nullopt;
  return LeReader(message).U32(kHeaderSize);
}

std::optional<bool> DecodePublicNotice(Bytes message) {
  const auto v = DecodePlayerId(message);
  if (!v) return std::nullopt;
  return *v != 0;
}

std::optional<Bytes> DecodePlanAnswer(Bytes message) {
  const auto h = ReadHeader(message);
  if (!h || h->length > message.size() - kHeaderSize) return std::nullopt;
  return message.subspan(kHeaderSize, h->length);
}

std::optional<std::string> DecodePeerText(Bytes message) {
  if (message.size() < kPeerTextOffset) return std::nullopt;
  return LeReader(message).Text(kPeerTextOffset, kPeerTextSize);
}

std::vector<uint8_t> EncodePeerBlock(uint32_t flags, std::string_view text) {
  std::vector<uint8_t> out(sizeof(MpPeerBlock), 0);
  PutU32(out, 0, flags);
  const size_t n = std::min(text.size(), kPeerTextSize - 1);
  if (n > 0) std::memcpy(out.data() + 4, text.data(), n);
  return out;
}

std::optional<PeerInfo> DecodePeerBlock(Bytes data) {
  if (data.size() < sizeof(MpPeerBlock)) return std::nullopt;
  const LeReader r(data.first(sizeof(MpPeerBlock)));
  PeerInfo info;
  info.flags = *r.U32(0) & kPeerReadFlags;
  info.text = r.Text(4, kPeerTextSize);
  return info;
}

std::vector<uint8_t> EncodeConnectData(bool observer, std::string_view name) {
  const std::u16string wide = win::Cp1252ToUtf16(name);
  const size_t nameSize = (wide.size() + 1) * 2;
  std::vector<uint8_t> out(sizeof(MpConnectData) + nameSize, 0);
  PutU32(out, 0, observer ? 1u : 0u);
  PutU32(out, 4, sizeof(MpConnectData));
  PutU32(out, 8, static_cast<uint32_t>(nameSize));
  for (size_t i = 0; i < wide.size(); ++i) {
    out[sizeof(MpConnectData) + 2 * i] = static_cast<uint8_t>(wide[i]);
    out[sizeof(MpConnectData) + 2 * i + 1] = static_cast<uint8_t>(wide[i] >> 8);
  }
  return out;
}

std::optional<ConnectRequest> DecodeConnectData(Bytes data) {
  if (data.size() < kMinConnectDataSize) return std::nullopt;
  ConnectRequest request;
  request.observer = (*LeReader(data).U32(0) & 1u) != 0;
  std::u16string wide;
  for (size_t at = sizeof(MpConnectData); at + 1 < data.size(); at += 2) {
    const char16_t c = static_cast<char16_t>(data[at] | data[at + 1] << 8);
    if (c == 0) break;
    wide += c;
  }
  request.name = win::Utf16ToCp1252(wide);
  if (request.name.size() > kMaxNameChars) request.name.resize(kMaxNameChars);
  return request;
}

std::vector<uint8_t> EncodeSessionReserved(uint32_t pilotLimit, uint32_t observerLimit, std::string_view comment) {
  std::vector<uint8_t> out(sizeof(MpSessionReserved), 0);
  PutU32(out, 4, pilotLimit);
  PutU32(out, 8, observerLimit);
  const size_t n = std::min(comment.size(), sizeof(MpSessionReserved::comment));
  if (n > 0) std::memcpy(out.data() + 12, comment.data(), n);
  return out;
}

SessionLimits ReadSessionLimits(Bytes reserved, uint32_t maxPlayers) {
  if (reserved.size() < sizeof(MpSessionReserved)) return {maxPlayers, 0};
  const LeReader r(reserved);
  return {*r.U32(4), *r.U32(8)};
}

std::string ReadSessionComment(Bytes reserved) {
  if (reserved.size() < sizeof(MpSessionReserved)) return {};
  return LeReader(reserved).Text(12, sizeof(MpSessionReserved::comment));
}

bool WriteSessionLimits(std::vector<uint8_t>& reserved, const SessionLimits& limits) {
  if (reserved.size() < sizeof(MpSessionReserved)) return false;
  PutU32(reserved, 4, limits.pilots);
  PutU32(reserved, 8, limits.observers);
  return true;
}

uint32_t CountPilots(std::span<const MemberView> members) {
  return static_cast<uint32_t>(std::count_if(members.begin(), members.end(), [](const MemberView& m) { return !m.observer; }));
}

uint32_t CountObservers(std::span<const MemberView> members) {
  return static_cast<uint32_t>(members.size()) - CountPilots(members);
}

const char* AdmissionReplyText(unsigned replyId) {
  switch (replyId) {
    case kReplyDuplicateCallsign: return "Duplicate callsign.";
    case kReplyNoMorePilots: return "No more players allowed.";
    case kReplyNoMoreObservers: return "No more observers allowed.";
    default: return "";
  }
}

std::vector<uint8_t> AdmissionReplyBytes(unsigned replyId) {
  const std::string_view text = AdmissionReplyText(replyId);
  std::vector<uint8_t> out(text.begin(), text.end());
  out.push_back(0);
  return out;
}

Admission DecideDp8Admission(Bytes connectData, const SessionLimits& limits, std::span<const MemberView> members) {
  const auto request = DecodeConnectData(connectData);
  if (!request) return {};
  if (!request->observer && CountPilots(members) >= limits.pilots) return {false, kReplyNoMorePilots};
  if (request->observer && CountObservers(members) >= limits.observers) return {false, kReplyNoMoreObservers};
  for (const MemberView& m : members) {
    if (win::EqualsNoCase(m.name, request->name)) return {false, kReplyDuplicateCallsign};
  }
  return {true, 0};
}

SessionCounts UnpackCounts(uint32_t user1) {
  return {static_cast<uint8_t>(user1), static_cast<uint8_t>(user1 >> 8), static_cast<uint8_t>(user1 >> 16),
          static_cast<uint8_t>(user1 >> 24)};
}

uint32_t PackCounts(const SessionCounts& c) {
  return uint32_t{c.observersAdmitted} | uint32_t{c.observerLimit} << 8 | uint32_t{c.pilotsAdmitted} << 16 |
         uint32_t{c.pilotLimit} << 24;
}

namespace {
uint8_t Up(uint8_t v) { return v == UINT8_MAX ? v : static_cast<uint8_t>(v + 1); }
uint8_t Down(uint8_t v) { return v == 0 ? v : static_cast<uint8_t>(v - 1); }
}  // namespace

std::optional<Dp4Decision> DecideDp4Admission(uint32_t requestId, bool hasRecord, uint32_t kind,
                                              const SessionCounts& counts) {
  Dp4Decision d;
  d.after = counts;
  switch (requestId) {
    case dp4::kPilotRequest:
    case dp4::kForcedPilotRequest: {
      const bool forced = requestId == dp4::kForcedPilotRequest;
      if (hasRecord && ((kind == dp4::kKindUnknown && counts.pilotsAdmitted < counts.pilotLimit) || forced)) {
        d.answer = dp4::kPilotGranted;
        if (kind == dp4::kKindUnknown) {
          d.counts = true;
          d.after.pilotsAdmitted = Up(counts.pilotsAdmitted);
          d.kind = dp4::kKindPilot;
        }
      } else {
        d.answer = dp4::kPilotRefused;
      }
      return d;
    }
    case dp4::kObserverRequest:
    case dp4::kForcedObserverRequest: {
      const bool forced = requestId == dp4::kForcedObserverRequest;
      if (hasRecord &&
          ((kind == dp4::kKindUnknown && counts.observersAdmitted < counts.observerLimit) || forced)) {
        d.answer = dp4::kObserverGranted;
        if (kind == dp4::kKindUnknown) {
          d.counts = true;
          d.after.observersAdmitted = Up(counts.observersAdmitted);
          d.kind = dp4::kKindObserver;
        }
      } else {
        d.answer = dp4::kObserverRefused;
      }
      return d;
    }
    case dp4::kMoveToObservers:
    case dp4::kForcedMoveToObservers: {
      const bool forced = requestId == dp4::kForcedMoveToObservers;
      if (hasRecord && ((kind == dp4::kKindPilot && counts.observersAdmitted < counts.observerLimit) || forced)) {
        d.answer = dp4::kMoveAccepted;
        if (kind == dp4::kKindPilot) {
          d.counts = true;
          d.after.pilotsAdmitted = Down(counts.pilotsAdmitted);
          d.after.observersAdmitted = Up(counts.observersAdmitted);
          d.kind = dp4::kKindObserver;
        }
      } else {
        d.answer = dp4::kMoveRefused;
      }
      return d;
    }
    default:
      return std::nullopt;
  }
}

SessionCounts CountsAfterLeave(const SessionCounts& counts, uint32_t kind) {
  SessionCounts c = counts;
  if (kind == dp4::kKindPilot) c.pilotsAdmitted = Down(c.pilotsAdmitted);
  if (kind == dp4::kKindObserver) c.observersAdmitted = Down(c.observersAdmitted);
  return c;
}

uint32_t Dp4LimitCeiling(int simVersion) { return simVersion < 80 ? 255 : 16; }

Dp4Limits ApplyDp4Limits(const SessionCounts& counts, uint32_t currentPlayers, uint32_t pilotLimit,
                         uint32_t observerLimit, int simVersion) {
  const uint32_t ceiling = Dp4LimitCeiling(simVersion);
  const uint32_t pilotFloor = std::max<uint32_t>(counts.pilotsAdmitted, 2);
  uint32_t pilots = std::clamp(pilotLimit, std::min(pilotFloor, ceiling), ceiling);
  const uint32_t observers = std::clamp(observerLimit, std::min<uint32_t>(counts.observersAdmitted, ceiling), ceiling);
  if (pilots + observers < currentPlayers) pilots = std::min<uint32_t>(currentPlayers - observers, UINT8_MAX);
  Dp4Limits out;
  out.counts = counts;
  out.counts.pilotLimit = static_cast<uint8_t>(pilots);
  out.counts.observerLimit = static_cast<uint8_t>(observers);
  out.maxPlayers = pilots + observers;
  return out;
}

}  // namespace mp
