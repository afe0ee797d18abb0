// Position searches through the point grid against a plain walk over every tile: the same
// objects, in the same order, with the same final radius, for random databases and queries that
// reach the poles, the 180-degree meridian, shared positions (ties) and points filed away from
// their tile.

#include "navdb/Geodesy.h"
#include "navdb/tests/support/NavdbFixture.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Route.h"
#include "plotr/plan/tests/support/PlanFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

using namespace navdbtest;

// The search as it was before the grid: every tile of every file, in order.
std::vector<FullPoint> WalkEveryTile(double& radius, double lat, double lon, int32_t kinds, bool sorted) {
  struct Table {
    int32_t bits;
    PointArray array;
    bool nearestOnly;
  };
  const Table tables[] = {{0x0040, kArrayAirport, true}, {0x0080, kArrayRunway, true},
                          {0x000B, kArrayNdb, false},    {0x0013, kArrayVor, false},
                          {0x0020, kArrayIls, false},    {0x0200, kArrayCom, true},
                          {0x0100, kArrayMarker, true},  {0x0007, kArrayIntersection, false},
                          {0x7000, kArrayAirspace, true}};
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  std::vector<FullPoint> out;
  std::vector<double> distances;
  for (const Table& t : tables) {
    if ((kinds & t.bits) == 0) continue;
    const bool nearest = t.nearestOnly || !sorted;
    const CNavPointArray& points = db.Points(t.array);
    for (int area = 0; area < db.m_areas.GetSize(); ++area) {
      for (int file = db.FileRange(area).first; file < db.FileRange(area).end; ++file) {
        for (int tile = db.TileRange(file).first; tile < db.TileRange(file).end; ++tile) {
          const IndexRange range = db.PointRange(tile, t.array);
          for (int k = std::max(range.first, 0); k < range.end && k < points.GetSize(); ++k) {
            const NavPoint& p = points[k];
            if (!p.IsShown() || (p.kind & kinds & 0xFFFF) == 0) continue;
            if (t.array == kArrayAirspace) {
              const AirspaceRecord* a = db.GetAirspace(p);
              if (!a || (a->classWord & 0x3FFF & (static_cast<uint32_t>(kinds) >> 16)) == 0) continue;
            }
            const double d = GreatCircleDistance(lat, lon, p.latitude, p.longitude);
            if (!(d <= radius)) continue;
            FullPoint o;
            o.areaIndex = area;
            o.fileIndex = file;
            o.point = p;
            if (nearest) {
              out.assign(1, o);
              distances.assign(1, d);
              radius = d;
              continue;
            }
            size_t pos = 0;
            while (pos < distances.size() && distances[pos] < d) ++pos;
            out.insert(out.begin() + static_cast<std::ptrdiff_t>(pos), o);
            distances.insert(distances.begin() + static_cast<std::ptrdiff_t>(pos), d);
          }
        }
      }
    }
  }
  return out;
}

// Positions that favour the hard places: poles, the 180-degree meridian and a few crowded spots.
struct Places {
  std::mt19937 random{2024};
  double Latitude() {
    std::uniform_real_distribution<double> any(-90, 90), polar(84, 90);
    switch (random() % 4) {
      case 0: return polar(random);
      case 1: return -polar(random);
      case 2: return 47 + any(random) / 900;
      default: return any(random);
    }
  }
  double Longitude() {
    std::uniform_real_distribution<double> any(-180, 180), edge(-0.5, 0.5);
    switch (random() % 3) {
      case 0: {
        const double l = 180 + edge(random);
        return l > 180 ? l - 360 : l;
      }
      case 1: return 8 + any(random) / 900;
      default: return any(random);
    }
  }
};

