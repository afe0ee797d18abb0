#pragma once

// One other player's aircraft as the multiplayer session last heard of it; the session keeps one
// in each player record and hands copies to the map.

#include <cstdint>

#pragma pack(push, 1)
struct MpAircraftState {
  int32_t playerId = 0;
  char callSign[31] = {};
  uint8_t hasPosition = 0;
  uint32_t reportTime = 0;     // tick count (ms) of the last position report
  float northVelocity = 0;     // feet per second
  float eastVelocity = 0;      // feet per second
  float verticalSpeed = 0;     // feet per second
  float speed = 0;             // knots, as reported
  float heading = 0;           // degrees true
  float latitude = 0;
  float longitude = 0;
  float altitude = 0;          // feet
};
#pragma pack(pop)
static_assert(sizeof(MpAircraftState) == 72);
