#include "plotr/plan/tests/PlanCoreTestSupport.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Deterministic on every platform, unlike the standard distributions.
class Lcg {
 public:
  explicit Lcg(uint64_t seed) : m_state(seed) {}
  uint32_t Next() {
    m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(m_state >> 33);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }
  double Between(double lo, double hi) { return lo + (hi - lo) * (Next() / 2147483648.0); }

 private:
  uint64_t m_state;
};

bool SameRow(const PlanRow& a, const PlanRow& b) {
  return a.latitude == b.latitude && a.longitude == b.longitude && a.kind == b.kind && a.pointIndex == b.pointIndex &&
         a.variation == b.variation && a.course == b.course && a.indicatedAirspeed == b.indicatedAirspeed &&
         a.verticalSpeed == b.verticalSpeed && a.altitude == b.altitude && a.legDistance == b.legDistance &&
         a.legTime == b.legTime && a.legFuel == b.legFuel && a.cumulativeDistance == b.cumulativeDistance &&
         a.cumulativeTime == b.cumulativeTime && a.cumulativeFuel == b.cumulativeFuel &&
         a.remainingDistance == b.remainingDistance && a.remainingTime == b.remainingTime &&
         a.remainingFuel == b.remainingFuel && a.speedRelease == b.speedRelease && a.speedBefore == b.speedBefore &&
         a.speedAfter == b.speedAfter && a.rowKind == b.rowKind && a.legDirection == b.legDirection &&
         a.sidAirport == b.sidAirport && a.sidGroup == b.sidGroup && a.sidProcedure == b.sidProcedure &&
         a.starAirport == b.starAirport && a.starGroup == b.starGroup && a.starProcedure == b.starProcedure &&
         std::strcmp(a.airportName, b.airportName) == 0;
}

class PlanInvariantTest : public plancore::PlanCoreTest {
 protected:
  PlanPoint RandomPoint(Lcg& rng) {
    struct Object {
      double lat, lon;
      uint16_t kind;
    };
    static const Object kObjects[] = {
        {0, 0, kKindAirport},       {0, 3, kKindAirport},      {5, 0, kKindAirport},
        {0, 3.0719, kKindAirport},  {0, 3.1079, kKindAirport}, {0, -0.005, kKindRunway},
        {0, 3.005, kKindRunway},    {0, 2.99, kKindIls},       {0, 0.5, kKindIntersection},
        {0, 1.0, kKindIntersection}, {0, 1.5, kKindVor},       {0, 2.0, kKindNdb},
    };
    PlanPoint p;
    if (rng.Chance(55)) {
      const Object& o = kObjects[rng.Below(static_cast<int>(std::size(kObjects)))];
      p = m_objects.at(static_cast<size_t>(&o - kObjects));
    } else {
      p = User(rng.Between(-1, 6), rng.Between(-1, 4));
    }
    if (rng.Chance(25)) p.altitude1 = MakeManualValue(rng.Below(13000));
    if (rng.Chance(10)) p.altitude2 = MakeManualValue(rng.Below(13000));
    if (rng.Chance(20)) p.speed = MakeManualValue(100 + rng.Below(70));
    if (rng.Chance(10)) p.flags |= kPointBearing;
    if (rng.Chance(15)) p.flags |= kPointFlyOver;
    if (rng.Chance(20)) p.flags |= kPointAltitudeOption;
    if (rng.Chance(20)) p.flags |= kPointSpeedOption;
    return p;
  }

  void SetUp() override {
    const double positions[][3] = {{0, 0, kKindAirport},       {0, 3, kKindAirport},      {5, 0, kKindAirport},
                                   {0, 3.0719, kKindAirport},  {0, 3.1079, kKindAirport}, {0, -0.005, kKindRunway},
                                   {0, 3.005, kKindRunway},    {0, 2.99, kKindIls},       {0, 0.5, kKindIntersection},
                                   {0, 1.0, kKindIntersection}, {0, 1.5, kKindVor},       {0, 2.0, kKindNdb}};
    for (const auto& p : positions) m_objects.push_back(Db(p[0], p[1], static_cast<uint16_t>(p[2])));
  }

  std::vector<PlanPoint> m_objects;
};

