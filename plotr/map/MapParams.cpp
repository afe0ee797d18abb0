#include "plotr/map/MapParams.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "navdb/Geodesy.h"

namespace {

constexpr double kHalfPi = 1.5707963267948966;
constexpr double kRadToDeg = 57.29577951308232;

// Truncation toward zero into an int; false for NaN, infinities and values beyond int.
bool TruncToInt(double v, int64_t& out) {
  if (!std::isfinite(v) || v <= -9.2e18 || v >= 9.2e18) return false;
  out = static_cast<int64_t>(v);
  return true;
}

bool FitsInt(int64_t v) { return v >= INT_MIN && v <= INT_MAX; }

}  // namespace

CMapParams::CMapParams() : CMapParams(g_Settings) {}

CMapParams::CMapParams(CSettings& settings) {
  ReadLayerSettings(settings);
  PushZoom(1, 0, 0);
}

CMapParams::CMapParams(const CMapParams& other) { *this = other; }

CMapParams& CMapParams::operator=(const CMapParams& other) = default;

CMapParams::~CMapParams() = default;

bool CMapParams::operator==(const CMapParams& o) const {
  const uint8_t a[] = {MapAirwayL, MapAirwayH, MapAirwayId, MapIsec, MapNdb, MapVor, MapIls,
                       MapCom, MapMarker, MapName, MapId, MapFreq, MapAirport, MapAirportZone,
                       MapAirportName, MapAirportId, MapAirspaceArtcc, MapAirspaceFir,
                       MapAirspaceAboveTransition, MapBcIls, MapTaxiway, MapFuelarea, MapGrid,
                       MapContinents, MapRivers, MapMountains, MapRouteLabels, MapRoundWorld,
                       MapPlanWaypointsOnly};
  const uint8_t b[] = {o.MapAirwayL, o.MapAirwayH, o.MapAirwayId, o.MapIsec, o.MapNdb, o.MapVor,
                       o.MapIls, o.MapCom, o.MapMarker, o.MapName, o.MapId, o.MapFreq,
                       o.MapAirport, o.MapAirportZone, o.MapAirportName, o.MapAirportId,
                       o.MapAirspaceArtcc, o.MapAirspaceFir, o.MapAirspaceAboveTransition,
                       o.MapBcIls, o.MapTaxiway, o.MapFuelarea, o.MapGrid, o.MapContinents,
                       o.MapRivers, o.MapMountains, o.MapRouteLabels, o.MapRoundWorld,
                       o.MapPlanWaypointsOnly};
  static_assert(sizeof a == 29);
  return std::memcmp(a, b, sizeof a) == 0 && std::memcmp(&MapFont, &o.MapFont, sizeof MapFont) == 0 &&
         ColorScheme == o.ColorScheme && SimVer == o.SimVer && GetZoom() == o.GetZoom() &&
         Current().latitude == o.Current().latitude && Current().longitude == o.Current().longitude;
}

void CMapParams::ReadLayerSettings() { ReadLayerSettings(g_Settings); }

void CMapParams::ReadLayerSettings(CSettings& s) {
  MapAirwayL = s.GetMapAirwayL(false);
  MapAirwayH = s.GetMapAirwayH(false);
  MapAirwayId = s.GetMapAirwayId(false);
  MapIsec = s.GetMapIsec(false);
  MapNdb = s.GetMapNdb(false);
  MapVor = s.GetMapVor(false);
  MapIls = s.GetMapIls(false);
  MapCom = s.GetMapCom(false);
  MapMarker = s.GetMapMarker(false);
  MapName = s.GetMapName(false);
  MapId = s.GetMapId(false);
  MapFreq = s.GetMapFreq(false);
  MapAirport = s.GetMapAirport(false);
  MapAirportZone = s.GetMapAirportZone(false);
  MapAirportName = s.GetMapAirportName(false);
  MapAirportId = s.GetMapAirportId(false);
  MapAirspaceArtcc = s.GetMapAirspaceArtcc(false);
  MapAirspaceFir = s.GetMapAirspaceFir(false);
  MapAirspaceAboveTransition = s.m_upperAirspaceActive;
  MapBcIls = s.GetMapBcIls(false);
  MapTaxiway = s.GetMapTaxiway(false);
  MapFuelarea = s.GetMapFuelarea(false);
  MapGrid = s.GetMapGrid(false);
  MapContinents = s.GetMapContinents(false);
  MapRivers = s.GetMapRivers(false);
  MapMountains = s.GetMapMountains(false);
  MapRouteLabels = s.m_routeLabelsShown;
  MapRoundWorld = s.GetMapRoundWorld(false);
  MapPlanWaypointsOnly = s.m_planWaypointsOnly;
  MapShowAircraft = s.m_ownAircraftShown;
  MapMultiplayerAircraft = s.m_multiplayerAircraftShown;
  MapFont = s.GetMapFont(false);
  ColorScheme = s.GetColorScheme(false);
  SimVer = s.GetSimVer();
}