void BuildRandomDatabase(Places& places) {
  CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  db.ClearDatabase();
  const VorRecord vor = Vor("VOR", 113.0f);
  const NdbRecord ndb = Ndb("NDB", 350);
  IntersectionRecord fix;
  SetFixedText(fix.ident, sizeof fix.ident, "FIX");
  const PayloadBytes fixBytes = Intersection(fix, {});
  AirportRecord airport;
  SetFixedText(airport.ident, sizeof airport.ident, "APT");
  const PayloadBytes airportBytes = Airport(airport, {}, {});
  std::vector<std::pair<double, double>> shared;  // positions used again, for ties
  for (int area = 0; area < 3; ++area) {
    db.AddArea("Scenery\\Random", nullptr);
    for (int file = 0; file < 6; ++file) {
      AddFile(db, "scenery", "random.bgl");
      for (int n = 0; n < 700; ++n) {
        double lat = places.Latitude(), lon = places.Longitude();
        if (!shared.empty() && places.random() % 8 == 0) {
          std::tie(lat, lon) = shared[places.random() % shared.size()];
        } else if (places.random() % 16 == 0) {
          shared.emplace_back(lat, lon);
        }
        const bool shown = places.random() % 10 != 0;
        switch (places.random() % 5) {
          case 0: AddPointAt(db, lat, lon, kKindVor, &vor, shown); break;
          case 1: AddPointAt(db, lat, lon, kKindNdb, &ndb, shown); break;
          case 2: AddPointAt(db, lat, lon, kKindAirport, airportBytes.data(), shown); break;
          case 3: {
            AirspaceRecord header;
            header.classWord = static_cast<uint16_t>(1 << (places.random() % 4));
            AddPointAt(db, lat, lon, kKindAirspaceLow << (places.random() % 3), Airspace(header, {}).data(), shown);
            break;
          }
          default: {
            // Filed under one position but standing at another, as an intersection moved onto
            // its navaid or a runway end filed under its runway's middle.
            NavPoint p(lat + 0.3, lon, kKindIntersection, shown ? 1 : 0);
            db.AddPoint(lat, lon, p, fixBytes.data());
          }
        }
      }
    }
  }
}

TEST(SearchGrid, FindsWhatAWalkOverEveryTileFinds) {
  DatabaseLease lease;
  Places places;
  BuildRandomDatabase(places);
  const plantest::ScopedPlanFolder folder("searchgrid");
  CRoute route;
  std::uniform_real_distribution<double> logRadius(1, 7);
  const int32_t masks[] = {0xF3FF, 0x1F, kKindAirport | kKindVor, 0x0007, 0x7000 | (0x3 << 16),
                           0x7000 | (0xF << 16) | kKindNdb};
  for (int n = 0; n < 2000; ++n) {
    const double lat = places.Latitude(), lon = places.Longitude();
    const double start = std::pow(10.0, logRadius(places.random));
    const int32_t kinds = masks[places.random() % std::size(masks)];
    const bool sorted = places.random() % 2 == 0;
    double expectedRadius = start, radius = start;
    const std::vector<FullPoint> expected = WalkEveryTile(expectedRadius, lat, lon, kinds, sorted);
    std::vector<FullPoint> found;
    route.FindObjects(found, radius, lat, lon, kinds, sorted, false);
    ASSERT_EQ(found.size(), expected.size()) << lat << "," << lon << " r " << start;
    for (size_t i = 0; i < found.size(); ++i) {
      ASSERT_EQ(std::memcmp(&found[i], &expected[i], sizeof(FullPoint)), 0) << "result " << i << " at " << lat << "," << lon;
    }
    ASSERT_EQ(radius, expectedRadius);
  }
  // A database that grows after a search is searched with its new points.
  const VorRecord vor = Vor("NEW", 110.0f);
  AddPointAt(lease.Database(), 10, 10, kKindVor, &vor);
  std::vector<FullPoint> found;
  double radius = 1000;
  ASSERT_TRUE(route.FindObjects(found, radius, 10, 10, kKindVor, false, false));
  EXPECT_EQ(found[0].point.latitude, 10.0f);
  lease.Database().ClearDatabase();
}

}  // namespace
