// Loads arbitrary database file pairs. The input is a u32 (little-endian) length of the record
// file, the record file, then the string file; a length past the input takes all of it.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/support/DatabasePair.h"
#include "navdb/SceneryDatabase.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CSceneryDatabase db(4096);
  if (fuzzsupport::LoadDatabasePair("navdbfiles", data, size, db)) {
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
