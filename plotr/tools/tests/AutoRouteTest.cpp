// The route finder's dialog rules, its run frame and the navaid-to-navaid search over the plan
// test world (all on the equator: DEPT at 0/0, ARRV at 0/3, fixes, VOR "VVV" at 0/1.5 and NDB
// "NN" at 0/2).

#include "platform/win/Clock.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/tests/PlanCoreTestSupport.h"
#include "plotr/plan/tests/support/FakePlanUi.h"
#include "plotr/tools/AutoRoute.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/tools/testing/FakeSidStarUi.h"
#include "plotr/tools/testing/FakeToolDialogs.h"
#include "plotr/tools/testing/SidStarWaypoints.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using plancore::EastDegrees;

constexpr double kNm = kMetresPerNm;

double LatOf(const PlanPoint& p) { return p.ref.point.latitude; }
double LonOf(const PlanPoint& p) { return p.ref.point.longitude; }
double Turn(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

AutoRouteDialogValues Navaids(int distance, bool vor = true, bool ndb = true, bool isec = true, bool gps = true) {
  AutoRouteDialogValues v;
  v.routeType = kAutoRouteNavaids;
  v.distance = distance;
  v.vor = vor;
  v.ndb = ndb;
  v.isec = isec;
  v.gps = gps;
  return v;
}

class AutoRouteTest : public plancore::PlanCoreTest {
 protected:
  AutoRouteTest() {
    // A second VOR beside the NDB, farther from the leg than the NDB.
    const VorRecord side = navdbtest::Vor("VXX", 112.0f);
    navdbtest::AddPointAt(DatabaseLease::HeldDatabase(), 0.2, 2.0, kKindVor, &side);
  }

  // A runway end of `metres` length heading `heading` degrees true, as a plan point.
  static PlanPoint RunwayAt(double lat, double lon, double heading, double metres) {
    RunwayRecord r = navdbtest::Runway("09", static_cast<uint16_t>(heading * 65536.0 / 360.0));
    r.length = static_cast<uint16_t>(std::lround(metres * kFeetPerMetre));
    navdbtest::AddPointAt(DatabaseLease::HeldDatabase(), lat, lon, kKindRunway, &r);
    return Db(lat, lon, kKindRunway);
  }

  CRoute Leg(const PlanPoint& a, const PlanPoint& b) {
    CRoute r = NewRoute();
    r.AddPoint(a);
    r.AddPoint(b);
    return r;
  }

  // Each point as kind and position, for comparing plans.
  static std::vector<std::string> Describe(const CRoute& r) {
    std::vector<std::string> out;
    for (int i = 0; i < r.GetCount(); ++i) {
      const NavPoint& p = r[i].ref.point;
      out.push_back(std::to_string(p.kind) + "@" + std::to_string(p.latitude) + "," + std::to_string(p.longitude) +
                    ((r[i].flags & kPointAutoRoute) ? "*" : ""));
    }
    return out;
  }

  plantest::FakePlanUi m_ui;
};

using tooltest::Wp;

// DEPT's SID over ALPHA to BRAVO and ARRV's STAR from CHARL, in a store over a private folder.
class AutoRouteProcedureTest : public AutoRouteTest {
 protected:
  void Store(const char* airportId, double lat, double lon, const char* runway, double runwayLon, uint16_t heading,
             std::vector<CSidStarWaypoint> waypoints, bool isStar) {
    CSidStarAirport a;
    a.guid = std::string(isStar ? "1" : "0") + "1234567-89AB-CDEF-0123-456789ABCDEF";
    a.id = airportId;
    a.name = std::string("Field ") + airportId;
    a.lat = static_cast<float>(lat);
    a.lon = static_cast<float>(lon);
    a.authors = {"Test"};
    CSidStarProcedure p;
    p.id = isStar ? "ARR1" : "DEP1";
    p.runway = runway;
    p.lat = 0;
    p.lon = static_cast<float>(runwayLon);
    p.heading = heading;
    p.waypoints = std::move(waypoints);
    const CSidStarWaypoint& fix = isStar ? p.waypoints.front() : p.waypoints.back();
    (isStar ? a.stars : a.sids).groups.push_back({fix.type, fix.ident, "", fix.lat, fix.lon, {p}});
    win::FakeClock clock;
    ASSERT_EQ(a.Save(m_folderText, clock), 1);
  }

  void SetUpStore(const char* sidRunway) {
    m_folderText = (m_folder.Folder() / "SidStar").string() + "/";
    std::filesystem::create_directories(m_folderText);
    m_store.SetFolders(m_folderText, m_folderText);
    Store("DEPT", 0, 0, sidRunway, -0.005, 90,
          {Wp('R', "09", 0, -0.005, 0, 90), Wp('I', "ALPHA", 0, 0.5), Wp('I', "BRAVO", 0, 1.0)}, false);
    Store("ARRV", 0, 3, "27", 3.005, 270, {Wp('I', "CHARL", 0, 2.5), Wp('R', "27", 0, 3.005, 0, 270)}, true);
    ASSERT_TRUE(m_store.ScanFiles());
  }

  std::string m_folderText;
  tooltest::FakeSidStarUi m_sidStarUi;
  CSidStarStore m_store{&m_sidStarUi, &m_ui};
};

TEST_F(AutoRouteProcedureTest, StoredSidAndStarJoinTheRunwaysToTheLeg) {
  for (const char* sidRunway : {"09", "09L"}) {  // the second only through the pass without identifiers
    SetUpStore(sidRunway);
    CRoute route = Leg(Db(0, -0.005, kKindRunway), Db(0, 3.005, kKindRunway));
    ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(100), &m_store));
    const std::vector<uint16_t> kinds = {kKindRunway, kKindIntersection, kKindIntersection, kKindIntersection,
                                         kKindRunway};
    ASSERT_EQ(static_cast<int>(kinds.size()), route.GetCount()) << sidRunway << ::testing::PrintToString(Describe(route));
    for (int k = 0; k < route.GetCount(); ++k) {
      EXPECT_EQ(kinds[static_cast<size_t>(k)], route[k].Kind() & ~kKindLevelMask) << k;
      EXPECT_EQ(k > 0 && k < 4, (route[k].flags & kPointAutoRoute) != 0) << k;
    }
    EXPECT_NEAR(1.0, LonOf(route[2]), 1e-6);
    EXPECT_NEAR(2.5, LonOf(route[3]), 1e-6);
    const std::vector<std::string> once = Describe(route);
    ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(100), &m_store));
    EXPECT_EQ(once, Describe(route));
  }

  // An airway search without a network fails and leaves none of its points.
  CRoute airway = Leg(Db(0, -0.005, kKindRunway), Db(0, 3.005, kKindRunway));
  AutoRouteDialogValues high = Navaids(100);
  high.routeType = kAutoRouteHighAirways;
  EXPECT_FALSE(RunAutoRouteSearch(airway, high, &m_store));
  EXPECT_EQ(2, airway.GetCount());

  // Without the SID switch the runway is extended instead.
  CRoute route = Leg(Db(0, -0.005, kKindRunway), Db(0, 3.005, kKindRunway));
  AutoRouteDialogValues noSid = Navaids(100);
  noSid.sid = false;
  ASSERT_TRUE(RunAutoRouteSearch(route, noSid, &m_store));
  // The rest of the way to CHARL is split at the VOR.
  ASSERT_EQ(5, route.GetCount());
  EXPECT_TRUE(route[1].IsUserPoint());
  EXPECT_EQ(kKindVor, route[2].Kind() & ~kKindLevelMask);
  EXPECT_EQ(kKindIntersection, route[3].Kind() & ~kKindLevelMask);
}

