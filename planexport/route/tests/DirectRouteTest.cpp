#include "planexport/route/DirectRoute.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "planexport/common/testing/ScriptedPlan.h"
#include "planexport/route/SphericalEarth.h"

namespace {

using namespace flpxtest;

// Degrees of arc for a distance in nautical miles on the modules' earth: near the equator a
// point `nm` north or east of (0, 0) lies that far from it.
double Arc(double nm) { return nm * 1852.0 / (kPluginEarthRadius * kPluginDegToRad); }

class DirectRouteTest : public ::testing::Test {
 protected:
  DirectRouteTest() {
    ResetScript();
    SetAirport(Script().info.departure, "Start", "DEP", 0, 0, 0, 0, 0);
    SetAirport(Script().info.arrival, "End", "ARR", 0, Arc(200), 0, 0, 0);
  }
  // A row `north` and `east` nautical miles from the departure.
  static ScriptRow At(char type, const char* ident, double north, double east = 0, double leg = 0) {
    ScriptRow r;
    r.type = type;
    r.ident = ident;
    r.lat = Arc(north);
    r.lon = Arc(east);
    r.distance = leg;
    return r;
  }
  FlpxPlanSource Plan() const { return FlpxPlanSource(m_imports, &Script()); }
  std::string Route(const DirectRouteSeparators& separators = kNetworkClientSeparators) const {
    return BuildDirectRoute(Plan(), FindRouteEndpoints(Plan(), Script().info), separators);
  }

