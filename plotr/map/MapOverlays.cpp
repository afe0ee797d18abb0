// The overlays drawn over a copy of the finished picture: holding pattern, fly-to target,
// top-of-climb/descent marker, own aircraft and the multiplayer aircraft with trails and labels.

#include <clocale>
#include <cmath>
#include <cstdio>

#include "navdb/Geodesy.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/Units.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kSqrt2 = 1.4142135623730951;

// Legs of a timed holding flown on the ground or slowly.
constexpr double kDefaultHoldingLegNm = 3;
constexpr double kEntryLineMetres = 4 * kMetresPerNm;
constexpr int kTargetRadiusInner = 75;
constexpr int kTargetRadiusOuter = 150;

// Multiplayer trails: a point at most every 500 m; a jump beyond 2 km starts a new trail.
constexpr double kTrailStepMetres = 500;
constexpr double kTrailBreakMetres = 2000;
constexpr int kTrailMax = 100;
// Wind corrects a player's airspeed only near the own aircraft, where its wind is known.
constexpr double kWindRangeMetres = 100 * kMetresPerNm;
constexpr double kFeetPerSecondToDegrees = 0.3048 * kDegPerMetre;

gdi::Point Offset(gdi::Point p, double dx, double dy) {
  return gdi::Point{p.x + static_cast<int>(std::lround(dx)), p.y + static_cast<int>(std::lround(dy))};
}

void Line(gdi::Dc& dc, gdi::Point a, gdi::Point b) {
  dc.MoveTo(a.x, a.y);
  dc.LineTo(b.x, b.y);
}

// The half of the ellipse about `centre` between a and b that bulges toward `toward`.
void HalfArc(gdi::Dc& dc, double cx, double cy, double rx, double ry, gdi::Point a, gdi::Point b,
             double towardX, double towardY) {
  // Counter-clockwise on the screen from a: the screen angle decreases (y down).
  const double angA = std::atan2((a.y - cy) / ry, (a.x - cx) / rx);
  const double mid = angA - kPi / 2;
  const bool fromA = std::cos(mid) * rx * towardX + std::sin(mid) * ry * towardY > 0;
  const gdi::Point s = fromA ? a : b, e = fromA ? b : a;
  dc.Arc(static_cast<int>(std::lround(cx - rx)), static_cast<int>(std::lround(cy - ry)),
         static_cast<int>(std::lround(cx + rx)), static_cast<int>(std::lround(cy + ry)), s.x, s.y, e.x, e.y);
}

// Saves the DC and selects the inverting mode that every line overlay draws in.
class XorOverlay {
 public:
  explicit XorOverlay(gdi::Dc& dc) : m_guard(dc) {
    dc.SetROP2(gdi::R2_NOTXORPEN);
    dc.SelectPen(gdi::StockPen(gdi::Stock::BlackPen));
    dc.SelectBrush(gdi::StockBrush(gdi::Stock::NullBrush));
  }

 private:
  gdi::DcStateGuard m_guard;
};

}  // namespace

MapGuidanceOverlay MapGuidanceOverlay::FromPlan(const CFlightPlanCore& plan) {
  MapGuidanceOverlay g;
  g.guidanceFlags = plan.m_guidanceFlags;
  g.targetLatitude = plan.m_flyToLatitude;
  g.targetLongitude = plan.m_flyToLongitude;
  g.levelOffValid = plan.m_levelOffValid;
  g.levelOffLatitude = plan.m_levelOffLatitude;
  g.levelOffLongitude = plan.m_levelOffLongitude;
  g.levelOffCourse = plan.m_levelOffCourse;
  return g;
}

