#pragma once
// The guidance tests' rig: the stand-in simulator's core, the simulator block on its services,
// the plan object with all its simulator levels, a clock that moves only with the rig, and the
// Swiss sample database (built once per test program) in the global database.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/simapi/SimApi.h"
#include "platform/ui/Messages.h"
#include "platform/win/Clock.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/sim/FlightPlanStatus.h"
#include "plotr/sim/SimBlock.h"
#include "simhost/HostCore.h"
#include "tools/sample-simroot/tests/support/SwissSample.h"

namespace guidancetest {

using sampletest::LoadSwissSample;
using sampletest::SamplePoint;
using sampletest::SampleRunway;
using sampletest::SwissSampleRoot;

class Rig {
 public:
  Rig(int simVer, const simhost::AircraftStart& start, const std::string& extraSettings = "");
  ~Rig();

  // One 100 ms timer tick: the host flies, the plan ticks, the clock moves.
  void Tick();
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) Tick();
  }
  // Ticks until the next tick the guidance runs on has been run.
  void ToNextGuidanceTick();

  // Replaces the plan with these waypoints and cruise altitude, rebuilt under the lock.
  void SetRoute(const std::vector<PlanPoint>& points, int cruiseAltitude);

  NamedVariableStorage& Named() { return block.GetNamedStorage(); }
  simhost::Aircraft& Aircraft() { return host.GetAircraft(); }
  // Events the host logged since the last call.
  std::vector<simhost::LoggedEvent> TakeEvents();

  plantest::ScopedPlanFolder folder;
  simhost::HostCore host;
  simapi::ImportTable table{};
  CSimBlock block;
  win::FakeClock clock;
  ui::RecordingTarget frame;
  std::vector<int> cues;
  std::unique_ptr<CFlightPlanStatus> plan;
  uint32_t tick = 0;
};

}  // namespace guidancetest
