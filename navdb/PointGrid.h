#pragma once

// The points of each point array filed by the tenth-of-a-degree cell of their own position, in the
// order a walk over areas, files and tiles meets them. A position search then looks only at the
// points near the position and still meets them in the walk's order, so it finds the same
// objects in the same order as the walk, ties included.
//
// Points are filed by where they are, not by their tile: the builder files a runway end under
// its runway's middle and moves intersections onto navaids, so a tile's points may lie outside
// its cell. A damaged position past a pole or beyond 180 degrees is filed where the distance
// formulas put it.

#include <cstdint>
#include <vector>

#include "navdb/NavPoint.h"

class CSceneryDatabase;

struct GridEntry {
  int32_t point;  // index in the point array
  int32_t area;
  int32_t file;
};

class CPointGrid {
 public:
  // Indexes every point array of the database as it is now.
  void Build(const CSceneryDatabase& db);
  // True when nothing the grid was built from has been added, dropped or reloaded since.
  bool IsCurrentFor(const CSceneryDatabase& db) const;

  // Appends, in walk order, the entries of `array` whose points may lie within `radius` metres
  // of the position (every point that does, and a few that do not). False when the radius is too
  // large for the grid to save anything: the caller walks the tiles instead.
  bool Candidates(PointArray array, double latitude, double longitude, double radius,
                  std::vector<GridEntry>& out) const;

 private:
  struct Table {
    std::vector<GridEntry> entries;  // walk order
    std::vector<uint64_t> byCell;    // cell << 32 | entry index, ascending
    std::vector<uint32_t> anywhere;  // entries whose position is not a number
  };
  std::vector<uint64_t> Fingerprint(const CSceneryDatabase& db) const;

  Table m_tables[kPointArrayCount];
  std::vector<uint64_t> m_fingerprint;
};
