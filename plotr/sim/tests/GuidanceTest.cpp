#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "navdb/Geodesy.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Units.h"
#include "plotr/sim/GuidanceMath.h"
#include "plotr/sim/tests/support/GuidanceRig.h"

namespace {

using namespace simapi;
using guidancetest::Rig;
using simhost::LoggedEvent;

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

std::vector<uint32_t> Ids(const std::vector<LoggedEvent>& events) {
  std::vector<uint32_t> ids;
  for (const LoggedEvent& e : events) ids.push_back(e.id);
  return ids;
}

int CountOf(const std::vector<LoggedEvent>& events, uint32_t id) {
  return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const LoggedEvent& e) { return e.id == id; }));
}

// The last event of the id.
const LoggedEvent* Find(const std::vector<LoggedEvent>& events, uint32_t id) {
  for (auto e = events.rbegin(); e != events.rend(); ++e)
    if (e->id == id) return &*e;
  return nullptr;
}

PlanRow MakeRow(double lat, double lon, int32_t rowKind, int32_t pointIndex, const PlanRow* previous = nullptr) {
  PlanRow r;
  r.latitude = lat;
  r.longitude = lon;
  r.rowKind = rowKind;
  r.pointIndex = pointIndex;
  if (previous) {
    r.course = InitialCourse(previous->latitude, previous->longitude, lat, lon);
    r.legDistance = GreatCircleDistance(previous->latitude, previous->longitude, lat, lon) / kMetresPerNm;
  }
  return r;
}

// A plan object on a stand-in host with the Swiss sample loaded.
class Guidance : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(guidancetest::LoadSwissSample(error)) << error;
  }
  std::unique_ptr<Rig> Make(int simVer, simhost::AircraftStart start = {46.5, 7.0, 5000, 90, 120},
                            const std::string& settings = "") {
    auto rig = std::make_unique<Rig>(simVer, start, settings);
    rig->block.Exchange(1);
    return rig;
  }
  // The snapshot as the host stands now, without a tick.
  static void Sync(Rig& rig) { rig.block.Exchange(1); }
};

TEST_F(Guidance, TickPhasesOverTenTicks) {
  auto rig = Make(70);
  rig->SetRoute({guidancetest::SamplePoint("FRI", kKindVor), guidancetest::SamplePoint("SPR", kKindVor)}, 5000);
  std::vector<int> exchanged, published, taken;
  rig->Named().nextWaypoint = 1;
  for (int t = 0; t < 10; ++t) {
    rig->Aircraft().autopilot.selectedAltitude = 1000 + t;
    rig->Named().flyPlanPossible = -1;
    const int before = rig->Named().nextWaypoint;
    rig->Tick();
    if (rig->block.GetSnapshot().selectedAltitude == 1000 + t) exchanged.push_back(t);
    if (rig->Named().flyPlanPossible != -1) published.push_back(t);
    if (before != 0 && rig->Named().nextWaypoint == 0) taken.push_back(t);
    // Written after this cycle's exchange: waits for the next one.
    if (t == 6) rig->Named().nextWaypoint = 1;
  }
  EXPECT_EQ((std::vector<int>{1, 6}), exchanged);
  EXPECT_EQ((std::vector<int>{0, 5}), published);
  EXPECT_EQ((std::vector<int>{4}), taken);
  EXPECT_EQ(1, rig->plan->m_currentRow) << "the taken command ran once";
  rig->Ticks(5);
  EXPECT_EQ(0, rig->Named().nextWaypoint) << "taken on tick 14";

  // Move steps of a sequence with altitude run on ticks 3 and 8.
  rig->plan->MoveAircraft(46.6, 7.1, 1000, 90);
  std::vector<int> steps;
  for (int t = 0; t < 10; ++t) {
    rig->host.ClearEvents();
    rig->Tick();
    if (!rig->host.Events().empty()) steps.push_back(static_cast<int>((rig->tick - 1) % 10));
  }
  std::sort(steps.begin(), steps.end());
  EXPECT_EQ((std::vector<int>{3, 8}), steps);
}

TEST_F(Guidance, FmcModeCommandsAndThePublishedFlag) {
  auto rig = Make(90);
  struct Step {
    int32_t NamedVariableStorage::*command;
    bool mode2;
  };
  const Step steps[] = {{&NamedVariableStorage::fmcMode2On, true},
                        {&NamedVariableStorage::fmcModeToggle, false},
                        {&NamedVariableStorage::fmcModeToggle, true},
                        {&NamedVariableStorage::fmcMode1On, false}};
  for (const Step& s : steps) {
    rig->Named().*s.command = 1;
    rig->Ticks(10);
    EXPECT_EQ(0, rig->Named().*s.command);
    EXPECT_EQ(s.mode2, g_Settings.GetAvionicsAutoMode2(false));
    EXPECT_EQ(s.mode2 ? 1 : 0, rig->Named().fmcMode2);
  }
}

TEST_F(Guidance, FlyPlanOnTheGroundSwitchesTheAutopilotOffFirst) {
  auto rig = Make(90);
  rig->SetRoute({guidancetest::SamplePoint("FRI", kKindVor), guidancetest::SamplePoint("SPR", kKindVor)}, 5000);
  simhost::Aircraft& a = rig->Aircraft();
  a.onGround = true;
  a.autopilot.master = a.autopilot.headingHold = a.autopilot.altitudeHold = a.autopilot.nav1Hold = true;
  rig->Named().flyPlanOn = 1;
  rig->Named().flyPlanWaypoint = 1;
  rig->ToNextGuidanceTick();
  EXPECT_EQ((std::vector<uint32_t>{kEventHeadingHold, kEventAltitudeHold, kEventNav1Hold, kEventAutopilotMaster}),
            Ids(rig->TakeEvents()));
  EXPECT_EQ(1, rig->Named().flyPlanOn) << "pending until the master is off";
  EXPECT_FALSE(rig->plan->IsFlyPlanActive());
  rig->ToNextGuidanceTick();
  rig->ToNextGuidanceTick();
  EXPECT_TRUE(rig->plan->IsFlyPlanActive());
  EXPECT_EQ(1, rig->plan->m_currentRow);
  EXPECT_EQ(0, rig->Named().flyPlanOn);
  EXPECT_EQ(-1, rig->Named().flyPlanWaypoint);
}

