// Plan export writers behind dialogs: a 1000-row plan of navaids and airway fixes read through
// the host's services and written by the Simplanc and Atcplan writers, without their windows.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <mutex>
#include <string>

#include <unistd.h>

#include "planexport/atcplan/AtcplanWriter.h"
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
  AirwayPlan() : m_settings("export_writers_bench"), m_lock(g_DatabaseLock) {
    BuildPlanDatabase(g_SceneryDatabase);
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
    g_SceneryDatabase.ClearDatabase();
    std::error_code ignored;
    fs::remove(m_file, ignored);
  }

  size_t Rows() const { return m_plan.m_rows.size(); }
  FlpxPlanSource Source() { return FlpxPlanSource(m_imports, &m_plan); }
  const std::string File() const { return m_file.string(); }

 private:
  ScopedPlanFolder m_settings;
  std::lock_guard<win::RecursiveLock> m_lock;
  CFlightPlanCore m_plan;
  FlpxImportTableRecord m_imports{};
  fs::path m_file;
};

void BM_SimplancThousandRows(benchmark::State& state) {
  AirwayPlan plan;
  if (plan.Rows() < 1000) state.SkipWithError("fewer than 1000 rows");
  for (auto _ : state) {
    FlpxPlanInfo info;
    CExportFile file;
    if (!plan.Source().PlanInfo(info) || !file.Open(plan.File()) ||
        WriteSimPlnPlan(plan.Source(), file, info, "14") != 1 || !file.Commit(true)) {
      state.SkipWithError("export failed");
    }
  }
  state.counters["rows"] = static_cast<double>(plan.Rows());
}
BENCHMARK(BM_SimplancThousandRows)->Unit(benchmark::kMillisecond);

void BM_AtcplanThousandRows(benchmark::State& state) {
  AirwayPlan plan;
  if (plan.Rows() < 1000) state.SkipWithError("fewer than 1000 rows");
  for (auto _ : state) {
    AtcRoute route;
    FlpxPlanInfo info;
    CExportFile file;
    if (!ReadAtcRoute(plan.Source(), route) || !plan.Source().PlanInfo(info)) state.SkipWithError("plan refused");
    AtcDetailsModel details(info, route.highestAltitude);
    if (!details.Accept(details.DefaultTitle(), details.DefaultDescription(), 0) || !file.Open(plan.File()) ||
        WriteAtcplanPlan(plan.Source(), route, details.Details(), file) != 1 || !file.Commit(true)) {
      state.SkipWithError("export failed");
    }
  }
  state.counters["rows"] = static_cast<double>(plan.Rows());
}
BENCHMARK(BM_AtcplanThousandRows)->Unit(benchmark::kMillisecond);

}  // namespace
