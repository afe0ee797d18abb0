#pragma once

// Layout of the two database files: the record file (".000": the names and the record arrays)
// and the string file (".001": the pool). Both are little-endian; the bodies are the records
// and the pool byte for byte.

#include <cstdint>

inline constexpr uint16_t kDatabaseFileVersion = 122;
inline constexpr int kRecordDirectoryEntries = 23;
// Directory slot kept empty (offset 0, size 0) between the point arrays and the tile keys.
inline constexpr int kUnusedDirectoryEntry = 15;
inline constexpr uint32_t kStringPoolOffset = 128;
// Readers ignore the banner; it only tells a person what the file is.
inline constexpr char kStringFileBanner[] = "Chartwright navigation database: texts and payloads of points";
static_assert(sizeof(kStringFileBanner) == 62);

#pragma pack(push, 1)

struct DirectoryEntry {
  uint32_t offset = 0;  // from the start of the file
  uint32_t size = 0;    // bytes: element count x record size
};

struct RecordFileHeader {
  uint32_t totalLength = 0;
  char magic[2] = {'S', 'Y'};
  uint16_t version = kDatabaseFileVersion;
  uint8_t reserved1[8] = {};
  char name1[32] = {};
  char name2[32] = {};
  uint8_t reserved2[224] = {};
  DirectoryEntry directory[kRecordDirectoryEntries];
};
static_assert(sizeof(RecordFileHeader) == 488);

struct StringFileHeader {
  uint32_t totalLength = 0;
  char magic[2] = {'S', 'N'};
  uint16_t version = kDatabaseFileVersion;
  uint8_t reserved1[8] = {};
  char banner[62] = {};
  uint8_t reserved2[2] = {};
  uint32_t poolOffset = kStringPoolOffset;
  uint32_t poolLength = 0;
  uint8_t reserved3[40] = {};
};
static_assert(sizeof(StringFileHeader) == 128);

#pragma pack(pop)
