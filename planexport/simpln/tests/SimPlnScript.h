#pragma once

// Seattle runway 16L to Portland runway 10R for the flight-plan file tests: a climb point
// between the runway and a VOR, an intersection, a user point on the date line south of the
// equator, an NDB east of Greenwich and a descent point, with figures that are easy to follow by
// hand (47.4497 is N47 26.98', -122.3106 is W122 18.64', and 7.81675, half a hundredth above
// E7 49.00', is E7 49.01').

#include "planexport/common/testing/ScriptedPlan.h"

namespace simplntest {

using namespace flpxtest;

inline void ScriptSeattlePortland() {
  ResetScript();
  FlpxPlanInfo& info = Script().info;
  SetText(info.aircraftName, "Boeing 737-400");
  SetAirport(info.departure, "Seattle-Tacoma Intl", "KSEA", 0, 47.4497, -122.3106, 433, 19);
  AddRunway(info.departure, "16L", 163, 47.46, -122.31, 433, 11900, 150, 0);
  AddRunway(info.departure, "34R", 343, 47.43, -122.31, 433, 11900, 150, 110.3);
  SetAirport(info.arrival, "Portland Intl", "KPDX", 0, 45.5, -122.6, -12.5, 18);
  AddRunway(info.arrival, "10R", 100, 45.58, -122.6, 22, 11000, 150, 111.3);
  AddRows({
      {.type = 'C', .ident = "16L", .lat = 47.46, .lon = -122.31, .altitude = 433},
      {.type = 'Q', .lat = 47.3, .lon = -122.35, .altitude = 5000},
      {.type = 'M', .ident = "SEA", .name = "Seattle", .lat = 47.2, .lon = -122.4, .altitude = 12000},
      {.type = 'R', .lat = 47.0, .lon = -122.5, .altitude = 17749.9},
      {.type = 'O', .ident = "ABCDE", .lat = 46.5, .lon = -122.75, .altitude = 17749.9},
      {.type = 'P', .ident = "USR01", .lat = -0.25, .lon = 180.0, .altitude = 17749.9},
      {.type = 'N', .ident = "PD", .lat = 45.75, .lon = 7.81675, .altitude = 9000},
      {.type = 'T', .lat = 45.6, .lon = -122.7, .altitude = 3000},
      {.type = 'C', .ident = "10R", .lat = 45.58, .lon = -122.6, .altitude = 22},
  });
}

// The departure airport's start positions as the host lists them.
inline void ScriptStartPositions(std::initializer_list<std::pair<const char*, const char*>> lines) {
  for (const auto& [display, key] : lines) {
    FlpxStartPosition p{};
    p.size = kFlpxStartPositionSize;
    SetText(p.display, display);
    SetText(p.key, key);
    Script().starts.push_back(p);
  }
}

}  // namespace simplntest
