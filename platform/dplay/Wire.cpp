#include "platform/dplay/Wire.h"

#include "platform/dplay/Bytes.h"

namespace dplay::wire {

namespace {

// Smallest encodings, so a count is checked against what its items need at least.
constexpr size_t kMinPlayerRecord = 4 + 4 + 4 + 4 + 4 + 2;
constexpr size_t kMinGroupRecord = 4 + 4 + 4;

void Put(ByteWriter& w, const Description& d) {
  w.U32(d.flags);
  w.GuidValue(d.instance);
  w.GuidValue(d.application);
  w.U32(d.maxPlayers);
  w.U32(d.currentPlayers);
  w.Text(d.name);
  w.Text(d.password);
  w.Blob(d.reserved);
  for (uint32_t u : d.user) w.U32(u);
}

Description GetDescription(ByteReader& r) {
  Description d;
  d.flags = r.U32();
  d.instance = r.GuidValue();
  d.application = r.GuidValue();
  d.maxPlayers = r.U32();
  d.currentPlayers = r.U32();
  d.name = r.Text();
  d.password = r.Text();
  d.reserved = r.Blob();
  for (uint32_t& u : d.user) u = r.U32();
  return d;
}

void Put(ByteWriter& w, const PlayerRecord& p) {
  w.U32(p.id);
  w.U32(p.joinOrder);
  w.Text(p.name);
  w.Blob(p.data);
  w.Text(p.address);
  w.U16(p.port);
}

PlayerRecord GetPlayerRecord(ByteReader& r) {
  PlayerRecord p;
  p.id = r.U32();
  p.joinOrder = r.U32();
  p.name = r.Text();
  p.data = r.Blob();
  p.address = r.Text();
  p.port = r.U16();
  return p;
}

void Put(ByteWriter& w, const GroupRecord& g) {
  w.U32(g.id);
  w.Text(g.name);
  w.U32(static_cast<uint32_t>(g.members.size()));
  for (PlayerId id : g.members) w.U32(id);
}

GroupRecord GetGroupRecord(ByteReader& r) {
  GroupRecord g;
  g.id = r.U32();
  g.name = r.Text();
  const uint32_t count = r.Count(4);
  g.members.reserve(count);
  for (uint32_t i = 0; i < count && r.Ok(); ++i) g.members.push_back(r.U32());
  return g;
}

template <typename T>
std::optional<T> Finish(ByteReader& r, T value) {
  if (!r.AtEnd()) return std::nullopt;
  return value;
}

void PutDatagramHeader(ByteWriter& w, DatagramKind kind) {
  w.U32(kMagic);
  w.U16(kVersion);
  w.U16(static_cast<uint16_t>(kind));
}

bool GetDatagramHeader(ByteReader& r, DatagramKind kind) {
  const uint32_t magic = r.U32();
  const uint16_t version = r.U16();
  const uint16_t k = r.U16();
  return r.Ok() && magic == kMagic && version == kVersion && k == static_cast<uint16_t>(kind);
}

}  // namespace

std::vector<uint8_t> EncodeFrame(FrameKind kind, std::span<const uint8_t> payload) {
  ByteWriter w;
  w.U32(static_cast<uint32_t>(payload.size()));
  w.U16(static_cast<uint16_t>(kind));
  w.Raw(payload.data(), payload.size());
  return w.Take();
}

void FrameDecoder::Feed(std::span<const uint8_t> bytes) {
  if (m_error) return;
  // Drop what was consumed before growing, so a long-lived link keeps one frame's worth.
  if (m_start > 0 && m_start == m_buffer.size()) {
    m_buffer.clear();
    m_start = 0;
  } else if (m_start > 65536 && m_start * 2 > m_buffer.size()) {
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<ptrdiff_t>(m_start));
    m_start = 0;
  }
  m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
}