int CMapParams::PushZoom(int zoom, double latitude, double longitude) {
  if (zoom < 1) {
    zoom = 1;
  } else if (zoom > kDetailZoom && zoom < 2 * kDetailZoom && !m_zoomStack.empty() &&
             GetZoom() < kDetailZoom) {
    zoom = kDetailZoom;
  } else if (zoom > kMaxZoom) {
    zoom = kMaxZoom;
  }
  while (!m_zoomStack.empty() && m_zoomStack.back().zoom >= zoom) m_zoomStack.pop_back();
  m_zoomStack.push_back(MapZoomEntry{zoom, latitude, longitude});
  UpdateCenterTrig();
  return zoom;
}

int CMapParams::PopZoom() {
  if (m_zoomStack.size() >= 2) {
    m_zoomStack.pop_back();
    UpdateCenterTrig();
  }
  return GetZoom();
}

void CMapParams::SetCenter(double latitude, double longitude, bool allEntries) {
  if (allEntries) {
    for (MapZoomEntry& e : m_zoomStack) {
      e.latitude = latitude;
      e.longitude = longitude;
    }
  } else {
    m_zoomStack.back().latitude = latitude;
    m_zoomStack.back().longitude = longitude;
  }
  UpdateCenterTrig();
}

void CMapParams::UpdateCenterTrig() {
  const double lat = -Current().latitude * kDegToRad;
  const double lon = -Current().longitude * kDegToRad;
  m_sinLat = std::sin(lat);
  m_cosLat = std::cos(lat);
  m_sinLon = std::sin(lon);
  m_cosLon = std::cos(lon);
}

bool CMapParams::LatLonToPixel(int& x, int& y, double latitude, double longitude, int cx, int cy,
                               int mode) const {
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) return false;
  const int64_t z = GetZoom();
  int64_t px = 0, py = 0;
  bool nearSide = true;
  if (!MapRoundWorld) {
    double dLon = (longitude - Current().longitude) / 180.0;
    if (dLon < -1) {
      dLon += 2;
    } else if (dLon > 1) {
      dLon -= 2;
    }
    const double dLat = (latitude - Current().latitude) / 90.0;
    const int64_t s = cx / 2 > cy ? cx / 2 : cy;
    const int64_t t = z * s;
    int64_t ty = 0;
    if (!TruncToInt(static_cast<double>(t) * dLon, px) ||
        !TruncToInt(static_cast<double>(t / 2) * dLat, ty)) {
      return false;
    }
    py = -ty;
  } else {
    const double phi = latitude * kDegToRad;
    const double dLam = (longitude - Current().longitude) * kDegToRad;
    const double cosPhi = std::cos(phi);
    const double e = std::sin(dLam) * cosPhi;
    const double n = std::cos(dLam) * cosPhi * m_sinLat + std::sin(phi) * m_cosLat;
    const double u = std::cos(dLam) * cosPhi * m_cosLat - std::sin(phi) * m_sinLat;
    nearSide = u >= 0;
    const double rho = std::asin(std::min(1.0, std::sqrt(e * e + n * n))) / kHalfPi;
    const double a = std::atan2(e, n);
    const int64_t r = z * std::min(cx, cy) / 2;
    int64_t ty = 0;
    if (!TruncToInt(static_cast<double>(r) * rho * std::sin(a), px) ||
        !TruncToInt(static_cast<double>(r) * rho * std::cos(a), ty)) {
      return false;
    }
    py = -ty;
  }
  px += cx / 2;
  py += cy / 2;
  if (!FitsInt(px) || !FitsInt(py)) return false;
  x = static_cast<int>(px);
  y = static_cast<int>(py);
  switch (mode) {
    case 2:
      return nearSide;
    case 1:
      return nearSide && cx / 10 <= x && x <= cx - cx / 10 && cy / 10 <= y && y <= cy - cy / 10;
    default:
      return nearSide && -cx / 5 <= x && x <= cx + cx / 5 && -cy / 5 <= y && y <= cy + cy / 5;
  }
}

bool CMapParams::PixelToLatLon(double& latitude, double& longitude, int x, int y, int cx,
                               int cy) const {
  if (cx == 0 || cy == 0) {
    latitude = Current().latitude;
    longitude = Current().longitude;
    return true;
  }
  const double z = GetZoom();
  const double dx = x - cx * 0.5;
  const double dy = y - cy * 0.5;
  if (!MapRoundWorld) {
    const double s = std::max(cx * 0.5, static_cast<double>(cy));
    longitude = Current().longitude + dx / (z * s) * 179.999999;
    latitude = Current().latitude + (-2 * dy) / (z * s) * 89.999999;
    if (longitude < -180) {
      longitude += 360;
    } else if (longitude > 180) {
      longitude -= 360;
    }
    return !(latitude < -90 || latitude > 90);
  }
  const int64_t m = static_cast<int64_t>(GetZoom()) * std::min(cx, cy);
  if (m == 0) return false;
  const double p = 2 * dx / m;
  const double q = -2 * dy / m;
  if (p * p + q * q > 1) return false;
  const double c = std::sqrt(p * p + q * q) * kHalfPi;
  const double a = std::atan2(p, q);
  const double e = std::sin(a) * std::sin(c);
  const double n = std::cos(a) * std::sin(c);
  const double u = std::sqrt(std::max(0.0, 1 - (e * e + n * n)));
  const double w = n * m_sinLat + u * m_cosLat;
  longitude = std::atan2(e * m_cosLon - w * m_sinLon, e * m_sinLon + w * m_cosLon) * kRadToDeg;
  latitude = std::asin(std::clamp(n * m_cosLat - u * m_sinLat, -1.0, 1.0)) * kRadToDeg;
  return true;
}

