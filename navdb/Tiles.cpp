#include "navdb/Tiles.h"

#include <cmath>

#include "navdb/Geodesy.h"

uint8_t TileRow(double latitude) {
  // Out-of-range or NaN latitudes are clamped to the poles' rows rather than converted
  // outside the byte's range.
  if (!(latitude <= 90)) latitude = latitude > 90 ? 90 : -90;
  if (latitude < -90) latitude = -90;
  return static_cast<uint8_t>(static_cast<int>((90 - latitude) / kTileSize));
}

uint8_t TileColumn(double longitude) {
  double l = std::fmod(longitude + 360, 360);
  if (!(l >= 0)) l = l < 0 ? l + 360 : 0;  // NaN and inputs below -360
  int column = static_cast<int>(l / kTileSize);
  return static_cast<uint8_t>(column >= kTileColumns ? kTileColumns - 1 : column);
}

TileBounds TileCellBounds(uint8_t row, uint8_t column) {
  TileBounds b;
  b.latMin = 82.5 - kTileSize * row;
  b.latMax = 90 - kTileSize * row;
  b.lonMin = std::fmod(kTileSize * column + 180, 360) - 180;
  b.lonMax = std::fmod(kTileSize * column + kTileSize + 180, 360) - 180;
  return b;
}

static bool CellContains(uint8_t row, uint8_t column, double latitude, double longitude) {
  const TileBounds b = TileCellBounds(row, column);
  return PointInBox(b.latMin, b.latMax, b.lonMin, b.lonMax, latitude, longitude);
}

bool TileRecord::Contains(double latitude, double longitude) const {
  return CellContains(row, column, latitude, longitude);
}

bool TileKey::Contains(double latitude, double longitude) const {
  return CellContains(row, column, latitude, longitude);
}

static bool CellOverlaps(uint8_t row, uint8_t column, double latMin, double latMax,
                         double lonMin, double lonMax) {
  const TileBounds b = TileCellBounds(row, column);
  return BoxesOverlap(b.latMin, b.latMax, b.lonMin, b.lonMax, latMin, latMax, lonMin, lonMax);
}

bool TileIntersectsView(const TileRecord& tile, double latMin, double latMax, double lonMin,
                        double lonMax) {
  return CellOverlaps(tile.row, tile.column, latMin, latMax, lonMin, lonMax);
}

bool TileIntersectsView(const TileKey& key, double latMin, double latMax, double lonMin,
                        double lonMax) {
  return CellOverlaps(key.row, key.column, latMin, latMax, lonMin, lonMax);
}
