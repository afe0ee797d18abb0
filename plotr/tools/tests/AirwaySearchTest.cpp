// The airway search over small hand-built networks in the plan test world, far north of its
// objects: the path list's rules, a chain found end to end on both classes, patience on a
// stepping clock, and damaged records.

#include "plotr/plan/tests/PlanCoreTestSupport.h"
#include "plotr/plan/tests/support/FakePlanUi.h"
#include "plotr/tools/AirwaySearch.h"
#include "plotr/tools/AutoRoute.h"
#include "platform/win/Clock.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "navdb/Geodesy.h"

namespace {

// A clock whose every reading is a second later than the last.
class SteppingClock : public win::Clock {
 public:
  uint32_t TickCount() const override { return m_tick += 1000; }
  std::chrono::system_clock::time_point Now() const override { return {}; }
  mutable uint32_t m_tick = 0;
};

// A clock that stands still for its first `quiet` readings and then leaps 100 s a reading: the
// join stops at its first path after them that does not improve the pair.
class LeapingClock : public win::Clock {
 public:
  explicit LeapingClock(int quiet) : m_quiet(quiet) {}
  uint32_t TickCount() const override { return m_reads++ < m_quiet ? 0 : (m_tick += 100000); }
  std::chrono::system_clock::time_point Now() const override { return {}; }

 private:
  int m_quiet;
  mutable int m_reads = 0;
  mutable uint32_t m_tick = 0;
};

class AirwaySearchTest : public plancore::PlanCoreTest {
 protected:
  // Intersections at the positions and airways through them as chains of position indexes:
  // every node holds one segment entry per airway through it, the first half leading on along
  // the chain, the second back. Returns the nodes' indexes in the database.
  std::vector<int> Network(const std::vector<std::pair<double, double>>& at, const std::vector<std::vector<int>>& airways,
                           uint16_t flags = 7, uint16_t kind = kKindIntersection + 3) {
    // slots[i]: (airway, position in it) for each entry of node i
    std::vector<std::vector<std::pair<int, int>>> slots(at.size());
    for (int w = 0; w < static_cast<int>(airways.size()); ++w)
      for (int k = 0; k < static_cast<int>(airways[static_cast<size_t>(w)].size()); ++k)
        slots[static_cast<size_t>(airways[static_cast<size_t>(w)][static_cast<size_t>(k)])].push_back({w, k});
    for (size_t i = 0; i < at.size(); ++i) {
      IntersectionRecord h;
      h.type = 0x10;
      SetFixedText(h.ident, sizeof h.ident, ("N" + std::to_string(i)).c_str());
      std::vector<AirwaySegment> segs(slots[i].size() + 1);  // a spare entry without a name
      for (size_t k = 0; k < slots[i].size(); ++k) segs[k] = navdbtest::Segment("J1", -1, 0, -1, 0);
      const navdbtest::PayloadBytes bytes = navdbtest::Intersection(h, segs);
      navdbtest::AddPointAt(DatabaseLease::HeldDatabase(), at[i].first, at[i].second, kind, bytes.data());
    }
    std::vector<int> index(at.size(), -1);
    const CNavPointArray& points = DatabaseLease::HeldDatabase().m_intersections;
    for (size_t i = 0; i < at.size(); ++i)
      for (int k = 0; k < points.GetSize(); ++k)
        if (points[k].latitude == static_cast<float>(at[i].first) && points[k].longitude == static_cast<float>(at[i].second) &&
            DatabaseLease::HeldDatabase().GetIntersection(points[k])->Ident() == "N" + std::to_string(i))
          index[i] = k;
    auto slotOf = [&](int node, int airway) {
      const auto& list = slots[static_cast<size_t>(node)];
      for (size_t k = 0; k < list.size(); ++k)
        if (list[k].first == airway) return static_cast<int>(k);
      return -1;
    };
    for (size_t i = 0; i < at.size(); ++i) {
      AirwaySegment* segs = DatabaseLease::HeldDatabase().GetIntersectionSegments(points[index[i]]);
      for (size_t k = 0; k < slots[i].size(); ++k) {
        const auto [w, pos] = slots[i][k];
        const std::vector<int>& chain = airways[static_cast<size_t>(w)];
        const int next = pos + 1 < static_cast<int>(chain.size()) ? chain[static_cast<size_t>(pos + 1)] : -1;
        const int prev = pos > 0 ? chain[static_cast<size_t>(pos - 1)] : -1;
        AirwaySegment seg = navdbtest::Segment("J1", next < 0 ? -1 : index[static_cast<size_t>(next)],
                                               next < 0 ? 0 : slotOf(next, w), prev < 0 ? -1 : index[static_cast<size_t>(prev)],
                                               prev < 0 ? 0 : slotOf(prev, w));
        for (SegmentHalf& half : seg.half) half.flags = half.neighbour >= 0 ? flags : 0;
        std::memcpy(&segs[k], &seg, sizeof seg);
      }
    }
    return index;
  }

