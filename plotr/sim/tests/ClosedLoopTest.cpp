#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "navdb/Geodesy.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Units.h"
#include "plotr/sim/FmsPanel.h"
#include "plotr/sim/tests/support/GuidanceRig.h"

namespace {

using guidancetest::Rig;
using guidancetest::SamplePoint;
using guidancetest::SampleRunway;

constexpr int kCruise = 10000;
constexpr double kNm = 1852;

// Signed metres from the great circle through a and b (right of it positive).
double CrossTrack(double lat, double lon, double aLat, double aLon, double bLat, double bLon) {
  const double d13 = GreatCircleDistance(aLat, aLon, lat, lon) / kEarthRadius;
  const double t13 = InitialCourse(aLat, aLon, lat, lon) * kDegToRad;
  const double t12 = InitialCourse(aLat, aLon, bLat, bLon) * kDegToRad;
  return std::asin(std::sin(d13) * std::sin(t13 - t12)) * kEarthRadius;
}

std::string Ident(const unsigned char* row) {
  const FmsRow r = ReadFmsBlock<FmsRow>(row);
  return std::string(r.ident, strnlen(r.ident, sizeof r.ident));
}

// The sample plan, flown by a pilot who only switches the master on and sets the command.
class ClosedLoop : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(guidancetest::LoadSwissSample(error)) << error;
    // Crosswind, and a host whose variation differs from the database's.
    m_rig = std::make_unique<Rig>(GetParam(), simhost::AircraftStart{46.90, 7.53, 2500, 300, 150});
    m_rig->Aircraft().magneticVariation = 3;
    m_rig->Aircraft().windSpeed = 20;
    m_rig->Aircraft().windDirection = 340;
    m_rig->SetRoute({SamplePoint("LSZB", kKindAirport), SamplePoint("BLM", kKindNdb), SamplePoint("FRI", kKindVor),
                     SamplePoint("BELUS", kKindIntersection), SamplePoint("SPR", kKindVor),
                     SampleRunway("LSGG", "23")},
                    kCruise);
    ASSERT_EQ(8u, Rows().size()) << "six waypoints and the top of climb and descent";
    m_rig->Aircraft().autopilot.master = true;
    m_rig->Named().flyPlanWaypoint = -1;
    m_rig->Named().flyPlanOn = 1;
  }
  const std::vector<PlanRow>& Rows() const { return m_rig->plan->m_rows; }
  int RowOf(uint16_t kind, int from = 0) const {
    for (int i = from; i < static_cast<int>(Rows().size()); ++i)
      if (Rows()[i].pointIndex >= 0 && (Rows()[i].kind & 0xFFFC) == kind) return i;
    return -1;
  }
  double Band() const { return GetParam() < 80 ? 15 : 80; }

  std::unique_ptr<Rig> m_rig;
};

