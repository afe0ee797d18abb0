#pragma once

// The airway network search of the route finder: entry and exit paths grown a few hops into the
// network from both ends of a leg, joined by a best-first search. Every look-up reads the
// database's intersection records as hostile: a bad index, slot or payload is "no neighbour".

#include <chrono>
#include <cstdint>
#include <vector>

#include "plotr/plan/Route.h"

namespace win {
class Clock;
}

inline constexpr double kRouteFltMax = 3.4028234663852886e38;

struct RouteStep {
  int32_t node = -1;
  double cost = kRouteFltMax;
};

struct CRoutePath {
  std::vector<RouteStep> steps;
  int32_t airport = -1;
  int32_t group = -1;
  int32_t procedure = -1;
  RouteStep origin;
  double estimate1 = kRouteFltMax;
  double lastCourse = -1;
  double estimate2 = kRouteFltMax;

  double Cost() const { return steps.empty() ? origin.cost : steps.back().cost; }
  int32_t EndNode() const { return steps.empty() ? origin.node : steps.back().node; }
  double Score() const { return Cost() + 5 * estimate1 + 2 * estimate2; }
  bool Contains(int32_t node) const;
  // The cost at the node (which the path contains).
  double CostAt(int32_t node) const;
};

struct CRoutePathList {
  std::vector<CRoutePath> paths;
  // The smallest score, the highest index on ties; -1 when empty.
  int Best() const;
  // Appends, or replaces the last path holding the new end node when the new one is cheaper
  // there; the index, or -1 when dropped.
  int Insert(const CRoutePath& path);
};

// The node a point stands for in the network for the kind bits `selection`; -1 for none.
int32_t AirwayNodeOf(const NavPoint& point, uint16_t selection);

// A look into the joins run on this thread while it lives, for measuring the search: what the
// last join started from, when its best pair last changed, and the effort of all of them.
// Watches nest; the innermost one sees the joins.
class JoinWatch {
 public:
  JoinWatch();
  ~JoinWatch();
  JoinWatch(const JoinWatch&) = delete;
  JoinWatch& operator=(const JoinWatch&) = delete;

  int joins = 0;
  int expansions = 0;  // of all the joins
  // Of the last join: its lists as it got them, its class, when it started and when its best
  // pair last changed (its start when no pair was found), and the pair's cost.
  CRoutePathList departures;
  CRoutePathList arrivals;
  int airwayClass = 0;
  std::chrono::steady_clock::time_point started;
  std::chrono::steady_clock::time_point lastChange;
  bool paired = false;
  double pairCost = kRouteFltMax;

 private:
  JoinWatch* m_outer;
};

// Joins the departure paths (the open list, CRoutePathList's rules; afterwards it holds the paths
// still open, in list order) with the arrival paths; `best` gets the pair. False only when a side
// is empty. Patience runs on the clock's steady seconds.
bool JoinPaths(CRoutePathList& departures, const CRoutePathList& arrivals, int airwayClass, double startLat,
               double startLon, double endLat, double endLon, const win::Clock& clock, CRoutePath& bestDeparture,
               CRoutePath& bestArrival, int* expansions = nullptr);

// How a side of a leg reaches the point its paths start from: after a SID (before a STAR), the
// cost of flying it and its last (first) course, and the procedure, which the paths carry so the
// join's pair names the procedure to insert. A plain end: cost 0, no course, no procedure.
struct PathOrigin {
  double cost = 0;
  double course = -1;
  int32_t airport = -1;
  int32_t group = -1;
  int32_t procedure = -1;
};

// Adds the entry (departure) or exit (arrival) paths from the point `from` toward `target` to
// the set, under the set's insert rule: the sets of several procedures share one list.
void FindEntryPaths(const CRoute& route, const NavPoint& from, const NavPoint& target, int airwayClass,
                    bool departure, const PathOrigin& origin, CRoutePathList& into);

// Inserts the joined pair's nodes before `end` (the departure path's in order, then the arrival
// path's in reverse), each as the VOR or NDB its intersection stands for where it has one;
// `end` then names the same point again. The points inserted.
int InsertAirwayNodes(CRoute& route, int& end, const CRoutePath& departure, const CRoutePath& arrival);

// Fills the leg between the points at `start` and `end` along airways of `airwayClass` (1 low,
// 2 high); `end` then names the leg's end point again. The points inserted, -1 when a side has
// no path.
int FindAirwayLeg(CRoute& route, int start, int& end, int airwayClass, const win::Clock& clock,
                  const PathOrigin& departure = {}, const PathOrigin& arrival = {});

// The nearest navaid-linked intersection along `course` from the node (either direction, at most
// 4 degrees of accumulated deviation and 200 km); -1 when none.
int32_t FindNearestSegment(int32_t node, double course);

// Hidden navaid points where a long stretch of airway passes no VOR or NDB, so the way stays
// traceable on the instruments.
void InsertAirwayTurnPoints(CRoute& route, int airwayClass);