void CMapRenderer::DrawOverlayArcs(gdi::Dc& dc, int cx, int cy, const SimSnapshot& sim,
                                   const HoldingDefinition& h) {
  if (cx == 0 || cy == 0 || !h.defined) return;
  const double fixLat = h.latitude, fixLon = h.longitude;
  int fx = 0, fy = 0;
  if (!LatLonToPixel(fx, fy, fixLat, fixLon, cx, cy, 0)) return;
  XorOverlay mode(dc);

  double course = h.headingMode == 1 ? std::fmod(h.heading + 180.0, 360.0) : h.heading;
  course = std::fmod(course - h.variation + 360.0, 360.0);
  double legNm = kDefaultHoldingLegNm;
  if (h.segmentKind == 1) {
    legNm = h.segmentLength;
  } else if (!sim.onGround && sim.trueAirspeed > 50) {
    legNm = sim.trueAirspeed * h.segmentLength / 60;
  }
  const double len = GetMapScale(cx, cy, legNm * kMetresPerNm);
  const double t = course * kDegToRad;
  const double stretch = MapRoundWorld ? 1.0 : 1.0 / std::max(1e-10, std::cos(fixLat * kDegToRad));
  const double vx = len * std::sin(t) * stretch, vy = -len * std::cos(t);
  const double side = (h.turnDirection == 1) ? -1.0 : 1.0;
  const double wx = side * std::cos(t) * 2 * len / kPi * stretch, wy = side * std::sin(t) * 2 * len / kPi;
  const double radius = len / kPi;

  const gdi::Point fix{fx, fy};
  const double c1x = fx + wx / 2, c1y = fy + wy / 2;
  const double c2x = c1x - vx, c2y = c1y - vy;
  // Arcs are drawn only while their boxes stay within the drawing layer's coordinate range.
  const double limit = gdi::kCoordinateLimit;
  auto inRange = [&](double v) { return std::fabs(2 * v) < limit; };
  if (inRange(c1x) && inRange(c1y) && inRange(c2x) && inRange(c2y)) {
    const gdi::Point farFix = Offset(fix, -vx, -vy);
    const gdi::Point abeam = Offset(fix, wx, wy);
    const gdi::Point farAbeam = Offset(fix, wx - vx, wy - vy);
    Line(dc, farFix, fix);
    Line(dc, abeam, farAbeam);
    HalfArc(dc, c1x, c1y, radius * stretch, radius, fix, abeam, vx, vy);
    HalfArc(dc, c2x, c2y, radius * stretch, radius, farFix, farAbeam, -vx, -vy);
  }
  const double bearings[3] = {course, course + ((h.turnDirection == 1) ? 70.0 : -70.0),
                              course + ((h.turnDirection == 1) ? -110.0 : 110.0)};
  for (double b : bearings) {
    double lat = 0, lon = 0;
    DestinationPoint(lat, lon, fixLat, fixLon, PositiveModulo(b, 360), kEntryLineMetres);
    int x = 0, y = 0;
    if (LatLonToPixel(x, y, lat, lon, cx, cy, 2)) Line(dc, fix, gdi::Point{x, y});
  }
}

void CMapRenderer::DrawTargetCircles(gdi::Dc& dc, int cx, int cy, const MapGuidanceOverlay& g) {
  if (cx == 0 || cy == 0 || g.guidanceFlags == 0) return;
  int x = 0, y = 0;
  if (!LatLonToPixel(x, y, g.targetLatitude, g.targetLongitude, cx, cy, 0)) return;
  XorOverlay mode(dc);
  for (int r : {kTargetRadiusInner, kTargetRadiusOuter}) dc.Ellipse(x - r, y - r, x + r, y + r);
}

void CMapRenderer::DrawTopOfClimbDescentMarker(gdi::Dc& dc, int cx, int cy, const MapGuidanceOverlay& g) {
  if (cx == 0 || cy == 0 || !MapShowAircraft || !g.levelOffValid) return;
  int x = 0, y = 0;
  if (!LatLonToPixel(x, y, g.levelOffLatitude, g.levelOffLongitude, cx, cy, 0)) return;
  XorOverlay mode(dc);
  dc.SelectPen(gdi::Pen::Geometric(dc.DeviceToLogicalX(2), 0x404040, gdi::LineJoin::Bevel));
  const double a = ScreenAngle(g.levelOffCourse, g.levelOffLatitude) * kDegToRad;
  const double ux = std::cos(a), uy = std::sin(a);
  const gdi::Point tip = Offset(gdi::Point{x, y}, -30 * ux, -30 * uy);
  Line(dc, tip, Offset(tip, -300 * ux, -300 * uy));
  Line(dc, tip, Offset(tip, -120 * ux + 60 * uy, -120 * uy - 60 * ux));
  Line(dc, tip, Offset(tip, -120 * ux - 60 * uy, -120 * uy + 60 * ux));
}

void CMapRenderer::DrawOwnAircraft(gdi::Dc& dc, int cx, int cy, const SimSnapshot& sim) {
  if (cx == 0 || cy == 0 || !MapShowAircraft) return;
  int x = 0, y = 0;
  if (!LatLonToPixel(x, y, sim.latitude, sim.longitude, cx, cy, 0)) return;
  XorOverlay mode(dc);
  const double a = ScreenAngle(sim.trueHeading, sim.latitude) * kDegToRad;
  const double s = std::sin(a), c = std::cos(a);
  const gdi::Point p{x, y};
  Line(dc, Offset(p, 140 * s, -140 * c), Offset(p, 1000 * s, -1000 * c));
  dc.SelectPen(gdi::Pen::Geometric(60, 0x000000));
  Line(dc, Offset(p, 140 * s, -140 * c), Offset(p, -240 * s, 240 * c));
  Line(dc, Offset(p, -195 * c, -195 * s), Offset(p, 195 * c, 195 * s));
  Line(dc, Offset(p, -60 * c - 200 * s, -60 * s + 200 * c), Offset(p, 60 * c - 200 * s, 60 * s + 200 * c));
}

