#pragma once

// The map renderer: the layer pipeline that paints one picture (background, globe, grid and
// one of two chains of layer painters chosen by the zoom), the walk over the database's point
// arrays with its abort rule, label placement, long lines drawn as clipped polylines, the plan
// row walk, and the overlays drawn over a finished picture.
//
// Each layer has one painter (MapLayerPainter) that draws through the shared MapDrawContext;
// a painter returns false when a newer picture is wanted and the chain stops there.

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "navdb/SceneryDatabase.h"
#include "platform/gdi/Dc.h"
#include "platform/win/Clock.h"
#include "platform/win/Sync.h"
#include "plotr/map/MapOverlayState.h"
#include "plotr/map/MapParams.h"
#include "plotr/plan/WorldMap.h"

class CFlightPlanCore;
class CMapRenderer;
class CRoute;
struct PlanRow;

// Every layer of the pipeline, in no particular order; the chains give the painting order.
enum class MapLayer : int {
  Background,
  GlobeOutline,
  Grid,
  Continents,
  Rivers,
  Airspaces,
  Mountains,
  Intersections,
  Ndbs,
  Vors,
  AirportSymbols,
  PlanTrack,
  Ils,
  IlsRunways,
  Airways,
  UserFixes,
  ComFrequencies,
  Markers,
  RouteLabels,
  AirspaceLabels,
  AirwayIds,
  Taxiways,
  AirportDetails,
  FuelAreas,
  Runways,
  AirportLabels,
  Count,
};
inline constexpr int kMapLayerCount = static_cast<int>(MapLayer::Count);

// The chain below the detail zoom and the chain from it on.
extern const std::array<MapLayer, 18> kMapChainA;
extern const std::array<MapLayer, 23> kMapChainB;

// What the pipeline hands to every painter for one picture.
struct MapDrawContext {
  gdi::Dc& dc;
  int cx = 0;  // window size in logical units
  int cy = 0;
  MapViewExtents view;
  const CFlightPlanCore* plan = nullptr;
  win::AutoResetEvent* abort = nullptr;  // absent when printing
  const CSceneryDatabase* db = nullptr;
  int visited = 0;  // records counted by the running painter
  bool aborted = false;

  bool Printing() const { return dc.IsPrinting(); }
  // Day pens and colours: the white scheme, or any printout.
  bool Day(const CMapParams& params) const { return params.ColorScheme == kSchemeWhite || Printing(); }
  // Counts one record; at every tenth tests the abort event. False once a newer picture is
  // wanted: the painter restores its DC and returns false.
  bool Tick();
};

class MapLayerPainter {
 public:
  virtual ~MapLayerPainter() = default;
  virtual bool Paint(CMapRenderer& renderer, MapDrawContext& ctx) = 0;
};

using MapPainterSet = std::array<std::shared_ptr<MapLayerPainter>, kMapLayerCount>;

// The painters every new renderer starts with; a layer without one draws nothing.
MapPainterSet DefaultMapPainters();

// Aircraft trail of one multiplayer player, newest point first.
struct MapTrail {
  int count = 0;
  std::array<std::pair<float, float>, 100> points{};
};

class CMapRenderer : public CMapParams {
 public:
  CMapRenderer();
  explicit CMapRenderer(CSettings& settings);
  // Copies the parameters and the painters; the label array and trails start empty.
  CMapRenderer(const CMapRenderer& other);
  CMapRenderer& operator=(const CMapParams& params);
  ~CMapRenderer() override;

  void SetPainter(MapLayer layer, std::shared_ptr<MapLayerPainter> painter);
  const MapPainterSet& Painters() const { return m_painters; }
  void SetDatabase(const CSceneryDatabase* db) { m_db = db; }
  const CSceneryDatabase& Database() const { return *m_db; }

  // One whole picture into `dc` of cx x cy logical units, under a DatabaseLease.
  // False when a newer picture was wanted and the chain stopped early.
  bool DrawMapLayers(gdi::Dc& dc, int cx, int cy, const CFlightPlanCore* plan,
                     win::AutoResetEvent* abort);