  FlpxImportTableRecord m_imports = ScriptedImports();
};

TEST(SphericalEarth, ReducesCoursesAndMeasuresArcs) {
  struct ModCase {
    double a, b, expected;
  };
  const ModCase mods[] = {{-720, 360, 360}, {-360, 360, 360}, {-90, 360, 270}, {725, 360, 5}, {0, 360, 0}, {360, 360, 0}};
  for (const ModCase& c : mods) {
    SCOPED_TRACE(c.a);
    EXPECT_DOUBLE_EQ(FloatMod(c.a, c.b), c.expected);
  }
  EXPECT_DOUBLE_EQ(AngleDiff(10, 350), 20);
  EXPECT_DOUBLE_EQ(AngleDiff(350, 10), 20);
  EXPECT_DOUBLE_EQ(AngleDiff(0, 180), 180);
  EXPECT_DOUBLE_EQ(AngleDiff(-90, 90), 180);

  EXPECT_NEAR(PluginGreatCircleDistance(0, 0, 1, 0), kPluginEarthRadius * kPluginDegToRad, 1e-6);
  EXPECT_NEAR(PluginGreatCircleDistance(47.5, 8.5, 47.5, 8.5), 0, 1e-3) << "rounding stays inside acos";
  EXPECT_NEAR(PluginGreatCircleDistance(0, 0, 0, 180), kPluginEarthRadius * M_PI, 1e-6);
  EXPECT_NEAR(PluginInitialCourse(0, 0, 1, 0), 0, 1e-9);
  EXPECT_NEAR(PluginInitialCourse(0, 0, 0, 1), 90, 1e-9);
  EXPECT_NEAR(PluginInitialCourse(0, 0, -1, 0), 180, 1e-9);
  EXPECT_NEAR(PluginInitialCourse(0, 0, 0, -1), 270, 1e-9);
  EXPECT_NEAR(PluginInitialCourse(47, 8, 48, 9), 33.67, 0.01);
}

TEST(DirectRoute, NamedFixesAreNavaidsAndNamedOrCoordinateIntersections) {
  struct Case {
    char type;
    const char* id;
    bool named;
  };
  const Case cases[] = {
      {'I', "ABC", true},   {'K', "ABC", true},    {'M', "ABC", true},   {'N', "ZH", true},
      {'O', "5020N", true}, {'O', "50N20", true},  {'O', "ABCDE", true}, {'O', "ABC", true},
      {'O', "D123A", false}, {'O', "5020X", false}, {'O', "50X20", false}, {'O', "502N", false},
      {'L', "ABC", false},  {'P', "HOME", false},  {'A', "LSZH", false}, {0, "ABC", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.id);
    EXPECT_EQ(IsNamedFix(MakeWaypoint(c.type, c.id, "")), c.named);
  }
}

TEST(DirectRoute, UserPointsAreWrittenInWholeRoundedMinutes) {
  EXPECT_EQ(UserPointCode(47.5125, -8.2), "4731N00812W");
  EXPECT_EQ(UserPointCode(-33.99999, 151.2583), "3400S15115E");
  EXPECT_EQ(UserPointCode(0, 0), "0000N00000E");
  EXPECT_EQ(UserPointCode(std::nan(""), -180), "0000S18000W");
}

TEST_F(DirectRouteTest, CountingLeavesTheCursorWhereTheWalkGoesOn) {
  AddRows({At('A', "DEP", 0), At('M', "ONE", 10, 0, 10), At('M', "TWO", 20, 0, 10), At('M', "THR", 30, 0, 7.5),
           At('A', "ARR", 40, 0, 2.25)});
  FlpxWaypoint w;
  const FlpxPlanSource plan = Plan();
  ASSERT_TRUE(plan.Waypoint(kFlpxMoveFirst, w));
  ASSERT_TRUE(plan.Waypoint(kFlpxMoveNext, w));
  ASSERT_TRUE(plan.Waypoint(kFlpxMoveNext, w));
  int count = -1;
  EXPECT_DOUBLE_EQ(CountRouteWaypoints(count, plan, 2), 9.75);
  EXPECT_EQ(count, 2);
  ASSERT_TRUE(plan.Waypoint(kFlpxMoveNext, w));
  EXPECT_EQ(FieldText(w.ident), "THR");

  ASSERT_TRUE(plan.Waypoint(kFlpxMoveLast, w));
  EXPECT_DOUBLE_EQ(CountRouteWaypoints(count, plan, 4), 0);
  EXPECT_EQ(count, 0);
  EXPECT_FALSE(plan.Waypoint(kFlpxMoveNext, w)) << "back on the last record";
}

TEST_F(DirectRouteTest, ANearFixOpensTheRouteOnlyWhenFarIntoThePlan) {
  struct Case {
    const char* name;
    int fillers;  // climb points between the departure and the VOR
    double flown;  // legs up to the VOR
    bool opens;
  };
  const Case cases[] = {
      {"index 3 after 8 nm", 2, 8, false},
      {"index 5 after 8 nm", 4, 8, true},
      {"index 3 after 16 nm", 2, 16, true},
      {"index 4 after 15 nm", 3, 15, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetScript();
    SetAirport(Script().info.departure, "Start", "DEP", 0, 0, 0, 0, 0);
    SetAirport(Script().info.arrival, "End", "ARR", 0, Arc(200), 0, 0, 0);
    AddRows({At('A', "DEP", 0)});
    for (int i = 0; i < c.fillers; ++i) AddRows({At('Q', "", 1, 0, c.flown / (c.fillers + 1))});
    AddRows({At('M', "NEAR", 5, 0, c.flown / (c.fillers + 1))});
    // Farther out and not nearer: it opens the route only when the near VOR did not, and is
    // dropped on the straight line after it otherwise.
    AddRows({At('M', "FAR", 30, 0, 25), At('M', "END", 185, 0, 155), At('A', "ARR", 200, 0, 15)});
    const RouteEndpoints ends = FindRouteEndpoints(Plan(), Script().info);
    EXPECT_EQ(ends.first, c.opens ? c.fillers + 1 : c.fillers + 2);
    EXPECT_EQ(ends.last, c.fillers + 3);
    EXPECT_EQ(Route(), c.opens ? "DCT NEAR END DCT" : "DCT FAR END DCT");
  }
}

TEST_F(DirectRouteTest, ANonNamedCandidateGivesWayWithinThirtyFiveMiles) {
  // A DME 12 nm out opens the route, then a VOR 30 nm out replaces it although it is farther.
  AddRows({At('A', "DEP", 0), At('L', "DME", 12, 0, 12), At('M', "VOR", 30, 0, 18), At('M', "FAR", 40, 0, 10),
           At('M', "END", 190, 0, 150), At('A', "ARR", 200, 0, 10)});
  EXPECT_EQ(FindRouteEndpoints(Plan(), Script().info).first, 2);
}

TEST_F(DirectRouteTest, ANearFixClosesTheRouteOnlyWithEnoughPlanAfterIt) {
  struct Case {
    const char* name;
    int after;       // records after the near VOR
    double legsAfter;  // nautical miles of legs after it
    bool closes;
  };
  const Case cases[] = {
      {"one record, 9 nm", 1, 9, false},
      {"one record, 16 nm", 1, 16, true},
      {"six records, 6 nm", 6, 6, true},
      {"five records, 15 nm", 5, 15, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetScript();
    SetAirport(Script().info.departure, "Start", "DEP", 0, 0, 0, 0, 0);
    SetAirport(Script().info.arrival, "End", "ARR", 0, Arc(200), 0, 0, 0);
    AddRows({At('A', "DEP", 0), At('M', "ONE", 50, 0, 50), At('M', "TWO", 150, 0, 100),
             At('M', "NEAR", 195, 0, 45)});
    for (int i = 0; i < c.after - 1; ++i) AddRows({At('V', "", 199, 0, c.legsAfter / c.after)});
    AddRows({At('A', "ARR", 200, 0, c.legsAfter / c.after)});
    const RouteEndpoints ends = FindRouteEndpoints(Plan(), Script().info);
    EXPECT_EQ(ends.first, 1);
    EXPECT_EQ(ends.last, c.closes ? 3 : 2);
    EXPECT_EQ(Route(), c.closes ? "DCT ONE TWO NEAR DCT" : "DCT ONE TWO DCT");
  }
}

TEST_F(DirectRouteTest, WithoutANamedFixNearestToTheArrivalTheRouteIsEmpty) {
  // The user point is nearer the arrival than every navaid after it.
  AddRows({At('A', "DEP", 0), At('P', "", 199, 0, 199), At('M', "VOR", 100, 0, 99), At('A', "ARR", 200, 0, 100)});
  EXPECT_EQ(FindRouteEndpoints(Plan(), Script().info).last, kNoClosingFix);
  EXPECT_EQ(Route(), "DCT");
  EXPECT_EQ(Route(kOpsplanSeparators), "DCT");

  ResetScript();
  AddRows({At('A', "DEP", 0), At('Q', "", 10, 0, 10), At('T', "", 190, 0, 180), At('A', "ARR", 200, 0, 10)});
  EXPECT_EQ(Route(), "DCT") << "no route point at all";
  ResetScript();
  EXPECT_EQ(Route(), "DCT") << "no record at all";
}

TEST_F(DirectRouteTest, FixesOnAStraightStretchAreDroppedUnlessFarApart) {
  struct Case {
    const char* name;
    double middle;    // nautical miles north of the first fix
    double next;      // of the fix after it
    double nextEast;  // its offset to the east
    const char* route;
  };
  const Case cases[] = {
      {"straight, 40 nm then 60 nm", 40, 100, 0, "DCT AAA CCC DCT"},
      {"a turn of 5 degrees", 40, 100, 60 * std::tan(5 * kPluginDegToRad), "DCT AAA BBB CCC DCT"},
      {"a turn of 3 degrees", 40, 100, 60 * std::tan(3 * kPluginDegToRad), "DCT AAA CCC DCT"},
      {"straight, 90 nm then 60 nm", 90, 150, 0, "DCT AAA BBB CCC DCT"},
      {"straight, 90 nm then 40 nm", 90, 130, 0, "DCT AAA CCC DCT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetScript();
    SetAirport(Script().info.departure, "Start", "DEP", 0, 0, 0, 0, 0);
    SetAirport(Script().info.arrival, "End", "ARR", 0, Arc(20 + c.next + 15), Arc(c.nextEast), 0, 0);
    AddRows({At('A', "DEP", 0), At('M', "AAA", 20, 0, 20), At('M', "BBB", 20 + c.middle, 0, c.middle),
             At('M', "CCC", 20 + c.next, c.nextEast, c.next - c.middle),
             At('A', "ARR", 20 + c.next + 15, c.nextEast, 15)});
    EXPECT_EQ(Route(), c.route);
  }
}

TEST_F(DirectRouteTest, WritesIdsAndUserPointsWithEitherSeparators) {
  // The plan ends on a VOR 15 nm out: as the plan's final record it closes the route but is
  // never examined itself, so the user point is the last fix written.
  SetAirport(Script().info.departure, "Start", "DEP", 0, 46.5, -9.5, 0, 0);
  SetAirport(Script().info.arrival, "End", "ARR", 0, 49.5, -7.0, 0, 0);
  AddRows({{.type = 'A', .ident = "DEP", .lat = 46.5, .lon = -9.5},
           {.type = 'M', .ident = "ABC", .lat = 46.9, .lon = -9.0, .distance = 30},
           {.type = 'Q', .lat = 47.0, .lon = -8.8, .distance = 10},
           {.type = 'O', .ident = "DEF", .lat = 47.2, .lon = -8.9, .distance = 20},
           {.type = 'P', .lat = 47.5125, .lon = -8.2, .distance = 40},
           {.type = 'M', .ident = "XYZ", .lat = 49.75, .lon = -7.0, .distance = 150}});
  const RouteEndpoints ends = FindRouteEndpoints(Plan(), Script().info);
  EXPECT_EQ(ends.first, 1);
  EXPECT_EQ(ends.last, 5);
  EXPECT_EQ(Route(), "DCT ABC DEF 4731N00812W DCT");
  EXPECT_EQ(Route(kOpsplanSeparators), "DCT-ABC-DEF-4731N00812W-DCT");
}

TEST_F(DirectRouteTest, LongRoutesAreWrittenWhole) {
  // 2500 VORs on a zigzag: every one turns, and the text passes any fixed buffer.
  SetAirport(Script().info.arrival, "End", "ARR", 0, Arc(2501 * 1.5), 0, 0, 0);
  AddRows({At('A', "DEP", 0)});
  for (int i = 1; i <= 2500; ++i) AddRows({At('M', "ZIGZA", i * 1.5, (i % 2) * 1.0, 1.8)});
  AddRows({At('A', "ARR", 2501 * 1.5, 0, 1.5)});
  const RouteEndpoints ends = FindRouteEndpoints(Plan(), Script().info);
  EXPECT_EQ(ends.first, 5) << "the fifth record, though near";
  EXPECT_EQ(ends.last, 2495) << "the nearest with six records after it";
  const size_t fixes = static_cast<size_t>(ends.last - ends.first + 1);
  const std::string route = Route();
  EXPECT_EQ(route.size(), 4 + fixes * 5 + (fixes - 1) + 4);
  EXPECT_EQ(route.substr(route.size() - 10), " ZIGZA DCT");
}

}  // namespace
