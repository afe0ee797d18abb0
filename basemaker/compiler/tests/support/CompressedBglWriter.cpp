#include "basemaker/compiler/tests/support/CompressedBglWriter.h"

#include <cstring>
#include <stdexcept>

#include "basemaker/compiler/CompressedBgl.h"

namespace testbgl {

LzBitWriter::LzBitWriter() : m_bytes{'J', 'M', 0, 0} {}

void LzBitWriter::Bits(uint32_t value, unsigned count) {
  for (unsigned i = 0; i < count; ++i) {
    if (m_bitCount % 8 == 0) m_bytes.push_back(0);
    if ((value >> i) & 1u) m_bytes.back() |= static_cast<uint8_t>(1u << (m_bitCount % 8));
    ++m_bitCount;
  }
}

void LzBitWriter::Literal(uint8_t byte) {
  if (byte < 0x80) {
    Bits(0, 1);
  } else {
    Bits(1, 1);
    Bits(1, 1);
  }
  Bits(byte & 0x7F, 7);
}

void LzBitWriter::Distance(uint32_t distance) {
  Bits(1, 1);
  Bits(0, 1);
  if (distance < 64) {
    Bits(0, 1);
    Bits(distance, 6);
  } else if (distance < 320) {
    Bits(1, 1);
    Bits(0, 1);
    Bits(distance - 64, 8);
  } else {
    Bits(1, 1);
    Bits(1, 1);
    Bits(distance - 320, 12);
  }
}

void LzBitWriter::Match(uint32_t distance, uint32_t copyCount) {
  if (copyCount < 3 || distance >= 4415) throw std::invalid_argument("match out of range");
  Distance(distance);
  if (copyCount == 3) {
    Bits(1, 1);
    return;
  }
  unsigned prefix = 1;
  while (copyCount > (1u << (prefix + 1)) + 1) ++prefix;
  Bits(0, prefix);
  Bits(1, 1);
  Bits(copyCount - (1u << prefix) - 2, prefix);
}

void LzBitWriter::Marker() {
  Distance(4415);
}

std::vector<uint8_t> LzBitWriter::Finish() const {
  return m_bytes;
}

std::vector<uint8_t> MakeCompressedBgl(const std::vector<uint8_t>& header, uint32_t unpacked,
                                       const std::vector<uint8_t>& stream, uint32_t check) {
  std::vector<uint8_t> file(header);
  auto put = [&file](uint32_t v) {
    uint8_t b[4];
    std::memcpy(b, &v, 4);
    file.insert(file.end(), b, b + 4);
  };
  put(kCbglBlockMagic);
  put(unpacked);
  put(check);
  put(0);
  put(0);
  file.insert(file.end(), stream.begin(), stream.end());
  return file;
}

std::vector<uint8_t> CompressBody(const std::vector<uint8_t>& body) {
  LzBitWriter w;
  size_t pos = 0;
  constexpr size_t kWindow = 4414;
  constexpr size_t kMaxCopy = 1u << 12;
  while (pos < body.size()) {
    size_t bestLen = 0;
    size_t bestDist = 0;
    const size_t start = pos > kWindow ? pos - kWindow : 0;
    // Cheap search: a handful of recent candidates is enough for test data.
    for (size_t cand = pos; cand-- > start && pos - cand <= 64 * 8;) {
      size_t len = 0;
      while (pos + len < body.size() && len < kMaxCopy && body[cand + len] == body[pos + len]) ++len;
      if (len > bestLen) {
        bestLen = len;
        bestDist = pos - cand;
      }
    }
    if (bestLen >= 3) {
      w.Match(static_cast<uint32_t>(bestDist), static_cast<uint32_t>(bestLen));
      pos += bestLen;
    } else {
      w.Literal(body[pos++]);
    }
  }
  w.Marker();
  return w.Finish();
}

}  // namespace testbgl
