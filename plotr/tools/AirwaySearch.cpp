#include "plotr/tools/AirwaySearch.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <limits>
#include <map>
#include <unordered_map>

#include "navdb/Geodesy.h"
#include "navdb/Payloads.h"
#include "plotr/plan/DatabaseAccess.h"
#include "platform/win/Clock.h"

namespace {

constexpr double kMaxTurn = 110.5;
constexpr double kMinEntryDistance = 5556.0;
constexpr double kMaxEntryRadius = 370400.0;
constexpr double kExpansionSlack = 9260.0;
constexpr int kMaxCandidates = 20;
constexpr size_t kShortExpansionSteps = 4;
constexpr double kHalfCircumference = 2.00035e7;

double Turn(double a, double b) {
  const double d = std::fabs(a - b);
  return d > 180.0 ? 360.0 - d : d;
}

// The intersection records read by value, every index checked.
class Network {
 public:
  Network() : m_db(DatabaseLease::HeldDatabase()), m_points(DatabaseLease::HeldDatabase().m_intersections) {}

  bool Valid(int32_t node) const { return node >= 0 && node < m_points.GetSize() && Header(node, nullptr); }
  int32_t Count() const { return m_points.GetSize(); }
  const NavPoint& Point(int32_t node) const { return m_points[node]; }
  double Lat(int32_t node) const { return m_points[node].latitude; }
  double Lon(int32_t node) const { return m_points[node].longitude; }

  // The record of a stored intersection point; false when its payload is missing or runs past
  // the pool.
  bool HeaderOf(const NavPoint& p, IntersectionRecord* out) const {
    const int32_t offset = p.PayloadOffset();
    if (offset < 0) return false;
    const int64_t pool = m_db.GetPoolLength();
    if (offset + static_cast<int64_t>(sizeof(IntersectionRecord)) > pool) return false;
    IntersectionRecord r;
    std::memcpy(&r, m_db.GetIntersection(p), sizeof r);
    if (offset + static_cast<int64_t>(r.PayloadSize()) > pool) return false;
    if (out) *out = r;
    return true;
  }
  bool Header(int32_t node, IntersectionRecord* out) const {
    if (node < 0 || node >= m_points.GetSize()) return false;
    return HeaderOf(m_points[node], out);
  }
  int SegmentCount(int32_t node) const {
    IntersectionRecord r;
    return Header(node, &r) ? r.segmentCount : 0;
  }
  bool SegmentOf(const NavPoint& p, int k, AirwaySegment& out) const {
    IntersectionRecord r;
    if (!HeaderOf(p, &r) || k < 0 || k >= r.segmentCount) return false;
    std::memcpy(&out, reinterpret_cast<const uint8_t*>(m_db.GetIntersectionSegments(p)) + k * sizeof(AirwaySegment),
                sizeof out);
    return true;
  }
  bool Segment(int32_t node, int k, AirwaySegment& out) const {
    return node >= 0 && node < m_points.GetSize() && SegmentOf(m_points[node], k, out);
  }
  // The neighbour of a direction entry when it names a valid intersection, else -1.
  int32_t Neighbour(const SegmentHalf& h) const { return Valid(h.neighbour) ? h.neighbour : -1; }

  // The node of a stored intersection read back through its first linked neighbour.
  int32_t ReadBack(const NavPoint& p) const {
    IntersectionRecord r;
    if (!HeaderOf(p, &r)) return -1;
    for (int k = 0; k < r.segmentCount; ++k) {
      AirwaySegment s;
      if (!SegmentOf(p, k, s)) return -1;
      for (int h = 0; h < 2; ++h) {
        const int32_t nb = Neighbour(s.half[h]);
        if (nb < 0) continue;
        AirwaySegment back;
        if (!Segment(nb, s.half[h].slot, back)) return -1;
        const int32_t self = back.half[1 - h].neighbour;
        return Valid(self) ? self : -1;
      }
    }
    return -1;
  }

  // The VOR or NDB the intersection stands for, when the record links one.
  bool LinkedNavaid(int32_t node, NavPoint& out) const {
    IntersectionRecord r;
    if (!Header(node, &r) || r.navaid < 0) return false;
    const int kind = r.type & 0x0F;
    const CNavPointArray& array = kind == 3 ? m_db.m_vors : kind == 4 ? m_db.m_ndbs : m_points;
    if (&array == &m_points || r.navaid >= array.GetSize()) return false;
    out = array[r.navaid];
    return true;
  }

