#include "navdb/PointGrid.h"

#include <algorithm>
#include <cmath>

#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"

namespace {

// Cells a tenth of a degree high and wide: a map tip's search looks at a few dozen of them. Only
// cells that hold points take memory.
constexpr double kCellsPerDegree = 10;
constexpr int kGridRows = 180 * 10;
constexpr int kGridColumns = 360 * 10;

// Past this angular radius (degrees) a search covers so much of the globe that walking the tiles
// costs no more.
constexpr double kLargestGridRadius = 60.0;

int CellRow(double latitude) {
  return std::clamp(static_cast<int>(std::floor((latitude + 90) * kCellsPerDegree)), 0, kGridRows - 1);
}
int CellColumn(double longitude) {
  return std::clamp(static_cast<int>(std::floor((longitude + 180) * kCellsPerDegree)), 0, kGridColumns - 1);
}
uint64_t Key(int row, int column, uint32_t entry) {
  return (static_cast<uint64_t>(row) * kGridColumns + static_cast<uint64_t>(column)) << 32 | entry;
}

template <class Array>
void AddArrayFingerprint(std::vector<uint64_t>& out, const Array& a) {
  out.push_back(reinterpret_cast<uintptr_t>(a.GetData()));
  out.push_back(static_cast<uint64_t>(a.GetSize()));
  out.push_back(a.GetGeneration());
}

// The valid position that every distance formula measures the same as (lat, lon): latitudes past
// a pole come back down on the far side, longitudes are taken round into -180..180. False for a
// position that is not a number.
bool CanonicalPosition(double& lat, double& lon) {
  if (!std::isfinite(lat) || !std::isfinite(lon)) return false;
  lat = std::fmod(lat, 360.0);
  if (lat > 180) lat -= 360;
  if (lat < -180) lat += 360;
  if (lat > 90 || lat < -90) {
    lat = (lat > 0 ? 180 : -180) - lat;
    lon += 180;
  }
  lon = std::fmod(lon, 360.0);
  if (lon > 180) lon -= 360;
  if (lon < -180) lon += 360;
  return true;
}

}  // namespace

std::vector<uint64_t> CPointGrid::Fingerprint(const CSceneryDatabase& db) const {
  std::vector<uint64_t> f;
  AddArrayFingerprint(f, db.m_areas);
  AddArrayFingerprint(f, db.m_files);
  AddArrayFingerprint(f, db.m_tiles);
  for (int a = 0; a < kPointArrayCount; ++a) AddArrayFingerprint(f, db.Points(static_cast<PointArray>(a)));
  return f;
}

bool CPointGrid::IsCurrentFor(const CSceneryDatabase& db) const { return m_fingerprint == Fingerprint(db); }

void CPointGrid::Build(const CSceneryDatabase& db) {
  for (int a = 0; a < kPointArrayCount; ++a) {
    const auto array = static_cast<PointArray>(a);
    const CNavPointArray& points = db.Points(array);
    Table& table = m_tables[a];
    table.entries.clear();
    table.anywhere.clear();
    // The same walk as a search over the tiles, bounds and all.
    for (int area = 0; area < db.m_areas.GetSize(); ++area) {
      const IndexRange files = db.FileRange(area);
      for (int file = files.first; file < files.end; ++file) {
        const IndexRange tiles = db.TileRange(file);
        for (int tile = tiles.first; tile < tiles.end; ++tile) {
          const IndexRange range = db.PointRange(tile, array);
          for (int k = std::max(range.first, 0); k < range.end && k < points.GetSize(); ++k) {
            table.entries.push_back({k, area, file});
          }
        }
      }
    }
    table.byCell.clear();
    table.byCell.reserve(table.entries.size());
    for (size_t i = 0; i < table.entries.size(); ++i) {
      const NavPoint& p = points[table.entries[i].point];
      double lat = p.latitude, lon = p.longitude;
      if (!CanonicalPosition(lat, lon)) {
        // Not a position at all; kept on a list of their own so that no point is ever lost.
        table.anywhere.push_back(static_cast<uint32_t>(i));
        continue;
      }
      table.byCell.push_back(Key(CellRow(lat), CellColumn(lon), static_cast<uint32_t>(i)));
    }
    std::sort(table.byCell.begin(), table.byCell.end());
  }
  m_fingerprint = Fingerprint(db);
}

bool CPointGrid::Candidates(PointArray array, double latitude, double longitude, double radius,
                            std::vector<GridEntry>& out) const {
  const Table& table = m_tables[array];
  // No distance is within a NaN radius or from a NaN position.
  if (!(radius >= 0) || !(std::fabs(latitude) <= 90) || !(std::fabs(longitude) <= 180)) {
    if (std::isnan(radius) || std::isnan(latitude) || std::isnan(longitude)) return true;
    return false;
  }
  // The angular radius with room for the rounding of the distance formula (its arc cosine is
  // off by up to a decimetre near zero).
  const double reach = (radius + 1.0) / kEarthRadius * (1 + 1e-9) / kDegToRad;
  if (!(reach <= kLargestGridRadius)) return false;

  std::vector<uint32_t> picked(table.anywhere);
  const double latLo = latitude - reach, latHi = latitude + reach;
  double lonLo = -180, lonHi = 180;
  if (latLo > -90 && latHi < 90) {
    // Widest longitude difference of a spherical cap that reaches neither pole.
    const double spread = std::asin(std::min(1.0, std::sin(reach * kDegToRad) / std::cos(latitude * kDegToRad)));
    const double dLon = spread / kDegToRad * (1 + 1e-9) + 1e-7;
    if (dLon < 180) {
      lonLo = longitude - dLon;
      lonHi = longitude + dLon;
    }
  }
  // Longitude spans of the search, the part beyond the 180-degree meridian brought round.
  struct Span {
    double lo, hi;
  };
  std::vector<Span> spans;
  if (lonLo < -180) spans.push_back({lonLo + 360, 180});
  if (lonHi > 180) spans.push_back({-180, lonHi - 360});
  spans.push_back({std::max(lonLo, -180.0), std::min(lonHi, 180.0)});
  for (int row = CellRow(latLo); row <= CellRow(latHi); ++row) {
    for (const Span& span : spans) {
      const auto first = std::lower_bound(table.byCell.begin(), table.byCell.end(), Key(row, CellColumn(span.lo), 0));
      const auto last = std::lower_bound(first, table.byCell.end(), Key(row, CellColumn(span.hi) + 1, 0));
      for (auto it = first; it != last; ++it) picked.push_back(static_cast<uint32_t>(*it));
    }
  }
  std::sort(picked.begin(), picked.end());
  out.reserve(out.size() + picked.size());
  for (uint32_t i : picked) out.push_back(table.entries[i]);
  return true;
}
