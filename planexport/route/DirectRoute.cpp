#include "planexport/route/DirectRoute.h"

#include <cmath>

#include "planexport/common/ExportFile.h"
#include "planexport/route/SphericalEarth.h"

namespace {

bool IsRouteType(char type) {
  switch (type) {
    case 'I':
    case 'K':
    case 'L':
    case 'M':
    case 'N':
    case 'O':
    case 'P': return true;
    default: return false;
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsCompassLetter(char c) { return c == 'N' || c == 'E' || c == 'S' || c == 'W'; }

// 5020N or 50N20: intersections named by their position.
bool IsCoordinateCode(std::string_view id) {
  if (id.size() != 5) return false;
  if (IsDigit(id[0]) && IsDigit(id[1]) && IsDigit(id[2]) && IsDigit(id[3]) && IsCompassLetter(id[4])) return true;
  return IsDigit(id[0]) && IsDigit(id[1]) && IsCompassLetter(id[2]) && IsDigit(id[3]) && IsDigit(id[4]);
}

double DistanceBetween(const FlpxWaypoint& a, const FlpxWaypoint& b) {
  return PluginGreatCircleDistance(a.latitude, a.longitude, b.latitude, b.longitude);
}

double CourseBetween(const FlpxWaypoint& from, const FlpxWaypoint& to) {
  return PluginInitialCourse(from.latitude, from.longitude, to.latitude, to.longitude);
}

// The route hardly turns at `current` and the fixes around it are close to the last one written.
bool MayDrop(const FlpxWaypoint& previous, const FlpxWaypoint& current, const FlpxWaypoint& next,
             const FlpxWaypoint& lastWritten) {
  const double inbound = FloatMod(CourseBetween(current, previous) + 180.0, 360.0);
  const double outbound = CourseBetween(current, next);
  if (AngleDiff(inbound, outbound) >= kMinimumTurn) return false;
  return !(DistanceBetween(lastWritten, current) >= kKeepDistance &&
           DistanceBetween(lastWritten, next) >= kKeepNextDistance);
}

// The fix's token, or false for a record that is written as nothing.
bool FixToken(const FlpxWaypoint& w, std::string& token) {
  switch (w.type) {
    case 'I':
    case 'K':
    case 'L':
    case 'M':
    case 'N':
    case 'O': token.assign(FieldText(w.ident)); return true;
    case 'P': token = UserPointCode(w.latitude, w.longitude); return true;
    default: return false;
  }
}

void SplitMinutes(double value, unsigned& degrees, unsigned& minutes) {
  const unsigned m = TruncUnsigned(std::fabs(value) * 60.0 + 0.5);
  degrees = m / 60;
  minutes = m % 60;
}

}  // namespace

bool IsNamedFix(const FlpxWaypoint& waypoint) {
  switch (waypoint.type) {
    case 'I':
    case 'K':
    case 'M':
    case 'N': return true;
    case 'O': break;
    default: return false;
  }
  const std::string_view id = FieldText(waypoint.ident);
  if (IsCoordinateCode(id)) return true;
  for (size_t i = 0; i < id.size() && i < 5; ++i) {
    if (IsDigit(id[i])) return false;
  }
  return true;
}

double CountRouteWaypoints(int& count, const FlpxPlanSource& plan, int index) {
  count = 0;
  double sum = 0;
  FlpxWaypoint w;
  while (plan.Waypoint(kFlpxMoveNext, w)) {
    sum += w.legDistance;
    ++count;
  }
  // The cursor left the plan: walk back onto `index` from the start.
  int read = 0;
  for (int move = kFlpxMoveFirst; read < index + 1 && plan.Waypoint(move, w); move = kFlpxMoveNext) ++read;
  return sum;
}

RouteEndpoints FindRouteEndpoints(const FlpxPlanSource& plan, const FlpxPlanInfo& info) {
  RouteEndpoints ends;
  double bestDeparture = kNoDistanceYet;
  double bestArrival = kNoDistanceYet;
  FlpxWaypoint candidate{};
  double flown = 0;
  FlpxWaypoint w;
  if (!plan.Waypoint(kFlpxMoveFirst, w)) return ends;
  for (int i = 1; plan.Waypoint(kFlpxMoveNext, w); ++i) {
    flown += w.legDistance;
    if (!IsRouteType(w.type)) continue;

    const double dDep = PluginGreatCircleDistance(info.departure.latitude, info.departure.longitude, w.latitude,
                                                  w.longitude);
    if (dDep < bestDeparture || (dDep < kReplacementRadius && !IsNamedFix(candidate))) {
      if (dDep > kNearAirportRadius ||
          (IsNamedFix(w) && (flown > kRouteDistanceThreshold || i >= kRouteCountThreshold))) {
        ends.first = i;
        bestDeparture = dDep;
        candidate = w;
      }
    }

    const double dArr =
        PluginGreatCircleDistance(info.arrival.latitude, info.arrival.longitude, w.latitude, w.longitude);
    if (dArr < bestArrival) {
      bestArrival = dArr;
      if (IsNamedFix(w)) {
        int after = 0;
        if (dArr > kNearAirportRadius) {
          ends.last = i;
        } else if (CountRouteWaypoints(after, plan, i) > kRouteDistanceThreshold) {
          ends.last = i;
        } else if (after > kRouteCountThreshold) {
          ends.last = i;
        }
      }
    }
  }
  return ends;
}

std::string BuildDirectRoute(const FlpxPlanSource& plan, const RouteEndpoints& endpoints,
                             const DirectRouteSeparators& separators) {
  std::string route;
  int fixes = 0;
  if (endpoints.last != kNoClosingFix) {
    FlpxWaypoint previous{}, current{}, next{}, lastWritten{};
    std::string token;
    for (int i = 0; plan.Waypoint(i == 0 ? kFlpxMoveFirst : kFlpxMoveNext, next); ++i) {
      const int examined = i - 1;
      if (examined >= endpoints.first) {
        if (examined > endpoints.last) break;
        const bool endpoint = examined == endpoints.first || examined == endpoints.last;
        if ((endpoint || !MayDrop(previous, current, next, lastWritten)) && FixToken(current, token)) {
          route += fixes == 0 ? separators.first : separators.between;
          route += token;
          lastWritten = current;
          ++fixes;
        }
      }
      previous = current;
      current = next;
    }
  }
  route += fixes == 0 ? separators.empty : separators.closing;
  return route;
}

std::string UserPointCode(double latitude, double longitude) {
  unsigned latDegrees, latMinutes, lonDegrees, lonMinutes;
  SplitMinutes(latitude, latDegrees, latMinutes);
  SplitMinutes(longitude, lonDegrees, lonMinutes);
  return FormatC("%02u%02u%c%03u%02u%c", latDegrees, latMinutes, latitude >= 0 ? 'N' : 'S', lonDegrees, lonMinutes,
                 longitude >= 0 ? 'E' : 'W');
}
