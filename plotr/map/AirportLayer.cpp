#include <algorithm>
#include <cmath>
#include <cstring>

#include "navdb/Geodesy.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"

namespace {

void Cross(gdi::Dc& dc, int zoom, int x, int y) {
  const int a = zoom < 16 ? 15 : 30, b = zoom < 16 ? 30 : 45;
  dc.MoveTo(x - a, y - a);
  dc.LineTo(x + b, y + b);
  dc.MoveTo(x + a, y - a);
  dc.LineTo(x - b, y + b);
}

}  // namespace

void CMapRenderer::DrawDisc(MapDrawContext& ctx, int x, int y, double latitude, double metres, int minimum) {
  const int ry = std::max(minimum, GetMapScale(ctx.cx, ctx.cy, metres));
  int rx = ry;
  if (!MapRoundWorld) {
    const double c = std::cos(latitude * kDegToRad);
    rx = c > 1e-6 ? static_cast<int>(std::min(1e9, ry / c)) : ry;
  }
  ctx.dc.Ellipse(x - rx, y - ry, x + rx, y + ry);
}

void CMapRenderer::DrawAirportSymbol(MapDrawContext& ctx, const NavPoint& p) {
  int x = 0, y = 0;
  if (!p.IsShown() || !LatLonToPixel(x, y, p.latitude, p.longitude, ctx.cx, ctx.cy, 0)) return;
  const int zoom = GetZoom();
  if (zoom < kDetailZoom) {
    Cross(ctx.dc, zoom, x, y);
    return;
  }
  DrawDisc(ctx, x, y, p.latitude, p.kind == kKindAirport ? 500 : 1500);
}

void CMapRenderer::DrawRunwayPair(MapDrawContext& ctx, const NavPoint& a, const NavPoint& b) {
  if (!a.IsShown() || !b.IsShown()) return;
  const double lat = (a.latitude + b.latitude) / 2.0;
  double dLon = b.longitude - a.longitude;
  if (dLon > 180) dLon -= 360;
  if (dLon < -180) dLon += 360;
  const double lon = a.longitude + dLon / 2;
  int x = 0, y = 0;
  if (!LatLonToPixel(x, y, lat, lon, ctx.cx, ctx.cy, 0)) return;
  const int zoom = GetZoom();
  if (zoom < kDetailZoom) {
    Cross(ctx.dc, zoom, x, y);
    return;
  }
  const RunwayRecord* ra = Database().GetRunway(a);
  const RunwayRecord* rb = Database().GetRunway(b);
  const double length = ra ? ra->length : 0;
  const bool ils = (ra && RunwayIls(*ra)) || (rb && RunwayIls(*rb));
  DrawDisc(ctx, x, y, lat, std::max(600.0, length * 0.3048 / 2 + 60 + (ils ? 400 : 0)));
}

bool CMapRenderer::DrawAirportSymbols(MapDrawContext& ctx) {
  if (!MapAirport) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  const int zoom = GetZoom();
  dc.SelectBrush(ctx.Printing() ? gdi::Brush::Solid(0x808080)
                                : (ColorScheme == kSchemeWhite ? mappens::BrushOchre : mappens::BrushBrown));
  dc.SelectPen(zoom < kDetailZoom ? mappens::PenRed : gdi::StockPen(gdi::Stock::NullPen));
  const CSceneryDatabase& db = Database();
  if (zoom >= kDetailZoom) {
    const bool done = WalkTileRanges(ctx, kArrayIls, [&](int first, int end) {
      for (int i = first; i < end; ++i) {
        if (!ctx.Tick()) return false;
        DrawAirportSymbol(ctx, db.m_ils[i]);
      }
      return true;
    });
    if (!done) return false;
  }
  // Runway ends come in pairs, the two ends of a runway one after the other.
  const bool runways = WalkTileRanges(ctx, kArrayRunway, [&](int first, int end) {
    for (int i = first; i + 1 < end; i += 2) {
      if (!ctx.Tick()) return false;
      DrawRunwayPair(ctx, db.m_runways[i], db.m_runways[i + 1]);
    }
    return true;
  });
  if (!runways) return false;
  return WalkTileRanges(ctx, kArrayAirport, [&](int first, int end) {
    for (int i = first; i < end; ++i) {
      if (!ctx.Tick()) return false;
      DrawAirportSymbol(ctx, db.m_airports[i]);
    }
    return true;
  });
}

