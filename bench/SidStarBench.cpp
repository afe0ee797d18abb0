// The SID/STAR catalogue's first showing: listing 5,000 ".ss" files and loading one airport's
// procedures, against only reading the same files' bytes once.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plotr/plan/Route.h"
#include "plotr/tools/SidStarFile.h"
#include "plotr/tools/SidStarStore.h"
#include "platform/win/Clock.h"

namespace {

constexpr int kFiles = 5000;

const std::string& Folder() {
  static const std::string folder = [] {
    const auto dir = std::filesystem::temp_directory_path() / "cw_bench_sidstar";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string prefix = dir.string() + "/";
    win::FakeClock clock(0, std::chrono::system_clock::from_time_t(1772366400));
    for (int i = 0; i < kFiles; ++i) {
      CSidStarAirport a;
      char guid[40];
      std::snprintf(guid, sizeof guid, "%08X-0000-4000-8000-%012X", i * 2654435761u, i);
      a.guid = guid;
      char id[8];
      std::snprintf(id, sizeof id, "K%03d", i % 1000);
      a.id = id;
      a.name = "Airport " + std::to_string(i);
      a.lat = static_cast<float>(-60 + i % 120);
      a.lon = static_cast<float>(-170 + (i / 120) * 8);
      a.authors = {"Author"};
      for (int s = 0; s < 8; ++s) {
        CSidStarProcedure p;
        p.id = "PROC" + std::to_string(s);
        p.name = "Climb on runway heading\r\nthen turn left";
        for (int k = 0; k < 6; ++k) {
          CSidStarWaypoint w;
          w.type = k == 0 ? 'R' : 'I';
          std::snprintf(w.ident, sizeof w.ident, k == 0 ? "%02d" : "FX%03d", k == 0 ? 9 : s * 10 + k);
          w.lat = a.lat + k * 0.05f;
          w.lon = a.lon + s * 0.01f;
          w.heading = 90;
          p.waypoints.push_back(w);
        }
        a.sids.groups.push_back({'I', std::string(p.waypoints.back().ident), "", 0, 0, {p}});
      }
      a.Save(prefix, clock);
    }
    return prefix;
  }();
  return folder;
}

void BM_ScanFilesAndLoadOne(benchmark::State& state) {
  const std::string& folder = Folder();
  CRoute route;
  for (auto _ : state) {
    CSidStarStore store;
    store.SetFolders(folder, folder);
    store.ScanFiles();
    store.LoadAirport(store.GetAirportCount() / 2, route);
    benchmark::DoNotOptimize(store.GetList(store.GetAirportCount() / 2, false).groups.size());
  }
}
BENCHMARK(BM_ScanFilesAndLoadOne)->Unit(benchmark::kMillisecond);

// The floor: every file's bytes read once.
void BM_ReadFileBytes(benchmark::State& state) {
  const std::string& folder = Folder();
  for (auto _ : state) {
    size_t total = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      total += bytes.size();
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

}  // namespace
