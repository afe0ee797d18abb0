#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "navdb/Geodesy.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/plan/LatLonText.h"

namespace {

// Longitude difference folded into -180..180.
double FoldLongitude(double d) {
  d = std::fmod(d, 360.0);
  if (d > 180) d -= 360;
  if (d < -180) d += 360;
  return d;
}

// Grid spacing in degrees for a zoom: the base for the zoom's leading digit over its decade.
double GridSpacing(int zoom) {
  int z = std::max(1, zoom);
  int m = 1;
  while (z > 10) {
    z /= 10;
    m *= 10;
  }
  int b = 3;
  if (z == 1) b = 30;
  else if (z == 2) b = 15;
  else if (z <= 4) b = 10;
  else if (z <= 9) b = 6;
  return static_cast<double>(b) / m;
}

// Every n-th point of a coastline or river at a zoom.
int ShapeDetailStep(int zoom) {
  if (zoom <= 1) return 128;
  if (zoom <= 3) return 64;
  if (zoom <= 7) return 32;
  if (zoom <= 15) return 16;
  if (zoom <= 31) return 8;
  if (zoom <= 63) return 2;
  return 1;
}

// Collects strokes and draws each as one polyline once it ends.
class Stroke {
 public:
  explicit Stroke(gdi::Dc& dc) : m_dc(dc) {}
  ~Stroke() { End(); }
  void Add(int x, int y) { m_points.push_back({x, y}); }
  void End() {
    if (m_points.size() >= 2) m_dc.Polyline(m_points);
    m_points.clear();
  }

 private:
  gdi::Dc& m_dc;
  std::vector<gdi::Point> m_points;
};

const CWorldMap* WorldOf(const MapDrawContext& ctx) { return ctx.plan; }

}  // namespace

void CMapRenderer::DrawBackground(MapDrawContext& ctx) {
  if (ctx.Printing()) return;
  const int scheme = std::clamp(ColorScheme, 0, static_cast<int>(mappens::kBackgroundColors.size()) - 1);
  ctx.dc.FillRect({0, 0, ctx.cx, ctx.cy}, gdi::Brush::Solid(mappens::kBackgroundColors[scheme]));
}

void CMapRenderer::DrawGlobeOutline(MapDrawContext& ctx) {
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectBrush(gdi::Brush::None());
  dc.SelectPen(ctx.Printing() ? mappens::PenPrintBlack : mappens::PenGreyDark);
  if (MapRoundWorld) {
    const int64_t r = static_cast<int64_t>(GetZoom()) * std::min(ctx.cx, ctx.cy) / 2;
    const int64_t mx = ctx.cx / 2, my = ctx.cy / 2;
    const int64_t left = std::max<int64_t>(mx - r, -ctx.cx), right = std::min<int64_t>(mx + r, 2LL * ctx.cx);
    const int64_t top = std::max<int64_t>(my - r, -ctx.cy), bottom = std::min<int64_t>(my + r, 2LL * ctx.cy);
    dc.Ellipse(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right), static_cast<int>(bottom));
    return;
  }
  for (const float lat : {ctx.view.latMax, ctx.view.latMin}) {
    int x = 0, y = 0;
    if (!LatLonToPixel(x, y, lat, Current().longitude, ctx.cx, ctx.cy, 2)) continue;
    dc.MoveTo(0, y);
    dc.LineTo(ctx.cx, y);
  }
}