TEST_F(AutoRouteTest, OpensWithTheStoredValuesAndWithoutAirwaysAsNavaidToNavaid) {
  struct Case {
    int stored;
    bool airways;
    int opens;
  };
  for (const Case c : {Case{0, true, 0}, Case{1, true, 1}, Case{2, true, 2}, Case{0, false, 2}, Case{1, false, 2},
                       Case{2, false, 2}}) {
    g_Settings.SetRouteType(c.stored);
    g_Settings.SetRouteVor(false);
    g_Settings.SetRouteDistance(120);
    CRoute route = NewRoute();
    CAutoRouteDialogModel model(route, c.airways, c.airways, nullptr, &m_ui);
    const AutoRouteDialogValues v = model.InitValues();
    EXPECT_EQ(c.opens, v.routeType) << c.stored << " " << c.airways;
    EXPECT_EQ(c.airways, v.lowAirways);
    EXPECT_EQ(c.airways, v.highAirways);
    EXPECT_FALSE(v.vor);
    EXPECT_TRUE(v.ndb);
    EXPECT_EQ(120, v.distance);
    // The stored type itself stays until OK.
    EXPECT_EQ(c.stored, g_Settings.GetRouteType(true));
  }
  EXPECT_FALSE(AutoRouteNavaidControlsEnabled(kAutoRouteLowAirways));
  EXPECT_FALSE(AutoRouteNavaidControlsEnabled(kAutoRouteHighAirways));
  EXPECT_TRUE(AutoRouteNavaidControlsEnabled(kAutoRouteNavaids));
}