 private:
  const CSceneryDatabase& m_db;
  const CNavPointArray& m_points;
};

thread_local JoinWatch* t_joinWatch = nullptr;

}  // namespace

JoinWatch::JoinWatch() : m_outer(t_joinWatch) { t_joinWatch = this; }
JoinWatch::~JoinWatch() { t_joinWatch = m_outer; }

bool CRoutePath::Contains(int32_t node) const {
  if (origin.node == node) return true;
  return std::any_of(steps.begin(), steps.end(), [node](const RouteStep& s) { return s.node == node; });
}

double CRoutePath::CostAt(int32_t node) const {
  for (auto it = steps.rbegin(); it != steps.rend(); ++it)
    if (it->node == node) return it->cost;
  return origin.cost;
}

int CRoutePathList::Best() const {
  int best = -1;
  double score = 0;
  for (int i = static_cast<int>(paths.size()) - 1; i >= 0; --i) {
    const double s = paths[static_cast<size_t>(i)].Score();
    if (best < 0 || s < score) {
      best = i;
      score = s;
    }
  }
  return best;
}

int CRoutePathList::Insert(const CRoutePath& path) {
  const int32_t n = path.EndNode();
  for (int i = static_cast<int>(paths.size()) - 1; i >= 0; --i) {
    CRoutePath& existing = paths[static_cast<size_t>(i)];
    if (!existing.Contains(n)) continue;
    if (path.Cost() + 2 * path.estimate1 < existing.CostAt(n) + 2 * existing.estimate1) {
      existing = path;
      return i;
    }
    return -1;
  }
  paths.push_back(path);
  return static_cast<int>(paths.size()) - 1;
}

int32_t AirwayNodeOf(const NavPoint& point, uint16_t selection) {
  if ((point.kind & selection) == 0) return -1;
  const Network net;
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  int32_t link = -1;
  if (point.kind >= kKindVor && point.kind <= kKindVor + 3) {
    const VorRecord* v = db.GetVor(point);
    if (!v || point.PayloadOffset() + static_cast<int64_t>(sizeof(VorRecord)) > db.GetPoolLength()) return -1;
    VorRecord r;
    std::memcpy(&r, v, sizeof r);
    link = r.intersection;
  } else if (point.kind >= kKindNdb && point.kind <= kKindNdb + 3) {
    const NdbRecord* n = db.GetNdb(point);
    if (!n || point.PayloadOffset() + static_cast<int64_t>(sizeof(NdbRecord)) > db.GetPoolLength()) return -1;
    NdbRecord r;
    std::memcpy(&r, n, sizeof r);
    link = r.intersection;
  } else if (point.kind >= kKindIntersection && point.kind <= kKindIntersection + 3) {
    return net.ReadBack(point);
  } else {
    return -1;
  }
  if (link < 0 || link >= db.m_intersections.GetSize()) return -1;
  return net.ReadBack(db.m_intersections[link]);
}

namespace {

// Breadth-first growth of a few low-airway hops; paths ending on a node of kind bit 1 go into
// the result set.
void ShortExpansion(std::deque<CRoutePath> queue, bool departure, double targetLat, double targetLon,
                    CRoutePathList& result) {
  const Network net;
  while (!queue.empty()) {
    const CRoutePath q = queue.front();
    queue.pop_front();
    const int32_t end = q.EndNode();
    if (!net.Valid(end)) continue;
    if (net.Point(end).kind & 2) result.Insert(q);
    if (q.steps.size() >= kShortExpansionSteps) continue;
    const double estimate = departure ? q.estimate2 : q.estimate1;
    for (int k = 0, n = net.SegmentCount(end); k < n; ++k) {
      AirwaySegment s;
      if (!net.Segment(end, k, s)) break;
      for (const SegmentHalf& h : s.half) {
        const int32_t nb = net.Neighbour(h);
        if (!(h.flags & 2) || nb < 0 || q.Contains(nb)) continue;
        const double toTarget = GreatCircleDistance(net.Lat(nb), net.Lon(nb), targetLat, targetLon);
        if (toTarget > estimate + kExpansionSlack) continue;
        if (departure) {
          if (!(h.flags & 1)) continue;
        } else {
          bool back = false;
          for (int j = 0, m = net.SegmentCount(nb); j < m && !back; ++j) {
            AirwaySegment b;
            if (!net.Segment(nb, j, b)) break;
            for (const SegmentHalf& bh : b.half) back = back || (bh.neighbour == end && (bh.flags & 3) == 3);
          }
          if (!back) continue;
        }
        const double course = departure ? InitialCourse(net.Lat(end), net.Lon(end), net.Lat(nb), net.Lon(nb))
                                         : InitialCourse(net.Lat(nb), net.Lon(nb), net.Lat(end), net.Lon(end));
        if (q.lastCourse >= 0 && !(Turn(q.lastCourse, course) < kMaxTurn)) continue;
        CRoutePath child = q;
        child.steps.push_back({nb, q.Cost() + GreatCircleDistance(net.Lat(end), net.Lon(end), net.Lat(nb), net.Lon(nb))});
        child.lastCourse = course;
        (departure ? child.estimate2 : child.estimate1) = toTarget;
        queue.push_back(std::move(child));
      }
    }
  }
}

}  // namespace

