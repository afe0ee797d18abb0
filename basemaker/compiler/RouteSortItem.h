#pragma once

// What the airway passes of the area compiler sort and search: one airway waypoint by its key,
// the cell code and ident that its neighbours' segment halves name it by.

#include <cstdint>
#include <cstring>

#include "navdb/Payloads.h"

// The key that segment halves name their neighbour by before they are linked.
inline constexpr int kRouteKeySize = kSegmentKeySize;

struct RouteSortItem {
  // u16 cell code (neither byte is ever 0) followed by the ident, NUL-padded: compares as text.
  char key[kRouteKeySize] = {};
  int32_t index = 0;  // the intersection's index in the intersection array
};

inline int CompareRouteKeys(const char* a, const char* b) {
  return std::strncmp(a, b, kRouteKeySize);
}

// Items sorted by key, equal keys by index, so every build pairs its waypoints the same way.
inline bool RouteItemLess(const RouteSortItem& a, const RouteSortItem& b) {
  const int c = CompareRouteKeys(a.key, b.key);
  return c != 0 ? c < 0 : a.index < b.index;
}
