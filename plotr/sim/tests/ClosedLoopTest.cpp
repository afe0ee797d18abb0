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
#include "plotr/sim/GuidanceMath.h"
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

using guidance::Wrap360;

// The true heading of the runway end a plan row stands for.
double RunwayHeading(CFlightPlanStatus& plan, int row) {
  DatabaseLease lease;
  const PlanPoint* point = plan.GetRowPoint(row);
  const RunwayRecord* record = point ? lease.Database().GetRunway(point->ref.point) : nullptr;
  return record ? BinaryAngleToDegrees(record->heading) : std::nan("");
}

// The last two miles to a runway end, sampled once a second: the farthest the aircraft strays
// from the extended centre line and the farthest its track turns from the runway heading.
class FinalWatch {
 public:
  static constexpr double kFinal = 2 * kNm;
  // Lined up: within a runway's width of the centre line, on a track that no longer turns.
  static constexpr double kLinedUpOffset = 60;
  static constexpr double kLinedUpTrack = 2;

  FinalWatch(double endLat, double endLon, double heading) : m_lat(endLat), m_lon(endLon), m_heading(heading) {
    DestinationPoint(m_outLat, m_outLon, endLat, endLon, Wrap360(heading + 180), 10 * kNm);
  }
  // Called after every tick.
  void Tick(const simhost::Aircraft& a) {
    if (m_ticks++ % 10 != 0) return;
    if (m_ticks > 1 && GreatCircleDistance(a.latitude, a.longitude, m_lat, m_lon) < kFinal) {
      ++samples;
      const double off = CrossTrack(a.latitude, a.longitude, m_outLat, m_outLon, m_lat, m_lon);
      const double flown = InitialCourse(m_prevLat, m_prevLon, a.latitude, a.longitude);
      offset = std::max(offset, std::fabs(off));
      track = std::max(track, std::fabs(std::remainder(flown - m_heading, 360.0)));
    }
    m_prevLat = a.latitude;
    m_prevLon = a.longitude;
  }
  // Where the flight ended: short of the end, close to it and with the end still ahead.
  void ExpectEndedShortOfTheEnd(const simhost::Aircraft& a) const {
    EXPECT_LT(GreatCircleDistance(a.latitude, a.longitude, m_lat, m_lon), 600);
    EXPECT_LT(std::fabs(std::remainder(InitialCourse(a.latitude, a.longitude, m_lat, m_lon) - m_heading, 360.0)), 90)
        << "the runway end is still ahead";
  }
  void ExpectLinedUp() const {
    EXPECT_GT(samples, 30) << "flown to within 2 nm";
    EXPECT_LT(offset, kLinedUpOffset) << "metres off the centre line within 2 nm";
    EXPECT_LT(track, kLinedUpTrack) << "degrees of track off the runway heading within 2 nm";
  }

  int samples = 0;
  double offset = 0, track = 0;

