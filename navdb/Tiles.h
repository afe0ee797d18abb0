#pragma once

// The 7.5-degree tiles that index points (TileRecord, per scenery file) and airway label points
// (TileKey, per area). Row 0 is the northernmost band; columns count east from 0 degrees.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "navdb/NavPoint.h"

inline constexpr double kTileSize = 7.5;
inline constexpr int kTileRows = 25;     // row 24 holds only latitude -90 exactly
inline constexpr int kTileColumns = 48;

// Row and column of a position (longitude in -180..180 or 0..360).
uint8_t TileRow(double latitude);
uint8_t TileColumn(double longitude);

// Bounds of a tile cell. Column 23 yields lonMin 172.5 and lonMax -180, a box that crosses the
// 180-degree meridian for PointInBox and BoxesOverlap.
struct TileBounds {
  double latMin, latMax, lonMin, lonMax;
};
TileBounds TileCellBounds(uint8_t row, uint8_t column);

#pragma pack(push, 1)
struct TileRecord {
  uint8_t row = 12;  // the tile of (0, 0)
  uint8_t column = 0;
  // end index into each of the ten point arrays, in PointArray order
  int32_t end[kPointArrayCount] = {};

  TileRecord() = default;
  TileRecord(double latitude, double longitude)
      : row(TileRow(latitude)), column(TileColumn(longitude)) {}

  bool Contains(double latitude, double longitude) const;
  TileBounds Bounds() const { return TileCellBounds(row, column); }
};

struct TileKey {
  uint8_t row = 12;
  uint8_t column = 0;
  int32_t end = 0;  // end index into the label points

  TileKey() = default;
  TileKey(double latitude, double longitude)
      : row(TileRow(latitude)), column(TileColumn(longitude)) {}

  bool Contains(double latitude, double longitude) const;
  TileBounds Bounds() const { return TileCellBounds(row, column); }
};
#pragma pack(pop)
static_assert(sizeof(TileRecord) == 42);
static_assert(sizeof(TileKey) == 6);

// Byte offset of a kind's end index inside a TileRecord (NDB 2, ILS 6, ... airway 38).
constexpr int TileEndOffset(PointArray array) { return 2 + 4 * static_cast<int>(array); }

// True when the tile's cell overlaps the view box (BoxesOverlap rules: a box whose lonMin is at
// or above its lonMax crosses the 180-degree meridian).
bool TileIntersectsView(const TileRecord& tile, double latMin, double latMax, double lonMin,
                        double lonMax);
bool TileIntersectsView(const TileKey& key, double latMin, double latMax, double lonMin,
                        double lonMax);

// The first tile of every cell among the tiles [first, end) of one owner (the open file's tile
// records or the open area's tile keys), kept up to date as the owner's tiles are appended.
// Filing a point then tests the few cells whose closed bounds can hold it instead of every tile
// of the owner, and still finds the same tile as a search in order would: the first one that
// contains the position. Tiles appended behind its back are picked up at the next Find; an
// array that dropped, swapped or reloaded its elements is indexed again.
class TileCellIndex {
 public:
  void Reset() { m_valid = false; }

  // The first tile of [first, end) that contains the position, -1 when none does.
  template <class Cells>
  int Find(const Cells& cells, int first, int end, double latitude, double longitude) {
    end = std::min(end, cells.GetSize());
    first = std::max(first, 0);
    if (!m_valid || m_data != static_cast<const void*>(cells.GetData()) || m_generation != cells.GetGeneration() ||
        m_first != first || m_seen > end) {
      m_valid = true;
      m_data = cells.GetData();
      m_generation = cells.GetGeneration();
      m_first = first;
      m_seen = first;
      m_irregular = false;
      m_firstTile.fill(-1);
    }
    for (; m_seen < end; ++m_seen) {
      const auto& cell = cells[m_seen];
      if (cell.row >= kTileRows || cell.column >= kTileColumns) m_irregular = true;
      else if (m_firstTile[cell.row * kTileColumns + cell.column] < 0) m_firstTile[cell.row * kTileColumns + cell.column] = m_seen;
    }
    // A NaN latitude passes every latitude test of the bounds, so any row may hold it.
    if (m_irregular || !(std::fabs(latitude) <= 90) || !(std::fabs(longitude) <= 180)) {
      return FindInOrder(cells, first, end, latitude, longitude);
    }
    // A position lies inside the closed bounds of its own cell's neighbours at most.
    const int row = TileRow(latitude), column = TileColumn(longitude);
    int found = -1;
    for (int r = row - 1; r <= row + 1; ++r) {
      if (r < 0 || r >= kTileRows) continue;
      for (int dc = -1; dc <= 1; ++dc) {
        const int c = (column + dc + kTileColumns) % kTileColumns;
        const int tile = m_firstTile[r * kTileColumns + c];
        if (tile >= 0 && (found < 0 || tile < found) && cells[tile].Contains(latitude, longitude)) found = tile;
      }
    }
    return found;
  }

  template <class Cells>
  static int FindInOrder(const Cells& cells, int first, int end, double latitude, double longitude) {
    for (int i = first; i < end; ++i) {
      if (cells[i].Contains(latitude, longitude)) return i;
    }
    return -1;
  }

 private:
  bool m_valid = false;
  const void* m_data = nullptr;
  uint32_t m_generation = 0;
  int m_first = 0;
  int m_seen = 0;
  bool m_irregular = false;  // a tile outside the grid (a damaged file): search in order
  std::array<int32_t, kTileRows * kTileColumns> m_firstTile{};
};