void FindEntryPaths(const CRoute& route, const NavPoint& p, const NavPoint& target, int airwayClass, bool departure,
                    const PathOrigin& origin, CRoutePathList& result) {
  const double targetLat = target.latitude;
  const double targetLon = target.longitude;
  const double originCost = origin.cost;
  const double incomingCourse = origin.course;
  const uint16_t kind = p.kind;
  const double toTarget = GreatCircleDistance(p.latitude, p.longitude, targetLat, targetLon);
  auto originPath = [&](int32_t node) {
    CRoutePath path;
    path.airport = origin.airport;
    path.group = origin.group;
    path.procedure = origin.procedure;
    path.origin = {node, originCost};
    path.lastCourse = incomingCourse;
    path.estimate1 = departure ? 0 : toTarget;
    path.estimate2 = departure ? toTarget : 0;
    return path;
  };
  if (airwayClass == 1 && (kind & 2) && !(kind & 1)) return;
  if (airwayClass == 0 || (airwayClass == 1 && (kind & 1))) {
    result.Insert(originPath(airwayClass == 0 ? -1 : AirwayNodeOf(p, 1)));
    return;
  }
  const uint16_t selection = static_cast<uint16_t>(airwayClass | 1);
  std::deque<CRoutePath> queue;
  if (airwayClass == 2 && (kind & 3)) {
    const int32_t node = AirwayNodeOf(p, 3);
    if (node >= 0) queue.push_back(originPath(node));
  } else {
    std::vector<FullPoint> found;
    double radius = std::min(0.49 * toTarget, kMaxEntryRadius);
    if (route.FindObjects(found, radius, p.latitude, p.longitude, selection, true, false) && !found.empty()) {
      const NavPoint& farthest = found.back().point;
      const double far = GreatCircleDistance(p.latitude, p.longitude, farthest.latitude, farthest.longitude);
      for (int i = 0; i < static_cast<int>(found.size()) && i < kMaxCandidates; ++i) {
        const NavPoint& c = found[static_cast<size_t>(i)].point;
        const double course = departure ? InitialCourse(p.latitude, p.longitude, c.latitude, c.longitude)
                                        : InitialCourse(c.latitude, c.longitude, p.latitude, p.longitude);
        if (incomingCourse >= 0 && Turn(incomingCourse, course) > kMaxTurn) continue;
        const double d = GreatCircleDistance(p.latitude, p.longitude, c.latitude, c.longitude);
        if (d < kMinEntryDistance) continue;
        const int32_t node = AirwayNodeOf(c, selection);
        if (node < 0) continue;
        CRoutePath path = originPath(-1);
        path.steps.push_back({node, originCost != 0 ? originCost + 2 * d : far - d});
        path.lastCourse = course;
        const double estimate = GreatCircleDistance(c.latitude, c.longitude, targetLat, targetLon);
        path.estimate1 = departure ? 0 : estimate;
        path.estimate2 = departure ? estimate : 0;
        queue.push_back(std::move(path));
      }
    }
  }
  ShortExpansion(std::move(queue), departure, targetLat, targetLon, result);
}

