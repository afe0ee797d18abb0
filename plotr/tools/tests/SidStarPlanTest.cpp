// Checking plans before they are saved as procedures, and putting stored procedures back into a
// plan with every waypoint found again in the database.

#include "plotr/plan/tests/PlanCoreTestSupport.h"
#include "plotr/tools/SidStarFile.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/tools/testing/FakeSidStarUi.h"
#include "plotr/tools/testing/SidStarWaypoints.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Clock.h"

#include <cstring>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

using tooltest::Wp;

class SidStarPlanTest : public plancore::PlanCoreTest {
 protected:
  SidStarPlanTest() {
    using namespace navdbtest;
    // A runway end far from any airport, a nameless NDB and an airway-linked VOR.
    const RunwayRecord lonely = Runway("18", 32768);
    AddPointAt(DatabaseLease::HeldDatabase(), 10, 10, kKindRunway, &lonely);
    const NdbRecord nameless = Ndb("", 300.0f);
    AddPointAt(DatabaseLease::HeldDatabase(), 0, 0.8, kKindNdb, &nameless);
    const VorRecord linked = Vor("LVL", 112.0f);
    AddPointAt(DatabaseLease::HeldDatabase(), 0, 1.2, kKindVor + 1, &linked);

    m_sidStarFolder = (m_folder.Folder() / "SidStar").string() + "/";
    fs::create_directories(m_sidStarFolder);
    m_store.SetFolders(m_sidStarFolder, m_sidStarFolder);
  }

  // Writes DEPT's file with the procedures given and lists it.
  void StoreProcedures(const std::vector<std::vector<CSidStarWaypoint>>& sids,
                       const std::vector<std::vector<CSidStarWaypoint>>& stars) {
    CSidStarAirport a;
    a.guid = "01234567-89AB-CDEF-0123-456789ABCDEF";
    a.id = "DEPT";
    a.name = "Field DEPT";
    a.authors = {"Test"};
    int n = 0;
    for (const auto* list : {&sids, &stars}) {
      CSidStarList& target = list == &sids ? a.sids : a.stars;
      for (const auto& waypoints : *list) {
        CSidStarProcedure p;
        p.id = "P" + std::to_string(++n);
        p.waypoints = waypoints;
        target.groups.push_back({waypoints.back().type, "G" + std::to_string(n), "", 0, 0, {p}});
      }
    }
    win::FakeClock clock;
    ASSERT_EQ(a.Save(m_sidStarFolder, clock), 1);
    ASSERT_TRUE(m_store.ScanFiles());
  }

  std::string m_sidStarFolder;
  tooltest::FakeSidStarUi m_ui;
  CSidStarStore m_store{&m_ui};
};

