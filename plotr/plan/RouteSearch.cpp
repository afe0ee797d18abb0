#include "plotr/plan/Route.h"

#include "navdb/Geodesy.h"
#include "plotr/plan/DatabaseAccess.h"

#include <cmath>
#include <iterator>

namespace {

// The tables of a position search in the order they are scanned, with the mask bits that
// select each and whether it always keeps only the nearest object.
struct SearchTable {
  int32_t selectBits;
  PointArray array;  // kArrayNone: the route's user fixes
  bool nearestOnly;
};
constexpr SearchTable kSearchTables[] = {
    {0x0040, kArrayAirport, true},  {0x0080, kArrayRunway, true},      {0x000B, kArrayNdb, false},
    {0x0013, kArrayVor, false},     {0x0020, kArrayIls, false},        {0x0200, kArrayCom, true},
    {0x0100, kArrayMarker, true},   {0x0007, kArrayIntersection, false}, {0x7000, kArrayAirspace, true},
    {0x8000, kArrayNone, false},
};

constexpr int32_t kAirspaceClassMask = 0x3FFF;
constexpr double kOuterMarkerOffset = 9260.0;
constexpr double kInnerMarkerOffset = 1852.0;

// The result list of one search: objects with their distances, in nearest or sorted mode.
class Collector {
 public:
  Collector(std::vector<FullPoint>& out, double& radius) : m_out(out), m_radius(radius) {}

  void Offer(const FullPoint& object, double distance, bool nearest) {
    // Written so that a NaN distance (a NaN query position) is never within the radius.
    if (!(distance <= m_radius)) {
      return;
    }
    if (nearest) {
      // Later objects at the same distance win: the radius shrinks to it, not below it.
      m_out.assign(1, object);
      m_distances.assign(1, distance);
      m_radius = distance;
      return;
    }
    size_t pos = 0;
    while (pos < m_distances.size() && m_distances[pos] < distance) ++pos;
    m_out.insert(m_out.begin() + static_cast<std::ptrdiff_t>(pos), object);
    m_distances.insert(m_distances.begin() + static_cast<std::ptrdiff_t>(pos), distance);
  }
  double Radius() const { return m_radius; }

 private:
  std::vector<FullPoint>& m_out;
  double& m_radius;
  std::vector<double> m_distances;
};

// The table and the airspace classes a stored key belongs to; kArrayNone for kinds that name
// no table.
PointArray ResolveTable(uint16_t kind) {
  const auto in = [kind](int first) { return kind >= first && kind <= first + 3; };
  if (in(4)) return kArrayIntersection;
  if (in(8)) return kArrayNdb;
  if (in(16)) return kArrayVor;
  if (in(32)) return kArrayIls;
  if (in(64)) return kArrayAirport;
  if (in(128)) return kArrayRunway;
  if (in(256)) return kArrayMarker;
  if (in(512)) return kArrayCom;
  if (in(1024)) return kArrayAirway;
  if (in(4096) || in(8192) || in(16384)) return kArrayAirspace;
  return kArrayNone;
}

}  // namespace

bool CRoute::Resolve(FullPoint& out, const NavPoint& key) const {
  if (key.kind & kKindUserPoint) {
    for (const NavPoint& fix : m_userFixes) {
      if ((fix.word & kPointShown) == (key.word & kPointShown) && fix.latitude == key.latitude &&
          fix.longitude == key.longitude) {
        out = FullPoint{};
        out.point = fix;
        return true;
      }
    }
    return false;
  }
  const PointArray array = ResolveTable(key.kind);
  if (array == kArrayNone) {
    return false;
  }
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  const CNavPointArray& points = db.Points(array);
  // Bit 29 stands for a key without payload (0x3FFFFFFF): such a key matches any offset.
  constexpr uint32_t kAnyOffset = 1u << 29;
  for (int area = 0; area < db.m_areas.GetSize(); ++area) {
    const IndexRange files = db.FileRange(area);
    for (int file = files.first; file < files.end; ++file) {
      const BglFileRecord& f = db.m_files[file];
      if (!PointInBox(f.latMin, f.latMax, f.lonMin, f.lonMax, key.latitude, key.longitude)) {
        continue;
      }
      const IndexRange tiles = db.TileRange(file);
      for (int tile = tiles.first; tile < tiles.end; ++tile) {
        const IndexRange range = db.PointRange(tile, array);
        for (int k = std::max(range.first, 0); k < range.end && k < points.GetSize(); ++k) {
          const NavPoint& p = points[k];
          if ((p.word & kPointShown) != (key.word & kPointShown) || (p.kind & key.kind) == 0 ||
              p.latitude != key.latitude || p.longitude != key.longitude) {
            continue;
          }
          if ((p.word & kAnyOffset) || (key.word & kAnyOffset) ||
              (p.word & kPayloadMask) == (key.word & kPayloadMask)) {
            out.areaIndex = area;
            out.fileIndex = file;
            out.point = p;
            return true;
          }
        }
      }
    }
  }
  return false;
}

