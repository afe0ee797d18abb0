// Plan export writers behind dialogs: a 1000-row plan of navaids and airway fixes read through
// the host's services and written by the Simplanc and Atcplan writers, without their windows,
// and by the Netplana writer with its direct route; and the direct route's worst case.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <mutex>
#include <string>

#include <unistd.h>

#include "planexport/atcplan/AtcplanWriter.h"
#include "planexport/common/testing/ScriptedPlan.h"
#include "planexport/netplana/NetplanaWriter.h"
#include "planexport/route/DirectRoute.h"
#include "planexport/route/SphericalEarth.h"
#include "planexport/simpln/SimPlnWriter.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/tools/FlpxServices.h"

namespace {

namespace fs = std::filesystem;
using namespace plantest;

// Zurich to Basel over the VOR, the NDB and the airway fix in turn, 1000 rows in all.
class AirwayPlan {
 public:
  AirwayPlan() : m_settings("export_writers_bench") {
    BuildPlanDatabase(DatabaseLease::HeldDatabase());
    CRoute route = TripRoute();
    route.m_points.clear();
    route.AddPoint(DbPoint(kHomeAirport, kKindAirport));
    const PlanPoint fixes[] = {DbPoint(kVor, kKindVor), DbPoint(kNdb, kKindNdb),
                               DbPoint(kIntersection, kKindIntersection)};
    for (int i = 0; i < 996; ++i) route.AddPoint(fixes[i % 3]);
    route.AddPoint(DbPoint(kFarAirport, kKindAirport));
    m_plan.Clear();
    m_plan.Push(route);
    m_plan.Rebuild();
    const FlpxServiceSet& s = GetFlpxServices();
    m_imports = {sizeof(FlpxImportTableRecord), s.saveFileDialog, s.getPlanInfo, s.getWaypoint, s.getStartPosition,
                 {0, 0, 0}};
    m_file = fs::temp_directory_path() / ("export-writers-bench-" + std::to_string(::getpid()));
  }
  ~AirwayPlan() {
    DatabaseLease::HeldDatabase().ClearDatabase();
    std::error_code ignored;
    fs::remove(m_file, ignored);
  }

  size_t Rows() const { return m_plan.m_rows.size(); }
  FlpxPlanSource Source() { return FlpxPlanSource(m_imports, &m_plan); }
  const std::string File() const { return m_file.string(); }

 private:
  ScopedPlanFolder m_settings;
  DatabaseLease m_lease;
  CFlightPlanCore m_plan;
  FlpxImportTableRecord m_imports{};
  fs::path m_file;
};

// Each iteration reads the plan's info and writes the whole file through `write` (source, info,
// open file; false when the writer refused), committing it as the export does.
template <typename Write>
void ExportThousandRows(benchmark::State& state, Write write) {
  AirwayPlan plan;
  if (plan.Rows() < 1000) state.SkipWithError("fewer than 1000 rows");
  for (auto _ : state) {
    FlpxPlanInfo info;
    CExportFile file;
    if (!plan.Source().PlanInfo(info) || !file.Open(plan.File()) || !write(plan.Source(), info, file) ||
        !file.Commit(true)) {
      state.SkipWithError("export failed");
    }
  }
  state.counters["rows"] = static_cast<double>(plan.Rows());
}

void BM_SimplancThousandRows(benchmark::State& state) {
  ExportThousandRows(state, [](const FlpxPlanSource& source, const FlpxPlanInfo& info, CExportFile& file) {
    return WriteSimPlnPlan(source, file, info, "14") == 1;
  });
}
BENCHMARK(BM_SimplancThousandRows)->Unit(benchmark::kMillisecond);

void BM_AtcplanThousandRows(benchmark::State& state) {
  ExportThousandRows(state, [](const FlpxPlanSource& source, const FlpxPlanInfo& info, CExportFile& file) {
    AtcRoute route;
    if (!ReadAtcRoute(source, route)) return false;
    AtcDetailsModel details(info, route.highestAltitude);
    return details.Accept(details.DefaultTitle(), details.DefaultDescription(), 0) &&
           WriteAtcplanPlan(source, route, details.Details(), file) == 1;
  });
}
BENCHMARK(BM_AtcplanThousandRows)->Unit(benchmark::kMillisecond);

void BM_NetplanaThousandRows(benchmark::State& state) {
  ExportThousandRows(state, [](const FlpxPlanSource& source, const FlpxPlanInfo& info, CExportFile& file) {
    return WriteNetplanaPlan(source, file, info) == 1;
  });
}
BENCHMARK(BM_NetplanaThousandRows)->Unit(benchmark::kMillisecond);

// 500 named fixes inside 10 nm of the arrival, each nearer than the last: every one walks the
// rest of the plan and back to decide whether it closes the route. Target: under 0.5 s.
void BM_DirectRouteWorstCase(benchmark::State& state) {
  using namespace flpxtest;
  ResetScript();
  const double nm = 1852.0 / (kPluginEarthRadius * kPluginDegToRad);  // degrees of latitude
  SetAirport(Script().info.departure, "Start", "DEP", 0, 0, 0, 0, 0);
  SetAirport(Script().info.arrival, "End", "ARR", 0, 100 * nm, 0, 0, 0);
  AddRows({{.type = 'A', .ident = "DEP"}});
  for (int i = 0; i < 500; ++i) {
    AddRows({{.type = 'M', .ident = "FIX", .lat = (90.0 + 9.9 * i / 500.0) * nm, .lon = 0, .distance = 0.02}});
  }
  AddRows({{.type = 'A', .ident = "ARR", .lat = 100 * nm, .lon = 0, .distance = 0.1}});
  const FlpxImportTableRecord imports = ScriptedImports();
  const FlpxPlanSource plan(imports, &Script());
  for (auto _ : state) {
    const RouteEndpoints ends = FindRouteEndpoints(plan, Script().info);
    benchmark::DoNotOptimize(BuildDirectRoute(plan, ends, kNetworkClientSeparators));
  }
  state.counters["fixes"] = 500;
}
BENCHMARK(BM_DirectRouteWorstCase)->Unit(benchmark::kMillisecond);

}  // namespace
