#include "plotr/map/MapRenderer.h"

#include <cmath>
#include <mutex>

#include "navdb/Geodesy.h"
#include "plotr/plan/DatabaseAccess.h"

const std::array<MapLayer, 18> kMapChainA = {
    MapLayer::Continents,     MapLayer::Rivers,        MapLayer::Airspaces,      MapLayer::Mountains,
    MapLayer::Intersections,  MapLayer::Ndbs,          MapLayer::Vors,           MapLayer::AirportSymbols,
    MapLayer::PlanTrack,      MapLayer::Ils,           MapLayer::IlsRunways,     MapLayer::Airways,
    MapLayer::UserFixes,      MapLayer::ComFrequencies, MapLayer::Markers,       MapLayer::RouteLabels,
    MapLayer::AirspaceLabels, MapLayer::AirwayIds,
};

const std::array<MapLayer, 23> kMapChainB = {
    MapLayer::Continents,     MapLayer::Rivers,         MapLayer::Airspaces,     MapLayer::Mountains,
    MapLayer::AirportSymbols, MapLayer::Taxiways,       MapLayer::AirportDetails, MapLayer::FuelAreas,
    MapLayer::PlanTrack,      MapLayer::Ils,            MapLayer::IlsRunways,    MapLayer::Runways,
    MapLayer::AirspaceLabels, MapLayer::Airways,        MapLayer::AirportLabels, MapLayer::Ndbs,
    MapLayer::Vors,           MapLayer::Intersections,  MapLayer::UserFixes,     MapLayer::ComFrequencies,
    MapLayer::Markers,        MapLayer::RouteLabels,    MapLayer::AirwayIds,
};

// Records between two tests of the abort event.
constexpr int kAbortTestInterval = 10;
// Map font heights are screen pixels at 96 dpi; map units are 1/1440 inch.
constexpr int kFontScale = gdi::kLogicalPerInch / 96;

bool MapDrawContext::Tick() {
  if (aborted) return false;
  if (++visited % kAbortTestInterval == 0 && abort && abort->Wait(0)) aborted = true;
  return !aborted;
}

CMapRenderer::CMapRenderer() : m_painters(DefaultMapPainters()), m_db(&DatabaseLease::HeldDatabase()) {}

CMapRenderer::CMapRenderer(CSettings& settings)
    : CMapParams(settings), m_painters(DefaultMapPainters()), m_db(&DatabaseLease::HeldDatabase()) {}

CMapRenderer::CMapRenderer(const CMapRenderer& other)
    : CMapParams(other), m_painters(other.m_painters), m_db(other.m_db) {}

CMapRenderer& CMapRenderer::operator=(const CMapParams& params) {
  CMapParams::operator=(params);
  return *this;
}

CMapRenderer::~CMapRenderer() = default;

void CMapRenderer::SetPainter(MapLayer layer, std::shared_ptr<MapLayerPainter> painter) {
  m_painters[static_cast<int>(layer)] = std::move(painter);
}

gdi::Font CMapRenderer::ScaledMapFont(int weight) const {
  gdi::Font font;
  font.face = std::string(MapFont.faceName, strnlen(MapFont.faceName, sizeof MapFont.faceName));
  font.height = MapFont.height * kFontScale;
  font.weight = weight ? weight : (MapFont.weight ? MapFont.weight : 400);
  font.italic = MapFont.italic != 0;
  font.underline = MapFont.underline != 0;
  return font;
}

bool CMapRenderer::RunPainter(MapLayer layer, MapDrawContext& ctx) {
  const std::shared_ptr<MapLayerPainter>& painter = m_painters[static_cast<int>(layer)];
  if (!painter) return true;
  ctx.visited = 0;
  return painter->Paint(*this, ctx);
}

