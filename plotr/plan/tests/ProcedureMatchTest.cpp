#include "plotr/plan/tests/PlanCoreTestSupport.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// A catalogue holding real procedures for the two test fields, compared the way the stored
// catalogue compares: same type letter, same identifier (runways not compared when loose, user
// fixes named "Fix..." never), within the tolerance the plan passes.
class ProcedureStore : public IProcedureCatalogue {
 public:
  ProcedureStore() {
    m_airports.push_back(Field("DEPT", 0, 0));
    m_airports.push_back(Field("ARRV", 0, 3));
  }

  int FindAirport(const PlanPoint& point, const CRoute&) override {
    for (int i = 0; i < GetAirportCount(); ++i) {
      const CSidStarAirport& a = GetAirport(i);
      if (GreatCircleDistance(a.lat, a.lon, point.ref.point.latitude, point.ref.point.longitude) < 9260.0) {
        return i;
      }
    }
    return -1;
  }

  bool WaypointMatches(const CSidStarWaypoint& w, double tolerance, const PlanPoint& point, const CRoute& route,
                       bool loose) const override {
    tolerances.push_back(tolerance);
    char type = 0;
    std::string ident;
    const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
    switch (point.Kind()) {
      case kKindIntersection:
        type = 'I';
        if (auto* r = db.GetIntersection(point.ref.point)) ident = r->Ident();
        break;
      case kKindNdb:
        type = 'N';
        if (auto* r = db.GetNdb(point.ref.point)) ident = r->Ident();
        break;
      case kKindVor:
        type = 'V';
        if (auto* r = db.GetVor(point.ref.point)) ident = r->Ident();
        break;
      case kKindRunway:
        type = 'R';
        if (auto* r = db.GetRunway(point.ref.point)) ident = r->Designator();
        break;
      case kKindUserPoint:
        type = 'F';
        ident = point.UserName();
        if (FixName name; ident.empty() && route.LookupUserFixName(point.FixId(), name)) {
          ident = FixNameText(name);
        }
        break;
      default:
        return false;
    }
    if (w.type != type) return false;
    const bool compareIdent = !(loose && type == 'R') && !(type == 'F' && ident.rfind("Fix", 0) == 0);
    if (compareIdent && ident != std::string(w.ident, strnlen(w.ident, sizeof w.ident))) return false;
    return GreatCircleDistance(w.lat, w.lon, point.ref.point.latitude, point.ref.point.longitude) <= tolerance;
  }

  // Builds the procedure as user fixes named after its waypoints, so a test sees where it went.
  bool InsertIntoPlan(CRoute& route, bool isStar, int airport, int group, int procedure, bool report) override {
    reports.push_back(report);
    if (airport < 0 || airport >= GetAirportCount()) return false;
    const CSidStarList& list = GetList(airport, isStar);
    if (group < 0 || group >= static_cast<int>(list.groups.size())) return false;
    const auto& procedures = list.groups[static_cast<size_t>(group)].procedures;
    if (procedure < 0 || procedure >= static_cast<int>(procedures.size())) return false;
    for (const CSidStarWaypoint& w : procedures[static_cast<size_t>(procedure)].waypoints) {
      route.AddPoint(plantest::UserPoint(w.lat, w.lon, w.ident));
    }
    return true;
  }

  static CSidStarWaypoint Wp(char type, const char* ident, double lat, double lon, uint32_t flags = 0) {
    CSidStarWaypoint w;
    w.type = type;
    std::snprintf(w.ident, sizeof w.ident, "%s", ident);
    w.lat = static_cast<float>(lat);
    w.lon = static_cast<float>(lon);
    w.flags = flags;
    return w;
  }
  void AddProcedure(int airport, bool isStar, int group, const char* id, std::vector<CSidStarWaypoint> waypoints) {
    CSidStarList& list = isStar ? m_airports[static_cast<size_t>(airport)].stars
                                : m_airports[static_cast<size_t>(airport)].sids;
    while (static_cast<int>(list.groups.size()) <= group) list.groups.emplace_back();
    CSidStarProcedure p;
    p.id = id;
    p.waypoints = std::move(waypoints);
    list.groups[static_cast<size_t>(group)].procedures.push_back(std::move(p));
  }

  void LoadAirport(int, const CRoute&) override {}
  int GetAirportCount() const override { return static_cast<int>(m_airports.size()); }
  const CSidStarAirport& GetAirport(int i) const { return m_airports[static_cast<size_t>(i)]; }
  const CSidStarList& GetList(int airport, bool isStar) const override {
    const CSidStarAirport& a = GetAirport(airport);
    return isStar ? a.stars : a.sids;
  }

  std::vector<CSidStarAirport> m_airports;

  mutable std::vector<double> tolerances;
  std::vector<bool> reports;  // the report flag of every insertion