  static AutoRouteDialogValues Airways(int type) {
    AutoRouteDialogValues v;
    v.routeType = type;
    return v;
  }
};

// The join as the plain list rules state it, over a trusted network: the reference of the
// differential test. The list is scanned for the best path (the smallest score, the last of
// equal ones) and for the path an insert replaces (the last one holding the new end node).
namespace literal {

struct Joined {
  CRoutePath departure, arrival;
  int expansions = 0;
  std::vector<CRoutePath> open;
};

double Turn(double a, double b) {
  const double d = std::fabs(a - b);
  return d > 180.0 ? 360.0 - d : d;
}

bool Holds(const CRoutePath& p, int32_t node) {
  if (p.origin.node == node) return true;
  for (const RouteStep& s : p.steps)
    if (s.node == node) return true;
  return false;
}

int Best(const std::vector<CRoutePath>& list) {
  int best = -1;
  for (int i = static_cast<int>(list.size()) - 1; i >= 0; --i)
    if (best < 0 || list[static_cast<size_t>(i)].Score() < list[static_cast<size_t>(best)].Score()) best = i;
  return best;
}

void Insert(std::vector<CRoutePath>& list, const CRoutePath& path) {
  const int32_t n = path.EndNode();
  for (int i = static_cast<int>(list.size()) - 1; i >= 0; --i) {
    CRoutePath& held = list[static_cast<size_t>(i)];
    if (!Holds(held, n)) continue;
    double costThere = held.origin.cost;
    for (const RouteStep& s : held.steps)
      if (s.node == n) costThere = s.cost;
    if (path.Cost() + 2 * path.estimate1 < costThere + 2 * held.estimate1) held = path;
    return;
  }
  list.push_back(path);
}

Joined Join(std::vector<CRoutePath> open, const std::vector<CRoutePath>& arrivals, int airwayClass, double span,
            const win::Clock& clock) {
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  const CNavPointArray& points = db.m_intersections;
  auto lat = [&](int32_t n) { return static_cast<double>(points[n].latitude); };
  auto lon = [&](int32_t n) { return static_cast<double>(points[n].longitude); };
  const int64_t patience = std::max<int64_t>(1, static_cast<int64_t>(10 * span / 2.00035e7));
  Joined j;
  bool paired = false;
  int64_t mark = clock.TickCount() / 1000;
  for (int qi = Best(open); qi >= 0; qi = Best(open)) {
    const CRoutePath q = open[static_cast<size_t>(qi)];
    const int64_t now = clock.TickCount() / 1000;
    if (paired && q.Score() < j.departure.Score()) {
      mark = now;
    } else if (now - mark > patience) {
      break;
    }
    bool took = false;
    for (const CRoutePath& a : arrivals) {
      if (a.EndNode() != q.EndNode()) continue;
      if (q.Cost() + a.Cost() < j.departure.Cost() + j.arrival.Cost() &&
          (q.lastCourse < 0 || Turn(q.lastCourse, a.lastCourse) <= 110.5)) {
        j.departure = q;
        j.departure.estimate2 = a.Cost();
        j.arrival = a;
        took = paired = true;
      }
    }
    const int32_t end = q.EndNode();
    if (!took && end >= 0) {
      ++j.expansions;
      IntersectionRecord record;
      std::memcpy(&record, db.GetIntersection(points[end]), sizeof record);
      for (int k = 0; k < record.segmentCount; ++k) {
        AirwaySegment seg;
        std::memcpy(&seg, db.GetIntersectionSegments(points[end]) + k, sizeof seg);
        for (const SegmentHalf& h : seg.half) {
          const int32_t nb = h.neighbour;
          if (!(((h.flags >> 1) & 3) & airwayClass) || !(h.flags & 1) || nb < 0 || Holds(q, nb)) continue;
          const double course = InitialCourse(lat(end), lon(end), lat(nb), lon(nb));
          if (q.lastCourse >= 0 && Turn(q.lastCourse, course) > 110.5) continue;
          const double cost = q.Cost() + GreatCircleDistance(lat(end), lon(end), lat(nb), lon(nb));
          if (!(cost < 3 * span)) continue;
          CRoutePath child = q;
          child.steps.push_back({nb, cost});
          child.lastCourse = course;
          child.estimate2 = kRouteFltMax;
          for (const CRoutePath& a : arrivals) {
            if (a.EndNode() < 0) continue;
            child.estimate2 = std::min(child.estimate2, GreatCircleDistance(lat(nb), lon(nb), lat(a.EndNode()),
                                                                            lon(a.EndNode())) + a.Cost());
          }
          Insert(open, child);
        }
      }
    }
    open.erase(open.begin() + qi);
  }
  if (!j.departure.steps.empty() && j.departure.EndNode() == j.arrival.EndNode()) j.departure.steps.pop_back();
  j.open = std::move(open);
  return j;
}

}  // namespace literal

TEST_F(AirwaySearchTest, PathListTakesTheLastOfEqualScoresAndKeepsOnePathPerNode) {
  CRoutePathList list;
  CRoutePath a;
  a.origin = {1, 10};
  a.estimate1 = a.estimate2 = 0;
  CRoutePath b = a;
  b.origin = {2, 10};
  EXPECT_EQ(0, list.Insert(a));
  EXPECT_EQ(1, list.Insert(b));
  EXPECT_EQ(1, list.Best());
  // A path ending on node 2 replaces the holder only when cheaper there.
  CRoutePath c;
  c.origin = {5, 0};
  c.steps.push_back({2, 12});
  c.estimate1 = c.estimate2 = 0;
  EXPECT_EQ(-1, list.Insert(c));
  c.steps.back().cost = 9;
  EXPECT_EQ(1, list.Insert(c));
  EXPECT_EQ(5, list.paths[1].origin.node);
  EXPECT_EQ(2u, list.paths.size());
  EXPECT_EQ(1, list.Best());
}

TEST_F(AirwaySearchTest, AChainIsJoinedFarFromTheEndsOnBothClasses) {
  for (const int type : {kAutoRouteLowAirways, kAutoRouteHighAirways}) {
    const double lat = type == kAutoRouteLowAirways ? 30 : 35;
    const std::vector<int> nodes = Network({{lat, 1}, {lat, 2}, {lat, 3}, {lat, 4}}, {{0, 1, 2, 3}});
    const CNavPointArray& points = DatabaseLease::HeldDatabase().m_intersections;
    for (int i = 0; i < 4; ++i)
      ASSERT_EQ(nodes[static_cast<size_t>(i)], AirwayNodeOf(points[nodes[static_cast<size_t>(i)]], 3));
    CRoute route = NewRoute();
    route.AddPoint(User(lat, 0));
    route.AddPoint(User(lat, 5));
    win::FakeClock clock;
    ASSERT_TRUE(RunAutoRouteSearch(route, Airways(type), nullptr, &clock)) << type;
    // Entries far from the plan point are cheap: the route joins at the second node from each end.
    ASSERT_EQ(4, route.GetCount()) << type;
    for (int i = 1; i <= 2; ++i) {
      EXPECT_EQ(kKindIntersection + 3, route[i].Kind());
      EXPECT_FLOAT_EQ(static_cast<float>(i + 1), route[i].ref.point.longitude);
      EXPECT_TRUE(route[i].flags & kPointAutoRoute);
    }
    // Twice equals once.
    ASSERT_TRUE(RunAutoRouteSearch(route, Airways(type), nullptr, &clock));
    EXPECT_EQ(4, route.GetCount());
  }
}

TEST_F(AirwaySearchTest, AWatchSeesTheJoinsRunWhileItLivesInnermostFirst) {
  Network({{32, 1}, {32, 2}, {32, 3}, {32, 4}}, {{0, 1, 2, 3}});
  CRoute route = NewRoute();
  route.AddPoint(User(32, 0));
  route.AddPoint(User(32, 5));
  win::FakeClock clock;
  JoinWatch outer;
  {
    JoinWatch inner;
    ASSERT_TRUE(RunAutoRouteSearch(route, Airways(kAutoRouteHighAirways), nullptr, &clock));
    EXPECT_EQ(1, inner.joins);
    EXPECT_TRUE(inner.paired);
    EXPECT_EQ(2, inner.airwayClass);
    EXPECT_FALSE(inner.departures.paths.empty());
    EXPECT_FALSE(inner.arrivals.paths.empty());
    EXPECT_GE(inner.lastChange, inner.started);
    // At least the degree of longitude between the two nodes the route is joined at.
    EXPECT_GT(inner.pairCost, 90000);
    EXPECT_LT(inner.pairCost, kRouteFltMax);
  }
  EXPECT_EQ(0, outer.joins);
  ASSERT_TRUE(RunAutoRouteSearch(route, Airways(kAutoRouteHighAirways), nullptr, &clock));
  EXPECT_EQ(1, outer.joins);
}

TEST_F(AirwaySearchTest, AnUnreachableArrivalFailsTheSearch) {
  // Two separate chains: the departure side never meets the arrival side.
  Network({{40, 1}, {40, 2}}, {{0, 1}});
  Network({{40, 4}, {40, 5}}, {{0, 1}});
  CRoute route = NewRoute();
  route.AddPoint(User(40, 0));
  route.AddPoint(User(40, 6));
  SteppingClock clock;
  EXPECT_FALSE(RunAutoRouteSearch(route, Airways(kAutoRouteHighAirways), nullptr, &clock));
  EXPECT_EQ(2, route.GetCount());
}

TEST_F(AirwaySearchTest, PatienceEndsAJoinThatStopsImprovingAndCountsFromItsStartUntilAPair) {
  std::vector<std::pair<double, double>> at;
  std::vector<int> chain;
  for (int i = 0; i < 8; ++i) {
    at.push_back({50, 1 + 0.5 * i});
    chain.push_back(i);
  }
  at.push_back({50, 9});  // a node on no airway with the others
  const std::vector<int> nodes = Network(at, {chain, {8}});
  // Without a pair the arrival stands on the lone node. With one, it stands on the chain's
  // fourth node, where a second open path already is: the first path taken makes the pair,
  // and no path after it can improve on it.
  auto join = [&](const win::Clock& clock, bool pair) {
    CRoutePathList open, arrivals;
    CRoutePath start;
    start.origin = {nodes[0], 0};
    start.estimate1 = 0;
    start.estimate2 = 100000;
    open.Insert(start);
    if (pair) {
      CRoutePath there = start;
      there.origin = {nodes[3], 0};
      there.estimate2 = 0;
      open.Insert(there);
    }
    CRoutePath end;
    end.origin = {nodes[pair ? 3 : 8], 0};
    end.estimate1 = 1000;
    end.estimate2 = 0;
    arrivals.Insert(end);
    CRoutePath dep, arr;
    int expansions = 0;
    EXPECT_TRUE(JoinPaths(open, arrivals, 2, 50, 0, 50, 10, clock, dep, arr, &expansions));
    EXPECT_EQ(pair ? nodes[3] : -1, dep.origin.node);
    return expansions;
  };
  struct Case {
    bool pair;
    int frozen;    // expansions on a frozen clock: the whole chain, then the list is empty
    int stepping;  // a second per reading: past the 1 s limit at the second path
  };
  for (const Case c : {Case{false, 8, 1}, Case{true, 8, 0}}) {
    win::FakeClock frozen;
    EXPECT_EQ(c.frozen, join(frozen, c.pair)) << c.pair;
    SteppingClock stepping;
    EXPECT_EQ(c.stepping, join(stepping, c.pair)) << c.pair;
  }
}

TEST_F(AirwaySearchTest, NearestNavaidAlongTheAirwayBecomesAHiddenTurnPoint) {
  // A chain east along latitude 55 whose fifth node stands for a VOR; two co-located nodes
  // linked both ways on a second airway at the start must not loop the search.
  const std::vector<int> nodes =
      Network({{55, 1}, {55, 1.3}, {55, 1.6}, {55, 1.9}, {55, 2.2}, {55, 1}}, {{0, 1, 2, 3, 4}, {0, 5, 0}});
  const VorRecord vor = navdbtest::Vor("VTP", 113.5f);
  navdbtest::AddPointAt(DatabaseLease::HeldDatabase(), 55, 2.2, kKindVor, &vor);
  int vorIndex = -1;
  for (int k = 0; k < DatabaseLease::HeldDatabase().m_vors.GetSize(); ++k)
    if (DatabaseLease::HeldDatabase().m_vors[k].latitude == 55.0f) vorIndex = k;
  ASSERT_GE(vorIndex, 0);
  const CNavPointArray& points = DatabaseLease::HeldDatabase().m_intersections;
  IntersectionRecord* record = DatabaseLease::HeldDatabase().GetIntersection(points[nodes[4]]);
  IntersectionRecord h;
  std::memcpy(&h, record, sizeof h);
  h.type = 0x13;
  h.navaid = vorIndex;
  std::memcpy(record, &h, sizeof h);

  EXPECT_EQ(nodes[4], FindNearestSegment(nodes[1], 90.0));
  EXPECT_EQ(nodes[4], FindNearestSegment(nodes[0], 270.0));  // either direction of the airway
  EXPECT_EQ(-1, FindNearestSegment(nodes[1], 0.0));          // square to it: nothing

  CRoute route = NewRoute();
  route.AddPoint(User(55, 0));
  PlanPoint a, b;
  a.ref.point = points[nodes[1]];
  b.ref.point = points[nodes[2]];
  route.AddPoint(a);
  route.AddPoint(b);
  route.AddPoint(User(55, 4));
  InsertAirwayTurnPoints(route, 2);
  ASSERT_EQ(5, route.GetCount());
  EXPECT_EQ(kKindVor, route[2].Kind());
  const uint32_t flags = route[2].flags;  // packed field: read by value
  EXPECT_EQ(kPointBearing | kPointAutoRoute, flags);
}

TEST_F(AirwaySearchTest, DamagedRecordsAreNoNeighbours) {
  const std::vector<int> nodes = Network({{45, 1}, {45, 2}, {45, 3}}, {{0, 1, 2}});
  const CNavPointArray& points = DatabaseLease::HeldDatabase().m_intersections;
  struct Damage {
    int node;
    int8_t slot;
    int32_t neighbour;
  };
  for (const Damage& d : {Damage{0, -3, nodes[1]}, Damage{1, 100, nodes[0]}, Damage{1, 0, 1 << 30},
                          Damage{2, 0, -7}, Damage{0, 0, nodes[0]}}) {
    AirwaySegment* segs =
        DatabaseLease::HeldDatabase().GetIntersectionSegments(points[nodes[static_cast<size_t>(d.node)]]);
    AirwaySegment s;
    std::memcpy(&s, segs, sizeof s);
    const AirwaySegment kept = s;
    s.half[0].slot = d.slot;
    s.half[0].neighbour = d.neighbour;
    std::memcpy(segs, &s, sizeof s);
    CRoute route = NewRoute();
    route.AddPoint(User(45, 0));
    route.AddPoint(User(45, 4));
    win::FakeClock clock;
    RunAutoRouteSearch(route, Airways(kAutoRouteHighAirways), nullptr, &clock);
    for (int i = 0; i < 3; ++i) AirwayNodeOf(points[nodes[static_cast<size_t>(i)]], 3);
    std::memcpy(segs, &kept, sizeof kept);
  }
}

// The join's heap and indexes against the plain list on random small networks: a grid
// symmetric about the equator (equal distances, so equal scores), random airways with random
// directions and levels, random departure and arrival sets with round costs. Both must give the
// same pair, the same expansions and the same paths left open, on a frozen and on a stepping
// clock.
TEST_F(AirwaySearchTest, JoinGivesThePlainListsAnswersOnRandomNetworks) {
  std::mt19937 random(1905);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto describe = [](const CRoutePath& p) {
    std::string out = std::to_string(p.origin.node) + "/" + std::to_string(p.origin.cost);
    for (const RouteStep& s : p.steps) out += " " + std::to_string(s.node) + "/" + std::to_string(s.cost);
    return out + " e2 " + std::to_string(p.estimate2);
  };
  int pairs = 0, deep = 0, leftOpen = 0;
  for (int round = 0; round < 600; ++round) {
    plancore::BuildPlanDatabase(DatabaseLease::HeldDatabase());
    constexpr int kRows = 5, kColumns = 4;
    std::vector<std::pair<double, double>> at;
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kColumns; ++c) at.push_back({0.1 * (r - 2), 10 + 0.1 * c});
    // Random walks over the grid's neighbours, each cell at most once per airway.
    std::vector<std::vector<int>> airways(static_cast<size_t>(4 + pick(5)));
    for (std::vector<int>& chain : airways) {
      int cell = pick(kRows * kColumns);
      chain.push_back(cell);
      for (int hop = 0, length = 3 + pick(8); hop < length; ++hop) {
        std::vector<int> next;
        for (int dr = -1; dr <= 1; ++dr)
          for (int dc = -1; dc <= 1; ++dc) {
            const int r = cell / kColumns + dr, c = cell % kColumns + dc;
            const int n = r * kColumns + c;
            if ((dr || dc) && r >= 0 && r < kRows && c >= 0 && c < kColumns &&
                std::find(chain.begin(), chain.end(), n) == chain.end())
              next.push_back(n);
          }
        if (next.empty()) break;
        cell = next[static_cast<size_t>(pick(static_cast<int>(next.size())))];
        chain.push_back(cell);
      }
    }
    const std::vector<int> nodes = Network(at, airways);
    const CNavPointArray& points = DatabaseLease::HeldDatabase().m_intersections;
    for (const int node : nodes) {
      IntersectionRecord record;
      std::memcpy(&record, DatabaseLease::HeldDatabase().GetIntersection(points[node]), sizeof record);
      AirwaySegment* segs = DatabaseLease::HeldDatabase().GetIntersectionSegments(points[node]);
      for (int k = 0; k < record.segmentCount; ++k) {
        AirwaySegment seg;
        std::memcpy(&seg, &segs[k], sizeof seg);
        for (SegmentHalf& h : seg.half)
          if (h.neighbour >= 0) h.flags = static_cast<uint16_t>((pick(4) ? 1 : 0) | (2 << pick(2)) | (pick(4) ? 0 : 6));
        std::memcpy(&segs[k], &seg, sizeof seg);
      }
    }
    auto randomPath = [&](bool departure) {
      CRoutePath p;
      const int32_t node = nodes[static_cast<size_t>(pick(static_cast<int>(nodes.size())))];
      const double cost = 1000.0 * pick(4);
      p.origin = {node, cost};
      p.lastCourse = pick(3) ? -1.0 : 45.0 * pick(8);
      p.estimate1 = departure ? 0 : 10000.0 * pick(3);
      p.estimate2 = departure ? 10000.0 * pick(3) : 0;
      if (departure && pick(3) == 0) {  // a candidate entry: no origin node, one step
        p.origin = {-1, 0};
        p.steps.push_back({node, cost});
      }
      return p;
    };
    CRoutePathList departures, arrivals;
    for (int i = 0, n = 1 + pick(4); i < n; ++i) departures.paths.push_back(randomPath(true));
    for (int i = 0, n = 1 + pick(4); i < n; ++i) arrivals.paths.push_back(randomPath(false));
    const int airwayClass = 1 + pick(2);
    const double span = GreatCircleDistance(-0.2, 10, 0.2, 10.3);

    // Frozen: the join runs until the list is empty; stepping: patience ends it after the pair;
    // leaping: it ends part way, with paths still open.
    const int quiet = 1 + pick(30);
    for (const int clockKind : {0, 1, 2}) {
      win::FakeClock frozen;
      SteppingClock steps, literalSteps;
      LeapingClock leaps(quiet), literalLeaps(quiet);
      const win::Clock* clocks[3][2] = {{&frozen, &frozen}, {&steps, &literalSteps}, {&leaps, &literalLeaps}};
      const literal::Joined expected =
          literal::Join(departures.paths, arrivals.paths, airwayClass, span, *clocks[clockKind][1]);
      CRoutePathList open = departures;
      CRoutePath dep, arr;
      int expansions = 0;
      ASSERT_TRUE(JoinPaths(open, arrivals, airwayClass, -0.2, 10, 0.2, 10.3, *clocks[clockKind][0], dep, arr,
                            &expansions));
      const std::string where = "round " + std::to_string(round) + " clock " + std::to_string(clockKind);
      EXPECT_EQ(describe(expected.departure), describe(dep)) << where;
      EXPECT_EQ(describe(expected.arrival), describe(arr)) << where;
      EXPECT_EQ(expected.expansions, expansions) << where;
      ASSERT_EQ(expected.open.size(), open.paths.size()) << where;
      for (size_t i = 0; i < open.paths.size(); ++i) EXPECT_EQ(describe(expected.open[i]), describe(open.paths[i])) << where;
      if (clockKind == 0) {
        pairs += dep.origin.cost < kRouteFltMax;
        deep += expected.expansions > 5;
      }
      if (clockKind == 2) leftOpen += !open.paths.empty();
    }
  }
  // The rounds reach pairs, deeper searches and joins ended with paths open, not only empty joins.
  EXPECT_GT(pairs, 100) << deep << " " << leftOpen;
  EXPECT_GT(deep, 100);
  EXPECT_GT(leftOpen, 100);
}

