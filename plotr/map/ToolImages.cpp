#include "plotr/map/ToolImages.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "navdb/SceneryDatabase.h"
#include "platform/gdi/CairoDc.h"
#include "plotr/core/CommandIds.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"

namespace {

// The centre of every scene; any place away from the poles and the date line serves.
constexpr double kLat = 47;
constexpr double kLon = 8;

// Map layer switches of the map's bar, in command order.
enum LayerCommand : int {
  kAirwayLow = cmd::kLayerAirwaysLow,
  kAirwayHigh,
  kAirwayIdent,
  kAllIntersections,
  kNdb,
  kVor,
  kIls,
  kAtis,
  kMarker,
  kNavaidName,
  kNavaidIdent,
  kFrequency,
  kAirport,
  kAirportZone,
  kAirportName,
  kAirportIdent,
  kRoundWorld,
  kRouteLabels,
  kWaypointsOnly,
  kShowAircraft,
  kFollowAircraft,
  kShowPlayers,
};

void SetText(char* field, size_t size, const char* text) {
  std::memset(field, 0, size);
  std::memcpy(field, text, std::min(size, std::strlen(text)));
}

// A scene: a renderer with every switch off, a database of its own and a DC over an image
// surface whose logical size does not depend on the scale.
class Scene {
 public:
  Scene(int width, int height, int scale, double magnify)
      : m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
        m_cr(cairo_create(m_surface)),
        m_dc(m_cr, {width, height}, 96.0 * scale * magnify, 96.0 * scale * magnify) {
    // The map's white ground, so the overlays that invert what lies under them show dark;
    // it is taken out again at the end.
    cairo_set_source_rgb(m_cr, 1, 1, 1);
    cairo_paint(m_cr);
    m_cx = m_dc.DeviceToLogicalX(width);
    m_cy = m_dc.DeviceToLogicalY(height);
    uint8_t* switches[] = {&r.MapAirwayL, &r.MapAirwayH, &r.MapAirwayId, &r.MapIsec, &r.MapNdb, &r.MapVor,
                           &r.MapIls, &r.MapCom, &r.MapMarker, &r.MapName, &r.MapId, &r.MapFreq,
                           &r.MapAirport, &r.MapAirportZone, &r.MapAirportName, &r.MapAirportId,
                           &r.MapAirspaceArtcc, &r.MapAirspaceFir, &r.MapTaxiway, &r.MapFuelarea, &r.MapGrid,
                           &r.MapContinents, &r.MapRivers, &r.MapMountains, &r.MapRouteLabels,
                           &r.MapRoundWorld, &r.MapPlanWaypointsOnly, &r.MapShowAircraft,
                           &r.MapMultiplayerAircraft};
    for (uint8_t* s : switches) *s = 0;
    r.MapBcIls = 1;
    r.ColorScheme = kSchemeWhite;
    r.SetDatabase(&m_db);
    m_db.AddArea("Legend", nullptr);
    BglFileRecord file;
    file.subfolderText = m_db.AddString("scenery");
    file.fileNameText = m_db.AddString("legend.bgl");
    // The whole globe: the map walks only the files whose box it sees, and fixes and airways
    // leave a file's box as it is.
    file.latMin = -90;
    file.latMax = 90;
    file.lonMin = -180;
    file.lonMax = 180;
    m_db.m_files.Add(file, &m_db.m_areas[m_db.m_areas.GetSize() - 1].fileEnd);
    // Labels in a type a tool button can hold: six pixels high at 96 dpi.
    m_dc.SelectFont(gdi::Font{"Sans", -90, 700});
    m_dc.SetBkMode(gdi::TRANSPARENT);
    Zoom(kDetailZoom);
  }
  ~Scene() {
    cairo_destroy(m_cr);
    cairo_surface_destroy(m_surface);
  }
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  void Zoom(int zoom) {
    while (r.ZoomStack().size() > 1) r.PopZoom();
    r.PushZoom(1, kLat, kLon);
    if (zoom > 1) r.PushZoom(zoom, kLat, kLon);
  }
  // The zoom at which `metres` on the ground are `units` long on the scene.
  void ZoomFor(double metres, int units) {
    Zoom(1);
    const double perZoom = r.GetMapScale(m_cx, m_cy, metres * 1000) / 1000.0;
    Zoom(std::clamp(static_cast<int>(units / std::max(perZoom, 1e-9)), kDetailZoom, kMaxZoom));
  }

