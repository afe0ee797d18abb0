#include "plotr/plan/tests/PlanCoreTestSupport.h"

#include <vector>

namespace {

using plancore::EastDegrees;
using plancore::kTestVariation;

class PlanRowsTest : public plancore::PlanCoreTest {
 protected:
  // Row kinds of the rows that stand for waypoints (pseudo rows left out).
  std::vector<int> WaypointRowKinds() const {
    std::vector<int> kinds;
    for (const PlanRow& row : m_plan.m_rows) {
      if (!row.IsPseudo()) kinds.push_back(row.rowKind);
    }
    return kinds;
  }
  int RowOfPoint(int pointIndex) const {
    for (int i = 0; i < RowCount(); ++i) {
      if (Row(i).pointIndex == pointIndex) return i;
    }
    return -1;
  }
};

TEST_F(PlanRowsTest, RowKindsFollowFieldsAndStopOvers) {
  const PlanPoint dept = Db(0, 0, kKindAirport);
  const PlanPoint arrv = Db(0, 3, kKindAirport);
  const PlanPoint nearField = Db(0, 3 + EastDegrees(8000), kKindAirport);
  const PlanPoint farField = Db(0, 3 + EastDegrees(12000), kKindAirport);
  const PlanPoint runway09 = Db(0, -0.005, kKindRunway);
  const PlanPoint alpha = Db(0, 0.5, kKindIntersection);
  const PlanPoint bravo = Db(0, 1.0, kKindIntersection);
  const PlanPoint charl = Db(0, 2.5, kKindIntersection);
  PlanPoint bearingDept = dept;
  bearingDept.flags |= kPointBearing;
  PlanPoint bearingBravo = bravo;
  bearingBravo.flags |= kPointBearing;

  struct Case {
    const char* name;
    std::vector<PlanPoint> points;
    std::vector<int> kinds;
  };
  const Case cases[] = {
      {"empty plan", {}, {}},
      {"one airport", {dept}, {0}},
      {"airport, three fixes, airport", {dept, alpha, bravo, charl, arrv}, {0, 1, 1, 1, 2}},
      {"starts at a fix", {alpha, bravo, arrv}, {1, 1, 2}},
      {"departure then its runway", {dept, runway09, alpha, arrv}, {0, 1, 1, 2}},
      {"field in mid-plan is en route", {dept, alpha, arrv, charl, dept}, {0, 1, 1, 1, 2}},
      {"stop-over within 10 km", {dept, alpha, arrv, nearField}, {0, 1, 2, 0}},
      {"field 12 km on ends the flight", {dept, alpha, arrv, farField}, {0, 1, 1, 2}},
      {"12 km, then a stop-over within 10 km", {dept, alpha, arrv, farField, nearField}, {0, 1, 1, 2, 0}},
      {"stop-over then a new flight", {dept, alpha, arrv, nearField, charl, dept}, {0, 1, 2, 0, 1, 2}},
      {"bearing point first departs", {bearingDept, alpha, arrv}, {0, 1, 2}},
      {"bearing point in mid-plan", {dept, alpha, bearingBravo, charl, arrv}, {0, 1, 3, 1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRoute route = NewRoute();
    for (const PlanPoint& p : c.points) route.AddPoint(p);
    Load(route);
    EXPECT_EQ(WaypointRowKinds(), c.kinds);
    if (!c.points.empty()) {
      EXPECT_FALSE(Current()[0].IsBearing()) << "a plan never starts with a bearing point";
    }
  }
}

TEST_F(PlanRowsTest, StopOverStartsAFlightWithoutALegFromTheDestination) {
  CRoute route = NewRoute();
  route.AddPoint(Db(0, 0, kKindAirport));
  route.AddPoint(Db(0, 3, kKindAirport));
  route.AddPoint(Db(0, 3 + EastDegrees(8000), kKindAirport));
  Load(route);
  const PlanRow& stopOver = Row(RowOfPoint(2));
  EXPECT_EQ(stopOver.rowKind, kRowDeparture);
  EXPECT_EQ(stopOver.legDistance, 0.0);
  EXPECT_EQ(stopOver.legTime, 0.0);
  EXPECT_EQ(stopOver.course, 0.0);
  EXPECT_EQ(stopOver.cumulativeDistance, 0.0);
  double distance, time, fuel;
  m_plan.GetTotals(distance, time, fuel);
  EXPECT_NEAR(distance, 3 * 60.0057, 1e-3) << "the 8 km hop is no leg";
  EXPECT_EQ(m_plan.DistanceToDestination(0, RowOfPoint(2)), DBL_MAX) << "the second flight has no destination";
  EXPECT_NEAR(m_plan.DistanceToDestination(100, 0), 100 + 3 * 111130.5555, 1.0);
}

// Level flight at the cruise level between user points on the equator: every figure by hand.
// 1 degree of longitude = 40,007 km / 360 = 60.0057 nm. At 8000 ft the density factor is
// 1 - 0.08^0.865 = 0.88749, so 150 kt indicated is 169 kt true.
TEST_F(PlanRowsTest, LevelLegsMatchHandComputedFigures) {
  CRoute route = NewRoute(8000, 150);
  route.AddPoint(User(0, 0, "A"));
  route.AddPoint(User(0, 1, "B"));
  route.AddPoint(User(0, 3, "C"));
  route.AddPoint(User(1, 3, "D"));
  Load(route);
  ASSERT_EQ(RowCount(), 4) << "no climb or descent on a level plan";

  constexpr double kNmPerDegree = 60.00569954;
  constexpr double kTas = 169.0;
  struct Expected {
    double course, distance;
  };
  const Expected legs[] = {{0, 0}, {90 + kTestVariation, kNmPerDegree}, {90 + kTestVariation, 2 * kNmPerDegree},
                           {kTestVariation, kNmPerDegree}};
  double cumulative = 0, cumulativeTime = 0;
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const PlanRow& row = Row(i);
    EXPECT_EQ(row.rowKind, kRowEnRoute);
    EXPECT_EQ(row.pointIndex, i);
    EXPECT_DOUBLE_EQ(row.variation, kTestVariation);
    EXPECT_NEAR(row.course, legs[i].course, 1e-6);
    EXPECT_NEAR(row.legDistance, legs[i].distance, 1e-6);
    const double minutes = legs[i].distance / kTas * 60.0;
    EXPECT_NEAR(row.legTime, minutes, 1e-6);
    EXPECT_NEAR(row.legFuel, minutes / 60.0 * 40.0, 1e-6) << "cruise fuel flow 40 per hour";
    EXPECT_DOUBLE_EQ(row.altitude, 8000.0);
    EXPECT_EQ(row.legDirection, 0);
    EXPECT_EQ(row.verticalSpeed, 0.0);
    EXPECT_EQ(row.speedBefore, 150);
    EXPECT_EQ(row.speedAfter, 150);
    if (i > 0) {
      EXPECT_NEAR(row.indicatedAirspeed, 150.0, 1.0);
    }
    cumulative += legs[i].distance;
    cumulativeTime += minutes;
    EXPECT_NEAR(row.cumulativeDistance, cumulative, 1e-6);
    EXPECT_NEAR(row.cumulativeTime, cumulativeTime, 1e-6);
    EXPECT_NEAR(row.remainingDistance, 4 * kNmPerDegree - cumulative, 1e-6);
  }
  double distance, time, fuel;
  m_plan.GetTotals(distance, time, fuel);
  EXPECT_NEAR(distance, 4 * kNmPerDegree, 1e-6);
  EXPECT_NEAR(time, 4 * kNmPerDegree / kTas * 60.0, 1e-6);
  EXPECT_NEAR(fuel, time / 60.0 * 40.0, 1e-6);
}

TEST_F(PlanRowsTest, BearingRowsAreMeasuredFromTheLastFlownRowAndLeftOutOfTotals) {
  CRoute route = NewRoute(8000, 150);
  route.AddPoint(User(0, 0, "A"));
  route.AddPoint(User(0, 1, "B"));
  PlanPoint bearing = User(1, 1, "BRG");
  bearing.flags = kPointBearing | kPointFlyOver | kPointAltitudeOption;
  bearing.altitude1 = MakeManualValue(5000);
  bearing.speed = MakeManualValue(140);
  route.AddPoint(bearing);
  PlanPoint second = User(2, 1, "BRH");
  second.flags = kPointBearing;
  route.AddPoint(second);
  route.AddPoint(User(0, 2, "C"));
  Load(route);
  ASSERT_EQ(RowCount(), 5);
  const PlanRow& b1 = Row(2);
  const PlanRow& b2 = Row(3);
  EXPECT_EQ(b1.rowKind, kRowBearing);
  EXPECT_EQ(b2.rowKind, kRowBearing);
  EXPECT_NEAR(b1.course, kTestVariation, 1e-6);
  EXPECT_NEAR(b1.legDistance, 60.0057, 1e-3);
  EXPECT_NEAR(b2.legDistance, 2 * 60.0057, 1e-3) << "from B, not from the first bearing point";
  EXPECT_NEAR(Row(4).legDistance, 60.0057, 1e-3) << "C's leg comes from B";
  const PlanPoint& stored = Current()[2];
  EXPECT_EQ(uint32_t{stored.altitude1}, 0u);
  EXPECT_EQ(uint32_t{stored.speed}, 0u);
  EXPECT_EQ(uint32_t{stored.flags}, kPointBearing) << "bearing points fly nothing: options cleared";
  double distance, time, fuel;
  m_plan.GetTotals(distance, time, fuel);
  EXPECT_NEAR(distance, 2 * 60.0057, 1e-3);
  EXPECT_EQ(m_plan.GetRowPoint(2), &Current()[2]);
}

TEST_F(PlanRowsTest, PointsAtOnePositionGiveTheSmallestLegNeverZero) {
  CRoute route = NewRoute();
  route.AddPoint(User(0, 1, "A"));
  route.AddPoint(User(0, 1, "B"));
  route.AddPoint(User(0, 2, "C"));
  Load(route);
  ASSERT_EQ(RowCount(), 3);
  EXPECT_EQ(Row(1).legDistance, kMinLegNm);
  EXPECT_GT(Row(1).legTime, 0.0);
  EXPECT_EQ(Row(1).verticalSpeed, 0.0);
}

TEST_F(PlanRowsTest, ManualValuesTheAircraftCannotMeetAreCleared) {
  // Profile cruise altitude 10,000 ft (cap 12,000), route cruise level 8000 ft and speed 150 kt;
  // descent speed 120 kt.
  struct Case {
    const char* name;
    uint32_t altitude1, altitude2, speed;
    uint32_t keptAltitude1, keptAltitude2, keptSpeed;
    int profileAltitude = 10000;
  };
  const Case cases[] = {
      {"within limits", MakeManualValue(6000), MakeManualValue(7000), MakeManualValue(140), MakeManualValue(6000),
       MakeManualValue(7000), MakeManualValue(140)},
      {"above the cruise level", MakeManualValue(8500), MakeManualValue(9000), 0, 0, 0, 0},
      {"above 1.2 x profile altitude", MakeManualValue(12500), 0, 0, 0, 0, 0},
      {"value without set bit checked too", 9000, 0, 0, 0, 0, 0},
      {"equal altitudes keep one", MakeManualValue(5000), MakeManualValue(5000), 0, MakeManualValue(5000), 0, 0},
      {"speed below descent speed", 0, 0, MakeManualValue(110), 0, 0, 0},
      {"speed above route cruise", 0, 0, MakeManualValue(155), 0, 0, 0},
      // Received plans carry any profile: 1.2 x this is past the int range.
      {"profile altitude past the int range", MakeManualValue(5000), 0, 0, MakeManualValue(5000), 0, 0,
       2000000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRoute route = NewRoute(8000, 150);
    route.m_profile.cruiseAltitude = c.profileAltitude;
    route.AddPoint(User(0, 0, "A"));
    PlanPoint p = User(0, 1.5, "B");
    p.altitude1 = c.altitude1;
    p.altitude2 = c.altitude2;
    p.speed = c.speed;
    route.AddPoint(p);
    route.AddPoint(User(0, 3, "C"));
    Load(route);
    EXPECT_EQ(uint32_t{Current()[1].altitude1}, c.keptAltitude1);
    EXPECT_EQ(uint32_t{Current()[1].altitude2}, c.keptAltitude2);
    EXPECT_EQ(uint32_t{Current()[1].speed}, c.keptSpeed);
  }
}

TEST_F(PlanRowsTest, RestrictionEndsNeedARestrictionBeforeThem) {
  CRoute route = NewRoute(8000, 150);
  route.AddPoint(User(0, 0, "A"));
  PlanPoint early = User(0, 0.5, "B");
  early.flags = kPointAltitudeOption | kPointSpeedOption;  // nothing to end yet
  route.AddPoint(early);
  PlanPoint restricted = User(0, 1, "C");
  restricted.speed = MakeManualValue(130);
  restricted.altitude1 = MakeManualValue(6000);
  route.AddPoint(restricted);
  PlanPoint ends = User(0, 2, "D");
  ends.flags = kPointAltitudeOption | kPointSpeedOption;
  route.AddPoint(ends);
  PlanPoint again = User(0, 2.5, "E");
  again.flags = kPointSpeedOption;  // the restriction already ended at D
  route.AddPoint(again);
  route.AddPoint(User(0, 3, "F"));
  Load(route);
  EXPECT_EQ(uint32_t{Current()[1].flags}, 0u);
  EXPECT_EQ(uint32_t{Current()[3].flags}, kPointAltitudeOption | kPointSpeedOption);
  EXPECT_EQ(uint32_t{Current()[4].flags}, 0u);
  // The speed restriction runs from C to D; after D the cruise speed applies again.
  const int rowC = RowOfPoint(2), rowD = RowOfPoint(3);
  EXPECT_EQ(Row(rowC).speedAfter, 130);
  EXPECT_EQ(Row(rowD).speedBefore, 130);
  EXPECT_EQ(Row(rowD).speedAfter, 150);
  EXPECT_EQ(Row(rowD).speedRelease, 1);
}

TEST_F(PlanRowsTest, IlsAndRunwayRowsNameTheirAirport) {
  CRoute route = NewRoute();
  route.AddPoint(Db(0, -0.005, kKindRunway));
  route.AddPoint(Db(0, 1.0, kKindIntersection));
  route.AddPoint(Db(0, 2.99, kKindIls));
  route.AddPoint(Db(0, 3.005, kKindRunway));
  Load(route);
  EXPECT_STREQ(Row(RowOfPoint(0)).airportName, "Field DEPT");
  EXPECT_STREQ(Row(RowOfPoint(1)).airportName, "");
  EXPECT_STREQ(Row(RowOfPoint(2)).airportName, "Field ARRV");
  EXPECT_STREQ(Row(RowOfPoint(3)).airportName, "Field ARRV");
}

TEST_F(PlanRowsTest, RowPointIsNullForPseudoRowsAndOutsideTheRows) {
  CRoute route = NewRoute();
  route.AddPoint(Db(0, 0, kKindAirport));
  route.AddPoint(Db(0, 3, kKindAirport));
  Load(route);
  ASSERT_EQ(RowCount(), 4);
  EXPECT_EQ(Row(1).kind, kPseudoEndClimb);
  EXPECT_EQ(m_plan.GetRowPoint(1), nullptr);
  EXPECT_EQ(m_plan.GetRowPoint(-1), nullptr);
  EXPECT_EQ(m_plan.GetRowPoint(4), nullptr);
  EXPECT_EQ(m_plan.GetRowPoint(3), &Current()[1]);
}

TEST_F(PlanRowsTest, CurrentRowStaysWithinTheRows) {
  CRoute route = NewRoute();
  for (int i = 0; i < 5; ++i) route.AddPoint(User(0, i, ""));
  Load(route);
  m_plan.m_currentRow = 4;
  Edit([](CRoute& r) { r.RemovePoint(4); r.RemovePoint(3); });
  EXPECT_EQ(m_plan.m_currentRow, RowCount() - 1);
  Edit([](CRoute& r) { while (r.GetCount()) r.RemovePoint(0); });
  EXPECT_EQ(m_plan.m_currentRow, 0);
  EXPECT_EQ(RowCount(), 0);
}

TEST_F(PlanRowsTest, UndoBringsBackTheSnapshotsOwnRows) {
  CRoute route = NewRoute();
  route.AddPoint(User(0, 0, "A"));
  route.AddPoint(User(0, 1, "B"));
  Load(route);
  Edit([this](CRoute& r) { r.AddPoint(User(0, 2, "C")); });
  EXPECT_EQ(RowCount(), 3);
  m_plan.Undo();
  m_plan.Rebuild();
  EXPECT_EQ(RowCount(), 2);
  m_plan.Redo();
  m_plan.Rebuild();
  EXPECT_EQ(RowCount(), 3);
}

TEST_F(PlanRowsTest, DraggedPointsUpdateOnlyTheirRowsAndTheNext) {
  CRoute route = NewRoute();
  for (int i = 0; i < 4; ++i) route.AddPoint(User(0, i, ""));
  Load(route);
  ASSERT_EQ(RowCount(), 4);
  std::vector<PlanRow> rows = m_plan.m_rows;
  CRoute moved = Current();
  moved[1].ref.point.latitude = 1.0f;
  moved[1].marked = 1;
  CFlightPlanCore::UpdateMovedRows(rows, moved);
  EXPECT_DOUBLE_EQ(rows[1].latitude, 1.0);
  EXPECT_NEAR(rows[1].course, 45.0 + kTestVariation, 0.5);
  EXPECT_NEAR(rows[1].legDistance, 84.86, 0.1);
  EXPECT_NEAR(rows[2].legDistance, 84.86, 0.1) << "the row after the moved point follows it";
  EXPECT_EQ(rows[3].legDistance, m_plan.m_rows[3].legDistance);
  EXPECT_EQ(rows[0].legDistance, 0.0);
}

}  // namespace
