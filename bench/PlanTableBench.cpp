// The plan table's rows are built again after every drop, paste and delete: for a 1,000-row
// plan over a world-sized database the build has to stay within a frame (5 ms).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <mutex>
#include <string>

#include <unistd.h>

#include "bench/support/PlanWorld.h"
#include "navdb/tests/support/NavdbFixture.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/views/PlanTableRows.h"

namespace {

namespace fs = std::filesystem;

struct World : benchsupport::PlanWorld {
  World() : PlanWorld("plantable") {}
};

// Every kind the table names in turn: airports, runway ends, VORs, NDBs, intersections and user
// points, with a manual altitude on every tenth.
CRoute MakePlan(int points) {
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  CRoute route;
  for (int i = 0; i < points; ++i) {
    PlanPoint point;
    const int k = i / 6;
    switch (i % 6) {
      case 0: point.ref.point = db.m_airports[k % db.m_airports.GetSize()]; break;
      case 1: point.ref.point = db.m_runways[k % db.m_runways.GetSize()]; break;
      case 2: point.ref.point = db.m_vors[k % db.m_vors.GetSize()]; break;
      case 3: point.ref.point = db.m_ndbs[k % db.m_ndbs.GetSize()]; break;
      case 4: point.ref.point = db.m_intersections[k % db.m_intersections.GetSize()]; break;
      default: CRoute::MakeUserPoint(point.ref.point, 40 + (i % 20) * 0.1, 5 + (i % 30) * 0.1); break;
    }
    if (i % 10 == 0) point.altitude1 = MakeManualValue(5000);
    route.AddPoint(point);
  }
  return route;
}

void BM_PlanTableRows(benchmark::State& state) {
  static World world;
  DatabaseLease lease;
  CFlightPlanCore plan;
  plan.Clear();
  plan.Push(MakePlan(static_cast<int>(state.range(0))));
  plan.Rebuild();
  const plantable::TableOptions options;
  size_t rows = 0;
  for (auto _ : state) {
    const std::vector<plantable::TableRow> table = plantable::BuildTableRows(plan, lease.Database(), options, 3);
    rows = table.size();
    benchmark::DoNotOptimize(table.data());
  }
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_PlanTableRows)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
