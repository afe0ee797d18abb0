// The route finder over the Swiss sample database built by the headless build, with the sample
// root's stored SIDs and STARs of Geneva and Zurich, run as the plan command through the
// scripted dialog.

#include <gtest/gtest.h>

#include <cmath>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "navdb/Geodesy.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/tests/support/FakePlanUi.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/tools/AutoRoute.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/tools/testing/FakeSidStarUi.h"
#include "plotr/tools/testing/FakeToolDialogs.h"
#include "tools/sample-simroot/SampleSimRoot.h"
#include "tools/sample-simroot/tests/support/SwissSample.h"

namespace {

using sampletest::SamplePoint;
using sampletest::SampleRunway;

// What a plan point is, by name where the database names it.
std::string Name(const PlanPoint& p) {
  const CSceneryDatabase& db = g_SceneryDatabase;
  const NavPoint& n = p.ref.point;
  std::string name;
  switch (p.Kind() & ~kKindLevelMask) {
    case kKindVor: name = db.GetVor(n) ? std::string(db.GetVor(n)->Ident()) : "?"; break;
    case kKindNdb: name = db.GetNdb(n) ? std::string(db.GetNdb(n)->Ident()) : "?"; break;
    case kKindIntersection: name = db.GetIntersection(n) ? std::string(db.GetIntersection(n)->Ident()) : "?"; break;
    case kKindRunway: name = db.GetRunway(n) ? "RW" + std::string(db.GetRunway(n)->Designator()) : "?"; break;
    default: name = p.IsUserPoint() ? "fix" : "kind " + std::to_string(p.Kind()); break;
  }
  if (p.IsBearing()) name = "(" + name + ")";
  return (p.flags & kPointAutoRoute) ? name + "*" : name;
}

std::vector<std::string> Names(const CRoute& route) {
  std::vector<std::string> out;
  for (int i = 0; i < route.GetCount(); ++i) out.push_back(Name(route[i]));
  return out;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : " ") + n;
  return out;
}

double Turn(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

// The largest change of course from one flown leg to the next; hidden points are not flown to.
double SharpestTurn(const CRoute& route) {
  std::vector<const NavPoint*> flown;
  for (int i = 0; i < route.GetCount(); ++i)
    if (!route[i].IsBearing()) flown.push_back(&route[i].ref.point);
  double sharpest = 0;
  for (size_t i = 2; i < flown.size(); ++i) {
    const NavPoint &a = *flown[i - 2], &b = *flown[i - 1], &c = *flown[i];
    sharpest = std::max(sharpest, Turn(InitialCourse(a.latitude, a.longitude, b.latitude, b.longitude),
                                       InitialCourse(b.latitude, b.longitude, c.latitude, c.longitude)));
  }
  return sharpest;
}

class AutoRouteSample : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sampletest::LoadSwissSample(error)) << error;
    const std::string folder = (sampleroot::DatabaseFolder(sampletest::SwissSampleRoot()) / "SidStar").string() + "/";
    m_plan.GetSidStarStore().SetFolders(folder, folder);
    ASSERT_TRUE(m_plan.GetSidStarStore().ScanFiles());
  }

  void Plan(std::vector<PlanPoint> points) {
    CRoute route;
    for (const PlanPoint& p : points) route.AddPoint(p);
    m_plan.Clear();
    m_plan.Push(route);
    m_plan.Rebuild();
  }

  std::vector<std::string> Run(const AutoRouteDialogValues& press) {
    m_dialogs.autoRoutePresses = {press};
    EXPECT_TRUE(planedit::CalculateAutoRoute(m_plan));
    std::lock_guard<win::RecursiveLock> lock(g_DatabaseLock);
    return Names(*m_plan.GetCurrent());
  }

  plantest::ScopedPlanFolder m_folder{"autoroute-sample"};
  plantest::FakePlanUi m_ui;
  tooltest::FakeSidStarUi m_sidStarUi;
  FakeToolDialogs m_dialogs;
  CFlightPlanCore m_plan;
};

// A fix that several airways pass is one point of the network, carrying every airway through it,
// and the levels of all of them: only so can a route change airways and levels there.
TEST_F(AutoRouteSample, SharedFixesAreOneJunctionOfEveryAirwayThroughThem) {
  struct Case {
    const char* ident;
    std::set<std::string> airways;
    int levels;  // kind bits: 1 low, 2 high
  };
  const Case cases[] = {
      {"BELUS", {"A9", "UL613", "UN850"}, 3}, {"DITON", {"A9", "UN850"}, 3}, {"RILAX", {"A9", "UN871"}, 3},
      {"KLO", {"A9", "R12", "UN871"}, 3},      {"HOC", {"UN850", "UN871"}, 2},
  };
  std::lock_guard<win::RecursiveLock> lock(g_DatabaseLock);
  const CSceneryDatabase& db = g_SceneryDatabase;
  for (const Case& c : cases) {
    int points = 0;
    for (const NavPoint& p : db.m_intersections) {
      const IntersectionRecord* r = db.GetIntersection(p);
      if (!r || r->Ident() != c.ident) continue;
      std::set<std::string> airways;
      for (int k = 0; k < r->segmentCount; ++k) {
        const std::string_view name = db.GetIntersectionSegments(p)[k].Name();
        if (!name.empty()) airways.insert(std::string(name));
      }
      if (airways.empty()) continue;
      ++points;
      EXPECT_EQ(c.airways, airways) << c.ident;
      EXPECT_EQ(c.levels, p.kind & kKindLevelMask) << c.ident;
    }
    EXPECT_EQ(1, points) << c.ident;
  }
}

