#pragma once

// Builders of small, deterministic databases for the tests of the store and of its users, and
// of a world-sized synthetic database for benchmarks. Everything is built through the store's
// own building operations, so the results are consistent databases that save and load.

#include <cstdint>
#include <string>
#include <vector>

#include "navdb/SceneryDatabase.h"

namespace navdbtest {

// ---- Payload helpers -----------------------------------------------------------------------------
NdbRecord Ndb(const char* ident, float khz, int32_t nameText = -1);
VorRecord Vor(const char* ident, float mhz, int32_t nameText = -1, uint8_t flags = 0);
IlsRecord Ils(const char* ident, float mhz, uint16_t course, int16_t glideSlope);
RunwayRecord Runway(const char* designator, uint16_t heading);
ComRecord Com(uint16_t type, float mhz);
MarkerRecord Marker(uint8_t type);

// A variable-size payload laid out as the store expects: header, then its list.
struct PayloadBytes {
  std::vector<uint8_t> bytes;
  const void* data() const { return bytes.data(); }
  template <class T>
  const T* as() const { return reinterpret_cast<const T*>(bytes.data()); }
};
PayloadBytes Airport(const AirportRecord& header, const std::vector<FrequencyEntry>& frequencies,
                     const std::vector<ParkingEntry>& parkings);
PayloadBytes Airspace(const AirspaceRecord& header, const std::vector<FrequencyEntry>& frequencies);
PayloadBytes Intersection(const IntersectionRecord& header, const std::vector<AirwaySegment>& segments);
PayloadBytes Airway(const std::vector<uint32_t>& items);
// A segment entry named `airway` whose two halves lead to the given neighbours (-1 none).
AirwaySegment Segment(const char* airway, int forwardNeighbour, int forwardSlot,
                      int backwardNeighbour, int backwardSlot);

// ---- Building helpers ------------------------------------------------------------------------------
// Appends a file record to the last area; returns its index.
int AddFile(CSceneryDatabase& db, const char* subfolder, const char* name);
// AddPoint with the point's own position choosing the tile; returns false when refused.
bool AddPointAt(CSceneryDatabase& db, double lat, double lon, uint16_t kind, const void* payload,
                bool kept = true);

// ---- Databases ---------------------------------------------------------------------------------------
// Two areas with every point kind, points on tile borders and at +/-180, an ILS pair, a chain
// of intersections with an airway and its label points, an airspace with a circle vertex,
// objects with footprints, a magnetic variation grid and exclude boxes. Some points are not
// kept, as duplicate removal would leave them.
void BuildSampleDatabase(CSceneryDatabase& db);

// Sizes of the synthetic world.
struct WorldCounts {
  int airports = 25000;
  int runwayEndsPerAirport = 2;  // pairs; a third of the airports get one more pair
  int vors = 5500;
  int ndbs = 5500;
  int intersections = 120000;
  int airwaySegments = 40000;
  int airspaces = 2000;
  int areas = 20;
  // More points in one box, as busy as central Europe's airspace, laid over the world as one
  // more area: the box's share of each count, by tile cell, in files of about 400 points with
  // short airways of a dozen segments in every direction. Off while its counts are 0.
  struct Dense {
    double latMin = 44, latMax = 54, lonMin = 2, lonMax = 20;
    int airports = 0;
    int vors = 0;
    int ndbs = 0;
    int intersections = 0;
    int airwaySegments = 0;
    int airspaces = 0;
  } dense;
};
// A world-sized database built area by area into temporary databases and merged, as the
// database builder does.
void BuildWorldDatabase(CSceneryDatabase& db, const WorldCounts& counts);

// Reads a whole file; empty when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace navdbtest