bool CMapRenderer::DrawMapLayers(gdi::Dc& dc, int cx, int cy, const CFlightPlanCore* plan,
                                 win::AutoResetEvent* abort) {
  if (cx == 0 || cy == 0) return true;
  DatabaseLease lease;
  m_labels.clear();
  m_labels.reserve(100);

  MapDrawContext ctx{dc, cx, cy, {}, plan, abort, m_db};
  GetViewExtents(cx, cy, ctx.view);

  gdi::DcStateGuard restore(dc);
  dc.SelectFont(ScaledMapFont());
  dc.SetBkMode(gdi::TRANSPARENT);
  dc.SetTextColor(!dc.IsPrinting() && ColorScheme != kSchemeWhite ? 0xC0C0C0 : 0x000000);

  // Background, globe and grid draw few objects and go on whatever they return.
  RunPainter(MapLayer::Background, ctx);
  // A window ten times wider than high (or the reverse) is a sliver: background only.
  if (!(cx < 10 * cy && cy < 10 * cx)) return !ctx.aborted;
  RunPainter(MapLayer::GlobeOutline, ctx);
  RunPainter(MapLayer::Grid, ctx);
  auto run = [&](const auto& chain) {
    for (MapLayer layer : chain) {
      if (!RunPainter(layer, ctx)) return false;
    }
    return true;
  };
  const bool complete = GetZoom() < kDetailZoom ? run(kMapChainA) : run(kMapChainB);
  return complete && !ctx.aborted;
}

bool CMapRenderer::PlaceLabel(gdi::Rect& rect, int x, int y, int step, std::vector<gdi::Rect>* array) {
  std::vector<gdi::Rect>& labels = array ? *array : m_labels;
  if (labels.empty()) {
    labels.push_back(rect);
    return true;
  }
  static constexpr double kS[8] = {0, 0.7071067811865, 1, 0.7071067811865, 0, -0.7071067811865, -1, -0.7071067811865};
  static constexpr double kC[8] = {1, 0.7071067811865, 0, -0.7071067811865, -1, -0.7071067811865, 0, 0.7071067811865};
  const int w = rect.Width(), h = rect.Height();
  for (int i = 1; i <= 5; ++i) {
    for (int j = 0; j < 8; ++j) {
      const int d = i * step;
      const int dx = static_cast<int>(d * kS[j]);
      const int dy = static_cast<int>(d * kC[j]);
      int left = 0, top = 0;
      if (j == 1 || j == 5) {
        left = dx >= 0 ? x + dx : x + dx - w;
        top = y - h / 2;
      } else {
        left = x + dx - w / 2;
        top = dy >= 0 ? y + d : y - d - h;
      }
      const gdi::Rect candidate{left, top, left + w, top + h};
      bool free = true;
      for (const gdi::Rect& r : labels) {
        if (candidate.Intersects(r)) {
          free = false;
          break;
        }
      }
      if (free) {
        rect = candidate;
        labels.push_back(candidate);
        return true;
      }
    }
  }
  return false;
}

// ---- Long lines ---------------------------------------------------------------------------------

namespace {
// Lines shorter than this are drawn as one straight segment.
constexpr double kStraightLineMetres = 926000;

double NormaliseLongitude(double d) {
  if (d < -180) return d + 360;
  if (d > 180) return d - 360;
  return d;
}
}  // namespace

template <class Interpolate>
void CMapRenderer::DrawClippedLine(gdi::Dc& dc, int cx, int cy, double lat1, double lon1,
                                   double lat2, double lon2, int step, Interpolate interpolate) {
  if (lat1 == lat2 && lon1 == lon2) return;
  if (step < 1) step = 1;
  const double distance = GreatCircleDistance(lat1, lon1, lat2, lon2);
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  if (distance < kStraightLineMetres && LatLonToPixel(x1, y1, lat1, lon1, cx, cy, 0) &&
      LatLonToPixel(x2, y2, lat2, lon2, cx, cy, 0)) {
    dc.MoveTo(x1, y1);
    dc.LineTo(x2, y2);
    return;
  }
  const int scale = GetMapScale(cx, cy, distance);
  // A line under one device pixel still gets one step, so nothing divides by zero.
  const int n = std::max(1, dc.LogicalToDeviceX(scale));
  const int jump = std::max(step, static_cast<int>(3 * dc.DpiX()));
  const double centre = ZoomStack().back().longitude;
  double w = NormaliseLongitude(lon1 - centre);
  int stride = step;
  bool visible = false;
  std::vector<gdi::Point> list;
  auto flush = [&] {
    if (list.size() > 1) dc.Polyline(list);
    list.clear();
  };
  for (int64_t i = 0; i <= static_cast<int64_t>(n) + stride - 1; i += stride) {
    double lat = 0, lon = 0;
    interpolate(lat, lon, static_cast<double>(i) / n);
    const double v = NormaliseLongitude(lon - centre);
    int x = 0, y = 0;
    if (!LatLonToPixel(x, y, lat, lon, cx, cy, 0)) {
      stride = std::max(step, static_cast<int>(std::min<int64_t>(jump, n - i)));
      visible = false;
      w = v;
      continue;
    }
    if (stride > step) {
      i -= stride;
      stride = step;
      continue;
    }
    if (!visible || (!MapRoundWorld && std::fabs(v - w) >= 180)) {
      flush();
      list.push_back(gdi::Point{x, y});
    } else {
      list.push_back(gdi::Point{x, y});
    }
    visible = true;
    w = v;
  }
  flush();
}

