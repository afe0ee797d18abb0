#pragma once

// What the moving map shows and how the earth is laid onto the window: the layer switches,
// the map font, the colour scheme, the zoom stack with the centre of every zoom level, and the
// two projections (flat equirectangular, or an azimuthal globe about the centre). The view's
// renderer and the drawing thread's render state each hold a copy; comparing them tells
// whether the picture must be drawn again.

#include <cstdint>
#include <vector>

#include "plotr/core/Settings.h"

struct MapZoomEntry {
  int32_t zoom = 1;  // 1..9999
  double latitude = 0;
  double longitude = 0;
};

// Degrees. Both longitudes 0 mean every longitude; lonMin > lonMax crosses the 180-degree
// meridian.
struct MapViewExtents {
  float latMin = 0;
  float latMax = 0;
  float lonMin = 0;
  float lonMax = 0;
};

inline constexpr int kMaxZoom = 9999;
// From this zoom on the detailed layer chain runs; pushes from below it stop here first.
inline constexpr int kDetailZoom = 64;
// The earth's circumference in metres as the whole system measures it.
inline constexpr double kEarthCircumference = 4.0007e7;

class CMapParams {
 public:
  // Reads the layer settings of g_Settings and starts at zoom 1 over (0, 0).
  CMapParams();
  // The same from a given settings object (tests, a second settings file).
  explicit CMapParams(CSettings& settings);
  CMapParams(const CMapParams& other);
  CMapParams& operator=(const CMapParams& other);
  virtual ~CMapParams();

  // Flags 1 to 29, font, scheme, simulator version, current zoom and centre. The two aircraft
  // switches are left out: they change only the overlays, never the picture.
  bool operator==(const CMapParams& other) const;

  // Copies the cached values (no reload) of every layer switch, the font, the colour scheme
  // and the simulator version; the zoom stack stays.
  void ReadLayerSettings(CSettings& settings);
  void ReadLayerSettings();

  int PushZoom(int zoom, double latitude, double longitude);
  int GetZoom() const { return m_zoomStack.back().zoom; }
  int PopZoom();
  void SetCenter(double latitude, double longitude, bool allEntries);
  void UpdateCenterTrig();
  const MapZoomEntry& Current() const { return m_zoomStack.back(); }
  const std::vector<MapZoomEntry>& ZoomStack() const { return m_zoomStack; }

  // Mode 0: near side and inside the window grown by a fifth on every side; mode 1: inside the
  // window shrunk by a tenth; mode 2: near side only. Non-finite input, or a result beyond the
  // int range, gives false.
  bool LatLonToPixel(int& x, int& y, double latitude, double longitude, int cx, int cy,
                     int mode) const;
  bool PixelToLatLon(double& latitude, double& longitude, int x, int y, int cx, int cy) const;
  double MetresPerPixel(int cx, int cy, int n) const;
  void GetViewExtents(int cx, int cy, MapViewExtents& extents) const;
  // The length of `metres` on the map, in the units of cx and cy.
  int GetMapScale(int cx, int cy, double metres) const;
  // The kinds of `requested` that the user can hit now (low word: point kinds; high word:
  // airspace classes and parking positions).
  uint32_t GetVisibleLayers(uint32_t requested) const;

  // Layer switches, in this order (the profile keys carry the same names).
  uint8_t MapAirwayL = 0;
  uint8_t MapAirwayH = 0;
  uint8_t MapAirwayId = 1;
  uint8_t MapIsec = 0;
  uint8_t MapNdb = 1;
  uint8_t MapVor = 1;
  uint8_t MapIls = 0;
  uint8_t MapCom = 0;
  uint8_t MapMarker = 0;
  uint8_t MapName = 0;
  uint8_t MapId = 1;
  uint8_t MapFreq = 1;
  uint8_t MapAirport = 1;
  uint8_t MapAirportZone = 1;
  uint8_t MapAirportName = 1;
  uint8_t MapAirportId = 0;
  uint8_t MapAirspaceArtcc = 1;
  uint8_t MapAirspaceFir = 1;
  uint8_t MapAirspaceAboveTransition = 0;
  uint8_t MapBcIls = 1;
  uint8_t MapTaxiway = 1;
  uint8_t MapFuelarea = 1;
  uint8_t MapGrid = 1;
  uint8_t MapContinents = 1;
  uint8_t MapRivers = 1;
  uint8_t MapMountains = 1;
  uint8_t MapRouteLabels = 1;
  uint8_t MapRoundWorld = 1;
  uint8_t MapPlanWaypointsOnly = 0;
  uint8_t MapShowAircraft = 1;
  uint8_t MapMultiplayerAircraft = 1;

  LogFont MapFont;
  int ColorScheme = 0;
  int SimVer = 0;

 private:
  std::vector<MapZoomEntry> m_zoomStack;
  // sin(-lat0), cos(-lat0), sin(-lon0), cos(-lon0) of the current centre
  double m_sinLat = 0, m_cosLat = 1, m_sinLon = 0, m_cosLon = 1;
};