bool PlaceAircraftLabel(int w, int h, int a, int x, int y, const std::vector<gdi::Rect>& placed,
                        gdi::Rect& label, gdi::Point leader[2]) {
  constexpr double d = 0.70710678;
  // north-east, east, south-east, south, south-west, west, north-west, north; y down
  static constexpr double kUx[8] = {d, 1, d, 0, -d, -1, -d, 0};
  static constexpr double kUy[8] = {-d, 0, d, 1, d, 0, -d, -1};
  for (int q = 1; q <= 3; ++q) {
    for (int j = 0; j < 8; ++j) {
      const bool diagonal = j % 2 == 0;
      const double e = diagonal ? h * kSqrt2 / 2 : (j == 1 || j == 5) ? w / 2.0 : h / 2.0;
      const double dist = q * a * kSqrt2 + a * kSqrt2 + e;
      const double lx = x + dist * kUx[j], ly = y + dist * kUy[j];
      const int left = static_cast<int>(std::lround(lx - w / 2.0));
      const int top = static_cast<int>(std::lround(ly - h / 2.0));
      const gdi::Rect candidate{left, top, left + w, top + h};
      bool free = true;
      for (const gdi::Rect& r : placed) {
        if (candidate.Intersects(r)) {
          free = false;
          break;
        }
      }
      if (!free) continue;
      label = candidate;
      // The leader runs along the direction through the square of half-size q*a/2 between
      // symbol and label, cut to that square (corner to corner on the diagonals).
      const double sq = q * (a / 2.0) * kSqrt2 + a * kSqrt2;
      const double sx = x + sq * kUx[j], sy = y + sq * kUy[j];
      const double half = q * a / 2.0;
      const double reach = diagonal ? half * kSqrt2 : half;
      leader[0] = gdi::Point{static_cast<int>(std::lround(sx - reach * kUx[j])),
                             static_cast<int>(std::lround(sy - reach * kUy[j]))};
      leader[1] = gdi::Point{static_cast<int>(std::lround(sx + reach * kUx[j])),
                             static_cast<int>(std::lround(sy + reach * kUy[j]))};
      return true;
    }
  }
  return false;
}

namespace {

// Position (and altitude) carried forward from the last report to `now`.
void DeadReckon(const MpPlayerEntry& p, uint32_t now, double& lat, double& lon, double& alt) {
  const double t = win::TicksBetween(p.reportTime, now) / 1000.0;
  lat = p.latitude + p.northVelocity * kFeetPerSecondToDegrees * t;
  const double c = std::max(1e-10, std::cos(lat * kDegToRad));
  lon = p.longitude + p.eastVelocity * kFeetPerSecondToDegrees * t / c;
  lon = PositiveModulo(lon + 180, 360) - 180;
  alt = p.altitude + p.verticalSpeed * t;
}

std::string FormatPlayerLine(double altitude, double speed) {
  const double alt = std::round(altitude / 100);
  const double spd = std::round(speed / 10);
  char text[64];
  std::snprintf(text, sizeof text, alt < 0 ? "%02.0f  %03.0f" : "%03.0f  %03.0f", alt, spd);
  return text;
}

}  // namespace

