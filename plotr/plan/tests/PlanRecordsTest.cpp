#include "plotr/plan/PlanRecords.h"

#include "navdb/Geodesy.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Units.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace plantest;

// Record bytes written field by field at the offsets the plug-ins read.
class Bytes {
 public:
  explicit Bytes(size_t size) : bytes(size, 0) {}
  Bytes& U32(size_t at, uint32_t v) { return Put(at, &v, 4); }
  Bytes& I32(size_t at, int32_t v) { return Put(at, &v, 4); }
  Bytes& F64(size_t at, double v) { return Put(at, &v, 8); }
  Bytes& Text(size_t at, const std::string& s) { return Put(at, s.data(), s.size()); }
  Bytes& Put(size_t at, const void* data, size_t n) {
    std::memcpy(bytes.data() + at, data, n);
    return *this;
  }
  std::vector<uint8_t> bytes;
};

template <class T>
std::vector<uint8_t> RawBytes(const T& record) {
  const auto* p = reinterpret_cast<const uint8_t*>(&record);
  return std::vector<uint8_t>(p, p + sizeof record);
}

double F(double v) { return static_cast<float>(v); }

struct RunwayGolden {
  const char* ident;
  double heading;
  PlanPlace at;
  double elevation;
  double length;
  double width;
  double ils;
};
void AirportGolden(Bytes& b, size_t base, const char* name, const char* ident, double atis, PlanPlace at,
                   double metres, const std::vector<RunwayGolden>& runways) {
  b.U32(base, 1).Text(base + 4, name).Text(base + 35, ident).F64(base + 41, atis);
  b.F64(base + 49, F(at.lat)).F64(base + 57, F(at.lon)).F64(base + 65, metres * kFeetPerMetre).F64(base + 73, 0);
  b.I32(base + 89, static_cast<int32_t>(runways.size()));
  for (size_t i = 0; i < runways.size(); ++i) {
    const size_t r = base + 93 + 62 * i;
    const RunwayGolden& g = runways[i];
    b.Text(r, g.ident).F64(r + 6, g.heading).F64(r + 14, F(g.at.lat)).F64(r + 22, F(g.at.lon));
    b.F64(r + 30, g.elevation).F64(r + 38, g.length).F64(r + 46, g.width).F64(r + 54, g.ils);
  }
}

std::vector<uint8_t> StartGolden(const std::string& display, const std::string& key) {
  Bytes b(106);
  b.U32(0, 106).Text(4, display).Text(55, key);
  return b.bytes;
}

class PlanRecordsTest : public ::testing::Test {
 protected:
  PlanRecordsTest() : m_folder("records") { BuildPlanDatabase(DatabaseLease::HeldDatabase()); }
  ~PlanRecordsTest() override { DatabaseLease::HeldDatabase().ClearDatabase(); }

  void Fly(const CRoute& route) {
    m_plan.Clear();
    m_plan.Push(route);
    m_plan.Rebuild();
  }

  ScopedPlanFolder m_folder;
  DatabaseLease m_lease;
  CFlightPlanCore m_plan;
};

TEST_F(PlanRecordsTest, PlanInfoMatchesTheRecordLayout) {
  const CRoute route = TripRoute();
  FlpxPlanInfo info{};
  info.size = kFlpxPlanInfoSize;
  ASSERT_EQ(GetPlanInfo(route, &info), 1);

  Bytes golden(3323);
  golden.U32(0, 3323).Text(4, "Test aircraft");
  golden.bytes[35] = kFuelKilograms;
  AirportGolden(golden, 68, "Zurich", "LSZH", F(128.525), kHomeAirport, 432,
                {{"32", 40, kHomeRunway32, 1404, 9000, 150, 0},
                 {"14", 140, kHomeRunway14, 1384, 10827, 150, F(110.5)}});
  AirportGolden(golden, 1153, "Basel", "LFSB", 0, kFarAirport, 269, {{"15", 150, kFarRunway15, 885, 9000, 150, 0}});
  EXPECT_EQ(RawBytes(info), golden.bytes);
}

