// Plotr's position searches and point resolution on a world-sized database. Every search visits
// every tile of every file of the tables in its mask, so these show what a map tip, a drop or a
// plan load costs per call.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "navdb/tests/support/NavdbFixture.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Route.h"
#include "plotr/views/SearchModel.h"

namespace {

namespace fs = std::filesystem;

struct World {
  fs::path folder;
  std::unique_ptr<CRoute> route;
  std::vector<NavPoint> keys;  // stored keys of every kind, as a plan file would name them
  double lat = 0, lon = 0;     // a query spot among the synthetic world's navaids

  World() {
    folder = fs::temp_directory_path() / ("plotrdb-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    g_Settings.SetProfileFile(folder / "Program.cfg");
    SetAircraftProfileFolder(folder);
    navdbtest::WorldCounts counts;  // 25,000 airports, 120,000 intersections, ...
    navdbtest::BuildWorldDatabase(DatabaseLease::HeldDatabase(), counts);
    route = std::make_unique<CRoute>();

    const NavPoint& middle = DatabaseLease::HeldDatabase().m_vors[DatabaseLease::HeldDatabase().m_vors.GetSize() / 2];
    lat = middle.latitude + 0.05;
    lon = middle.longitude + 0.05;

    std::mt19937 random(7);
    const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
    for (const CNavPointArray* array : {&db.m_airports, &db.m_vors, &db.m_ndbs, &db.m_intersections}) {
      std::uniform_int_distribution<int> pick(0, array->GetSize() - 1);
      for (int i = 0; i < 64; ++i) {
        NavPoint key = (*array)[pick(random)];
        key.word |= kPayloadMask;  // plan files carry no offsets
        keys.push_back(key);
      }
    }
  }
  ~World() { fs::remove_all(folder); }
};

World& TheWorld() {
  static World world;
  return world;
}

// A map tip: the nearest object of the visible layers within a few kilometres.
void BM_FindObjectNearest(benchmark::State& state) {
  World& world = TheWorld();
  FullPoint found;
  for (auto _ : state) {
    double radius = 20000;
    benchmark::DoNotOptimize(world.route->FindObject(found, radius, world.lat, world.lon, 0xF3FF, false));
  }
}
BENCHMARK(BM_FindObjectNearest)->Unit(benchmark::kMillisecond);

// The map's tip as the cursor moves: the nearest object of every layer, airspaces of every class
// included, within a few pixels' distance of cursor spots spread over the world's navaids.
void BM_MapTipLookup(benchmark::State& state) {
  World& world = TheWorld();
  std::vector<std::pair<double, double>> spots;
  const CNavPointArray& vors = DatabaseLease::HeldDatabase().m_vors;
  for (int i = 0; i < 256; ++i) {
    const NavPoint& p = vors[(i * 7919) % vors.GetSize()];
    spots.emplace_back(p.latitude + 0.02 * (i % 5), p.longitude - 0.02 * (i % 3));
  }
  FullPoint found;
  size_t i = 0;
  for (auto _ : state) {
    double radius = 5000;
    const auto& [lat, lon] = spots[i++ % spots.size()];
    benchmark::DoNotOptimize(world.route->FindObject(found, radius, lat, lon, 0x0FFFF3FF, false));
  }
}
BENCHMARK(BM_MapTipLookup)->Unit(benchmark::kMicrosecond);

// The search list: every navaid and fix within 100 km, sorted by distance.
void BM_FindObjectsSorted(benchmark::State& state) {
  World& world = TheWorld();
  std::vector<FullPoint> found;
  for (auto _ : state) {
    double radius = 100000;
    world.route->FindObjects(found, radius, world.lat, world.lon, 0x1F, true, false);
    benchmark::DoNotOptimize(found.data());
  }
  state.counters["found"] = static_cast<double>(found.size());
}
BENCHMARK(BM_FindObjectsSorted)->Unit(benchmark::kMillisecond);

// Plan load: each stored key found again in the database.
void BM_Resolve(benchmark::State& state) {
  World& world = TheWorld();
  FullPoint out;
  size_t i = 0;
  int64_t resolved = 0;
  for (auto _ : state) {
    resolved += world.route->Resolve(out, world.keys[i]) ? 1 : 0;
    i = (i + 1) % world.keys.size();
  }
  state.counters["resolved"] = benchmark::Counter(static_cast<double>(resolved), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Resolve)->Unit(benchmark::kMicrosecond);

// The search pane: an identifier prefix and a part of a name that both reach the row limit (the
// runway check of every found airport searches around each runway pair), and a text that
// matches nothing, so the walk visits every point.
void BM_SearchPane(benchmark::State& state, const char* text, bool identifiers) {
  World& world = TheWorld();
  search::Result result;
  for (auto _ : state) {
    result = search::SearchDatabase(text, identifiers, DatabaseLease::HeldDatabase(), *world.route, false);
    benchmark::DoNotOptimize(result.rows.data());
  }
  state.counters["rows"] = static_cast<double>(result.rows.size());
}
BENCHMARK_CAPTURE(BM_SearchPane, identifier, "A", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchPane, name, "STATION", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchPane, nothing_found, "QQQQ", false)->Unit(benchmark::kMillisecond);

}  // namespace