TEST_F(SidStarPlanTest, PlanCheck) {
  const PlanPoint r09 = Db(0, -0.005, kKindRunway);
  const PlanPoint r27 = Db(0, 3.005, kKindRunway);
  const PlanPoint alpha = Db(0, 0.5, kKindIntersection);
  const PlanPoint bravo = Db(0, 1.0, kKindIntersection);
  const PlanPoint nn = Db(0, 2.0, kKindNdb);
  const PlanPoint charlie = Db(0, 2.5, kKindIntersection);
  const auto offRunway = [&](double degrees) {
    double lat = 0, lon = 0;
    DestinationPoint(lat, lon, r09.ref.point.latitude, r09.ref.point.longitude, 90.0 + degrees, 20000.0);
    return User(lat, lon, "TURN");
  };
  PlanPoint bearing = bravo;
  bearing.flags |= kPointBearing;
  struct Case {
    const char* name;
    std::vector<PlanPoint> points;
    int result;
    int stringId;
    int number;
  };
  const Case cases[] = {
      {"SID", {r09, alpha, bravo}, kPlanIsSid, 0, 0},
      {"STAR", {nn, User(0, 3.2, "FINAL"), r27}, kPlanIsStar, 0, 0},
      // Plan positions are floats: the course of a fix placed at exactly 10 degrees comes back a
      // hair above it.
      {"first navaid 10 degrees off", {r09, offRunway(9.999), bravo}, kPlanIsSid, 0, 0},
      {"first navaid 11 degrees off", {r09, offRunway(11), bravo}, kPlanIsNoProcedure, 6123, 2},
      {"runway at both ends", {r09, alpha, r27}, kPlanIsNoProcedure, 6131, 3},
      {"only two runway ends", {r09, r27}, kPlanIsNoProcedure, 6131, 2},
      {"bearing point last", {r09, alpha, bearing}, kPlanIsNoProcedure, 6122, 3},
      {"one point", {bravo}, kPlanIsNoProcedure, 6128, 1},
      {"no runway", {alpha, bravo}, kPlanIsNoProcedure, 6131, 2},
      {"automatic fix name first", {User(0, 0.7), alpha, r27}, kPlanIsNoProcedure, 6129, 1},
      {"airport in between", {r09, alpha, Db(0, 0, kKindAirport), bravo}, kPlanIsNoProcedure, 6130, 3},
      {"navaid without identifier", {r09, alpha, Db(0, 0.8, kKindNdb), bravo}, kPlanIsNoProcedure, 6125, 3},
      {"last leg not in line", {nn, charlie, r27}, kPlanIsNoProcedure, 6124, 3},
      {"runway without airport", {Db(10, 10, kKindRunway), alpha}, kPlanIsNoProcedure, 6126, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRoute route = NewRoute();
    for (const PlanPoint& p : c.points) route.AddPoint(p);
    int stringId = -1, number = -1;
    EXPECT_EQ(m_store.CheckPlanAsSidStar(route, stringId, number), c.result);
    EXPECT_EQ(stringId, c.stringId);
    EXPECT_EQ(number, c.number);
    // The shell shows the refusal by its number.
    if (c.stringId != 0) {
      EXPECT_FALSE(ui::LoadString(static_cast<unsigned>(c.stringId)).empty());
    }
  }
}

TEST_F(SidStarPlanTest, InsertionFindsReplacesAndDropsWaypoints) {
  StoreProcedures(
      {
          // The NDB "ALPHA" is gone; the intersection of that name stands in for it.
          {Wp('R', "09", 0, -0.005, 0, 90), Wp('N', "ALPHA", 0, 0.51), Wp('V', "GONE", 0, 0.7),
           Wp('V', "GONEB", 0, 0.9, kSidStarBearing), Wp('V', "LVL", 0, 1.2)},
          // Only a bearing point after the runway: one usable point.
          {Wp('R', "09", 0, -0.005, 0, 90), Wp('V', "GONE", 0, 0.7, kSidStarBearing)},
      },
      {
          {Wp('I', "CHARL", 0, 2.5), Wp('R', "27", 0, 3.005, 0, 270)},
          // The runway is gone.
          {Wp('I', "CHARL", 0, 2.5), Wp('R', "36", 0, 2.9, 0, 0)},
      });
  CSidStarAirport& airport = m_store.m_airports[0];
  CRoute route = NewRoute();
  EXPECT_EQ(airport.InsertProcedure(route, false, 0, 0, true, m_sidStarFolder), 2);
  ASSERT_EQ(route.GetCount(), 4);
  EXPECT_EQ(route[0].Kind(), kKindRunway);
  EXPECT_EQ(route[1].ref.point, Db(0, 0.5, kKindIntersection).ref.point);
  EXPECT_TRUE(route[2].IsUserPoint());
  EXPECT_EQ(route[3].Kind(), kKindVor + 1) << "an airway-linked VOR is still the VOR";
  // The plan's matching sees the linked VOR as the waypoint too.
  EXPECT_TRUE(m_store.WaypointMatches(Wp('V', "LVL", 0, 1.2), 100.0, route[3], route, false));

  // Without resolve-all only the ends are looked up.
  CRoute ends = NewRoute();
  EXPECT_EQ(airport.InsertProcedure(ends, false, 0, 0, false, m_sidStarFolder), 0);
  ASSERT_EQ(ends.GetCount(), 5);
  EXPECT_EQ(int32_t{ends[1].ref.fileIndex}, -1);

  CRoute lonely = NewRoute();
  EXPECT_EQ(airport.InsertProcedure(lonely, false, 1, 0, true, m_sidStarFolder), -1)
      << "a dropped waypoint does not count its predecessor again";

  CRoute star = NewRoute();
  EXPECT_TRUE(m_store.InsertIntoPlan(star, true, 0, 0, 0, true));
  EXPECT_EQ(star.GetCount(), 2);
  EXPECT_TRUE(m_ui.boxes.empty()) << "nothing replaced, nothing to tell";
  CRoute gone = NewRoute();
  EXPECT_FALSE(m_store.InsertIntoPlan(gone, true, 0, 1, 0, true));
  ASSERT_EQ(m_ui.boxes.size(), 1u);
  EXPECT_EQ(m_ui.boxes[0].text, kSidStarMissingWaypointsText);
  EXPECT_EQ(m_ui.boxes[0].style, ui::kMbIconStop);
  EXPECT_FALSE(m_store.InsertIntoPlan(gone, true, -1, 0, 0, false));
  EXPECT_EQ(m_ui.boxes.size(), 2u) << "a failure is told even without the report";

  // The user hears how many waypoints the scenery no longer has; a silent insertion says nothing.
  m_ui.boxes.clear();
  CRoute silent = NewRoute();
  EXPECT_TRUE(m_store.InsertIntoPlan(silent, false, 0, 0, 0, false));
  EXPECT_EQ(silent.GetCount(), 4);
  EXPECT_TRUE(m_ui.boxes.empty());
  CRoute told = NewRoute();
  EXPECT_TRUE(m_store.InsertIntoPlan(told, false, 0, 0, 0, true));
  EXPECT_EQ(told.GetCount(), 4);
  ASSERT_EQ(m_ui.boxes.size(), 1u);
  EXPECT_EQ(m_ui.boxes[0].text, std::string("2 ") + kSidStarWaypointsReplacedText);
  EXPECT_EQ(m_ui.boxes[0].style, ui::kMbIconInformation);
}

TEST_F(SidStarPlanTest, WaypointMatchTypesIdentifiersAndRunways) {
  CRoute route = NewRoute();
  route.AddPoint(Db(0, -0.005, kKindRunway));
  route.AddPoint(Db(0, 2.0, kKindNdb));
  route.AddPoint(User(0, 0.3, "MYFIX"));
  route.AddPoint(User(0, 0.4));
  struct Case {
    const char* name;
    CSidStarWaypoint waypoint;
    int point;
    bool loose;
    bool matches;
  };
  const Case cases[] = {
      {"runway", Wp('R', "09", 0, -0.005, 0, 90), 0, false, true},
      {"runway with another identifier", Wp('R', "09L", 0, -0.005, 0, 90), 0, false, false},
      {"runway identifier ignored", Wp('R', "09L", 0, -0.005, 0, 90), 0, true, true},
      {"runway heading 10 degrees off", Wp('R', "09", 0, -0.005, 0, 100), 0, true, false},
      {"NDB as intersection", Wp('I', "nn", 0, 2.0), 1, false, true},
      {"NDB as VOR", Wp('V', "NN", 0, 2.0), 1, false, false},
      {"NDB too far", Wp('N', "NN", 0, 2.1), 1, false, false},
      {"named user fix", Wp('F', "MYFIX", 0, 0.3), 2, false, true},
      {"automatic user fix", Wp('F', "Fix", 0, 0.4), 3, false, true},
      {"automatic against named", Wp('F', "Fix", 0, 0.3), 2, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(m_store.WaypointMatches(c.waypoint, 1000.0, route[c.point], route, c.loose), c.matches);
  }
}

TEST_F(SidStarPlanTest, RunwaysOfTheProcedures) {
  StoreProcedures({{Wp('R', "27", 0, 0, 0, 270), Wp('I', "BRAVO", 0, 1)},
                   {Wp('R', "09R", 0, -0.005, 0, 90), Wp('I', "ALPHA", 0, 0.5)},
                   {Wp('R', "09L", 0, 0.001, 0, 90), Wp('I', "ALPHA", 0, 0.5)},
                   {Wp('R', "09R", 0, -0.005, 0, 90), Wp('I', "BRAVO", 0, 1)}},
                  {});
  std::vector<SidStarRefClip> runways;
  ASSERT_TRUE(m_store.m_airports[0].CollectRunways(runways, false, Current(), m_sidStarFolder));
  ASSERT_EQ(runways.size(), 3u);
  const auto& groups = m_store.GetList(0, false).groups;
  const auto runwayOf = [&](const SidStarRefClip& r) {
    return groups[static_cast<size_t>(r.group)].procedures[static_cast<size_t>(r.procedure)].runway;
  };
  EXPECT_EQ(runwayOf(runways[0]), "09L");
  EXPECT_EQ(runwayOf(runways[1]), "09R");
  EXPECT_EQ(runwayOf(runways[2]), "27");
  EXPECT_EQ(int32_t{runways[0].airport}, -1);
  EXPECT_EQ(int32_t{runways[0].waypoint}, -1);
  EXPECT_FALSE(m_store.m_airports[0].CollectRunways(runways, true, Current(), m_sidStarFolder));

  CRoute route = NewRoute();
  EXPECT_TRUE(m_store.InsertProcedureRunway(route, false, 0, 1, 0));
  ASSERT_EQ(route.GetCount(), 1);
  EXPECT_EQ(route[0].ref.point, Db(0, -0.005, kKindRunway).ref.point) << "09R is found without its identifier";
  EXPECT_FALSE(m_store.InsertProcedureRunway(route, false, 0, 0, 0)) << "no runway heads 270 there";
}

}  // namespace