TEST_F(PlanRecordsTest, DepartureAndArrivalComeFromTheEndWaypointsOnly) {
  // A leading bearing point passes the departure to the next waypoint; a fix there leaves it empty.
  CRoute route = TripRoute();
  PlanPoint bearing = DbPoint(kVor, kKindVor);
  bearing.flags = kPointBearing;
  route.InsertPoint(0, bearing);
  FlpxPlanInfo info{};
  info.size = kFlpxPlanInfoSize;
  ASSERT_EQ(GetPlanInfo(route, &info), 1);
  EXPECT_EQ(std::string(info.departure.ident), "LSZH");

  route.InsertPoint(0, DbPoint(kIntersection, kKindIntersection));
  route.RemovePoint(route.GetCount() - 1);  // Basel's runway end is now last
  info.size = kFlpxPlanInfoSize;
  ASSERT_EQ(GetPlanInfo(route, &info), 1);
  EXPECT_EQ(+info.departure.present, 0u);
  EXPECT_EQ(std::string(info.arrival.ident), "LFSB") << "a runway end finds its airport from its middle";

  // Wrong sizes are refused and leave the record alone.
  FlpxPlanInfo wrong{};
  wrong.size = kFlpxPlanInfoSize + 1;
  wrong.aircraftName[0] = 'x';
  EXPECT_EQ(GetPlanInfo(route, &wrong), 0);
  EXPECT_EQ(wrong.aircraftName[0], 'x');
  EXPECT_EQ(GetPlanInfo(route, nullptr), 0);
}

TEST_F(PlanRecordsTest, StartPositionsListRunwaysThenParkingsAndHelipads) {
  const CRoute route = TripRoute();
  std::vector<FlpxStartPosition> list;
  int32_t cursor = 0;
  std::vector<std::vector<uint8_t>> walked;
  FlpxStartPosition entry{};
  entry.size = kFlpxStartPositionSize;
  for (int move = kFlpxMoveFirst; GetStartPosition(route, list, cursor, move, &entry); move = kFlpxMoveNext) {
    walked.push_back(RawBytes(entry));
    entry.size = kFlpxStartPositionSize;
  }
  const std::vector<std::vector<uint8_t>> golden = {
      StartGolden("32\tRunway", "32"),
      StartGolden("14\tRunway", "14"),
      StartGolden("Gate I 12\tGate medium", "GATE I 12"),
      StartGolden("3\tHelipad", "3"),
      StartGolden("Parking 5\tType unknown", "PARKING 5"),
  };
  EXPECT_EQ(walked, golden);
  EXPECT_EQ(cursor, 0) << "leaving the list resets the cursor";
  EXPECT_TRUE(list.empty());

  // Last, then previous, walks back.
  entry.size = kFlpxStartPositionSize;
  ASSERT_EQ(GetStartPosition(route, list, cursor, kFlpxMoveLast, &entry), 1);
  EXPECT_EQ(RawBytes(entry), golden[4]);
  entry.size = kFlpxStartPositionSize;
  ASSERT_EQ(GetStartPosition(route, list, cursor, kFlpxMovePrevious, &entry), 1);
  EXPECT_EQ(RawBytes(entry), golden[3]);

  // Without an arrival airport there are no start positions.
  CRoute oneWay = route;
  oneWay.AddPoint(UserPoint(47.7, 7.4));
  list.clear();
  entry.size = kFlpxStartPositionSize;
  EXPECT_EQ(GetStartPosition(oneWay, list, cursor, kFlpxMoveFirst, &entry), 0);
  entry.size = kFlpxStartPositionSize + 1;
  EXPECT_EQ(GetStartPosition(route, list, cursor, kFlpxMoveFirst, &entry), 0);
}