FrameDecoder::Status FrameDecoder::Next(Frame& frame) {
  if (m_error) return Status::Error;
  const size_t available = m_buffer.size() - m_start;
  if (available < kFrameHeaderSize) return Status::NeedMore;
  ByteReader header(std::span<const uint8_t>(m_buffer).subspan(m_start, kFrameHeaderSize));
  const uint32_t length = header.U32();
  const uint16_t kind = header.U16();
  if (length > kMaxFramePayload) {
    m_error = true;
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_start = 0;
    return Status::Error;
  }
  if (available - kFrameHeaderSize < length) return Status::NeedMore;
  const auto begin = m_buffer.begin() + static_cast<ptrdiff_t>(m_start + kFrameHeaderSize);
  frame.kind = kind;
  frame.payload.assign(begin, begin + length);
  m_start += kFrameHeaderSize + length;
  return Status::Frame;
}

std::vector<uint8_t> Encode(const Hello& v) {
  ByteWriter w;
  w.U32(v.magic);
  w.U16(v.version);
  w.GuidValue(v.application);
  w.GuidValue(v.instance);
  w.U8(v.flags);
  w.U32(v.rejoinAs);
  w.U16(v.listenPort);
  w.Text(v.password);
  w.Text(v.name);
  w.Blob(v.data);
  w.Blob(v.connectData);
  return w.Take();
}

std::optional<Hello> DecodeHello(std::span<const uint8_t> payload) {
  ByteReader r(payload);
  Hello v;
  v.magic = r.U32();
  v.version = r.U16();
  v.application = r.GuidValue();
  v.instance = r.GuidValue();
  v.flags = r.U8();
  v.rejoinAs = r.U32();
  v.listenPort = r.U16();
  v.password = r.Text();
  v.name = r.Text();
  v.data = r.Blob();
  v.connectData = r.Blob();
  return Finish(r, std::move(v));
}

std::vector<uint8_t> Encode(const Welcome& v) {
  ByteWriter w;
  w.U32(v.you);
  w.U32(v.host);
  w.U32(v.nextJoinOrder);
  Put(w, v.description);
  w.U32(static_cast<uint32_t>(v.players.size()));
  for (const auto& p : v.players) Put(w, p);
  w.U32(static_cast<uint32_t>(v.groups.size()));
  for (const auto& g : v.groups) Put(w, g);
  return w.Take();
}

std::optional<Welcome> DecodeWelcome(std::span<const uint8_t> payload) {
  ByteReader r(payload);
  Welcome v;
  v.you = r.U32();
  v.host = r.U32();
  v.nextJoinOrder = r.U32();
  v.description = GetDescription(r);
  const uint32_t players = r.Count(kMinPlayerRecord);
  for (uint32_t i = 0; i < players && r.Ok(); ++i) v.players.push_back(GetPlayerRecord(r));
  const uint32_t groups = r.Count(kMinGroupRecord);
  for (uint32_t i = 0; i < groups && r.Ok(); ++i) v.groups.push_back(GetGroupRecord(r));
  return Finish(r, std::move(v));
}

std::vector<uint8_t> Encode(const Refuse& v) {
  ByteWriter w;
  w.U32(static_cast<uint32_t>(v.result));
  w.Blob(v.reply);
  return w.Take();
}

std::optional<Refuse> DecodeRefuse(std::span<const uint8_t> payload) {
  ByteReader r(payload);
  Refuse v;
  const uint32_t result = r.U32();
  // A result this side does not know still refuses; say so in the plainest terms.
  v.result = result <= static_cast<uint32_t>(Result::NoSessions) ? static_cast<Result>(result)
                                                                  : Result::HostRejectedConnection;
  v.reply = r.Blob();
  return Finish(r, std::move(v));
}

std::vector<uint8_t> Encode(const PlayerRecord& v) {
  ByteWriter w;
  Put(w, v);
  return w.Take();
}

std::optional<PlayerRecord> DecodePlayerRecord(std::span<const uint8_t> payload) {
  ByteReader r(payload);
  PlayerRecord v = GetPlayerRecord(r);
  return Finish(r, std::move(v));
}

std::vector<uint8_t> Encode(const PlayerLeft& v) {
  ByteWriter w;
  w.U32(v.id);
  w.U32(v.reason);
  return w.Take();
}

std::optional<PlayerLeft> DecodePlayerLeft(std::span<const uint8_t> payload) {
  ByteReader r(payload);
  PlayerLeft v;
  v.id = r.U32();
  v.reason = r.U32();
  return Finish(r, v);
}