namespace {

// The join's open list with the answers of CRoutePathList (best: the smallest score, ties to the
// highest position; insert: the highest-positioned path holding the new end node is replaced
// when the new one is cheaper there, else the new one is dropped) without its scans: a heap
// keyed by (score, position) and, per network node, the open paths holding it. A path keeps
// its slot for life, and slots are numbered in list order: erasing a path moves no other one
// past another, so a slot number orders paths as their list positions do.
class OpenPaths {
 public:
  OpenPaths(std::vector<CRoutePath>& paths, int32_t nodeCount)
      : m_holders(static_cast<size_t>(std::max<int32_t>(nodeCount, 0))), m_live(m_holders.size(), 0) {
    for (CRoutePath& path : paths) Append(std::move(path));
    paths.clear();
  }

  // The slot of the best open path, -1 when none is left.
  int Best() {
    while (!m_heap.empty()) {
      const Entry& top = m_heap.front();
      if (Live(top.slot, top.version)) return top.slot;
      std::pop_heap(m_heap.begin(), m_heap.end(), Later);
      m_heap.pop_back();
    }
    return -1;
  }
  const CRoutePath& Path(int slot) const { return m_slots[static_cast<size_t>(slot)].path; }

  // The new path's end node is a node of the network: only such nodes are looked up, so only
  // they are indexed.
  void Insert(CRoutePath path) {
    const int last = LastHolder(path.EndNode());
    if (last < 0) {
      Append(std::move(path));
      return;
    }
    Slot& slot = m_slots[static_cast<size_t>(last)];
    const int32_t n = path.EndNode();
    if (!(path.Cost() + 2 * path.estimate1 < slot.path.CostAt(n) + 2 * slot.path.estimate1)) return;
    Unindex(last);
    slot.path = std::move(path);
    ++slot.version;
    Index(last);
  }

  void Remove(int slot) {
    Unindex(slot);
    Slot& s = m_slots[static_cast<size_t>(slot)];
    s.open = false;
    s.path = CRoutePath{};
  }

  // The open paths in list order.
  void TakeRemaining(std::vector<CRoutePath>& out) {
    for (Slot& slot : m_slots)
      if (slot.open) out.push_back(std::move(slot.path));
  }

 private:
  struct Slot {
    CRoutePath path;
    uint32_t version = 0;
    bool open = true;
  };
  struct Entry {
    double score;
    int slot;
    uint32_t version;
  };
  // A slot as it was when it was indexed: stale once the slot is replaced or closed.
  struct Holder {
    int slot;
    uint32_t version;
  };
  // Heap order: the entry that must come out later compares less.
  static bool Later(const Entry& a, const Entry& b) {
    return a.score > b.score || (a.score == b.score && a.slot < b.slot);
  }
  bool Live(int slot, uint32_t version) const {
    const Slot& s = m_slots[static_cast<size_t>(slot)];
    return s.open && s.version == version;
  }
  bool Indexed(int32_t node) const { return node >= 0 && static_cast<size_t>(node) < m_holders.size(); }

  // A node's holders stay sorted by slot; stale ones are dropped lazily, from the back on a look-up
  // and all at once when they outnumber the live ones.
  int LastHolder(int32_t node) {
    if (!Indexed(node)) return -1;
    std::vector<Holder>& list = m_holders[static_cast<size_t>(node)];
    while (!list.empty() && !Live(list.back().slot, list.back().version)) list.pop_back();
    return list.empty() ? -1 : list.back().slot;
  }

  void Append(CRoutePath path) {
    m_slots.push_back({std::move(path), 0, true});
    Index(static_cast<int>(m_slots.size()) - 1);
  }
  void Index(int slot) {
    const Slot& s = m_slots[static_cast<size_t>(slot)];
    const Holder holder{slot, s.version};
    auto add = [&](int32_t node) {
      if (!Indexed(node)) return;
      std::vector<Holder>& list = m_holders[static_cast<size_t>(node)];
      if (list.empty() || list.back().slot <= slot) {
        list.push_back(holder);
      } else {
        const auto at = std::upper_bound(list.begin(), list.end(), slot,
                                         [](int value, const Holder& h) { return value < h.slot; });
        list.insert(at, holder);
      }
      const uint32_t live = ++m_live[static_cast<size_t>(node)];
      if (list.size() > 2 * static_cast<size_t>(live) + 16) {
        std::erase_if(list, [this](const Holder& h) { return !Live(h.slot, h.version); });
      }
    };
    add(s.path.origin.node);
    for (const RouteStep& step : s.path.steps) add(step.node);
    m_heap.push_back({s.path.Score(), slot, s.version});
    std::push_heap(m_heap.begin(), m_heap.end(), Later);
  }
  // Called while the slot still holds the path being dropped, before its version moves on.
  void Unindex(int slot) {
    const Slot& s = m_slots[static_cast<size_t>(slot)];
    auto drop = [&](int32_t node) {
      if (Indexed(node)) --m_live[static_cast<size_t>(node)];
    };
    drop(s.path.origin.node);
    for (const RouteStep& step : s.path.steps) drop(step.node);
  }