bool CRoute::FindObjects(std::vector<FullPoint>& out, double& radius, double latitude, double longitude,
                         int32_t kinds, bool sorted, bool onlyInRoute) const {
  out.clear();
  Collector results(out, radius);
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  const uint32_t kindBits = static_cast<uint32_t>(kinds) & 0xFFFF;
  const uint32_t classBits = static_cast<uint32_t>(kinds) >> 16;
  auto distanceTo = [&](double lat, double lon) { return GreatCircleDistance(latitude, longitude, lat, lon); };

  for (const SearchTable& table : kSearchTables) {
    if ((kinds & table.selectBits) == 0) {
      continue;
    }
    const bool nearest = table.nearestOnly || !sorted;
    if (table.array == kArrayNone) {
      for (const NavPoint& fix : m_userFixes) {
        FullPoint object;
        object.point = fix;
        results.Offer(object, distanceTo(fix.latitude, fix.longitude), nearest);
      }
      continue;
    }
    const CNavPointArray& points = db.Points(table.array);
    const bool parkings = !onlyInRoute && table.array == kArrayAirport && (kinds & kSearchParkings) != 0;
    auto visit = [&](int area, int file, int k) {
      const NavPoint& p = points[k];
      if (!p.IsShown() || (p.kind & kindBits) == 0) {
        return;
      }
      // No great circle between valid positions is shorter than its latitude difference: a point
      // that far away is out of reach without measuring it (with room for the rounding of the
      // measure).
      const double apart = std::fabs(p.latitude - latitude) * kDegToRad * kEarthRadius;
      if (!parkings && std::fabs(p.latitude) <= 90 && apart > results.Radius() * (1 + 1e-9) + 1.0) {
        return;
      }
      if (table.array == kArrayAirspace) {
        const AirspaceRecord* airspace = db.GetAirspace(p);
        if (!airspace || (airspace->classWord & kAirspaceClassMask & classBits) == 0) {
          return;
        }
      }
      FullPoint object;
      object.areaIndex = area;
      object.fileIndex = file;
      object.point = p;
      if (parkings) {
        const AirportRecord* airport = db.GetAirport(p);
        const ParkingEntry* parking = airport ? db.GetAirportParkings(p) : nullptr;
        const int count = parking ? airport->ParkingCount() : 0;
        for (int n = 0; n < count; ++n) {
          ParkingEntry entry;
          std::memcpy(&entry, reinterpret_cast<const uint8_t*>(parking) + n * sizeof(ParkingEntry), sizeof entry);
          FullPoint spot = object;
          spot.point.latitude = entry.latitude;
          spot.point.longitude = entry.longitude;
          results.Offer(spot, distanceTo(entry.latitude, entry.longitude), nearest);
        }
      }
      if (!onlyInRoute || Contains(p)) {
        results.Offer(object, distanceTo(p.latitude, p.longitude), nearest);
      }
    };
    // Parking places lie away from their airport's point, so a parking search walks every tile.
    std::vector<GridEntry> candidates;
    if (!parkings && db.Grid().Candidates(table.array, latitude, longitude, results.Radius(), candidates)) {
      for (const GridEntry& e : candidates) {
        visit(e.area, e.file, e.point);
      }
      continue;
    }
    for (int area = 0; area < db.m_areas.GetSize(); ++area) {
      const IndexRange files = db.FileRange(area);
      for (int file = files.first; file < files.end; ++file) {
        const IndexRange tiles = db.TileRange(file);
        for (int tile = tiles.first; tile < tiles.end; ++tile) {
          const IndexRange range = db.PointRange(tile, table.array);
          for (int k = std::max(range.first, 0); k < range.end && k < points.GetSize(); ++k) {
            visit(area, file, k);
          }
        }
      }
    }
  }
  return !out.empty();
}

bool CRoute::FindObject(FullPoint& out, double& radius, double latitude, double longitude, int32_t kinds, bool sorted,
                        bool onlyInRoute) const {
  std::vector<FullPoint> found;
  if (!FindObjects(found, radius, latitude, longitude, kinds, sorted, onlyInRoute)) {
    return false;
  }
  // In sorted mode the course from the nearest object to the query picks one of the objects, so
  // repeated picks around a crowded spot reach all of them.
  const double course = InitialCourse(found[0].point.latitude, found[0].point.longitude, latitude, longitude);
  const auto count = static_cast<int>(found.size());
  const int index = std::clamp(static_cast<int>(course * count / 360.0), 0, count - 1);
  out = found[static_cast<size_t>(index)];
  return true;
}

bool CRoute::FindAirportOf(FullPoint& out, const NavPoint& key) const {
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  double lat = key.latitude;
  double lon = key.longitude;
  const uint16_t base = static_cast<uint16_t>(key.kind & ~kKindLevelMask);
  if (base == kKindRunway) {
    if (const RunwayRecord* runway = db.GetRunway(key)) {
      // The airport is searched from the runway's middle, not from its threshold.
      const double heading = BinaryAngleToDegrees(runway->heading);
      DestinationPoint(lat, lon, key.latitude, key.longitude, heading, runway->length / kFeetPerMetre / 2.0);
    }
  } else if (base == kKindMarker) {
    if (const MarkerRecord* marker = db.GetMarker(key)) {
      uint16_t course = 0;
      std::memcpy(&course, reinterpret_cast<const uint8_t*>(marker) + 3, sizeof course);
      if (marker->type == 0) {
        DestinationPoint(lat, lon, key.latitude, key.longitude, course, kOuterMarkerOffset);
      } else if (marker->type == 1 || marker->type == 2) {
        DestinationPoint(lat, lon, key.latitude, key.longitude, course, kInnerMarkerOffset);
      }
    }
  }
  double radius = kAirportOfRadius;
  return FindObject(out, radius, lat, lon, kKindAirport, false);
}

double CRoute::MagneticVariation(double latitude, double longitude) const {
  return ::MagneticVariation(DatabaseLease::HeldDatabase(), latitude, longitude);
}
