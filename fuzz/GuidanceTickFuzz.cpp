// Ten timer ticks of the plan object against the stand-in simulator, with host variables,
// simulation rate, command variables, holding record, plan rows and guidance state taken from
// the input: whatever a host or a gauge hands over (NaN, infinities, huge values), the ticks
// must not crash, overflow a cast or loop without end.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>

#include <unistd.h>

#include "platform/simapi/SimApi.h"
#include "platform/win/Clock.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/sim/FlightPlanStatus.h"
#include "plotr/sim/SimBlock.h"
#include "simhost/HostCore.h"

namespace {

namespace fs = std::filesystem;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  template <typename T>
  T Take() {
    T value{};
    if (m_at + sizeof value <= m_size) {
      std::memcpy(&value, m_data + m_at, sizeof value);
      m_at += sizeof value;
    } else {
      m_at = m_size;
    }
    return value;
  }
  bool Flag() { return (Take<uint8_t>() & 1) != 0; }
  void Fill(void* out, size_t n) {
    const size_t k = std::min(n, m_size - m_at);
    if (k == 0) return;
    std::memcpy(out, m_data + m_at, k);
    m_at += k;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_at = 0;
};

// One host generation with its own settings file.
struct World {
  int version;
  fs::path folder;
  CSettings settings;
  simhost::HostCore host;
  simapi::ImportTable table{};
  CSimBlock block;
  win::FakeClock clock;
  std::unique_ptr<CFlightPlanStatus> plan;

  explicit World(int v) : version(v), host(v), block(&settings) {
    folder = fs::temp_directory_path() / ("cw-guidance-fuzz-" + std::to_string(::getpid()) + "-" + std::to_string(v));
    fs::create_directories(folder);
    std::ofstream(folder / "Program.cfg", std::ios::binary)
        << "[Essential]\r\nSimVer=" << v << "\r\n[Settings]\r\nUseIndicatedAirSpeed=0\r\nUseSound=1\r\n";
    settings.SetProfileFile(folder / "Program.cfg");
    settings.GetUseIndicatedAirSpeed(true);
    table.services = host.GetServices();
    block.SetImportTable(&table);
    PlanSimServices services;
    services.sim = &block;
    services.clock = &clock;
    services.settings = &settings;
    services.playCue = [](int) {};
    plan = std::make_unique<CFlightPlanStatus>(services);
    DatabaseLease lease;
    CRoute route = *plan->GetCurrent();
    for (int i = 0; i < 5; ++i) route.AddPoint(plantest::UserPoint(46.0 + 0.2 * i, 7.0 + 0.1 * (i % 2), ""));
    plan->Push(route);
    plan->Rebuild();
  }
  ~World() {
    plan.reset();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
};

World& WorldFor(int index) {
  static plantest::ScopedPlanFolder folder("guidance-fuzz");
  static World worlds[4] = {World(61), World(70), World(80), World(90)};
  return worlds[index & 3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  World& w = WorldFor(in.Take<uint8_t>());
  simhost::Aircraft& a = w.host.GetAircraft();
  // Host values that the host passes on as they are; its clock and radios stay its own.
  a.latitude = in.Take<double>();
  a.longitude = in.Take<double>();
  a.altitude = in.Take<double>();
  a.heading = in.Take<double>();
  a.airspeed = in.Take<double>();
  a.pitch = in.Take<double>();
  a.bank = in.Take<double>();
  a.windSpeed = in.Take<double>();
  a.windDirection = in.Take<double>();
  a.magneticVariation = in.Take<double>();
  a.outsideTemperature = in.Take<double>();
  a.simulationRate = in.Take<double>();
  a.onGround = in.Flag();
  simhost::AutopilotState& ap = a.autopilot;
  ap.available = in.Flag();
  ap.master = in.Flag();
  ap.headingHold = in.Flag();
  ap.altitudeHold = in.Flag();
  ap.airspeedHold = in.Flag();
  ap.machHold = in.Flag();
  ap.nav1Hold = in.Flag();
  ap.navSource = in.Flag();
  ap.selectedHeading = in.Take<double>();
  ap.selectedAltitude = in.Take<double>();
  ap.selectedVerticalSpeed = in.Take<double>();
  ap.selectedAirspeed = in.Take<double>();
  ap.selectedMach = in.Take<double>();

  CFlightPlanStatus& plan = *w.plan;
  plan.m_guidanceFlags = in.Take<uint8_t>() & 0xF;
  plan.m_currentRow = in.Take<int32_t>();
  plan.m_flyToLatitude = in.Take<double>();
  plan.m_flyToLongitude = in.Take<double>();
  HoldingDefinition& h = plan.m_holding;
  h.defined = in.Take<uint8_t>();
  h.latitude = in.Take<float>();
  h.longitude = in.Take<float>();
  h.headingMode = in.Take<int32_t>();
  h.heading = in.Take<int32_t>();
  h.turnDirection = in.Take<int32_t>();
  h.segmentKind = in.Take<int32_t>();
  h.segmentLength = in.Take<double>();
  for (PlanRow& r : plan.m_rows) {
    if (!in.Flag()) continue;
    r.latitude = in.Take<double>();
    r.longitude = in.Take<double>();
    r.altitude = in.Take<double>();
    r.course = in.Take<double>();
    r.variation = in.Take<double>();
    r.legDistance = in.Take<double>();
    r.remainingDistance = in.Take<double>();
    r.rowKind = in.Take<uint8_t>() & 3;
    r.legDirection = static_cast<int8_t>(in.Take<uint8_t>()) % 2;
    r.speedBefore = in.Take<int32_t>();
    r.speedAfter = in.Take<int32_t>();
  }
  if (in.Flag()) plan.MoveAircraft(in.Take<double>(), in.Take<double>(), in.Take<double>(), in.Take<double>());
  const auto tick = in.Take<uint32_t>();
  w.clock.Advance(in.Take<uint16_t>());
  // The gauges' command variables, written between ticks.
  NamedVariableStorage& v = w.block.GetNamedStorage();
  for (uint32_t t = tick; t < tick + 10; ++t) {
    in.Fill(&v.fmcMode1On, offsetof(NamedVariableStorage, holdingToggle) + sizeof v.holdingToggle -
                               offsetof(NamedVariableStorage, fmcMode1On));
    plan.OnTick(t);
    w.clock.Advance(100);
  }
  w.host.ClearEvents();
  // The next input starts from a plan that is not moving and from rows rebuilt.
  while (plan.IsMoving() && w.version < 90) plan.OnTick(3);
  DatabaseLease lease;
  plan.Rebuild();
  return 0;
}