void CMapRenderer::DrawGrid(MapDrawContext& ctx) {
  if (!MapGrid) return;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(ctx.Printing() ? mappens::PenPrintBlack
                              : (ColorScheme == kSchemeWhite ? mappens::PenGreyLight : mappens::PenGridDark));
  const double s = GridSpacing(GetZoom());
  const MapViewExtents& v = ctx.view;
  const double south = v.latMin, north = v.latMax, west = v.lonMin;
  const double firstParallel = -90 + s * (std::floor((south + 90) / s) + 1);
  // Counted parallels: never more than a half-turn's worth, whatever the extents say.
  const int parallels = static_cast<int>(std::min(180.0 / s + 2, std::max(0.0, std::ceil((north - firstParallel) / s))));

  if (!MapRoundWorld) {
    for (int i = 0; i < parallels; ++i) {
      const double lat = firstParallel + i * s;
      if (lat >= north) break;
      int x1 = 0, y = 0, x2 = 0, y2 = 0;
      if (!LatLonToPixel(x1, y, lat, v.lonMin, ctx.cx, ctx.cy, 2) ||
          !LatLonToPixel(x2, y2, lat, v.lonMax, ctx.cx, ctx.cy, 2)) {
        continue;
      }
      x1 = std::max(x1, 0);
      x2 = std::min(x2, ctx.cx);
      if (x2 <= x1) x2 = ctx.cx;  // the view runs across the date line
      dc.MoveTo(x1, y);
      dc.LineTo(x2, y);
      dc.TextOut(std::max(x1 + 30, 30), std::max(y + 15, 15), FormatLatLon(lat, true, false, true));
    }
    double east = v.lonMax;
    if (east < west) east += 360;
    const double firstMeridian = -180 + s * (std::floor((west + 180) / s) + 1);
    const int meridians = static_cast<int>(std::min(360.0 / s + 2, std::max(0.0, std::floor((east - firstMeridian) / s) + 1)));
    for (int i = 0; i < meridians; ++i) {
      const double lon = firstMeridian + i * s;
      int x = 0, y1 = 0, x2 = 0, y2 = 0;
      if (!LatLonToPixel(x, y1, north, lon, ctx.cx, ctx.cy, 2) ||
          !LatLonToPixel(x2, y2, south, lon, ctx.cx, ctx.cy, 2)) {
        continue;
      }
      y1 = std::max(y1, 0);
      y2 = std::min(y2, ctx.cy);
      dc.MoveTo(x, y1);
      dc.LineTo(x, y2);
      dc.TextOut(x + 30, std::max(y1 + 15, 15), FormatLatLon(FoldLongitude(lon), false, false, true));
    }
    return;
  }

  // Globe: lines are traced in small steps; a segment runs while its end projects, and one step
  // further when only its start did, so lines reach the globe's edge.
  const bool everyLongitude = v.lonMin == 0 && v.lonMax == 0;
  double span = everyLongitude ? 360.0 : std::fmod(v.lonMax - v.lonMin + 720.0, 360.0);
  if (!everyLongitude && span == 0) span = 360.0;
  auto trace = [&](int steps, auto pointAt) {
    Stroke stroke(dc);
    bool previous = false;
    for (int k = 0; k <= steps; ++k) {
      double lat = 0, lon = 0;
      pointAt(k, lat, lon);
      int x = INT32_MIN, y = INT32_MIN;
      const bool projects = LatLonToPixel(x, y, lat, lon, ctx.cx, ctx.cy, 0);
      if (projects) {
        stroke.Add(x, y);
      } else if (previous && x != INT32_MIN && y != INT32_MIN) {
        stroke.Add(x, y);
        stroke.End();
      } else {
        stroke.End();
      }
      previous = projects;
    }
  };
  for (int i = 0; i < parallels; ++i) {
    const double lat = firstParallel + i * s;
    if (lat >= north) break;
    if (std::fabs(lat) > 89.999999) continue;
    const double step = 0.05 * s / std::cos(lat * kDegToRad);
    const int steps = static_cast<int>(std::min(1e5, std::ceil(span / step)));
    trace(steps, [&](int k, double& la, double& lo) {
      la = lat;
      lo = FoldLongitude(west + std::min(span, k * step));
    });
  }
  const double o = s * 30 / (s + std::cos(Current().latitude * kDegToRad) * (30 - s));
  const double t = 360 / (4 * std::max(1.0, std::floor(360 / o / 4)));
  const double firstMeridian = -180 + t * (std::floor((west + 180) / t) + 1);
  const double latStep = 0.05 * s;
  const int latSteps = static_cast<int>(std::min(1e5, std::ceil((north - south) / latStep)));
  for (int i = 0; i * t <= span && i < 100000; ++i) {
    const double offset = FoldLongitude(firstMeridian + i * t - west);
    if ((offset < 0 ? offset + 360 : offset) > span) continue;
    const double lon = FoldLongitude(firstMeridian + i * t);
    trace(latSteps, [&](int k, double& la, double& lo) {
      la = std::min(north, south + k * latStep);
      lo = lon;
    });
  }
}

bool CMapRenderer::DrawWorldShapes(MapDrawContext& ctx, const std::vector<WorldShape>& shapes,
                                   const std::vector<uint8_t>& steps, const gdi::Pen& pen) {
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(pen);
  const int zoom = GetZoom();
  const int n = ShapeDetailStep(zoom);
  const double centre = Current().longitude;
  int64_t begin = 0;
  for (const WorldShape& shapeRef : shapes) {
    if (!ctx.Tick()) return false;
    WorldShape shape;
    std::memcpy(&shape, &shapeRef, sizeof shape);
    const int64_t end = shape.endIndex;
    // The file's sections are only checked for size: an end that falls back or runs past the
    // steps ends the walk.
    if (end < begin || end > static_cast<int64_t>(steps.size())) break;
    const int64_t first = begin;
    begin = end;
    const int64_t count = end - first;
    if (shape.latitudeDivisor == 0 || shape.longitudeDivisor == 0) continue;
    if (!std::isfinite(shape.startLatitude) || !std::isfinite(shape.startLongitude) ||
        std::fabs(shape.startLatitude) >= 90) {
      continue;
    }
    if ((zoom < 2 && count < 128) || (zoom < 4 && count < 64)) continue;
    if (!ShapeIntersectsView(shape.south, shape.north, shape.west, shape.east, ctx.view)) continue;
    const double latUnit = 1.0 / shape.latitudeDivisor;
    const double lonUnit = 1.0 / (shape.longitudeDivisor * std::cos(shape.startLatitude * kDegToRad));
    double lat = shape.startLatitude, lon = shape.startLongitude;
    Stroke stroke(dc);
    bool havePrevious = false;
    double previousFold = 0;
    auto point = [&] {
      const double fold = FoldLongitude(lon - centre);
      int x = 0, y = 0;
      const bool projects = LatLonToPixel(x, y, lat, lon, ctx.cx, ctx.cy, 2);
      if (!projects || (havePrevious && std::fabs(fold - previousFold) >= 180)) stroke.End();
      if (projects) stroke.Add(x, y);
      havePrevious = projects;
      previousFold = fold;
    };
    point();
    for (int64_t k = 1; k <= count; ++k) {
      const uint8_t b = steps[static_cast<size_t>(first + k - 1)];
      // Both nibbles are signed: shifting keeps the sign, where dividing the whole byte by 16
      // would round a westward step towards zero whenever the latitude nibble is not zero.
      lat += (static_cast<int8_t>(static_cast<uint8_t>(b << 4)) >> 4) * latUnit;
      lon += (static_cast<int8_t>(b) >> 4) * lonUnit;
      if (k % n == 0 || k == count) point();
    }
  }
  return true;
}