  // The map font at map units (its LOGFONT height in screen pixels at 96 dpi, times 15).
  gdi::Font ScaledMapFont(int weight = 0) const;

  // ---- Labels -----------------------------------------------------------------------------------
  std::vector<gdi::Rect>& Labels() { return m_labels; }
  // Finds a free place for a label of rect's size around (x, y); on success rect holds it and
  // it was appended to `array` (the renderer's own label array when null).
  bool PlaceLabel(gdi::Rect& rect, int x, int y, int step, std::vector<gdi::Rect>* array = nullptr);

  // ---- Walks ------------------------------------------------------------------------------------
  // Visits every shown point of `array` inside the view: visit(point, x, y) with the point
  // projected in mode 0. Files and tiles outside the view are skipped. False when aborted.
  template <class Visit>
  bool WalkPoints(MapDrawContext& ctx, PointArray array, Visit&& visit);
  // The same walk by tiles: visitRange(first, end) gets each visible tile's index range of
  // `array`, clamped to the array, and may return false to stop (the walk then returns false).
  template <class VisitRange>
  bool WalkTileRanges(MapDrawContext& ctx, PointArray array, VisitRange&& visitRange);

  // ---- Long lines -------------------------------------------------------------------------------
  void DrawClippedGreatCircle(gdi::Dc& dc, int cx, int cy, double lat1, double lon1, double lat2,
                              double lon2, int step);
  void DrawClippedRhumbLine(gdi::Dc& dc, int cx, int cy, double lat1, double lon1, double lat2,
                            double lon2, int step);

  // ---- Base layers ------------------------------------------------------------------------------
  // The ground under the navigation data; the world map comes from the context's plan object.
  void DrawBackground(MapDrawContext& ctx);
  void DrawGlobeOutline(MapDrawContext& ctx);
  void DrawGrid(MapDrawContext& ctx);
  bool DrawContinents(MapDrawContext& ctx);
  bool DrawRivers(MapDrawContext& ctx);
  bool DrawMountains(MapDrawContext& ctx);

  // ---- Navaids ------------------------------------------------------------------------------------
  bool DrawNdbs(MapDrawContext& ctx);
  bool DrawVors(MapDrawContext& ctx);
  bool DrawIntersections(MapDrawContext& ctx);
  bool DrawMarkers(MapDrawContext& ctx);
  bool DrawUserFixes(MapDrawContext& ctx);

  // ---- Airways ------------------------------------------------------------------------------------
  bool DrawAirways(MapDrawContext& ctx);
  bool DrawAirwayIds(MapDrawContext& ctx);

  // ---- Plan track ----------------------------------------------------------------------------------
  bool DrawPlanTrack(MapDrawContext& ctx);
  bool DrawRouteLabels(MapDrawContext& ctx);

  // ---- Airports ------------------------------------------------------------------------------------
  bool DrawAirportSymbols(MapDrawContext& ctx);
  bool DrawTaxiways(MapDrawContext& ctx);
  bool DrawAirportDetails(MapDrawContext& ctx);
  bool DrawFuelAreas(MapDrawContext& ctx);
  // One airport or ILS point; one runway given its two ends.
  void DrawAirportSymbol(MapDrawContext& ctx, const NavPoint& p);
  void DrawRunwayPair(MapDrawContext& ctx, const NavPoint& a, const NavPoint& b);

  // ---- ILS and runways -----------------------------------------------------------------------------
  bool DrawIls(MapDrawContext& ctx);
  bool DrawIlsRunways(MapDrawContext& ctx);
  bool DrawRunways(MapDrawContext& ctx);
  bool DrawAirportLabels(MapDrawContext& ctx);
  // One ILS symbol for `point` at (x, y), its own position or a runway end's; `extra` (the
  // runway's designator) follows the label.
  void DrawIlsFeather(MapDrawContext& ctx, const NavPoint& point, std::string_view extra, int x, int y);

