#pragma once

// Seattle runway 16L to Portland runway 10R over the VOR SEA and the fix ABCDE, with a climb
// and a descent point, for the Atcplan tests: ABCDE is the holding fix, SEA and ABCDE the two
// checkpoints, and 17750 ft the highest altitude.

#include "planexport/common/testing/ScriptedPlan.h"

namespace atcplantest {

using namespace flpxtest;

inline void ScriptSeattlePortland() {
  ResetScript();
  FlpxPlanInfo& info = Script().info;
  SetText(info.aircraftName, "Boeing 737-400");
  SetAirport(info.departure, "Seattle-Tacoma Intl", "KSEA", 0, 47.4497, -122.3106, 433, 19);
  AddRunway(info.departure, "16L", 163, 47.463, -122.308, 433, 11900, 150, 0);
  AddRunway(info.departure, "34R", 343, 47.431, -122.308, 433, 11900, 150, 110.3);
  SetAirport(info.arrival, "Portland Intl", "KPDX", 128.35, 45.5887, -122.5975, 31, 18);
  AddRunway(info.arrival, "10R", 100, 45.595, -122.61, 31, 11000, 150, 111.3);
  AddRunway(info.arrival, "28C", 280, 45.58, -122.59, 26, 6000, 100, 0);
  AddRows({
      {.type = 'C', .ident = "16L", .lat = 47.463, .lon = -122.308, .altitude = 433},
      {.type = 'Q', .lat = 47.45, .lon = -122.31, .altitude = 600},
      {.type = 'M', .ident = "SEA", .lat = 47.435, .lon = -122.309833, .heading = 171.6, .ias = 250.4,
       .altitude = 12000, .frequency = 116.8},
      {.type = 'O', .ident = "ABCDE", .lat = 46.5, .lon = -122.75, .heading = 185, .ias = 280, .altitude = 17750},
      {.type = 'T', .lat = 45.7, .lon = -122.65, .altitude = 3000},
      {.type = 'C', .ident = "10R", .lat = 45.595, .lon = -122.61, .altitude = 31},
  });
}

inline constexpr char kDescription[] =
    "Morning shuttle from Seattle-Tacoma to Portland with a hold at ABCDE before the approach to runway 10R";

}  // namespace atcplantest