TEST_P(ClosedLoop, FliesTheSamplePlanToTheRunway) {
  Rig& rig = *m_rig;
  CFlightPlanStatus& plan = *rig.plan;
  const PlanRow runway = Rows().back();
  const double cruiseTas = IasToTas(plan.GetCurrent()->m_profile.cruiseSpeed, plan.GetCurrent()->m_profile.cruiseAltitude);

  // The ILS course the runway's record and the database's variation give.
  double ilsCourse = 0;
  {
    std::lock_guard<win::RecursiveLock> lock(g_DatabaseLock);
    const RunwayRecord* record = g_SceneryDatabase.GetRunway(plan.GetRowPoint(static_cast<int>(Rows().size()) - 1)->ref.point);
    ASSERT_NE(nullptr, record);
    const double variation = plan.GetCurrent()->MagneticVariation(runway.latitude, runway.longitude);
    ilsCourse = std::floor(std::fmod(record->heading * 360.0 / 65536 + variation + 360, 360.0) + 0.5);
  }
  std::vector<int> order;
  std::deque<std::array<double, 3>> levelOffs;  // the last 10 s of predictions
  bool levelChecked = false, levelReached = false, finalTuned = false, fmsChecked = false;
  double highest = 0;
  int previousRow = -1;
  int ticks = 0;
  for (; ticks < 40000 && (ticks < 50 || plan.IsFlyPlanActive()); ++ticks) {
    rig.Tick();
    const simhost::Aircraft& a = rig.Aircraft();
    const double feet = a.altitude * kFeetPerMetre;
    highest = std::max(highest, feet);
    const int row = plan.m_currentRow;
    if (row != previousRow && plan.IsFlyPlanActive()) {
      if (previousRow >= 0 && Rows()[previousRow].pointIndex >= 0 && row != static_cast<int>(Rows().size()) - 1) {
        // A fly-by waypoint is left within the turn anticipation.
        const PlanRow& left = Rows()[previousRow];
        const double w = std::max(1300 * (a.airspeed / 120) * std::sqrt(cruiseTas / 120) * 1.5, 500.0);
        EXPECT_LT(GreatCircleDistance(a.latitude, a.longitude, left.latitude, left.longitude), w)
            << "leaving row " << previousRow;
      }
      order.push_back(row);
      previousRow = row;
    }
    // On legs over 6 nm, from 3 nm in, within 1 nm of the line.
    int from = row - 1;
    while (from >= 0 && Rows()[from].pointIndex < 0) --from;
    if (plan.IsFlyPlanActive() && from >= 0 && Rows()[row].legDistance > 0 && ticks % 10 == 0) {
      const PlanRow& p = Rows()[from];
      const PlanRow& q = Rows()[row];
      const double leg = GreatCircleDistance(p.latitude, p.longitude, q.latitude, q.longitude);
      if (leg > 6 * kNm && GreatCircleDistance(p.latitude, p.longitude, a.latitude, a.longitude) > 3 * kNm &&
          GreatCircleDistance(q.latitude, q.longitude, a.latitude, a.longitude) > 1 * kNm) {
        ASSERT_LT(std::fabs(CrossTrack(a.latitude, a.longitude, p.latitude, p.longitude, q.latitude, q.longitude)), kNm)
            << "at tick " << ticks << " on the leg to row " << row;
      }
    }
    // The level-off point predicted 10 s before the aircraft levels at cruise.
    levelOffs.push_back({plan.m_levelOffValid ? 1.0 : 0.0, plan.m_levelOffLatitude, plan.m_levelOffLongitude});
    if (levelOffs.size() > 100) levelOffs.pop_front();
    if (!levelChecked && std::fabs(feet - kCruise) < 1) {
      levelChecked = true;
      const auto& predicted = levelOffs.front();
      ASSERT_EQ(1.0, predicted[0]) << "a level-off point 10 s before";
      EXPECT_LT(GreatCircleDistance(a.latitude, a.longitude, predicted[1], predicted[2]), 300);
    }
    if (levelChecked && std::fabs(feet - kCruise) <= Band() && a.verticalSpeed == 0) levelReached = true;
    // From BLM on the radios hold the NDB; on the final leg NAV1 is the ILS on its course.
    if (row == RowOf(kKindVor)) {
      EXPECT_EQ(3260, a.radios.adf);
    }
    if (row == static_cast<int>(Rows().size()) - 1 && plan.IsFlyPlanActive()) {
      finalTuned = true;
      EXPECT_EQ(11090, a.radios.nav1);
      EXPECT_DOUBLE_EQ(ilsCourse, a.radios.nav1Course);
    }
    if (!fmsChecked && row == RowOf(kKindVor) && ticks % 5 == 1) {
      fmsChecked = true;
      EXPECT_EQ("FRI", Ident(rig.Named().fmsWaypoints[0]));
      EXPECT_EQ("BELUS", Ident(rig.Named().fmsWaypoints[1]));
      EXPECT_EQ("SPR", Ident(rig.Named().fmsWaypoints[2]));
    }
  }
  EXPECT_FALSE(plan.IsFlyPlanActive()) << "the flight ends at the runway";
  const std::vector<int> expected = {RowOf(kKindNdb), RowOf(kKindVor), RowOf(kKindIntersection),
                                     RowOf(kKindVor, RowOf(kKindVor) + 1), static_cast<int>(Rows().size()) - 1};
  EXPECT_EQ(expected, std::vector<int>(order.begin() + (order.front() == 0 ? 1 : 0), order.end()));
  EXPECT_TRUE(levelReached);
  EXPECT_LE(highest, kCruise + Band());
  EXPECT_TRUE(finalTuned);
  EXPECT_TRUE(fmsChecked);
  const simhost::Aircraft& a = rig.Aircraft();
  EXPECT_LT(GreatCircleDistance(a.latitude, a.longitude, runway.latitude, runway.longitude), 3 * kNm);
  EXPECT_LT(std::fabs(std::remainder(a.heading - ilsCourse, 360.0)), 15) << "lined up with runway 23";
}

