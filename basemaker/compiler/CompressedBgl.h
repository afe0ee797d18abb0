#pragma once

// Compressed scenery files: an ordinary BGL header followed by one LZ block that holds the rest
// of the file. The decoder hands back a single buffer that reads exactly like the plain file.

#include <cstddef>
#include <cstdint>

// Result codes of LoadCompressedBglFile; exactly one is returned.
enum : int {
  kCbglOk = 0,
  kCbglBadOutput = 1,       // an output location is null
  kCbglNotCompressed = 2,   // read the file as a plain BGL instead
  kCbglNoMemory = 4,        // includes an unpacked size no scenery file can have
  kCbglCountMismatch = 8,   // decoded byte count differs from the stated size
  kCbglCheckMismatch = 16,  // the check word is not 0
  kCbglDecodeError = 32,
  kCbglFileError = 64,      // cannot open, size or map the file
};

inline constexpr uint32_t kCbglBlockMagic = 0xABCDEF01;
inline constexpr uint32_t kCbglLongHeaderMagic = 0x87654321;
inline constexpr uint32_t kCbglShortHeaderSize = 128;
inline constexpr uint32_t kCbglLongHeaderSize = 168;
// Block header after the BGL header: magic, unpacked size, check word, 8 unread bytes.
inline constexpr uint32_t kCbglBlockHeaderSize = 20;
// Far beyond any real scenery file; a larger stated size is a corrupt header, and refusing it
// keeps a hostile file from asking for gigabytes.
inline constexpr uint64_t kCbglMaxUnpackedSize = 256u * 1024u * 1024u;

// Decodes the compressed file at `path` (a native path). On success *buffer is a block of
// exactly H + U bytes from std::malloc (release with FreeCompressedBgl) and *size its length;
// on every failure *buffer is null.
int LoadCompressedBglFile(const char* path, uint32_t* size, uint8_t** buffer);

// The same over a file image already in memory.
int DecodeCompressedBgl(const uint8_t* image, size_t imageSize, uint32_t* size, uint8_t** buffer);

// 1 when there was nothing to free, else 0.
int FreeCompressedBgl(uint32_t size, uint8_t* buffer);

// Maps the whole file read-only; 0 or kCbglFileError. Release with UnmapFileView.
int MapFileView(const char* path, const uint8_t** view, size_t* size);
void UnmapFileView(const uint8_t* view, size_t size);

// Decodes an LZ stream ("JM", two unread bytes, bits) into `out`, which holds `expected` bytes.
// Returns the number of bytes written, or -1 when the stream is broken.
int64_t LzDecode(const uint8_t* stream, size_t length, uint8_t* out, uint32_t expected);
