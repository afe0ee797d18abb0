// The route finder over the Swiss sample database built by the headless build, with the sample
// root's stored SIDs and STARs of Geneva and Zurich (in each test's own copy, where a test adds
// procedures of its own), run as the plan command through the scripted dialog.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "navdb/Geodesy.h"
#include "platform/win/Clock.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/tests/support/FakePlanUi.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/tools/AutoRoute.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/tools/testing/FakeSidStarUi.h"
#include "plotr/tools/testing/FakeToolDialogs.h"
#include "plotr/tools/testing/SidStarWaypoints.h"
#include "tools/sample-simroot/SampleSimRoot.h"
#include "tools/sample-simroot/tests/support/SwissSample.h"

namespace {

using sampletest::SamplePoint;
using sampletest::SampleRunway;
using tooltest::Wp;

// What a plan point is, by name where the database names it.
std::string Name(const PlanPoint& p) {
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  const NavPoint& n = p.ref.point;
  std::string name;
  switch (p.Kind() & ~kKindLevelMask) {
    case kKindVor: name = db.GetVor(n) ? std::string(db.GetVor(n)->Ident()) : "?"; break;
    case kKindNdb: name = db.GetNdb(n) ? std::string(db.GetNdb(n)->Ident()) : "?"; break;
    case kKindIntersection: name = db.GetIntersection(n) ? std::string(db.GetIntersection(n)->Ident()) : "?"; break;
    case kKindRunway: name = db.GetRunway(n) ? "RW" + std::string(db.GetRunway(n)->Designator()) : "?"; break;
    case kKindAirport: name = db.GetAirport(n) ? std::string(db.GetAirport(n)->Ident()) : "?"; break;
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

// The largest change of course from one flown leg to the next; hidden points are not flown to,
// and an airport beside its runway is where the flight starts or ends, not a turn.
double SharpestTurn(const CRoute& route) {
  std::vector<const NavPoint*> flown;
  for (int i = 0; i < route.GetCount(); ++i)
    if (!route[i].IsBearing() && (route[i].Kind() & ~kKindLevelMask) != kKindAirport)
      flown.push_back(&route[i].ref.point);
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
    const std::filesystem::path sample = sampleroot::DatabaseFolder(sampletest::SwissSampleRoot()) / "SidStar";
    const std::filesystem::path own = m_folder.Folder() / "SidStar";
    std::filesystem::remove_all(own);
    std::filesystem::copy(sample, own, std::filesystem::copy_options::recursive);
    m_sidStarFolder = own.string() + "/";
    m_plan.SetProcedureCatalogue(std::make_unique<CSidStarStore>(&m_sidStarUi, &m_ui));
    SidStarStoreOf(m_plan).SetFolders(m_sidStarFolder, m_sidStarFolder);
    ASSERT_TRUE(SidStarStoreOf(m_plan).ScanFiles());
  }

  // Stores one more SID (STAR) of the sample airport's runway in the test's copy: the runway end
  // as a stored procedure of that runway holds it, the fixes after (before) it.
  void AddProcedure(const char* airport, const char* runway, bool isStar, const char* id,
                    std::vector<CSidStarWaypoint> fixes) {
    CSidStarStore& store = SidStarStoreOf(m_plan);
    int index = -1;
    for (int i = 0; i < store.GetAirportCount(); ++i)
      if (store.GetAirport(i).id == airport) index = i;
    ASSERT_GE(index, 0) << airport;
    CSidStarAirport stored = store.GetAirport(index);
    stored.Load(CRoute(), m_sidStarFolder);
    const CSidStarProcedure* model = nullptr;
    for (const CSidStarList* list : {&stored.sids, &stored.stars})
      for (const CSidStarFixGroup& g : list->groups)
        for (const CSidStarProcedure& p : g.procedures)
          if (p.runway == runway) model = &p;
    ASSERT_NE(model, nullptr) << airport << " has no procedure of runway " << runway;
    CSidStarProcedure added = *model;
    added.id = id;
    added.name = id;
    CSidStarWaypoint end;
    for (const CSidStarWaypoint& w : model->waypoints)
      if (w.type == 'R') end = w;
    added.waypoints = std::move(fixes);
    if (isStar) added.waypoints.push_back(end);
    else added.waypoints.insert(added.waypoints.begin(), end);
    const CSidStarWaypoint& fix = isStar ? added.waypoints.front() : added.waypoints.back();
    CSidStarList& list = isStar ? stored.stars : stored.sids;
    int group = list.FindGroup(fix.type, fix.Ident(), fix.lat, fix.lon);
    if (group < 0) {
      list.groups.push_back({fix.type, std::string(fix.Ident()), "", fix.lat, fix.lon, {}});
      group = static_cast<int>(list.groups.size()) - 1;
    }
    ASSERT_GE(list.InsertProcedure(list.groups[static_cast<size_t>(group)], added, true), 0);
    ASSERT_EQ(1, stored.Save(m_sidStarFolder, win::SystemClock()));
    ASSERT_TRUE(store.ScanFiles());
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
    DatabaseLease lease;
    return Names(*m_plan.GetCurrent());
  }

  plantest::ScopedPlanFolder m_folder{"autoroute-sample"};
  std::string m_sidStarFolder;
  plantest::FakePlanUi m_ui;
  tooltest::FakeSidStarUi m_sidStarUi;
  FakeToolDialogs m_dialogs;
  CFlightPlanCore m_plan{{&m_ui, &m_dialogs}};
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
  DatabaseLease lease;
  const CSceneryDatabase& db = lease.Database();
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
        "RW5 GVA* SPR* BELUS* FRI* DITON* WIL* RILAX* RW14"},
      {"low", true, kAutoRouteLowAirways, false, "RW5 fix* FRI* DITON* fix* fix* RW14"},
      // UN850 from BELUS, where it crosses A9, to DITON, where it meets A9 again.
      {"high with procedures", true, kAutoRouteHighAirways, true,
        "RW5 GVA* SPR* BELUS* DITON* WIL* RILAX* RW14"},
      {"high", true, kAutoRouteHighAirways, false, "RW5 fix* FRI* DITON* fix* fix* RW14"},
      {"navaids with procedures", true, kAutoRouteNavaids, true, "RW5 GVA* SPR* FRI* BLM* WIL* RILAX* RW14"},
      {"navaids", true, kAutoRouteNavaids, false, "RW5 fix* BELUS* BLM* WIL* RILAX* fix* RW14"},
      // Zurich's SID to Willisau; Geneva has no STAR for runway 05.
      {"low with procedures", false, kAutoRouteLowAirways, true,
        "RW28 AMIKI* WIL* DITON* FRI* BELUS* fix* fix* RW5"},
      {"low", false, kAutoRouteLowAirways, false, "RW28 fix* DITON* FRI* BELUS* fix* fix* RW5"},
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
    DatabaseLease lease;
    const CRoute& plan = *m_plan.GetCurrent();
    EXPECT_LE(SharpestTurn(plan), 120.0) << name;
    // Every leg type the search used is cleared again.
    for (int i = 0; i < plan.GetCount(); ++i) EXPECT_EQ(0u, plan[i].legType & kLegTypeMask) << name << " " << i;
  }
}

