#include <cmath>
#include <cstdio>
#include <string>

#include "platform/win/CLocale.h"
#include "platform/win/Codepage.h"
#include "navdb/Geodesy.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Route.h"

namespace {

const CRoute* RouteOf(const MapDrawContext& ctx) { return ctx.plan ? ctx.plan->GetCurrent() : nullptr; }

void Triangle(gdi::Dc& dc, int x, int y, int a) {
  const gdi::Point corners[3] = {{x, y - a}, {x + a, y + a}, {x - a, y + a}};
  dc.Polygon(corners);
}

void TriangleOutline(gdi::Dc& dc, int x, int y, int a) {
  const gdi::Point corners[4] = {{x, y - a}, {x + a, y + a}, {x - a, y + a}, {x, y - a}};
  dc.Polyline(corners);
}

std::string Format(const char* format, double value) {
  win::CLocaleScope c;
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

void DrawSmallCross(gdi::Dc& dc, int zoom, int x, int y) {
  const int a = zoom >= 16 ? 30 : 15, b = zoom >= 16 ? 45 : 30;
  dc.MoveTo(x - a, y);
  dc.LineTo(x + b, y);
  dc.MoveTo(x, y - a);
  dc.LineTo(x, y + b);
}

gdi::Pen CMapRenderer::NeutralPen(const MapDrawContext& ctx) const {
  return ctx.Day(*this) ? mappens::PenGridDark : mappens::PenGreyLight;
}

gdi::Brush CMapRenderer::LabelBrush(const MapDrawContext& ctx) const {
  return gdi::Brush::Solid(ctx.Day(*this) ? 0xFFFFFF : 0x000000);
}

bool CMapRenderer::NavaidTaken(const MapDrawContext& ctx, const NavPoint& p, uint8_t ownSwitch) const {
  if (!(ownSwitch || (MapAirwayL && (p.kind & 1)) || (MapAirwayH && (p.kind & 2)))) return false;
  return PlanAllows(ctx, p);
}

void CMapRenderer::DrawNavaidLabel(MapDrawContext& ctx, int x, int y, std::string_view name,
                                   const std::string& frequency, std::string_view ident, int step) {
  if (!MapName && !MapId && !MapFreq) return;
  gdi::Dc& dc = ctx.dc;
  const std::string first = MapName ? std::string(name) : std::string();
  std::string second;
  if (MapFreq && MapId) {
    second = frequency + " " + std::string(ident);
  } else if (MapId) {
    second = ident;
  } else if (MapFreq) {
    second = frequency;
  }
  const gdi::Size a = first.empty() ? gdi::Size{} : dc.GetTextExtent(first);
  const gdi::Size b = second.empty() ? gdi::Size{} : dc.GetTextExtent(second);
  const int wide = std::max(a.cx, b.cx);
  gdi::Rect rect{x, y, x + wide + dc.GetTextMetrics().aveCharWidth, y + a.cy + b.cy};
  if (!PlaceLabel(rect, x, y, step)) return;
  {
    gdi::DcStateGuard guard(dc);
    dc.SelectBrush(LabelBrush(ctx));
    dc.Rectangle(rect.left, rect.top, rect.right, rect.bottom);
  }
  if (MapName) dc.TextOut(rect.left + 30 + (wide - a.cx) / 2, rect.top, first);
  if (MapId || MapFreq) dc.TextOut(rect.left + 30 + (wide - b.cx) / 2, rect.top + a.cy, second);
}

void CMapRenderer::DrawPointLabel(MapDrawContext& ctx, int x, int y, const std::string& text, int step) {
  if (!MapName && !MapId) return;
  gdi::Dc& dc = ctx.dc;
  const gdi::Size size = dc.GetTextExtent(text);
  gdi::Rect rect{x, y, x + size.cx + dc.GetTextMetrics().aveCharWidth, y + size.cy};
  if (!PlaceLabel(rect, x, y, step)) return;
  dc.FillRect(rect, LabelBrush(ctx));
  dc.TextOut(rect.left + 30, rect.top, text);
}

void CMapRenderer::DrawLinkedTriangle(MapDrawContext& ctx, int x, int y) {
  gdi::DcStateGuard guard(ctx.dc);
  ctx.dc.SelectPen(NeutralPen(ctx));
  ctx.dc.SelectBrush(LabelBrush(ctx));
  Triangle(ctx.dc, x, y, 45);
}

bool CMapRenderer::DrawNdbs(MapDrawContext& ctx) {
  if (!MapNdb && !MapAirwayL && !MapAirwayH) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(mappens::PenLime);
  dc.SelectBrush(gdi::Brush::None());
  const int zoom = GetZoom();
  const int r = zoom < 128 ? 105 : 150;
  const CSceneryDatabase& db = Database();
  return WalkPoints(ctx, kArrayNdb, [&](const NavPoint& p, int x, int y) {
    if (!NavaidTaken(ctx, p, MapNdb)) return;
    if (zoom < kDetailZoom) {
      DrawSmallCross(dc, zoom, x, y);
      return;
    }
    dc.Ellipse(x - r, y - r, x + r, y + r);
    dc.Ellipse(x - r / 2, y - r / 2, x + r / 2, y + r / 2);
    Labels().push_back({x - r, y - r, x + r, y + r});
    const NdbRecord* ndb = db.GetNdb(p);
    if (!ndb) return;
    const int32_t linked = ndb->intersection;
    if (linked >= 0) DrawLinkedTriangle(ctx, x, y);
    const int32_t nameText = ndb->nameText;
    const std::string frequency = Format("%5.1f", ndb->frequency);
    DrawNavaidLabel(ctx, x, y, db.GetString(nameText), frequency, ndb->Ident(), r + 45);
  });
}

bool CMapRenderer::DrawVors(MapDrawContext& ctx) {
  if (!MapVor && !MapAirwayL && !MapAirwayH) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(mappens::PenBlue);
  dc.SelectBrush(gdi::Brush::None());
  const int zoom = GetZoom();
  const int rose = zoom < 128 ? 90 : 480;
  const int tickStep = zoom < 128 ? 30 : 10;
  const CSceneryDatabase& db = Database();
  return WalkPoints(ctx, kArrayVor, [&](const NavPoint& p, int x, int y) {
    if (!NavaidTaken(ctx, p, MapVor)) return;
    if (zoom < kDetailZoom) {
      DrawSmallCross(dc, zoom, x, y);
      return;
    }
    const VorRecord* vor = db.GetVor(p);
    const uint8_t flags = vor ? vor->flags : 0;
    const bool bearing = (flags & 8) == 0;
    if (bearing) {
      const gdi::Point hexagon[7] = {{x - 45, y - 90}, {x + 45, y - 90}, {x + 90, y},     {x + 45, y + 90},
                                     {x - 45, y + 90}, {x - 90, y},      {x - 45, y - 90}};
      dc.Polyline(hexagon);
    }
    if (flags & 3) {
      const gdi::Point square[5] = {{x - 90, y - 90}, {x + 90, y - 90}, {x + 90, y + 90}, {x - 90, y + 90}, {x - 90, y - 90}};
      dc.Polyline(square);
    }
    Labels().push_back({x - 90, y - 90, x + 90, y + 90});
    if (vor && vor->intersection >= 0) DrawLinkedTriangle(ctx, x, y);
    if (zoom >= 128) {
      dc.Ellipse(x - rose, y - rose, x + rose, y + rose);
      if (bearing) {
        const double v = ::MagneticVariation(db, p.latitude, p.longitude);
        dc.MoveTo(x, y - 90);
        dc.LineTo(x + static_cast<int>(-rose * std::sin(v * kDegToRad)), y + static_cast<int>(-rose * std::cos(v * kDegToRad)));
        for (int a = 0; a < 180; a += tickStep) {
          const double dx = rose * std::sin((a + v) * kDegToRad), dy = rose * std::cos((a + v) * kDegToRad);
          const double f = a % 30 == 0 ? 0.8 : 0.9;
          dc.MoveTo(x + static_cast<int>(dx), y + static_cast<int>(dy));
          dc.LineTo(x + static_cast<int>(f * dx), y + static_cast<int>(f * dy));
          dc.MoveTo(x - static_cast<int>(dx), y - static_cast<int>(dy));
          dc.LineTo(x - static_cast<int>(f * dx), y - static_cast<int>(f * dy));
        }
      }
    }
    if (!vor) return;
    const int32_t nameText = vor->nameText;
    const std::string frequency = Format("%6.2f", vor->frequency);
    DrawNavaidLabel(ctx, x, y, db.GetString(nameText), frequency, vor->Ident(), zoom < 128 ? 135 : 300);
  });
}

bool CMapRenderer::DrawIntersections(MapDrawContext& ctx) {
  const int zoom = GetZoom();
  if (!(MapAirwayL || MapAirwayH || MapIsec) || zoom < 2) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(NeutralPen(ctx));
  dc.SelectBrush(LabelBrush(ctx));
  const gdi::ColorRef dot = ctx.Day(*this) ? 0x404040 : 0xC0C0C0;
  const CSceneryDatabase& db = Database();
  const CRoute* route = RouteOf(ctx);
  return WalkPoints(ctx, kArrayIntersection, [&](const NavPoint& p, int x, int y) {
    const bool inPlan = route && route->Contains(p);
    if (!(MapIsec || (MapAirwayL && (p.kind & 1)) || (MapAirwayH && (p.kind & 2)))) return;
    if (MapPlanWaypointsOnly && !inPlan) return;
    const IntersectionRecord* isec = db.GetIntersection(p);
    const bool coordinate = isec && (isec->type & 15) == 13;
    const bool prominent = coordinate || (p.kind & 3) || inPlan;
    if (zoom < kDetailZoom) {
      if (zoom > 7 && prominent) {
        TriangleOutline(dc, x, y, 15);
      } else if (coordinate) {
        dc.SetPixel(x, y, dot);
      }
      return;
    }
    if (zoom < 256 && !prominent) {
      TriangleOutline(dc, x, y, 15);
      return;
    }
    Triangle(dc, x, y, 45);
    Labels().push_back({x - 45, y - 45, x + 45, y + 45});
    if (!isec) return;
    std::string name(isec->Ident());
    for (char& c : name) c = win::Cp1252ToLower(c);
    DrawPointLabel(ctx, x, y, name, 75);
  });
}

bool CMapRenderer::DrawMarkers(MapDrawContext& ctx) {
  if (!MapMarker || GetZoom() < kDetailZoom) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectBrush(LabelBrush(ctx));
  const CSceneryDatabase& db = Database();
  return WalkPoints(ctx, kArrayMarker, [&](const NavPoint& p, int x, int y) {
    const MarkerRecord* marker = db.GetMarker(p);
    const gdi::Pen kept = dc.GetPen();
    switch (marker ? marker->type : 255) {
      case 0: dc.SelectPen(mappens::PenRed); break;
      case 1: dc.SelectPen(mappens::PenAmber); break;
      case 2: dc.SelectPen(mappens::PenLime); break;
      default: break;
    }
    dc.Rectangle(x - 30, y - 30, x + 30, y + 30);
    dc.SelectPen(kept);
  });
}

bool CMapRenderer::DrawUserFixes(MapDrawContext& ctx) {
  const CRoute* route = RouteOf(ctx);
  if (!route) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(NeutralPen(ctx));
  dc.SelectBrush(LabelBrush(ctx));
  const gdi::ColorRef dot = ctx.Day(*this) ? 0x404040 : 0xC0C0C0;
  const int zoom = GetZoom();
  for (const NavPoint& p : route->m_userFixes) {
    if (!ctx.Tick()) return false;
    int x = 0, y = 0;
    if (!p.IsShown() || !LatLonToPixel(x, y, p.latitude, p.longitude, ctx.cx, ctx.cy, 0)) continue;
    if (zoom < 16) {
      dc.SetPixel(x, y, dot);
    } else if (zoom < kDetailZoom) {
      TriangleOutline(dc, x, y, zoom < 32 ? 15 : 30);
    } else {
      Triangle(dc, x, y, 60);
      Labels().push_back({x - 60, y - 60, x + 60, y + 60});
      FixName name{};
      route->m_fixNames.Lookup(p, name);
      DrawPointLabel(ctx, x, y, std::string(FixNameText(name)), 90);
    }
  }
  return true;
}
