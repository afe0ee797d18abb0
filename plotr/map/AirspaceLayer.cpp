#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "navdb/Geodesy.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"

namespace {

bool Day(const MapDrawContext& ctx, const CMapParams& p) { return ctx.Day(p); }

AirspaceVertex VertexAt(const CSceneryDatabase& db, int i) {
  AirspaceVertex v;
  std::memcpy(&v, &db.m_airspaceVertices[i], sizeof v);
  return v;
}

}  // namespace

bool CMapRenderer::ProjectClamped(MapDrawContext& ctx, double lat, double lon, std::vector<gdi::Point>& points) {
  int x = 0, y = 0;
  if (!LatLonToPixel(x, y, lat, lon, ctx.cx, ctx.cy, 2)) return false;
  const int margin = ctx.dc.DeviceToLogicalX(4);
  const gdi::Point p{std::clamp(x, -margin, ctx.cx + margin), std::clamp(y, -margin, ctx.cy + margin)};
  if (points.empty() || !(points.back() == p)) points.push_back(p);
  return true;
}

bool CMapRenderer::BuildAirspaceShape(MapDrawContext& ctx, const AirspaceVertex& from, const AirspaceVertex& to,
                                      std::vector<gdi::Point>& points) {
  const double lat1 = from.latitude, lon1 = from.longitude, lat2 = to.latitude, lon2 = to.longitude;
  const int type = from.EdgeType();
  if (type == kEdgeGreatCircle || type == kEdgeRhumb || type == kEdgeRhumbDefault) {
    if (lat1 == lat2 && lon1 == lon2) return true;
    // At least one step: an edge shorter than a unit would sample 0/0.
    const int n = std::max(1, GetMapScale(ctx.cx, ctx.cy, GreatCircleDistance(lat1, lon1, lat2, lon2)));
    const int d = std::max(1, ctx.dc.DeviceToLogicalX(4));
    for (int64_t i = 0; i <= static_cast<int64_t>(n) + d - 1; i += d) {
      double lat = 0, lon = 0;
      const double f = std::min(1.0, static_cast<double>(i) / n);
      if (type == kEdgeGreatCircle) {
        PointAlongSegment(lat, lon, lat1, lon1, lat2, lon2, f);
      } else {
        InterpolateRhumbLine(lat, lon, lat1, lon1, lat2, lon2, f);
      }
      if (!ProjectClamped(ctx, lat, lon, points)) return false;
    }
    return true;
  }
  const VertexExtra* extra = Database().GetVertexExtra(from);
  if (!extra) return false;
  const double cLat = extra->centreLatitude, cLon = extra->centreLongitude, metres = extra->radiusNm * kMetresPerNm;
  if (type == kEdgeCircle) {
    for (int b = 0; b < 360; b += 10) {
      double lat = 0, lon = 0;
      DestinationPoint(lat, lon, cLat, cLon, b, metres);
      if (!ProjectClamped(ctx, lat, lon, points)) return false;
    }
    return true;
  }
  if (type != kEdgeArcClockwise && type != kEdgeArcCounterClockwise) return false;
  if (!ProjectClamped(ctx, lat1, lon1, points)) return false;
  double start = InitialCourse(cLat, cLon, lat1, lon1);
  double end = InitialCourse(cLat, cLon, lat2, lon2);
  if (type == kEdgeArcClockwise) {
    if (end < start) end += 360;
    for (double b = std::floor(start / 10) * 10 + 10; b < end; b += 10) {
      double lat = 0, lon = 0;
      DestinationPoint(lat, lon, cLat, cLon, b, metres);
      if (!ProjectClamped(ctx, lat, lon, points)) return false;
    }
  } else {
    if (start < end) start += 360;
    for (double b = std::ceil(start / 10) * 10 - 10; b > end; b -= 10) {
      double lat = 0, lon = 0;
      DestinationPoint(lat, lon, cLat, cLon, b, metres);
      if (!ProjectClamped(ctx, lat, lon, points)) return false;
    }
  }
  return true;
}

