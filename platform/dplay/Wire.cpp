#include "platform/dplay/Wire.h"

#include <concepts>
#include <type_traits>

#include "platform/dplay/Bytes.h"

namespace dplay::wire {

namespace {

// Every payload's fields are listed once, in wire order, by a Field overload that the encoder
// walks with an Out and the decoder with an In, so the two sides cannot drift apart. Out and In
// live here so that the overloads below find each other wherever a template calls them.
struct Out {
  ByteWriter w;
};

struct In {
  ByteReader r;
};

void Field(Out& o, const uint8_t& v) { o.w.U8(v); }
void Field(Out& o, const uint16_t& v) { o.w.U16(v); }
void Field(Out& o, const uint32_t& v) { o.w.U32(v); }
void Field(Out& o, const Guid& v) { o.w.GuidValue(v); }
void Field(Out& o, const std::string& v) { o.w.Text(v); }
void Field(Out& o, const std::vector<uint8_t>& v) { o.w.Blob(v); }
void Field(Out& o, const Result& v) { o.w.U32(static_cast<uint32_t>(v)); }

void Field(In& i, uint8_t& v) { v = i.r.U8(); }
void Field(In& i, uint16_t& v) { v = i.r.U16(); }
void Field(In& i, uint32_t& v) { v = i.r.U32(); }
void Field(In& i, Guid& v) { v = i.r.GuidValue(); }
void Field(In& i, std::string& v) { v = i.r.Text(); }
void Field(In& i, std::vector<uint8_t>& v) { v = i.r.Blob(); }
void Field(In& i, Result& v) {
  const uint32_t result = i.r.U32();
  // A result this side does not know still refuses; say so in the plainest terms.
  v = result <= static_cast<uint32_t>(Result::NoSessions) ? static_cast<Result>(result)
                                                          : Result::HostRejectedConnection;
}

template <typename Io, typename... F>
void Fields(Io& io, F&... fields) {
  (Field(io, fields), ...);
}

// A u32 count, then the items.
template <typename T>
void Field(Out& o, const std::vector<T>& items) {
  o.w.U32(static_cast<uint32_t>(items.size()));
  for (const T& item : items) Field(o, item);
}

// Smallest encodings, so a count is checked against what its items need at least.
template <typename T>
constexpr size_t MinEncoded() {
  if constexpr (std::is_same_v<T, PlayerRecord>) {
    return 4 + 4 + 4 + 4 + 4 + 2 + 4;
  } else if constexpr (std::is_same_v<T, GroupRecord>) {
    return 4 + 4 + 4;
  } else {
    static_assert(std::is_integral_v<T>);
    return sizeof(T);
  }
}

template <typename T>
void Field(In& i, std::vector<T>& items) {
  const uint32_t count = i.r.Count(MinEncoded<T>());
  for (uint32_t n = 0; n < count && i.r.Ok(); ++n) Field(i, items.emplace_back());
}

// V is the payload type, const for the writer.
template <typename V, typename T>
concept Payload = std::same_as<std::remove_const_t<V>, T>;

template <typename Io, Payload<Description> V>
void Field(Io& io, V& d) {
  Fields(io, d.flags, d.instance, d.application, d.maxPlayers, d.currentPlayers, d.name, d.password, d.reserved);
  for (auto& u : d.user) Field(io, u);
}

template <typename Io, Payload<PlayerRecord> V>
void Field(Io& io, V& p) {
  Fields(io, p.id, p.joinOrder, p.name, p.data, p.address, p.port, p.secretDigest);
}

template <typename Io, Payload<OwnPlayer> V>
void Field(Io& io, V& o) {
  Fields(io, o.record, o.secret);
}

template <typename Io, Payload<GroupRecord> V>
void Field(Io& io, V& g) {
  Fields(io, g.id, g.name, g.members);
}

template <typename Io, Payload<Hello> V>
void Field(Io& io, V& h) {
  Fields(io, h.magic, h.version, h.application, h.instance, h.flags, h.rejoinAs, h.listenPort, h.password, h.name,
         h.data, h.connectData, h.secret);
}

template <typename Io, Payload<Welcome> V>
void Field(Io& io, V& w) {
  Fields(io, w.you, w.host, w.nextJoinOrder, w.description, w.players, w.groups, w.secret);
}

template <typename Io, Payload<Refuse> V>
void Field(Io& io, V& r) {
  Fields(io, r.result, r.reply);
}

template <typename Io, Payload<PlayerLeft> V>
void Field(Io& io, V& p) {
  Fields(io, p.id, p.reason);
}

template <typename Io, Payload<PlayerInfo> V>
void Field(Io& io, V& p) {
  Fields(io, p.id, p.fields, p.name, p.data);
}

template <typename Io, Payload<GroupAdded> V>
void Field(Io& io, V& g) {
  Fields(io, g.group, g.player);
}

template <typename Io, Payload<Terminate> V>
void Field(Io& io, V& t) {
  Fields(io, t.data);
}

template <typename Io, Payload<EnumQuery> V>
void Field(Io& io, V& q) {
  Fields(io, q.application, q.queryId, q.sentTick);
}

template <typename Io, Payload<EnumResponse> V>
void Field(Io& io, V& r) {
  Fields(io, r.queryId, r.sentTick, r.port, r.description);
}

template <typename T>
std::vector<uint8_t> EncodePayload(const T& v) {
  Out o;
  Field(o, v);
  return o.w.Take();
}

// Gives nothing unless the payload reads exactly to its end.
template <typename T>
std::optional<T> DecodePayload(In& i) {
  T v;
  Field(i, v);
  if (!i.r.AtEnd()) return std::nullopt;
  return v;
}

template <typename T>
std::optional<T> DecodePayload(std::span<const uint8_t> payload) {
  In i{ByteReader(payload)};
  return DecodePayload<T>(i);
}

template <typename T>
std::vector<uint8_t> EncodeDatagramOf(DatagramKind kind, const T& v) {
  Out o;
  o.w.U32(kMagic);
  o.w.U16(kVersion);
  o.w.U16(static_cast<uint16_t>(kind));
  Field(o, v);
  return o.w.Take();
}

template <typename T>
std::optional<T> DecodeDatagramOf(DatagramKind kind, std::span<const uint8_t> datagram) {
  In i{ByteReader(datagram)};
  const uint32_t magic = i.r.U32();
  const uint16_t version = i.r.U16();
  const uint16_t k = i.r.U16();
  if (!i.r.Ok() || magic != kMagic || version != kVersion || k != static_cast<uint16_t>(kind)) return std::nullopt;
  return DecodePayload<T>(i);
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
  if (length > m_limit) {
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

std::vector<uint8_t> Encode(const Hello& v) { return EncodePayload(v); }
std::vector<uint8_t> Encode(const Welcome& v) { return EncodePayload(v); }
std::vector<uint8_t> Encode(const Refuse& v) { return EncodePayload(v); }
std::vector<uint8_t> Encode(const PlayerRecord& v) { return EncodePayload(v); }
std::vector<uint8_t> Encode(const OwnPlayer& v) { return EncodePayload(v); }
std::vector<uint8_t> Encode(const PlayerLeft& v) { return EncodePayload(v); }
std::vector<uint8_t> Encode(const PlayerInfo& v) { return EncodePayload(v); }
std::vector<uint8_t> Encode(const Description& v) { return EncodePayload(v); }
std::vector<uint8_t> Encode(const GroupRecord& v) { return EncodePayload(v); }
std::vector<uint8_t> Encode(const GroupAdded& v) { return EncodePayload(v); }
std::vector<uint8_t> Encode(const Terminate& v) { return EncodePayload(v); }

std::optional<Hello> DecodeHello(std::span<const uint8_t> payload) { return DecodePayload<Hello>(payload); }
std::optional<Welcome> DecodeWelcome(std::span<const uint8_t> payload) { return DecodePayload<Welcome>(payload); }
std::optional<Refuse> DecodeRefuse(std::span<const uint8_t> payload) { return DecodePayload<Refuse>(payload); }
std::optional<PlayerRecord> DecodePlayerRecord(std::span<const uint8_t> payload) {
  return DecodePayload<PlayerRecord>(payload);
}
std::optional<OwnPlayer> DecodeOwnPlayer(std::span<const uint8_t> payload) {
  return DecodePayload<OwnPlayer>(payload);
}
std::optional<PlayerLeft> DecodePlayerLeft(std::span<const uint8_t> payload) {
  return DecodePayload<PlayerLeft>(payload);
}
std::optional<PlayerInfo> DecodePlayerInfo(std::span<const uint8_t> payload) {
  return DecodePayload<PlayerInfo>(payload);
}
std::optional<Description> DecodeDescription(std::span<const uint8_t> payload) {
  return DecodePayload<Description>(payload);
}
std::optional<GroupRecord> DecodeGroupRecord(std::span<const uint8_t> payload) {
  return DecodePayload<GroupRecord>(payload);
}
std::optional<GroupAdded> DecodeGroupAdded(std::span<const uint8_t> payload) {
  return DecodePayload<GroupAdded>(payload);
}
std::optional<Terminate> DecodeTerminate(std::span<const uint8_t> payload) {
  return DecodePayload<Terminate>(payload);
}

// Data carries its payload bare to the frame's end, without a length.
std::vector<uint8_t> Encode(const Data& v) {
  Out o;
  Fields(o, v.from, v.to, v.flags);
  o.w.Raw(v.payload.data(), v.payload.size());
  return o.w.Take();
}

std::optional<Data> DecodeData(std::span<const uint8_t> payload) {
  In i{ByteReader(payload)};
  Data v;
  Fields(i, v.from, v.to, v.flags);
  if (!i.r.Ok()) return std::nullopt;
  auto rest = i.r.Rest();
  v.payload.assign(rest.begin(), rest.end());
  return v;
}

std::vector<uint8_t> EncodeDatagram(const EnumQuery& v) { return EncodeDatagramOf(DatagramKind::Query, v); }
std::vector<uint8_t> EncodeDatagram(const EnumResponse& v) { return EncodeDatagramOf(DatagramKind::Response, v); }

std::optional<EnumQuery> DecodeEnumQuery(std::span<const uint8_t> datagram) {
  return DecodeDatagramOf<EnumQuery>(DatagramKind::Query, datagram);
}

std::optional<EnumResponse> DecodeEnumResponse(std::span<const uint8_t> datagram) {
  return DecodeDatagramOf<EnumResponse>(DatagramKind::Response, datagram);
}

}  // namespace dplay::wire
