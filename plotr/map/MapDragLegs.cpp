// Feedback while plan points are dragged over the map: the legs into and out of the marked
// points and their labels, drawn by the window over its current frame. Taking the feedback away
// is recomposing the frame, so nothing here keeps the pixels it covers.

#include <cmath>
#include <cstdio>

#include "navdb/Geodesy.h"
#include "platform/win/CLocale.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/plan/Route.h"

namespace {

bool RowMarked(const PlanRow& row, const CRoute& route) {
  return row.pointIndex >= 0 && row.pointIndex < route.GetCount() && route[row.pointIndex].marked != 0;
}

// Walks the rows with the dragged-leg flag: a marked non-bearing point raises it (the leg into
// the point is dragged), the next unmarked non-bearing point is drawn and lowers it (the leg out
// of the point). visit(index, row, fromLat, fromLon) gets every dragged leg.
template <class Visit>
void WalkDraggedLegs(const std::vector<PlanRow>& rows, const CRoute& route, Visit&& visit) {
  bool dragged = false;
  size_t next = 0;  // the flag is brought up to each row in order, drawn rows or not
  auto advance = [&](size_t upTo) {
    for (; next < upTo; ++next) {
      if (rows[next].rowKind == kRowBearing) continue;
      dragged = RowMarked(rows[next], route);
    }
  };
  WalkPlanRows(rows, [&](int index, const PlanRow& row, double lat, double lon) {
    advance(static_cast<size_t>(index));
    if (row.rowKind == kRowBearing) {
      if (dragged) visit(index, row, lat, lon);
      return true;
    }
    const bool marked = RowMarked(row, route);
    if (marked) dragged = true;
    if (dragged) visit(index, row, lat, lon);
    dragged = marked;
    next = static_cast<size_t>(index) + 1;
    return true;
  });
}

}  // namespace

void CMapRenderer::DrawDragLegs(gdi::Dc& dc, int cx, int cy, const std::vector<PlanRow>& rows,
                                const CRoute& route) {
  gdi::DcStateGuard guard(dc);
  dc.SetROP2(gdi::R2_NOTXORPEN);
  const bool day = ColorScheme == kSchemeWhite;
  dc.SelectPen(day ? mappens::PenGreyLight : mappens::PenGreyDark);
  WalkDraggedLegs(rows, route, [&](int, const PlanRow& row, double lat, double lon) {
    if (row.rowKind == kRowBearing) DrawClippedGreatCircle(dc, cx, cy, lat, lon, row.latitude, row.longitude, 1);
  });
  dc.SelectPen(gdi::StockPen(gdi::Stock::BlackPen));
  WalkDraggedLegs(rows, route, [&](int, const PlanRow& row, double lat, double lon) {
    if (row.rowKind != kRowBearing) DrawClippedGreatCircle(dc, cx, cy, lat, lon, row.latitude, row.longitude, 1);
  });
}

std::vector<gdi::Rect> CMapRenderer::DrawLegLabelsOverlay(gdi::Dc& dc, int cx, int cy,
                                                          const std::vector<PlanRow>& rows,
                                                          const CRoute& route) {
  gdi::DcStateGuard guard(dc);
  const bool day = ColorScheme == kSchemeWhite;
  dc.SelectFont(ScaledMapFont());
  dc.SetBkMode(gdi::TRANSPARENT);
  dc.SetTextColor(day ? 0x000000 : 0xC0C0C0);
  dc.SelectPen(gdi::StockPen(day ? gdi::Stock::BlackPen : gdi::Stock::WhitePen));
  dc.SelectBrush(gdi::StockBrush(day ? gdi::Stock::WhiteBrush : gdi::Stock::BlackBrush));
  const int ave = dc.GetTextMetrics().aveCharWidth;
  const int indent = dc.DeviceToLogicalX(2);
  const int step = dc.DeviceToLogicalX(3);
  std::vector<gdi::Rect> placed;
  win::CLocaleScope cLocale;
  WalkDraggedLegs(rows, route, [&](int, const PlanRow& row, double lat, double lon) {
    const bool bearing = row.rowKind == kRowBearing;
    double pLat = 0, pLon = 0;
    PointAlongSegment(pLat, pLon, lat, lon, row.latitude, row.longitude, bearing ? 0.75 : 0.5);
    int x = 0, y = 0;
    if (!LatLonToPixel(x, y, pLat, pLon, cx, cy, 0)) return;
    char line1[64], line2[64] = "";
    if (bearing) {
      std::snprintf(line1, sizeof line1, "%1.1fnm", row.legDistance);
      std::snprintf(line2, sizeof line2, "%1.0f/%1.0f", row.course, std::fmod(row.course + 180, 360));
    } else {
      std::snprintf(line1, sizeof line1, "%1.1fnm %1.0f", row.legDistance, row.course);
    }
    const gdi::Size s1 = dc.GetTextExtent(line1);
    const gdi::Size s2 = line2[0] ? dc.GetTextExtent(line2) : gdi::Size{};
    gdi::Rect box{x, y, x + std::max(s1.cx, s2.cx) + ave, y + s1.cy + s2.cy};
    if (!PlaceLabel(box, x, y, step, &placed)) return;
    dc.Rectangle(box.left, box.top, box.right, box.bottom);
    dc.TextOut(box.left + indent, box.top, line1);
    if (line2[0]) dc.TextOut(box.left + indent, box.top + s1.cy, line2);
  });
  return placed;
}