 private:
  static CSidStarAirport Field(const char* id, float lat, float lon) {
    CSidStarAirport a;
    a.id = id;
    a.lat = lat;
    a.lon = lon;
    return a;
  }
};

class ProcedureMatchTest : public plancore::PlanCoreTest {
 protected:
  ProcedureMatchTest() {
    auto store = std::make_unique<ProcedureStore>();
    m_store = store.get();
    m_plan.SetProcedureCatalogue(std::move(store));
  }
  // Runway 09 of DEPT, ALPHA, BRAVO, VVV, NN, CHARL, runway 27 of ARRV.
  CRoute StandardRoute() {
    CRoute route = NewRoute();
    route.AddPoint(Db(0, -0.005, kKindRunway));
    route.AddPoint(Db(0, 0.5, kKindIntersection));
    route.AddPoint(Db(0, 1.0, kKindIntersection));
    route.AddPoint(Db(0, 1.5, kKindVor));
    route.AddPoint(Db(0, 2.0, kKindNdb));
    route.AddPoint(Db(0, 2.5, kKindIntersection));
    route.AddPoint(Db(0, 3.005, kKindRunway));
    return route;
  }
  static CSidStarWaypoint Wp(char type, const char* ident, double lat, double lon, uint32_t flags = 0) {
    return ProcedureStore::Wp(type, ident, lat, lon, flags);
  }
  // The route points whose rows carry the SID (or STAR) indices (airport, group, procedure).
  std::vector<int> PointsWith(bool star, int airport, int group, int procedure) const {
    std::vector<int> points;
    for (const PlanRow& row : m_plan.m_rows) {
      const bool match = star ? (row.starAirport == airport && row.starGroup == group && row.starProcedure == procedure)
                              : (row.sidAirport == airport && row.sidGroup == group && row.sidProcedure == procedure);
      if (match && row.pointIndex >= 0) points.push_back(row.pointIndex);
    }
    return points;
  }

  ProcedureStore* m_store = nullptr;
};

TEST_F(ProcedureMatchTest, LongestStrictSidWinsAndTiesKeepTheFirst) {
  m_store->AddProcedure(0, false, 0, "SHORT", {Wp('R', "09", 0, -0.005), Wp('I', "ALPHA", 0, 0.5)});
  m_store->AddProcedure(0, false, 0, "TWIN", {Wp('R', "09", 0, -0.005), Wp('I', "ALPHA", 0, 0.5)});
  m_store->AddProcedure(0, false, 1, "LONG",
                        {Wp('R', "09", 0, -0.005), Wp('I', "ALPHA", 0, 0.5), Wp('I', "BRAVO", 0, 1.0)});
  m_store->AddProcedure(0, false, 1, "WRONG", {Wp('R', "09", 0, -0.005), Wp('I', "CHARL", 0, 0.5)});
  Load(StandardRoute());
  EXPECT_EQ(PointsWith(false, 0, 1, 0), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Row(RowCount() - 1).sidAirport, -1);

  m_store->m_airports[0].sids.groups[1].procedures.clear();
  m_plan.Rebuild();
  EXPECT_EQ(PointsWith(false, 0, 0, 0), (std::vector<int>{0, 1})) << "a tie keeps the first found";
}

TEST_F(ProcedureMatchTest, LooseComparisonOnlyWhenNothingMatchesStrictly) {
  // "09L" is not the plan's "09": strictly it fails, loosely it matches and reaches further.
  m_store->AddProcedure(0, false, 0, "OTHERRWY",
                        {Wp('R', "09L", 0, -0.005), Wp('I', "ALPHA", 0, 0.5), Wp('I', "BRAVO", 0, 1.0)});
  Load(StandardRoute());
  EXPECT_EQ(PointsWith(false, 0, 0, 0), (std::vector<int>{0, 1, 2})) << "loose pass";

  m_store->AddProcedure(0, false, 1, "EXACT", {Wp('R', "09", 0, -0.005), Wp('I', "ALPHA", 0, 0.5)});
  m_plan.Rebuild();
  EXPECT_EQ(PointsWith(false, 0, 1, 0), (std::vector<int>{0, 1})) << "a strict match wins over a longer loose one";
}

TEST_F(ProcedureMatchTest, StarMatchesBackwardsFromTheDestinationRunway) {
  m_store->AddProcedure(1, true, 0, "SHORT", {Wp('I', "CHARL", 0, 2.5), Wp('R', "27", 0, 3.005)});
  m_store->AddProcedure(1, true, 0, "LONG",
                        {Wp('N', "NN", 0, 2.0), Wp('I', "XXXXX", 5, 5, kSidStarBearing), Wp('I', "CHARL", 0, 2.5),
                         Wp('R', "27", 0, 3.005)});
  m_store->AddProcedure(1, true, 1, "WRONG", {Wp('V', "VVV", 0, 1.5), Wp('I', "CHARL", 0, 2.6),
                                              Wp('I', "ALPHA", 0, 2.5), Wp('R', "27", 0, 3.005)});
  Load(StandardRoute());
  EXPECT_EQ(PointsWith(true, 1, 0, 1), (std::vector<int>{4, 5, 6})) << "skips the waypoint not compared";
  EXPECT_EQ(Row(0).starAirport, -1);
}