INSTANTIATE_TEST_SUITE_P(Versions, ClosedLoop, ::testing::Values(70, 90));

}  // namespace

namespace {

// The same flight with a holding at SPR: inbound 220 magnetic (223 true), right turns, one-minute
// legs, asked for on the way there and switched off after two patterns.
TEST_P(ClosedLoop, HoldsAtSaintPrexAndResumesThePlan) {
  Rig& rig = *m_rig;
  CFlightPlanStatus& plan = *rig.plan;
  const int spr = RowOf(kKindVor, RowOf(kKindVor) + 1);
  const PlanRow fix = Rows()[spr];
  plan.m_holding = HoldingDefinition{1, static_cast<float>(fix.latitude), static_cast<float>(fix.longitude), 0, 220, 0, 0, 1, 0};
  double inboundTrue;
  {
    std::lock_guard<win::RecursiveLock> lock(g_DatabaseLock);
    inboundTrue = std::fmod(220 - plan.GetCurrent()->MagneticVariation(fix.latitude, fix.longitude) + 360, 360.0);
  }
  double outTrueLat, outTrueLon;  // a point on the inbound line, before the fix
  DestinationPoint(outTrueLat, outTrueLon, fix.latitude, fix.longitude, std::fmod(inboundTrue + 180, 360.0), 10000);

  int patterns = 0, lastPhase = -1;
  bool asked = false, switchedOff = false, ended = false;
  uint32_t outboundStart = 0;
  std::vector<uint32_t> outboundTimes;
  for (int ticks = 0; ticks < 40000 && !ended; ++ticks) {
    rig.Tick();
    const simhost::Aircraft& a = rig.Aircraft();
    const double toFix = GreatCircleDistance(a.latitude, a.longitude, fix.latitude, fix.longitude);
    if (!asked && plan.m_currentRow == spr && toFix < 12000) {
      asked = true;
      rig.Named().holdingOn = 1;
    }
    const int phase = plan.GetHoldingPhase();
    if (plan.IsHoldingActive() && phase != lastPhase) {
      if (phase == 6) outboundStart = rig.clock.TickCount();
      if (lastPhase == 6) outboundTimes.push_back(rig.clock.TickCount() - outboundStart);
      if (lastPhase == 8 && phase == 5 && ++patterns == 2 && !switchedOff) {
        switchedOff = true;
        rig.Named().holdingOff = 1;
      }
      lastPhase = phase;
    }
    if (plan.IsHoldingActive() && phase >= 5 && phase <= 7) {
      // The pattern lies on the right of the inbound line.
      EXPECT_GT(CrossTrack(a.latitude, a.longitude, outTrueLat, outTrueLon, fix.latitude, fix.longitude), -500)
          << "phase " << phase << " at tick " << ticks;
    }
    if (switchedOff && !plan.IsHoldingActive()) {
      ended = true;
      EXPECT_LT(toFix, 2000) << "the holding ends at the fix";
    }
  }
  ASSERT_TRUE(asked);
  ASSERT_TRUE(ended);
  EXPECT_EQ(kEntryDirect, plan.GetHoldingEntry());
  EXPECT_EQ(2, patterns);
  ASSERT_GE(outboundTimes.size(), 2u);
  for (uint32_t ms : outboundTimes) EXPECT_NEAR(60000, ms, 2000) << "one-minute legs";
  EXPECT_EQ(kCueNextWaypoint, rig.cues.back());
  EXPECT_TRUE(plan.IsFlyPlanActive()) << "the plan resumes";
  for (int i = 0; i < 30000 && plan.IsFlyPlanActive(); ++i) rig.Tick();
  EXPECT_EQ(static_cast<int>(Rows().size()) - 1, plan.m_currentRow) << "and flies on to the runway";
}

}  // namespace