TEST_F(AirwaySearchTest, EntriesNeedTheirDistanceAndATurnTheSidEndCanMake) {
  // On the equator, a plan point S and a chain east of it: A at the case's distance, B and C
  // out of both plan points' search circles but for C near E. A is S's only entry.
  struct Case {
    double metres;    // S to A
    double incoming;  // the SID's last course at S; negative: none
    bool found;
  };
  for (const Case c : {Case{5555, -1, false}, Case{5557, -1, true}, Case{20000, 340, true}, Case{20000, 339, false}}) {
    plancore::BuildPlanDatabase(DatabaseLease::HeldDatabase());
    const double s = 20;
    const double at[] = {s + plancore::EastDegrees(c.metres), s + plancore::EastDegrees(60000),
                         s + plancore::EastDegrees(100000)};
    const std::vector<int> nodes = Network({{0, at[0]}, {0, at[1]}, {0, at[2]}}, {{0, 1, 2}});
    CRoute route = NewRoute();
    route.AddPoint(User(0, s));
    route.AddPoint(User(0, s + plancore::EastDegrees(120000)));
    const NavPoint& a = DatabaseLease::HeldDatabase().m_intersections[nodes[0]];
    const double entry = GreatCircleDistance(route[0].ref.point.latitude, route[0].ref.point.longitude, a.latitude,
                                             a.longitude);
    ASSERT_EQ(c.metres < 5556, entry < 5556) << entry;
    win::FakeClock clock;
    int end = 1;
    PathOrigin sidEnd;
    if (c.incoming >= 0) {
      sidEnd.cost = 1000;
      sidEnd.course = c.incoming;
    }
    const int inserted = FindAirwayLeg(route, 0, end, kAutoRouteHighAirways, clock, sidEnd);
    EXPECT_EQ(c.found ? 3 : -1, inserted) << c.metres << " " << c.incoming;
    if (c.found) {
      ASSERT_EQ(5, route.GetCount());
      EXPECT_FLOAT_EQ(a.longitude, route[1].ref.point.longitude);  // the entry
    }
  }
}

