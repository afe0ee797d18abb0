// The search pane's walk, command rules and command targets on a small database of their own.

#include "plotr/views/SearchModel.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "navdb/Geodesy.h"
#include "navdb/tests/support/NavdbFixture.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/SimSnapshot.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

using namespace navdbtest;

constexpr double kLat = 47.45, kLon = -122.31;  // KSEA
constexpr float kGateLat = 47.452f, kGateLon = -122.305f;

ParkingEntry Parking(int code, int number, int type, float lat = kGateLat, float lon = kGateLon, int heading = 0) {
  ParkingEntry p;
  p.latitude = lat;
  p.longitude = lon;
  p.bits = static_cast<uint32_t>(heading) | (static_cast<uint32_t>(code) << 8) |
           (static_cast<uint32_t>(number) << 14) | (static_cast<uint32_t>(type) << 27);
  return p;
}

void AddAirport(CSceneryDatabase& db, double lat, double lon, const char* ident, const char* name, const char* city,
                int16_t metres, const std::vector<ParkingEntry>& parkings) {
  AirportRecord a;
  SetFixedText(a.ident, sizeof a.ident, ident);
  a.nameText = db.AddString(name);
  a.cityText = db.AddString(city);
  a.altitude = metres;
  AddPointAt(db, lat, lon, kKindAirport, Airport(a, {}, parkings).data());
}

void AddRunwayEnd(CSceneryDatabase& db, double lat, double lon, const char* designator, uint16_t heading,
                  int32_t ils = -1, int16_t metres = 120) {
  RunwayRecord r = Runway(designator, heading);
  r.altitude = metres;
  if (ils >= 0) r.SetIlsIndex(ils);
  AddPointAt(db, lat, lon, kKindRunway, &r);
}

void AddIntersection(CSceneryDatabase& db, double lat, double lon, const char* ident) {
  IntersectionRecord x;
  SetFixedText(x.ident, sizeof x.ident, ident);
  AddPointAt(db, lat, lon, kKindIntersection, Intersection(x, {}).data());
}

void AddAirspace(CSceneryDatabase& db, double lat, double lon, const char* ident, const char* name, int type) {
  AirspaceRecord s;
  SetFixedText(s.ident, sizeof s.ident, ident);
  s.nameText = db.AddString(name);
  s.classWord = static_cast<uint16_t>(type | (1 << 14));
  AddPointAt(db, lat, lon, kKindAirspaceLow, Airspace(s, {}).data());
}

void CoverTheWorld(CSceneryDatabase& db) {
  for (int f = 0; f < db.m_files.GetSize(); ++f) {
    db.m_files[f].latMin = -90;
    db.m_files[f].latMax = 90;
    db.m_files[f].lonMin = -180;
    db.m_files[f].lonMax = 180;
  }
}

// Seattle with two runway ends (ILS and back-course ILS), parkings of every sort, navaids,
// intersections and airspaces; an airport beside the 180-degree meridian; a lone last runway end.
void BuildSearchDatabase(CSceneryDatabase& db) {
  db.ClearDatabase();
  db.AddArea("Scenery\\Search", nullptr);
  AddFile(db, "scenery", "search.bgl");
  AddAirport(db, kLat, kLon, "KSEA", "Tacoma Intl", "Seattle", 130,
             {Parking(12, 1, 8, kGateLat, kGateLon, 64), Parking(38, 2, 0), Parking(0, 3, 1), Parking(39, 4, 1),
              Parking(1, 5, 12), Parking(37, 6, 11), Parking(11, 7, 0)});
  const IlsRecord front = Ils("ISEA", 110.3f, 29127, 300);
  AddPointAt(db, 47.47, -122.31, kKindIls, &front);
  const IlsRecord back = Ils("KSBC", 110.3f, 61895, -300);
  AddPointAt(db, 47.43, -122.31, kKindIls, &back);
  AddRunwayEnd(db, 47.46, -122.31, "16L", 29127, 0);
  AddRunwayEnd(db, 47.44, -122.31, "34R", 61895, 1);
  const VorRecord vor = Vor("KSX", 116.8f, db.AddString("Seattle"));
  AddPointAt(db, 47.44, -122.30, kKindVor, &vor);
  const NdbRecord ndb = Ndb("KSN", 362.0f, db.AddString("Z\xFCrich Sud"));
  AddPointAt(db, 47.44, -122.29, kKindNdb, &ndb);
  AddIntersection(db, 47.45, -122.29, "KSOME");
  AddIntersection(db, 47.45, -122.28, "ABKSX");
  AddAirspace(db, 47.46, -122.29, "KSAC", "Seattle Center", 4);
  AddAirspace(db, 47.46, -122.28, "KSCC", "Seattle Class C", 2);

  AddFile(db, "scenery", "dateline.bgl");
  AddAirport(db, 60.0, -179.95, "NDAT", "Dateline Field", "Nowhere", 10, {});
  AddRunwayEnd(db, 60.0, 179.98, "09", 16384);
  AddRunwayEnd(db, 60.0, -179.96, "27", 49152);
  AddRunwayEnd(db, 10.0, 10.0, "01", 0);  // no partner
  CoverTheWorld(db);
}