TEST_F(PlanRecordsTest, WaypointsCarryTheirTypeLettersAndRowFigures) {
  g_Settings.SetUseIndicatedAirSpeed(false);
  g_Settings.SetFuelMeasure(kFuelPounds);
  const CRoute trip = TripRoute();
  Fly(trip);
  const CRoute& route = *m_plan.GetCurrent();

  std::string letters;
  std::vector<std::string> names;
  int32_t cursor = 0;
  FlpxWaypoint wp{};
  wp.size = kFlpxWaypointSize;
  int walked = 0;
  for (int move = kFlpxMoveFirst; GetWaypoint(m_plan.m_rows, route, cursor, move, &wp); move = kFlpxMoveNext) {
    const PlanRow& row = m_plan.m_rows.at(static_cast<size_t>(cursor));
    EXPECT_NE(row.rowKind, kRowBearing);
    const std::vector<uint8_t> raw = RawBytes(wp);
    double lat = 0;
    double fuel = 0;
    double tas = 0;
    double speed = 0;
    std::memcpy(&lat, &raw[5], 8);
    std::memcpy(&tas, &raw[37], 8);
    std::memcpy(&speed, &raw[29], 8);
    std::memcpy(&fuel, &raw[93], 8);
    EXPECT_EQ(lat, row.latitude);
    EXPECT_EQ(tas, IasToTas(row.indicatedAirspeed, row.altitude));
    EXPECT_EQ(speed, tas) << "true airspeed unless indicated is chosen";
    EXPECT_DOUBLE_EQ(fuel, ConvertFuel(kFuelPounds, kFuelKilograms, row.legFuel));
    if (!row.IsPseudo()) {
      letters += wp.type;
      names.emplace_back(wp.name);
    } else {
      EXPECT_TRUE(wp.type >= 'Q' && wp.type <= 'V') << row.kind;
      EXPECT_EQ(wp.ident[0], '\0');
    }
    if (row.pointIndex == 2) {
      double manual = 0;
      std::memcpy(&manual, &raw[101], 8);
      EXPECT_EQ(manual, 6000);
      double frequency = 0;
      std::memcpy(&frequency, &raw[125], 8);
      EXPECT_EQ(frequency, F(114.85));
      EXPECT_EQ(std::string(wp.ident), "KLO");
    }
    ++walked;
    wp.size = kFlpxWaypointSize;
  }
  EXPECT_EQ(letters, "AHKOOPCA");
  EXPECT_EQ(names, (std::vector<std::string>{"Zurich", "ILS", "Kloten", "FIX", "FIX", "FIX", "Basel", "Basel"}));
  EXPECT_EQ(cursor, 0) << "next past the last row returns to the first";
  EXPECT_GT(walked, 8) << "the climb and descent points are reported too";

  // Last and previous walk backwards over the bearing row.
  std::string backwards;
  wp.size = kFlpxWaypointSize;
  for (int move = kFlpxMoveLast; GetWaypoint(m_plan.m_rows, route, cursor, move, &wp); move = kFlpxMovePrevious) {
    if (!m_plan.m_rows.at(static_cast<size_t>(cursor)).IsPseudo()) backwards.insert(backwards.begin(), wp.type);
    wp.size = kFlpxWaypointSize;
  }
  EXPECT_EQ(backwards, letters);

  FlpxWaypoint wrong{};
  wrong.size = kFlpxWaypointSize + 1;
  EXPECT_EQ(GetWaypoint(m_plan.m_rows, route, cursor, kFlpxMoveFirst, &wrong), 0);
  EXPECT_EQ(+wrong.type, 0);
}

