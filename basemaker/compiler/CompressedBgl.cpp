#include "basemaker/compiler/CompressedBgl.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The format's block marker is the largest distance the 12-bit form can give.
constexpr uint32_t kBlockMarker = 4415;
// Longest unary prefix of a length code that can still describe a copy inside the largest
// buffer we accept; longer prefixes only come from garbage.
constexpr unsigned kMaxLengthPrefix = 28;
// Words of the long header that, when set, mark the file as a plain one.
constexpr size_t kLongHeaderMarkerOffsets[] = {54, 156, 160, 164};

uint32_t ReadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void WriteU32(uint8_t* p, uint32_t v) {
  std::memcpy(p, &v, 4);
}

class BitReader {
 public:
  BitReader(const uint8_t* data, size_t length) : m_next(data), m_left(length) {}

  // False when the input is exhausted; `value` is then unspecified.
  bool Read(unsigned count, uint32_t& value) {
    value = 0;
    for (unsigned i = 0; i < count; ++i) {
      uint32_t bit;
      if (!ReadBit(bit)) return false;
      value |= bit << i;
    }
    return true;
  }

  bool ReadBit(uint32_t& bit) {
    if (m_bits == 0) {
      if (m_left == 0) return false;
      m_current = *m_next++;
      --m_left;
      m_bits = 8;
    }
    bit = m_current & 1u;
    m_current >>= 1;
    --m_bits;
    return true;
  }

 private:
  const uint8_t* m_next;
  size_t m_left;
  uint32_t m_current = 0;
  unsigned m_bits = 0;
};

enum class Step { kCode, kMarker, kEndOfInput, kBroken };

}  // namespace

int64_t LzDecode(const uint8_t* stream, size_t length, uint8_t* out, uint32_t expected) {
  if (stream == nullptr || length <= 4 || stream[0] != 'J' || stream[1] != 'M') return -1;
  BitReader bits(stream + 4, length - 4);
  uint64_t written = 0;
  bool afterMarker = false;

  // Reads and executes one code. End of input inside the code is kEndOfInput.
  auto step = [&]() -> Step {
    uint32_t b;
    if (!bits.ReadBit(b)) return Step::kEndOfInput;
    uint32_t v;
    bool literal = b == 0;
    uint32_t high = 0;
    if (!literal) {
      if (!bits.ReadBit(b)) return Step::kEndOfInput;
      literal = b == 1;
      high = 0x80;
    }
    if (literal) {
      if (!bits.Read(7, v)) return Step::kEndOfInput;
      if (written >= expected) return Step::kBroken;
      out[written++] = static_cast<uint8_t>(v | high);
      return Step::kCode;
    }
    uint32_t distance;
    if (!bits.ReadBit(b)) return Step::kEndOfInput;
    if (b == 0) {
      if (!bits.Read(6, v)) return Step::kEndOfInput;
      distance = v;
    } else {
      if (!bits.ReadBit(b)) return Step::kEndOfInput;
      if (b == 0) {
        if (!bits.Read(8, v)) return Step::kEndOfInput;
        distance = v + 64;
      } else {
        if (!bits.Read(12, v)) return Step::kEndOfInput;
        distance = v + 320;
      }
    }
    if (distance == kBlockMarker) return Step::kMarker;
    unsigned prefix = 0;
    for (;;) {
      if (!bits.ReadBit(b)) return Step::kEndOfInput;
      if (b == 1) break;
      if (++prefix > kMaxLengthPrefix) return Step::kBroken;
    }
    uint64_t n = 2;
    if (prefix > 0) {
      if (!bits.Read(prefix, v)) return Step::kEndOfInput;
      n = uint64_t{v} + (uint64_t{1} << prefix) + 1;
    }
    const uint64_t copy = n + 1;
    if (distance == 0 || distance > written || copy > expected - written) return Step::kBroken;
    uint8_t* dst = out + written;
    const uint8_t* src = dst - distance;
    // Byte by byte on purpose: an overlapping source repeats the bytes just written.
    for (uint64_t i = 0; i < copy; ++i) dst[i] = src[i];
    written += copy;
    return Step::kCode;
  };

  for (;;) {
    switch (step()) {
      case Step::kCode:
        afterMarker = false;
        break;
      case Step::kMarker:
        if (written >= expected) return static_cast<int64_t>(written);
        // An early marker is ignored when codes follow it; when the stream stops right after
        // it, the block is simply short and the caller sees the count mismatch.
        afterMarker = true;
        break;
      case Step::kEndOfInput:
        if (afterMarker) return static_cast<int64_t>(written);
        return -1;
      case Step::kBroken:
        return -1;
    }
  }
}

