#pragma once

// Shared set-up of the plan-object tests: a small database with fields, fixes and navaids at
// known positions and elevations, a known aircraft, and builders of plans and routes.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <mutex>
#include <string>

#include "navdb/Geodesy.h"
#include "navdb/Records.h"
#include "navdb/tests/support/NavdbFixture.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace plancore {

// Degrees of longitude on the equator for a distance in metres.
inline double EastDegrees(double metres) { return metres * kDegPerMetre; }

inline constexpr double kFieldHighMetres = 1524.0;  // 5000 ft

// Magnetic variation everywhere in the test world, degrees (grid value -2048).
inline constexpr double kTestVariation = 11.25;

// The test world, all on or near the equator:
//   DEPT airport (0, 0) at 0 m, runway "09" of it at (0, -0.005)
//   ARRV airport (0, 3) at 0 m, runway "27" of it at (0, 3.005), ILS "IARR" at (0, 2.99)
//   NEAR airport 8 km east of ARRV, FARR airport 12 km east of ARRV
//   HIGH airport (5, 0) at 1524 m; fixes ALPHA (0, 0.5), BRAVO (0, 1), CHARL (0, 2.5);
//   VOR "VVV" (0, 1.5) and NDB "NN" (0, 2)
inline void BuildPlanDatabase(CSceneryDatabase& db) {
  using namespace navdbtest;
  db.ClearDatabase();
  db.m_name1 = "Plan test world";
  db.AddArea("Scenery\\Plan", nullptr);
  auto grid = std::make_unique<MagVarGrid>();
  for (int16_t& v : grid->value) v = -2048;
  db.m_magVarGrids.SetAtGrow(db.m_magVarGrids.GetSize(), *grid);
  ++db.m_areas[0].magVarEnd;
  AddFile(db, "scenery", "PLAN.BGL");
  auto airport = [&](double lat, double lon, const char* ident, int16_t metres) {
    AirportRecord h;
    h.size = 20;
    h.altitude = metres;
    h.nameText = db.AddString(std::string("Field ") + ident);
    SetFixedText(h.ident, sizeof h.ident, ident);
    const PayloadBytes bytes = Airport(h, {}, {});
    AddPointAt(db, lat, lon, kKindAirport, bytes.data());
  };
  airport(0, 0, "DEPT", 0);
  airport(0, 3, "ARRV", 0);
  airport(0, 3 + EastDegrees(8000), "NEAR", 0);
  airport(0, 3 + EastDegrees(12000), "FARR", 0);
  airport(5, 0, "HIGH", static_cast<int16_t>(kFieldHighMetres));
  const RunwayRecord dep = Runway("09", 16384);
  AddPointAt(db, 0, -0.005, kKindRunway, &dep);
  const RunwayRecord arr = Runway("27", 49152);
  AddPointAt(db, 0, 3.005, kKindRunway, &arr);
  const IlsRecord ils = Ils("IARR", 109.5f, 49152, 300);
  AddPointAt(db, 0, 2.99, kKindIls, &ils);
  auto fix = [&](double lat, double lon, const char* ident) {
    IntersectionRecord h;
    SetFixedText(h.ident, sizeof h.ident, ident);
    const PayloadBytes bytes = Intersection(h, {});
    AddPointAt(db, lat, lon, kKindIntersection, bytes.data());
  };
  fix(0, 0.5, "ALPHA");
  fix(0, 1.0, "BRAVO");
  fix(0, 2.5, "CHARL");
  const VorRecord vor = Vor("VVV", 113.0f);
  AddPointAt(db, 0, 1.5, kKindVor, &vor);
  const NdbRecord ndb = Ndb("NN", 350.0f);
  AddPointAt(db, 0, 2.0, kKindNdb, &ndb);
}

// A profile whose figures are easy to follow by hand.
inline AircraftProfile TestProfile() {
  AircraftProfile p;
  p.SetName("Test aircraft");
  p.climbSpeed = 120;
  p.climbFuel = 60;
  p.climbRate = 1000;
  p.cruiseSpeed = 150;
  p.cruiseFuel = 40;
  p.cruiseAltitude = 10000;
  p.descentSpeed = 120;
  p.descentFuel = 20;
  p.descentRate = 1000;
  return p;
}

// Per test: private settings and profile folder, the plan database in DatabaseLease::HeldDatabase(), and
// a DatabaseLease held as every plan operation holds it.
class PlanCoreTest : public ::testing::Test {
 protected:
  PlanCoreTest() : m_folder("core") { BuildPlanDatabase(DatabaseLease::HeldDatabase()); }
  ~PlanCoreTest() override { DatabaseLease::HeldDatabase().ClearDatabase(); }

  // An empty route with the test aircraft, cruising at `level` feet and `speed` knots.
  static CRoute NewRoute(int level = 8000, int speed = 150) {
    CRoute route;
    route.m_profile = TestProfile();
    route.m_cruise.speed = speed;
    route.m_cruise.altitude1 = level;
    route.m_cruise.altitude2 = level;
    return route;
  }

  // The database object of the kind nearest to the position, as a plan waypoint.
  static PlanPoint Db(double lat, double lon, uint16_t kind) {
    CRoute route = NewRoute();
    FullPoint found;
    double radius = 2000.0;
    EXPECT_TRUE(route.FindObject(found, radius, lat, lon, kind, false)) << lat << "," << lon << " kind " << kind;
    PlanPoint p;
    p.ref = found;
    return p;
  }
  static PlanPoint User(double lat, double lon, const char* name = "") { return plantest::UserPoint(lat, lon, name); }

  // Makes the route the plan's only snapshot and rebuilds, as a new or loaded plan does.
  void Load(const CRoute& route) {
    m_plan.Clear();
    m_plan.Push(route);
    m_plan.Rebuild();
  }
  // One edit: copy, change, push, rebuild.
  template <class F>
  void Edit(F change) {
    CRoute copy = *m_plan.GetCurrent();
    change(copy);
    m_plan.Push(copy);
    m_plan.Rebuild();
  }
  const PlanRow& Row(int i) const { return m_plan.m_rows.at(static_cast<size_t>(i)); }
  int RowCount() const { return static_cast<int>(m_plan.m_rows.size()); }
  CRoute& Current() { return *m_plan.GetCurrent(); }

  plantest::ScopedPlanFolder m_folder;
  DatabaseLease m_lease;
  CFlightPlanCore m_plan;
};

}  // namespace plancore
