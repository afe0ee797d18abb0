// The SID/STAR airport tree is built again on every catalogue change and every collapse of its
// root: 10,000 airports over nine regions and their countries, with one branch open to restore.
// Should stay under 10 ms.
#include <benchmark/benchmark.h>

#include <string>

#include "plotr/plan/Route.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/views/SidStarTreeModel.h"

namespace {

constexpr int kAirports = 10000;
constexpr int kCountriesPerRegion = 20;

std::string Date(int y, int m, int d) { return std::to_string(y) + "-" + std::to_string(m) + "-" + std::to_string(d); }

void BM_AirportTreeRebuild(benchmark::State& state) {
  CSidStarStore store;
  for (int r = 0; r < static_cast<int>(store.m_regions.size()); ++r) {
    for (int c = 0; c < kCountriesPerRegion; ++c) store.m_regions[static_cast<size_t>(r)].AddCountry("Country " + std::to_string(r * 100 + c));
  }
  for (int i = 0; i < kAirports; ++i) {
    CSidStarAirport a;
    a.id = "A" + std::to_string(100000 + i);
    a.name = "Airport number " + std::to_string(i);
    a.city = i % 3 ? "City " + std::to_string(i) : "";
    a.region = i % 11 == 0 ? -1 : i % 9;
    a.country = i % 7 == 0 ? "" : "Country " + std::to_string(a.region * 100 + i % kCountriesPerRegion);
    a.separator = i % 50 == 0 ? '+' : '-';
    a.loaded = true;
    store.m_airports.push_back(std::move(a));
  }
  CRoute route;
  sidstar::CAirportTreeModel tree;
  tree.Rebuild(store, route, Date);
  // One airport deep in a country open, as the accordion leaves it.
  tree.Expand({0, 4}, store, route, Date);
  tree.Expand({0, 4, 3}, store, route, Date);
  tree.Expand({0, 4, 3, 2}, store, route, Date);
  for (auto _ : state) {
    benchmark::DoNotOptimize(tree.Rebuild(store, route, Date));
  }
}
BENCHMARK(BM_AirportTreeRebuild)->Unit(benchmark::kMillisecond);

}  // namespace