  int Cx() const { return m_cx; }
  int Cy() const { return m_cy; }
  // A fraction of the scene's width and height as a place on the ground.
  void Where(double fx, double fy, double& lat, double& lon) const {
    r.PixelToLatLon(lat, lon, static_cast<int>(fx * m_cx), static_cast<int>(fy * m_cy), m_cx, m_cy);
  }
  gdi::Point At(double fx, double fy) const {
    return {static_cast<int>(fx * m_cx), static_cast<int>(fy * m_cy)};
  }
  bool Add(double fx, double fy, uint16_t kind, const void* payload) {
    double lat = 0, lon = 0;
    Where(fx, fy, lat, lon);
    NavPoint p(lat, lon, kind, 1);
    return m_db.AddPoint(lat, lon, p, payload);
  }
  int32_t Text(const char* text) { return m_db.AddString(text); }
  CSceneryDatabase& Db() { return m_db; }

  // Runs layer painters in the pipeline's order over what was added. Labels go where the map
  // would put them with the places of `taken` already filled.
  void Paint(std::initializer_list<bool (CMapRenderer::*)(MapDrawContext&)> painters,
             std::vector<gdi::Rect> taken = {}) {
    MapDrawContext ctx{m_dc, m_cx, m_cy, {}, nullptr, nullptr, &m_db};
    r.GetViewExtents(m_cx, m_cy, ctx.view);
    r.Labels() = std::move(taken);
    for (auto painter : painters) (r.*painter)(ctx);
  }
  void PaintBase(std::initializer_list<void (CMapRenderer::*)(MapDrawContext&)> painters) {
    MapDrawContext ctx{m_dc, m_cx, m_cy, {}, nullptr, nullptr, &m_db};
    r.GetViewExtents(m_cx, m_cy, ctx.view);
    for (auto painter : painters) (r.*painter)(ctx);
  }
  void OwnAircraft(double fx, double fy, double heading) {
    SimSnapshot sim{};
    Where(fx, fy, sim.latitude, sim.longitude);
    sim.trueHeading = heading;
    r.MapShowAircraft = 1;
    r.DrawOwnAircraft(m_dc, m_cx, m_cy, sim);
  }
  gdi::Dc& Dc() { return m_dc; }

  ToolImage Take() {
    cairo_surface_flush(m_surface);
    ToolImage image;
    image.width = cairo_image_surface_get_width(m_surface);
    image.height = cairo_image_surface_get_height(m_surface);
    image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
    const int stride = cairo_image_surface_get_stride(m_surface);
    const uint8_t* data = cairo_image_surface_get_data(m_surface);
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        uint32_t argb = 0;
        std::memcpy(&argb, data + y * stride + x * 4, 4);
        uint8_t* out = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
        out[0] = (argb >> 16) & 0xFF;
        out[1] = (argb >> 8) & 0xFF;
        out[2] = argb & 0xFF;
        // The white ground is the button's own face.
        out[3] = (argb & 0xFFFFFF) == 0xFFFFFF ? 0 : 255;
      }
    }
    return image;
  }

  CMapRenderer r;

 private:
  CSceneryDatabase m_db{1 << 14};
  cairo_surface_t* m_surface;
  cairo_t* m_cr;
  gdi::CairoDc m_dc;
  int m_cx = 0;
  int m_cy = 0;
};

