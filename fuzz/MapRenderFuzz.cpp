// Draws the map over arbitrary database file pairs: the split of the database files target (a
// u32 little-endian length of the record file, the record file, then the string file); a pair
// that loads is drawn in both layer chains, flat and on the globe, over its first file's box.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/support/DatabasePair.h"
#include "navdb/SceneryDatabase.h"
#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapRenderer.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CSceneryDatabase db(4096);
  if (!fuzzsupport::LoadDatabasePair("maprender", data, size, db)) return 0;
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
