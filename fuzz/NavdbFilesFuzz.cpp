// Loads arbitrary database file pairs. The input is a u32 (little-endian) length of the record
// file, the record file, then the string file; a length past the input takes all of it.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "navdb/SceneryDatabase.h"

namespace {

std::string ScratchPath(const char* suffix) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/navdbfiles-fuzz-" + std::to_string(::getpid()) + suffix;
}

bool WriteAll(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string recordPath = ScratchPath(".000");
  static const std::string stringPath = ScratchPath(".001");
  uint32_t recordLength = 0;
  if (size >= 4) std::memcpy(&recordLength, data, 4);
  const size_t rest = size >= 4 ? size - 4 : 0;
  const size_t split = recordLength < rest ? recordLength : rest;
  const uint8_t* body = size >= 4 ? data + 4 : data;
  if (!WriteAll(recordPath, body, split) || !WriteAll(stringPath, body + split, rest - split)) return 0;

  CSceneryDatabase db(4096);
  if (db.LoadDatabaseFiles(recordPath, stringPath)) {
    // Walk what a reader walks: every chain and every payload and text.
    volatile size_t sink = 0;
    for (int k = 0; k < kPointArrayCount; ++k) {
      for (const NavPoint& p : db.Points(static_cast<PointArray>(k))) {
        if (const uint8_t* payload = reinterpret_cast<const uint8_t*>(db.GetNdb(p))) {
          sink = sink + PayloadSizeOf(p.kind, payload);
        }
      }
    }
    for (const NavPoint& p : db.m_airports) sink = sink + std::strlen(db.GetString(db.GetAirport(p)->nameText));
    for (int s = 0; s < db.m_airspaceShapes.GetSize(); ++s) {
      double lat, lon;
      db.m_airspaceShapes.GetLabelPosition(lat, lon, s);
    }
    for (int o = 0; o < db.m_objects.GetSize(); ++o) {
      double a, b, c, d;
      db.m_objects.GetBounds(a, b, c, d, o);
    }
    CSceneryDatabase merged(4096);
    for (int a = 0; a < db.m_areas.GetSize(); ++a) merged.MergeArea(db, a);
    (void)sink;
  }
  return 0;
}