// Two fixes joined by an airway of a level (1 low, 2 high), with the label point at its middle.
void AddAirway(Scene& s, int level, const char* name) {
  const int first = s.Db().m_intersections.GetSize();
  const double ends[2][2] = {{0.12, 0.80}, {0.88, 0.22}};
  double lat[2], lon[2];
  for (int j = 0; j < 2; ++j) {
    s.Where(ends[j][0], ends[j][1], lat[j], lon[j]);
    // Both records are packed: the segment follows the header with no gap.
    struct {
      IntersectionRecord head;
      AirwaySegment segment;
    } payload{};
    static_assert(sizeof payload == sizeof(IntersectionRecord) + sizeof(AirwaySegment));
    payload.head.type = 0x10;
    payload.head.segmentCount = 1;
    SetText(payload.head.ident, sizeof payload.head.ident, j == 0 ? "ALPHA" : "BRAVO");
    SetText(payload.segment.name, 7, name);
    payload.segment.name[7] = static_cast<char>(level == 1 ? 0 : 1);
    // Half 0 leads on to the other fix, half 1 back; bit 0 flyable, then the level's bit.
    const uint16_t flags = static_cast<uint16_t>(1 | (level == 1 ? 2 : 4));
    payload.segment.half[0].neighbour = j == 0 ? first + 1 : -1;
    payload.segment.half[0].slot = 0;
    payload.segment.half[0].flags = j == 0 ? flags : 0;
    payload.segment.half[1].neighbour = j == 1 ? first : -1;
    payload.segment.half[1].slot = 0;
    payload.segment.half[1].flags = j == 1 ? flags : 0;
    NavPoint p(lat[j], lon[j], static_cast<uint16_t>(kKindIntersection + level), 1);
    s.Db().AddPoint(lat[j], lon[j], p, &payload);
  }
  // The airway's record: its count, then its items packed behind it.
  AirwayRecord airway;
  airway.count = 2;
  const uint32_t items[2] = {LabelPoint::MakeWord(first, 0, false), LabelPoint::MakeWord(first + 1, 0, false)};
  uint8_t way[sizeof airway + sizeof items];
  std::memcpy(way, &airway, sizeof airway);
  std::memcpy(way + sizeof airway, items, sizeof items);
  NavPoint a(lat[0], lon[0], static_cast<uint16_t>(kKindAirway + level), 1);
  s.Db().AddPoint(lat[0], lon[0], a, way);
  LabelPoint label;
  label.word = LabelPoint::MakeWord(first, 0, true);
  double mlat = 0, mlon = 0;
  s.Where(0.40, 0.35, mlat, mlon);
  label.latitude = static_cast<float>(mlat);
  label.longitude = static_cast<float>(mlon);
  s.Db().AddLabelPoint(mlat, mlon, label);
}

void AddVor(Scene& s, double fx, double fy, const char* ident, const char* name) {
  VorRecord vor;
  vor.frequency = 116.2f;
  vor.range = 60;
  vor.flags = 1;  // with a DME: the square around the hexagon
  vor.nameText = s.Text(name);
  SetText(vor.ident, sizeof vor.ident, ident);
  s.Add(fx, fy, kKindVor, &vor);
}

void AddAirportAt(Scene& s, double fx, double fy, uint8_t longestRunway = 25) {
  AirportRecord airport;
  airport.size = longestRunway;
  airport.nameText = s.Text("Ab");
  SetText(airport.ident, sizeof airport.ident, "ID");
  s.Add(fx, fy, kKindAirport, &airport);
}

// The plan's track: the wide pen the map draws the legs with, through a fix the map marks
// with its plan point triangle.
void DrawTrack(Scene& s, std::initializer_list<gdi::Point> points) {
  gdi::Dc& dc = s.Dc();
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(mappens::PenTrackDarkWide);
  std::vector<gdi::Point> line(points);
  dc.Polyline(line);
}

void DrawFix(Scene& s, gdi::Point p) {
  gdi::Dc& dc = s.Dc();
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(mappens::PenGridDark);
  dc.SelectBrush(gdi::Brush::Solid(0xFFFFFF));
  const gdi::Point corners[3] = {{p.x, p.y - 45}, {p.x + 45, p.y + 45}, {p.x - 45, p.y + 45}};
  dc.Polygon(corners);
}

// A plus or a minus in the corner, the way the route commands add or take away.
void DrawSign(Scene& s, bool plus) {
  gdi::Dc& dc = s.Dc();
  gdi::DcStateGuard guard(dc);
  const gdi::ColorRef color = plus ? 0x008000 : 0x0000C0;
  dc.SelectPen(gdi::Pen::Geometric(30, color, gdi::LineJoin::Miter, gdi::LineCap::Flat));
  const gdi::Point c = s.At(0.78, 0.78);
  dc.MoveTo(c.x - 45, c.y);
  dc.LineTo(c.x + 46, c.y);
  if (plus) {
    dc.MoveTo(c.x, c.y - 45);
    dc.LineTo(c.x, c.y + 46);
  }
}

// The aircraft at a place with the map's own symbol; the scene is shown at half size, as the
// symbol is drawn for a whole map window.
ToolImage Aircraft(int width, int height, int scale, double fx, double fy) {
  Scene s(width, height, scale, 0.5);
  s.OwnAircraft(fx, fy, 0);
  return s.Take();
}

// The place a label would take below a symbol at a fraction of the scene: taken, the map puts
// the label beside the symbol, inside a button.
gdi::Rect BelowOf(const Scene& s, double fx, double fy) {
  const gdi::Point p = s.At(fx, fy);
  return {p.x - 2 * s.Cx(), p.y + 120, p.x + 2 * s.Cx(), p.y + 4 * s.Cy()};
}

