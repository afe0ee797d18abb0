// Plan export: listing a plug-in folder of every built module (the export dialog waits on it
// before it shows), and a 1000-row plan read through the host's services and written by Tabtext.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <mutex>
#include <string>

#include <unistd.h>

#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/ToolDialogs.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/tools/FlpxHost.h"

namespace {

namespace fs = std::filesystem;

struct ExportFolder {
  fs::path folder = fs::temp_directory_path() / ("export-bench-" + std::to_string(::getpid()));
  ExportFolder() {
    fs::create_directories(folder);
    for (const char* module : {TABTEXT_MODULE, INIPLAN_MODULE, NETPLANC_MODULE, GPSPLAN_MODULE}) {
      fs::copy_file(module, folder / fs::path(module).filename(), fs::copy_options::overwrite_existing);
    }
  }
  ~ExportFolder() { fs::remove_all(folder); }
};

ExportFolder& Folder() {
  static ExportFolder folder;
  return folder;
}

void BM_ListExportModules(benchmark::State& state) {
  const std::string folder = Folder().folder.string();
  for (auto _ : state) {
    auto modules = ListFlpxModules(folder);
    if (modules.size() != 4) state.SkipWithError("not every module listed");
    benchmark::DoNotOptimize(modules);
  }
}
BENCHMARK(BM_ListExportModules)->Unit(benchmark::kMillisecond);

// Answers the plug-in's save dialog with a file in the bench folder.
class SaveTo : public IToolDialogs {
 public:
  explicit SaveTo(std::string path) : m_path(std::move(path)) {}
  bool RunAircraftDialog(AircraftDialogValues&) override { return false; }
  bool RunCruiseDialog(CruiseDialogValues&) override { return false; }
  bool RunHoldingDialog(HoldingDialogValues&) override { return false; }
  bool RunSaveFileDialog(SaveFileDialogValues& values) override {
    values.path = m_path;
    return true;
  }

 private:
  std::string m_path;
};

void BM_TabtextThousandRows(benchmark::State& state) {
  using namespace plantest;
  ScopedPlanFolder settings("export_bench");
  DatabaseLease lease;
  BuildPlanDatabase(lease.Database());
  // Zurich to Basel with 998 user points in between.
  CRoute route = TripRoute();
  const CRoute trip = route;
  route.m_points.clear();
  route.AddPoint(DbPoint(kHomeAirport, kKindAirport));
  for (int i = 1; i < 999; ++i) {
    const double f = i / 999.0;
    route.AddPoint(UserPoint(kHomeAirport.lat + f * (kFarAirport.lat - kHomeAirport.lat),
                             kHomeAirport.lon + f * (kFarAirport.lon - kHomeAirport.lon)));
  }
  route.AddPoint(DbPoint(kFarAirport, kKindAirport));
  CFlightPlanCore plan;
  plan.Clear();
  plan.Push(route);
  plan.Rebuild();
  if (plan.m_rows.size() < 1000) state.SkipWithError("fewer than 1000 rows");

  const std::string tabtext = (Folder().folder / fs::path(TABTEXT_MODULE).filename()).string();
  SaveTo dialogs((Folder().folder / "plan.txt").string());
  FlpxSaveDialogScope scope({nullptr, &dialogs});
  for (auto _ : state) {
    if (CallFlpxExport(tabtext, GetFlpxServices(), &plan, nullptr) != FlpxCallResult::Done) {
      state.SkipWithError("export failed");
    }
  }
  state.counters["rows"] = static_cast<double>(plan.m_rows.size());
  lease.Database().ClearDatabase();
}
BENCHMARK(BM_TabtextThousandRows)->Unit(benchmark::kMillisecond);

}  // namespace
