#include <cmath>
#include <cstdio>
#include <string>

#include "navdb/Geodesy.h"
#include "platform/win/CLocale.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"

namespace {

const char* PseudoPointName(uint32_t kind) {
  switch (kind) {
    case kPseudoBeginClimb: return "BOC";
    case kPseudoEndClimb: return "EOC";
    case kPseudoBeginDescent: return "BOD";
    case kPseudoEndDescent: return "EOD";
    case kPseudoClimbMeetsDescent: return "EOC, BOD";
    case kPseudoDescentMeetsClimb: return "EOD, BOC";
    default: return "";
  }
}

}  // namespace

bool CMapRenderer::DrawPlanTrack(MapDrawContext& ctx) {
  if (!ctx.plan) return true;
  const std::vector<PlanRow>& rows = ctx.plan->m_rows;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  const bool day = ctx.Day(*this);
  dc.SelectPen(day ? mappens::PenTrackLightWide : mappens::PenTrackDarkWide);
  const bool bearings = WalkPlanRows(rows, [&](int, const PlanRow& row, double lat, double lon) {
    if (!ctx.Tick()) return false;
    if (row.rowKind == kRowBearing) DrawClippedGreatCircle(dc, ctx.cx, ctx.cy, lat, lon, row.latitude, row.longitude, 1);
    return true;
  });
  if (!bearings) return false;
  dc.SelectPen(day ? mappens::PenTrackDarkWide : mappens::PenTrackLightWide);
  return WalkPlanRows(rows, [&](int, const PlanRow& row, double lat, double lon) {
    if (!ctx.Tick()) return false;
    if (row.rowKind == kRowBearing) return true;
    DrawClippedGreatCircle(dc, ctx.cx, ctx.cy, lat, lon, row.latitude, row.longitude, 1);
    int x = 0, y = 0;
    if (row.IsPseudo() && LatLonToPixel(x, y, row.latitude, row.longitude, ctx.cx, ctx.cy, 0)) {
      const gdi::Point diamond[5] = {{x, y + 45}, {x + 45, y}, {x, y - 45}, {x - 45, y}, {x, y + 45}};
      dc.Polyline(diamond);
      Labels().push_back({x - 45, y - 45, x + 45, y + 45});
    }
    return true;
  });
}

void CMapRenderer::DrawTextBox(MapDrawContext& ctx, int x, int y, const std::string& line1,
                               const std::string& line2, int step) {
  gdi::Dc& dc = ctx.dc;
  const gdi::Size a = dc.GetTextExtent(line1);
  const gdi::Size b = line2.empty() ? gdi::Size{} : dc.GetTextExtent(line2);
  gdi::Rect rect{x, y, x + std::max(a.cx, b.cx) + dc.GetTextMetrics().aveCharWidth, y + a.cy + b.cy};
  if (!PlaceLabel(rect, x, y, step)) return;
  dc.Rectangle(rect.left, rect.top, rect.right, rect.bottom);
  dc.TextOut(rect.left, rect.top, line1);
  if (!line2.empty()) dc.TextOut(rect.left, rect.top + a.cy, line2);
}

bool CMapRenderer::DrawRouteLabels(MapDrawContext& ctx) {
  if (!MapRouteLabels || !ctx.plan) return true;
  const std::vector<PlanRow>& rows = ctx.plan->m_rows;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(gdi::StockPen(gdi::Stock::NullPen));
  dc.SelectBrush(LabelBrush(ctx));
  win::CLocaleScope cLocale;
  auto format = [](const char* f, double a, double b = 0) {
    char text[64];
    std::snprintf(text, sizeof text, f, a, b);
    return std::string(text);
  };
  return WalkPlanRows(rows, [&](int, const PlanRow& row, double lat, double lon) {
    if (!ctx.Tick()) return false;
    int x = 0, y = 0;
    double pLat = 0, pLon = 0;
    if (row.rowKind == kRowBearing) {
      PointAlongSegment(pLat, pLon, lat, lon, row.latitude, row.longitude, 0.75);
      if (LatLonToPixel(x, y, pLat, pLon, ctx.cx, ctx.cy, 0)) {
        DrawTextBox(ctx, x, y, format("%1.1fnm", row.legDistance),
                    format("%1.0f/%1.0f", row.course, std::fmod(row.course + 180, 360)), 45);
      }
      return true;
    }
    if (row.IsPseudo() && LatLonToPixel(x, y, row.latitude, row.longitude, ctx.cx, ctx.cy, 0)) {
      DrawTextBox(ctx, x, y, PseudoPointName(row.kind), "", 90);
    }
    PointAlongSegment(pLat, pLon, lat, lon, row.latitude, row.longitude, 0.5);
    if (LatLonToPixel(x, y, pLat, pLon, ctx.cx, ctx.cy, 0)) {
      DrawTextBox(ctx, x, y, format("%1.1fnm %1.0f", row.legDistance, row.course), "", 45);
    }
    return true;
  });
}