std::optional<ToolImage> Draw(int command, int width, int height, int scale) {
  switch (command) {
    case kAirwayLow:
    case kAirwayHigh:
    case kAirwayIdent: {
      Scene s(width, height, scale, 1);
      s.Zoom(512);
      AddAirway(s, command == kAirwayHigh ? 2 : 1, command == kAirwayHigh ? "J5" : "V1");
      s.r.MapAirwayL = command != kAirwayHigh;
      s.r.MapAirwayH = command == kAirwayHigh;
      s.r.MapAirwayId = command == kAirwayIdent;
      if (command == kAirwayIdent) {
        s.Paint({&CMapRenderer::DrawAirways, &CMapRenderer::DrawAirwayIds});
      } else {
        s.Paint({&CMapRenderer::DrawIntersections, &CMapRenderer::DrawAirways});
      }
      return s.Take();
    }
    case kAllIntersections: {
      Scene s(width, height, scale, 1);
      s.Zoom(512);
      IntersectionRecord isec{};
      isec.type = 0x10;
      for (const auto& [fx, fy] : {std::pair{0.25, 0.30}, {0.72, 0.40}, {0.42, 0.78}}) s.Add(fx, fy, kKindIntersection, &isec);
      s.r.MapIsec = 1;
      s.Paint({&CMapRenderer::DrawIntersections});
      return s.Take();
    }
    case kNdb: {
      Scene s(width, height, scale, 1);
      NdbRecord ndb;
      ndb.frequency = 316;
      s.Add(0.5, 0.5, kKindNdb, &ndb);
      s.r.MapNdb = 1;
      s.Paint({&CMapRenderer::DrawNdbs});
      return s.Take();
    }
    case kVor: {
      Scene s(width, height, scale, 1);
      AddVor(s, 0.5, 0.5, "ZH", "Ab");
      s.r.MapVor = 1;
      s.Paint({&CMapRenderer::DrawVors});
      return s.Take();
    }
    case kNavaidName:
    case kNavaidIdent:
    case kFrequency: {
      Scene s(width, height, scale, 1);
      AddVor(s, 0.0, 0.5, "ID", "Ab");
      s.r.MapVor = 1;
      s.r.MapName = command == kNavaidName;
      s.r.MapId = command == kNavaidIdent;
      s.r.MapFreq = command == kFrequency;
      s.Paint({&CMapRenderer::DrawVors}, {BelowOf(s, 0.0, 0.5)});
      return s.Take();
    }
    case kIls: {
      Scene s(width, height, scale, 1);
      IlsRecord ils;
      ils.frequency = 110.5f;
      ils.course = 0x4000 + 0x1000;  // 112 degrees: the feather comes in from the upper left
      ils.glideSlope = 3;
      ils.range = 8;
      ils.flags = 1;
      s.ZoomFor(ils.range * 1024.0, static_cast<int>(s.Cx() * 0.8));
      s.Add(0.80, 0.62, kKindIls, &ils);
      // The runway's airport, as the map shows it under an ILS.
      s.r.MapIls = 1;
      s.r.MapAirport = 1;
      s.Paint({&CMapRenderer::DrawAirportSymbols, &CMapRenderer::DrawIls});
      return s.Take();
    }
    case kAtis: {
      Scene s(width, height, scale, 1);
      ComRecord com;
      // The shorter of the two words fits a button.
      com.type = kComPilotLighting;
      com.frequency = 127.3f;
      s.Add(0.1, 0.5, kKindCom, &com);
      s.r.MapCom = 1;
      s.r.MapId = 1;
      s.Paint({&CMapRenderer::DrawComFrequencies}, {BelowOf(s, 0.1, 0.5)});
      return s.Take();
    }
    case kMarker: {
      Scene s(width, height, scale, 1.6);
      for (uint8_t type = 0; type < 3; ++type) {
        MarkerRecord marker;
        marker.type = type;
        s.Add(0.2 + 0.3 * type, 0.5, kKindMarker, &marker);
      }
      s.r.MapMarker = 1;
      s.Paint({&CMapRenderer::DrawMarkers});
      return s.Take();
    }
    case kAirport:
    case kAirportZone: {
      Scene s(width, height, scale, 1);
      s.Zoom(command == kAirport ? kMaxZoom : kMaxZoom / 2);
      AddAirportAt(s, 0.5, 0.5);
      s.r.MapAirport = 1;
      if (command == kAirportZone) {
        // The control zone's ring in the pen the airspace painter gives zones on a day map.
        gdi::Dc& dc = s.Dc();
        gdi::DcStateGuard guard(dc);
        dc.SelectPen(mappens::PenAirspaceDark);
        dc.SelectBrush(gdi::Brush::Hatched(gdi::Hatch::FDiagonal, 0xF5D778));
        const int r = std::min(s.Cx(), s.Cy()) * 46 / 100;
        dc.Ellipse(s.Cx() / 2 - r, s.Cy() / 2 - r, s.Cx() / 2 + r, s.Cy() / 2 + r);
      }
      s.Paint({&CMapRenderer::DrawAirportSymbols});
      return s.Take();
    }
    case kAirportName:
    case kAirportIdent: {
      // The airport at the top edge with its label below it, as on the map; a short runway
      // keeps the label close.
      Scene s(width, height, scale, 1);
      s.Zoom(kMaxZoom / 2);
      AddAirportAt(s, 0.5, 0.1, 3);
      s.r.MapAirport = 1;
      s.r.MapAirportName = command == kAirportName;
      s.r.MapAirportId = command == kAirportIdent;
      s.Paint({&CMapRenderer::DrawAirportSymbols, &CMapRenderer::DrawAirportLabels});
      return s.Take();
    }
    case kRoundWorld: {
      Scene s(width, height, scale, 1);
      s.r.MapRoundWorld = 1;
      s.r.MapGrid = 1;
      s.Zoom(1);
      s.PaintBase({&CMapRenderer::DrawGrid, &CMapRenderer::DrawGlobeOutline});
      return s.Take();
    }
    case kRouteLabels: {
      Scene s(width, height, scale, 1);
      DrawTrack(s, {s.At(0.05, 0.9), s.At(0.95, 0.15)});
      gdi::Dc& dc = s.Dc();
      gdi::DcStateGuard guard(dc);
      dc.SelectPen(mappens::PenGridDark);
      dc.SelectBrush(gdi::Brush::Solid(0xFFFFFE));
      const gdi::Point c = s.At(0.08, 0.08);
      const gdi::Size text = dc.GetTextExtent("12");
      dc.Rectangle(c.x, c.y, c.x + text.cx + 45, c.y + text.cy + 15);
      dc.TextOut(c.x + 22, c.y + 8, "12");
      return s.Take();
    }
    case kWaypointsOnly: {
      Scene s(width, height, scale, 1);
      const gdi::Point a = s.At(0.15, 0.8), b = s.At(0.5, 0.3), c = s.At(0.85, 0.7);
      DrawTrack(s, {a, b, c});
      for (gdi::Point p : {a, b, c}) DrawFix(s, p);
      return s.Take();
    }
    case cmd::kAircraft:
      return Aircraft(width, height, scale, 0.42, 0.58);
    case kShowAircraft:
      return Aircraft(width, height, scale, 0.5, 0.62);
    case kFollowAircraft: {
      Scene s(width, height, scale, 0.5);
      // The frame of the map held around the aircraft.
      gdi::Dc& dc = s.Dc();
      {
        gdi::DcStateGuard guard(dc);
        dc.SelectPen(mappens::PenBlue);
        const int w = s.Cx(), h = s.Cy(), e = w / 4, m = w / 20;
        const gdi::Point corners[4][3] = {{{m, m + e}, {m, m}, {m + e, m}},
                                          {{w - m - e, m}, {w - m - 1, m}, {w - m - 1, m + e}},
                                          {{w - m - 1, h - m - 1 - e}, {w - m - 1, h - m - 1}, {w - m - 1 - e, h - m - 1}},
                                          {{m + e, h - m - 1}, {m, h - m - 1}, {m, h - m - 1 - e}}};
        for (const auto& corner : corners) dc.Polyline(corner);
      }
      s.OwnAircraft(0.5, 0.55, 0);
      return s.Take();
    }
    case kShowPlayers: {
      Scene s(width, height, scale, 1);
      s.r.MapMultiplayerAircraft = 1;
      MapOverlayState state;
      MpPlayerEntry player{};
      player.hasPosition = 1;
      player.heading = 45;
      double lat = 0, lon = 0;
      s.Where(0.5, 0.5, lat, lon);
      player.latitude = static_cast<float>(lat);
      player.longitude = static_cast<float>(lon);
      state.players.push_back(player);
      s.r.DrawAircraftSymbols(s.Dc(), s.Cx(), s.Cy(), state, 0);
      return s.Take();
    }
    case cmd::kCruise: {
      // Climb, cruise level and descent with the map's mark of the top of climb.
      Scene s(width, height, scale, 1);
      const gdi::Point a = s.At(0.02, 0.85), b = s.At(0.30, 0.30), c = s.At(0.70, 0.30), d = s.At(0.98, 0.85);
      DrawTrack(s, {a, b, c, d});
      MapGuidanceOverlay toc;
      toc.levelOffValid = 1;
      s.Where(0.34, 0.30, toc.levelOffLatitude, toc.levelOffLongitude);
      toc.levelOffCourse = 90;
      s.r.MapShowAircraft = 1;
      s.r.DrawTopOfClimbDescentMarker(s.Dc(), s.Cx(), s.Cy(), toc);
      return s.Take();
    }
    case cmd::kCalcAutoRoute:
    case cmd::kRemoveAutoRoute: {
      // Two airports with the route between them over a fix.
      Scene s(width, height, scale, 1);
      s.Zoom(kMaxZoom / 3);
      AddAirportAt(s, 0.14, 0.25);
      AddAirportAt(s, 0.86, 0.25);
      const gdi::Point a = s.At(0.14, 0.25), b = s.At(0.5, 0.55), c = s.At(0.86, 0.25);
      DrawTrack(s, {a, b, c});
      s.r.MapAirport = 1;
      s.Paint({&CMapRenderer::DrawAirportSymbols});
      DrawFix(s, b);
      DrawSign(s, command == cmd::kCalcAutoRoute);
      return s.Take();
    }
    case cmd::kToggleDocked: {
      // The planner's frame docked over the simulator's window: the outer window with the
      // planner filling its lower part.
      Scene s(width, height, scale, 1);
      gdi::Dc& dc = s.Dc();
      gdi::DcStateGuard guard(dc);
      const int w = s.Cx(), h = s.Cy();
      dc.SelectPen(mappens::PenGridDark);
      dc.SelectBrush(gdi::Brush::None());
      dc.Rectangle(0, 15, w - 15, h - 15);
      dc.FillRect({0, 15, w - 15, 60}, gdi::Brush::Solid(0x804000));
      dc.SelectBrush(gdi::Brush::Solid(0xC0C0C0));
      dc.Rectangle(30, h / 2, w - 45, h - 45);
      dc.FillRect({45, h / 2 + 30, w / 2, h - 60}, gdi::Brush::Solid(0x008000));
      return s.Take();
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<ToolImage> MapToolImage(int command, int width, int height, int scale) {
  if (width <= 0 || height <= 0 || scale <= 0) return std::nullopt;
  return Draw(command, width, height, scale);
}

std::optional<ToolImage> FallbackToolImage(int command, int width, int height, int scale) {
  if (command != cmd::kZoomIn && command != cmd::kZoomOut) return std::nullopt;
  if (width <= 0 || height <= 0 || scale <= 0) return std::nullopt;
  Scene s(width, height, scale, 1);
  gdi::Dc& dc = s.Dc();
  gdi::DcStateGuard guard(dc);
  const int unit = s.Cy() / 15;  // one pixel at 96 dpi
  const gdi::Point c{unit * 6, unit * 6};
  const int r = unit * 5;
  dc.SelectPen(gdi::Pen::Geometric(unit * 3 / 2, 0x404040));
  dc.SelectBrush(gdi::Brush::Solid(0xF0E0C0));
  dc.Ellipse(c.x - r, c.y - r, c.x + r, c.y + r);
  dc.SelectPen(gdi::Pen::Geometric(unit * 3, 0x404040, gdi::LineJoin::Round, gdi::LineCap::Round));
  dc.MoveTo(c.x + r * 7 / 10, c.y + r * 7 / 10);
  dc.LineTo(unit * 14, unit * 14);
  dc.SelectPen(gdi::Pen::Geometric(unit * 3 / 2, 0x000000, gdi::LineJoin::Miter, gdi::LineCap::Flat));
  dc.MoveTo(c.x - r / 2, c.y);
  dc.LineTo(c.x + r / 2 + 1, c.y);
  if (command == cmd::kZoomIn) {
    dc.MoveTo(c.x, c.y - r / 2);
    dc.LineTo(c.x, c.y + r / 2 + 1);
  }
  return s.Take();
}

bool HasInk(const ToolImage& image) {
  for (size_t i = 3; i < image.rgba.size(); i += 4)
    if (image.rgba[i] != 0) return true;
  return false;
}
