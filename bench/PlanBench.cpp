// The plan rebuild with its vertical profile, as every edit runs it under the database lock:
// 100- and 500-point plans over a world-sized database, with a few altitude constraints, fixes
// and navaids among user points, between two airports.

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include <unistd.h>

#include "bench/support/PlanWorld.h"
#include "navdb/Geodesy.h"
#include "navdb/tests/support/NavdbFixture.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"

namespace {

namespace fs = std::filesystem;

// Legs of about 20 nm, as a route along airways has.
constexpr double kLegMetres = 20 * kMetresPerNm;

struct World : benchsupport::PlanWorld {
  World() : PlanWorld("plan") {}
};

World& TheWorld() {
  static World world;
  return world;
}

// A plan of `points` waypoints: an airport, then points every 20 nm towards the airport that
// lies nearest to the plan's length away, every fifth snapped to a nearby fix or navaid and
// every tenth with an altitude constraint, then that airport.
CRoute MakePlan(int points) {
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  CRoute route;
  const NavPoint& from = db.m_airports[0];
  const double length = (points - 1) * kLegMetres;
  int best = 1;
  double bestError = DBL_MAX;
  for (int i = 1; i < db.m_airports.GetSize(); ++i) {
    const NavPoint& to = db.m_airports[i];
    const double error =
        std::fabs(GreatCircleDistance(from.latitude, from.longitude, to.latitude, to.longitude) - length);
    if (error < bestError) {
      bestError = error;
      best = i;
    }
  }
  const NavPoint& to = db.m_airports[best];
  auto airport = [](const NavPoint& p) {
    PlanPoint point;
    point.ref.point = p;
    return point;
  };
  route.AddPoint(airport(from));
  for (int i = 1; i < points - 1; ++i) {
    double lat = 0, lon = 0;
    PointAlongSegment(lat, lon, from.latitude, from.longitude, to.latitude, to.longitude,
                      static_cast<double>(i) / (points - 1));
    PlanPoint point;
    FullPoint found;
    double radius = 15000;
    if (i % 5 == 0 && route.FindObject(found, radius, lat, lon, 0x1C, false)) {
      point.ref = found;
    } else {
      CRoute::MakeUserPoint(point.ref.point, lat, lon);
    }
    if (i % 10 == 0) {
      // Down to 2000 ft below the cruise level at the point, back up after it.
      point.altitude1 = MakeManualValue(route.MeanCruiseAltitude() - 2000);
      point.altitude2 = MakeManualValue(route.MeanCruiseAltitude());
    }
    route.AddPoint(point);
  }
  route.AddPoint(airport(to));
  return route;
}

void BM_RebuildPlan(benchmark::State& state) {
  TheWorld();
  DatabaseLease lease;
  CFlightPlanCore plan;
  plan.Clear();
  plan.Push(MakePlan(static_cast<int>(state.range(0))));
  plan.Rebuild();
  for (auto _ : state) {
    plan.Rebuild();
    benchmark::DoNotOptimize(plan.m_rows.data());
  }
  double distance = 0, time = 0, fuel = 0;
  plan.GetTotals(distance, time, fuel);
  int pseudo = 0;
  for (const PlanRow& row : plan.m_rows) pseudo += row.IsPseudo() ? 1 : 0;
  state.counters["rows"] = static_cast<double>(plan.m_rows.size());
  state.counters["pseudo"] = pseudo;
  state.counters["nm"] = distance;
}
BENCHMARK(BM_RebuildPlan)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace
