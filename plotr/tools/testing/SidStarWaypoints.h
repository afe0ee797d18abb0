#pragma once

// A procedure waypoint for tests that store SIDs and STARs.

#include <cstring>

#include "plotr/plan/SidStarRecords.h"

namespace tooltest {

inline CSidStarWaypoint Wp(char type, const char* ident, double lat, double lon, uint32_t flags = 0,
                           uint16_t heading = 0) {
  CSidStarWaypoint w;
  w.type = type;
  std::memcpy(w.ident, ident, strnlen(ident, sizeof w.ident - 1));
  w.lat = static_cast<float>(lat);
  w.lon = static_cast<float>(lon);
  w.flags = flags;
  w.heading = heading;
  return w;
}

}  // namespace tooltest