  std::vector<Slot> m_slots;
  std::vector<Entry> m_heap;
  std::vector<std::vector<Holder>> m_holders;  // by node
  std::vector<uint32_t> m_live;                // live holders by node
};

}  // namespace

bool JoinPaths(CRoutePathList& departures, const CRoutePathList& arrivals, int airwayClass, double startLat,
               double startLon, double endLat, double endLon, const win::Clock& clock, CRoutePath& bestDeparture,
               CRoutePath& bestArrival, int* expansions) {
  if (departures.paths.empty() || arrivals.paths.empty()) return false;
  JoinWatch* const watch = t_joinWatch;
  if (watch) {
    ++watch->joins;
    watch->departures = departures;
    watch->arrivals = arrivals;
    watch->airwayClass = airwayClass;
    watch->started = watch->lastChange = std::chrono::steady_clock::now();
    watch->paired = false;
    watch->pairCost = kRouteFltMax;
  }
  const Network net;
  const double span = GreatCircleDistance(startLat, startLon, endLat, endLon);
  const int64_t patience = std::max<int64_t>(1, static_cast<int64_t>(10 * span / kHalfCircumference));
  bestDeparture = CRoutePath{};
  bestArrival = CRoutePath{};
  bool paired = false;
  // The arrival paths by end node in set order, and the cheapest arrival at each valid end node:
  // the estimate of a child is the same smallest sum over nodes as over paths.
  std::unordered_map<int32_t, std::vector<const CRoutePath*>> arrivalsAt;
  std::map<int32_t, double> cheapestAt;
  for (const CRoutePath& a : arrivals.paths) {
    const int32_t an = a.EndNode();
    arrivalsAt[an].push_back(&a);
    if (!net.Valid(an)) continue;
    const auto [it, added] = cheapestAt.emplace(an, a.Cost());
    if (!added) it->second = std::min(it->second, a.Cost());
  }
  struct ArrivalEnd {
    double lat, lon, cost;
  };
  std::vector<ArrivalEnd> arrivalEnds;
  for (const auto& [an, cheapest] : cheapestAt) arrivalEnds.push_back({net.Lat(an), net.Lon(an), cheapest});
  OpenPaths open(departures.paths, net.Count());
  // Whole steady seconds: a step of the system clock neither ends nor stretches the wait.
  const auto seconds = [&clock] { return static_cast<int64_t>(clock.TickCount() / 1000u); };
  const int64_t started = seconds();
  int64_t mark = started;
  int expanded = 0;
  for (;;) {
    const int qi = open.Best();
    if (qi < 0) break;
    const CRoutePath q = open.Path(qi);
    const int64_t now = seconds();
    // Until a pair exists every path beats the empty best, so the mark stays at the start.
    if (paired && q.Score() < bestDeparture.Score()) {
      mark = now;
    } else if (now - mark > patience) {
      break;
    }
    const int32_t end = q.EndNode();
    bool took = false;
    if (const auto at = arrivalsAt.find(end); at != arrivalsAt.end()) {
      for (const CRoutePath* a : at->second) {
        if (q.Cost() + a->Cost() < bestDeparture.Cost() + bestArrival.Cost() &&
            (q.lastCourse < 0 || Turn(q.lastCourse, a->lastCourse) <= kMaxTurn)) {
          bestDeparture = q;
          bestDeparture.estimate2 = a->Cost();
          bestArrival = *a;
          took = true;
          paired = true;
        }
      }
    }
    if (took && watch) {
      watch->lastChange = std::chrono::steady_clock::now();
      watch->paired = true;
      watch->pairCost = bestDeparture.Cost() + bestArrival.Cost();
    }
    if (!took && net.Valid(end)) {
      ++expanded;
      std::vector<CRoutePath> children;
      for (int k = 0, n = net.SegmentCount(end); k < n; ++k) {
        AirwaySegment s;
        if (!net.Segment(end, k, s)) break;
        for (const SegmentHalf& h : s.half) {
          const int32_t nb = net.Neighbour(h);
          if (!(((h.flags >> 1) & 3) & airwayClass) || !(h.flags & 1) || nb < 0 || q.Contains(nb)) continue;
          const double course = InitialCourse(net.Lat(end), net.Lon(end), net.Lat(nb), net.Lon(nb));
          if (q.lastCourse >= 0 && Turn(q.lastCourse, course) > kMaxTurn) continue;
          const double cost = q.Cost() + GreatCircleDistance(net.Lat(end), net.Lon(end), net.Lat(nb), net.Lon(nb));
          if (!(cost < 3 * span)) continue;
          CRoutePath child = q;
          child.steps.push_back({nb, cost});
          child.lastCourse = course;
          double estimate = kRouteFltMax;
          for (const ArrivalEnd& a : arrivalEnds)
            estimate = std::min(estimate, GreatCircleDistance(net.Lat(nb), net.Lon(nb), a.lat, a.lon) + a.cost);
          child.estimate2 = estimate;
          children.push_back(std::move(child));
        }
      }
      // q holds none of the children's end nodes, so none of them can take q's place.
      for (CRoutePath& child : children) open.Insert(std::move(child));
    }
    open.Remove(qi);
  }
  open.TakeRemaining(departures.paths);
  if (!bestDeparture.steps.empty() && bestDeparture.EndNode() == bestArrival.EndNode()) bestDeparture.steps.pop_back();
  if (expansions) *expansions = expanded;
  if (watch) watch->expansions += expanded;
  return true;
}

