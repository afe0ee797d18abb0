// A flight in the sample installation as the module starts there: its settings loaded from the
// root by the module's own start-up (the simulator's configuration in the root's Wine prefix
// included), the stand-in simulator's core at time scale 20 stepped every 100 ms of a clock that
// moves only with the test, and the plan flown by the guidance. The FMS's arrival times must agree
// with the times the flight takes by the simulator's clock.

#include <gtest/gtest.h>

#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include "navdb/Geodesy.h"
#include "platform/simapi/SimApi.h"
#include "platform/win/Clock.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Units.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/sim/FlightPlanStatus.h"
#include "plotr/sim/FmsRecords.h"
#include "plotr/sim/SimBlock.h"
#include "simhost/HostCore.h"
#include "tools/sample-simroot/tests/support/SwissSample.h"

namespace {

using sampletest::SamplePoint;

constexpr double kTimeScale = 20;
constexpr double kTickSeconds = 0.1;  // of the wall clock, as the module's timer runs
constexpr int kCruiseFeet = 10000;
constexpr double kNm = 1852;

// Seconds of the day of a row's arrival clock.
int ArrivalSeconds(const FmsRow& row) {
  return row.arrivalUtcHour * 3600 + row.arrivalUtcMinute * 60 + row.arrivalUtcSecond;
}

TEST(SampleFlight, FmsArrivalTimesMatchTheTimesFlownAtTimeScale) {
  std::string error;
  ASSERT_TRUE(sampletest::LoadSwissSample(error)) << error;
  plantest::ScopedPlanFolder folder("sample-flight");
  CModuleApp app(&g_Settings);
  ASSERT_TRUE(app.InitInstance((sampletest::SwissSampleRoot() / "simhost").string()));
  EXPECT_EQ(90, g_Settings.GetSimVer());
  EXPECT_FALSE(g_Settings.GetUseIndicatedAirSpeed(false)) << "the stand-in simulator reports true airspeed";

  // Level at cruise short of Willisau, on the way to Fribourg and Saint-Prex.
  simhost::HostCore host(90, simhost::AircraftStart{47.30, 8.05, kCruiseFeet, 225, 250}, kTimeScale);
  simapi::ImportTable table{};
  table.services = host.GetServices();
  CSimBlock block(&g_Settings);
  block.SetImportTable(&table);
  win::FakeClock clock;
  PlanSimServices services;
  services.sim = &block;
  services.clock = &clock;
  services.settings = &g_Settings;
  services.playCue = [](int) {};
  CFlightPlanStatus plan(services);
  {
    DatabaseLease lease;
    CRoute route;
    for (const char* vor : {"WIL", "FRI", "SPR", "GVA"}) route.AddPoint(SamplePoint(vor, kKindVor));
    route.m_cruise.altitude1 = route.m_cruise.altitude2 = kCruiseFeet;
    plan.Clear();
    plan.Push(route);
    plan.Rebuild();
  }
  host.GetAircraft().autopilot.master = true;
  block.GetNamedStorage().flyPlanWaypoint = -1;
  block.GetNamedStorage().flyPlanOn = 1;

  struct Leg {
    int row = -1;
    double predictedAt = -1;  // the simulator's clock the arrival was foreseen from, seconds of the day
    int predicted = -1;       // the arrival the FMS showed then
    double nearest = 1e12;    // metres
    double arrived = -1;      // the clock at the nearest approach
  };
  std::vector<Leg> legs;
  uint32_t tick = 0;
  for (int i = 0; i < 20000 && (i < 50 || plan.IsFlyPlanActive()); ++i) {
    host.Step(kTickSeconds);
    plan.OnTick(tick++);
    clock.Advance(static_cast<uint32_t>(kTickSeconds * 1000));
    const simhost::Aircraft& a = host.GetAircraft();
    const int row = plan.m_currentRow;
    if (!plan.IsFlyPlanActive() || row < 0) continue;
    if (legs.empty() || legs.back().row != row) legs.push_back({row});
    Leg& leg = legs.back();
    const PlanRow& target = plan.m_rows[static_cast<size_t>(row)];
    const double distance = GreatCircleDistance(a.latitude, a.longitude, target.latitude, target.longitude);
    if (distance < leg.nearest) {
      leg.nearest = distance;
      leg.arrived = a.secondsOfDay;
    }
    // Read once the aircraft flies the leg straight and level, well short of the waypoint.
    const FmsRow shown = ReadFmsBlock<FmsRow>(block.GetNamedStorage().fmsWaypoints[0]);
    const double toTarget = InitialCourse(a.latitude, a.longitude, target.latitude, target.longitude);
    if (leg.predicted < 0 && tick % 5 == 1 && shown.filled && shown.timeValid && shown.row == row &&
        distance > 8 * kNm && std::fabs(std::remainder(a.heading - toTarget, 360.0)) < 3 &&
        std::fabs(a.altitude * kFeetPerMetre - kCruiseFeet) < 50) {
      // Foreseen from the simulator's state the module read last, clock included.
      const SimSnapshot& seen = block.GetSnapshot();
      leg.predicted = ArrivalSeconds(shown);
      leg.predictedAt = seen.utcHour * 3600 + seen.utcMinute * 60 + seen.utcSecond;
    }
  }
  int measured = 0;
  for (const Leg& leg : legs) {
    if (leg.predicted < 0 || leg.nearest > 2000) continue;
    ++measured;
    const double flown = leg.arrived - leg.predictedAt;
    const double foreseen = leg.predicted - leg.predictedAt;
    EXPECT_NEAR(foreseen, flown, 0.02 * flown) << "to row " << leg.row << ", foreseen at " << leg.predictedAt;
  }
  EXPECT_GE(measured, 2) << "legs flown straight and level long enough to compare";
}

}  // namespace