void CMapRenderer::DrawAircraftSymbols(gdi::Dc& dc, int cx, int cy, const MapOverlayState& state,
                                       uint32_t now) {
  if (cx == 0 || cy == 0) return;
  std::unordered_map<int32_t, MapTrail> trails;
  gdi::DcStateGuard guard(dc);
  const bool day = ColorScheme == kSchemeWhite;
  const gdi::ColorRef color = day ? 0x008000 : 0x00FF00;
  const int a = dc.DeviceToLogicalX(25);             // half the 50-pixel symbol box
  const int markRadius = std::max(1, dc.DeviceToLogicalX(7) / 2);
  const int headingLength = dc.DeviceToLogicalX(21);
  const gdi::Pen trailPen = gdi::Pen::Geometric(dc.DeviceToLogicalX(2), color);
  const int k = std::max(1, static_cast<int>(std::ceil(MetresPerPixel(cx, cy, dc.DeviceToLogicalX(2)) / kTrailStepMetres)));
  std::vector<gdi::Rect> placed;

  for (const MpPlayerEntry& p : state.players) {
    if (!p.hasPosition) continue;
    double lat = 0, lon = 0, alt = 0;
    DeadReckon(p, now, lat, lon, alt);
    if (p.speed > 0) {
      MapTrail trail;
      if (auto old = m_trails.find(p.playerId); old != m_trails.end()) trail = old->second;
      const double dist = trail.count > 0 ? GreatCircleDistance(lat, lon, trail.points[0].first, trail.points[0].second) : 0;
      if (trail.count == 0 || dist > kTrailStepMetres) {
        if (trail.count > 0 && dist > kTrailBreakMetres) {
          trail.count = 0;
        } else {
          for (int i = std::min(trail.count, kTrailMax - 1); i > 0; --i) trail.points[i] = trail.points[i - 1];
        }
        trail.points[0] = {static_cast<float>(lat), static_cast<float>(lon)};
        trail.count = std::min(trail.count + 1, kTrailMax);
      }
      trails[p.playerId] = trail;
    }
    int x = 0, y = 0;
    if (!MapMultiplayerAircraft || !LatLonToPixel(x, y, lat, lon, cx, cy, 0)) continue;
    const gdi::Rect box{x - a, y - a, x + a, y + a};
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(box);
    if (auto t = trails.find(p.playerId); t != trails.end()) {
      std::vector<gdi::Point> line{{x, y}};
      for (int i = 0; i < t->second.count; i += k) {
        int tx = 0, ty = 0;
        const auto& pt = t->second.points[i];
        if (!LatLonToPixel(tx, ty, pt.first, pt.second, cx, cy, 0)) break;
        if (tx < box.left || tx > box.right || ty < box.top || ty > box.bottom) break;
        line.push_back({tx, ty});
      }
      dc.SelectPen(trailPen);
      dc.Polyline(line);
    }
    const double hdg = ScreenAngle(p.heading, lat) * kDegToRad;
    dc.SelectPen(gdi::Pen::Cosmetic(color));
    Line(dc, gdi::Point{x, y}, Offset(gdi::Point{x, y}, headingLength * std::sin(hdg), -headingLength * std::cos(hdg)));
    dc.SelectBrush(gdi::Brush::Solid(color));
    dc.Ellipse(x - markRadius, y - markRadius, x + markRadius, y + markRadius);
    dc.RestoreDC(saved);
    placed.push_back(box);
  }

  if (MapMultiplayerAircraft) {
    dc.SelectFont(ScaledMapFont(700));
    dc.SetTextColor(color);
    dc.SetBkColor(day ? 0xFFFFFF : 0x000000);
    dc.SetBkMode(gdi::OPAQUE);
    dc.SelectPen(gdi::Pen::Cosmetic(color));
    const int aveChar = dc.GetTextMetrics().aveCharWidth;
    for (const MpPlayerEntry& p : state.players) {
      if (!p.hasPosition) continue;
      double lat = 0, lon = 0, alt = 0;
      DeadReckon(p, now, lat, lon, alt);
      int x = 0, y = 0;
      if (!LatLonToPixel(x, y, lat, lon, cx, cy, 0)) continue;
      double speed = p.speed;
      if (!state.playerGroundSpeed) {
        if (speed >= 10 && GreatCircleDistance(lat, lon, state.sim.latitude, state.sim.longitude) <= kWindRangeMetres) {
          double angle = std::fabs(std::fmod(p.heading - state.sim.windDirection, 360.0));
          if (angle > 180) angle = 360 - angle;
          speed = std::max(0.0, speed + std::cos(angle * kDegToRad) * state.sim.windSpeed);
        }
        if (state.indicatedAirspeed) speed = TasToIas(speed, alt);
      }
      const std::string line1(p.callSign, strnlen(p.callSign, sizeof p.callSign));
      const std::string line2 = FormatPlayerLine(alt, speed);
      const gdi::Size s1 = dc.GetTextExtent(line1), s2 = dc.GetTextExtent(line2);
      const int w = std::max(s1.cx, s2.cx) + aveChar;
      const int h = s1.cy + s2.cy;
      gdi::Rect label;
      gdi::Point leader[2];
      if (!PlaceAircraftLabel(w, h, a, x, y, placed, label, leader)) continue;
      Line(dc, leader[0], leader[1]);
      dc.TextOut(label.left + 30, label.top, line1);
      dc.TextOut(label.left + 30, label.top + s1.cy, line2);
      placed.push_back(label);
    }
  }
  m_trails = std::move(trails);
}

void CMapRenderer::DrawOverlays(gdi::Dc& dc, int cx, int cy, const MapOverlayState& state, uint32_t now) {
  DrawOverlayArcs(dc, cx, cy, state.sim, state.holding);
  DrawTargetCircles(dc, cx, cy, state.guidance);
  DrawTopOfClimbDescentMarker(dc, cx, cy, state.guidance);
  DrawOwnAircraft(dc, cx, cy, state.sim);
  DrawAircraftSymbols(dc, cx, cy, state, now);
}
