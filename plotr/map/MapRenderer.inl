// Template members of CMapRenderer and the plan row walk; included by MapRenderer.h.

#include <algorithm>

#include "plotr/plan/FlightPlanCore.h"

template <class VisitRange>
bool CMapRenderer::WalkTileRanges(MapDrawContext& ctx, PointArray array, VisitRange&& visitRange) {
  const CSceneryDatabase& db = *m_db;
  const int pointCount = db.Points(array).GetSize();
  const MapViewExtents& v = ctx.view;
  for (int area = 0; area < db.m_areas.GetSize(); ++area) {
    const IndexRange files = db.FileRange(area);
    for (int f = std::max(0, files.first); f < std::min(files.end, db.m_files.GetSize()); ++f) {
      if (!RegionIntersectsView(db.m_files[f], v)) continue;
      const IndexRange tiles = db.TileRange(f);
      for (int t = std::max(0, tiles.first); t < std::min(tiles.end, db.m_tiles.GetSize()); ++t) {
        const TileRecord& tile = db.m_tiles[t];
        if (!TileIntersectsView(tile, v.latMin, v.latMax, v.lonMin, v.lonMax)) continue;
        const IndexRange range = db.PointRange(t, array);
        const int first = std::max(0, range.first), end = std::min(range.end, pointCount);
        if (first < end && !visitRange(first, end)) return false;
      }
    }
  }
  return true;
}

template <class Visit>
bool CMapRenderer::WalkPoints(MapDrawContext& ctx, PointArray array, Visit&& visit) {
  const CNavPointArray& points = m_db->Points(array);
  return WalkTileRanges(ctx, array, [&](int first, int end) {
    for (int i = first; i < end; ++i) {
      if (!ctx.Tick()) return false;
      const NavPoint& p = points[i];
      if (!p.IsShown()) continue;
      int x = 0, y = 0;
      if (!LatLonToPixel(x, y, p.latitude, p.longitude, ctx.cx, ctx.cy, 0)) continue;
      visit(p, x, y);
    }
    return true;
  });
}

template <class Visit>
bool WalkPlanRows(const std::vector<PlanRow>& rows, Visit&& visit) {
  double lat = 0, lon = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    const PlanRow& row = rows[i];
    if (i > 0 && row.rowKind != kRowDeparture) {
      if (!visit(static_cast<int>(i), row, lat, lon)) return false;
      if (row.rowKind == kRowBearing) continue;
    }
    lat = row.latitude;
    lon = row.longitude;
  }
  return true;
}
