#include "simhost/MoveBlock.h"

#include <cmath>
#include <cstring>

#include "platform/simapi/SimApi.h"

namespace simhost {
namespace {

// Reads fields at fixed offsets; every read is checked against the end.
class BlockReader {
 public:
  BlockReader(const unsigned char* data, size_t size) : m_data(data), m_size(size) {}

  bool Tag(size_t offset, const char (&tag)[5]) const {
    return offset + 4 <= m_size && std::memcmp(m_data + offset, tag, 4) == 0;
  }
  std::optional<uint16_t> U16(size_t offset) const {
    if (offset + 2 > m_size) return std::nullopt;
    return static_cast<uint16_t>(m_data[offset] | (m_data[offset + 1] << 8));
  }
  std::optional<double> F64(size_t offset) const {
    if (offset + 8 > m_size) return std::nullopt;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | m_data[offset + i];
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }

 private:
  const unsigned char* m_data;
  size_t m_size;
};

constexpr size_t kFirstValue = 275;
constexpr size_t kValueStride = 14;
constexpr uint16_t kItemTag = 4096;
constexpr uint16_t kFloatKind = 2;

}  // namespace

std::optional<MoveTarget> ParseMoveBlock(const unsigned char* data, size_t size) {
  if (data == nullptr || size < simapi::kMoveBlockSize) return std::nullopt;
  const BlockReader r(data, size);
  if (!r.Tag(0, "FSIB") || !r.Tag(8, "BFIB") || !r.Tag(16, "ODIB") || !r.Tag(40, "PDIB") ||
      !r.Tag(251, "FRIB"))
    return std::nullopt;
  double values[6] = {};
  bool seen[6] = {};
  for (size_t i = 0; i < 6; ++i) {
    const size_t at = kFirstValue + i * kValueStride;
    const auto tag = r.U16(at), index = r.U16(at + 2), kind = r.U16(at + 4);
    const auto value = r.F64(at + 6);
    if (!tag || !index || !kind || !value || *tag != kItemTag || *kind != kFloatKind) return std::nullopt;
    if (*index < 1 || *index > 6 || seen[*index - 1] || !std::isfinite(*value)) return std::nullopt;
    seen[*index - 1] = true;
    values[*index - 1] = *value;
  }
  MoveTarget t;
  t.latitude = values[0];
  t.longitude = values[1];
  t.altitudeFeet = values[2];
  t.pitch = values[3];
  t.bank = values[4];
  t.heading = values[5];
  if (std::fabs(t.latitude) > 90 || std::fabs(t.longitude) > 360) return std::nullopt;
  return t;
}

std::optional<PipeAnnouncement> ParsePipeAnnouncement(const void* data, size_t size) {
  constexpr size_t kLength = 4 + 8 + 8;
  if (data == nullptr || size < kLength + 1) return std::nullopt;
  const auto* text = static_cast<const char*>(data);
  if (std::memcmp(text, "<HA>", 4) != 0 || text[kLength] != '\0') return std::nullopt;
  uint32_t numbers[2] = {};
  for (int n = 0; n < 2; ++n) {
    for (int i = 0; i < 8; ++i) {
      const char c = text[4 + n * 8 + i];
      uint32_t digit;
      if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
      else if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
      else if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
      else return std::nullopt;
      numbers[n] = (numbers[n] << 4) | digit;
    }
  }
  return PipeAnnouncement{numbers[0], numbers[1]};
}

}  // namespace simhost