std::vector<uint8_t> Encode(const PlayerInfo& v) {
  ByteWriter w;
  w.U32(v.id);
  w.U32(v.fields);
  w.Text(v.name);
  w.Blob(v.data);
  return w.Take();
}

std::optional<PlayerInfo> DecodePlayerInfo(std::span<const uint8_t> payload) {
  ByteReader r(payload);
  PlayerInfo v;
  v.id = r.U32();
  v.fields = r.U32();
  v.name = r.Text();
  v.data = r.Blob();
  return Finish(r, std::move(v));
}

std::vector<uint8_t> Encode(const Data& v) {
  ByteWriter w;
  w.U32(v.from);
  w.U32(v.to);
  w.U32(v.flags);
  w.Raw(v.payload.data(), v.payload.size());
  return w.Take();
}

std::optional<Data> DecodeData(std::span<const uint8_t> payload) {
  ByteReader r(payload);
  Data v;
  v.from = r.U32();
  v.to = r.U32();
  v.flags = r.U32();
  if (!r.Ok()) return std::nullopt;
  auto rest = r.Rest();
  v.payload.assign(rest.begin(), rest.end());
  return v;
}

std::vector<uint8_t> Encode(const Description& v) {
  ByteWriter w;
  Put(w, v);
  return w.Take();
}

std::optional<Description> DecodeDescription(std::span<const uint8_t> payload) {
  ByteReader r(payload);
  Description v = GetDescription(r);
  return Finish(r, std::move(v));
}

std::vector<uint8_t> Encode(const GroupRecord& v) {
  ByteWriter w;
  Put(w, v);
  return w.Take();
}

std::optional<GroupRecord> DecodeGroupRecord(std::span<const uint8_t> payload) {
  ByteReader r(payload);
  GroupRecord v = GetGroupRecord(r);
  return Finish(r, std::move(v));
}

std::vector<uint8_t> Encode(const GroupAdded& v) {
  ByteWriter w;
  w.U32(v.group);
  w.U32(v.player);
  return w.Take();
}

std::optional<GroupAdded> DecodeGroupAdded(std::span<const uint8_t> payload) {
  ByteReader r(payload);
  GroupAdded v;
  v.group = r.U32();
  v.player = r.U32();
  return Finish(r, v);
}

std::vector<uint8_t> Encode(const Terminate& v) {
  ByteWriter w;
  w.Blob(v.data);
  return w.Take();
}

std::optional<Terminate> DecodeTerminate(std::span<const uint8_t> payload) {
  ByteReader r(payload);
  Terminate v;
  v.data = r.Blob();
  return Finish(r, std::move(v));
}

std::vector<uint8_t> EncodeDatagram(const EnumQuery& v) {
  ByteWriter w;
  PutDatagramHeader(w, DatagramKind::Query);
  w.GuidValue(v.application);
  w.U32(v.queryId);
  w.U32(v.sentTick);
  return w.Take();
}

std::vector<uint8_t> EncodeDatagram(const EnumResponse& v) {
  ByteWriter w;
  PutDatagramHeader(w, DatagramKind::Response);
  w.U32(v.queryId);
  w.U32(v.sentTick);
  w.U16(v.port);
  Put(w, v.description);
  return w.Take();
}

std::optional<EnumQuery> DecodeEnumQuery(std::span<const uint8_t> datagram) {
  ByteReader r(datagram);
  if (!GetDatagramHeader(r, DatagramKind::Query)) return std::nullopt;
  EnumQuery v;
  v.application = r.GuidValue();
  v.queryId = r.U32();
  v.sentTick = r.U32();
  return Finish(r, v);
}

std::optional<EnumResponse> DecodeEnumResponse(std::span<const uint8_t> datagram) {
  ByteReader r(datagram);
  if (!GetDatagramHeader(r, DatagramKind::Response)) return std::nullopt;
  EnumResponse v;
  v.queryId = r.U32();
  v.sentTick = r.U32();
  v.port = r.U16();
  v.description = GetDescription(r);
  return Finish(r, std::move(v));
}

}  // namespace dplay::wire