std::vector<std::string> Texts(const search::Result& r) {
  std::vector<std::string> out;
  for (const search::Row& row : r.rows) out.push_back(row.text);
  return out;
}

class SearchModel : public ::testing::Test {
 protected:
  void SetUp() override {
    lease.emplace();
    BuildSearchDatabase(DatabaseLease::HeldDatabase());
  }
  void TearDown() override { lease.reset(); }
  search::Result Search(const char* text, bool identifiers, bool mapBcIls = false) {
    return search::SearchDatabase(text, identifiers, DatabaseLease::HeldDatabase(), route, mapBcIls);
  }
  const search::Row& RowOf(const search::Result& r, const std::string& text) {
    for (const search::Row& row : r.rows) {
      if (row.text == text) return row;
    }
    ADD_FAILURE() << "no row " << text;
    return r.rows.front();
  }

  std::optional<DatabaseLease> lease;
  plantest::ScopedPlanFolder folder{"search"};
  CRoute route;
};

TEST_F(SearchModel, IdentifierPrefixListsEveryKindInStorageOrderWithRunwaysAndParkings) {
  const auto r = Search("ks", true);
  EXPECT_FALSE(r.tooMany);
  EXPECT_EQ(Texts(r), (std::vector<std::string>{
                          "Airport\tKSEA\tTacoma Intl",
                          "Rwy ILS\t16L\tTacoma Intl",
                          "Runway\t34R\tTacoma Intl",
                          "Gate A\t1\tTacoma Intl - Gate small",
                          "Helipad\t2\tTacoma Intl",
                          "Parking\t5\tTacoma Intl - Type unknown",
                          "Gate Z\t6\tTacoma Intl - Dock GA",
                          "Dock\t7\tTacoma Intl - Type unknown",
                          "ILS\tKSBC",
                          "VOR\tKSX\tSeattle",
                          "NDB\tKSN\tZ\xFCrich Sud",
                          "ISEC\tKSOME\tKSOME",
                          "Airspace\tKSAC\tSeattle Center",
                      }));
  // The airport row carries the walk's indices, runway and ILS rows none; a parking row is the
  // airport at the parking's position.
  EXPECT_EQ(0, RowOf(r, "Airport\tKSEA\tTacoma Intl").point.fileIndex);
  EXPECT_EQ(-1, RowOf(r, "Runway\t34R\tTacoma Intl").point.fileIndex);
  const FullPoint gate = RowOf(r, "Gate A\t1\tTacoma Intl - Gate small").point;
  EXPECT_EQ(kKindAirport, gate.point.kind);
  EXPECT_EQ(kGateLat, gate.point.latitude);

  EXPECT_EQ("Rwy ILS\t34R\tTacoma Intl", Search("KSEA", true, true).rows[2].text) << "MapBcIls shows the back course";
}

TEST_F(SearchModel, NameModeSearchesNamesCitiesAndIntersectionIdentifiersButIlsOnlyByIdentifier) {
  EXPECT_EQ(Texts(Search("eattle", false)),
            (std::vector<std::string>{"Airport\tKSEA\tTacoma Intl", "Rwy ILS\t16L\tTacoma Intl", "Runway\t34R\tTacoma Intl",
                                      "Gate A\t1\tTacoma Intl - Gate small", "Helipad\t2\tTacoma Intl",
                                      "Parking\t5\tTacoma Intl - Type unknown", "Gate Z\t6\tTacoma Intl - Dock GA",
                                      "Dock\t7\tTacoma Intl - Type unknown", "VOR\tKSX\tSeattle",
                                      "Airspace\tKSAC\tSeattle Center"}));
  EXPECT_EQ(Texts(Search("ksx", false)), (std::vector<std::string>{"ISEC\tABKSX\tABKSX"}));
  EXPECT_EQ(Texts(Search("ISE", false)), (std::vector<std::string>{"ILS\tISEA"}));
  EXPECT_EQ(Texts(Search("z\xFCrich", false)), (std::vector<std::string>{"NDB\tKSN\tZ\xFCrich Sud"}))
      << "code page 1252 upper-casing";
  EXPECT_TRUE(Search("", true).rows.empty());
  EXPECT_FALSE(Search("", true).tooMany);
}

TEST_F(SearchModel, AnAirportBesideTheDateLineListsItsRunways) {
  EXPECT_EQ(Texts(Search("NDAT", true)),
            (std::vector<std::string>{"Airport\tNDAT\tDateline Field", "Runway\t27\tDateline Field",
                                      "Runway\t09\tDateline Field"}));
}

