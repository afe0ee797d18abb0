// Draws the map over arbitrary database file pairs: the split of the database files target (a
// u32 little-endian length of the record file, the record file, then the string file); a pair
// that loads is drawn in both layer chains, flat and on the globe, over its first file's box.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "navdb/SceneryDatabase.h"
#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapRenderer.h"

namespace {

std::string ScratchPath(const char* suffix) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/maprender-fuzz-" + std::to_string(::getpid()) + suffix;
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
  if (!db.LoadDatabaseFiles(recordPath, stringPath)) return 0;
  double lat = 47, lon = 8;
  if (db.m_files.GetSize() > 0) {
    const BglFileRecord& f = db.m_files[0];
    const float latMin = f.latMin, latMax = f.latMax, lonMin = f.lonMin, lonMax = f.lonMax;
    lat = (static_cast<double>(latMin) + latMax) / 2;
    lon = (static_cast<double>(lonMin) + lonMax) / 2;
    if (!(lat >= -90 && lat <= 90)) lat = 0;
    if (!(lon >= -180 && lon <= 180)) lon = 0;
  }
  CMapRenderer r;
  r.SetDatabase(&db);
  r.MapAirwayL = r.MapAirwayH = r.MapIsec = r.MapIls = r.MapCom = r.MapMarker = r.MapName = 1;
  r.MapAirportId = r.MapAirspaceAboveTransition = 0;
  for (const uint8_t round : {0, 1}) {
    r.MapRoundWorld = round;
    for (const int zoom : {2, 64, 512}) {
      r.PushZoom(zoom, lat, lon);
      gdi::RecordingDc dc;
      r.DrawMapLayers(dc, 1280, 800, nullptr, nullptr);
      r.PopZoom();
    }
  }
  return 0;
}