TEST_F(AutoRouteTest, OkStoresOnlyValidDistancesAndKeepsTheDialogOpenAfterAFailedAirwaySearch) {
  g_Settings.SetRouteDistance(70);
  g_Settings.SetRouteType(1);
  CRoute route = NewRoute();
  int searches = 0;
  bool answer = false;
  CAutoRouteDialogModel model(route, true, true, [&](CRoute&, const AutoRouteDialogValues&) {
    ++searches;
    return answer;
  }, &m_ui);
  for (int distance : {19, 201, 0, -5}) {
    EXPECT_EQ(CAutoRouteDialogModel::OkResult::kInvalid, model.Ok(Navaids(distance))) << distance;
  }
  EXPECT_EQ(0, searches);
  EXPECT_EQ(4u, m_ui.errors.size());
  EXPECT_EQ(70, g_Settings.GetRouteDistance(true));
  EXPECT_EQ(1, g_Settings.GetRouteType(true));

  AutoRouteDialogValues airway = Navaids(20, false, true, false, false);
  airway.routeType = kAutoRouteLowAirways;
  EXPECT_EQ(CAutoRouteDialogModel::OkResult::kSearchFailed, model.Ok(airway));
  ASSERT_EQ(1u, m_ui.information.size());
  EXPECT_EQ(kAutoRouteFailedText, m_ui.information[0]);
  // Stored before the search, written to the file.
  EXPECT_EQ(0, g_Settings.GetRouteType(true));
  EXPECT_EQ(20, g_Settings.GetRouteDistance(true));
  EXPECT_FALSE(g_Settings.GetRouteVor(true));
  EXPECT_FALSE(g_Settings.GetRouteGps(true));
  EXPECT_EQ(0, m_ui.waitDepth);
  EXPECT_GE(m_ui.waits, 1);

  // The navaid search never fails, whatever the search reports.
  EXPECT_EQ(CAutoRouteDialogModel::OkResult::kClose, model.Ok(Navaids(200)));
  answer = true;
  airway.routeType = kAutoRouteHighAirways;
  EXPECT_EQ(CAutoRouteDialogModel::OkResult::kClose, model.Ok(airway));
  EXPECT_EQ(1u, m_ui.information.size());
  EXPECT_EQ(3, searches);
}

