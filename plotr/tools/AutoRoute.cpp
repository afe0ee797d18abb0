#include "plotr/tools/AutoRoute.h"

#include <mutex>
#include <vector>

#include "navdb/Geodesy.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/PlanUi.h"
#include "plotr/shell/Settings.h"
#include "plotr/tools/ToolDialogs.h"

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

bool RunAutoRouteSearch(CRoute& route, const AutoRouteDialogValues& v, CSidStarStore* store) {
  (void)store;
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
        i += FindNavaidLeg(route, previous, i, distance * kMetresPerNm, v);
      } else {
        // The airway network search is not part of this build yet: every airway leg fails.
        ok = false;
      }
    }
    previous = i;
  }
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
