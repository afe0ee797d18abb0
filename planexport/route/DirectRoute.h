#pragma once

// The ATC-style direct route that network clients and operations planners want instead of
// every point of the planner's route: the en-route fix that opens the route near the departure,
// the one that closes it near the arrival, and between them only the fixes where the route
// turns or that lie far apart, each written by its identifier (user points by a coordinate
// code) between the module's separators.

#include <climits>
#include <string>
#include <string_view>

#include "planexport/common/PlanSource.h"

// Fixes this close to an airport need extra justification to open or close the route.
inline constexpr double kNearAirportRadius = 18520.0;  // 10 nm
// Within this radius a fix replaces a candidate that is not a named fix even when it is not nearer.
inline constexpr double kReplacementRadius = 64820.0;  // 35 nm
// Nautical miles of plan legs, and a number of records, beyond which a fix near an airport still counts.
inline constexpr double kRouteDistanceThreshold = 15.0;
inline constexpr int kRouteCountThreshold = 5;
// A fix on a straight stretch is still written when it and the fix after it lie this far from
// the last written fix.
inline constexpr double kKeepDistance = 150000.0;
inline constexpr double kKeepNextDistance = 250000.0;
// Smaller turns than this at a fix let the fix be dropped.
inline constexpr double kMinimumTurn = 4.0;
// The best distance before any fix was measured (the largest single-precision value).
inline constexpr double kNoDistanceYet = 3.4028234663852886e38;
// The closing fix's index before one was found.
inline constexpr int kNoClosingFix = INT_MAX;

struct DirectRouteSeparators {
  const char* first;    // before the first fix
  const char* between;  // between fixes
  const char* closing;  // after the last fix
  const char* empty;    // the whole route when no fix was written
};

inline constexpr DirectRouteSeparators kNetworkClientSeparators{"DCT ", " ", " DCT", "DCT"};
inline constexpr DirectRouteSeparators kOpsplanSeparators{"DCT-", "-", "-DCT", "DCT"};

// Indexes over all records of the plan, 0-based.
struct RouteEndpoints {
  int first = 0;
  int last = kNoClosingFix;
};

// Navaids, and intersections whose ids are names or coordinate codes (5020N, 50N20) rather
// than numbered points (D123A); never DME-only stations, user points or airports.
bool IsNamedFix(const FlpxWaypoint& waypoint);

// With the cursor on record `index`: the leg distance in nautical miles still to fly after it,
// and in `count` the number of records after it. The cursor is left on record `index` again,
// so a walk over the records goes on with index + 1.
double CountRouteWaypoints(int& count, const FlpxPlanSource& plan, int index);

// The first and last fix of the route, measured from the plan information's departure and
// arrival positions.
RouteEndpoints FindRouteEndpoints(const FlpxPlanSource& plan, const FlpxPlanInfo& info);

// The route text between the endpoints with the module's separators; the empty-route text
// when no fix was written. The text grows as needed.
std::string BuildDirectRoute(const FlpxPlanSource& plan, const RouteEndpoints& endpoints,
                             const DirectRouteSeparators& separators);

// A user point's code: whole minutes rounded, "DDMMNDDDMME" (4731N00812W).
std::string UserPointCode(double latitude, double longitude);