TEST_F(AutoRouteTest, NavaidLegsAreSplitNearTheIdealDistance) {
  const double ideal = 60 * kNm;
  struct Case {
    double ratio;
    std::vector<double> at;  // positions of the inserted fixes, in ideal distances from the start
  };
  for (const Case& c : {Case{1.0, {}}, Case{1.5, {0.75}}, Case{2.5, {1.0, 1.75}}, Case{4.0, {1.0, 2.0, 3.0}}}) {
    // Off the world's objects (latitude 1) and user points at both ends: only fixes go in.
    const double end = c.ratio == 1.0 ? ideal - 1 : c.ratio * ideal;
    CRoute route = Leg(User(1, 0), User(1, EastDegrees(end) / std::cos(1 * kDegToRad)));
    ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(60), nullptr));
    ASSERT_EQ(static_cast<int>(c.at.size()) + 2, route.GetCount()) << c.ratio;
    for (size_t k = 0; k < c.at.size(); ++k) {
      const PlanPoint& p = route[static_cast<int>(k) + 1];
      EXPECT_TRUE(p.IsUserPoint());
      EXPECT_TRUE(p.flags & kPointAutoRoute);
      const double from = GreatCircleDistance(1, 0, p.ref.point.latitude, p.ref.point.longitude);
      EXPECT_NEAR(c.at[k] * ideal, from, 30.0) << c.ratio << " fix " << k;
    }
    for (int i = 0; i < route.GetCount(); ++i) EXPECT_EQ(0u, route[i].legType & kLegTypeMask);
  }
}

TEST_F(AutoRouteTest, NavaidChoiceTakesVorThenNdbThenIntersectionAndFixesOnlyWhenAllowed) {
  // 120 nm at an ideal 62 nm: one point at the middle, over the NDB, with the
  // side VOR within the search circle.
  struct Case {
    bool vor, ndb, isec, gps;
    uint16_t kind;  // 0: nothing inserted
    double lat, lon;
  };
  for (const Case& c : {Case{true, true, true, true, kKindVor, 0.2, 2.0}, Case{false, true, true, true, kKindNdb, 0, 2.0},
                        Case{false, false, true, true, kKindUserPoint, 0, 2.0},
                        Case{false, false, true, false, 0, 0, 0}}) {
    CRoute route = Leg(User(0, 1.0), User(0, 3.0));
    ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(62, c.vor, c.ndb, c.isec, c.gps), nullptr));
    if (c.kind == 0) {
      EXPECT_EQ(2, route.GetCount());
      continue;
    }
    ASSERT_EQ(3, route.GetCount()) << c.vor << c.ndb << c.isec << ::testing::PrintToString(Describe(route));
    EXPECT_EQ(c.kind, route[1].Kind() & ~kKindLevelMask);
    EXPECT_NEAR(c.lat, route[1].ref.point.latitude, 1e-4);
    EXPECT_NEAR(c.lon, route[1].ref.point.longitude, 1e-4);
  }
}

TEST_F(AutoRouteTest, WithoutFixesTheNextStepIsMeasuredFromTheIdealPosition) {
  // 3 x 40 nm along latitude 1: nothing found, nothing inserted, yet the walk reaches the end.
  CRoute route = Leg(User(1, 0), User(1, EastDegrees(3 * 40 * kNm - 100) / std::cos(kDegToRad)));
  ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(40, true, true, true, false), nullptr));
  EXPECT_EQ(2, route.GetCount());
}

TEST_F(AutoRouteTest, RunwaysAreExtendedStraightOutUnlessTheNextPointContinuesThem) {
  // Far south of the world's objects; the ideal distance keeps the navaid search out of it.
  struct Case {
    double metres;
    bool departure;
    double extension;  // metres from the runway end to the fix
  };
  for (const Case& c : {Case{1000, true, 5556}, Case{2000, true, 5556}, Case{1000, false, 5556},
                        Case{2000, false, 8000}, Case{3000, true, 7500}}) {
    const double lat = -5 - c.metres / 1000.0;
    const PlanPoint runway = RunwayAt(lat, 0, 90, c.metres);
    CRoute route = c.departure ? Leg(runway, User(lat, 2)) : Leg(User(lat, -2), runway);
    ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(200), nullptr));
    ASSERT_EQ(3, route.GetCount()) << c.metres << " " << c.departure;
    const PlanPoint& fix = route[1];
    EXPECT_TRUE(fix.IsUserPoint());
    EXPECT_TRUE(fix.flags & kPointAutoRoute);
    EXPECT_EQ(0u, fix.legType & kLegTypeMask);
    const double beyond = GreatCircleDistance(lat, 0, LatOf(fix), LonOf(fix)) - (c.departure ? c.metres : 0.0);
    EXPECT_NEAR(c.extension, beyond, 2.0) << c.metres << " " << c.departure;
    EXPECT_NEAR(c.departure ? 90.0 : 270.0, InitialCourse(lat, 0, LatOf(fix), LonOf(fix)), 0.01);
  }

  // A next point 5 degrees off the heading continues the runway at 8 km past its end, not at 9.
  for (const double km : {8.0, 9.0}) {
    const PlanPoint runway = RunwayAt(-12, 0, 90, 1000);
    double endLat = 0, endLon = 0, lat = 0, lon = 0;
    DestinationPoint(endLat, endLon, -12, 0, 90, 1000);
    DestinationPoint(lat, lon, endLat, endLon, 95, km * 1000);
    CRoute route = Leg(runway, User(lat, lon));
    ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(200), nullptr));
    EXPECT_EQ(km == 8.0 ? 2 : 3, route.GetCount()) << km;
  }

  // An airport departure gets nothing.
  CRoute route = Leg(Db(0, 0, kKindAirport), User(0, -0.5));
  ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(200), nullptr));
  EXPECT_EQ(2, route.GetCount());
}