TEST_F(PlanRecordsTest, PseudoRowsAndNavaidsGetTheirLettersAndNames) {
  struct Case {
    uint32_t kind;
    char letter;
    const char* name;
  };
  const Case pseudo[] = {
      {kPseudoBeginClimb, 'Q', "Beginning of Climb"},   {kPseudoEndClimb, 'R', "End of Climb"},
      {kPseudoBeginDescent, 'S', "Beginning of Descent"}, {kPseudoEndDescent, 'T', "End of Descent"},
      {kPseudoClimbMeetsDescent, 'U', "EOC, BOD"},       {kPseudoDescentMeetsClimb, 'V', "EOD, BOC"},
  };
  const CRoute route = TripRoute();
  for (const Case& c : pseudo) {
    std::vector<PlanRow> rows(1);
    rows[0].kind = c.kind;
    rows[0].pointIndex = -1;
    int32_t cursor = 0;
    FlpxWaypoint wp{};
    wp.size = kFlpxWaypointSize;
    ASSERT_EQ(GetWaypoint(rows, route, cursor, kFlpxMoveFirst, &wp), 1);
    EXPECT_EQ(+wp.type, c.letter);
    EXPECT_EQ(std::string(wp.name), c.name);
  }

  // An NDB row, a VOR by its flags, a runway row without an airport name, and a back-course ILS.
  struct Nav {
    const char* name;
    PlanPoint point;
    char letter;
    const char* ident;
    const char* text;
    double frequency;
  };
  CRoute navs = route;
  const int ndbIndex = navs.AddPoint(DbPoint(kNdb, kKindNdb));
  const int runwayIndex = navs.AddPoint(DbPoint(kHomeRunway14, kKindRunway));
  auto rowOf = [&](int index) {
    PlanRow row;
    row.kind = navs[index].Kind();
    row.pointIndex = index;
    return std::vector<PlanRow>{row};
  };
  int32_t cursor = 0;
  FlpxWaypoint wp{};
  wp.size = kFlpxWaypointSize;
  ASSERT_EQ(GetWaypoint(rowOf(ndbIndex), navs, cursor, kFlpxMoveFirst, &wp), 1);
  EXPECT_EQ(+wp.type, 'N');
  EXPECT_EQ(std::string(wp.name), "Zurich East");
  EXPECT_EQ(+wp.frequency, 367.0);
  wp.size = kFlpxWaypointSize;
  ASSERT_EQ(GetWaypoint(rowOf(runwayIndex), navs, cursor, kFlpxMoveFirst, &wp), 1);
  EXPECT_EQ(+wp.type, 'C');
  EXPECT_EQ(std::string(wp.name), "Runway 14");
  EXPECT_EQ(+wp.frequency, F(110.5));

  struct VorCase {
    uint8_t flags;
    char letter;
  };
  for (const VorCase& v : {VorCase{3, 'I'}, VorCase{1, 'K'}, VorCase{9, 'L'}, VorCase{0, 'M'}, VorCase{2, 'M'}}) {
    VorRecord* vor = DatabaseLease::HeldDatabase().GetVor(navs[2].ref.point);
    ASSERT_NE(vor, nullptr);
    vor->flags = v.flags;
    wp.size = kFlpxWaypointSize;
    ASSERT_EQ(GetWaypoint(rowOf(2), navs, cursor, kFlpxMoveFirst, &wp), 1);
    EXPECT_EQ(+wp.type, v.letter) << int(v.flags);
  }

  IlsRecord* ils = DatabaseLease::HeldDatabase().GetIls(navs[1].ref.point);
  ASSERT_NE(ils, nullptr);
  ils->glideSlope = -1;
  wp.size = kFlpxWaypointSize;
  ASSERT_EQ(GetWaypoint(rowOf(1), navs, cursor, kFlpxMoveFirst, &wp), 1);
  EXPECT_EQ(+wp.type, 'G');
  g_Settings.SetMapBcIls(false);
  wp.size = kFlpxWaypointSize;
  ASSERT_EQ(GetWaypoint(rowOf(runwayIndex), navs, cursor, kFlpxMoveFirst, &wp), 1);
  EXPECT_EQ(+wp.frequency, 0.0) << "a back course counts only with MapBcIls";
}

}  // namespace