TEST_F(AirwaySearchTest, ADepartureOnTheAirwayStartsAtItself) {
  // Plan points on the chain's first and last node: every node between them goes in, where
  // plan points off the airway would join it far from the ends. A high airway's point cannot
  // start a low airway route.
  struct Case {
    int type;
    uint16_t kind;
    uint16_t flags;
    bool found;
  };
  for (const Case c : {Case{kAutoRouteLowAirways, kKindIntersection + 1, 3, true},
                       Case{kAutoRouteHighAirways, kKindIntersection + 3, 7, true},
                       Case{kAutoRouteHighAirways, kKindIntersection + 2, 5, true},
                       Case{kAutoRouteLowAirways, kKindIntersection + 2, 5, false}}) {
    plancore::BuildPlanDatabase(DatabaseLease::HeldDatabase());
    std::vector<std::pair<double, double>> at;
    for (int i = 0; i < 5; ++i) at.push_back({-30, 1 + 0.2 * i});
    const std::vector<int> nodes = Network(at, {{0, 1, 2, 3, 4}}, c.flags, c.kind);
    CRoute route = NewRoute();
    PlanPoint first, last;
    first.ref.point = DatabaseLease::HeldDatabase().m_intersections[nodes[0]];
    last.ref.point = DatabaseLease::HeldDatabase().m_intersections[nodes[4]];
    route.AddPoint(first);
    route.AddPoint(last);
    win::FakeClock clock;
    EXPECT_EQ(c.found, RunAutoRouteSearch(route, Airways(c.type), nullptr, &clock)) << c.type << " " << c.kind;
    if (!c.found) continue;
    ASSERT_EQ(5, route.GetCount()) << c.type << " " << c.kind;
    for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(static_cast<float>(at[static_cast<size_t>(i)].second), route[i].ref.point.longitude);
  }
}

}  // namespace
