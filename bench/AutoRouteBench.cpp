// The route finder on the synthetic world root, built once by the headless database build: 100
// airport pairs up to 3,000 nm apart (fixed seed), each searched runway to runway from a fresh
// two-point plan.
//
// High airways: per pair the time until the best pair last changed (the route the search ends
// with), the total time (the search waits out its patience of one or two seconds whenever the
// open list does not empty), the join's expansions, and its length against a plain Dijkstra over
// the same network and the same entry and exit candidates. The target: 95% of the pairs reach
// their final route within 50 ms.
//
// Navaid to navaid: the per-pair times at two spacings, for the record.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <queue>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "navdb/Geodesy.h"
#include "navdb/Payloads.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Route.h"
#include "plotr/tools/AirwaySearch.h"
#include "plotr/tools/AutoRoute.h"
#include "tools/sample-simroot/SimRootBuild.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPairs = 100;
constexpr double kMinPairNm = 50;
constexpr double kMaxPairNm = 3000;
constexpr double kTargetMs = 50;
// A runway end this close to an airport belongs to it.
constexpr double kRunwayRadius = 5000;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct World {
  fs::path root;
  std::vector<std::pair<NavPoint, NavPoint>> pairs;  // runway ends

  World() {
    std::string pattern = (fs::temp_directory_path() / "cw_autoroute_XXXXXX").string();
    root = ::mkdtemp(pattern.data());
    std::string error;
    if (!sampleroot::WriteWorldSimRoot(root, sampleroot::WorldRootCounts{}, error)) Fail("cannot write the world root: " + error);
    if (sampleroot::BuildSimRoot(root) != IDS_BUILD_READY) Fail("the world database was not built");
    const fs::path settings = root / "settings";
    fs::create_directories(settings);
    g_Settings.SetProfileFile(settings / "Program.cfg");
    SetAircraftProfileFolder(settings);
    DatabaseLease lease;
    const fs::path db = sampleroot::DatabaseFolder(root);
    if (!lease.Database().LoadDatabaseFiles((db / "Scenery.000").string(), (db / "Scenery.001").string()))
      Fail("the world database did not load: " + lease.Database().GetLastError());
    PickPairs();
    ReportNetwork();
  }
  ~World() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }

  [[noreturn]] static void Fail(const std::string& why) {
    std::fprintf(stderr, "autoroute bench: %s\n", why.c_str());
    std::abort();
  }

  // What the build made of the network: the junctions, and the VORs and NDBs it bound to them.
  static void ReportNetwork() {
    const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
    int junctions = 0, high = 0, vors = 0, ndbs = 0;
    for (int i = 0; i < db.m_intersections.GetSize(); ++i) {
      const IntersectionRecord* r = db.GetIntersection(db.m_intersections[i]);
      if (!r || r->segmentCount == 0) continue;
      ++junctions;
      high += (db.m_intersections[i].kind & 2) ? 1 : 0;
    }
    for (int i = 0; i < db.m_vors.GetSize(); ++i) {
      const VorRecord* r = db.GetVor(db.m_vors[i]);
      vors += r && r->intersection >= 0 ? 1 : 0;
    }
    for (int i = 0; i < db.m_ndbs.GetSize(); ++i) {
      const NdbRecord* r = db.GetNdb(db.m_ndbs[i]);
      ndbs += r && r->intersection >= 0 ? 1 : 0;
    }
    std::printf("world: %d airway junctions (%d on high airways), %d VORs and %d NDBs bound to them\n", junctions, high,
                vors, ndbs);
  }

  // A random runway end of the airport; false when it has none.
  static bool RunwayOf(const NavPoint& airport, std::mt19937& random, NavPoint& out) {
    const CNavPointArray& ends = DatabaseLease::HeldDatabase().m_runways;
    std::vector<int> near;
    for (int i = 0; i < ends.GetSize(); ++i) {
      const NavPoint& e = ends[i];
      if (std::fabs(e.latitude - airport.latitude) > 0.1) continue;
      if (GreatCircleDistance(e.latitude, e.longitude, airport.latitude, airport.longitude) < kRunwayRadius)
        near.push_back(i);
    }
    if (near.empty()) return false;
    out = ends[near[std::uniform_int_distribution<size_t>(0, near.size() - 1)(random)]];
    return true;
  }

  void PickPairs() {
    const CNavPointArray& airports = DatabaseLease::HeldDatabase().m_airports;
    std::mt19937 random(19);
    std::uniform_int_distribution<int> pick(0, airports.GetSize() - 1);
    while (static_cast<int>(pairs.size()) < kPairs) {
      const NavPoint& a = airports[pick(random)];
      const NavPoint& b = airports[pick(random)];
      const double d = GreatCircleDistance(a.latitude, a.longitude, b.latitude, b.longitude) / kMetresPerNm;
      if (d <= kMinPairNm || d > kMaxPairNm) continue;
      NavPoint from, to;
      if (RunwayOf(a, random, from) && RunwayOf(b, random, to)) pairs.emplace_back(from, to);
    }
  }
};