void CMapRenderer::FillAirspacePolygon(MapDrawContext& ctx, int first, int end) {
  std::vector<gdi::Point> points;
  points.reserve(100);
  const CSceneryDatabase& db = Database();
  for (int i = first; i < end; ++i) {
    const int next = i + 1 < end ? i + 1 : first;
    if (!BuildAirspaceShape(ctx, VertexAt(db, i), VertexAt(db, next), points)) return;
  }
  if (points.size() >= 3) ctx.dc.Polygon(points);
}

void CMapRenderer::DrawArcsAndCircles(MapDrawContext& ctx, const AirspaceVertex& from, const AirspaceVertex& to) {
  gdi::Dc& dc = ctx.dc;
  const double lat1 = from.latitude, lon1 = from.longitude, lat2 = to.latitude, lon2 = to.longitude;
  const int type = from.EdgeType();
  if (type == kEdgeGreatCircle) {
    DrawClippedGreatCircle(dc, ctx.cx, ctx.cy, lat1, lon1, lat2, lon2, 8);
    return;
  }
  if (type == kEdgeRhumb || type == kEdgeRhumbDefault) {
    DrawClippedRhumbLine(dc, ctx.cx, ctx.cy, lat1, lon1, lat2, lon2, 8);
    return;
  }
  const VertexExtra* extra = Database().GetVertexExtra(from);
  if (!extra) return;
  const double cLat = extra->centreLatitude, cLon = extra->centreLongitude, radius = extra->radiusNm;
  if (!(radius > 0)) return;
  int x = 0, y = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  const bool centre = LatLonToPixel(x, y, cLat, cLon, ctx.cx, ctx.cy, 0);
  const bool a = LatLonToPixel(x1, y1, lat1, lon1, ctx.cx, ctx.cy, 0);
  const bool b = LatLonToPixel(x2, y2, lat2, lon2, ctx.cx, ctx.cy, 0);
  if (type == kEdgeCircle ? !centre : !(centre || a || b)) return;
  if (!centre) LatLonToPixel(x, y, cLat, cLon, ctx.cx, ctx.cy, 2);
  // Windows wider than the old 16-bit limit keep their circles: the limit is the DC's own.
  const double limit = gdi::kCoordinateLimit;
  const double ry = GetMapScale(ctx.cx, ctx.cy, radius * kMetresPerNm);
  double rx = ry;
  if (!MapRoundWorld) rx = ry / std::max(1e-10, std::cos(cLat * kDegToRad));
  if (std::fabs(x) + rx > limit || std::fabs(y) + ry > limit) return;
  const int l = static_cast<int>(x - rx), t = static_cast<int>(y - ry);
  const int r = static_cast<int>(x + rx), btm = static_cast<int>(y + ry);
  if (type == kEdgeCircle) {
    dc.Ellipse(l, t, r, btm);
  } else if (type == kEdgeArcCounterClockwise) {
    if (!a) LatLonToPixel(x1, y1, lat1, lon1, ctx.cx, ctx.cy, 2);
    if (!b) LatLonToPixel(x2, y2, lat2, lon2, ctx.cx, ctx.cy, 2);
    dc.Arc(l, t, r, btm, x1, y1, x2, y2);
  } else if (type == kEdgeArcClockwise) {
    if (!a) LatLonToPixel(x1, y1, lat1, lon1, ctx.cx, ctx.cy, 2);
    if (!b) LatLonToPixel(x2, y2, lat2, lon2, ctx.cx, ctx.cy, 2);
    dc.Arc(l, t, r, btm, x2, y2, x1, y1);
  }
}

