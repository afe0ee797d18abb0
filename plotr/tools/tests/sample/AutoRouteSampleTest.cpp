// The route finder over the Swiss sample database built by the headless build, with the sample
// root's stored SIDs and STARs of Geneva and Zurich, run as the plan command through the
// scripted dialog.

#include <gtest/gtest.h>

#include <mutex>
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

class AutoRouteSample : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sampletest::LoadSwissSample(error)) << error;
    const std::string folder = (sampleroot::DatabaseFolder(sampletest::SwissSampleRoot()) / "SidStar").string() + "/";
    m_plan.GetSidStarStore().SetFolders(folder, folder);
    ASSERT_TRUE(m_plan.GetSidStarStore().ScanFiles());
    CRoute route;
    route.AddPoint(SampleRunway("LSGG", "5"));
    route.AddPoint(SampleRunway("LSZH", "14"));
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

// Geneva runway 05 to Zurich runway 14 on the low airway A9: Geneva's SID to Saint-Prex, the
// airway to Willisau, where Zurich's STAR begins; a hidden navaid keeps the stretch traceable.
// Navaid to navaid without the STAR: the same SID, VORs and a fix at the spacing, and the
// runway extended straight out behind its threshold. Each run twice gives the same plan.
TEST_F(AutoRouteSample, GenevaToZurichAlongTheAirwayAndFromNavaidToNavaid) {
  AutoRouteDialogValues low;
  low.routeType = kAutoRouteLowAirways;
  const std::vector<std::string> airway = Run(low);
  EXPECT_EQ((std::vector<std::string>{"RW5", "GVA*", "SPR*", "BELUS*", "FRI*", "DITON*", "(WIL)*", "WIL*", "RILAX*",
                                      "RW14"}),
            airway);
  EXPECT_EQ(airway, Run(low));
  EXPECT_TRUE(m_ui.information.empty());

  AutoRouteDialogValues navaids;
  navaids.routeType = kAutoRouteNavaids;
  navaids.distance = 30;
  navaids.star = false;
  const std::vector<std::string> direct = Run(navaids);
  EXPECT_EQ((std::vector<std::string>{"RW5", "GVA*", "SPR*", "FRI*", "WIL*", "RILAX*", "fix*", "RW14"}), direct);
  EXPECT_EQ(direct, Run(navaids));
  std::lock_guard<win::RecursiveLock> lock(g_DatabaseLock);
  const CRoute& route = *m_plan.GetCurrent();
  ASSERT_EQ(8, route.GetCount());
  // The extension fix lies on the runway's centre line, 4 runway lengths (3,300 m) out.
  const NavPoint& fix = route[6].ref.point;
  const NavPoint& runway = route[7].ref.point;
  EXPECT_NEAR(137.5, InitialCourse(fix.latitude, fix.longitude, runway.latitude, runway.longitude), 0.2);
  EXPECT_NEAR(4 * 3300.0, GreatCircleDistance(fix.latitude, fix.longitude, runway.latitude, runway.longitude), 5.0);
  // Every leg type the search used is cleared again.
  for (int i = 0; i < route.GetCount(); ++i) EXPECT_EQ(0u, route[i].legType & kLegTypeMask) << i;
}

}  // namespace
