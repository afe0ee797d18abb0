#include "plotr/tools/AutoRoute.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "navdb/Geodesy.h"
#include "navdb/Payloads.h"
#include "platform/win/Clock.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/PlanUi.h"
#include "plotr/plan/ToolDialogs.h"
#include "plotr/tools/AirwaySearch.h"
#include "plotr/tools/SidStarStore.h"

namespace {

// Leg types the finder gives the visible points while it runs.
constexpr uint32_t kLegEnRoute = 0;
constexpr uint32_t kLegArrival = 3;
constexpr uint32_t kLegDeparture = 5;  // -3 in three bits

// An airport and one of its runways closer than this are one stop: arrival, then departure.
constexpr double kStopDistance = 10000.0;

uint32_t LegType(const PlanPoint& p) { return p.legType & kLegTypeMask; }
void SetLegType(PlanPoint& p, uint32_t type) { p.legType = (p.legType & ~kLegTypeMask) | (type & kLegTypeMask); }
bool IsField(const PlanPoint& p) { return (p.Kind() & (kKindAirport | kKindRunway)) != 0; }

double Distance(const PlanPoint& a, const PlanPoint& b) {
  return GreatCircleDistance(a.ref.point.latitude, a.ref.point.longitude, b.ref.point.latitude,
                             b.ref.point.longitude);
}

bool KindIn(uint16_t kind, uint16_t first) { return kind >= first && kind <= first + kKindLevelMask; }

// The finder's points of an earlier run with the hidden points around them, last to first.
void RemoveAutoWaypoints(CRoute& route) {
  for (int i = route.GetCount() - 1; i >= 0; --i) {
    if (i >= route.GetCount() || !(route[i].flags & kPointAutoRoute)) continue;
    route.RemovePoint(i);
    while (i < route.GetCount() && route[i].IsBearing()) route.RemovePoint(i);
    while (i > 0 && route[i - 1].IsBearing()) {
      route.RemovePoint(i - 1);
      --i;
    }
  }
}

// With `mark`: departures, arrivals and stops on the visible points; without: every visible
// point en route again. A field within the stop distance of the field before it (an airport and
// its runway, either way round) continues a stop and departs from it, so no leg is searched
// between them and the last of them starts the next leg with its SIDs.
void MarkRouteLegs(CRoute& route, bool mark) {
  int previous = -1;
  for (int i = 0; i < route.GetCount(); ++i) {
    PlanPoint& p = route[i];
    if (p.IsBearing() && i != 0) continue;
    if (!mark) {
      SetLegType(p, kLegEnRoute);
      continue;
    }
    uint32_t type = kLegEnRoute;
    if (previous < 0) {
      type = IsField(p) ? kLegDeparture : kLegEnRoute;
    } else {
      PlanPoint& before = route[previous];
      const bool stop = IsField(p) && IsField(before) && Distance(before, p) <= kStopDistance;
      // A field that no stop follows is flown through.
      if (!stop && LegType(before) == kLegArrival) SetLegType(before, kLegEnRoute);
      type = !IsField(p) ? kLegEnRoute : stop ? kLegDeparture : kLegArrival;
    }
    SetLegType(p, type);
    previous = i;
  }
}

// Inserts a finder's point before `index`; false when the route could not take it (no free
// user fix id).
bool InsertAutoPoint(CRoute& route, int index, PlanPoint point) {
  point.flags |= kPointAutoRoute;
  const int before = route.GetCount();
  route.InsertPoint(index, point);
  return route.GetCount() > before;
}

// Leg types of the runway handling: the point continuing a departure runway, the point leading
// into an arrival runway, and the smoothing fixes on either side.
constexpr uint32_t kLegRunwayIn = 2;
constexpr uint32_t kLegRunwayOut = 6;
constexpr uint32_t kLegSmoothArrival = 1;
constexpr uint32_t kLegSmoothDeparture = 7;
constexpr uint32_t kPointTurnHint = 1u << 2;  // set on the point before a smoothed arrival turn

constexpr double kMinExtension = 5556.0;
constexpr double kStraightTurn = 10.0;

double LatOf(const PlanPoint& p) { return p.ref.point.latitude; }
double LonOf(const PlanPoint& p) { return p.ref.point.longitude; }
double Course(double lat1, double lon1, double lat2, double lon2) { return InitialCourse(lat1, lon1, lat2, lon2); }
double Course(const PlanPoint& a, const PlanPoint& b) { return Course(LatOf(a), LonOf(a), LatOf(b), LonOf(b)); }
// The smaller angle between two courses, 0 to 180 degrees.
double Turn(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

struct RunwayShape {
  double heading = 0;  // degrees true
  double length = 0;   // metres
};

// The runway's heading and length; false for any other point or a runway without its record.
bool RunwayOf(const PlanPoint& p, RunwayShape& out) {
  if (!KindIn(p.Kind(), kKindRunway)) return false;
  const RunwayRecord* stored = DatabaseLease::HeldDatabase().GetRunway(p.ref.point);
  if (!stored) return false;
  RunwayRecord r;
  std::memcpy(&r, stored, sizeof r);
  out.heading = BinaryAngleToDegrees(r.heading);
  out.length = r.length / kFeetPerMetre;
  return true;
}

int NextVisible(const CRoute& route, int i) {
  for (++i; i < route.GetCount(); ++i)
    if (!route[i].IsBearing()) return i;
  return -1;
}
int PreviousVisible(const CRoute& route, int i) {
  for (--i; i >= 0; --i)
    if (!route[i].IsBearing()) return i;
  return -1;
}

// The VOR or NDB (else the intersection) within 1.5 x `x` of the reference whose course lies
// closest to `heading`, farther than 0.8 x `x` and less than 10 degrees off; `inbound` judges
// the course from the object to the reference.
bool FindExtensionObject(const CRoute& route, FullPoint& out, double lat, double lon, double heading, double x,
                         bool inbound) {
  std::vector<FullPoint> found;
  double radius = 1.5 * x;
  if (!route.FindObjects(found, radius, lat, lon, kKindVor | kKindNdb | kKindIntersection, true, false)) return false;
  for (const bool navaids : {true, false}) {
    const FullPoint* best = nullptr;
    double bestTurn = kStraightTurn;
    for (const FullPoint& f : found) {
      const uint16_t kind = f.point.kind;
      if ((KindIn(kind, kKindVor) || KindIn(kind, kKindNdb)) != navaids) continue;
      if (GreatCircleDistance(lat, lon, f.point.latitude, f.point.longitude) <= 0.8 * x) continue;
      const double course = inbound ? Course(f.point.latitude, f.point.longitude, lat, lon)
                                    : Course(lat, lon, f.point.latitude, f.point.longitude);
      const double turn = Turn(heading, course);
      if (turn < bestTurn) {
        bestTurn = turn;
        best = &f;
      }
    }
    if (best) {
      out = *best;
      return true;
    }
  }
  return false;
}

// At a departure runway `start`: marks the next point as its continuation or inserts one after
// it (and the hidden points after it); `start` then names that point. The points inserted.
int ExtendDepartureRunway(CRoute& route, int& start) {
  RunwayShape rw;
  if (LegType(route[start]) != kLegDeparture || !RunwayOf(route[start], rw)) return 0;
  const double x = std::max(2.5 * rw.length, kMinExtension);
  double endLat = 0, endLon = 0;
  DestinationPoint(endLat, endLon, LatOf(route[start]), LonOf(route[start]), rw.heading, rw.length);
  const int next = NextVisible(route, start);
  if (next >= 0) {
    PlanPoint& n = route[next];
    if (LegType(n) == kLegEnRoute && Turn(rw.heading, Course(endLat, endLon, LatOf(n), LonOf(n))) < kStraightTurn &&
        GreatCircleDistance(endLat, endLon, LatOf(n), LonOf(n)) < 1.5 * x) {
      SetLegType(n, kLegRunwayOut);
      return 0;
    }
  }
  PlanPoint point;
  if (!FindExtensionObject(route, point.ref, endLat, endLon, rw.heading, x, false)) {
    double lat = 0, lon = 0;
    DestinationPoint(lat, lon, endLat, endLon, rw.heading, x);
    CRoute::MakeUserPoint(point.ref.point, lat, lon);
  }
  SetLegType(point, kLegRunwayOut);
  int at = start + 1;
  while (at < route.GetCount() && route[at].IsBearing()) ++at;
  if (!InsertAutoPoint(route, at, point)) return 0;
  start = at;
  return 1;
}

// At an arrival runway `end`: marks the previous point as leading into it or inserts one before
// it; `end` then names that point. The points inserted.
int ExtendArrivalRunway(CRoute& route, int& end) {
  RunwayShape rw;
  if (LegType(route[end]) != kLegArrival || !RunwayOf(route[end], rw)) return 0;
  const double x = std::max(4.0 * rw.length, kMinExtension);
  const double lat = LatOf(route[end]);
  const double lon = LonOf(route[end]);
  const int previous = PreviousVisible(route, end);
  if (previous >= 0) {
    PlanPoint& p = route[previous];
    if (LegType(p) == kLegEnRoute && Turn(rw.heading, Course(LatOf(p), LonOf(p), lat, lon)) < kStraightTurn &&
        GreatCircleDistance(lat, lon, LatOf(p), LonOf(p)) < 1.5 * x) {
      SetLegType(p, kLegRunwayIn);
      return 0;
    }
  }
  PlanPoint point;
  if (!FindExtensionObject(route, point.ref, lat, lon, rw.heading, x, true)) {
    double fixLat = 0, fixLon = 0;
    DestinationPoint(fixLat, fixLon, lat, lon, std::fmod(rw.heading + 180.0, 360.0), x);
    CRoute::MakeUserPoint(point.ref.point, fixLat, fixLon);
  }
  SetLegType(point, kLegRunwayIn);
  if (!InsertAutoPoint(route, end, point)) return 0;
  return 1;
}

// Of the two fixes `x` off `a` square to `course`, the one that turns least on the way on
// (the plus side on equal turns).
PlanPoint SmoothingFix(const PlanPoint& a, double course, double x, const PlanPoint& b, const PlanPoint& c,
                       bool towardB) {
  PlanPoint fixes[2];
  double worst[2];
  for (int side = 0; side < 2; ++side) {
    double lat = 0, lon = 0;
    DestinationPoint(lat, lon, LatOf(a), LonOf(a), std::fmod(course + (side ? 90.0 : 270.0), 360.0), x);
    CRoute::MakeUserPoint(fixes[side].ref.point, lat, lon);
    const PlanPoint& f = fixes[side];
    worst[side] = towardB ? std::max(Turn(Course(a, f), Course(f, b)), Turn(Course(f, b), Course(b, c)))
                          : std::max(Turn(Course(b, f), Course(f, a)), Turn(Course(c, b), Course(b, f)));
  }
  return worst[0] < worst[1] ? fixes[0] : fixes[1];
}

// Removes `at` when the finder placed it; keeps `tracked` naming the same point.
bool RemoveAutoPoint(CRoute& route, int at, int& tracked) {
  if (!(route[at].flags & kPointAutoRoute)) return false;
  route.RemovePoint(at);
  if (at < tracked) --tracked;
  return true;
}

// A fix beside a departure runway's continuation when the way on turns back sharply; points
// too close behind such a turn go. `tracked` keeps naming the same point.
void SmoothDeparture(CRoute& route, int r0, int& tracked) {
  RunwayShape rw;
  if (LegType(route[r0]) != kLegDeparture || !RunwayOf(route[r0], rw)) return;
  const double x = std::max(2.5 * rw.length, kMinExtension);
  for (;;) {
    const int a = NextVisible(route, r0);
    if (a < 0 || LegType(route[a]) != kLegRunwayOut) return;
    const int b = NextVisible(route, a);
    const int c = b < 0 ? -1 : NextVisible(route, b);
    if (b < 0 || c < 0 || LegType(route[b]) == kLegDeparture || LegType(route[c]) == kLegDeparture) return;
    const double ra = Course(route[r0], route[a]);
    const double ab = Course(route[a], route[b]);
    if (LegType(route[b]) == kLegEnRoute) {
      const double bc = Course(route[b], route[c]);
      const double lengthAb = Distance(route[a], route[b]);
      if (((Turn(ra, ab) > 90.0 && lengthAb < 2 * x) || (Turn(ab, bc) > 135.0 && lengthAb < 37040.0)) &&
          RemoveAutoPoint(route, b, tracked))
        continue;
    }
    if (Turn(ra, ab) <= 90.0) return;
    PlanPoint fix = SmoothingFix(route[a], ra, x, route[b], route[c], true);
    SetLegType(fix, kLegSmoothDeparture);
    if (InsertAutoPoint(route, b, fix) && b <= tracked) ++tracked;
    return;
  }
}

// The mirror image before an arrival runway.
void SmoothArrival(CRoute& route, int& runway) {
  RunwayShape rw;
  if (LegType(route[runway]) != kLegArrival || !RunwayOf(route[runway], rw)) return;
  const double x = std::max(3.0 * rw.length, kMinExtension);
  for (;;) {
    const int a = PreviousVisible(route, runway);
    if (a < 0 || LegType(route[a]) != kLegRunwayIn) return;
    const int b = PreviousVisible(route, a);
    const int c = b < 0 ? -1 : PreviousVisible(route, b);
    if (b < 0 || c < 0 || LegType(route[b]) == kLegArrival || LegType(route[c]) == kLegArrival) return;
    const double ar = Course(route[a], route[runway]);
    const double ba = Course(route[b], route[a]);
    const double cb = Course(route[c], route[b]);
    const double lengthBa = Distance(route[b], route[a]);
    if (LegType(route[b]) == kLegEnRoute &&
        ((Turn(ba, ar) > 90.0 && lengthBa < 2 * x) || (Turn(cb, ba) > 135.0 && lengthBa < 37040.0)) &&
        RemoveAutoPoint(route, b, runway))
      continue;
    const double turn = Turn(ba, ar);
    if (turn <= 90.0) {
      if (turn > 45.0 && Turn(cb, ar) > turn + 15.0 && lengthBa < 14816.0) route[b].flags |= kPointTurnHint;
      return;
    }
    PlanPoint fix = SmoothingFix(route[a], ar, x, route[b], route[c], false);
    fix.flags |= kPointTurnHint;
    SetLegType(fix, kLegSmoothArrival);
    if (InsertAutoPoint(route, a, fix)) ++runway;
    return;
  }
}

// A stored procedure that fits a leg's runway, built with its waypoints as stored.
struct ProcedureCandidate {
  int airport = -1;
  int group = -1;
  int procedure = -1;
  CRoute scratch;
  // Where the procedure meets the en-route part: a SID's last point, a STAR's first.
  const PlanPoint& EnRoute(bool isStar) const { return scratch[isStar ? 0 : scratch.GetCount() - 1]; }
  // The course flown at that point: a SID's last leg, a STAR's first.
  double EnRouteCourse(bool isStar) const {
    const int n = scratch.GetCount();
    if (n < 2) return -1;
    return isStar ? Course(scratch[0], scratch[1]) : Course(scratch[n - 2], scratch[n - 1]);
  }
  // A procedure's length counts less than the way on: flying a published procedure is preferred.
  double Cost() const { return 0.8 * scratch.GetLength(); }
};

// Every SID (STAR) of the runway at the departure (arrival) point `at` that fits it: by position,
// heading and runway identifier, and only when none fits so, without the identifier.
std::vector<ProcedureCandidate> MatchingProcedures(CRoute& route, CSidStarStore* store, const PlanPoint& at,
                                                   const AutoRouteDialogValues& v, bool isStar) {
  std::vector<ProcedureCandidate> out;
  if (!store || !(isStar ? v.star : v.sid)) return out;
  RunwayShape rw;
  if (LegType(at) != (isStar ? kLegArrival : kLegDeparture) || !RunwayOf(at, rw)) return out;
  const int airport = store->FindAirport(at, route);
  if (airport < 0 || airport >= store->GetAirportCount()) return out;
  store->LoadAirport(airport, route);
  RunwayRecord record;
  std::memcpy(&record, DatabaseLease::HeldDatabase().GetRunway(at.ref.point), sizeof record);
  char ident[sizeof record.designator + 1] = {};
  std::memcpy(ident, record.designator, sizeof record.designator);
  const int heading = static_cast<int>(std::floor(rw.heading + 0.5));
  CSidStarAirport& stored = store->m_airports[static_cast<size_t>(airport)];
  const CSidStarList& list = isStar ? stored.stars : stored.sids;
  for (const char* runwayIdent : {static_cast<const char*>(ident), static_cast<const char*>(nullptr)}) {
    for (int g = 0; g < static_cast<int>(list.groups.size()); ++g) {
      const CSidStarFixGroup& group = list.groups[static_cast<size_t>(g)];
      for (int p = 0; p < group.GetProcedureCount(); ++p) {
        double limit = kSidStarRunwayRadius;
        if (!group.procedures[static_cast<size_t>(p)].MatchesRunway(LatOf(at), LonOf(at), heading, runwayIdent, limit))
          continue;
        ProcedureCandidate c{airport, g, p, {}};
        if (stored.InsertProcedure(c.scratch, isStar, g, p, false, store->GetFolder()) < 0 || c.scratch.GetCount() == 0)
          continue;
        out.push_back(std::move(c));
      }
    }
    if (!out.empty()) break;
  }
  return out;
}

// The procedure whose en-route end lies cheapest toward `other`: its cost plus the straight
// distance on (the first on equal values); -1 when there is none.
int NearestProcedure(const std::vector<ProcedureCandidate>& candidates, const PlanPoint& other, bool isStar) {
  int best = -1;
  double bestScore = 0;
  for (int k = 0; k < static_cast<int>(candidates.size()); ++k) {
    const ProcedureCandidate& c = candidates[static_cast<size_t>(k)];
    const double score = c.Cost() + Distance(c.EnRoute(isStar), other);
    if (best < 0 || score < bestScore) {
      best = k;
      bestScore = score;
    }
  }
  return best;
}

// A stored procedure by its place in the store; airport -1: none.
struct ProcedureRef {
  int airport = -1;
  int group = -1;
  int procedure = -1;
};
ProcedureRef RefOf(const ProcedureCandidate& c) { return {c.airport, c.group, c.procedure}; }
ProcedureRef RefOf(const CRoutePath& path) { return {path.airport, path.group, path.procedure}; }

// Puts the SID's points after the leg's start (the start then names its last point) or the
// STAR's before its end (the end then names its first point). The points inserted.
int InsertProcedurePoints(CRoute& route, CSidStarStore* store, const ProcedureRef& chosen, bool isStar, int& start,
                          int& end) {
  if (!store || chosen.airport < 0 || chosen.airport >= store->GetAirportCount()) return 0;
  CRoute scratch;
  CSidStarAirport& stored = store->m_airports[static_cast<size_t>(chosen.airport)];
  if (stored.InsertProcedure(scratch, isStar, chosen.group, chosen.procedure, true, store->GetFolder()) < 0 ||
      scratch.GetCount() == 0)
    return 0;
  int inserted = 0;
  if (!isStar) {
    route[start].ref = scratch[0].ref;
    for (int k = 1; k < scratch.GetCount(); ++k) {
      PlanPoint point = scratch[k];
      SetLegType(point, kLegEnRoute);
      if (!InsertAutoPoint(route, end, point)) continue;
      ++inserted;
      ++start;
      ++end;
    }
  } else {
    route[end].ref = scratch[scratch.GetCount() - 1].ref;
    const int runway = end;
    for (int k = scratch.GetCount() - 2; k >= 0; --k) {
      PlanPoint point = scratch[k];
      SetLegType(point, kLegEnRoute);
      if (InsertAutoPoint(route, runway, point)) ++inserted;
    }
  }
  return inserted;
}

// Navaids (or fixes) about `ideal` metres apart between the points at `start` and `end`; the
// number of points inserted before `end`.
int FindNavaidLeg(CRoute& route, int start, int end, double ideal, const AutoRouteDialogValues& v) {
  const int32_t kinds = (v.vor ? kKindVor : 0) | (v.ndb ? kKindNdb : 0) | (v.isec ? kKindIntersection : 0);
  const PlanPoint target = route[end];
  const double endLat = target.ref.point.latitude;
  const double endLon = target.ref.point.longitude;
  double lat = route[start].ref.point.latitude;
  double lon = route[start].ref.point.longitude;
  double t = GreatCircleDistance(lat, lon, endLat, endLon);
  int inserted = 0;
  std::vector<FullPoint> found;
  while (t > ideal) {
    const double o = t <= 2 * ideal ? t / 2 : ideal;
    double idealLat = 0, idealLon = 0;
    PointAlongSegment(idealLat, idealLon, lat, lon, endLat, endLon, o / t);
    double radius = 0.3 * o;
    const FullPoint* chosen = nullptr;
    if (kinds != 0 && route.FindObjects(found, radius, idealLat, idealLon, kinds, true, false)) {
      for (uint16_t first : {kKindVor, kKindNdb, kKindIntersection}) {
        const bool wanted = first == kKindVor ? v.vor : first == kKindNdb ? v.ndb : v.isec;
        if (!wanted) continue;
        for (const FullPoint& f : found) {
          if (KindIn(f.point.kind, first)) {
            chosen = &f;
            break;
          }
        }
        if (chosen) break;
      }
    }
    PlanPoint point;
    if (chosen) {
      point.ref = *chosen;
      lat = chosen->point.latitude;
      lon = chosen->point.longitude;
    } else {
      lat = idealLat;
      lon = idealLon;
    }
    const double next = GreatCircleDistance(lat, lon, endLat, endLon);
    // A float-rounded navaid position never lets the loop stand still.
    if (!(next < t)) break;
    t = next;
    if (!chosen) {
      if (!v.gps) continue;
      CRoute::MakeUserPoint(point.ref.point, idealLat, idealLon);
    }
    if (InsertAutoPoint(route, end + inserted, point)) ++inserted;
  }
  return inserted;
}

// What a leg's search did: whether it succeeded, where its end point now stands and whether a
// procedure took the place of the turn smoothing at either end.
struct LegResult {
  bool ok = true;
  int end = 0;
  bool withSid = false;
  bool withStar = false;
};

// The leg from `start` to `end` from navaid to navaid, after the SID and the STAR that lie
// nearest toward the other end, or the runway extensions.
LegResult NavaidLeg(CRoute& route, CSidStarStore* store, int start, int end, const AutoRouteDialogValues& v) {
  const int distance = std::clamp(v.distance, kAutoRouteMinDistance, kAutoRouteMaxDistance);
  const std::vector<ProcedureCandidate> sids = MatchingProcedures(route, store, route[start], v, false);
  const int sid = NearestProcedure(sids, route[end], false);
  if (sid < 0) end += ExtendDepartureRunway(route, start);
  const std::vector<ProcedureCandidate> stars = MatchingProcedures(route, store, route[end], v, true);
  const int star = NearestProcedure(stars, route[start], true);
  const int extended = star >= 0 ? 0 : ExtendArrivalRunway(route, end);
  if (sid >= 0) InsertProcedurePoints(route, store, RefOf(sids[static_cast<size_t>(sid)]), false, start, end);
  // The STAR's points go behind the leg's end index, which then names their first.
  const int starPoints =
      star >= 0 ? InsertProcedurePoints(route, store, RefOf(stars[static_cast<size_t>(star)]), true, start, end) : 0;
  const int found = FindNavaidLeg(route, start, end, distance * kMetresPerNm, v);
  return {true, end + extended + starPoints + found, sid >= 0, star >= 0};
}

// Adds one side's paths into the airway network: those after every SID (before every STAR) that
// fits the runway, each path naming its procedure, or, when none of them enters the network, the
// paths from the runway's extension (or the plan point). The extension moves `start` (`end`)
// onto itself; `other` is the leg's other end, which each side's paths head for.
int AddSidePaths(CRoute& route, CSidStarStore* store, int& at, int& other, bool isStar, int airwayClass,
                 const AutoRouteDialogValues& v, CRoutePathList& paths) {
  for (const ProcedureCandidate& c : MatchingProcedures(route, store, route[at], v, isStar)) {
    const PathOrigin origin{c.Cost(), c.EnRouteCourse(isStar), c.airport, c.group, c.procedure};
    FindEntryPaths(route, c.EnRoute(isStar).ref.point, route[other].ref.point, airwayClass, !isStar, origin, paths);
  }
  if (!paths.paths.empty()) return 0;
  int extension = 0;
  if (isStar) {
    extension = ExtendArrivalRunway(route, at);
  } else {
    extension = ExtendDepartureRunway(route, at);
    other += extension;
  }
  FindEntryPaths(route, route[at].ref.point, route[other].ref.point, airwayClass, !isStar, {}, paths);
  return extension;
}

// The leg from `start` to `end` along airways: both sides' paths joined, and the SID and STAR
// the joined pair starts and ends with inserted before its nodes.
LegResult AirwayLeg(CRoute& route, CSidStarStore* store, int start, int end, const AutoRouteDialogValues& v,
                    const win::Clock* clock) {
  const int airwayClass = v.routeType == kAutoRouteLowAirways ? 1 : 2;
  CRoutePathList departures, arrivals;
  const int departureExtension = AddSidePaths(route, store, start, end, false, airwayClass, v, departures);
  const int arrivalExtension = AddSidePaths(route, store, end, start, true, airwayClass, v, arrivals);
  const NavPoint s = route[start].ref.point;
  const NavPoint e = route[end].ref.point;
  CRoutePath dep, arr;
  const bool joined = JoinPaths(departures, arrivals, airwayClass, s.latitude, s.longitude, e.latitude, e.longitude,
                                clock ? *clock : win::SystemClock(), dep, arr);
  if (!joined) return {false, end + arrivalExtension, false, false};
  const int sidPoints = InsertProcedurePoints(route, store, RefOf(dep), false, start, end);
  const int starPoints = InsertProcedurePoints(route, store, RefOf(arr), true, start, end);
  const int nodes = InsertAirwayNodes(route, end, dep, arr);
  const bool ok = nodes + departureExtension + arrivalExtension + sidPoints + starPoints > 0;
  return {ok, end + arrivalExtension + starPoints, sidPoints > 0, starPoints > 0};
}

}  // namespace

CAutoRouteDialogModel::CAutoRouteDialogModel(CRoute& route, bool lowAirways, bool highAirways, AutoRouteSearch search,
                                             IPlanUi* ui)
    : m_route(route), m_lowAirways(lowAirways), m_highAirways(highAirways), m_search(std::move(search)), m_ui(ui) {}

AutoRouteDialogValues CAutoRouteDialogModel::InitValues() const {
  AutoRouteDialogValues v;
  v.lowAirways = m_lowAirways;
  v.highAirways = m_highAirways;
  v.routeType = g_Settings.GetRouteType(false);
  if (!m_lowAirways && !m_highAirways && (v.routeType == kAutoRouteLowAirways || v.routeType == kAutoRouteHighAirways))
    v.routeType = kAutoRouteNavaids;
  v.sid = g_Settings.GetRouteSid(false);
  v.star = g_Settings.GetRouteStar(false);
  v.vor = g_Settings.GetRouteVor(false);
  v.ndb = g_Settings.GetRouteNdb(false);
  v.isec = g_Settings.GetRouteIsec(false);
  v.gps = g_Settings.GetRouteGps(false);
  v.distance = g_Settings.GetRouteDistance(false);
  return v;
}

CAutoRouteDialogModel::OkResult CAutoRouteDialogModel::Ok(const AutoRouteDialogValues& v) {
  IPlanUi* ui = m_ui;
  if (v.distance < kAutoRouteMinDistance || v.distance > kAutoRouteMaxDistance) {
    if (ui) ui->ShowError(kAutoRouteDistanceText);
    return OkResult::kInvalid;
  }
  g_Settings.SetRouteType(v.routeType);
  g_Settings.SetRouteSid(v.sid);
  g_Settings.SetRouteStar(v.star);
  g_Settings.SetRouteVor(v.vor);
  g_Settings.SetRouteNdb(v.ndb);
  g_Settings.SetRouteIsec(v.isec);
  g_Settings.SetRouteGps(v.gps);
  g_Settings.SetRouteDistance(v.distance);
  bool found = true;
  {
    PlanWaitCursor wait(ui);
    found = !m_search || m_search(m_route, v);
  }
  if (!found && v.routeType != kAutoRouteNavaids) {
    if (ui) ui->ShowInformation(kAutoRouteFailedText);
    return OkResult::kSearchFailed;
  }
  return OkResult::kClose;
}

bool RunAutoRouteSearch(CRoute& route, const AutoRouteDialogValues& v, CSidStarStore* store, const win::Clock* clock) {
  DatabaseLease lease;
  const bool navaids = v.routeType == kAutoRouteNavaids;
  RemoveAutoWaypoints(route);
  MarkRouteLegs(route, true);
  bool ok = true;
  int previous = -1;
  for (int i = 0; i < route.GetCount() && ok; ++i) {
    if (route[i].IsBearing() && i != 0) continue;
    if (previous >= 0 && LegType(route[previous]) != kLegArrival && LegType(route[i]) != kLegDeparture) {
      const LegResult leg = navaids ? NavaidLeg(route, store, previous, i, v) : AirwayLeg(route, store, previous, i, v, clock);
      ok = leg.ok;
      i = leg.end;
      // `i` names the leg's end again; the smoothing moves it with the points it changes.
      if (ok && !leg.withStar) SmoothArrival(route, i);
      if (ok && !leg.withSid) SmoothDeparture(route, previous, i);
    }
    previous = i;
  }
  if (!navaids && ok) InsertAirwayTurnPoints(route, v.routeType == kAutoRouteLowAirways ? 1 : 2);
  if (!ok) RemoveAutoWaypoints(route);
  MarkRouteLegs(route, false);
  return ok;
}

namespace planedit {

bool CalculateAutoRoute(CFlightPlanCore& plan) {
  CSidStarStore* store = &SidStarStoreOf(plan);
  IToolDialogs* dialogs = plan.Dialogs();
  if (!dialogs) return false;
  CRoute copy = *plan.GetCurrent();
  bool airways = false;
  {
    DatabaseLease lease;
    airways = lease.Database().m_labelPoints.GetSize() > 0;
  }
  CAutoRouteDialogModel model(copy, airways, airways, [store](CRoute& route, const AutoRouteDialogValues& v) {
    return RunAutoRouteSearch(route, v, store);
  }, plan.Ui());
  AutoRouteDialogValues values = model.InitValues();
  const bool accepted = dialogs->RunAutoRouteDialog(values, [&model](const AutoRouteDialogValues& v) {
    return model.Ok(v) == CAutoRouteDialogModel::OkResult::kClose;
  });
  if (!accepted) return false;
  Commit(plan, copy);
  return true;
}

}  // namespace planedit