int InsertAirwayNodes(CRoute& route, int& end, const CRoutePath& departure, const CRoutePath& arrival) {
  const Network net;
  std::vector<int32_t> nodes;
  for (const RouteStep& step : departure.steps) nodes.push_back(step.node);
  for (auto it = arrival.steps.rbegin(); it != arrival.steps.rend(); ++it) nodes.push_back(it->node);
  int inserted = 0;
  for (const int32_t node : nodes) {
    if (!net.Valid(node)) continue;
    NavPoint key = net.Point(node);
    NavPoint navaid;
    if (net.LinkedNavaid(node, navaid)) key = navaid;
    PlanPoint point;
    if (!route.Resolve(point.ref, key)) point.ref.point = key;
    point.flags |= kPointAutoRoute;
    const int before = route.GetCount();
    route.InsertPoint(end, point);
    if (route.GetCount() > before) {
      ++end;
      ++inserted;
    }
  }
  return inserted;
}

int FindAirwayLeg(CRoute& route, int start, int& end, int airwayClass, const win::Clock& clock,
                  const PathOrigin& departure, const PathOrigin& arrival) {
  const NavPoint s = route[start].ref.point;
  const NavPoint e = route[end].ref.point;
  CRoutePathList departures, arrivals;
  FindEntryPaths(route, s, e, airwayClass, true, departure, departures);
  FindEntryPaths(route, e, s, airwayClass, false, arrival, arrivals);
  CRoutePath dep, arr;
  if (!JoinPaths(departures, arrivals, airwayClass, s.latitude, s.longitude, e.latitude, e.longitude, clock, dep, arr))
    return -1;
  return InsertAirwayNodes(route, end, dep, arr);
}

namespace {

bool IsNavaid(uint16_t kind) { return (kind >= kKindNdb && kind <= kKindNdb + 3) || (kind >= kKindVor && kind <= kKindVor + 3); }

// Whether the two points lie on one airway of the class; `course` gets the course along it.
bool ShareAirway(const Network& net, const PlanPoint& earlier, const PlanPoint& later, uint16_t selection,
                 double& course) {
  const int32_t a = AirwayNodeOf(earlier.ref.point, selection);
  const int32_t b = AirwayNodeOf(later.ref.point, selection);
  if (a < 0 || b < 0) return false;
  for (int k = 0, n = net.SegmentCount(b); k < n; ++k) {
    AirwaySegment s;
    if (!net.Segment(b, k, s)) break;
    if (s.IsEmpty()) continue;
    for (const SegmentHalf& h : s.half) {
      if (h.neighbour == a) {
        course = InitialCourse(earlier.ref.point.latitude, earlier.ref.point.longitude, later.ref.point.latitude,
                               later.ref.point.longitude);
        return true;
      }
    }
  }
  return false;
}

struct NearestSearch {
  const Network& net;
  double course;
  double best = std::numeric_limits<double>::max();
  int32_t result = -1;
  std::vector<int32_t> path;

