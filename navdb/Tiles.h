#pragma once

// The 7.5-degree tiles that index points (TileRecord, per scenery file) and airway label points
// (TileKey, per area). Row 0 is the northernmost band; columns count east from 0 degrees.

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
