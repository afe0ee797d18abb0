// navdb-info RECORDFILE STRINGFILE [AIRPORT...]: loads a database pair and prints its names and
// the size of every array, or the reason the pair was rejected; then, for each airport ident
// given, the magnetic variation the planner takes from the database there, as a declination with
// its letter (E: magnetic north lies east of true north).

#include <cmath>
#include <cstdio>
#include <string>

#include "navdb/SceneryDatabase.h"
#include "plotr/plan/DatabaseAccess.h"

namespace {

void PrintVariation(const CSceneryDatabase& db, const std::string& ident) {
  for (const NavPoint& p : db.m_airports) {
    const AirportRecord* airport = db.GetAirport(p);
    if (!p.IsShown() || airport == nullptr || airport->Ident() != ident) continue;
    // The planner's variation is west positive (added to a true course it gives the magnetic
    // one); a pilot reads it as the declination, east or west of true north.
    const double declination = -MagneticVariation(db, p.latitude, p.longitude);
    std::printf("variation at %-6s %8.4f %9.4f  %5.2f %c\n", ident.c_str(), +p.latitude, +p.longitude,
                std::fabs(declination), declination < 0 ? 'W' : 'E');
    return;
  }
  std::printf("variation at %-6s not in the database\n", ident.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: navdb-info RECORDFILE STRINGFILE [AIRPORT...]\n");
    return 2;
  }
  CSceneryDatabase db;
  if (!db.LoadDatabaseFiles(argv[1], argv[2])) {
    std::fprintf(stderr, "navdb-info: rejected: %s\n", db.GetLastError().c_str());
    return 1;
  }
  std::printf("name1: %s\n", db.m_name1.c_str());
  std::printf("name2: %s\n", db.m_name2.c_str());
  struct Row {
    const char* name;
    int count;
  };
  const Row rows[] = {
      {"areas", db.m_areas.GetSize()},
      {"exclude boxes", db.m_excludeBoxes.GetSize()},
      {"file records", db.m_files.GetSize()},
      {"magnetic variation grids", db.m_magVarGrids.GetSize()},
      {"tiles", db.m_tiles.GetSize()},
      {"NDBs", db.m_ndbs.GetSize()},
      {"ILS", db.m_ils.GetSize()},
      {"VORs", db.m_vors.GetSize()},
      {"airports", db.m_airports.GetSize()},
      {"markers", db.m_markers.GetSize()},
      {"runway ends", db.m_runways.GetSize()},
      {"COM frequencies", db.m_coms.GetSize()},
      {"airspaces", db.m_airspaces.GetSize()},
      {"intersections", db.m_intersections.GetSize()},
      {"airways", db.m_airways.GetSize()},
      {"tile keys", db.m_tileKeys.GetSize()},
      {"label points", db.m_labelPoints.GetSize()},
      {"object groups", db.m_objectGroups.GetSize()},
      {"objects", db.m_objects.GetSize()},
      {"footprint vertices", db.m_footprintVertices.GetSize()},
      {"airspace shapes", db.m_airspaceShapes.GetSize()},
      {"airspace vertices", db.m_airspaceVertices.GetSize()},
  };
  for (const Row& r : rows) std::printf("%-26s %d\n", r.name, r.count);
  std::printf("%-26s %d bytes\n", "pool", db.GetPoolLength());
  for (int i = 3; i < argc; ++i) PrintVariation(db, argv[i]);
  return 0;
}