World& TheWorld() {
  static World world;
  return world;
}

CRoute PairRoute(const std::pair<NavPoint, NavPoint>& pair) {
  CRoute route;
  for (const NavPoint& p : {pair.first, pair.second}) {
    PlanPoint point;
    if (!route.Resolve(point.ref, p)) point.ref.point = p;
    route.AddPoint(point);
  }
  return route;
}

double Percentile(std::vector<double> v, int percent) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, v.size() * static_cast<size_t>(percent) / 100)];
}

// ---- The reference: a plain Dijkstra over the airway network ------------------------------------

// The intersection's segments read by value, every index checked.
bool Segments(int32_t node, std::vector<AirwaySegment>& out) {
  out.clear();
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  if (node < 0 || node >= db.m_intersections.GetSize()) return false;
  const NavPoint& p = db.m_intersections[node];
  const int64_t offset = p.PayloadOffset();
  if (offset < 0 || offset + static_cast<int64_t>(sizeof(IntersectionRecord)) > db.GetPoolLength()) return false;
  IntersectionRecord r;
  std::memcpy(&r, db.GetIntersection(p), sizeof r);
  if (offset + static_cast<int64_t>(r.PayloadSize()) > db.GetPoolLength()) return false;
  out.resize(r.segmentCount);
  if (r.segmentCount > 0) std::memcpy(out.data(), db.GetIntersectionSegments(p), out.size() * sizeof(AirwaySegment));
  return true;
}

// The cheapest departure path + network way + arrival path, under the join's own costs and on
// the segments it may use (flyable that way, of the class), without its turn limit; -1 when the
// arrival cannot be reached.
double DijkstraCost(const CRoutePathList& departures, const CRoutePathList& arrivals, int airwayClass) {
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  const int n = db.m_intersections.GetSize();
  std::vector<double> cost(static_cast<size_t>(n), kRouteFltMax), exitCost(static_cast<size_t>(n), kRouteFltMax);
  using Entry = std::pair<double, int32_t>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
  for (const CRoutePath& a : arrivals.paths) {
    const int32_t node = a.EndNode();
    if (node >= 0 && node < n) exitCost[static_cast<size_t>(node)] = std::min(exitCost[static_cast<size_t>(node)], a.Cost());
  }
  for (const CRoutePath& d : departures.paths) {
    const int32_t node = d.EndNode();
    if (node < 0 || node >= n || !(d.Cost() < cost[static_cast<size_t>(node)])) continue;
    cost[static_cast<size_t>(node)] = d.Cost();
    queue.push({d.Cost(), node});
  }
  double best = kRouteFltMax;
  std::vector<AirwaySegment> segments;
  while (!queue.empty()) {
    const auto [c, u] = queue.top();
    queue.pop();
    if (c > cost[static_cast<size_t>(u)]) continue;
    if (c >= best) break;
    best = std::min(best, c + exitCost[static_cast<size_t>(u)]);
    if (!Segments(u, segments)) continue;
    const NavPoint& pu = db.m_intersections[u];
    for (const AirwaySegment& s : segments) {
      for (const SegmentHalf& h : s.half) {
        const int32_t v = h.neighbour;
        if (v < 0 || v >= n || !(h.flags & 1) || !(((h.flags >> 1) & 3) & airwayClass)) continue;
        const NavPoint& pv = db.m_intersections[v];
        const double next = c + GreatCircleDistance(pu.latitude, pu.longitude, pv.latitude, pv.longitude);
        if (next < cost[static_cast<size_t>(v)]) {
          cost[static_cast<size_t>(v)] = next;
          queue.push({next, v});
        }
      }
    }
  }
  return best < kRouteFltMax ? best : -1;
}

// ---- High airways ---------------------------------------------------------------------------------

struct PairResult {
  bool routed = false;
  double toFinalMs = 0;     // from the search's start to the best pair's last change
  double totalMs = 0;
  double candidatesMs = 0;  // from the search's start to the join's
  int expansions = 0;
  double pairCost = 0;      // the join's best pair, in metres of its costs
  double dijkstraMs = 0;    // the graph search alone, over the candidates the join got
  double dijkstraCost = -1;
  double routeNm = 0;
};

PairResult SearchPair(const std::pair<NavPoint, NavPoint>& pair) {
  AutoRouteDialogValues values;
  values.routeType = kAutoRouteHighAirways;
  PairResult r;
  CRoute route = PairRoute(pair);
  JoinWatch watch;
  const Clock::time_point start = Clock::now();
  r.routed = RunAutoRouteSearch(route, values, nullptr);
  const Clock::time_point end = Clock::now();
  r.totalMs = Ms(end - start);
  r.expansions = watch.expansions;
  r.routeNm = route.GetLength() / kMetresPerNm;
  if (watch.joins == 0) return r;
  r.candidatesMs = Ms(watch.started - start);
  // Without a pair the search had no route to change: it ends with what it had at the end.
  r.toFinalMs = watch.paired ? Ms(watch.lastChange - start) : r.totalMs;
  r.pairCost = watch.pairCost;
  DatabaseLease lease;
  const Clock::time_point dijkstraStart = Clock::now();
  r.dijkstraCost = DijkstraCost(watch.departures, watch.arrivals, watch.airwayClass);
  r.dijkstraMs = Ms(Clock::now() - dijkstraStart);
  return r;
}