TEST_F(Guidance, CommandsWaitWhileTheAircraftIsMovedAndChangesAreNoticed) {
  auto rig = Make(70);
  rig->SetRoute({guidancetest::SamplePoint("FRI", kKindVor), guidancetest::SamplePoint("BELUS", kKindIntersection),
                 guidancetest::SamplePoint("SPR", kKindVor)},
                5000);
  rig->Aircraft().autopilot.master = true;
  rig->plan->MoveAircraft(46.78, 7.0, 1500, 250);
  rig->Named().flyPlanWaypoint = -1;
  rig->Named().flyPlanOn = 1;
  rig->Ticks(100);
  EXPECT_TRUE(rig->plan->IsMoving());
  EXPECT_EQ(1, rig->Named().flyPlanOn);
  while (rig->plan->IsMoving()) rig->Tick();
  rig->frame.Clear();
  rig->Ticks(10);
  EXPECT_TRUE(rig->plan->IsFlyPlanActive());
  EXPECT_EQ((std::vector<uint32_t>{WM_APP_GUIDANCE_CHANGED}), rig->frame.Codes()) << "flying the plan started";
  rig->frame.Clear();
  rig->Ticks(10);
  EXPECT_TRUE(rig->frame.Codes().empty()) << "nothing changed";
  rig->Named().nextWaypoint = 1;
  rig->Ticks(10);
  EXPECT_EQ((std::vector<uint32_t>{WM_APP_GUIDANCE_CHANGED}), rig->frame.Codes()) << "the row changed";
}

TEST_F(Guidance, FlyToFreesTheSelectorThenFollowsThePoint) {
  auto rig = Make(90, {46.5, 7.0, 5000, 0, 120});
  simhost::AutopilotState& ap = rig->Aircraft().autopilot;
  ap.navSource = ap.nav1Hold = true;
  const auto command = [&](double lat, double lon) {
    rig->Named().flyToLatitude = lat;
    rig->Named().flyToLongitude = lon;
    rig->Named().flyToOn = 1;
    rig->TakeEvents();
    rig->Ticks(10);
    return rig->TakeEvents();
  };
  // First tick: master on, selector freed, heading hold on, the heading (east, magnetic).
  const double variation = rig->block.GetSnapshot().magneticVariation;
  const auto first = command(46.5, 7.5);
  ASSERT_TRUE(rig->plan->IsFlyToActive());
  const uint32_t east = static_cast<uint32_t>(std::fmod(std::floor(InitialCourse(46.5, 7.0, 46.5, 7.5) + variation + 360.5), 360.0));
  EXPECT_EQ((std::vector<LoggedEvent>{{kEventAutopilotMaster, 0}, {kEventNavSourceOff, 0}, {kEventNav1Hold, 0},
                                      {kEventHeadingHold, 0}, {kEventSelectHeading, east}}),
            first);
  EXPECT_EQ(1, rig->Named().flyTo);
  EXPECT_EQ(0.0, rig->Named().flyToLatitude) << "coordinates reset when taken";

  // The pilot turns the selector: fly-to ends on the next guidance tick.
  ap.selectedHeading = east + 10;
  rig->Ticks(10);
  EXPECT_FALSE(rig->plan->IsFlyToActive());

  // A point 500 m away ends at once, without an event.
  double lat, lon;
  DestinationPoint(lat, lon, rig->Aircraft().latitude, rig->Aircraft().longitude, 90, 450);
  const auto near = command(lat, lon);
  EXPECT_FALSE(rig->plan->IsFlyToActive());
  EXPECT_EQ(0, CountOf(near, kEventSelectHeading));

  // A host that refuses the heading ends it on the first tick.
  rig->host.SetEventAnswer(kEventSelectHeading, simhost::EventAnswer::kRefuse);
  command(46.0, 7.0);
  EXPECT_FALSE(rig->plan->IsFlyToActive());
}

TEST_F(Guidance, FlyToCorrectsForWindOnlyInTheAir) {
  for (const bool ground : {false, true}) {
    auto rig = Make(90, {46.5, 7.0, 5000, 90, 120});
    rig->Aircraft().autopilot.master = rig->Aircraft().autopilot.headingHold = true;
    rig->Named().flyToLatitude = 46.5;
    rig->Named().flyToLongitude = 7.5;
    rig->Named().flyToOn = 1;
    rig->Ticks(5);
    ASSERT_TRUE(rig->plan->IsFlyToActive());
    // Then wind from the north, and the aircraft somewhat north of its line.
    rig->Aircraft().windSpeed = 30;
    rig->Aircraft().windDirection = 0;
    rig->Aircraft().onGround = ground;
    rig->Aircraft().latitude += 0.05;
    rig->TakeEvents();
    rig->Ticks(10);
    const auto events = rig->TakeEvents();
    const LoggedEvent* heading = Find(events, kEventSelectHeading);
    ASSERT_NE(nullptr, heading) << ground;
    const double course = InitialCourse(rig->Aircraft().latitude, rig->Aircraft().longitude, 46.5, 7.5);
    if (ground) {
      EXPECT_NEAR(course, heading->value, 1);
    } else {
      EXPECT_NEAR(course - std::asin(30.0 / 120) / kDegToRad, heading->value, 1.5);
    }
  }
}

TEST(GuidanceMath, WindCorrectedHeading) {
  struct Case {
    const char* name;
    double tas, course, windTo, windSpeed, heading;
  };
  const Case cases[] = {
      {"no wind", 120, 123, 45, 0, 123},
      {"no wind at no airspeed", 0, 123, 45, 0, 123},
      {"wind from the left", 120, 0, 90, 20, 360 - std::asin(20.0 / 120) / kDegToRad},
      {"tail wind", 120, 90, 90, 30, 90},
      {"wind stronger than the aircraft", 20, 0, 270, 40, 90},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(c.heading, CFlightPlanGuidance::WindCorrectedHeading(c.tas, c.course, c.windTo, c.windSpeed), 1e-9)
        << c.name;
  }
}

TEST(GuidanceMath, TargetRoundingByVersion) {
  struct Case {
    double v;
    int version;
    double rounded;
  };
  const Case cases[] = {{980, 70, 1000}, {1030, 70, 1000}, {-980, 70, -1000}, {1030, 80, 1000},
                        {1060, 80, 1100}, {940, 90, 900},   {-1060, 61, -1100}};
  for (const Case& c : cases) EXPECT_EQ(c.rounded, guidance::RoundVerticalSpeed(c.v, c.version)) << c.v << " on " << c.version;
  EXPECT_EQ(250, guidance::RoundAirspeed(247));
  EXPECT_EQ(240, guidance::RoundAirspeed(244.9));
}