TEST_F(SearchModel, TheLimitStopsTheWalkButAnAirportAtTheLimitBringsAllItsParkings) {
  DatabaseLease::HeldDatabase().ClearDatabase();
  DatabaseLease::HeldDatabase().AddArea("Scenery\\Many", nullptr);
  AddFile(DatabaseLease::HeldDatabase(), "scenery", "one.bgl");
  for (int i = 0; i < 99; ++i)
    AddIntersection(DatabaseLease::HeldDatabase(), 10 + i * 0.001, 10, ("W" + std::to_string(100 + i)).c_str());
  AddFile(DatabaseLease::HeldDatabase(), "scenery", "two.bgl");
  AddAirport(DatabaseLease::HeldDatabase(), 20, 20, "WAPT", "Last", "", 0,
             {Parking(1, 1, 1, 20, 20), Parking(1, 2, 1, 20, 20), Parking(1, 3, 1, 20, 20)});
  AddIntersection(DatabaseLease::HeldDatabase(), 20.01, 20, "WLATE");
  CoverTheWorld(DatabaseLease::HeldDatabase());

  const auto r = Search("W", true);
  EXPECT_TRUE(r.tooMany);
  ASSERT_EQ(103u, r.rows.size());
  EXPECT_EQ("Airport\tWAPT\tLast", r.rows[99].text);
  EXPECT_EQ("Parking\t3\tLast - Ramp GA", r.rows[102].text);
}

SimSnapshot Sim(bool onGround, bool flyToPossible = false, int holdingState = 0) {
  SimSnapshot s{};
  s.onGround = onGround;
  s.flyToPossible = flyToPossible;
  s.holdingState = holdingState;
  s.altitude = 1234.9;
  s.trueHeading = 90;
  return s;
}

TEST_F(SearchModel, CommandStatesFollowTheRowTheAircraftAndTheSimulatorVersion) {
  const auto rows = Search("KS", true);
  const FullPoint airport = RowOf(rows, "Airport\tKSEA\tTacoma Intl").point;
  const FullPoint runway = RowOf(rows, "Runway\t34R\tTacoma Intl").point;
  const FullPoint vor = RowOf(rows, "VOR\tKSX\tSeattle").point;
  const FullPoint airspace = RowOf(rows, "Airspace\tKSAC\tSeattle Center").point;
  using search::SearchCommandStates;

  const auto none = SearchCommandStates(nullptr, true, Sim(true, true), 80);
  EXPECT_FALSE(none.centerMap || none.flyTo || none.moveAircraft || none.towerView || none.holding || none.addToPlan);

  struct Case {
    const char* what;
    FullPoint row;
    SimSnapshot sim;
    int simVer;
    bool move, holding, flyTo;
  } cases[] = {
      {"airport on the ground", airport, Sim(true), 80, true, false, false},
      {"runway on the ground", runway, Sim(true, true), 80, true, false, true},
      {"airport in the air", airport, Sim(false), 80, false, false, false},
      {"airport with version 9", airport, Sim(true), 90, false, false, false},
      {"VOR", vor, Sim(true), 80, false, true, false},
      {"VOR while a holding is flown", vor, Sim(true, false, 1), 80, false, false, false},
      {"airspace", airspace, Sim(true), 80, false, false, false},
  };
  for (const Case& c : cases) {
    const auto s = SearchCommandStates(&c.row, true, c.sim, c.simVer);
    EXPECT_TRUE(s.centerMap && s.towerView) << c.what;
    EXPECT_EQ(c.move, s.moveAircraft) << c.what;
    EXPECT_EQ(c.holding, s.holding) << c.what;
    EXPECT_EQ(c.flyTo, s.flyTo) << c.what;
  }
  EXPECT_TRUE(SearchCommandStates(&vor, true, Sim(true), 80).addToPlan);
  EXPECT_FALSE(SearchCommandStates(&vor, false, Sim(true), 80).addToPlan) << "gone from the database";
  EXPECT_FALSE(SearchCommandStates(&airspace, true, Sim(true), 80).addToPlan);
}