bool CMapRenderer::DrawAirspaces(MapDrawContext& ctx) {
  const int zoom = GetZoom();
  if (zoom < 2) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  const bool day = Day(ctx, *this);
  const gdi::ColorRef hatchColour = day ? 0xF8E19C : 0x5F4907;
  const gdi::Brush hatches[3] = {gdi::Brush::Hatched(gdi::Hatch::FDiagonal, hatchColour),
                                 gdi::Brush::Hatched(gdi::Hatch::BDiagonal, hatchColour),
                                 gdi::Brush::Hatched(gdi::Hatch::Cross, hatchColour)};
  const gdi::Pen pen = day ? mappens::PenAirspaceLight : mappens::PenAirspaceDark;
  const gdi::Pen wide = day ? mappens::PenAirspaceLightWide : mappens::PenAirspaceDarkWide;
  const CSceneryDatabase& db = Database();
  const int vertexCount = db.m_airspaceVertices.GetSize();
  for (int area = 0; area < db.m_areas.GetSize(); ++area) {
    const IndexRange files = db.FileRange(area);
    for (int f = std::max(0, files.first); f < std::min(files.end, db.m_files.GetSize()); ++f) {
      if (!RegionIntersectsView(db.m_files[f], ctx.view)) continue;
      const IndexRange shapes = db.AirspaceShapeRange(f);
      for (int s = std::max(0, shapes.first); s < std::min(shapes.end, db.m_airspaceShapes.GetSize()); ++s) {
        if (!ctx.Tick()) return false;
        AirspaceShape shape;
        std::memcpy(&shape, &db.m_airspaceShapes[s], sizeof shape);
        const int t = shape.ShapeType();
        const bool zone = t == 1 || t == 7 || t == 11;
        if (zone) {
          if (zoom < 16 || !MapAirport || !MapAirportZone) continue;
        } else if ((t == 3 && MapAirspaceArtcc) || (t == 8 && MapAirspaceFir)) {
          if (!(shape.flags & (MapAirspaceAboveTransition ? 0x80 : 0x40))) continue;
        } else {
          continue;
        }
        const IndexRange vertices = db.ShapeVertexRange(s);
        const int first = std::max(0, vertices.first), end = std::min(vertices.end, vertexCount);
        if (first >= end) continue;
        double latMin = 0, latMax = 0, lonMin = 0, lonMax = 0;
        db.m_airspaceShapes.GetBounds(latMin, latMax, lonMin, lonMax, s);
        if (!ShapeIntersectsView(latMin, latMax, lonMin, lonMax, ctx.view)) continue;
        if (t == 1 || t == 7) {
          const int hatch = shape.HatchStyle();
          dc.SelectBrush(hatch ? hatches[hatch - 1] : gdi::Brush::None());
          dc.SelectPen(pen);
          FillAirspacePolygon(ctx, first, end);
        } else if (t == 11) {
          dc.SelectBrush(gdi::Brush::None());
          dc.SelectPen(pen);
          FillAirspacePolygon(ctx, first, end);
        } else {
          dc.SelectBrush(gdi::Brush::None());
          dc.SelectPen(wide);
          for (int i = first; i < end; ++i) {
            DrawArcsAndCircles(ctx, VertexAt(db, i), VertexAt(db, i + 1 < end ? i + 1 : first));
          }
        }
      }
    }
  }
  return true;
}

bool CMapRenderer::DrawAirspaceLabels(MapDrawContext& ctx) {
  const int zoom = GetZoom();
  if (zoom < 2) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  const bool day = Day(ctx, *this);
  const int ave = dc.GetTextMetrics().aveCharWidth;
  dc.SelectPen(day ? mappens::PenAirspaceLight : mappens::PenAirspaceDark);
  dc.SelectBrush(gdi::Brush::Solid(day ? 0xFFFFFF : 0x000000));
  const gdi::Brush square = gdi::Brush::Solid(day ? 0xF5D778 : 0x7E620A);
  const CSceneryDatabase& db = Database();
  return WalkPoints(ctx, kArrayAirspace, [&](const NavPoint& p, int x, int y) {
    const AirspaceRecord* airspace = db.GetAirspace(p);
    if (!airspace) return;
    const int type = airspace->Type();
    if (!((type == 4 && MapAirspaceArtcc) || (type == 128 && MapAirspaceFir))) return;
    if ((p.kind == 4096 && MapAirspaceAboveTransition) || (p.kind == 8192 && !MapAirspaceAboveTransition)) return;
    dc.FillRect({x - 45, y - 45, x + 45, y + 45}, square);
    Labels().push_back({x - 60, y - 60, x + 60, y + 60});
    if (zoom < 4 || zoom >= kDetailZoom) return;
    const std::string text(airspace->Ident());
    const gdi::Size size = dc.GetTextExtent(text);
    gdi::Rect rect{x, y, x + size.cx + ave, y + size.cy};
    if (!PlaceLabel(rect, x, y, 90)) return;
    dc.Rectangle(rect.left, rect.top, rect.right, rect.bottom);
    dc.TextOut(rect.left + 30, rect.top, text);
  });
}