namespace {

// The panel's Fly Flightplan button against the guidance, with the tick phases the module runs
// on: the exchange on 1, the guidance on 4, the publication on 0. A press reaches the guidance
// only through an exchange, and the panel sees the guidance only through a publication and the
// exchange after it.
TEST(FmsPanelClosedLoop, FlyFlightplanStartsAfterTheNextExchangeAndShowsLatchedOnTheActiveWaypoint) {
  std::string error;
  ASSERT_TRUE(guidancetest::LoadSwissSample(error)) << error;
  // South-west of Fribourg's VOR, nearest to it and not past it on the leg to BELUS.
  Rig rig(90, simhost::AircraftStart{46.82, 7.30, 6000, 240, 150});
  rig.Aircraft().autopilot.master = true;
  rig.SetRoute({SamplePoint("LSZB", kKindAirport), SamplePoint("BLM", kKindNdb), SamplePoint("FRI", kKindVor),
                SamplePoint("BELUS", kKindIntersection), SamplePoint("SPR", kKindVor), SampleRunway("LSGG", "23")},
               kCruise);
  CFlightPlanStatus& plan = *rig.plan;
  const auto phase = [&] { return (rig.tick - 1) % 5; };  // of the tick run last
  const auto tickTo = [&](uint32_t p) {
    do rig.Tick();
    while (phase() != p);
  };
  struct Commands : fms::SimBlockCommands {
    using SimBlockCommands::SimBlockCommands;
    void TuneAdf(float) override {}
    void ToggleLocalTime() override {}
    void OpenSettings() override {}
  } commands(rig.block);

  fms::CFmsPanel panel;
  const auto& flyPlan = panel.Cells()[fms::kFlyPlanCell];
  tickTo(1);
  tickTo(1);  // a publication and its exchange
  panel.Update(rig.block.GetSnapshot(), false);
  ASSERT_FALSE(flyPlan.flags & (fms::kCellDisabled | fms::kCellLatched));

  // Pressed just after an exchange: the guidance tick before the next one must not see it.
  ASSERT_TRUE(panel.Press(fms::kFlyPlanCell));
  panel.Release(true, commands);
  uint32_t exchangeTick = 0, startTick = 0;
  for (int i = 0; i < 20 && startTick == 0; ++i) {
    rig.Tick();
    if (phase() == 1 && exchangeTick == 0) exchangeTick = rig.tick - 1;
    if (plan.IsFlyPlanActive()) startTick = rig.tick - 1;
  }
  ASSERT_NE(0u, exchangeTick);
  ASSERT_NE(0u, startTick) << "the flight never started";
  EXPECT_EQ(exchangeTick + 3, startTick) << "at the first guidance tick after the exchange";
  EXPECT_EQ(std::vector<int>{kCueFlyPlanOn}, rig.cues);
  const int active = plan.m_currentRow;
  ASSERT_GE(active, 0);
  const PlanPoint* point = plan.GetRowPoint(active);
  ASSERT_NE(nullptr, point);
  ASSERT_EQ(kKindVor, point->ref.point.Kind()) << "Fribourg's VOR is active";

  // Until the publication has been exchanged the panel still shows the flight off.
  tickTo(0);
  panel.Update(rig.block.GetSnapshot(), false);
  EXPECT_FALSE(flyPlan.flags & fms::kCellLatched);
  tickTo(1);
  panel.Update(rig.block.GetSnapshot(), false);
  EXPECT_EQ(fms::kCellLatched | fms::kCellActive, flyPlan.flags & (fms::kCellLatched | fms::kCellActive | fms::kCellDisabled))
      << "latched and green";
  EXPECT_EQ("Fribourg", panel.Cells()[fms::kFirstBlockCell].text);
  EXPECT_EQ("VOR/DME", panel.Cells()[fms::kFirstBlockCell + 2].text);
  EXPECT_EQ("FRI", panel.Cells()[fms::kFirstBlockCell + 3].text);
  EXPECT_EQ("115.10", panel.Cells()[fms::kFirstBlockCell + 4].text);
  const auto row = panel.Row(0);
  ASSERT_TRUE(row);
  EXPECT_EQ(active, row->row);
  EXPECT_EQ(active, plan.m_currentRow);
}

}  // namespace