TEST_F(SearchModel, MoveTargetsTakeTheParkingsOrTheRunwaysHeading) {
  const auto rows = Search("KSEA", true);
  const auto move = [&](const FullPoint& row, bool onGround) {
    return search::MoveAircraftTarget(row, onGround, DatabaseLease::HeldDatabase(), route);
  };
  const auto airport = move(RowOf(rows, "Airport\tKSEA\tTacoma Intl").point, true);
  EXPECT_TRUE(airport.act);
  EXPECT_EQ(130, airport.altitude);
  EXPECT_EQ(DBL_MAX, airport.heading) << "the airport keeps the heading";

  const auto gate = move(RowOf(rows, "Gate A\t1\tTacoma Intl - Gate small").point, true);
  EXPECT_TRUE(gate.act);
  EXPECT_EQ(90, gate.heading);
  EXPECT_EQ(130, gate.altitude);
  EXPECT_DOUBLE_EQ(kGateLon, gate.longitude);

  FullPoint stray = RowOf(rows, "Gate A\t1\tTacoma Intl - Gate small").point;
  stray.point.latitude += 0.001f;
  EXPECT_FALSE(move(stray, true).act) << "no parking at that place";

  const auto runway = move(RowOf(rows, "Runway\t34R\tTacoma Intl").point, true);
  EXPECT_TRUE(runway.act);
  EXPECT_NEAR(340, runway.heading, 0.01);
  EXPECT_EQ(120, runway.altitude);

  const auto flying = move(RowOf(rows, "Gate A\t1\tTacoma Intl - Gate small").point, false);
  EXPECT_TRUE(flying.act);
  EXPECT_EQ(DBL_MAX, flying.altitude);
  EXPECT_EQ(DBL_MAX, flying.heading);
}

TEST_F(SearchModel, TowerTargetsStandBesideAirportsAndRunwaysAndAskElsewhere) {
  const auto rows = Search("KS", true);
  const auto tower = [&](const std::string& text) {
    return search::TowerViewTarget(RowOf(rows, text).point, Sim(true), DatabaseLease::HeldDatabase(), route);
  };
  // Aircraft heading 90: the tower stands 600 m away on 45 degrees, 30 m up.
  const auto airport = tower("Airport\tKSEA\tTacoma Intl");
  EXPECT_FALSE(airport.askAltitude);
  EXPECT_NEAR(600, GreatCircleDistance(kLat, kLon, airport.latitude, airport.longitude), 0.5);
  EXPECT_NEAR(45, InitialCourse(kLat, kLon, airport.latitude, airport.longitude), 0.1);
  EXPECT_EQ(160, airport.altitude);

  const auto gate = tower("Gate A\t1\tTacoma Intl - Gate small");
  EXPECT_EQ(kGateLat, static_cast<float>(gate.latitude));
  EXPECT_EQ(160, gate.altitude);

  const auto runway = tower("Runway\t34R\tTacoma Intl");
  EXPECT_NEAR(295, InitialCourse(47.44, -122.31, runway.latitude, runway.longitude), 0.1);
  EXPECT_EQ(150, runway.altitude);

  const auto vor = tower("VOR\tKSX\tSeattle");
  EXPECT_TRUE(vor.askAltitude);
  EXPECT_EQ(1234, vor.seedFeet);
  EXPECT_NEAR(304.8, search::TowerFeetToMetres(1000), 1e-9);
}

// The seed is one the altitude dialog accepts, whatever altitude the simulator reports.
TEST_F(SearchModel, TowerAltitudeSeedIsOneTheDialogAccepts) {
  const auto rows = Search("KS", true);
  const FullPoint vorRow = RowOf(rows, "VOR\tKSX\tSeattle").point;
  const struct {
    double altitude;
    int seed;
  } seeds[] = {{-250.0, 0}, {-1e12, 0}, {0.0, 0}, {99999.4, 99999}, {150000.0, 99999}, {1e12, 99999},
               {std::nan(""), 0}, {HUGE_VAL, 0}};
  for (const auto& c : seeds) {
    SimSnapshot sim = Sim(true);
    sim.altitude = c.altitude;
    EXPECT_EQ(c.seed, search::TowerViewTarget(vorRow, sim, lease->Database(), route).seedFeet) << c.altitude;
  }
}

TEST_F(SearchModel, AddToPlanAppendsOnePointAsOneEditAndNothingForAParking) {
  CFlightPlanCore plan;
  plan.Clear();
  plan.Push(CRoute());
  plan.Rebuild();
  const auto rows = Search("KS", true);
  const int before = plan.GetChangeCount();
  ASSERT_TRUE(search::AddRowToPlan(plan, RowOf(rows, "VOR\tKSX\tSeattle").point));
  ASSERT_EQ(1, plan.GetCurrent()->GetCount());
  EXPECT_EQ(kKindVor & ~3, (*plan.GetCurrent())[0].Kind() & ~3);
  EXPECT_EQ(before + 1, plan.GetChangeCount());

  EXPECT_FALSE(search::AddRowToPlan(plan, RowOf(rows, "Gate A\t1\tTacoma Intl - Gate small").point));
  EXPECT_FALSE(search::AddRowToPlan(plan, RowOf(rows, "Airspace\tKSAC\tSeattle Center").point));
  EXPECT_EQ(1, plan.GetCurrent()->GetCount());
}

}  // namespace