TEST_F(AutoRouteTest, ExtensionsPreferANavaidInLineAndSharpTurnsGetAnOffsetFix) {
  // A VOR 7 km past a 1000 m runway's end, 3 degrees off its heading: taken over a fix.
  const PlanPoint runway = RunwayAt(-20, 0, 90, 1000);
  double lat = 0, lon = 0;
  DestinationPoint(lat, lon, -20, EastDegrees(1000) / std::cos(20 * kDegToRad), 93, 7000);
  const VorRecord vor = navdbtest::Vor("VEX", 111.0f);
  navdbtest::AddPointAt(DatabaseLease::HeldDatabase(), lat, lon, kKindVor, &vor);
  CRoute route = Leg(runway, User(-20, 2));
  ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(200), nullptr));
  ASSERT_EQ(3, route.GetCount());
  EXPECT_EQ(kKindVor, route[1].Kind());

  // Leaving eastwards for a point far west: the way back turns more than 90 degrees at the
  // extension, so a fix beside it smooths the turn.
  route = Leg(RunwayAt(-25, 0, 90, 1000), User(-25, -3));
  route.AddPoint(User(-24, -3));
  ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(200), nullptr));
  ASSERT_EQ(5, route.GetCount());
  EXPECT_TRUE(route[1].IsUserPoint() && route[2].IsUserPoint());
  EXPECT_NEAR(5556.0, GreatCircleDistance(LatOf(route[1]), LonOf(route[1]), LatOf(route[2]), LonOf(route[2])), 2.0);
  EXPECT_NEAR(90.0, Turn(InitialCourse(LatOf(route[1]), LonOf(route[1]), LatOf(route[2]), LonOf(route[2])), 90.0), 0.1);
  // Run again: the same plan.
  const std::vector<std::string> once = Describe(route);
  ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(200), nullptr));
  EXPECT_EQ(once, Describe(route));
}

TEST_F(AutoRouteTest, ASecondRunReplacesTheFirstRunsPointsAndTheirHiddenNeighbours) {
  CRoute route = Leg(Db(0, 0, kKindAirport), Db(0, 3, kKindAirport));
  ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(40), nullptr));
  const std::vector<std::string> once = Describe(route);
  ASSERT_GE(once.size(), 5u);

  // Hidden points on both sides of an auto point go with it; the user's own hidden point that
  // stands between two points of the user's stays.
  PlanPoint hidden = User(0.3, 1.2);
  hidden.flags |= kPointBearing;
  route.InsertPoint(3, hidden);
  route.InsertPoint(2, hidden);
  route.InsertPoint(2, hidden);
  PlanPoint own = User(-0.3, 2.9);
  own.flags |= kPointBearing;
  route.InsertPoint(route.GetCount(), own);
  route.InsertPoint(route.GetCount(), Db(0, 3.005, kKindRunway));
  ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(40), nullptr));
  ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(40), nullptr));

  std::vector<std::string> expected = once;
  const std::vector<std::string> tail = Describe(Leg(own, Db(0, 3.005, kKindRunway)));
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(expected, Describe(route));
}

