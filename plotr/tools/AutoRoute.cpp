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
// point en route again.
void MarkRouteLegs(CRoute& route, bool mark) {
  int previous = -1;
  uint32_t b = kLegEnRoute;
  for (int i = 0; i < route.GetCount(); ++i) {
    PlanPoint& p = route[i];
    if (p.IsBearing() && i != 0) continue;
    if (!mark) {
      SetLegType(p, kLegEnRoute);
      continue;
    }
    if (previous < 0) {
      b = IsField(p) ? kLegDeparture : kLegEnRoute;
    } else {
      if (b == kLegArrival && (!IsField(p) || Distance(route[previous], p) > kStopDistance)) {
        SetLegType(route[previous], kLegEnRoute);
        b = kLegEnRoute;
      }
      b = IsField(p) ? (b == kLegArrival ? kLegDeparture : kLegArrival) : kLegEnRoute;
    }
    SetLegType(p, b);
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
  const RunwayRecord* stored = g_SceneryDatabase.GetRunway(p.ref.point);
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

// A stored procedure chosen for a leg's end, and what the choice weighed.
struct ProcedureChoice {
  int airport = -1;
  int group = -1;
  int procedure = -1;
  double score = 0;
  double length = 0;  // metres along the procedure
};

// The SID (or STAR) of the runway at the leg's start (end) whose en-route end is cheapest to go
// on from: 0.8 x the procedure's length plus the straight distance to the leg's other end.
bool FindProcedureForRoute(CRoute& route, CSidStarStore* store, int start, int end, const AutoRouteDialogValues& v,
                           bool isStar, ProcedureChoice& choice) {
  if (!store || !(isStar ? v.star : v.sid)) return false;
  const PlanPoint& at = route[isStar ? end : start];
  const PlanPoint& other = route[isStar ? start : end];
  RunwayShape rw;
  if (LegType(at) != (isStar ? kLegArrival : kLegDeparture) || !RunwayOf(at, rw)) return false;
  const int airport = store->FindAirport(at, route);
  if (airport < 0 || airport >= store->GetAirportCount()) return false;
  store->LoadAirport(airport, route);
  RunwayRecord record;
  std::memcpy(&record, g_SceneryDatabase.GetRunway(at.ref.point), sizeof record);
  char ident[sizeof record.designator + 1] = {};
  std::memcpy(ident, record.designator, sizeof record.designator);
  const int heading = static_cast<int>(std::floor(rw.heading + 0.5));
  CSidStarAirport& stored = store->m_airports[static_cast<size_t>(airport)];
  const CSidStarList& list = isStar ? stored.stars : stored.sids;
  bool found = false;
  for (const char* runwayIdent : {static_cast<const char*>(ident), static_cast<const char*>(nullptr)}) {
    for (int g = 0; g < static_cast<int>(list.groups.size()); ++g) {
      const CSidStarFixGroup& group = list.groups[static_cast<size_t>(g)];
      for (int p = 0; p < group.GetProcedureCount(); ++p) {
        double limit = kSidStarRunwayRadius;
        if (!group.procedures[static_cast<size_t>(p)].MatchesRunway(LatOf(at), LonOf(at), heading, runwayIdent, limit))
          continue;
        CRoute scratch;
        if (stored.InsertProcedure(scratch, isStar, g, p, false, store->GetFolder()) < 0 || scratch.GetCount() == 0)
          continue;
        const PlanPoint& enRoute = scratch[isStar ? 0 : scratch.GetCount() - 1];
        const double score = 0.8 * scratch.GetLength() + Distance(enRoute, other);
        if (!found || score < choice.score) choice = {airport, g, p, score, scratch.GetLength()};
        found = true;
      }
    }
    if (found) return true;
  }
  return false;
}

// Puts the chosen SID's points after the leg's start and the STAR's before its end; `start`
// then names the SID's last point and `end` the STAR's first. The points inserted.
int InsertProcedurePoints(CRoute& route, CSidStarStore* store, const ProcedureChoice* sid,
                          const ProcedureChoice* star, int& start, int& end) {
  int inserted = 0;
  for (const ProcedureChoice* chosen : {sid, star}) {
    if (!chosen) continue;
    const bool isStar = chosen == star;
    CRoute scratch;
    CSidStarAirport& stored = store->m_airports[static_cast<size_t>(chosen->airport)];
    if (stored.InsertProcedure(scratch, isStar, chosen->group, chosen->procedure, true, store->GetFolder()) < 0 ||
        scratch.GetCount() == 0)
      continue;
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

}  // namespace

CAutoRouteDialogModel::CAutoRouteDialogModel(CRoute& route, bool lowAirways, bool highAirways, AutoRouteSearch search)
    : m_route(route), m_lowAirways(lowAirways), m_highAirways(highAirways), m_search(std::move(search)) {}

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
  IPlanUi* ui = GetPlanUi();
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
    PlanWaitCursor wait;
    found = !m_search || m_search(m_route, v);
  }
  if (!found && v.routeType != kAutoRouteNavaids) {
    if (ui) ui->ShowInformation(kAutoRouteFailedText);
    return OkResult::kSearchFailed;
  }
  return OkResult::kClose;
}

bool RunAutoRouteSearch(CRoute& route, const AutoRouteDialogValues& v, CSidStarStore* store, const win::Clock* clock) {
    std::lock_guard<win::RecursiveLock> lock(g_DatabaseLock);
  const bool navaids = v.routeType == kAutoRouteNavaids;
  RemoveAutoWaypoints(route);
  MarkRouteLegs(route, true);
  bool ok = true;
  int previous = -1;
  for (int i = 0; i < route.GetCount() && ok; ++i) {
    if (route[i].IsBearing() && i != 0) continue;
    if (previous >= 0 && LegType(route[previous]) != kLegArrival && LegType(route[i]) != kLegDeparture) {
      if (navaids) {
        const int distance = std::clamp(v.distance, kAutoRouteMinDistance, kAutoRouteMaxDistance);
        const int runwayStart = previous;
        int start = previous;
        int end = i;
        ProcedureChoice sid, star;
        const bool withSid = FindProcedureForRoute(route, store, start, end, v, false, sid);
        if (!withSid) end += ExtendDepartureRunway(route, start);
        const bool withStar = FindProcedureForRoute(route, store, start, end, v, true, star);
        const int extended = withStar ? 0 : ExtendArrivalRunway(route, end);
        // The STAR's points go behind the leg's end index, which then names their first.
        InsertProcedurePoints(route, store, withSid ? &sid : nullptr, nullptr, start, end);
        const int starPoints = InsertProcedurePoints(route, store, nullptr, withStar ? &star : nullptr, start, end);
        const int found = FindNavaidLeg(route, start, end, distance * kMetresPerNm, v);
        i = end + extended + starPoints + found;
        // `i` names the leg's end again; the smoothing moves it with the points it changes.
        if (!withStar) SmoothArrival(route, i);
        if (!withSid) SmoothDeparture(route, runwayStart, i);
      } else {
        const int runwayStart = previous;
        int start = previous;
        int end = i;
        ProcedureChoice sid, star;
        const bool withSid = FindProcedureForRoute(route, store, start, end, v, false, sid);
        const int departureExtension = withSid ? 0 : ExtendDepartureRunway(route, start);
        end += departureExtension;
        const bool withStar = FindProcedureForRoute(route, store, start, end, v, true, star);
        const int arrivalExtension = withStar ? 0 : ExtendArrivalRunway(route, end);
        const int sidPoints = InsertProcedurePoints(route, store, withSid ? &sid : nullptr, nullptr, start, end);
        const int starPoints = InsertProcedurePoints(route, store, nullptr, withStar ? &star : nullptr, start, end);
        LegEnds ends;
        if (sidPoints > 0) {
          ends.departureCost = 0.8 * sid.length;
          ends.departureCourse = Course(route[start - 1], route[start]);
        }
        if (starPoints > 0) {
          ends.arrivalCost = 0.8 * star.length;
          ends.arrivalCourse = Course(route[end], route[end + 1]);
        }
        const int nodes = FindAirwayLeg(route, start, end, v.routeType == kAutoRouteLowAirways ? 1 : 2,
                                        clock ? *clock : win::SystemClock(), ends);
        i = end + arrivalExtension + starPoints;
        ok = nodes >= 0 && nodes + departureExtension + arrivalExtension + sidPoints + starPoints > 0;
        if (ok && !withStar) SmoothArrival(route, i);
        if (ok && !withSid) SmoothDeparture(route, runwayStart, i);
      }
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
  CSidStarStore* store = &plan.GetSidStarStore();
  IToolDialogs* dialogs = GetToolDialogs();
  if (!dialogs) return false;
  CRoute copy = *plan.GetCurrent();
  bool airways = false;
  {
    std::lock_guard<win::RecursiveLock> lock(g_DatabaseLock);
    airways = g_SceneryDatabase.m_labelPoints.GetSize() > 0;
  }
  CAutoRouteDialogModel model(copy, airways, airways, [store](CRoute& route, const AutoRouteDialogValues& v) {
    return RunAutoRouteSearch(route, v, store);
  });
  AutoRouteDialogValues values = model.InitValues();
  const bool accepted = dialogs->RunAutoRouteDialog(values, [&model](const AutoRouteDialogValues& v) {
    return model.Ok(v) == CAutoRouteDialogModel::OkResult::kClose;
  });
  if (!accepted) return false;
  Commit(plan, copy);
  return true;
}

}  // namespace planedit