// More procedures than the sample stores, and plans that name the airports around their runways:
// of several SIDs and STARs the one the joined airway route flies best is taken, a SID whose end
// cannot enter the network gives way to the runway extension, and an airport next to its own
// runway is a stop at the plan's ends, not a leg to search. The runway ends keep their turn
// smoothing where no procedure is flown.
TEST_F(AutoRouteSample, ProceduresTheJoinedRouteChoosesAndPlansThatNameTheirAirports) {
  enum Added : unsigned {
    kKelipSid = 1,    // Geneva 05 to KELIP, near Zurich but off A9: straight at Zurich, long by airway
    kGenevaStars = 2,  // Geneva 23 from Saint-Prex on A9, and from KELIP
    kAmikiSid = 4,     // Zurich 14 to AMIKI, which only a high airway passes
  };
  enum Trip { kGenevaToZurich, kZurichToGeneva, kZurichToGeneva23, kZurich14ToGeneva };
  struct Case {
    const char* name;
    Trip trip;
    bool airports;  // the plan names each airport beside its runway
    int type;
    bool procedures;
    unsigned added;
    const char* expected;
  };
  const Case cases[] = {
      // KEL1A ends nearer Zurich, but only SPR1A's end joins A9 on the way there.
      {"two SIDs, low", kGenevaToZurich, false, kAutoRouteLowAirways, true, kKelipSid,
       "RW5 GVA* SPR* BELUS* FRI* DITON* WIL* RILAX* RW14"},
      {"two SIDs, high", kGenevaToZurich, false, kAutoRouteHighAirways, true, kKelipSid,
       "RW5 GVA* SPR* BELUS* DITON* WIL* RILAX* RW14"},
      // Of PAS1R, SPR2R and KEL2R, Saint-Prex is where the airways from Willisau arrive.
      {"three STARs, low", kZurichToGeneva23, false, kAutoRouteLowAirways, true, kGenevaStars,
       "RW28 AMIKI* WIL* DITON* FRI* BELUS* SPR* RW23"},
      {"three STARs, high", kZurichToGeneva23, false, kAutoRouteHighAirways, true, kGenevaStars,
       "RW28 AMIKI* WIL* DITON* FRI* BELUS* SPR* RW23"},
      // No low airway starts at AMIKI: the runway's extension leads onto them instead.
      {"SID off the low airways", kZurich14ToGeneva, false, kAutoRouteLowAirways, true, kAmikiSid,
       "RW14 fix* fix* DITON* FRI* fix* fix* RW5"},
      {"SID on a high airway", kZurich14ToGeneva, false, kAutoRouteHighAirways, true, kAmikiSid,
       "RW14 AMIKI* RILAX* HOC* DITON* FRI* BELUS* fix* fix* RW5"},
      {"airports, low", kGenevaToZurich, true, kAutoRouteLowAirways, true, 0,
       "LSGG RW5 GVA* SPR* BELUS* FRI* DITON* WIL* RILAX* RW14 LSZH"},
      {"airports, high", kGenevaToZurich, true, kAutoRouteHighAirways, true, 0,
       "LSGG RW5 GVA* SPR* BELUS* DITON* WIL* RILAX* RW14 LSZH"},
      {"airports, navaids", kGenevaToZurich, true, kAutoRouteNavaids, true, 0,
       "LSGG RW5 GVA* SPR* FRI* BLM* WIL* RILAX* RW14 LSZH"},
      // Without procedures both runways get their extension and the arrival its turn fix.
      {"airports, low, no procedures", kZurichToGeneva, true, kAutoRouteLowAirways, false, 0,
       "LSZH RW28 fix* DITON* FRI* BELUS* fix* fix* RW5 LSGG"},
      {"airports, high, no procedures", kZurichToGeneva, true, kAutoRouteHighAirways, false, 0,
       "LSZH RW28 fix* DITON* (FRI)* BELUS* fix* fix* RW5 LSGG"},
      {"airports, navaids, no procedures", kZurichToGeneva, true, kAutoRouteNavaids, false, 0,
       "LSZH RW28 fix* WIL* FRI* SPR* fix* fix* RW5 LSGG"},
  };
  for (const Case& c : cases) {
    SetUp();
    if (c.added & kKelipSid)
      AddProcedure("LSGG", "5", false, "KEL1A", {Wp('V', "GVA", 46.252998, 6.13), Wp('I', "KELIP", 47.05, 8.65)});
    if (c.added & kGenevaStars) {
      AddProcedure("LSGG", "23", true, "SPR2R", {Wp('V', "SPR", 46.470001, 6.45)});
      AddProcedure("LSGG", "23", true, "KEL2R", {Wp('I', "KELIP", 47.05, 8.65)});
    }
    if (c.added & kAmikiSid) AddProcedure("LSZH", "14", false, "AMI1D", {Wp('I', "AMIKI", 47.3433, 8.4025)});
    std::vector<PlanPoint> plan;
    const char* from = c.trip == kGenevaToZurich ? "LSGG" : "LSZH";
    const char* to = c.trip == kGenevaToZurich ? "LSZH" : "LSGG";
    if (c.airports) plan.push_back(SamplePoint(from, kKindAirport));
    plan.push_back(SampleRunway(from, c.trip == kGenevaToZurich ? "5" : c.trip == kZurich14ToGeneva ? "14" : "28"));
    plan.push_back(SampleRunway(to, c.trip == kGenevaToZurich ? "14" : c.trip == kZurichToGeneva23 ? "23" : "5"));
    if (c.airports) plan.push_back(SamplePoint(to, kKindAirport));
    Plan(plan);
    AutoRouteDialogValues press;
    press.routeType = c.type;
    press.sid = press.star = c.procedures;
    press.distance = 30;
    m_ui.information.clear();
    const std::vector<std::string> route = Run(press);
    EXPECT_EQ(c.expected, Joined(route)) << c.name;
    EXPECT_TRUE(m_ui.information.empty()) << c.name << ": " << (m_ui.information.empty() ? "" : m_ui.information[0]);
    DatabaseLease lease;
    EXPECT_LE(SharpestTurn(*m_plan.GetCurrent()), 120.0) << c.name;
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
  DatabaseLease lease;
  const CRoute& route = *m_plan.GetCurrent();
  ASSERT_GE(route.GetCount(), 3);
  const NavPoint& fix = route[route.GetCount() - 2].ref.point;
  const NavPoint& runway = route[route.GetCount() - 1].ref.point;
  EXPECT_EQ("fix*", Name(route[route.GetCount() - 2]));
  EXPECT_NEAR(137.5, InitialCourse(fix.latitude, fix.longitude, runway.latitude, runway.longitude), 0.2);
  EXPECT_NEAR(4 * 3300.0, GreatCircleDistance(fix.latitude, fix.longitude, runway.latitude, runway.longitude), 5.0);
}

}  // namespace