void CMapRenderer::DrawClippedGreatCircle(gdi::Dc& dc, int cx, int cy, double lat1, double lon1,
                                          double lat2, double lon2, int step) {
  DrawClippedLine(dc, cx, cy, lat1, lon1, lat2, lon2, step, [&](double& lat, double& lon, double f) {
    PointAlongSegment(lat, lon, lat1, lon1, lat2, lon2, f);
  });
}

void CMapRenderer::DrawClippedRhumbLine(gdi::Dc& dc, int cx, int cy, double lat1, double lon1,
                                        double lat2, double lon2, int step) {
  DrawClippedLine(dc, cx, cy, lat1, lon1, lat2, lon2, step, [&](double& lat, double& lon, double f) {
    InterpolateRhumbLine(lat, lon, lat1, lon1, lat2, lon2, f);
  });
}

double CMapRenderer::ScreenAngle(double direction, double latitude) const {
  if (MapRoundWorld) return direction;
  const double d = direction * kDegToRad;
  const double c = std::max(1e-10, std::cos(latitude * kDegToRad));
  return std::atan2(std::sin(d) / c, std::cos(d)) / kDegToRad;
}

// ---- Geometry ----------------------------------------------------------------------------------

bool RegionIntersectsView(const BglFileRecord& file, const MapViewExtents& v) {
  const float latMin = file.latMin, latMax = file.latMax, lonMin = file.lonMin, lonMax = file.lonMax;
  return BoxesOverlap(latMin, latMax, lonMin, lonMax, v.latMin, v.latMax, v.lonMin, v.lonMax);
}

bool ShapeIntersectsView(double latA, double latB, double lonMin, double lonMax, const MapViewExtents& v) {
  return BoxesOverlap(std::min(latA, latB), std::max(latA, latB), lonMin, lonMax, v.latMin,
                      v.latMax, v.lonMin, v.lonMax);
}

void InterpolateRhumbLine(double& latitude, double& longitude, double lat1, double lon1,
                          double lat2, double lon2, double fraction) {
  const double f = std::clamp(fraction, 0.0, 1.0);
  const double phi1 = lat1 * kDegToRad, phi2 = lat2 * kDegToRad;
  const double lam1 = -lon1 * kDegToRad, lam2 = -lon2 * kDegToRad;
  const double pi = kTwoPi / 2;
  const double west = PositiveModulo(lam2 - lam1, kTwoPi);
  const double east = PositiveModulo(lam1 - lam2, kTwoPi);
  const double dPsi = std::log(std::tan(phi2 / 2 + pi / 4) / std::tan(phi1 / 2 + pi / 4));
  const double dPhi = phi2 - phi1;
  const double q = std::fabs(dPhi) < std::sqrt(1e-10) ? std::cos(phi1) : dPhi / dPsi;
  double tc = 0, d = 0;
  if (west >= east) {
    tc = PositiveModulo(std::atan2(east, dPsi), kTwoPi);
    d = std::sqrt(dPhi * dPhi + q * q * east * east);
  } else {
    tc = PositiveModulo(std::atan2(-west, dPsi), kTwoPi);
    d = std::sqrt(q * q * west * west + dPhi * dPhi);
  }
  const double phi = phi1 + f * d * std::cos(tc);
  const double q2 = std::fabs(phi - phi1) < 1e-5
                        ? std::cos(phi1)
                        : (phi - phi1) / std::log(std::tan(phi / 2 + pi / 4) / std::tan(phi1 / 2 + pi / 4));
  const double lam = PositiveModulo(lam1 - f * d * std::sin(tc) / q2 + pi, kTwoPi) - pi;
  latitude = phi / kDegToRad;
  longitude = -lam / kDegToRad;
}