TEST_F(ProcedureMatchTest, FieldWithoutRunwayKeepsOnlyTheAirportIndex) {
  m_store->AddProcedure(0, false, 0, "SID", {Wp('R', "09", 0, -0.005), Wp('I', "ALPHA", 0, 0.5)});
  CRoute route = NewRoute();
  route.AddPoint(Db(0, 0, kKindAirport));
  route.AddPoint(Db(0, 0.5, kKindIntersection));
  route.AddPoint(Db(0, 3, kKindAirport));
  Load(route);
  EXPECT_EQ(Row(0).sidAirport, 0);
  EXPECT_EQ(Row(0).sidGroup, -1);
  EXPECT_EQ(Row(RowCount() - 1).starAirport, 1);
  EXPECT_EQ(Row(RowCount() - 1).starGroup, -1);
}

TEST_F(ProcedureMatchTest, ToleranceDependsOnThePointKind) {
  m_store->AddProcedure(0, false, 0, "SID",
                        {Wp('R', "09", 0, -0.005), Wp('I', "ALPHA", 0, 0.5), Wp('F', "Fix01", 0, 0.7)});
  CRoute route = NewRoute();
  route.AddPoint(Db(0, -0.005, kKindRunway));
  route.AddPoint(Db(0, 0.5, kKindIntersection));
  route.AddPoint(User(0, 0.7 + plancore::EastDegrees(150)));  // named "Fix01" by the route; 150 m off
  route.AddPoint(Db(0, 3, kKindAirport));
  Load(route);
  EXPECT_EQ(m_store->tolerances, (std::vector<double>{7408.0, 18520.0, 100.0, 7408.0, 18520.0, 100.0}))
      << "strict then loose, per waypoint";
  EXPECT_EQ(Row(1).sidGroup, -1);

  Edit([](CRoute& r) {
    PlanPoint p = r[2];
    p.ref.point.longitude = static_cast<float>(0.7 + plancore::EastDegrees(50));
    r.SetPoint(2, p);
  });
  EXPECT_EQ(PointsWith(false, 0, 0, 0), (std::vector<int>{0, 1, 2})) << "50 m: matched; a \"Fix\" name is not compared";
}

TEST_F(ProcedureMatchTest, ReapplyPutsTheProceduresOwnWaypointsBack) {
  m_store->AddProcedure(0, false, 0, "SID",
                        {Wp('R', "09", 0, -0.005), Wp('I', "ALPHA", 0, 0.5), Wp('I', "BRAVO", 0, 1.0)});
  m_store->AddProcedure(1, true, 0, "STAR", {Wp('I', "CHARL", 0, 2.5), Wp('R', "27", 0, 3.005)});
  CRoute route = StandardRoute();
  PlanPoint bearing = User(1, 0.7, "BRG");
  bearing.flags = kPointBearing;
  route.InsertPoint(2, bearing);  // inside the SID run
  Load(route);
  ASSERT_EQ(PointsWith(false, 0, 0, 0), (std::vector<int>{0, 1, 2, 3})) << "the bearing row lies in the run";
  ASSERT_EQ(PointsWith(true, 1, 0, 0), (std::vector<int>{6, 7}));

  CRoute copy = Current();
  m_plan.ReapplyProcedures(copy);
  std::vector<std::string> names;
  for (int i = 0; i < copy.GetCount(); ++i) {
    names.push_back(copy[i].IsUserPoint() ? std::string(copy[i].UserName()) : "db" + std::to_string(i));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"09", "ALPHA", "BRAVO", "db3", "db4", "CHARL", "27"}))
      << "the SID's run, bearing point included, and the STAR's run replaced";
  EXPECT_EQ(m_store->reports, (std::vector<bool>{false, false})) << "a rebuild of the rows shows no message";
}

TEST_F(ProcedureMatchTest, OnePointPlanLooksForAStarAtItsField) {
  m_store->AddProcedure(1, true, 0, "STAR", {Wp('R', "27", 0, 3.005)});
  CRoute route = NewRoute();
  route.AddPoint(Db(0, 3.005, kKindRunway));
  Load(route);
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Row(0).rowKind, kRowDeparture);
  EXPECT_EQ(Row(0).starAirport, 1);
  EXPECT_EQ(Row(0).sidAirport, 1);
}

}  // namespace
