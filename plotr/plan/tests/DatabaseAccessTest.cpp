#include "plotr/plan/DatabaseAccess.h"

#include "navdb/Geodesy.h"
#include "navdb/tests/support/NavdbFixture.h"
#include "plotr/plan/Route.h"
#include "plotr/plan/tests/support/PlanFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace navdbtest;
using plantest::ObjectPoint;
using plantest::UserPoint;


class DatabaseAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DatabaseLease lease;
    CSceneryDatabase& db = lease.Database();
    db.ClearDatabase();
    db.AddArea("Scenery\\Test", nullptr);
    AddFile(db, "scenery", "test.bgl");

    AirportRecord header;
    SetFixedText(header.ident, sizeof header.ident, "AAA");
    ParkingEntry parking;
    parking.latitude = 47.3f;
    parking.longitude = 8.0f;
    AddPointAt(db, 47.0, 8.0, kKindAirport, Airport(header, {}, {parking}).data());   // airport 0
    AddPointAt(db, 47.5, 7.75, kKindAirport, Airport(header, {}, {}).data());          // airport 1
    AddPointAt(db, 47.5, 8.25, kKindAirport, Airport(header, {}, {}).data());          // airport 2, twin of 1
    const VorRecord vor = Vor("VVV", 112.5f);
    AddPointAt(db, 47.05, 8.05, 17, &vor);                                            // VOR 0 (low airway)
    AddPointAt(db, 47.10, 8.05, kKindVor, &vor);                                      // VOR 1
    AddPointAt(db, 47.20, 8.05, kKindVor, &vor, false);                               // VOR 2, not shown
    const NdbRecord ndb = Ndb("NN", 350);
    AddPointAt(db, 47.2, 8.2, 9, &ndb);                                               // NDB 0 (low airway)
    IntersectionRecord isec;
    SetFixedText(isec.ident, sizeof isec.ident, "NN");
    AddPointAt(db, 47.2, 8.2, 5, Intersection(isec, {}).data());                     // co-located fix
    RunwayRecord runway = Runway("09", 16384);  // 90 degrees true
    runway.length = 12000;
    AddPointAt(db, 50.0, 10.0, kKindRunway, &runway);
    AddPointAt(db, 50.0, 10.0 - 0.12, kKindAirport, Airport(header, {}, {}).data());  // west of the threshold
    AddPointAt(db, 50.0, 10.0 + 0.15, kKindAirport, Airport(header, {}, {}).data());  // east of the runway
    // Intersections leave the file's box alone; let it cover them as the compiler does.
    BglFileRecord& file = db.m_files[0];
    const float latMin = file.latMin;
    const float lonMax = file.lonMax;
    file.latMin = std::min(latMin, 47.2f);
    file.lonMax = std::max(lonMax, 8.2f);
  }
  void TearDown() override { DatabaseLease::HeldDatabase().ClearDatabase(); }

  static const NavPoint& AirportAt(int i) { return DatabaseLease::HeldDatabase().m_airports[i]; }
  static const NavPoint& VorAt(int i) { return DatabaseLease::HeldDatabase().m_vors[i]; }

  plantest::ScopedPlanFolder m_folder{"dbaccess"};
};

TEST_F(DatabaseAccessTest, NearestModeKeepsTheNearestAndTheLastOfEquals) {
  CRoute route;
  std::vector<FullPoint> found;

  double radius = 50000;
  ASSERT_TRUE(route.FindObjects(found, radius, 47.0, 8.0, kKindAirport | kKindVor, false, false));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].point, AirportAt(0));
  EXPECT_EQ(radius, 0.0) << "the radius shrinks to the nearest distance";
  EXPECT_EQ(+found[0].areaIndex, 0);
  EXPECT_EQ(found[0].fileIndex, 0);

  // Two airports at exactly the same distance: the one scanned last wins.
  FullPoint one;
  radius = 50000;
  ASSERT_TRUE(route.FindObject(one, radius, 47.5, 8.0, kKindAirport, false));
  EXPECT_EQ(one.point, AirportAt(2));

  // Nothing within the radius; a NaN position is near nothing.
  radius = 10;
  EXPECT_FALSE(route.FindObjects(found, radius, 0, 0, 0xFFFF, true, false));
  EXPECT_TRUE(found.empty());
  radius = 1e9;
  EXPECT_FALSE(route.FindObject(one, radius, std::nan(""), 8.0, 0xFFFF, false));
}

