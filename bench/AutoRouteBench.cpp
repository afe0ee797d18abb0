// The route finder's navaid-to-navaid search on a world-sized database: 100 airport pairs up to
// 3,000 nm apart (fixed seed), each searched from a fresh two-point plan. Most of the time goes
// to the position searches, one per inserted point.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "navdb/Geodesy.h"
#include "navdb/tests/support/NavdbFixture.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Route.h"
#include "plotr/shell/Settings.h"
#include "plotr/tools/AutoRoute.h"

namespace {

namespace fs = std::filesystem;

struct World {
  fs::path folder;
  std::vector<std::pair<NavPoint, NavPoint>> pairs;

  World() {
    folder = fs::temp_directory_path() / ("autoroute-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    g_Settings.SetProfileFile(folder / "Program.cfg");
    SetAircraftProfileFolder(folder);
    navdbtest::WorldCounts counts;
    navdbtest::BuildWorldDatabase(g_SceneryDatabase, counts);
    const CNavPointArray& airports = g_SceneryDatabase.m_airports;
    std::mt19937 random(19);
    std::uniform_int_distribution<int> pick(0, airports.GetSize() - 1);
    while (pairs.size() < 100) {
      const NavPoint& a = airports[pick(random)];
      const NavPoint& b = airports[pick(random)];
      const double d = GreatCircleDistance(a.latitude, a.longitude, b.latitude, b.longitude);
      if (d > 50 * kMetresPerNm && d <= 3000 * kMetresPerNm) pairs.emplace_back(a, b);
    }
  }
  ~World() { fs::remove_all(folder); }
};

World& TheWorld() {
  static World world;
  return world;
}

CRoute PairRoute(const std::pair<NavPoint, NavPoint>& pair) {
  CRoute route;
  for (const NavPoint& p : {pair.first, pair.second}) {
    PlanPoint point;
    point.ref.point = p;
    route.AddPoint(point);
  }
  return route;
}

// Per-pair times; median and 95th percentile in milliseconds, and the points per route.
void BM_NavaidRoutePairs(benchmark::State& state) {
  World& world = TheWorld();
  AutoRouteDialogValues values;
  values.routeType = kAutoRouteNavaids;
  values.distance = static_cast<int>(state.range(0));
  std::vector<double> times;
  double points = 0;
  for (auto _ : state) {
    times.clear();
    points = 0;
    for (const auto& pair : world.pairs) {
      CRoute route = PairRoute(pair);
      const auto start = std::chrono::steady_clock::now();
      RunAutoRouteSearch(route, values, nullptr);
      times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
      points += route.GetCount() - 2;
    }
  }
  std::sort(times.begin(), times.end());
  state.counters["median_ms"] = times[times.size() / 2];
  state.counters["p95_ms"] = times[times.size() * 95 / 100];
  state.counters["points_per_route"] = points / static_cast<double>(world.pairs.size());
}
BENCHMARK(BM_NavaidRoutePairs)->Arg(70)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(1);

// High-airway routes between the same pairs: per-pair total time (the patience wait included when
// the open list does not empty), the share of pairs routed and the route length over the great
// circle.
void BM_AirwayRoutePairs(benchmark::State& state) {
  World& world = TheWorld();
  AutoRouteDialogValues values;
  values.routeType = kAutoRouteHighAirways;
  std::vector<double> times, stretch;
  int routed = 0;
  for (auto _ : state) {
    times.clear();
    stretch.clear();
    routed = 0;
    for (const auto& pair : world.pairs) {
      CRoute route = PairRoute(pair);
      const double direct = route.GetLength();
      const auto start = std::chrono::steady_clock::now();
      const bool found = RunAutoRouteSearch(route, values, nullptr);
      times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
      if (found) {
        ++routed;
        if (direct > 0) stretch.push_back(route.GetLength() / direct);
      }
    }
  }
  std::sort(times.begin(), times.end());
  std::sort(stretch.begin(), stretch.end());
  state.counters["median_ms"] = times[times.size() / 2];
  state.counters["p95_ms"] = times[times.size() * 95 / 100];
  state.counters["routed"] = routed;
  if (!stretch.empty()) {
    state.counters["median_length_ratio"] = stretch[stretch.size() / 2];
    state.counters["p95_length_ratio"] = stretch[stretch.size() * 95 / 100];
  }
}
BENCHMARK(BM_AirwayRoutePairs)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
