// The plan object's per-tick work as the main frame's timer runs it: the exchange, the move
// steps, the guidance (with and without tuning the radios) and the publication, on a 100-point
// plan with its vertical profile and an ILS runway as the destination, against the stand-in
// simulator over the Swiss sample database.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "navdb/Geodesy.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/sim/tests/support/GuidanceRig.h"

namespace {

using guidancetest::Rig;

struct Flight {
  std::unique_ptr<Rig> rig;
  int row = 0;

  Flight() {
    std::string error;
    if (!guidancetest::LoadSwissSample(error)) {
      std::fprintf(stderr, "GuidanceBench: %s\n", error.c_str());
      std::abort();
    }
    rig = std::make_unique<Rig>(90, simhost::AircraftStart{46.95, 7.45, 8000, 230, 180});
    // 98 user points on a zig-zag from Bern towards Geneva, then the runway with its ILS.
    std::vector<PlanPoint> points = {guidancetest::SamplePoint("LSZB", kKindAirport)};
    for (int i = 0; i < 98; ++i) {
      const double f = (i + 1) / 99.0;
      points.push_back(plantest::UserPoint(46.91 - 0.67 * f + (i % 2 ? 0.02 : -0.02), 7.49 - 1.37 * f, ""));
    }
    points.push_back(guidancetest::SampleRunway("LSGG", "23"));
    rig->SetRoute(points, 10000);
    rig->Aircraft().autopilot.master = true;
    rig->Named().flyPlanWaypoint = -1;
    rig->Named().flyPlanOn = 1;
    rig->Ticks(20);
    row = rig->plan->m_currentRow;
  }
};

Flight& TheFlight() {
  static Flight flight;
  return flight;
}

// One phase of the tick cycle, the tick value chosen by its remainder.
void TickPhase(benchmark::State& state, uint32_t phase) {
  Flight& f = TheFlight();
  CFlightPlanStatus& plan = *f.rig->plan;
  uint32_t tick = 1000 + phase;
  int64_t n = 0;
  for (auto _ : state) {
    plan.OnTick(tick);
    tick += 5;
    if (++n % 256 == 0) f.rig->host.ClearEvents();
  }
  state.counters["rows"] = static_cast<double>(plan.m_rows.size());
  state.counters["flying"] = plan.IsFlyPlanActive() ? 1 : 0;
}

void BM_TickPublication(benchmark::State& state) { TickPhase(state, 0); }
void BM_TickExchange(benchmark::State& state) { TickPhase(state, 1); }
void BM_TickIdle(benchmark::State& state) { TickPhase(state, 2); }
void BM_TickMoveSteps(benchmark::State& state) { TickPhase(state, 3); }
void BM_TickGuidance(benchmark::State& state) { TickPhase(state, 4); }

// The guidance tick when the row changed: the radios are tuned as well.
void BM_TickGuidanceWithTuning(benchmark::State& state) {
  Flight& f = TheFlight();
  CFlightPlanStatus& plan = *f.rig->plan;
  uint32_t tick = 1004;
  int64_t n = 0;
  for (auto _ : state) {
    plan.OnTick(tick);
    DatabaseLease lease;
    plan.TuneRadios(plan.m_currentRow);
    tick += 5;
    if (++n % 256 == 0) f.rig->host.ClearEvents();
  }
}

// Ten ticks in a row, reported per tick.
void BM_TickMean(benchmark::State& state) {
  Flight& f = TheFlight();
  CFlightPlanStatus& plan = *f.rig->plan;
  uint32_t tick = 2000;
  for (auto _ : state) {
    for (int i = 0; i < 10; ++i) plan.OnTick(tick++);
    f.rig->host.ClearEvents();
  }
  state.SetItemsProcessed(state.iterations() * 10);
  state.counters["per_tick"] = benchmark::Counter(static_cast<double>(state.iterations() * 10),
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_TickPublication)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickExchange)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickIdle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickMoveSteps)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickGuidance)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickGuidanceWithTuning)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickMean)->Unit(benchmark::kMicrosecond);

}  // namespace