TEST_F(DatabaseAccessTest, SortedModeOrdersByDistanceAcrossTables) {
  CRoute route;
  std::vector<FullPoint> found;
  double radius = 50000;
  ASSERT_TRUE(route.FindObjects(found, radius, 47.0, 8.0, kKindVor | kKindNdb, true, false));
  EXPECT_EQ(radius, 50000) << "sorted mode keeps the radius";
  ASSERT_EQ(found.size(), 3u) << "the hidden VOR is not offered";
  EXPECT_EQ(found[0].point, VorAt(0));
  EXPECT_EQ(found[1].point, VorAt(1));
  EXPECT_EQ(+found[2].point.kind, 9);

  // Airports are always searched for the nearest only, and their distance becomes the radius
  // of the tables after them.
  radius = 50000;
  ASSERT_TRUE(route.FindObjects(found, radius, 47.0, 8.0, kKindAirport | kKindVor, true, false));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].point, AirportAt(0));

  // The intersection bits of a VOR kind bring in VORs and intersections with level bits.
  radius = 50000;
  ASSERT_TRUE(route.FindObjects(found, radius, 47.2, 8.2, 1, true, false));
  ASSERT_EQ(found.size(), 3u);
  // At equal distance the later object goes first: the intersection, scanned after the NDB.
  EXPECT_EQ(+found[0].point.kind, 5);
  EXPECT_EQ(+found[1].point.kind, 9);
  EXPECT_EQ(found[2].point, VorAt(0));
}

TEST_F(DatabaseAccessTest, SortedPickFollowsTheCourseToTheQuery) {
  CRoute route;
  FullPoint one;
  // The index is course x count / 360, the course taken from the nearest object to the query:
  // north-east of the nearest VOR (about 30 degrees) picks the first of two.
  double radius = 50000;
  ASSERT_TRUE(route.FindObject(one, radius, 47.06, 8.06, kKindVor, true));
  EXPECT_EQ(one.point, VorAt(0));
  // South-west of it (about 210 degrees) picks the second.
  radius = 50000;
  ASSERT_TRUE(route.FindObject(one, radius, 47.04, 8.04, kKindVor, true));
  EXPECT_EQ(one.point, VorAt(1));
}

TEST_F(DatabaseAccessTest, ParkingsRouteOnlyAndUserFixes) {
  CRoute route;
  route.AddPoint(UserPoint(47.01, 8.0));
  route.AddPoint(ObjectPoint(47.10, 8.05, kKindVor));
  std::vector<FullPoint> found;

  double radius = 1000;
  ASSERT_TRUE(route.FindObjects(found, radius, 47.3, 8.0, kKindAirport | kSearchParkings, true, false));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(+found[0].point.kind, kKindAirport);
  EXPECT_EQ(+found[0].point.latitude, 47.3f) << "the airport at its parking position";
  EXPECT_EQ(+found[0].areaIndex, 0);
  radius = 1000;
  EXPECT_FALSE(route.FindObjects(found, radius, 47.3, 8.0, kKindAirport | kSearchParkings, true, true));

  radius = 50000;
  ASSERT_TRUE(route.FindObjects(found, radius, 47.0, 8.0, kKindVor, true, true));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].point, VorAt(1));

  // User fixes are offered within the radius whatever their bits, with no indexes.
  radius = 5000;
  ASSERT_TRUE(route.FindObjects(found, radius, 47.0, 8.0, kKindUserPoint, true, false));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(+found[0].areaIndex, -1);
  EXPECT_EQ(+found[0].point.kind, kKindUserPoint);
}

TEST_F(DatabaseAccessTest, ResolveFindsStoredKeysWhateverTheirOffset) {
  CRoute route;
  FullPoint out;
  struct Case {
    const char* name;
    NavPoint key;
    bool found;
  } cases[] = {
      {"key from a plan file", NavPoint(47.10, 8.05, kKindVor, 1), true},
      {"own key", VorAt(1), true},
      {"level bits in either", NavPoint(47.05, 8.05, kKindVor, 1), true},
      {"other offset", [] { NavPoint k = VorAt(1); k.SetPayloadOffset(VorAt(0).PayloadOffset()); return k; }(), false},
      {"shown flag differs", NavPoint(47.20, 8.05, kKindVor, 1), false},
      {"hidden key finds hidden point", NavPoint(47.20, 8.05, kKindVor, 0), true},
      {"no table for kind 2", NavPoint(47.10, 8.05, 2, 1), false},
      {"position off by a float step", NavPoint(std::nextafter(47.10f, 48.f), 8.05, kKindVor, 1), false},
  };
  for (const auto& c : cases) {
    out = FullPoint{};
    EXPECT_EQ(route.Resolve(out, c.key), c.found) << c.name;
    if (c.found) {
      EXPECT_EQ(+out.areaIndex, 0) << c.name;
      EXPECT_EQ(+out.point.latitude, c.key.latitude) << c.name;
    }
  }

  route.AddPoint(UserPoint(1, 2));
  NavPoint user;
  CRoute::MakeUserPoint(user, 1, 2);
  ASSERT_TRUE(route.Resolve(out, user));
  EXPECT_EQ(+out.areaIndex, -1);
  EXPECT_EQ(out.point.word & kPayloadMask, route[0].FixId());
  CRoute::MakeUserPoint(user, 1, 3);
  EXPECT_FALSE(route.Resolve(out, user));
}