TEST_F(Guidance, TurnAnticipationScalesWithSpeedAndTurn) {
  struct Case {
    const char* name;
    double airspeed;
    double turn;      // of the next leg, degrees right
    double distance;  // of the aircraft short of the waypoint
    bool switches;
  };
  const Case cases[] = {
      {"120 kt, 90 degrees: inside 1300 m", 120, 90, 1290, true},
      {"120 kt, 90 degrees: outside 1300 m", 120, 90, 1310, false},
      {"60 kt, 30 degrees: the 500 m floor", 60, 30, 490, true},
      {"60 kt, 30 degrees: outside the floor", 60, 30, 510, false},
      {"170 degrees counts as 135", 120, 170, 1940, true},
      {"170 degrees beyond the cap", 120, 170, 1960, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto rig = Make(90, {46.5, 7.0, 5000, 90, c.airspeed});
    rig->plan->GetCurrent()->m_profile.cruiseSpeed = 120;
    rig->plan->GetCurrent()->m_profile.cruiseAltitude = 0;
    PlanRow rows[3];
    rows[0] = MakeRow(46.5, 6.8, kRowDeparture, -1);
    rows[1] = MakeRow(46.5, 7.0, kRowEnRoute, -1, &rows[0]);
    double lat, lon;
    DestinationPoint(lat, lon, 46.5, 7.0, guidance::Wrap360(rows[1].course + c.turn), 20000);
    rows[2] = MakeRow(lat, lon, kRowEnRoute, -1, &rows[1]);
    DestinationPoint(lat, lon, 46.5, 7.0, guidance::Wrap360(rows[1].course + 180), c.distance);
    rig->Aircraft().latitude = lat;
    rig->Aircraft().longitude = lon;
    rig->Aircraft().heading = rows[1].course;
    Sync(*rig);
    EXPECT_EQ(c.switches, rig->plan->ShouldSwitchLeg(&rows[0], rows[1], &rows[2]));
  }
}

TEST_F(Guidance, PassedAndFlyOverWaypoints) {
  auto rig = Make(90, {46.5, 7.0, 5000, 90, 120});
  rig->SetRoute({plantest::UserPoint(46.5, 6.8, "AAA"), plantest::UserPoint(46.5, 7.0, "BBB"),
                 plantest::UserPoint(46.7, 7.0, "CCC")},
                5000);
  std::vector<PlanRow> rows;
  for (const PlanRow& r : rig->plan->m_rows)
    if (r.pointIndex >= 0) rows.push_back(r);
  ASSERT_EQ(3u, rows.size());
  rig->plan->m_rows = rows;
  const auto at = [&](double metresShort) {
    double lat, lon;
    DestinationPoint(lat, lon, 46.5, 7.0, guidance::Wrap360(rows[1].course + 180), metresShort);
    rig->Aircraft().latitude = lat;
    rig->Aircraft().longitude = lon;
    Sync(*rig);
    return rig->plan->ShouldSwitchLeg(&rig->plan->m_rows[0], rig->plan->m_rows[1], &rig->plan->m_rows[2]);
  };
  EXPECT_TRUE(at(1000));
  EXPECT_TRUE(at(-50)) << "behind";
  (*rig->plan->GetCurrent())[1].flags |= kPointFlyOver;
  EXPECT_FALSE(at(1000));
  EXPECT_FALSE(at(110));
  EXPECT_TRUE(at(90));
}

// One guidance tick of a plan of two hand-made rows towards a destination of this altitude.
class FlightTargets : public Guidance {
 protected:
  std::vector<LoggedEvent> Fly(int version, double aircraftFeet, double destinationFeet, double shortOfDestination,
                               bool beyond = false) {
    m_rig = Make(version, {46.5, 7.0, aircraftFeet, 90, 150});
    m_rig->Aircraft().autopilot.selectedVerticalSpeed = 0;
    PlanRow from = MakeRow(46.5, 6.5, kRowDeparture, 0);
    from.altitude = destinationFeet;
    PlanRow to = MakeRow(46.5, 7.0, kRowDestination, 1, &from);
    to.altitude = destinationFeet;
    to.speedBefore = to.speedAfter = 150;
    double lat, lon;
    DestinationPoint(lat, lon, 46.5, 7.0, guidance::Wrap360(to.course + (beyond ? 0 : 180)), shortOfDestination);
    m_rig->Aircraft().latitude = lat;
    m_rig->Aircraft().longitude = lon;
    m_rig->Aircraft().heading = to.course;
    m_rig->plan->m_rows = {from, to};
    m_rig->plan->m_currentRow = 1;
    m_rig->plan->m_guidanceFlags = kGuidanceFlyingPlan;
    m_rig->Aircraft().autopilot.master = true;
    m_rig->TakeEvents();
    m_rig->ToNextGuidanceTick();
    return m_rig->TakeEvents();
  }
  std::unique_ptr<Rig> m_rig;
};

TEST_F(FlightTargets, LevelWithinTheBandBoundsIncluded) {
  struct Case {
    int version;
    double offset;  // aircraft above the row's altitude
    double altitude;
  };
  // 5020 ft: level gives 5000, climb 5100, descent 5000.
  const Case cases[] = {{70, -15, 5000}, {70, -16, 5100}, {90, -80, 5000}, {90, -81, 5100}, {90, 80, 5000}};
  for (const Case& c : cases) {
    const auto events = Fly(c.version, 5020 + c.offset, 5020, 20000);
    const LoggedEvent* altitude = Find(events, kEventSelectAltitude);
    if (c.version < 80) {
      EXPECT_NEAR(c.altitude, m_rig->Aircraft().autopilot.selectedAltitude, 0.01) << c.version << " " << c.offset;
    } else {
      ASSERT_NE(nullptr, altitude);
      EXPECT_EQ(c.altitude, static_cast<int32_t>(altitude->value)) << c.version << " " << c.offset;
    }
    if (c.altitude == 5000 && c.offset <= 0) {
      for (const LoggedEvent& e : events) {
        if (e.id == kEventSelectVerticalSpeed) {
          EXPECT_EQ(0u, e.value) << "level: 0";
        }
      }
    }
  }
}

TEST_F(FlightTargets, LastTickAtTheDestinationSlowsDownAndStops) {
  for (int version : {70, 90}) {
    const auto events = Fly(version, 3000, 1500, 300, true);
    const LoggedEvent* speed = Find(events, kEventSelectAirspeed);
    ASSERT_NE(nullptr, speed);
    EXPECT_EQ(version < 80 ? 40u : 0u, speed->value);
    const LoggedEvent* vs = Find(events, kEventSelectVerticalSpeed);
    ASSERT_NE(nullptr, vs);
    EXPECT_EQ(-600, static_cast<int32_t>(vs->value));
    EXPECT_FALSE(m_rig->plan->IsFlyPlanActive());
  }
}

TEST_F(FlightTargets, RowsOnTopOfEachOtherStillGiveAHeading) {
  m_rig = Make(90, {46.5, 6.9, 5000, 90, 150});
  PlanRow from = MakeRow(46.5, 7.0, kRowDeparture, 0);
  PlanRow to = MakeRow(46.5, 7.0, kRowEnRoute, 1, &from);
  PlanRow next = MakeRow(46.5, 7.5, kRowDestination, 2, &to);
  for (PlanRow* r : {&from, &to, &next}) r->altitude = 5000;
  m_rig->plan->m_rows = {from, to, next};
  m_rig->plan->m_currentRow = 1;
  m_rig->plan->m_guidanceFlags = kGuidanceFlyingPlan;
  m_rig->Aircraft().autopilot.master = true;
  m_rig->Aircraft().autopilot.selectedHeading = 200;
  m_rig->TakeEvents();
  m_rig->ToNextGuidanceTick();
  const auto events = m_rig->TakeEvents();
  const LoggedEvent* heading = Find(events, kEventSelectHeading);
  ASSERT_NE(nullptr, heading) << "the active point itself is steered to";
  EXPECT_NEAR(90, static_cast<int32_t>(heading->value), 3);
}

// One guidance tick on the last leg to runway 23 of Geneva, the aircraft placed around the
// runway end. Captured, it steers for the point r * sqrt(e / 45) before the end on the centre
// line (r its distance from the end, e its angle off the line seen from there), so it joins
// the line the closer to the end the better it is lined up; otherwise, within 20 km, for the
// approach point 0.75 * r before the end.
TEST_F(Guidance, RunwayCaptureAndTheApproachPoint) {
  struct Case {
    const char* name;
    double out, side;  // nm along the extended centre line and to its right
    double track;      // degrees off the runway heading
    bool captured;
  };
  const Case cases[] = {
      {"2.5 nm out, 0.5 nm right", 2.5, 0.5, 0, true},
      {"2.5 nm out, 0.5 nm left, track 85 degrees off", 2.5, -0.5, 85, true},
      {"4 nm out: beyond 3 nm", 4, 0.5, 0, false},
      {"track 95 degrees off", 2.5, -0.5, 95, false},
      {"flying away from the runway", 2.5, 0.5, 180, false},
      {"1.5 nm out, 1.6 nm right: more than 45 degrees off the line", 1.5, 1.6, 0, false},
      {"10 nm out, 1 nm left", 10, -1, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto rig = Make(90, {46.5, 6.5, 3000, 0, 150});
    rig->SetRoute({plantest::UserPoint(46.5, 6.5, "FROM"), guidancetest::SampleRunway("LSGG", "23")}, 3000);
    const int last = static_cast<int>(rig->plan->m_rows.size()) - 1;
    const PlanRow end = rig->plan->m_rows[last];
    double h;
    {
      DatabaseLease lease;
      h = BinaryAngleToDegrees(lease.Database().GetRunway(rig->plan->GetRowPoint(last)->ref.point)->heading);
    }
    double lat, lon;
    DestinationPoint(lat, lon, end.latitude, end.longitude, guidance::Wrap360(h + 180), c.out * kMetresPerNm);
    simhost::Aircraft& a = rig->Aircraft();
    DestinationPoint(a.latitude, a.longitude, lat, lon, guidance::Wrap360(h + 90), c.side * kMetresPerNm);
    a.heading = guidance::Wrap360(h + c.track);
    a.autopilot.master = true;
    a.autopilot.selectedHeading = guidance::Wrap360(h + 120);
    rig->plan->m_currentRow = last;
    rig->plan->m_guidanceFlags = kGuidanceFlyingPlan;
    Sync(*rig);

    // The heading the host is given for a steering point this far before the runway end.
    const double variation = rig->block.GetSnapshot().magneticVariation;
    const auto headingFor = [&](double before) {
      double sLat, sLon;
      DestinationPoint(sLat, sLon, end.latitude, end.longitude, guidance::Wrap360(h + 180), before);
      return guidance::WholeMagnetic(InitialCourse(a.latitude, a.longitude, sLat, sLon), variation);
    };
    const double r = GreatCircleDistance(a.latitude, a.longitude, end.latitude, end.longitude);
    const double e = guidance::Folded(h, InitialCourse(a.latitude, a.longitude, end.latitude, end.longitude));
    const double capturePoint = headingFor(r * std::sqrt(e / 45)), approachPoint = headingFor(0.75 * r);
    ASSERT_GE(guidance::Folded(capturePoint, approachPoint), 3) << "the case tells the two points apart";

    rig->TakeEvents();
    rig->ToNextGuidanceTick();
    const auto events = rig->TakeEvents();
    const LoggedEvent* heading = Find(events, kEventSelectHeading);
    ASSERT_NE(nullptr, heading);
    EXPECT_LE(guidance::Folded(c.captured ? capturePoint : approachPoint, static_cast<int32_t>(heading->value)), 1)
        << "sent " << static_cast<int32_t>(heading->value) << ", capture point " << capturePoint << ", approach point "
        << approachPoint;
    EXPECT_TRUE(rig->plan->IsFlyPlanActive());
  }
}

TEST_F(Guidance, NoEventFromANumberThatIsNone) {
  auto rig = Make(90, {46.5, 7.0, 5000, 90, 150});
  rig->TakeEvents();
  rig->plan->SetAutopilotTargets(kNan, std::numeric_limits<double>::infinity(), kNan, 1e300, kNan, false);
  for (const LoggedEvent& e : rig->TakeEvents()) {
    EXPECT_NE(kEventSelectHeading, e.id);
    EXPECT_NE(kEventSelectAltitude, e.id);
    EXPECT_NE(kEventSelectAirspeed, e.id);
    EXPECT_NE(kEventSelectMach, e.id);
  }
  // A host wind that is no number leaves fly-to without a heading: it ends.
  rig->Aircraft().windSpeed = kNan;
  rig->Aircraft().autopilot.master = true;
  rig->Named().flyToLatitude = 46.5;
  rig->Named().flyToLongitude = 7.5;
  rig->Named().flyToOn = 1;
  rig->Ticks(10);
  EXPECT_FALSE(rig->plan->IsFlyToActive());
  EXPECT_EQ(0, CountOf(rig->TakeEvents(), kEventSelectHeading));
}

TEST_F(Guidance, AutopilotTargetDeadbandsHoldsAndSettings) {
  auto rig = Make(90, {46.5, 7.0, 5000, 90, 150});
  rig->plan->GetCurrent()->m_profile.SetWithoutAsh(false);
  simhost::AutopilotState& ap = rig->Aircraft().autopilot;
  ap.selectedHeading = 100;
  ap.selectedAltitude = 5000;
  ap.selectedAirspeed = 150;
  ap.selectedMach = 0.25;
  ap.selectedVerticalSpeed = 0;
  Sync(*rig);
  CFlightPlanGuidance& g = *rig->plan;
  rig->TakeEvents();
  g.SetAutopilotTargets(100.4, 5000.5, 0.5, 150.5, 0.255, true);
  EXPECT_TRUE(rig->TakeEvents().empty()) << "all within their deadbands";
  g.SetAutopilotTargets(100.6, 5000, 0, 150, 0.25, true);
  EXPECT_EQ((std::vector<LoggedEvent>{{kEventSelectHeading, 100}}), rig->TakeEvents());

  ap.machHold = true;
  Sync(*rig);
  g.SetAutopilotTargets(100, 5000, 0, 200, 0.40, true);
  EXPECT_EQ((std::vector<LoggedEvent>{{kEventSelectMach, 40}}), rig->TakeEvents()) << "Mach hold: Mach only";
  ap.machHold = false;
  ap.airspeedHold = true;
  Sync(*rig);
  g.SetAutopilotTargets(100, 5000, 0, 200, 0.40, true);
  EXPECT_EQ((std::vector<LoggedEvent>{{kEventSelectAirspeed, 200}}), rig->TakeEvents()) << "airspeed hold: speed only";

  g_Settings.SetAvionicsAutoSpeed(2);
  g_Settings.SetAvionicsAutoHead(2);
  g_Settings.SetAvionicsAutoAlt(2);
  g.SetAutopilotTargets(200, 9000, 1000, 200, 0.40, true);
  ap.master = true;
  ap.airspeedHold = false;
  Sync(*rig);
  g.EngageAutopilotModes();
  EXPECT_TRUE(rig->TakeEvents().empty()) << "manual: nothing sent, nothing engaged";

  g_Settings.SetAvionicsAutoSpeed(1);
  g.EngageAutopilotModes();
  EXPECT_TRUE(rig->TakeEvents().empty()) << "half: targets only";
  g_Settings.SetAvionicsAutoSpeed(0);
  g.EngageAutopilotModes();
  EXPECT_EQ((std::vector<uint32_t>{kEventAutothrottleArm, kEventAirspeedHold}), Ids(rig->TakeEvents()));
}

// Each Mach target goes out as its nearest hundredth from a selection one hundredth either side
// (as the host holds it: hundredths / 100), and once the host holds it nothing more is sent.
TEST_F(Guidance, MachTargetsGoOutOnceAsTheirNearestHundredth) {
  struct Case {
    double mach, below, above;
    uint32_t sent;
  };
  const Case cases[] = {
      {0.29, 0.28, 0.30, 29}, {0.57, 0.56, 0.58, 57}, {0.58, 0.57, 0.59, 58},
      {0.60, 0.59, 0.61, 60}, {0.79, 0.78, 0.80, 79},
  };
  for (const Case& c : cases) {
    for (const double selected : {c.below, c.above}) {
      SCOPED_TRACE(testing::Message() << c.mach << " from " << selected);
      auto rig = Make(90, {46.5, 7.0, 5000, 90, 150});
      simhost::AutopilotState& ap = rig->Aircraft().autopilot;
      ap.selectedAirspeed = 150;
      ap.selectedMach = selected;
      Sync(*rig);
      rig->TakeEvents();
      rig->plan->SetAutopilotTargets(90, 5000, 0, 150, c.mach, true);
      EXPECT_EQ((std::vector<LoggedEvent>{{kEventSelectMach, c.sent}}), rig->TakeEvents());
      EXPECT_EQ(c.mach, ap.selectedMach);
      for (int tick = 0; tick < 3; ++tick) {
        Sync(*rig);
        rig->plan->SetAutopilotTargets(90, 5000, 0, 150, c.mach, true);
        EXPECT_TRUE(rig->TakeEvents().empty()) << "sent again on tick " << tick;
      }
    }
  }
}

TEST_F(Guidance, VerticalSpeedStepsFollowTheSimulationRate) {
  for (const double rate : {1.0, 2.0}) {
    auto rig = Make(90, {46.5, 7.0, 5000, 90, 150});
    rig->Aircraft().simulationRate = rate;
    rig->Aircraft().autopilot.selectedAltitude = 9000;
    std::vector<uint32_t> times;
    for (int i = 0; i < 2000 && times.size() < 30; ++i) {
      rig->host.Step(0.0);
      Sync(*rig);
      rig->TakeEvents();
      rig->plan->SetAutopilotTargets(90, 9000, 1800, 150, 0.25, true);
      for (const LoggedEvent& e : rig->TakeEvents())
        if (e.id == kEventSelectVerticalSpeed) times.push_back(rig->clock.TickCount());
      rig->clock.Advance(100);
      rig->Aircraft().altitude = 5000 / kFeetPerMetre;  // stays far from the target
    }
    EXPECT_EQ(18u, times.size()) << "at rate " << rate;
    EXPECT_EQ(1800, rig->Aircraft().autopilot.selectedVerticalSpeed);
    for (size_t i = 1; i < times.size(); ++i) EXPECT_GE(times[i] - times[i - 1], 2000 / rate);
  }
  // Within 300 ft of the target no step is made; a rate that is no number makes none either.
  for (const double rate : {1.0, kNan}) {
    auto rig = Make(90, {46.5, 7.0, 8700, 90, 150});
    rig->Aircraft().simulationRate = rate;
    rig->Aircraft().autopilot.selectedAltitude = rate == 1.0 ? 9000 : 12000;
    Sync(*rig);
    rig->clock.Advance(10000);
    rig->TakeEvents();
    rig->plan->SetAutopilotTargets(90, rate == 1.0 ? 9000 : 12000, 1800, 150, 0.25, true);
    EXPECT_EQ(0, CountOf(rig->TakeEvents(), kEventSelectVerticalSpeed));
  }
}

TEST_F(Guidance, RadioFrequencyEvents) {
  struct Case {
    const char* name;
    int version;
    float adf;
    std::vector<LoggedEvent> events;
  };
  std::vector<LoggedEvent> dial345 = {{kEventAdfReset, 0}};
  for (int i = 0; i < 7; ++i) dial345.push_back({kEventAdfHundredsDown, 0});
  for (int i = 0; i < 4; ++i) dial345.push_back({kEventAdfTensUp, 0});
  for (int i = 0; i < 5; ++i) dial345.push_back({kEventAdfUnitsUp, 0});
  std::vector<LoggedEvent> dial1234 = {{kEventAdfReset, 0}, {kEventAdfHundredsUp, 0}, {kEventAdfHundredsUp, 0}};
  for (int i = 0; i < 3; ++i) dial1234.push_back({kEventAdfTensUp, 0});
  for (int i = 0; i < 4; ++i) dial1234.push_back({kEventAdfUnitsUp, 0});
  for (int i = 0; i < 7; ++i) dial1234.push_back({kEventAdfTenthsUp, 0});
  const Case cases[] = {
      {"345.0 dialled on 80", 80, 345.0f, dial345},
      {"1234.7 dialled from its rounded tenths", 90, 1234.7f, dial1234},
      {"345.5 as two BCD words on 70", 70, 345.5f, {{kEventAdfExtra, 0x5}, {kEventAdf, 0x345}}},
      {"1234.7 as two BCD words on 70", 70, 1234.7f, {{kEventAdfExtra, 0x107}, {kEventAdf, 0x234}}},
      {"above the range", 90, 5000.0f, {}},
      {"below the range", 70, 99.9f, {}},
      {"no number", 90, std::numeric_limits<float>::quiet_NaN(), {}},
  };
  for (const Case& c : cases) {
    auto rig = Make(c.version);
    rig->plan->TuneAdf(c.adf);
    EXPECT_EQ(c.events, rig->TakeEvents()) << c.name;
    if (!c.events.empty()) {
      EXPECT_EQ(static_cast<int>(std::floor(c.adf * 10.0 + 0.5)), rig->Aircraft().radios.adf) << c.name;
    }
  }
  auto rig = Make(90);
  rig->plan->TuneNavFrequency(1, 113.45);
  rig->plan->TuneNavFrequency(2, 110.90);
  rig->plan->TuneNavFrequency(1, 99.0);
  rig->plan->TuneNavFrequency(1, kNan);
  EXPECT_EQ((std::vector<LoggedEvent>{{kEventNav1, 0x1345}, {kEventNav2, 0x1090}}), rig->TakeEvents());
}

TEST_F(Guidance, NavOneSettingDecidesFrequencyAndCourse) {
  for (int setting : {0, 1, 2}) {
    auto rig = Make(90, {46.5, 7.0, 5000, 90, 150}, "AvionicsAutoNav1=" + std::to_string(setting) + "\r\n");
    rig->SetRoute({guidancetest::SamplePoint("LSZB", kKindAirport), guidancetest::SamplePoint("FRI", kKindVor),
                   guidancetest::SamplePoint("BELUS", kKindIntersection)},
                  5000);
    rig->TakeEvents();
    int fri = -1;
    for (int i = 0; i < static_cast<int>(rig->plan->m_rows.size()); ++i)
      if (rig->plan->m_rows[i].kind >= 16 && rig->plan->m_rows[i].kind < 20) fri = i;
    ASSERT_GE(fri, 0);
    rig->plan->TuneRadios(fri);
    const auto events = rig->TakeEvents();
    EXPECT_EQ(setting <= 1 ? 1 : 0, CountOf(events, kEventNav1)) << setting;
    EXPECT_EQ(setting == 0 ? 1 : 0, CountOf(events, kEventNav1Course)) << setting;
    if (setting <= 1) {
      EXPECT_EQ(11510, rig->Aircraft().radios.nav1);
    }
  }
}

TEST_F(Guidance, RunwayIlsOnNavOneOnlyAlongStraightLegs) {
  for (const double turn : {5.0, 6.0}) {
    auto rig = Make(90);
    rig->SetRoute({plantest::UserPoint(46.60, 6.60, "AAA"), plantest::UserPoint(46.50, 6.45, "BBB"),
                   guidancetest::SamplePoint("SPR", kKindVor), guidancetest::SampleRunway("LSGG", "23")},
                  3000);
    std::vector<PlanRow> rows;
    for (const PlanRow& r : rig->plan->m_rows)
      if (r.pointIndex >= 0) rows.push_back(r);
    ASSERT_EQ(4u, rows.size());
    // Legs from the current row on run along 226 true, one of them turned by `turn`.
    for (PlanRow& r : rows) r.course = 226 + r.variation;
    rows[2].course += turn;
    rig->plan->m_rows = rows;
    const CFlightPlanGuidance::RadioChoice c = rig->plan->ChooseRadios(1);
    if (turn <= 5) {
      EXPECT_EQ(3, c.nav1) << "the runway's ILS";
      EXPECT_EQ(3, c.course1);
    } else {
      EXPECT_EQ(2, c.nav1) << "the VOR ahead";
      EXPECT_EQ(3, c.nav2) << "the ILS next";
    }
  }
}

TEST_F(Guidance, LevelOffDistanceAndRefusals) {
  struct Case {
    const char* name;
    double toClimb, verticalSpeed, airspeed;
    bool placed;
  };
  const Case cases[] = {
      {"2000 ft at 1000 ft/min and 120 kt", 2000, 1000, 120, true},
      {"29 ft to go", 29, 1000, 120, false},
      {"a climb with a descending rate", 2000, -1000, 120, false},
      {"taxiing at 29 kt", 2000, 1000, 29, false},
      {"no rate", 2000, 0, 120, false},
  };
  for (const Case& c : cases) {
    auto rig = Make(90, {46.5, 7.0, 5000, 90, c.airspeed});
    rig->Aircraft().autopilot.selectedAltitude = 5000 + c.toClimb;
    rig->Aircraft().autopilot.selectedVerticalSpeed = c.verticalSpeed;
    Sync(*rig);
    CFlightPlanGuidance& g = *rig->plan;
    g.m_levelOffLatitude = g.m_levelOffLongitude = 0;
    ASSERT_EQ(c.placed, g.LevelOffPointOnTrack()) << c.name;
    if (c.placed) {
      EXPECT_NEAR(7408, GreatCircleDistance(46.5, 7.0, g.m_levelOffLatitude, g.m_levelOffLongitude), 0.5);
      EXPECT_NEAR(90, g.m_levelOffCourse, 1e-9);
      EXPECT_FALSE(g.LevelOffPointToTarget()) << "only while flying to a point";
      EXPECT_FALSE(g.LevelOffPointOnPlan()) << "only while flying the plan";
    } else {
      EXPECT_EQ(0, g.m_levelOffLatitude) << "left alone";
    }
  }
}

// A holding at a fix 20 km ahead of an aircraft flying towards it on a given true course.
class Holding : public Guidance {
 protected:
  void Start(bool right, double approachX, int headingMode = 0, int heading = 90, double tas = 120) {
    m_rig = Make(90, {46.5, 7.0, 5000, 0, tas});
    {
      DatabaseLease lease;
      m_variation = m_rig->plan->GetCurrent()->MagneticVariation(kFixLat, kFixLon);
    }
    const int inbound = headingMode == 0 ? heading : (heading + 180) % 360;
    m_inboundTrue = guidance::Wrap360(inbound - m_variation);
    const double course = guidance::Wrap360(m_inboundTrue + approachX);
    double lat, lon;
    DestinationPoint(lat, lon, kFixLat, kFixLon, guidance::Wrap360(course + 180), 20000);
    simhost::Aircraft& a = m_rig->Aircraft();
    a.latitude = lat;
    a.longitude = lon;
    a.heading = InitialCourse(lat, lon, kFixLat, kFixLon);
    a.autopilot.master = true;
    m_rig->plan->m_holding =
        HoldingDefinition{1, static_cast<float>(kFixLat), static_cast<float>(kFixLon), headingMode, heading,
                          right ? 0 : 1, 0, 1, 0};
    m_rig->Named().holdingOn = 1;
    m_rig->Ticks(10);
  }
  static constexpr double kFixLat = 46.5;
  static constexpr double kFixLon = 7.3;
  double m_variation = 0;
  double m_inboundTrue = 0;
  std::unique_ptr<Rig> m_rig;
};

TEST_F(Holding, EntryByTheApproachCourse) {
  struct Case {
    bool right;
    double x;  // course of approach minus the inbound course
    int32_t entry;
  };
  // Half a degree either side of the bounds.
  const Case cases[] = {
      {true, 0, kEntryDirect},         {true, 179.5, kEntryTeardrop},  {true, 180.5, kEntryParallel},
      {true, 210, kEntryParallel},     {true, 309.5, kEntryParallel},  {true, 310.5, kEntryDirect},
      {true, 109.5, kEntryDirect},     {true, 110.5, kEntryTeardrop},  {false, 70.5, kEntryParallel},
      {false, 69.5, kEntryDirect},     {false, 179.5, kEntryParallel}, {false, 180.5, kEntryTeardrop},
      {false, 249.5, kEntryTeardrop},  {false, 250.5, kEntryDirect},
  };
  for (const Case& c : cases) {
    Start(c.right, c.x);
    EXPECT_EQ(1, m_rig->plan->GetHoldingPhase()) << c.right << " " << c.x;
    EXPECT_EQ(c.entry, m_rig->plan->GetHoldingEntry()) << (c.right ? "right " : "left ") << c.x;
    EXPECT_EQ(3, m_rig->Named().holdingState) << "entering";
  }
  Start(true, 0, 1, 270);
  EXPECT_NEAR(m_inboundTrue, guidance::Wrap360(90 - m_variation), 1e-9) << "outbound 270 is inbound 090";
  EXPECT_EQ(kEntryDirect, m_rig->plan->GetHoldingEntry());
}

TEST_F(Holding, FirstTickFreesTheHeadingSelectorWithoutAHeading) {
  m_rig = Make(90, {46.5, 7.0, 5000, 90, 120});
  simhost::AutopilotState& ap = m_rig->Aircraft().autopilot;
  ap.master = ap.headingHold = ap.navSource = true;
  m_rig->plan->m_holding = HoldingDefinition{1, static_cast<float>(kFixLat), static_cast<float>(kFixLon), 0, 90, 0, 0, 1, 0};
  m_rig->Named().holdingOn = 1;
  m_rig->TakeEvents();
  m_rig->Ticks(5);
  EXPECT_EQ((std::vector<uint32_t>{kEventNavSourceOff, kEventHeadingHold}), Ids(m_rig->TakeEvents()));
  m_rig->Ticks(5);
  EXPECT_TRUE(m_rig->TakeEvents().empty()) << "the entry is chosen";
  EXPECT_EQ(1, m_rig->plan->GetHoldingPhase());
  EXPECT_TRUE(m_rig->plan->IsHoldingActive());
  m_rig->Ticks(5);
  EXPECT_EQ((std::vector<uint32_t>{kEventHeadingHold, kEventSelectHeading}), Ids(m_rig->TakeEvents()));

  ap.master = false;
  m_rig->Ticks(5);
  EXPECT_FALSE(m_rig->plan->IsHoldingActive()) << "the master switched off ends the holding";
}

TEST_F(Holding, TurnDiameterAndTimedLegAtTwiceTheRate) {
  Start(true, 0, 0, 90, 120);
  ASSERT_EQ(kEntryDirect, m_rig->plan->GetHoldingEntry());
  simhost::Aircraft& a = m_rig->Aircraft();
  // Over the fix: on to the turn, whose point lies a turn diameter abeam the fix.
  a.latitude = kFixLat;
  a.longitude = kFixLon;
  m_rig->Ticks(10);
  ASSERT_EQ(5, m_rig->plan->GetHoldingPhase());
  double lat, lon;
  m_rig->plan->GetPatternPoint(lat, lon);
  EXPECT_NEAR(2 * 1852 * 2 / 3.141592653589793, GreatCircleDistance(kFixLat, kFixLon, lat, lon), 1) << "L = 2 nm";
  EXPECT_NEAR(guidance::Wrap360(m_inboundTrue + 90), InitialCourse(kFixLat, kFixLon, lat, lon), 0.1);

  // At the abeam point: the timed outbound leg of 1.5 minutes at rate 2 takes 45 s.
  m_rig->plan->m_holding.segmentLength = 1.5;
  a.simulationRate = 2;
  a.airspeed = 1;  // stays near the point
  a.latitude = lat;
  a.longitude = lon;
  a.heading = guidance::Wrap360(m_inboundTrue + 180);
  m_rig->clock.SetNow(std::chrono::system_clock::time_point(std::chrono::seconds(1000000)));
  m_rig->Ticks(5);
  ASSERT_EQ(6, m_rig->plan->GetHoldingPhase());
  m_rig->clock.Advance(43000);
  m_rig->Ticks(5);
  EXPECT_EQ(6, m_rig->plan->GetHoldingPhase()) << "after 44 s";
  m_rig->clock.Advance(1000);
  m_rig->Ticks(5);
  EXPECT_EQ(7, m_rig->plan->GetHoldingPhase()) << "after 45.5 s";
}

TEST_F(Holding, SwitchedOffWithoutAPlanEndsAtOnceWithoutACue) {
  Start(true, 0);
  m_rig->Named().holdingOff = 1;
  m_rig->Ticks(10);
  EXPECT_FALSE(m_rig->plan->IsHoldingActive());
  EXPECT_TRUE(m_rig->cues.empty());
  EXPECT_EQ(0, m_rig->Named().holdingState);
}

}  // namespace
