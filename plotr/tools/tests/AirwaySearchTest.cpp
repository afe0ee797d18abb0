// The airway search over small hand-built networks in the plan test world, far north of its
// objects: the path list's rules, a chain found end to end on both classes, patience on a
// stepping clock, and damaged records.

#include "plotr/plan/tests/PlanCoreTestSupport.h"
#include "plotr/plan/tests/support/FakePlanUi.h"
#include "plotr/tools/AirwaySearch.h"
#include "plotr/tools/AutoRoute.h"
#include "platform/win/Clock.h"

#include <cstring>
#include <vector>

namespace {

// A clock whose every reading is a second later than the last.
class SteppingClock : public win::Clock {
 public:
  uint32_t TickCount() const override { return m_tick += 1000; }
  std::chrono::system_clock::time_point Now() const override { return {}; }
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
      navdbtest::AddPointAt(g_SceneryDatabase, at[i].first, at[i].second, kind, bytes.data());
    }
    std::vector<int> index(at.size(), -1);
    const CNavPointArray& points = g_SceneryDatabase.m_intersections;
    for (size_t i = 0; i < at.size(); ++i)
      for (int k = 0; k < points.GetSize(); ++k)
        if (points[k].latitude == static_cast<float>(at[i].first) && points[k].longitude == static_cast<float>(at[i].second) &&
            g_SceneryDatabase.GetIntersection(points[k])->Ident() == "N" + std::to_string(i))
          index[i] = k;
    auto slotOf = [&](int node, int airway) {
      const auto& list = slots[static_cast<size_t>(node)];
      for (size_t k = 0; k < list.size(); ++k)
        if (list[k].first == airway) return static_cast<int>(k);
      return -1;
    };
    for (size_t i = 0; i < at.size(); ++i) {
      AirwaySegment* segs = g_SceneryDatabase.GetIntersectionSegments(points[index[i]]);
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
    for (int i = 0; i < 4; ++i) ASSERT_EQ(nodes[static_cast<size_t>(i)], AirwayNodeOf(g_SceneryDatabase.m_intersections[nodes[static_cast<size_t>(i)]], 3));
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

TEST_F(AirwaySearchTest, WithoutAPairPatienceCountsFromTheJoinsStart) {
  std::vector<std::pair<double, double>> at;
  std::vector<int> chain;
  for (int i = 0; i < 8; ++i) {
    at.push_back({50, 1 + 0.5 * i});
    chain.push_back(i);
  }
  at.push_back({50, 9});  // the arrival's node, on no airway with the others
  const std::vector<int> nodes = Network(at, {chain, {8}});
  auto join = [&](const win::Clock& clock) {
    CRoutePathList open, arrivals;
    CRoutePath start;
    start.origin = {nodes[0], 0};
    start.estimate1 = 0;
    start.estimate2 = 100000;
    open.Insert(start);
    CRoutePath end;
    end.origin = {nodes[8], 0};
    end.estimate1 = 1000;
    end.estimate2 = 0;
    arrivals.Insert(end);
    CRoutePath dep, arr;
    int expansions = 0;
    EXPECT_TRUE(JoinPaths(open, arrivals, 2, 50, 0, 50, 10, clock, dep, arr, &expansions));
    EXPECT_TRUE(dep.steps.empty());
    return expansions;
  };
  win::FakeClock frozen;
  EXPECT_EQ(8, join(frozen));  // the whole chain, then the list is empty
  SteppingClock stepping;      // a second per reading: past the 1 s limit at the second path
  EXPECT_EQ(1, join(stepping));
}

TEST_F(AirwaySearchTest, NearestNavaidAlongTheAirwayBecomesAHiddenTurnPoint) {
  // A chain east along latitude 55 whose fifth node stands for a VOR; two co-located nodes
  // linked both ways on a second airway at the start must not loop the search.
  const std::vector<int> nodes =
      Network({{55, 1}, {55, 1.3}, {55, 1.6}, {55, 1.9}, {55, 2.2}, {55, 1}}, {{0, 1, 2, 3, 4}, {0, 5, 0}});
  const VorRecord vor = navdbtest::Vor("VTP", 113.5f);
  navdbtest::AddPointAt(g_SceneryDatabase, 55, 2.2, kKindVor, &vor);
  int vorIndex = -1;
  for (int k = 0; k < g_SceneryDatabase.m_vors.GetSize(); ++k)
    if (g_SceneryDatabase.m_vors[k].latitude == 55.0f) vorIndex = k;
  ASSERT_GE(vorIndex, 0);
  const CNavPointArray& points = g_SceneryDatabase.m_intersections;
  IntersectionRecord* record = g_SceneryDatabase.GetIntersection(points[nodes[4]]);
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
  const CNavPointArray& points = g_SceneryDatabase.m_intersections;
  struct Damage {
    int node;
    int8_t slot;
    int32_t neighbour;
  };
  for (const Damage& d : {Damage{0, -3, nodes[1]}, Damage{1, 100, nodes[0]}, Damage{1, 0, 1 << 30},
                          Damage{2, 0, -7}, Damage{0, 0, nodes[0]}}) {
    AirwaySegment* segs = g_SceneryDatabase.GetIntersectionSegments(points[nodes[static_cast<size_t>(d.node)]]);
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

}  // namespace