bool CMapRenderer::DrawAirportDetails(MapDrawContext& ctx) {
  if (!MapAirport || ctx.Printing() || GetZoom() < 256) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(gdi::StockPen(gdi::Stock::NullPen));
  dc.SelectBrush(ColorScheme == kSchemeWhite ? mappens::BrushBrown : mappens::BrushOchre);
  const CSceneryDatabase& db = Database();
  return WalkPoints(ctx, kArrayAirport, [&](const NavPoint& p, int x, int y) {
    DrawDisc(ctx, x, y, p.latitude, 100);
    const AirportRecord* airport = db.GetAirport(p);
    const ParkingEntry* parkings = db.GetAirportParkings(p);
    if (!airport || !parkings) return;
    for (int i = 0; i < airport->ParkingCount(); ++i) {
      ParkingEntry parking;
      std::memcpy(&parking, &parkings[i], sizeof parking);
      int px = 0, py = 0;
      if (!LatLonToPixel(px, py, parking.latitude, parking.longitude, ctx.cx, ctx.cy, 0)) continue;
      DrawDisc(ctx, px, py, parking.latitude, 20, 30);
    }
  });
}

template <class Visit>
bool CMapRenderer::WalkObjects(MapDrawContext& ctx, Visit&& visit) {
  const CSceneryDatabase& db = Database();
  const MapViewExtents& v = ctx.view;
  for (int f = 0; f < db.m_files.GetSize(); ++f) {
    const BglFileRecord& file = db.m_files[f];
    if (!RegionIntersectsView(file, v)) continue;
    const float lonMin = file.lonMin, lonMax = file.lonMax;
    const IndexRange groups = db.ObjectGroupRange(f);
    for (int g = std::max(0, groups.first); g < std::min(groups.end, db.m_objectGroups.GetSize()); ++g) {
      if (!ctx.Tick()) return false;
      const ObjectGroup& group = db.m_objectGroups[g];
      if (!ShapeIntersectsView(group.BandSouth(), group.BandNorth(), lonMin, lonMax, v)) continue;
      const IndexRange objects = db.ObjectRange(g);
      for (int o = std::max(0, objects.first); o < std::min(objects.end, db.m_objects.GetSize()); ++o) {
        ObjectRecord object;
        std::memcpy(&object, &db.m_objects[o], sizeof object);
        if (object.IsShown()) visit(o, object);
      }
    }
  }
  return true;
}

bool CMapRenderer::DrawTaxiways(MapDrawContext& ctx) {
  if (!MapAirport || !MapTaxiway) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  const bool white = ColorScheme == kSchemeWhite;
  dc.SelectBrush(white ? mappens::BrushGreyLight : mappens::BrushGreyDark);
  const gdi::Pen outline = white ? mappens::PenGreyLight : mappens::PenGreyDark;
  const gdi::Pen line = gdi::Pen::Geometric(std::max(30, GetMapScale(ctx.cx, ctx.cy, 20)), white ? 0xC0C0C0 : 0x606060,
                                            gdi::LineJoin::Bevel, gdi::LineCap::Square);
  const CSceneryDatabase& db = Database();
  std::vector<gdi::Point> points;
  return WalkObjects(ctx, [&](int index, const ObjectRecord& object) {
    const int type = object.Type();
    if (type != 1 && type != 3) return;
    // The footprint is stored in metres times the scale.
    if (!(object.scale > 0) || !std::isfinite(object.scale)) return;
    double latMin = 0, latMax = 0, lonMin = 0, lonMax = 0;
    db.m_objects.GetBounds(latMin, latMax, lonMin, lonMax, index);
    if (!ShapeIntersectsView(latMin, latMax, lonMin, lonMax, ctx.view)) return;
    const IndexRange vertices = db.FootprintRange(index);
    points.clear();
    for (int k = std::max(0, vertices.first); k < std::min(vertices.end, db.m_footprintVertices.GetSize()); ++k) {
      FootprintVertex vertex;
      std::memcpy(&vertex, &db.m_footprintVertices[k], sizeof vertex);
      const double lat = object.latitude + vertex.north / object.scale * 360 / kEarthCircumference;
      const double lon = object.longitude + (vertex.east / object.scale * 360 / kEarthCircumference) / std::cos(lat * kDegToRad);
      int x = 0, y = 0;
      if (LatLonToPixel(x, y, lat, lon, ctx.cx, ctx.cy, 2)) points.push_back({x, y});
    }
    if (points.size() < 2) return;
    if (type == 3) {
      dc.SelectPen(outline);
      dc.Polygon(points);
    } else {
      dc.SelectPen(line);
      dc.Polyline(points);
    }
  });
}

bool CMapRenderer::DrawFuelAreas(MapDrawContext& ctx) {
  if (!MapAirport || !MapFuelarea || GetZoom() < 256) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(mappens::PenRed);
  dc.SelectBrush(mappens::BrushYellow);
  return WalkObjects(ctx, [&](int, const ObjectRecord& object) {
    if (object.Type() != 2) return;
    int x = 0, y = 0;
    if (!LatLonToPixel(x, y, object.latitude, object.longitude, ctx.cx, ctx.cy, 0)) return;
    dc.Rectangle(x - 45, y - 45, x + 60, y + 60);
    dc.MoveTo(x - 45, y);
    dc.LineTo(x + 45, y);
    dc.MoveTo(x, y - 45);
    dc.LineTo(x, y + 45);
    Labels().push_back({x - 45, y - 45, x + 45, y + 45});
  });
}
