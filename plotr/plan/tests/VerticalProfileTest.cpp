#include "plotr/plan/tests/PlanCoreTestSupport.h"

#include <vector>

namespace {

using plancore::EastDegrees;

constexpr double kNmPerDegree = 60.00569954;

// The test aircraft's profile from a field at sea level up to 8000 ft and down to one: the
// End of Climb and the last leg from the Beginning of Descent.
constexpr double kClimbNm = 20.0018998;
constexpr double kClimbMinutes = 8.4680272;
constexpr double kDescentNm = 24.5023273;
constexpr double kDescentMinutes = 9.6975442;
constexpr double kPinned = 1e-6;
// 150 kt indicated at 8000 ft, in whole knots.
constexpr double kCruiseTas = 169.0;

class VerticalProfileTest : public plancore::PlanCoreTest {
 protected:
  std::vector<uint32_t> Kinds() const {
    std::vector<uint32_t> kinds;
    for (const PlanRow& row : m_plan.m_rows) kinds.push_back(row.kind);
    return kinds;
  }
  int RowOfPoint(int pointIndex) const {
    for (int i = 0; i < RowCount(); ++i) {
      if (Row(i).pointIndex == pointIndex) return i;
    }
    return -1;
  }
  // Nm along the equator from longitude 0.
  static double NmEast(const PlanRow& row) { return row.longitude * kNmPerDegree; }
};

TEST_F(VerticalProfileTest, LongFlightClimbsCruisesAndDescends) {
  CRoute route = NewRoute(8000, 150);
  route.AddPoint(Db(0, 0, kKindAirport));
  route.AddPoint(Db(0, 3, kKindAirport));
  Load(route);
  ASSERT_EQ(Kinds(), (std::vector<uint32_t>{kKindAirport, kPseudoEndClimb, kPseudoBeginDescent, kKindAirport}));
  const PlanRow& dep = Row(0);
  const PlanRow& toc = Row(1);
  const PlanRow& tod = Row(2);
  const PlanRow& arr = Row(3);
  EXPECT_EQ(dep.altitude, 0.0);
  EXPECT_EQ(toc.altitude, 8000.0);
  EXPECT_EQ(tod.altitude, 8000.0);
  EXPECT_EQ(arr.altitude, 0.0);
  EXPECT_EQ(toc.pointIndex, -1);
  EXPECT_EQ(toc.rowKind, kRowEnRoute);
  EXPECT_EQ(toc.legDirection, 1);
  EXPECT_EQ(tod.legDirection, 0);
  EXPECT_EQ(arr.legDirection, -1);

  // Climb at 1000 ft/min falling with altitude, 0.1 nm steps, until 8000 ft; the descent
  // simulated backwards from the field. Figures of an independent reference of the profile.
  EXPECT_NEAR(toc.legDistance, kClimbNm, kPinned);
  EXPECT_NEAR(toc.legTime, kClimbMinutes, kPinned);
  EXPECT_NEAR(arr.legDistance, kDescentNm, kPinned);
  EXPECT_NEAR(arr.legTime, kDescentMinutes, kPinned);
  EXPECT_NEAR(tod.legTime, tod.legDistance / kCruiseTas * 60.0, 1e-9);
  EXPECT_NEAR(toc.verticalSpeed, 8000.0 / toc.legTime, 1e-9);
  EXPECT_NEAR(arr.verticalSpeed, -8000.0 / arr.legTime, 1e-9);

  // Pseudo rows lie on the leg and split its distance.
  for (const PlanRow* row : {&toc, &tod}) {
    EXPECT_NEAR(row->latitude, 0.0, 1e-9);
    EXPECT_NEAR(row->course, arr.course, 1e-9);
  }
  EXPECT_NEAR(toc.legDistance + tod.legDistance + arr.legDistance, 3 * kNmPerDegree, 1e-6);
  EXPECT_NEAR(toc.legDistance, NmEast(toc), 1e-6);
  // Fuel flows: climb 60, cruise 40, descent 20 per hour.
  EXPECT_NEAR(toc.legFuel, toc.legTime, 1e-9);
  EXPECT_NEAR(tod.legFuel, tod.legTime * 40.0 / 60.0, 1e-9);
  EXPECT_NEAR(arr.legFuel, arr.legTime / 3.0, 1e-9);
  EXPECT_NEAR(dep.remainingTime, toc.legTime + tod.legTime + arr.legTime, 1e-9);
  EXPECT_NEAR(arr.cumulativeFuel, toc.legFuel + tod.legFuel + arr.legFuel, 1e-9);
}

TEST_F(VerticalProfileTest, ShortFlightMeetsClimbAndDescentInOnePoint) {
  CRoute route = NewRoute(8000, 150);
  route.AddPoint(Db(0, 3, kKindAirport));
  route.AddPoint(Db(0, 3 + EastDegrees(12000), kKindAirport));
  Load(route);
  ASSERT_EQ(Kinds(), (std::vector<uint32_t>{kKindAirport, kPseudoClimbMeetsDescent, kKindAirport}));
  const PlanRow& top = Row(1);
  const PlanRow& arr = Row(2);
  EXPECT_NEAR(top.altitude, 1193.659816, kPinned) << "the mean of the two simulated altitudes";
  EXPECT_NEAR(top.legDistance, 2.429807904, kPinned);
  EXPECT_NEAR(top.legTime, 1.183939667, kPinned);
  EXPECT_NEAR(arr.legDistance, 4.049679839, kPinned);
  EXPECT_NEAR(arr.legTime, 1.911505381, kPinned);
  EXPECT_NEAR(top.longitude, 3.040492952, 1e-8);
  EXPECT_EQ(top.legDirection, 1);
  EXPECT_EQ(arr.legDirection, -1);
  EXPECT_NEAR(top.legDistance + arr.legDistance, 12000.0 / 1852.0, 1e-4) << "positions are floats";
}

TEST_F(VerticalProfileTest, FiveWaypointPlanClimbsCruisesAndDescendsAcrossItsLegs) {
  CRoute route = NewRoute(8000, 150);
  route.AddPoint(Db(0, 0, kKindAirport));
  route.AddPoint(Db(0, 0.5, kKindIntersection));
  route.AddPoint(Db(0, 1.5, kKindVor));
  route.AddPoint(Db(0, 2.5, kKindIntersection));
  route.AddPoint(Db(0, 3, kKindAirport));
  Load(route);
  ASSERT_EQ(Kinds(), (std::vector<uint32_t>{kKindAirport, kPseudoEndClimb, kKindIntersection, kKindVor,
                                            kKindIntersection, kPseudoBeginDescent, kKindAirport}));
  // The climb and the descent are those of the two-field flight; the level legs between them
  // are flown at the cruise speed's true airspeed.
  EXPECT_NEAR(Row(1).legDistance, kClimbNm, kPinned);
  EXPECT_NEAR(Row(1).legTime, kClimbMinutes, kPinned);
  EXPECT_NEAR(Row(6).legDistance, kDescentNm, kPinned);
  EXPECT_NEAR(Row(6).legTime, kDescentMinutes, kPinned);
  const double levelNm[] = {0.5 * kNmPerDegree - kClimbNm, kNmPerDegree, kNmPerDegree,
                            3 * kNmPerDegree - 2.5 * kNmPerDegree - kDescentNm};
  for (int i = 2; i <= 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(Row(i).legDistance, levelNm[i - 2], kPinned);
    EXPECT_NEAR(Row(i).legTime, levelNm[i - 2] / kCruiseTas * 60.0, kPinned);
    EXPECT_NEAR(Row(i).legFuel, Row(i).legTime * 40.0 / 60.0, kPinned);
    EXPECT_EQ(Row(i).altitude, 8000.0);
    EXPECT_EQ(Row(i).indicatedAirspeed, 150.0);
  }
  EXPECT_NEAR(Row(0).remainingTime, Row(6).cumulativeTime, 1e-9);
  EXPECT_NEAR(Row(6).cumulativeDistance, 3 * kNmPerDegree, 1e-6);
}

TEST_F(VerticalProfileTest, UnreachableConstraintIsDroppedAndProfileComputedWithoutIt) {
  // 3 nm after take-off the aircraft reaches about 1500 ft, not the cruise level of 8000 ft.
  CRoute route = NewRoute(8000, 150);
  route.AddPoint(Db(0, 0, kKindAirport));
  PlanPoint early = User(0, 0.05, "EARLY");
  early.altitude1 = MakeManualValue(8000);
  route.AddPoint(early);
  route.AddPoint(Db(0, 3, kKindAirport));
  Load(route);
  EXPECT_FALSE(IsManualValueGiven(Current()[1].altitude1));
  EXPECT_EQ(ManualValue(Current()[1].altitude1), 8000) << "only the set bit goes";
  const PlanRow& row = Row(RowOfPoint(1));
  EXPECT_LT(row.altitude, 3000.0);
  EXPECT_GT(row.altitude, 0.0);

  // The same constraint 30 nm out is met and kept.
  CRoute reachable = NewRoute(8000, 150);
  reachable.AddPoint(Db(0, 0, kKindAirport));
  PlanPoint later = User(0, 0.5, "LATER");
  later.altitude1 = MakeManualValue(8000);
  reachable.AddPoint(later);
  reachable.AddPoint(Db(0, 3, kKindAirport));
  Load(reachable);
  EXPECT_TRUE(IsManualValueGiven(Current()[1].altitude1));
  EXPECT_EQ(Row(RowOfPoint(1)).altitude, 8000.0);
}

TEST_F(VerticalProfileTest, ConstraintBelowTheLevelHoldsUntilTheRestrictionEnds) {
  auto plan = [&](bool endRestriction) {
    CRoute route = NewRoute(8000, 150);
    route.AddPoint(Db(0, 0, kKindAirport));
    PlanPoint low = User(0, 0.5, "LOW");
    low.altitude1 = MakeManualValue(3000);
    route.AddPoint(low);
    PlanPoint end = User(0, 1.0, "END");
    if (endRestriction) end.flags = kPointAltitudeOption;
    route.AddPoint(end);
    route.AddPoint(Db(0, 3, kKindAirport));
    Load(route);
  };
  plan(false);
  EXPECT_EQ(Row(RowOfPoint(1)).altitude, 3000.0);
  EXPECT_EQ(Row(RowOfPoint(2)).altitude, 3000.0) << "the constraint's level carries on";
  for (int i = RowOfPoint(1); i < RowCount(); ++i) EXPECT_LE(Row(i).altitude, 3000.0) << i;

  plan(true);
  EXPECT_EQ(Row(RowOfPoint(2)).altitude, 3000.0);
  const int after = RowOfPoint(2) + 1;
  EXPECT_EQ(Row(after).kind, kPseudoEndClimb) << "back up to the cruise level after the end point";
  EXPECT_EQ(Row(after).altitude, 8000.0);
}

TEST_F(VerticalProfileTest, AltitudeAfterThePointSetsTheNextLevel) {
  CRoute route = NewRoute(8000, 150);
  route.AddPoint(Db(0, 0, kKindAirport));
  PlanPoint p = User(0, 0.6, "STEP");
  p.altitude1 = MakeManualValue(4000);
  p.altitude2 = MakeManualValue(6000);
  route.AddPoint(p);
  route.AddPoint(Db(0, 3, kKindAirport));
  Load(route);
  const int at = RowOfPoint(1);
  EXPECT_EQ(Row(at).altitude, 4000.0);
  EXPECT_EQ(Row(at + 1).kind, kPseudoEndClimb);
  EXPECT_EQ(Row(at + 1).altitude, 6000.0);
  double highest = 0;
  for (int i = at; i < RowCount(); ++i) highest = std::max(highest, Row(i).altitude);
  EXPECT_EQ(highest, 6000.0) << "after the point the level is its altitude after";
}

TEST_F(VerticalProfileTest, DestinationsLoseManualValuesBeforeTheProfile) {
  CRoute route = NewRoute(8000, 150);
  route.AddPoint(Db(0, 0, kKindAirport));
  route.AddPoint(User(0, 1, "MID"));
  PlanPoint arrival = Db(0, 3, kKindAirport);
  arrival.altitude1 = MakeManualValue(3000);
  arrival.altitude2 = MakeManualValue(2000);
  arrival.speed = MakeManualValue(130);
  arrival.flags = kPointAltitudeOption | kPointSpeedOption | kPointFlyOver;
  route.AddPoint(arrival);
  Load(route);
  const PlanPoint& stored = Current()[2];
  EXPECT_FALSE(IsManualValueGiven(stored.altitude1));
  EXPECT_FALSE(IsManualValueGiven(stored.altitude2));
  EXPECT_FALSE(IsManualValueGiven(stored.speed));
  EXPECT_EQ(uint32_t{stored.flags}, 0u);
  EXPECT_EQ(Row(RowCount() - 1).altitude, 0.0) << "the field's elevation";
}

TEST_F(VerticalProfileTest, DepartureAtAHighFieldStartsAtItsElevation) {
  CRoute route = NewRoute(8000, 150);
  route.AddPoint(Db(5, 0, kKindAirport));
  route.AddPoint(Db(0, 0, kKindAirport));
  Load(route);
  EXPECT_NEAR(Row(0).altitude, plancore::kFieldHighMetres * kFeetPerMetre, 1e-6);
  EXPECT_EQ(Row(1).kind, kPseudoEndClimb);
}

TEST_F(VerticalProfileTest, ShortLegIsSimulatedInOneStep) {
  // 0.15 nm: fewer than two steps, so one; the profile stays finite and ordered.
  CRoute route = NewRoute(8000, 150);
  route.AddPoint(User(0, 0, "A"));
  PlanPoint low = User(0, 0.0025, "B");
  low.altitude1 = MakeManualValue(7990);
  route.AddPoint(low);
  route.AddPoint(User(0, 1, "C"));
  Load(route);
  const PlanRow& b = Row(RowOfPoint(1));
  EXPECT_NEAR(b.legDistance, 0.15, 0.001);
  EXPECT_GT(b.legTime, 0.0);
  EXPECT_NEAR(b.legTime, 0.15 / 169.0 * 60.0, 0.01);
}

// Plans that break naive arithmetic: every row must stay finite and the rebuild must end.
TEST_F(VerticalProfileTest, DegeneratePlansStayFinite) {
  struct Case {
    const char* name;
    void (*setUp)(CRoute&);
  };
  const Case cases[] = {
      {"empty", [](CRoute&) {}},
      {"one airport", [](CRoute& r) { r.AddPoint(Db(0, 0, kKindAirport)); }},
      {"two points at one position",
       [](CRoute& r) {
         r.AddPoint(Db(0, 0, kKindAirport));
         r.AddPoint(User(0, 0, "SAME"));
         r.AddPoint(User(0, 0, "SAME2"));
         r.AddPoint(Db(0, 0, kKindAirport));
       }},
      {"two fields at one position",
       [](CRoute& r) {
         r.AddPoint(Db(0, 3, kKindAirport));
         r.AddPoint(Db(0, 3, kKindAirport));
       }},
      {"zero speeds",
       [](CRoute& r) {
         r.m_profile.climbSpeed = r.m_profile.cruiseSpeed = r.m_profile.descentSpeed = 0;
         r.m_cruise.speed = 0;
         r.AddPoint(Db(0, 0, kKindAirport));
         r.AddPoint(User(0, 1, "MID"));
         r.AddPoint(Db(0, 3, kKindAirport));
       }},
      {"zero rates",
       [](CRoute& r) {
         r.m_profile.climbRate = r.m_profile.descentRate = 0;
         r.AddPoint(Db(0, 0, kKindAirport));
         r.AddPoint(Db(0, 3, kKindAirport));
       }},
      {"negative rates",
       [](CRoute& r) {
         r.m_profile.climbRate = r.m_profile.descentRate = -800;
         r.AddPoint(Db(0, 0, kKindAirport));
         r.AddPoint(Db(0, 3, kKindAirport));
       }},
      {"cruise level below the field",
       [](CRoute& r) {
         r.m_cruise.altitude1 = r.m_cruise.altitude2 = 2000;
         r.AddPoint(Db(5, 0, kKindAirport));
         r.AddPoint(User(4, 0, "DOWN"));
         r.AddPoint(Db(0, 0, kKindAirport));
       }},
      {"zero cruise altitude everywhere",
       [](CRoute& r) {
         r.m_profile.cruiseAltitude = 0;
         r.m_cruise.altitude1 = r.m_cruise.altitude2 = 0;
         r.AddPoint(Db(0, 0, kKindAirport));
         r.AddPoint(Db(0, 3, kKindAirport));
       }},
      {"half the world in one leg",
       [](CRoute& r) {
         r.AddPoint(User(0, -90, "W"));
         r.AddPoint(User(0, 89.9, "E"));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRoute route = NewRoute(8000, 150);
    c.setUp(route);
    Load(route);
    for (int i = 0; i < RowCount(); ++i) {
      const PlanRow& row = Row(i);
      const double values[] = {row.latitude,       row.longitude,         row.variation,
                               row.course,         row.indicatedAirspeed, row.verticalSpeed,
                               row.altitude,       row.legDistance,       row.legTime,
                               row.legFuel,        row.cumulativeDistance, row.cumulativeTime,
                               row.cumulativeFuel, row.remainingDistance, row.remainingTime,
                               row.remainingFuel};
      for (double v : values) EXPECT_TRUE(std::isfinite(v)) << "row " << i;
      EXPECT_GE(row.legTime, 0.0) << "row " << i;
      if (i > 0 && row.rowKind != kRowDeparture) {
        EXPECT_GE(row.legDistance, kMinLegNm) << "row " << i;
      }
    }
  }
}

TEST_F(VerticalProfileTest, ClimbInTheWrongDirectionIsNeverFlown) {
  // A hand-edited profile with negative rates must not send the altitude below the field.
  CRoute route = NewRoute(8000, 150);
  route.m_profile.climbRate = -800;
  route.AddPoint(Db(0, 0, kKindAirport));
  route.AddPoint(User(0, 1, "MID"));
  route.AddPoint(Db(0, 3, kKindAirport));
  Load(route);
  for (const PlanRow& row : m_plan.m_rows) {
    EXPECT_GE(row.altitude, 0.0);
    EXPECT_LE(row.altitude, 8000.0);
  }
}

}  // namespace

namespace {

// A departure's own altitude is dropped by the profile; the restriction end that only it opened
// must go in the same rebuild, or rebuilding the unchanged plan would give other rows.
TEST_F(VerticalProfileTest, DroppedDepartureAltitudeSettlesInOneRebuild) {
  CRoute route = NewRoute(8000, 150);
  PlanPoint departure = Db(0, 0, kKindAirport);
  departure.altitude1 = MakeManualValue(3000);
  route.AddPoint(departure);
  PlanPoint end = User(0, 1, "END");
  end.flags = kPointAltitudeOption;
  route.AddPoint(end);
  route.AddPoint(Db(0, 3, kKindAirport));
  Load(route);
  EXPECT_FALSE(IsManualValueGiven(Current()[0].altitude1));
  EXPECT_EQ(uint32_t{Current()[1].flags}, 0u);
  const std::vector<uint32_t> kinds = Kinds();
  m_plan.Rebuild();
  EXPECT_EQ(Kinds(), kinds);
}

}  // namespace