bool CMapRenderer::DrawContinents(MapDrawContext& ctx) {
  const CWorldMap* world = WorldOf(ctx);
  if (!MapContinents || !world || world->m_coastShapes.empty()) return true;
  const gdi::Pen pen = ctx.Printing() ? mappens::PenPrintBlack
                                      : (ColorScheme == kSchemeWhite ? mappens::PenCoastDay : mappens::PenCoastNight);
  return DrawWorldShapes(ctx, world->m_coastShapes, world->m_coastSteps, pen);
}

bool CMapRenderer::DrawRivers(MapDrawContext& ctx) {
  const CWorldMap* world = WorldOf(ctx);
  if (!MapRivers || GetZoom() <= 7 || !world || world->m_riverShapes.empty()) return true;
  const gdi::Pen pen = ctx.Printing() ? mappens::PenRiverPrint
                                      : (ColorScheme == kSchemeWhite ? mappens::PenRiverDay : mappens::PenRiverNight);
  return DrawWorldShapes(ctx, world->m_riverShapes, world->m_riverSteps, pen);
}

bool CMapRenderer::DrawMountains(MapDrawContext& ctx) {
  const CWorldMap* world = WorldOf(ctx);
  const int zoom = GetZoom();
  if (!MapMountains || zoom < 2 || !world || world->m_mountainGroups.empty()) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  const bool printing = ctx.Printing();
  const gdi::ColorRef textColor = printing ? 0x404040 : 0x0080C0;
  dc.SetTextColor(textColor);
  dc.SelectPen(printing ? mappens::PenGridDark : mappens::PenCoastDay);
  const gdi::Brush brush =
      !printing && ColorScheme != kSchemeWhite ? gdi::Brush::Solid(0x000000) : gdi::Brush::Solid(0xFFFFFF);
  const std::vector<MountainPeak>& peaks = world->m_peaks;
  int64_t begin = 0;
  for (const MountainGroup& groupRef : world->m_mountainGroups) {
    if (!ctx.Tick()) return false;
    MountainGroup group;
    std::memcpy(&group, &groupRef, sizeof group);
    const int64_t end = group.endIndex;
    if (end < begin || end > static_cast<int64_t>(peaks.size())) break;
    const int64_t first = begin;
    begin = end;
    if (!ShapeIntersectsView(group.south, group.north, group.west, group.east, ctx.view)) continue;
    for (int64_t i = first; i < end; ++i) {
      MountainPeak peak;
      std::memcpy(&peak, &peaks[static_cast<size_t>(i)], sizeof peak);
      int x = 0, y = 0;
      if (!LatLonToPixel(x, y, peak.latitude, peak.longitude, ctx.cx, ctx.cy, 0)) continue;
      if (zoom < 16) {
        dc.SetPixel(x, y, textColor);
        continue;
      }
      if (zoom < 64) {
        const gdi::Point symbol[3] = {{x - 15, y + 15}, {x, y - 15}, {x + 30, y + 30}};
        dc.Polyline(symbol);
        continue;
      }
      const gdi::Point symbol[3] = {{x - 45, y + 45}, {x, y - 45}, {x + 60, y + 60}};
      dc.Polyline(symbol);
      Labels().push_back({x - 45, y - 45, x + 45, y + 45});
      char text[8];
      std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(peak.elevation));
      const gdi::Size size = dc.GetTextExtent(text);
      gdi::Rect rect{0, 0, size.cx + dc.GetTextMetrics().aveCharWidth, size.cy};
      if (!PlaceLabel(rect, x, y, 75)) continue;
      dc.FillRect(rect, brush);
      dc.TextOut(rect.left + 30, rect.top, text);
    }
  }
  return true;
}