  // ---- COM frequencies -----------------------------------------------------------------------------
  bool DrawComFrequencies(MapDrawContext& ctx);

  // ---- Airspaces ----------------------------------------------------------------------------------
  bool DrawAirspaces(MapDrawContext& ctx);
  bool DrawAirspaceLabels(MapDrawContext& ctx);
  // The outline of the shape of vertices [first, end), filled with the brush in force; nothing
  // when a point of it does not project.
  void FillAirspacePolygon(MapDrawContext& ctx, int first, int end);
  // Appends the points of the edge from `from` to `to`; false when one does not project or the
  // edge type is unknown.
  bool BuildAirspaceShape(MapDrawContext& ctx, const AirspaceVertex& from, const AirspaceVertex& to,
                          std::vector<gdi::Point>& points);
  // One edge of an outlined airspace.
  void DrawArcsAndCircles(MapDrawContext& ctx, const AirspaceVertex& from, const AirspaceVertex& to);

  // ---- Drag feedback (drawn by the window over its frame) ----------------------------------------
  void DrawDragLegs(gdi::Dc& dc, int cx, int cy, const std::vector<PlanRow>& rows, const CRoute& route);
  // Writes the labels of the dragged legs; returns the boxes it covered.
  std::vector<gdi::Rect> DrawLegLabelsOverlay(gdi::Dc& dc, int cx, int cy,
                                              const std::vector<PlanRow>& rows, const CRoute& route);

  // ---- Overlays (over a copy of the finished picture) --------------------------------------------
  void DrawOverlayArcs(gdi::Dc& dc, int cx, int cy, const SimSnapshot& sim, const HoldingDefinition& holding);
  void DrawTargetCircles(gdi::Dc& dc, int cx, int cy, const MapGuidanceOverlay& guidance);
  void DrawTopOfClimbDescentMarker(gdi::Dc& dc, int cx, int cy, const MapGuidanceOverlay& guidance);
  void DrawOwnAircraft(gdi::Dc& dc, int cx, int cy, const SimSnapshot& sim);
  void DrawAircraftSymbols(gdi::Dc& dc, int cx, int cy, const MapOverlayState& state, uint32_t now);
  // Every overlay in painting order.
  void DrawOverlays(gdi::Dc& dc, int cx, int cy, const MapOverlayState& state, uint32_t now);
  const std::unordered_map<int32_t, MapTrail>& Trails() const { return m_trails; }

  // A screen angle (degrees, clockwise from up) for a true direction at a latitude: the flat map
  // stretches east-west by 1 / cos(latitude).
  double ScreenAngle(double direction, double latitude) const;