double CMapParams::MetresPerPixel(int cx, int cy, int n) const {
  if (MapRoundWorld) {
    const int m = std::min(cx, cy);
    return m > 0 ? kEarthCircumference * 0.5 * n / m / GetZoom() : 0;
  }
  const int m = std::max(cx, 2 * cy);
  return m > 0 ? n * kEarthCircumference / m / GetZoom() : 0;
}

int CMapParams::GetMapScale(int cx, int cy, double metres) const {
  const double z = GetZoom();
  double v = 0;
  if (!MapRoundWorld) {
    v = z * metres / kEarthCircumference * std::max(cx, 2 * cy);
  } else {
    v = z * metres / (kEarthCircumference * 0.5) * std::min(cx, cy);
  }
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::clamp(v, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

void CMapParams::GetViewExtents(int cx, int cy, MapViewExtents& ext) const {
  double lat = 0, lon = 0;
  if (!MapRoundWorld) {
    ext.lonMin = PixelToLatLon(lat, lon, 0, cy / 2, cx, cy) ? static_cast<float>(lon) : -180.f;
    ext.lonMax = PixelToLatLon(lat, lon, cx, cy / 2, cx, cy) ? static_cast<float>(lon) : 180.f;
    ext.latMin = PixelToLatLon(lat, lon, cx / 2, cy, cx, cy) ? static_cast<float>(lat) : -90.f;
    ext.latMax = PixelToLatLon(lat, lon, cx / 2, 0, cx, cy) ? static_cast<float>(lat) : 90.f;
    return;
  }
  double latTL, lonTL, latTR, lonTR, latBL, lonBL, latBR, lonBR;
  const bool all = PixelToLatLon(latTL, lonTL, 0, 0, cx, cy) & PixelToLatLon(latTR, lonTR, cx, 0, cx, cy) &
                   PixelToLatLon(latBL, lonBL, 0, cy, cx, cy) & PixelToLatLon(latBR, lonBR, cx, cy, cx, cy);
  const double lat0 = Current().latitude;
  int x = 0, y = 0;
  ext.lonMin = ext.lonMax = 0;
  if (!all) {
    ext.latMin = static_cast<float>(std::max(-90.0, lat0 - 90));
    ext.latMax = static_cast<float>(std::min(90.0, lat0 + 90));
  } else if (LatLonToPixel(x, y, 90, 0, cx, cy, 0)) {
    ext.latMin = static_cast<float>(std::min({latTL, latTR, latBL, latBR}));
    ext.latMax = 90;
  } else if (LatLonToPixel(x, y, -90, 0, cx, cy, 0)) {
    ext.latMin = -90;
    ext.latMax = static_cast<float>(std::max({latTL, latTR, latBL, latBR}));
  } else {
    double latT = 0, latB = 0;
    PixelToLatLon(latT, lon, cx / 2, 0, cx, cy);
    PixelToLatLon(latB, lon, cx / 2, cy, cx, cy);
    ext.latMax = static_cast<float>(std::max({latTL, latTR, latT}));
    ext.latMin = static_cast<float>(std::min({latBL, latBR, latB}));
    ext.lonMin = static_cast<float>(lat0 >= 0 ? lonTL : lonBL);
    ext.lonMax = static_cast<float>(lat0 >= 0 ? lonTR : lonBR);
  }
}

uint32_t CMapParams::GetVisibleLayers(uint32_t requested) const {
  uint32_t c = requested & 0xFFFF;
  uint32_t h = 0xFFFF;
  const int zoom = GetZoom();
  if (zoom < kDetailZoom) c &= 0xFC40;
  if (!MapAirport) {
    c &= 0xFF3F;
    h &= 0xEFFF;
  }
  if (zoom < 256) h &= 0xEFFF;
  if (!MapCom) c &= 0xFDFF;
  if (!MapNdb) c &= 0xFFF7;
  if (!MapVor) c &= 0xFFEF;
  if (!MapMarker) c &= 0xFEFF;
  if (!MapIsec) {
    c &= 0xFFFB;
    if (!MapAirwayL) c &= 0xFFFE;
    if (!MapAirwayH) c &= 0xFFFD;
  }
  if ((MapAirspaceArtcc || MapAirspaceFir) && zoom >= 2) {
    c &= MapAirspaceAboveTransition ? 0xEFFF : 0xDFFF;
  } else {
    c &= 0x8FFF;
  }
  h &= 0xF084;
  if (!MapAirspaceArtcc) h &= 0xFFFB;
  if (!MapAirspaceFir) h &= 0xFF7F;
  return (h << 16) | c;
}
