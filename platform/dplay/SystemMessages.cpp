#include "platform/dplay/SystemMessages.h"

#include <bit>
#include <cstddef>
#include <cstring>

#include "platform/dplay/Bytes.h"

namespace dplay {

namespace {

// The record followed by its short name and NUL, the record's name fields pointing there.
template <typename Record>
std::vector<uint8_t> WithShortName(Record record, const std::string& name) {
  record.shortNameOffset = sizeof(Record);
  record.shortNameSize = static_cast<uint32_t>(name.size() + 1);
  std::vector<uint8_t> bytes(sizeof(Record) + name.size() + 1, 0);
  std::memcpy(bytes.data(), &record, sizeof(Record));
  std::memcpy(bytes.data() + sizeof(Record), name.data(), name.size());
  return bytes;
}

// The NUL-terminated text of `size` bytes at `offset`; nothing when it leaves the message or
// has no terminator inside its size.
std::optional<std::string> NameAt(std::span<const uint8_t> bytes, uint32_t offset, uint32_t size) {
  if (size == 0) return std::string();
  if (offset > bytes.size() || size > bytes.size() - offset) return std::nullopt;
  const auto* begin = reinterpret_cast<const char*>(bytes.data() + offset);
  const void* nul = std::memchr(begin, 0, size);
  if (!nul) return std::nullopt;
  return std::string(begin, static_cast<const char*>(nul));
}

uint32_t U32At(std::span<const uint8_t> bytes, size_t at) {
  ByteReader r(bytes.subspan(at, 4));
  return r.U32();
}

}  // namespace

// The builders fill records with the host's byte order: the transport runs on little-endian
// machines only, which the static_assert below holds it to.
static_assert(std::endian::native == std::endian::little);

std::vector<uint8_t> BuildCreatePlayerOrGroup(uint32_t playerType, PlayerId id,
                                              uint32_t currentPlayers, const std::string& shortName) {
  SysCreatePlayerOrGroup r{};
  r.type = kSysCreatePlayerOrGroup;
  r.playerType = playerType;
  r.id = id;
  r.currentPlayers = currentPlayers;
  return WithShortName(r, shortName);
}

std::vector<uint8_t> BuildDestroyPlayerOrGroup(uint32_t playerType, PlayerId id,
                                               const std::string& shortName) {
  SysDestroyPlayerOrGroup r{};
  r.type = kSysDestroyPlayerOrGroup;
  r.playerType = playerType;
  r.id = id;
  return WithShortName(r, shortName);
}

std::vector<uint8_t> BuildSessionLost() {
  ByteWriter w;
  w.U32(kSysSessionLost);
  return w.Take();
}

std::vector<uint8_t> BuildHost() {
  ByteWriter w;
  w.U32(kSysHost);
  return w.Take();
}

std::optional<SystemMessage> ReadSystemMessage(std::span<const uint8_t> bytes) {
  if (bytes.size() < 4) return std::nullopt;
  SystemMessage m;
  m.type = U32At(bytes, 0);
  auto named = [&](size_t fixedSize, size_t nameOffsetAt) -> std::optional<SystemMessage> {
    if (bytes.size() < fixedSize) return std::nullopt;
    m.playerType = U32At(bytes, 4);
    m.id = U32At(bytes, 8);
    auto name = NameAt(bytes, U32At(bytes, nameOffsetAt), U32At(bytes, nameOffsetAt + 4));
    if (!name) return std::nullopt;
    m.shortName = std::move(*name);
    return m;
  };
  switch (m.type) {
    case kSysCreatePlayerOrGroup:
      return named(sizeof(SysCreatePlayerOrGroup), offsetof(SysCreatePlayerOrGroup, shortNameOffset));
    case kSysDestroyPlayerOrGroup:
      return named(sizeof(SysDestroyPlayerOrGroup), offsetof(SysDestroyPlayerOrGroup, shortNameOffset));
    case kSysSetPlayerOrGroupName:
      return named(sizeof(SysSetPlayerOrGroupName), offsetof(SysSetPlayerOrGroupName, shortNameOffset));
    case kSysSessionLost:
    case kSysHost:
      return m;
    default:
      return std::nullopt;
  }
}

}  // namespace dplay
