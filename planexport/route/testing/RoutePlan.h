#pragma once

// The scripted plan behind the route modules' goldens: departure LFPG and arrival EDDF, the
// VOR ABC, a climb point, the intersection DEF and a user point at 47.5125 N, 8.2 W, ending on
// the VOR XYZ 15 nm from the arrival field (which closes the route without being written).
// Legs take 125.7 minutes; the highest true airspeed and altitude are the caller's.

#include "planexport/common/testing/ScriptedPlan.h"

namespace flpxtest {

inline void ScriptRoutePlan(double cruiseSpeed, double cruiseAltitude) {
  ResetScript();
  SetAirport(Script().info.departure, "Paris", "LFPG", 0, 46.5, -9.5, 0, 0);
  SetAirport(Script().info.arrival, "Frankfurt", "EDDF", 0, 49.5, -7.0, 0, 0);
  AddRows({{.type = 'A', .ident = "LFPG", .lat = 46.5, .lon = -9.5},
           {.type = 'M', .ident = "ABC", .lat = 46.9, .lon = -9.0, .tas = 300, .altitude = 10000, .distance = 30,
            .time = 8},
           {.type = 'Q', .lat = 47.0, .lon = -8.8, .tas = 420, .altitude = 15000, .distance = 10, .time = 2},
           {.type = 'O', .ident = "DEF", .lat = 47.2, .lon = -8.9, .tas = cruiseSpeed, .altitude = cruiseAltitude,
            .distance = 20, .time = 3},
           {.type = 'P', .ident = "USR", .lat = 47.5125, .lon = -8.2, .tas = cruiseSpeed,
            .altitude = cruiseAltitude, .distance = 40, .time = 5.4},
           {.type = 'M', .ident = "XYZ", .lat = 49.75, .lon = -7.0, .tas = 250, .altitude = 5000, .distance = 150,
            .time = 107.3}});
}

// The same airports with only a climb and a descent point between them: no route point at all.
inline void ScriptPlanWithoutRoutePoints() {
  ScriptRoutePlan(0, 0);
  Script().rows = {Script().rows[0], Script().rows[2], Script().rows[2]};
  Script().rows[2].type = 'T';
}

}  // namespace flpxtest
