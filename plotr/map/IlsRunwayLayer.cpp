#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "navdb/Geodesy.h"
#include "platform/win/CLocale.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/plan/Route.h"

namespace {

// Double arithmetic truncated toward zero, kept inside the int range.
int Trunc(double v) { return static_cast<int>(std::clamp(v, -2e9, 2e9)); }

}  // namespace

const NavPoint* CMapRenderer::RunwayIls(const RunwayRecord& runway) const {
  if (!runway.HasIls()) return nullptr;
  // The store does not check the index when it loads: one outside the array means no ILS.
  const int32_t index = runway.IlsIndex();
  const CNavPointArray& ils = Database().m_ils;
  return index >= 0 && index < ils.GetSize() ? &ils[index] : nullptr;
}

void CMapRenderer::DirectionVector(int& dx, int& dy, int length, uint16_t angle, double latitude) const {
  const double theta = BinaryAngleToDegrees(angle) * kDegToRad;
  dx = Trunc(length * std::sin(theta));
  dy = Trunc(-length * std::cos(theta));
  if (!MapRoundWorld) {
    const double c = std::cos(latitude * kDegToRad);
    if (c > 1e-9) dx = Trunc(dx / c);
  }
}

void CMapRenderer::DrawIlsFeather(MapDrawContext& ctx, const NavPoint& point, std::string_view extra, int x, int y) {
  const IlsRecord* ils = Database().GetIls(point);
  if (!ils) return;
  const int16_t glide = ils->glideSlope;
  if (glide < 0 && !MapBcIls) return;
  gdi::Dc& dc = ctx.dc;
  const int zoom = GetZoom();
  int dx = 0, dy = 0;
  if (!MapIls) {
    if (zoom < kDetailZoom) return;
    DirectionVector(dx, dy, GetMapScale(ctx.cx, ctx.cy, 400), ils->course, point.latitude);
    const gdi::Point triangle[3] = {{x, y}, {x - dx - dy / 5, y + dx / 5 - dy}, {x + dy / 5 - dx, y - dy - dx / 5}};
    dc.Polygon(triangle);
    return;
  }
  if (zoom < kDetailZoom) {
    DrawSmallCross(dc, zoom, x, y);
    return;
  }
  const int range = ils->range ? ils->range : 16;
  DirectionVector(dx, dy, GetMapScale(ctx.cx, ctx.cy, range * 2048 * 0.5), ils->course, point.latitude);
  while (std::abs(dx) >= 16384 || std::abs(dy) >= 16384) {
    dx /= 2;
    dy /= 2;
  }
  const gdi::Point corner1{x - dx - dy / 30, y + dx / 30 - dy};
  const gdi::Point corner2{x + dy / 30 - dx, y - dy - dx / 30};
  const gdi::Point tip{x - Trunc(1.05 * dx), y - Trunc(1.05 * dy)};
  const gdi::Point notch{x - Trunc(0.95 * dx), y - Trunc(0.95 * dy)};
  dc.MoveTo(x, y);
  dc.LineTo(corner1.x, corner1.y);
  gdi::Point end = notch;
  if (glide < 0) {
    dc.LineTo(tip.x, tip.y);
    end = tip;
  } else if (glide > 0) {
    dc.LineTo(notch.x, notch.y);
    dc.LineTo(corner2.x, corner2.y);
    dc.MoveTo(corner1.x, corner1.y);
    end = {x - dx, y - dy};
  } else {
    dc.LineTo(notch.x, notch.y);
  }
  dc.LineTo(corner2.x, corner2.y);
  dc.LineTo(x, y);

  if (!MapFreq && !MapName && !MapId) return;
  const bool named = MapName || MapId;
  std::string text;
  {
    win::CLocaleScope cLocale;
    char frequency[32];
    std::snprintf(frequency, sizeof frequency, "%6.2f", static_cast<double>(ils->frequency));
    if (MapFreq && named) {
      text = std::string(frequency) + " " + std::string(ils->Ident());
    } else if (named) {
      text = ils->Ident();
    } else {
      text = frequency;
    }
  }
  if (named && !extra.empty()) text += " " + std::string(extra);
  const gdi::Size size = dc.GetTextExtent(text);
  const int left = x - Trunc(1.3 * dx), top = y - Trunc(1.3 * dy);
  gdi::Rect rect{left, top, left + size.cx + dc.GetTextMetrics().aveCharWidth, top + size.cy};
  if (!PlaceLabel(rect, left, top, 45)) return;
  dc.MoveTo(end.x, end.y);
  dc.LineTo((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  dc.Rectangle(rect.left, rect.top, rect.right, rect.bottom);
  dc.TextOut(rect.left + 30, rect.top, text);
}

bool CMapRenderer::PlanAllows(const MapDrawContext& ctx, const NavPoint& p) const {
  if (!MapPlanWaypointsOnly) return true;
  const CRoute* route = ctx.plan ? ctx.plan->GetCurrent() : nullptr;
  return route && route->Contains(p);
}

bool CMapRenderer::DrawIls(MapDrawContext& ctx) {
  if (!MapIls && GetZoom() < kDetailZoom) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(ctx.Printing() ? mappens::PenPrintBlack : mappens::PenAmber);
  dc.SelectBrush(MapIls ? LabelBrush(ctx) : mappens::BrushYellow);
  return WalkPoints(ctx, kArrayIls, [&](const NavPoint& p, int x, int y) {
    if (PlanAllows(ctx, p)) DrawIlsFeather(ctx, p, {}, x, y);
  });
}

template <class Visit>
bool CMapRenderer::WalkRunwayPairs(MapDrawContext& ctx, Visit&& visit) {
  const CNavPointArray& runways = Database().m_runways;
  return WalkTileRanges(ctx, kArrayRunway, [&](int first, int end) {
    for (int i = first; i + 1 < end; i += 2) {
      if (!ctx.Tick()) return false;
      const NavPoint& a = runways[i];
      const NavPoint& b = runways[i + 1];
      if (a.IsShown() && b.IsShown()) visit(a, b);
    }
    return true;
  });
}

bool CMapRenderer::DrawIlsRunways(MapDrawContext& ctx) {
  if (!MapIls) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(ctx.Printing() ? mappens::PenPrintBlack : mappens::PenAmber);
  dc.SelectBrush(LabelBrush(ctx));
  const CSceneryDatabase& db = Database();
  return WalkRunwayPairs(ctx, [&](const NavPoint& a, const NavPoint& b) {
    for (const NavPoint* end : {&a, &b}) {
      const RunwayRecord* runway = db.GetRunway(*end);
      const NavPoint* ils = runway ? RunwayIls(*runway) : nullptr;
      int x = 0, y = 0;
      if (!ils || !PlanAllows(ctx, *end) || !LatLonToPixel(x, y, end->latitude, end->longitude, ctx.cx, ctx.cy, 0)) {
        continue;
      }
      DrawIlsFeather(ctx, *ils, runway->Designator(), x, y);
    }
  });
}

bool CMapRenderer::DrawRunways(MapDrawContext& ctx) {
  if (!MapAirport) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(mappens::PenYellow);
  dc.SelectBrush(mappens::BrushYellow);
  const CSceneryDatabase& db = Database();
  return WalkRunwayPairs(ctx, [&](const NavPoint& a, const NavPoint& b) {
    double latM = 0, lonM = 0;
    PointAlongSegment(latM, lonM, a.latitude, a.longitude, b.latitude, b.longitude, 0.5);
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0, xm = 0, ym = 0;
    const bool p1 = LatLonToPixel(x1, y1, a.latitude, a.longitude, ctx.cx, ctx.cy, 0);
    const bool p2 = LatLonToPixel(x2, y2, b.latitude, b.longitude, ctx.cx, ctx.cy, 0);
    const bool pm = LatLonToPixel(xm, ym, latM, lonM, ctx.cx, ctx.cy, 0);
    if (!p1 && !p2 && !pm) return;
    // An end outside the window still gives the line its direction: project it unclipped.
    if (!p1) LatLonToPixel(x1, y1, a.latitude, a.longitude, ctx.cx, ctx.cy, 2);
    if (!p2) LatLonToPixel(x2, y2, b.latitude, b.longitude, ctx.cx, ctx.cy, 2);
    const RunwayRecord* r1 = db.GetRunway(a);
    const RunwayRecord* r2 = db.GetRunway(b);
    if (!r1) return;
    const NavPoint* ils1 = RunwayIls(*r1);
    const NavPoint* ils2 = r2 ? RunwayIls(*r2) : nullptr;
    if (!MapIls && (ils1 || ils2)) {
      int dx = 0, dy = 0;
      DirectionVector(dx, dy, GetMapScale(ctx.cx, ctx.cy, 400), r1->heading, a.latitude);
      auto shown = [&](const NavPoint* ils) {
        const IlsRecord* record = ils ? db.GetIls(*ils) : nullptr;
        return record && (MapBcIls || record->glideSlope >= 0);
      };
      if (shown(ils1)) {
        const gdi::Point t[3] = {{x1, y1}, {x1 - dx - dy / 5, y1 + dx / 5 - dy}, {x1 + dy / 5 - dx, y1 - dy - dx / 5}};
        dc.Polygon(t);
      }
      if (shown(ils2)) {
        const gdi::Point t[3] = {{x2, y2}, {x2 + dx + dy / 5, y2 + dy - dx / 5}, {x2 + dx - dy / 5, y2 + dy + dx / 5}};
        dc.Polygon(t);
      }
    }
    const bool water = r1->surface == 9;
    double feet = r1->width;
    if (water) feet = std::min(feet, 150.0);
    int width = GetMapScale(ctx.cx, ctx.cy, feet / kFeetPerMetre);
    if (width < 16) width = 15;
    const gdi::Pen kept = dc.SelectPen(gdi::Pen::Geometric(width, water ? 0xFF0000 : 0x000000));
    dc.MoveTo(x1, y1);
    dc.LineTo(x2, y2);
    dc.SelectPen(kept);
  });
}

bool CMapRenderer::DrawAirportLabels(MapDrawContext& ctx) {
  if (!MapAirport || (!MapAirportName && !MapAirportId)) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SetBkColor(ctx.Day(*this) ? 0xFFFFFF : 0x000000);
  dc.SetBkMode(gdi::OPAQUE);
  const CSceneryDatabase& db = Database();
  return WalkPoints(ctx, kArrayAirport, [&](const NavPoint& p, int x, int y) {
    if (!PlanAllows(ctx, p)) return;
    const AirportRecord* airport = db.GetAirport(p);
    if (!airport) return;
    const int o = std::max(30, GetMapScale(ctx.cx, ctx.cy, (airport->size & 0x7F) * 100.0));
    const std::string name = db.GetString(airport->nameText);
    const std::string line1 = MapAirportName ? name : std::string();
    std::string line2 = MapAirportId ? std::string(airport->Ident()) : std::string();
    if (MapAirportId && line2.empty() && !MapAirportName) line2 = name;
    const gdi::Size a = line1.empty() ? gdi::Size{} : dc.GetTextExtent(line1);
    const gdi::Size b = line2.empty() ? gdi::Size{} : dc.GetTextExtent(line2);
    const int w = std::max(a.cx, b.cx);
    const int half = (w + dc.GetTextMetrics().aveCharWidth) / 2;
    gdi::Rect rect{x - half, y + o, x + half, y + o + a.cy + b.cy};
    if (!PlaceLabel(rect, x, y, o)) return;
    if (MapAirportName) dc.TextOut(rect.left + (w - a.cx) / 2, rect.top, line1);
    if (!line2.empty()) dc.TextOut(rect.left + (w - b.cx) / 2, rect.top + a.cy, line2);
  });
}
