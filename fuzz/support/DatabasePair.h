#pragma once

// The database files targets' input: a u32 little-endian length of the record file, the record
// file, then the string file. Written to a scratch pair of this process and loaded from it.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "navdb/SceneryDatabase.h"

namespace fuzzsupport {

inline std::string ScratchPath(const char* tag, const char* suffix) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/" + tag + "-fuzz-" + std::to_string(::getpid()) + suffix;
}

inline bool WriteAll(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// Splits the input into the pair, writes it under `tag` and loads it into `db`.
inline bool LoadDatabasePair(const char* tag, const uint8_t* data, size_t size, CSceneryDatabase& db) {
  const std::string recordPath = ScratchPath(tag, ".000");
  const std::string stringPath = ScratchPath(tag, ".001");
  uint32_t recordLength = 0;
  if (size >= 4) std::memcpy(&recordLength, data, 4);
  const size_t rest = size >= 4 ? size - 4 : 0;
  const size_t split = recordLength < rest ? recordLength : rest;
  const uint8_t* body = size >= 4 ? data + 4 : data;
  if (!WriteAll(recordPath, body, split) || !WriteAll(stringPath, body + split, rest - split)) return false;
  return db.LoadDatabaseFiles(recordPath, stringPath);
}

}  // namespace fuzzsupport
