#pragma once

// One player of a multiplayer session as the rest of the module sees him: both sessions keep one
// as the tail of each player record and hand out copies of it (the player list for the map, the
// avionics bar's aircraft box and the open-remote dialog). Kept in memory only.

#include <cstdint>

#pragma pack(push, 1)
struct MpPlayerEntry {
  uint32_t playerId = 0;       // the transport's player id
  char callSign[31] = {};      // the player's name, NUL-terminated
  uint8_t hasPosition = 0;     // 1 once a position report was accepted
  uint32_t reportTime = 0;     // tick count (ms) of the last accepted position report
  float northVelocity = 0;     // feet per second; 0 when the last report carried no velocities
  float eastVelocity = 0;      // feet per second
  float verticalSpeed = 0;     // the report's third velocity, as sent
  float speed = 0;             // knots
  float heading = 0;           // degrees true
  float latitude = 0;
  float longitude = 0;
  float altitude = 0;          // feet
};
#pragma pack(pop)
static_assert(sizeof(MpPlayerEntry) == 72);