TEST_F(AutoRouteTest, CalculateAutoRouteCommitsOnOkOnlyAndATwiceRunEqualsOnce) {
  Load(Leg(Db(0, 0, kKindAirport), Db(0, 3, kKindAirport)));
  // A plan made without a window layer: nothing happens.
  EXPECT_FALSE(planedit::CalculateAutoRoute(m_plan));

  FakeToolDialogs dialogs;
  CFlightPlanCore plan({&m_ui, &dialogs});
  plan.Clear();
  plan.Push(*m_plan.GetCurrent());
  plan.Rebuild();
  dialogs.autoRoutePresses = {Navaids(40)};
  dialogs.accept = false;
  EXPECT_FALSE(planedit::CalculateAutoRoute(plan));
  EXPECT_EQ(2, plan.GetCurrent()->GetCount());

  // The test world has no airways: the dialog opens on navaid to navaid; a failed airway press
  // keeps it open with its message, the navaid press then closes it.
  g_Settings.SetRouteType(1);
  dialogs.accept = true;
  AutoRouteDialogValues airway = Navaids(40);
  airway.routeType = kAutoRouteHighAirways;
  dialogs.autoRoutePresses = {airway, Navaids(40)};
  ASSERT_TRUE(planedit::CalculateAutoRoute(plan));
  EXPECT_EQ(kAutoRouteNavaids, dialogs.autoRouteIn.routeType);
  EXPECT_FALSE(dialogs.autoRouteIn.lowAirways);
  EXPECT_EQ((std::vector<bool>{false, true}), dialogs.autoRouteClosed);
  EXPECT_EQ(std::vector<std::string>{kAutoRouteFailedText}, m_ui.information);
  const std::vector<std::string> once = Describe(*plan.GetCurrent());
  EXPECT_GT(once.size(), 2u);
  EXPECT_TRUE(plan.CanUndo());

  dialogs.autoRoutePresses = {Navaids(40)};
  ASSERT_TRUE(planedit::CalculateAutoRoute(plan));
  EXPECT_EQ(once, Describe(*plan.GetCurrent()));
}

TEST_F(AutoRouteTest, AnAirportAndItsRunwayWithin10000MetresAreOneStop) {
  // HIGH's runway east of it, heading east, then a point far east: as one stop, the airport
  // ends the first leg and the runway starts the next, extended past its end; farther apart,
  // both are plain points of one way on and nothing is extended.
  struct Case {
    double metres;
    int count;
  };
  for (const Case c : {Case{9999, 5}, Case{10001, 4}}) {
    plancore::BuildPlanDatabase(DatabaseLease::HeldDatabase());
    const PlanPoint runway = RunwayAt(5, EastDegrees(c.metres) / std::cos(5 * kDegToRad), 90, 1000);
    const PlanPoint field = Db(5, 0, kKindAirport);
    const double apart = GreatCircleDistance(LatOf(field), LonOf(field), LatOf(runway), LonOf(runway));
    ASSERT_EQ(c.metres < 10000, apart < 10000) << apart;
    CRoute route = Leg(User(5, -1), field);
    route.AddPoint(runway);
    route.AddPoint(User(5, 2));
    ASSERT_TRUE(RunAutoRouteSearch(route, Navaids(200), nullptr));
    ASSERT_EQ(c.count, route.GetCount()) << c.metres << ::testing::PrintToString(Describe(route));
    EXPECT_EQ(kKindAirport, route[1].Kind() & ~kKindLevelMask);
    EXPECT_EQ(kKindRunway, route[2].Kind() & ~kKindLevelMask);
    if (c.count == 5) {
      EXPECT_TRUE(route[3].IsUserPoint() && (route[3].flags & kPointAutoRoute));
      EXPECT_NEAR(5556.0 + 1000.0, GreatCircleDistance(LatOf(runway), LonOf(runway), LatOf(route[3]), LonOf(route[3])), 2.0);
    }
  }
}

}  // namespace
