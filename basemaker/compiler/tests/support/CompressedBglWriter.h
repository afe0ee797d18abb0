#pragma once

// Test-side writer of compressed scenery files: emits the LZ bit stream code by code, so a
// test states exactly which codes a stream holds.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace testbgl {

class LzBitWriter {
 public:
  LzBitWriter();

  // `count` bits of `value`, least significant first.
  void Bits(uint32_t value, unsigned count);
  void Literal(uint8_t byte);
  // Copies `copyCount` (>= 3) bytes from `distance` bytes back.
  void Match(uint32_t distance, uint32_t copyCount);
  void Marker();
  // The stream with its last byte padded with zero bits.
  std::vector<uint8_t> Finish() const;
  // Number of bits written after the four-byte stream head.
  size_t BitCount() const { return m_bitCount; }

 private:
  void Distance(uint32_t distance);
  std::vector<uint8_t> m_bytes;
  size_t m_bitCount = 0;
};

// A whole compressed file: `header` (128 or 168 bytes) followed by the block header and stream.
std::vector<uint8_t> MakeCompressedBgl(const std::vector<uint8_t>& header, uint32_t unpacked,
                                       const std::vector<uint8_t>& stream, uint32_t check = 0);

// Compresses `body` greedily with matches of the last 4415 bytes, closed by a marker; gives
// streams of realistic shape for larger round trips.
std::vector<uint8_t> CompressBody(const std::vector<uint8_t>& body);

}  // namespace testbgl