// Between Geneva and Zurich both ways, each kind of route, with the stored SIDs and STARs and
// without: the route a pilot gets, pinned ("*" the finder's points, "(...)" a hidden navaid that
// keeps a stretch traceable, "fix" a runway extension or a turn fix). Airway routes change airways
// and levels only where the airways meet, no leg turns back on the one before, and a second run
// gives the same plan.
TEST_F(AutoRouteSample, RoutesBetweenGenevaAndZurichOfEveryKind) {
  struct Case {
    const char* name;
    bool toZurich;
    int type;
    bool procedures;
    const char* expected;
  };
  const Case cases[] = {
      // Geneva's SID to Saint-Prex, A9 to Willisau, where Zurich's STAR begins.
      {"low with procedures", true, kAutoRouteLowAirways, true,
        "RW5 GVA* SPR* BELUS* FRI* DITON* (WIL)* WIL* RILAX* RW14"},
      {"low", true, kAutoRouteLowAirways, false, "RW5 fix* FRI* DITON* fix* fix* RW14"},
      // UN850 from BELUS, where it crosses A9, to DITON, where it meets A9 again.
      {"high with procedures", true, kAutoRouteHighAirways, true,
        "RW5 GVA* SPR* BELUS* DITON* (WIL)* WIL* RILAX* RW14"},
      {"high", true, kAutoRouteHighAirways, false, "RW5 fix* FRI* DITON* fix* fix* RW14"},
      {"navaids with procedures", true, kAutoRouteNavaids, true, "RW5 GVA* SPR* FRI* BLM* WIL* RILAX* RW14"},
      {"navaids", true, kAutoRouteNavaids, false, "RW5 fix* BELUS* BLM* WIL* RILAX* fix* RW14"},
      // Zurich's SID to Willisau; Geneva has no STAR for runway 05.
      {"low with procedures", false, kAutoRouteLowAirways, true,
        "RW28 AMIKI* WIL* DITON* (FRI)* FRI* BELUS* fix* fix* RW5"},
      {"low", false, kAutoRouteLowAirways, false, "RW28 fix* DITON* (FRI)* FRI* BELUS* fix* fix* RW5"},
      {"high with procedures", false, kAutoRouteHighAirways, true,
        "RW28 AMIKI* WIL* DITON* (FRI)* BELUS* fix* fix* RW5"},
      {"high", false, kAutoRouteHighAirways, false, "RW28 fix* DITON* (FRI)* BELUS* fix* fix* RW5"},
      {"navaids with procedures", false, kAutoRouteNavaids, true, "RW28 AMIKI* WIL* FRI* SPR* fix* fix* RW5"},
      {"navaids", false, kAutoRouteNavaids, false, "RW28 fix* WIL* FRI* SPR* fix* fix* RW5"},
  };
  for (const Case& c : cases) {
    const std::string name = std::string(c.toZurich ? "Geneva to Zurich " : "Zurich to Geneva ") + c.name;
    if (c.toZurich) Plan({SampleRunway("LSGG", "5"), SampleRunway("LSZH", "14")});
    else Plan({SampleRunway("LSZH", "28"), SampleRunway("LSGG", "5")});
    AutoRouteDialogValues press;
    press.routeType = c.type;
    press.sid = press.star = c.procedures;
    press.distance = 30;
    m_ui.information.clear();
    const std::vector<std::string> route = Run(press);
    EXPECT_EQ(c.expected, Joined(route)) << name;
    EXPECT_TRUE(m_ui.information.empty()) << name << ": " << (m_ui.information.empty() ? "" : m_ui.information[0]);
    EXPECT_EQ(route, Run(press)) << name << ", run again";
    std::lock_guard<win::RecursiveLock> lock(g_DatabaseLock);
    const CRoute& plan = *m_plan.GetCurrent();
    EXPECT_LE(SharpestTurn(plan), 120.0) << name;
    // Every leg type the search used is cleared again.
    for (int i = 0; i < plan.GetCount(); ++i) EXPECT_EQ(0u, plan[i].legType & kLegTypeMask) << name << " " << i;
  }
}

// Without a STAR the runway is met on its centre line: the fix before it lies 4 runway lengths
// (3,300 m) out on the extended centre line of Zurich's runway 14.
TEST_F(AutoRouteSample, TheRunwayIsMetOnItsExtendedCentreLine) {
  Plan({SampleRunway("LSGG", "5"), SampleRunway("LSZH", "14")});
  AutoRouteDialogValues navaids;
  navaids.routeType = kAutoRouteNavaids;
  navaids.distance = 30;
  navaids.star = false;
  Run(navaids);
  std::lock_guard<win::RecursiveLock> lock(g_DatabaseLock);
  const CRoute& route = *m_plan.GetCurrent();
  ASSERT_GE(route.GetCount(), 3);
  const NavPoint& fix = route[route.GetCount() - 2].ref.point;
  const NavPoint& runway = route[route.GetCount() - 1].ref.point;
  EXPECT_EQ("fix*", Name(route[route.GetCount() - 2]));
  EXPECT_NEAR(137.5, InitialCourse(fix.latitude, fix.longitude, runway.latitude, runway.longitude), 0.2);
  EXPECT_NEAR(4 * 3300.0, GreatCircleDistance(fix.latitude, fix.longitude, runway.latitude, runway.longitude), 5.0);
}

}  // namespace