int MapFileView(const char* path, const uint8_t** view, size_t* size) {
  *view = nullptr;
  *size = 0;
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return kCbglFileError;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
    ::close(fd);
    return kCbglFileError;
  }
  void* p = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (p == MAP_FAILED) return kCbglFileError;
  ::madvise(p, static_cast<size_t>(st.st_size), MADV_SEQUENTIAL);
  *view = static_cast<const uint8_t*>(p);
  *size = static_cast<size_t>(st.st_size);
  return kCbglOk;
}

void UnmapFileView(const uint8_t* view, size_t size) {
  if (view != nullptr) ::munmap(const_cast<uint8_t*>(view), size);
}

int DecodeCompressedBgl(const uint8_t* image, size_t imageSize, uint32_t* size, uint8_t** buffer) {
  if (size == nullptr || buffer == nullptr) return kCbglBadOutput;
  *buffer = nullptr;
  *size = 0;
  uint32_t h = kCbglShortHeaderSize;
  if (imageSize >= 122 && ReadU32(image + 118) == kCbglLongHeaderMagic) h = kCbglLongHeaderSize;
  if (imageSize < uint64_t{h} + kCbglBlockHeaderSize) return kCbglNotCompressed;
  if (h == kCbglLongHeaderSize) {
    for (const size_t marker : kLongHeaderMarkerOffsets) {
      if (ReadU32(image + marker) != 0) return kCbglNotCompressed;
    }
  }
  if (ReadU32(image + h) != kCbglBlockMagic) return kCbglNotCompressed;
  const uint32_t unpacked = ReadU32(image + h + 4);
  const uint32_t check = ReadU32(image + h + 8);
  const uint64_t total = uint64_t{h} + unpacked;
  if (unpacked > kCbglMaxUnpackedSize) return kCbglNoMemory;
  auto* out = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(total)));
  if (out == nullptr) return kCbglNoMemory;
  std::memcpy(out, image, h);
  WriteU32(out + 122, 0);
  const size_t streamOffset = h + kCbglBlockHeaderSize;
  const int64_t count = LzDecode(image + streamOffset, imageSize - streamOffset, out + h, unpacked);
  int result = kCbglOk;
  if (count < 0) {
    result = kCbglDecodeError;
  } else if (static_cast<uint64_t>(count) != unpacked) {
    result = kCbglCountMismatch;
  } else if (check != 0) {
    result = kCbglCheckMismatch;
  }
  if (result != kCbglOk) {
    std::free(out);
    return result;
  }
  *size = static_cast<uint32_t>(h + static_cast<uint64_t>(count));
  *buffer = out;
  return kCbglOk;
}

int LoadCompressedBglFile(const char* path, uint32_t* size, uint8_t** buffer) {
  if (size == nullptr || buffer == nullptr) return kCbglBadOutput;
  *buffer = nullptr;
  *size = 0;
  const uint8_t* view = nullptr;
  size_t viewSize = 0;
  if (path == nullptr || MapFileView(path, &view, &viewSize) != kCbglOk) return kCbglFileError;
  const int result = DecodeCompressedBgl(view, viewSize, size, buffer);
  UnmapFileView(view, viewSize);
  return result;
}

int FreeCompressedBgl(uint32_t size, uint8_t* buffer) {
  (void)size;
  if (buffer == nullptr) return 1;
  std::free(buffer);
  return 0;
}
