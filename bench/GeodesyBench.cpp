// Throughput of the geodesy helpers that the map and the guidance call for every drawn or
// flown segment.
#include "navdb/Geodesy.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

struct Segment {
  double lat1, lon1, lat2, lon2;
};

const std::vector<Segment>& Segments() {
  static const std::vector<Segment> segments = [] {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> lat(-89.0, 89.0);
    std::uniform_real_distribution<double> lon(-180.0, 180.0);
    std::vector<Segment> result(4096);
    for (Segment& s : result) {
      s = {lat(random), lon(random), lat(random), lon(random)};
    }
    return result;
  }();
  return segments;
}

// Distance and course share one signature and one loop.
void BM_SegmentMeasure(benchmark::State& state, double (*measure)(double, double, double, double)) {
  const auto& segments = Segments();
  size_t i = 0;
  for (auto _ : state) {
    const Segment& s = segments[i++ & 4095];
    benchmark::DoNotOptimize(measure(s.lat1, s.lon1, s.lat2, s.lon2));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_SegmentMeasure, GreatCircleDistance, &GreatCircleDistance);
BENCHMARK_CAPTURE(BM_SegmentMeasure, InitialCourse, &InitialCourse);

void BM_PointAlongSegment(benchmark::State& state) {
  const auto& segments = Segments();
  size_t i = 0;
  double lat = 0;
  double lon = 0;
  for (auto _ : state) {
    const Segment& s = segments[i & 4095];
    PointAlongSegment(lat, lon, s.lat1, s.lon1, s.lat2, s.lon2, static_cast<double>(i & 15) / 16.0);
    benchmark::DoNotOptimize(lat);
    benchmark::DoNotOptimize(lon);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PointAlongSegment);

}  // namespace
