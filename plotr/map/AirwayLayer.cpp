#include <algorithm>
#include <cstring>
#include <string>

#include "navdb/Geodesy.h"
#include "navdb/Tiles.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"

bool CMapRenderer::FindAirwaySegment(const LabelPoint& label, AirwaySegmentView& out) const {
  // The store checks none of these indexes when it loads: each must stay inside its array.
  const CSceneryDatabase& db = Database();
  const CNavPointArray& isecs = db.m_intersections;
  const int a = label.Intersection();
  if (a < 0 || a >= isecs.GetSize()) return false;
  const IntersectionRecord* headA = db.GetIntersection(isecs[a]);
  const AirwaySegment* segsA = db.GetIntersectionSegments(isecs[a]);
  if (!headA || !segsA || label.Slot() >= headA->segmentCount) return false;
  std::memcpy(&out.entry, &segsA[label.Slot()], sizeof out.entry);
  const int32_t b = out.entry.half[0].neighbour;
  if (b < 0 || b >= isecs.GetSize()) return false;
  out.a = &isecs[a];
  out.b = &isecs[b];
  // Only the way back from B is read from B's entry; without one it counts as flyable.
  out.backwardFromB = true;
  const IntersectionRecord* headB = db.GetIntersection(isecs[b]);
  const AirwaySegment* segsB = db.GetIntersectionSegments(isecs[b]);
  const int slotB = out.entry.half[0].slot;
  if (headB && segsB && slotB >= 0 && slotB < headB->segmentCount) {
    AirwaySegment entryB;
    std::memcpy(&entryB, &segsB[slotB], sizeof entryB);
    out.backwardFromB = (entryB.half[1].flags & 1) != 0;
  }
  return true;
}

bool CMapRenderer::AirwayLevelShown(const AirwaySegment& entry) const {
  const uint16_t flags = entry.half[0].flags;
  return (MapAirwayL && (flags & 2)) || (MapAirwayH && (flags & 4));
}

bool CMapRenderer::DrawAirways(MapDrawContext& ctx) {
  if (MapPlanWaypointsOnly || (!MapAirwayL && !MapAirwayH) || GetZoom() < 2) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  const int night = ctx.Day(*this) ? 0 : 4;
  const CLabelPointArray& labels = Database().m_labelPoints;
  for (int i = 0; i < labels.GetSize(); ++i) {
    if (!ctx.Tick()) return false;
    LabelPoint label;
    std::memcpy(&label, &labels[i], sizeof label);
    if (!label.IsFirst()) continue;
    AirwaySegmentView seg;
    if (!FindAirwaySegment(label, seg) || !AirwayLevelShown(seg.entry)) continue;
    const double latA = seg.a->latitude, lonA = seg.a->longitude;
    const double latB = seg.b->latitude, lonB = seg.b->longitude;
    int x = 0, y = 0;
    if (!LatLonToPixel(x, y, latA, lonA, ctx.cx, ctx.cy, 0) && !LatLonToPixel(x, y, latB, lonB, ctx.cx, ctx.cy, 0)) {
      continue;
    }
    const int type = seg.entry.AirwayType() + night;
    const gdi::Pen solid = mappens::PenAirway(type), dotted = mappens::PenAirwayDotted(type);
    const double d = GreatCircleDistance(latA, lonA, latB, lonB) / kMetresPerNm;
    const double fraction = std::min(d / 4, 10.0) / std::max(d, 1e-10);
    const bool forward = (seg.entry.half[0].flags & 1) != 0;
    double latP = 0, lonP = 0;
    if (!forward) {
      PointAlongSegment(latP, lonP, latA, lonA, latB, lonB, fraction);
      dc.SelectPen(dotted);
      DrawClippedGreatCircle(dc, ctx.cx, ctx.cy, latA, lonA, latP, lonP, 8);
      dc.SelectPen(solid);
      DrawClippedGreatCircle(dc, ctx.cx, ctx.cy, latP, lonP, latB, lonB, 8);
    } else if (!seg.backwardFromB) {
      PointAlongSegment(latP, lonP, latB, lonB, latA, lonA, fraction);
      dc.SelectPen(solid);
      DrawClippedGreatCircle(dc, ctx.cx, ctx.cy, latA, lonA, latP, lonP, 8);
      dc.SelectPen(dotted);
      DrawClippedGreatCircle(dc, ctx.cx, ctx.cy, latP, lonP, latB, lonB, 8);
    } else {
      dc.SelectPen(solid);
      DrawClippedGreatCircle(dc, ctx.cx, ctx.cy, latA, lonA, latB, lonB, 8);
    }
  }
  return true;
}

bool CMapRenderer::DrawAirwayIds(MapDrawContext& ctx) {
  if (MapPlanWaypointsOnly || (!MapAirwayL && !MapAirwayH) || !MapAirwayId || GetZoom() < 32 ||
      Labels().size() > 800) {
    return true;
  }
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  const bool day = ctx.Day(*this);
  dc.SetBkColor(day ? 0xFFFFFF : 0x000000);
  dc.SetBkMode(gdi::OPAQUE);
  const CSceneryDatabase& db = Database();
  const CLabelPointArray& labels = db.m_labelPoints;
  const MapViewExtents& v = ctx.view;
  for (int k = 0; k < db.m_tileKeys.GetSize(); ++k) {
    if (!TileIntersectsView(db.m_tileKeys[k], v.latMin, v.latMax, v.lonMin, v.lonMax)) continue;
    const IndexRange range = db.LabelRange(k);
    ctx.visited = 0;
    for (int i = std::max(0, range.first); i < std::min(range.end, labels.GetSize()); ++i) {
      if (!ctx.Tick()) return false;
      LabelPoint label;
      std::memcpy(&label, &labels[i], sizeof label);
      int x = 0, y = 0, xa = 0, ya = 0;
      if (!LatLonToPixel(x, y, label.latitude, label.longitude, ctx.cx, ctx.cy, 0)) continue;
      AirwaySegmentView seg;
      if (!FindAirwaySegment(label, seg) || !AirwayLevelShown(seg.entry)) continue;
      if (!LatLonToPixel(xa, ya, seg.a->latitude, seg.a->longitude, ctx.cx, ctx.cy, 0) &&
          !LatLonToPixel(xa, ya, seg.b->latitude, seg.b->longitude, ctx.cx, ctx.cy, 0)) {
        continue;
      }
      const std::string text(seg.entry.Name());
      const gdi::Size size = dc.GetTextExtent(text);
      gdi::Rect rect{x, y, x + size.cx + dc.GetTextMetrics().aveCharWidth, y + size.cy};
      if (!PlaceLabel(rect, x, y, 75)) continue;
      dc.SetTextColor(mappens::kAirwayColors[(seg.entry.AirwayType() + (day ? 0 : 4)) & 7]);
      dc.TextOut(rect.left, rect.top, text);
    }
  }
  return true;
}