 private:
  bool RunPainter(MapLayer layer, MapDrawContext& ctx);
  // Neutral pen and label brush of the scheme (day: dark grey on white).
  gdi::Pen NeutralPen(const MapDrawContext& ctx) const;
  gdi::Brush LabelBrush(const MapDrawContext& ctx) const;
  // A navaid is drawn when its own switch or the switch of an airway it lies on is on, and,
  // with plan waypoints only, when the plan holds it.
  bool NavaidTaken(const MapDrawContext& ctx, const NavPoint& p, uint8_t ownSwitch) const;
  // Name over frequency and identifier in a framed box, the narrower line centred.
  void DrawNavaidLabel(MapDrawContext& ctx, int x, int y, std::string_view name,
                       const std::string& frequency, std::string_view ident, int step);
  // One line on a borderless box.
  void DrawPointLabel(MapDrawContext& ctx, int x, int y, const std::string& text, int step);
  // The mark of an intersection at a navaid's position.
  void DrawLinkedTriangle(MapDrawContext& ctx, int x, int y);
  // The ILS point of a runway end, null when it has none or its index leaves the ILS array.
  const NavPoint* RunwayIls(const RunwayRecord& runway) const;
  // A length along an angle in 65536ths of a circle, stretched east-west on the flat map.
  void DirectionVector(int& dx, int& dy, int length, uint16_t angle, double latitude) const;
  // With plan waypoints only, true only for points of the plan.
  bool PlanAllows(const MapDrawContext& ctx, const NavPoint& p) const;
  // visit(a, b) for every runway whose two ends are both shown, in the tiles in view.
  template <class Visit>
  bool WalkRunwayPairs(MapDrawContext& ctx, Visit&& visit);
  // Projects near-side points clamped just outside the window and appends them unless equal to
  // the last; false when the point is on the far side.
  bool ProjectClamped(MapDrawContext& ctx, double lat, double lon, std::vector<gdi::Point>& points);
  // A disc of `metres` radius (at least `minimum` units), stretched east-west on the flat map.
  void DrawDisc(MapDrawContext& ctx, int x, int y, double latitude, double metres, int minimum = 0);
  // visit(index, object) for every shown scenery object of the groups in view.
  template <class Visit>
  bool WalkObjects(MapDrawContext& ctx, Visit&& visit);
  // One or two lines in a box with the pen and brush in force, text at its top-left corner.
  void DrawTextBox(MapDrawContext& ctx, int x, int y, const std::string& line1, const std::string& line2, int step);
  // The segment a label point stands for: A's entry, A, its forward neighbour B and whether B's
  // entry marks the way back as flyable. False when an index leaves its array.
  struct AirwaySegmentView {
    AirwaySegment entry;
    const NavPoint* a = nullptr;
    const NavPoint* b = nullptr;
    bool backwardFromB = true;
  };
  bool FindAirwaySegment(const LabelPoint& label, AirwaySegmentView& out) const;
  bool AirwayLevelShown(const AirwaySegment& entry) const;
  // Coastlines or rivers: the shapes' steps at the zoom's level of detail, lifted at the date line.
  bool DrawWorldShapes(MapDrawContext& ctx, const std::vector<WorldShape>& shapes,
                       const std::vector<uint8_t>& steps, const gdi::Pen& pen);
  template <class Interpolate>
  void DrawClippedLine(gdi::Dc& dc, int cx, int cy, double lat1, double lon1, double lat2,
                       double lon2, int step, Interpolate interpolate);

  MapPainterSet m_painters;
  const CSceneryDatabase* m_db;
  std::vector<gdi::Rect> m_labels;
  std::unordered_map<int32_t, MapTrail> m_trails;
};

// A free place for a multiplayer label of w x h beside a symbol of half-size a at (x, y),
// against the rectangles placed so far; the leader line runs from leader[0] to leader[1].
bool PlaceAircraftLabel(int w, int h, int a, int x, int y, const std::vector<gdi::Rect>& placed,
                        gdi::Rect& label, gdi::Point leader[2]);

// ---- Plan rows -------------------------------------------------------------------------------
// Walks the rows keeping the previous flown position P: a departure row and the first row only
// set P; a bearing row hangs off P without moving it; any other row is drawn from P and then
// becomes P. visit(index, row, fromLat, fromLon) is called for every row drawn from P and may
// return false to stop; the result is false when it did.
template <class Visit>
bool WalkPlanRows(const std::vector<PlanRow>& rows, Visit&& visit);

// The plus sign of navaids, ILS and COM points below the detail zoom: arms of 15 and 30 units,
// 30 and 45 from zoom 16.
void DrawSmallCross(gdi::Dc& dc, int zoom, int x, int y);

// The map's view tests of file records and shapes.
bool RegionIntersectsView(const BglFileRecord& file, const MapViewExtents& view);
bool ShapeIntersectsView(double latA, double latB, double lonMin, double lonMax, const MapViewExtents& view);
// The point at `fraction` (clamped to 0..1) of the rhumb line from point 1 to point 2.
void InterpolateRhumbLine(double& latitude, double& longitude, double lat1, double lon1,
                          double lat2, double lon2, double fraction);

#include "plotr/map/MapRenderer.inl"