 private:
  double m_lat, m_lon, m_heading, m_outLat = 0, m_outLon = 0, m_prevLat = 0, m_prevLon = 0;
  int m_ticks = 0;
};

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
    DatabaseLease lease;
    const RunwayRecord* record =
        lease.Database().GetRunway(plan.GetRowPoint(static_cast<int>(Rows().size()) - 1)->ref.point);
    ASSERT_NE(nullptr, record);
    const double variation = plan.GetCurrent()->MagneticVariation(runway.latitude, runway.longitude);
    ilsCourse = std::floor(std::fmod(BinaryAngleToDegrees(record->heading) + variation + 360, 360.0) + 0.5);
  }
  FinalWatch final(runway.latitude, runway.longitude, RunwayHeading(plan, static_cast<int>(Rows().size()) - 1));
  std::vector<int> order;
  std::deque<std::array<double, 3>> levelOffs;  // the last 10 s of predictions
  bool levelChecked = false, levelReached = false, finalTuned = false, fmsChecked = false;
  double highest = 0;
  int previousRow = -1;
  int ticks = 0;
  for (; ticks < 40000 && (ticks < 50 || plan.IsFlyPlanActive()); ++ticks) {
    rig.Tick();
    const simhost::Aircraft& a = rig.Aircraft();
    if (plan.IsFlyPlanActive()) final.Tick(a);
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
  final.ExpectEndedShortOfTheEnd(a);
  final.ExpectLinedUp();
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
    DatabaseLease lease;
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

namespace {

// A flight that starts 4 nm beside the start of a 16 nm leg is led onto the leg, where flying
// straight to its end would still be 3 km off at 60 % of it and 1.5 km at 80 %.
TEST(LegFollowing, InterceptsTheLegFromFourMilesBeside) {
  std::string error;
  ASSERT_TRUE(guidancetest::LoadSwissSample(error)) << error;
  for (const double wind : {0.0, 20.0}) {
    SCOPED_TRACE(testing::Message() << "wind " << wind << " kt across the leg");
    const double pLat = 46.5, pLon = 6.6;
    double aLat, aLon, nLat, nLon, startLat, startLon;
    DestinationPoint(aLat, aLon, pLat, pLon, 90, 16 * kNm);
    DestinationPoint(nLat, nLon, aLat, aLon, 90, 16 * kNm);
    DestinationPoint(startLat, startLon, pLat, pLon, 0, 4 * kNm);
    Rig rig(90, simhost::AircraftStart{startLat, startLon, 5000, 90, 150});
    rig.Aircraft().windSpeed = wind;
    rig.Aircraft().windDirection = 0;
    rig.SetRoute({plantest::UserPoint(pLat, pLon, "PPP"), plantest::UserPoint(aLat, aLon, "AAA"),
                  plantest::UserPoint(nLat, nLon, "NNN")},
                 5000);
    int legEnd = -1;
    for (int i = 0; i < static_cast<int>(rig.plan->m_rows.size()); ++i)
      if (rig.plan->m_rows[i].pointIndex == 1) legEnd = i;
    ASSERT_GE(legEnd, 0);
    rig.Aircraft().autopilot.master = true;
    rig.Named().flyPlanWaypoint = legEnd;
    rig.Named().flyPlanOn = 1;

    const double fractions[] = {0.6, 0.8};
    const double limits[] = {2000, 800};  // metres off the leg
    double offsets[2] = {std::nan(""), std::nan("")};
    size_t next = 0;
    for (int tick = 0; tick < 5000 && next < 2; ++tick) {
      rig.Tick();
      const simhost::Aircraft& a = rig.Aircraft();
      const double off = CrossTrack(a.latitude, a.longitude, pLat, pLon, aLat, aLon);
      const double fromStart = GreatCircleDistance(pLat, pLon, a.latitude, a.longitude);
      const double along = std::sqrt(std::max(fromStart * fromStart - off * off, 0.0));
      while (next < 2 && along >= fractions[next] * 16 * kNm) offsets[next++] = std::fabs(off);
    }
    EXPECT_EQ(legEnd, rig.plan->m_currentRow) << "still on the leg";
    for (size_t i = 0; i < 2; ++i) EXPECT_LT(offsets[i], limits[i]) << "at " << fractions[i] * 100 << " % of the leg";
  }
}

// Flights to runway 23 of Geneva that must be lined up on its centre line over the last 2 nm
// and end short of its end.
struct ApproachCase {
  const char* name;
  double out;   // nm from the runway end along the extended centre line
  double side;  // nm to the right of it, looking along the runway
  double cut;   // the start heading minus the runway heading
  double wind;  // kt, blowing across the runway from its left
  double past;  // nm past the runway end of a waypoint flown before it, 0 for none
  bool flyOver;
};

void PrintTo(const ApproachCase& c, std::ostream* os) { *os << c.name; }

class RunwayApproach : public ::testing::TestWithParam<ApproachCase> {};

TEST_P(RunwayApproach, LinesUpOnTheCentreLineOverTheLastTwoMiles) {
  const ApproachCase& c = GetParam();
  std::string error;
  ASSERT_TRUE(guidancetest::LoadSwissSample(error)) << error;
  const PlanPoint runwayPoint = SampleRunway("LSGG", "23");
  Rig rig(90, simhost::AircraftStart{46.5, 6.5, 3000, 0, 150});
  rig.SetRoute({plantest::UserPoint(46.5, 6.5, "FROM"), runwayPoint}, 3000);
  const double endLat = rig.plan->m_rows.back().latitude, endLon = rig.plan->m_rows.back().longitude;
  const double h = RunwayHeading(*rig.plan, static_cast<int>(rig.plan->m_rows.size()) - 1);
  double lat, lon, startLat, startLon;
  DestinationPoint(lat, lon, endLat, endLon, Wrap360(h + 180), c.out * kNm);
  DestinationPoint(startLat, startLon, lat, lon, Wrap360(h + 90), c.side * kNm);
  const double heading = Wrap360(h + c.cut);
  simhost::Aircraft& a = rig.Aircraft();
  a.latitude = startLat;
  a.longitude = startLon;
  a.heading = heading;
  a.windSpeed = c.wind;
  a.windDirection = Wrap360(h - 90);

  // The plan comes from 10 nm behind the start, on the start heading.
  double fromLat, fromLon;
  DestinationPoint(fromLat, fromLon, startLat, startLon, Wrap360(heading + 180), 10 * kNm);
  std::vector<PlanPoint> points = {plantest::UserPoint(fromLat, fromLon, "FROM")};
  if (c.past > 0) {
    DestinationPoint(lat, lon, endLat, endLon, h, c.past * kNm);
    points.push_back(plantest::UserPoint(lat, lon, "PAST"));
    if (c.flyOver) points.back().flags |= kPointFlyOver;
  }
  points.push_back(runwayPoint);
  rig.SetRoute(points, 3000);
  const int last = static_cast<int>(rig.plan->m_rows.size()) - 1;
  ASSERT_EQ(kRowDestination, rig.plan->m_rows[last].rowKind);
  int first = -1;
  for (int i = 1; i <= last && first < 0; ++i)
    if (rig.plan->m_rows[i].pointIndex >= 0) first = i;
  a.autopilot.master = true;
  rig.Named().flyPlanWaypoint = first;
  rig.Named().flyPlanOn = 1;

  FinalWatch final(endLat, endLon, h);
  int tick = 0;
  for (; tick < 20000 && (tick < 50 || rig.plan->IsFlyPlanActive()); ++tick) {
    rig.Tick();
    if (rig.plan->IsFlyPlanActive()) final.Tick(rig.Aircraft());
  }
  ASSERT_FALSE(rig.plan->IsFlyPlanActive()) << "the flight ends";
  EXPECT_EQ(last, rig.plan->m_currentRow);
  final.ExpectEndedShortOfTheEnd(rig.Aircraft());
  final.ExpectLinedUp();
}

INSTANTIATE_TEST_SUITE_P(
    Geneva, RunwayApproach,
    ::testing::Values(ApproachCase{"FromTwelveMilesOneAndAHalfRightOfTheLine", 12, 1.5, 0, 0, 0, false},
                      ApproachCase{"FromTwelveMilesOneAndAHalfLeftInCrosswind", 12, -1.5, 0, 20, 0, false},
                      ApproachCase{"CrossingTheLineAtThirtyDegreesSixMilesOut", 6, 0, 30, 0, 0, false},
                      ApproachCase{"OverAWaypointPastTheRunwayEnd", 10, 0, 0, 0, 0.5, false},
                      ApproachCase{"OverAFlyOverWaypointPastTheRunwayEnd", 10, 0, 0, 0, 0.5, true}),
    [](const ::testing::TestParamInfo<ApproachCase>& info) { return std::string(info.param.name); });

// Holding entries flown from each sector towards a fix 8 km ahead, inbound course 090 magnetic,
// one-minute legs: where the aircraft passes relative to the inbound line shows whether each
// part of the entry turns the way it should.
struct EntryCase {
  const char* name;
  bool right;
  double x;  // the approach course minus the inbound course
  int32_t entry;
};

void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class HoldingEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(HoldingEntry, FliesEachPartOnItsSideOfTheInboundLine) {
  const EntryCase& c = GetParam();
  std::string error;
  ASSERT_TRUE(guidancetest::LoadSwissSample(error)) << error;
  // Values a float holds exactly, as the holding definition stores them.
  const double fixLat = 46.5, fixLon = 7.25;
  Rig rig(90, simhost::AircraftStart{fixLat, fixLon, 5000, 0, 120});
  double variation;
  {
    DatabaseLease lease;
    variation = rig.plan->GetCurrent()->MagneticVariation(fixLat, fixLon);
  }
  const double inbound = Wrap360(90 - variation);
  const double approach = Wrap360(inbound + c.x);
  simhost::Aircraft& a = rig.Aircraft();
  DestinationPoint(a.latitude, a.longitude, fixLat, fixLon, Wrap360(approach + 180), 8000);
  a.heading = approach;
  a.autopilot.master = true;
  rig.plan->m_holding =
      HoldingDefinition{1, static_cast<float>(fixLat), static_cast<float>(fixLon), 0, 90, c.right ? 0 : 1, 0, 1, 0};
  rig.Named().holdingOn = 1;

  // Metres on the pattern's side of the inbound line, negative on the other side.
  double lineLat, lineLon;
  DestinationPoint(lineLat, lineLon, fixLat, fixLon, Wrap360(inbound + 180), 10000);
  const auto side = [&] {
    return (c.right ? 1 : -1) * CrossTrack(a.latitude, a.longitude, lineLat, lineLon, fixLat, fixLon);
  };
  double lowest[9], highest[9];
  std::fill(std::begin(lowest), std::end(lowest), 1e9);
  std::fill(std::begin(highest), std::end(highest), -1e9);
  double entered = -1, enteredTrack = 0, outboundEnd = std::nan("");
  int phase = 0;
  for (int tick = 0; tick < 8000 && phase != 8; ++tick) {
    rig.Tick();
    if (tick > 10 && !rig.plan->IsHoldingActive()) break;
    const int now = rig.plan->GetHoldingPhase();
    const double toFix = GreatCircleDistance(a.latitude, a.longitude, fixLat, fixLon);
    if (phase == 1 && now != 1) {
      entered = toFix;
      enteredTrack = std::fabs(std::remainder(a.heading - inbound, 360.0));
    }
    if (phase == 2 && now != 2) outboundEnd = side();
    phase = now;
    lowest[phase] = std::min(lowest[phase], side());
    highest[phase] = std::max(highest[phase], side());
  }
  ASSERT_EQ(8, phase) << "the entry and the first pattern are flown to the inbound leg";
  EXPECT_EQ(c.entry, rig.plan->GetHoldingEntry());
  EXPECT_LT(entered, 800) << "the entry begins at the fix";
  for (int p = 5; p <= 7; ++p) EXPECT_GT(lowest[p], -500) << "the pattern lies on its side, phase " << p;
  switch (c.entry) {
    case kEntryTeardrop:
      EXPECT_LT(highest[1], 0) << "comes in over the side away from the pattern";
      EXPECT_GT(outboundEnd, 1000) << "the outbound leg leans to the pattern's side";
      break;
    case kEntryParallel:
      EXPECT_GT(highest[3], 1500) << "turns back across to the pattern's side";
      EXPECT_GT(std::min(lowest[3], lowest[4]), -500) << "and not away from it";
      break;
    default:
      EXPECT_LT(enteredTrack, std::fabs(std::remainder(c.x, 360.0)) / 2 + 5)
          << "led round to the inbound course: at the fix at least halfway from the approach course";
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sectors, HoldingEntry,
    ::testing::Values(EntryCase{"RightDirectAlongTheInboundCourse", true, 0, kEntryDirect},
                      EntryCase{"RightDirectFromSixtyDegrees", true, 60, kEntryDirect},
                      EntryCase{"RightDirectSquareToTheInboundCourse", true, 90, kEntryDirect},
                      EntryCase{"RightTeardropFrom130", true, 130, kEntryTeardrop},
                      EntryCase{"RightTeardropFrom170", true, 170, kEntryTeardrop},
                      EntryCase{"RightParallelFrom190", true, 190, kEntryParallel},
                      EntryCase{"RightParallelSquareToTheInboundCourse", true, 270, kEntryParallel},
                      EntryCase{"RightParallelFrom300", true, 300, kEntryParallel},
                      EntryCase{"LeftDirectFromSixtyDegrees", false, 300, kEntryDirect},
                      EntryCase{"LeftDirectSquareToTheInboundCourse", false, 270, kEntryDirect},
                      EntryCase{"LeftTeardropFrom190", false, 190, kEntryTeardrop},
                      EntryCase{"LeftTeardropFrom230", false, 230, kEntryTeardrop},
                      EntryCase{"LeftParallelFrom170", false, 170, kEntryParallel},
                      EntryCase{"LeftParallelSquareToTheInboundCourse", false, 90, kEntryParallel}),
    [](const ::testing::TestParamInfo<EntryCase>& info) { return std::string(info.param.name); });

}  // namespace