void BM_AirwayRoutePairs(benchmark::State& state) {
  World& world = TheWorld();
  std::vector<PairResult> results;
  for (auto _ : state) {
    results.clear();
    for (const auto& pair : world.pairs) results.push_back(SearchPair(pair));
  }
  std::vector<double> toFinal, total, candidates, expansions, dijkstra, stretch;
  int routed = 0, withinTarget = 0, dijkstraRouted = 0;
  for (const PairResult& r : results) {
    toFinal.push_back(r.toFinalMs);
    total.push_back(r.totalMs);
    candidates.push_back(r.candidatesMs);
    expansions.push_back(r.expansions);
    dijkstra.push_back(r.dijkstraMs);
    routed += r.routed ? 1 : 0;
    dijkstraRouted += r.dijkstraCost >= 0 ? 1 : 0;
    withinTarget += r.routed && r.toFinalMs <= kTargetMs ? 1 : 0;
    if (r.routed && r.dijkstraCost > 0) stretch.push_back(r.pairCost / r.dijkstraCost);
  }
  const int pairs = static_cast<int>(results.size());
  state.counters["pairs"] = pairs;
  state.counters["routed"] = routed;
  state.counters["dijkstra_routed"] = dijkstraRouted;
  state.counters["final_med_ms"] = Percentile(toFinal, 50);
  state.counters["final_p95_ms"] = Percentile(toFinal, 95);
  state.counters["total_med_ms"] = Percentile(total, 50);
  state.counters["total_p95_ms"] = Percentile(total, 95);
  state.counters["cand_med_ms"] = Percentile(candidates, 50);
  state.counters["expand_med"] = Percentile(expansions, 50);
  state.counters["expand_p95"] = Percentile(expansions, 95);
  state.counters["dijk_med_ms"] = Percentile(dijkstra, 50);
  state.counters["dijk_p95_ms"] = Percentile(dijkstra, 95);
  state.counters["len_med_x_dijk"] = Percentile(stretch, 50);
  state.counters["len_p95_x_dijk"] = Percentile(stretch, 95);
  state.counters["within_50ms"] = withinTarget;
  const bool met = withinTarget * 100 >= 95 * pairs;
  std::printf(
      "high airways, %d pairs: %d routed (Dijkstra reaches %d); final route within %.0f ms for %d (%s: 95%% within "
      "%.0f ms)\n"
      "  to final route ms  median %.1f  p95 %.1f | total ms  median %.0f  p95 %.0f | candidates ms  median %.1f\n"
      "  expansions  median %.0f  p95 %.0f | Dijkstra ms  median %.2f  p95 %.2f | length / Dijkstra  median %.4f  "
      "p95 %.4f\n",
      pairs, routed, dijkstraRouted, kTargetMs, withinTarget, met ? "met" : "NOT met", kTargetMs, Percentile(toFinal, 50),
      Percentile(toFinal, 95), Percentile(total, 50), Percentile(total, 95), Percentile(candidates, 50),
      Percentile(expansions, 50), Percentile(expansions, 95), Percentile(dijkstra, 50), Percentile(dijkstra, 95),
      Percentile(stretch, 50), Percentile(stretch, 95));
  if (std::getenv("CW_AUTOROUTE_PAIRS")) {
    std::printf("  pair  routed  final_ms  total_ms  cand_ms  expansions  join_nm  dijkstra_nm  dijkstra_ms  route_nm\n");
    for (size_t i = 0; i < results.size(); ++i) {
      const PairResult& r = results[i];
      std::printf("  %4zu  %6d  %8.1f  %8.0f  %7.1f  %10d  %7.0f  %11.0f  %11.2f  %8.0f\n", i, r.routed ? 1 : 0,
                  r.toFinalMs, r.totalMs, r.candidatesMs, r.expansions, r.pairCost / kMetresPerNm,
                  r.dijkstraCost / kMetresPerNm, r.dijkstraMs, r.routeNm);
    }
  }
  std::fflush(stdout);
}
BENCHMARK(BM_AirwayRoutePairs)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// ---- Navaid to navaid -------------------------------------------------------------------------------

// Per-pair times at the spacing in nm; median and 95th percentile in milliseconds, and the points
// per route.
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
      const Clock::time_point start = Clock::now();
      RunAutoRouteSearch(route, values, nullptr);
      times.push_back(Ms(Clock::now() - start));
      points += route.GetCount() - 2;
    }
  }
  state.counters["median_ms"] = Percentile(times, 50);
  state.counters["p95_ms"] = Percentile(times, 95);
  state.counters["points_per_route"] = points / static_cast<double>(world.pairs.size());
}
BENCHMARK(BM_NavaidRoutePairs)->Arg(70)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