  void From(int32_t node, int32_t previous, double turn, double distance) {
    path.push_back(node);
    for (int k = 0, n = net.SegmentCount(node); k < n; ++k) {
      AirwaySegment s;
      if (!net.Segment(node, k, s)) break;
      if (s.IsEmpty()) continue;
      for (const SegmentHalf& h : s.half) {
        const int32_t nb = net.Neighbour(h);
        // Never back onto the current path: co-located intersections would loop for ever.
        if (nb < 0 || nb == previous || std::find(path.begin(), path.end(), nb) != path.end()) continue;
        const double c = InitialCourse(net.Lat(node), net.Lon(node), net.Lat(nb), net.Lon(nb));
        const double hop = GreatCircleDistance(net.Lat(node), net.Lon(node), net.Lat(nb), net.Lon(nb));
        // A hop between co-located intersections has no course of its own.
        const double deviation = hop == 0 ? 0 : std::min(Turn(course, c), Turn(course, std::fmod(c + 180.0, 360.0)));
        if (turn + deviation > 4.0 || distance + hop > 200000.0) continue;
        NavPoint navaid;
        if (net.LinkedNavaid(nb, navaid)) {
          if (distance + hop < best) {
            best = distance + hop;
            result = nb;
          }
          continue;
        }
        From(nb, node, turn + deviation, distance + hop);
      }
    }
    path.pop_back();
  }
};

}  // namespace

int32_t FindNearestSegment(int32_t node, double course) {
  const Network net;
  if (!net.Valid(node)) return -1;
  NearestSearch search{net, course, std::numeric_limits<double>::max(), -1, {}};
  search.From(node, -1, 0, 0);
  return search.result;
}

void InsertAirwayTurnPoints(CRoute& route, int airwayClass) {
  const Network net;
  const uint16_t selection = static_cast<uint16_t>(airwayClass | 1);
  auto nextVisible = [&route](int i) {
    for (++i; i < route.GetCount(); ++i)
      if (!route[i].IsBearing()) return i;
    return -1;
  };
  bool covered = false;
  double turned = 0;
  double lastCourse = 0;
  int previous = 0;
  for (int cur = nextVisible(0); cur > 0 && route.GetCount() > 0; previous = cur, cur = nextVisible(cur)) {
    double k = 0;
    if (!ShareAirway(net, route[previous], route[cur], selection, k)) {
      covered = false;
      continue;
    }
    if (covered) {
      turned += Turn(lastCourse, k);
      if (turned > 5.0) covered = false;
    }
    if (IsNavaid(route[previous].Kind())) {
      turned = 0;
      covered = true;
    }
    if (!covered) {
      // The look-ahead starts at the point itself: a navaid there is the traceable point already,
      // and a hidden copy of it before it would be one waypoint twice.
      double sum = 0, along = k;
      for (int p = previous, n = cur; n > 0; p = n, n = nextVisible(n)) {
        double kn = 0;
        if (!ShareAirway(net, route[p], route[n], selection, kn)) break;
        sum += Turn(along, kn);
        along = kn;
        if (sum > 5.0) break;
        if (IsNavaid(route[n].Kind())) {
          turned = 0;
          covered = true;
          break;
        }
      }
    }
    if (!covered) {
      if (cur == previous + 1) {
        const int32_t found = FindNearestSegment(AirwayNodeOf(route[previous].ref.point, selection), k);
        NavPoint navaid;
        PlanPoint point;
        if (found >= 0 && net.LinkedNavaid(found, navaid) && route.Resolve(point.ref, navaid)) {
          point.flags = kPointBearing | kPointAutoRoute;
          route.InsertPoint(cur, point);
          if (route.GetCount() > 0 && route[cur].IsBearing()) ++cur;
          turned = 0;
          covered = true;
        }
      } else {
        turned = 0;
        covered = true;
      }
    }
    lastCourse = k;
  }
}