TEST_F(PlanInvariantTest, GeneratedPlansKeepTheirSumsBoundsAndRebuildToTheSameRows) {
  Lcg rng(20261210);
  constexpr int kPlans = 300;
  const double highField = plancore::kFieldHighMetres * kFeetPerMetre;
  for (int n = 0; n < kPlans; ++n) {
    SCOPED_TRACE("plan " + std::to_string(n));
    CRoute route = NewRoute(2000 + rng.Below(10001), 100 + rng.Below(80));
    const int count = rng.Below(13);
    double lowest = std::min(0, route.MeanCruiseAltitude());
    double highest = std::max<double>(route.MeanCruiseAltitude(), highField);
    for (int i = 0; i < count; ++i) {
      const PlanPoint p = RandomPoint(rng);
      for (uint32_t v : {p.altitude1, p.altitude2}) {
        if (IsManualValueGiven(v)) {
          lowest = std::min<double>(lowest, ManualValue(v));
          highest = std::max<double>(highest, ManualValue(v));
        }
      }
      route.AddPoint(p);
    }
    Load(route);

    // Each flight runs from row 0 or a departure row to the row before the next departure.
    const auto& rows = m_plan.m_rows;
    std::vector<int> starts;
    for (int i = 0; i < RowCount(); ++i) {
      if (i == 0 || rows[static_cast<size_t>(i)].rowKind == kRowDeparture) starts.push_back(i);
    }
    starts.push_back(RowCount());
    double allDistance = 0, allTime = 0, allFuel = 0;
    for (size_t f = 0; f + 1 < starts.size(); ++f) {
      double distance = 0, time = 0, fuel = 0;
      for (int i = starts[f] + 1; i < starts[f + 1]; ++i) {
        const PlanRow& row = rows[static_cast<size_t>(i)];
        if (row.rowKind == kRowBearing) continue;
        distance += row.legDistance;
        time += row.legTime;
        fuel += row.legFuel;
        EXPECT_NEAR(row.cumulativeDistance, distance, 1e-6 * (1 + distance)) << "row " << i;
        EXPECT_NEAR(row.cumulativeTime, time, 1e-6 * (1 + time)) << "row " << i;
        EXPECT_NEAR(row.cumulativeFuel, fuel, 1e-6 * (1 + fuel)) << "row " << i;
      }
      const PlanRow& first = rows[static_cast<size_t>(starts[f])];
      EXPECT_NEAR(first.remainingDistance, distance, 1e-6 * (1 + distance));
      EXPECT_NEAR(first.remainingTime, time, 1e-6 * (1 + time));
      EXPECT_NEAR(first.remainingFuel, fuel, 1e-6 * (1 + fuel));
      allDistance += distance + first.legDistance;
      allTime += time + first.legTime;
      allFuel += fuel + first.legFuel;
    }
    double distance, time, fuel;
    m_plan.GetTotals(distance, time, fuel);
    EXPECT_NEAR(distance, allDistance, 1e-6 * (1 + distance));
    EXPECT_NEAR(time, allTime, 1e-6 * (1 + time));
    EXPECT_NEAR(fuel, allFuel, 1e-6 * (1 + fuel));

    for (int i = 0; i < RowCount(); ++i) {
      const PlanRow& row = rows[static_cast<size_t>(i)];
      EXPECT_TRUE(std::isfinite(row.altitude) && std::isfinite(row.legTime) && std::isfinite(row.legFuel) &&
                  std::isfinite(row.indicatedAirspeed) && std::isfinite(row.verticalSpeed) &&
                  std::isfinite(row.course) && std::isfinite(row.remainingTime))
          << "row " << i;
      EXPECT_GE(row.altitude, lowest - 1e-6) << "row " << i;
      EXPECT_LE(row.altitude, highest + 1e-6) << "row " << i;
      EXPECT_GE(row.legTime, 0.0) << "row " << i;
      EXPECT_GE(row.course, 0.0);
      EXPECT_LT(row.course, 360.0);
    }

    const std::vector<PlanRow> before = rows;
    const std::vector<PlanPoint> points = Current().m_points;
    m_plan.Rebuild();
    ASSERT_EQ(RowCount(), static_cast<int>(before.size()));
    for (size_t i = 0; i < before.size(); ++i) {
      EXPECT_TRUE(SameRow(before[i], rows[i])) << "row " << i << " changed on a second rebuild";
    }
    ASSERT_EQ(Current().m_points.size(), points.size());
    EXPECT_TRUE(points.empty() ||
                std::memcmp(Current().m_points.data(), points.data(), points.size() * sizeof(PlanPoint)) == 0)
        << "a second rebuild drops nothing more";
  }
}

}  // namespace