TEST_F(DatabaseAccessTest, AirportOfARunwayIsSearchedFromItsMiddle) {
  CRoute route;
  FullPoint airport;
  ASSERT_TRUE(route.FindAirportOf(airport, DatabaseLease::HeldDatabase().m_runways[0]));
  EXPECT_NEAR(+airport.point.longitude, 10.15, 1e-5);

  // Searched from its own position, the other airport would have been the nearer one.
  double radius = kAirportOfRadius;
  ASSERT_TRUE(route.FindObject(airport, radius, 50.0, 10.0, kKindAirport, false));
  EXPECT_NEAR(+airport.point.longitude, 9.88, 1e-5);
}

TEST_F(DatabaseAccessTest, RevalidateKeepsEachPointInItsOwnFamily) {
  CRoute route;
  // An NDB carrying airway bits shares its spot with an intersection that is scanned after it.
  route.AddPoint(ObjectPoint(47.2, 8.2, 9));
  route.AddPoint(ObjectPoint(47.2, 8.2, 5));
  route.AddPoint(ObjectPoint(47.1001, 8.0501, kKindVor));  // moved a little since the last build
  route.AddPoint(ObjectPoint(30.0, 30.0, kKindVor));       // gone from the database
  route.AddPoint(UserPoint(47.5, 8.0));

  EXPECT_EQ(route.Revalidate(), 1);
  ASSERT_EQ(route.GetCount(), 4);
  EXPECT_EQ(route[0].Kind(), 9);
  EXPECT_EQ(+route[0].ref.areaIndex, 0);
  EXPECT_EQ(route[1].Kind(), 5);
  EXPECT_EQ(route[2].ref.point, VorAt(1));
  EXPECT_TRUE(route[3].IsUserPoint());
  EXPECT_EQ(+route[3].ref.areaIndex, -1);
}

TEST_F(DatabaseAccessTest, MagneticVariationStaysInsideTheGrid) {
  CRoute route;
  EXPECT_EQ(route.MagneticVariation(47, 8), 0.0) << "no grid";

  MagVarGrid grid;
  auto set = [&](int lat, int lon, int16_t raw) { grid.value[((lon + 360) % 360) * kMagVarLatitudes + lat + 90] = raw; };
  set(90, 0, 1024);
  set(-90, 0, 2048);
  set(0, 180, -4096);
  set(47, 8, static_cast<int16_t>(-32768));
  set(0, 0, 512);
  DatabaseLease::HeldDatabase().m_magVarGrids.Add(grid);

  struct Case {
    const char* name;
    double lat, lon;
    double expected;
  } cases[] = {
      {"north pole row", 89.6, 0, BinaryAngleToDegrees(-1024)},
      {"beyond the pole", 95, 0.2, BinaryAngleToDegrees(-1024)},
      {"south beyond", -1000, 0, BinaryAngleToDegrees(-2048)},
      {"date line from the west", 0, -179.6, BinaryAngleToDegrees(4096)},
      {"date line from the east", 0.4, 180.4, BinaryAngleToDegrees(4096)},
      {"far longitude wraps", 0, 720.2, BinaryAngleToDegrees(-512)},
      {"negation in 16 bits", 47.4, 7.6, -180},
      {"NaN latitude", std::numeric_limits<double>::quiet_NaN(), 0, BinaryAngleToDegrees(-512)},
      {"infinite longitude", 0, std::numeric_limits<double>::infinity(), BinaryAngleToDegrees(-512)},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(route.MagneticVariation(c.lat, c.lon), c.expected) << c.name;
  }
}

}  // namespace
