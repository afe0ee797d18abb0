#include "plotr/map/window/MapView.h"

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/dcclient.h>
#include <wx/dcgraph.h>
#include <wx/dcprint.h>
#include <wx/graphics.h>
#include <wx/menu.h>
#include <wx/print.h>
#include <wx/settings.h>
#include <wx/utils.h>

#include <algorithm>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <optional>

#include "navdb/Geodesy.h"
#include "platform/gdi/CairoDc.h"
#include "platform/ui/KeyForward.h"
#include "platform/ui/MenuStates.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/core/Settings.h"
#include "plotr/map/window/MapTipWnd.h"
#include "plotr/map/window/WindStatic.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/LatLonText.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/Route.h"
#include "plotr/shell/window/MainFrm.h"
#include "plotr/shell/window/OptionsSheet.h"
#include "plotr/shell/window/PrintSetup.h"
#include "plotr/shell/window/ShellStrings.h"
#include "plotr/shell/window/ToolBarEx.h"
#include "plotr/shell/window/WxClip.h"
#include "plotr/shell/window/WxKeys.h"
#include "plotr/sim/FlightPlanSim.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/views/ClipFormats.h"
#include "plotr/views/SearchModel.h"
#include "plotr/views/window/TowerViewDlg.h"

namespace {

constexpr int kFlyTo = 32790;
constexpr int kMoveAircraft = 32792;
constexpr int kTowerView = 32793;
constexpr int kToPlan = 32794;
constexpr int kHolding = 32795;
constexpr int kCopy = 32796;
constexpr int kCenter = 32797;
constexpr int kZoomNormal = 32798;
constexpr int kZoomIn = 32799;
constexpr int kZoomOut = 32800;
constexpr int kRoundWorld = 32817;
constexpr int kPlanWaypointsOnly = 32819;
constexpr int kShowAircraft = 32820;
constexpr int kFollowAircraft = 32821;
constexpr int kShowPlayers = 32822;
constexpr int kUndo = 57643;
constexpr int kRedo = 57644;

// The map's own bar: the zoom commands, then every layer switch, each with its short text.
struct MapBarButton {
  int command;
  const char* tip;
};
constexpr MapBarButton kMapBar[] = {
    {kZoomIn, "Zoom In"}, {kZoomOut, "Zoom Out"}, {0, ""},
    {32801, "Low altitude Airways/Waypoints"}, {32802, "High altitude Airways/Waypoints"},
    {32803, "Airway Identification"}, {32804, "All Intersections"}, {32805, "NDB"}, {32806, "VOR"},
    {32807, "ILS"}, {32808, "ATIS/PCL"}, {32809, "Marker"}, {32810, "NDB/VOR Name"},
    {32811, "Identification"}, {32812, "Frequency"}, {32813, "Airport"}, {32814, "Airport Control Zone"},
    {32815, "Airport Name"}, {32816, "Airport Identification"}, {0, ""},
    {kRoundWorld, "Round World"}, {32818, "Flighplan Route Labels"}, {kPlanWaypointsOnly, "Flightplan waypoints only"},
    {kShowAircraft, "Show aircraft"}, {kFollowAircraft, "Map follows aircraft"}, {kShowPlayers, "Show multiplayer aircraft"},
};

uint64_t NowMs() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

// The sixteen keyed layer switches of the toggle commands 32801-32816, in command order.
struct KeyedLayer {
  bool (CSettings::*get)(bool, bool);
  void (CSettings::*set)(bool);
};
constexpr KeyedLayer kKeyedLayers[16] = {
    {&CSettings::GetMapAirwayL, &CSettings::SetMapAirwayL},
    {&CSettings::GetMapAirwayH, &CSettings::SetMapAirwayH},
    {&CSettings::GetMapAirwayId, &CSettings::SetMapAirwayId},
    {&CSettings::GetMapIsec, &CSettings::SetMapIsec},
    {&CSettings::GetMapNdb, &CSettings::SetMapNdb},
    {&CSettings::GetMapVor, &CSettings::SetMapVor},
    {&CSettings::GetMapIls, &CSettings::SetMapIls},
    {&CSettings::GetMapCom, &CSettings::SetMapCom},
    {&CSettings::GetMapMarker, &CSettings::SetMapMarker},
    {&CSettings::GetMapName, &CSettings::SetMapName},
    {&CSettings::GetMapId, &CSettings::SetMapId},
    {&CSettings::GetMapFreq, &CSettings::SetMapFreq},
    {&CSettings::GetMapAirport, &CSettings::SetMapAirport},
    {&CSettings::GetMapAirportZone, &CSettings::SetMapAirportZone},
    {&CSettings::GetMapAirportName, &CSettings::SetMapAirportName},
    {&CSettings::GetMapAirportId, &CSettings::SetMapAirportId},
};

bool SettingOfPair(int pair) {
  if (pair >= 0 && pair < 16) return (g_Settings.*kKeyedLayers[pair].get)(false, false);
  if (pair == mapview::CLayerToggles::kRouteLabels) return g_Settings.m_routeLabelsShown;
  return g_Settings.m_upperAirspaceActive;
}

void WritePair(int pair, bool value) {
  if (pair >= 0 && pair < 16) {
    (g_Settings.*kKeyedLayers[pair].set)(value);
  } else if (pair == mapview::CLayerToggles::kRouteLabels) {
    g_Settings.m_routeLabelsShown = value;
  } else {
    g_Settings.m_upperAirspaceActive = value;
  }
}

// The plan object with the simulator's operations, when the module has them.
CFlightPlanSim* SimPlan(IPlotrDocument& document) { return dynamic_cast<CFlightPlanSim*>(&document.GetPlan()); }

// Prints the map onto each page wx hands over.
class CMapPrintout : public wxPrintout {
 public:
  // The printout keeps the parameters of the moment it was asked for, so a preview stays put
  // while the map follows the aircraft.
  CMapPrintout(const CMapRenderer& renderer, const CFlightPlanCore* plan)
      : wxPrintout("Map"), m_renderer(renderer), m_plan(plan) {}
  bool OnPrintPage(int) override {
    wxDC* dc = GetDC();
    if (dc == nullptr) return false;
    int w = 0, h = 0;
    GetPageSizePixels(&w, &h);
    int dpiX = 0, dpiY = 0;
    GetPPIPrinter(&dpiX, &dpiY);
    wxGraphicsContext* gc = dc->GetGraphicsContext();
    std::unique_ptr<wxGCDC> wrapped;
    if (gc == nullptr) {
      if (auto* printer = wxDynamicCast(dc, wxPrinterDC)) {
        wrapped = std::make_unique<wxGCDC>(*printer);
        gc = wrapped->GetGraphicsContext();
      }
    }
    if (gc == nullptr) return false;
    auto* cr = static_cast<cairo_t*>(gc->GetNativeContext());
    if (cr == nullptr) return false;
    std::lock_guard lock(g_DatabaseLock);
    PrintMapPage(cr, m_renderer, m_plan, w, h, dpiX > 0 ? dpiX : 72);
    return true;
  }
  bool HasPage(int page) override { return page == 1; }
  void GetPageInfo(int* minPage, int* maxPage, int* from, int* to) override { *minPage = *maxPage = *from = *to = 1; }

 private:
  CMapRenderer m_renderer;
  const CFlightPlanCore* m_plan;
};

// The map takes "Plotr Full Point" drags of the plan's user fixes: over the map the fix follows
// the pointer, dropped it moves in the plan.
class CMapDropTarget : public wxDropTarget {
 public:
  explicit CMapDropTarget(CScenView* view) : m_view(view) {
    auto* composite = new wxDataObjectComposite;
    composite->Add(new wxCustomDataObject(wxDataFormat(clip::kFullPoint)), true);
    SetDataObject(composite);
  }
  wxDragResult OnDragOver(wxCoord x, wxCoord y, wxDragResult) override {
    const std::optional<FullPoint> key = SessionKey();
    return key && m_view->DragOver(*key, {x, y}) ? wxDragMove : wxDragNone;
  }
  wxDragResult OnEnter(wxCoord x, wxCoord y, wxDragResult def) override { return OnDragOver(x, y, def); }
  void OnLeave() override { m_view->DragLeave(); }
  wxDragResult OnData(wxCoord x, wxCoord y, wxDragResult) override {
    m_view->DragLeave();
    if (!GetData()) return wxDragNone;
    auto* composite = static_cast<wxDataObjectComposite*>(GetDataObject());
    const std::optional<std::string> bytes = clip::DroppedBytes(*composite, clip::kFullPoint);
    const std::optional<FullPoint> key = bytes ? clip::ReadFullPoint(*bytes) : std::nullopt;
    return key && m_view->DropFix(*key, {x, y}) ? wxDragMove : wxDragNone;
  }

 private:
  // GTK names the formats before the drop but gives no bytes: a drag of this process left them.
  static std::optional<FullPoint> SessionKey() {
    const clip::ClipData* data = clip::DragSession::Current();
    const std::string* bytes = data != nullptr ? clip::Find(*data, clip::kFullPoint) : nullptr;
    return bytes != nullptr ? clip::ReadFullPoint(*bytes) : std::nullopt;
  }
  CScenView* m_view;
};

}  // namespace

CScenView::CScenView(wxWindow* parent, wxWindowID id, IPlotrDocument& document)
    : wxWindow(parent, id, wxDefaultPosition, wxSize(40, 40), wxBORDER_STATIC | wxWANTS_CHARS | wxCLIP_CHILDREN),
      m_document(document) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  m_renderer.ReadLayerSettings();
  m_target = std::make_unique<ui::WxMessageTarget>(this);
  m_engine = std::make_unique<CMapEngine>(m_renderer, &document.GetPlan(), m_target.get());
  m_engine->SetResolution(96.0 * GetContentScaleFactor());
  m_engine->Start();
  m_tip = new CMapTipWnd(this);
  m_wind = new CWindStatic;
  m_wind->Create(this);
  std::vector<int> commands;
  std::vector<std::string> tips;
  for (const MapBarButton& b : kMapBar) {
    commands.push_back(b.command);
    tips.emplace_back(b.tip);
  }
  m_toolBar = new CToolBarScen(this, commands, std::move(tips));
  clip::AddDragStatusStrings();
  SetDropTarget(new CMapDropTarget(this));

  Bind(wxEVT_PAINT, &CScenView::OnPaint, this);
  Bind(wxEVT_SIZE, &CScenView::OnSize, this);
  Bind(ui::EVT_APP_MESSAGE, &CScenView::OnFrameReady, this);
  Bind(wxEVT_MOTION, &CScenView::OnMotion, this);
  Bind(wxEVT_LEFT_DOWN, &CScenView::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &CScenView::OnLeftUp, this);
  Bind(wxEVT_LEFT_DCLICK, &CScenView::OnLeftDouble, this);
  Bind(wxEVT_RIGHT_DOWN, &CScenView::OnRightDown, this);
  Bind(wxEVT_RIGHT_UP, &CScenView::OnRightUp, this);
  Bind(wxEVT_MOUSEWHEEL, &CScenView::OnWheel, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CScenView::OnCaptureLost, this);
  Bind(wxEVT_LEAVE_WINDOW, &CScenView::OnLeave, this);
  Bind(wxEVT_KEY_DOWN, &CScenView::OnKey, this);
  Bind(wxEVT_CHAR, &CScenView::OnKey, this);
  Bind(wxEVT_MENU, &CScenView::OnCommand, this, kFlyTo, kShowPlayers);
  Bind(wxEVT_MENU, &CScenView::OnCommand, this, kUndo, kRedo);
  Bind(wxEVT_UPDATE_UI, &CScenView::OnUpdateCommand, this, kFlyTo, kShowPlayers);
  Bind(wxEVT_UPDATE_UI, &CScenView::OnUpdateCommand, this, kUndo, kRedo);
}

CScenView::~CScenView() {
  // The thread goes first: a picture in progress stops, and nothing posts to us any more.
  m_engine->Stop();
  m_target->SetHandler(nullptr);
}

bool CScenView::ToolBarWantsMoreThan(int first, int second) const {
  if (m_toolBar == nullptr) return false;
  return m_toolBar->LayoutFor(first).y > m_toolBar->LayoutFor(second).y;
}

// ---- Painting --------------------------------------------------------------------------------------

void CScenView::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  const wxSize size = GetClientSize();
  const std::shared_ptr<const MapFrame> frame = m_engine->FrontFrame();
  m_renderer.ReadLayerSettings();
  // A frame of another size or of older parameters asks for a new picture; an expose alone
  // only shows the frame again.
  if (!frame || frame->Width() != size.x || frame->Height() != size.y || !(m_engine->State().params == m_renderer)) {
    if (size.x > 0 && size.y > 0) m_engine->RequestWholePicture(m_renderer, size.x, size.y);
  }
  wxGraphicsContext* gc = dc.GetGraphicsContext();
  auto* cr = gc != nullptr ? static_cast<cairo_t*>(gc->GetNativeContext()) : nullptr;
  if (cr != nullptr && frame) {
    cairo_save(cr);
    cairo_set_source_surface(cr, frame->Surface(), 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
  } else {
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
  }
  if (m_dragRoute && cr != nullptr) {
    // The moved fix's legs and their labels over the picture.
    cairo_surface_t* overlay = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.x, size.y);
    cairo_t* oc = cairo_create(overlay);
    {
      gdi::CairoDc feedback(oc, gdi::Size{size.x, size.y}, 96.0 * GetContentScaleFactor(),
                            96.0 * GetContentScaleFactor());
      const int cx = feedback.DeviceToLogicalX(size.x), cy = feedback.DeviceToLogicalY(size.y);
      std::lock_guard lock(g_DatabaseLock);
      m_renderer.DrawDragLegs(feedback, cx, cy, m_dragRows, *m_dragRoute);
      m_renderer.DrawLegLabelsOverlay(feedback, cx, cy, m_dragRows, *m_dragRoute);
    }
    cairo_destroy(oc);
    cairo_save(cr);
    cairo_set_source_surface(cr, overlay, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(overlay);
  }
  if (!m_measure || !m_measure->Drawn()) return;
  // The rubber band, the great circle from its start and the distance text beside the cursor.
  const mapview::Point s = m_measure->Start(), c = m_measure->Current();
  const mapview::Rect band = mapview::Normalised(s, c);
  const bool night = m_renderer.ColorScheme != 0;
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.SetPen(wxPen(night ? wxColour(0xC0, 0xC0, 0xC0) : *wxBLACK, 1, wxPENSTYLE_DOT));
  dc.DrawRectangle(band.left, band.top, band.Width() + 1, band.Height() + 1);
  double lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
  if (ToLatLon({s.x, s.y}, lat1, lon1) && ToLatLon({c.x, c.y}, lat2, lon2)) {
    dc.SetPen(wxPen(night ? wxColour(0xC0, 0xC0, 0xC0) : *wxBLACK, 1));
    wxPoint last(s.x, s.y);
    for (int i = 1; i <= 32; ++i) {
      double lat = 0, lon = 0;
      PointAlongSegment(lat, lon, lat1, lon1, lat2, lon2, i / 32.0);
      int x = 0, y = 0;
      if (!m_renderer.LatLonToPixel(x, y, lat, lon, size.x, size.y, 2)) continue;
      dc.DrawLine(last, wxPoint(x, y));
      last = wxPoint(x, y);
    }
  }
  if (!m_measureText.empty()) {
    const mapview::Rect& box = m_measureTextBox;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(night ? *wxBLACK : *wxWHITE));
    dc.DrawRectangle(box.left, box.top, box.Width(), box.Height());
    dc.SetFont(LogFontToWx(m_renderer.MapFont));
    dc.SetTextForeground(night ? wxColour(0xC0, 0xC0, 0xC0) : *wxBLACK);
    dc.DrawText(wxString::FromUTF8(m_measureText), box.left + 2, box.top);
  }
}

void CScenView::OnSize(wxSizeEvent& event) {
  event.Skip();
  PlaceWind();
  Refresh(false);
}

// The wind stays in the lower left corner at its own size; the bar stands at the right edge,
// bottom-aligned, wrapped to the height.
void CScenView::PlaceWind() {
  const wxSize size = GetClientSize();
  m_wind->Move(1, std::max(0, size.y - m_wind->GetSize().y - 1));
  if (m_toolBar != nullptr) {
    const wxSize bar = m_toolBar->LayoutFor(size.y);
    m_toolBar->SetSize(size.x - bar.x, std::max(0, size.y - bar.y), bar.x, bar.y);
    m_toolBar->Refresh();
  }
}

void CScenView::OnFrameReady(wxThreadEvent& event) {
  const ui::Message message = ui::MessageFromEvent(event);
  if (message.code != kMsgMapFrame) return;
  // A new picture takes the hover tip away; overlays alone leave it.
  if (message.wParam == 1) m_tip->Reset();
  Refresh(false);
}

// ---- Update hints ---------------------------------------------------------------------------------

void CScenView::Broadcast(uint32_t bits, const void* object) { m_document.UpdatePlanViews(nullptr, bits, object); }

void CScenView::CenterOn(double lat, double lon) {
  CCenterHint hint{lat, lon, 1};
  Broadcast(kHintCenter, &hint);
}

void CScenView::PushZoomHint(int zoom, double lat, double lon) {
  CZoomHint hint{1, zoom, lat, lon};
  Broadcast(kHintZoom, &hint);
}

bool CScenView::AircraftInside() const {
  const SimSnapshot& sim = g_SimBlock.GetSnapshot();
  const wxSize size = GetClientSize();
  int x = 0, y = 0;
  return m_renderer.LatLonToPixel(x, y, sim.latitude, sim.longitude, size.x, size.y, 1);
}

void CScenView::Housekeeping(bool& invalidate) {
  if (m_hoverStatusMs != 0 && NowMs() - m_hoverStatusMs > mapview::kHoverStatusMs) {
    IdleStatus();
    m_hoverStatusMs = 0;
  }
  if (g_Settings.GetMapAirspaceArtcc(false) || g_Settings.GetMapAirspaceFir(false)) {
    const int transition = mapview::TransitionHeight(g_Settings.GetMapAirspaceTransitionHeight(false));
    m_toggles.FollowAltitude(g_SimBlock.GetSnapshot().altitude, transition);
  }
  const int scheme = g_Settings.GetColorScheme(false);
  if (scheme != m_colorScheme) {
    m_colorScheme = scheme;
    invalidate = true;
  }
  if (m_toggles.Tick()) {
    for (int pair = 0; pair < mapview::CLayerToggles::kPairs; ++pair) {
      if (m_toggles.IsPending(pair)) WritePair(pair, m_toggles.PendingValue(pair));
    }
    m_toggles.ClearPending();
    invalidate = true;
  }
}

void CScenView::PeriodicCopy() {
  MapOverlayState overlays;
  {
    std::lock_guard lock(g_DatabaseLock);
    const CFlightPlanCore& plan = m_document.GetPlan();
    overlays.holding = plan.m_holding;
    overlays.guidance = MapGuidanceOverlay::FromPlan(plan);
  }
  overlays.sim = g_SimBlock.GetSnapshot();
  // The session's aircraft as of now: copies, so the drawing thread needs no session lock.
  m_document.GetPlan().ListPublicPlanPlayers(overlays.players, false);
  overlays.playerGroundSpeed = g_Settings.GetMapMPAircraftGS(false);
  overlays.indicatedAirspeed = g_Settings.GetUseIndicatedAirSpeed(false);
  m_renderer.ReadLayerSettings();
  const wxSize size = GetClientSize();
  m_engine->UpdateOverlays(m_renderer, size.x, size.y, overlays);
}

void CScenView::OnPlanUpdate(uint32_t bits, const void* object) {
  bool invalidate = false;
  if ((bits == 0 || (bits & kHintPeriodic) != 0) && m_toolBar != nullptr && IsShownOnScreen()) m_toolBar->UpdateStates();
  if (mapview::RunsHousekeeping(bits)) Housekeeping(invalidate);
  if (invalidate) Refresh(false);
  if (mapview::RefreshesWind(bits)) {
    m_wind->Update();
    if (bits == 0) {
      const SimSnapshot& sim = g_SimBlock.GetSnapshot();
      m_wind->FormatWind(sim.windSpeed, sim.windDirection);
    }
    PlaceWind();
  }
  switch (mapview::BranchOf(bits)) {
    case mapview::HintBranch::kRedraw: {
      // Plan edits and database loads change the picture under the same parameters.
      const wxSize size = GetClientSize();
      m_renderer.ReadLayerSettings();
      if (size.x > 0 && size.y > 0) m_engine->RequestWholePicture(m_renderer, size.x, size.y);
      Refresh(false);
      break;
    }
    case mapview::HintBranch::kCenter:
      if (const auto* hint = static_cast<const CCenterHint*>(object)) {
        m_renderer.SetCenter(hint->latitude, hint->longitude, hint->allEntries != 0);
        m_follow.OnMoved(AircraftInside());
        Refresh(false);
      }
      break;
    case mapview::HintBranch::kZoom:
      if (const auto* hint = static_cast<const CZoomHint*>(object)) {
        if (hint->push) {
          m_renderer.PushZoom(hint->zoom, hint->latitude, hint->longitude);
        } else {
          m_renderer.PopZoom();
        }
        m_follow.OnMoved(AircraftInside());
        Refresh(false);
      }
      break;
    case mapview::HintBranch::kPeriodic: {
      PeriodicCopy();
      const bool inside = AircraftInside();
      if (m_follow.OnPeriodic(inside, m_printing, g_Settings.GetMapFollowAircraft(false))) {
        const SimSnapshot& sim = g_SimBlock.GetSnapshot();
        CenterOn(sim.latitude, sim.longitude);
      }
      break;
    }
    case mapview::HintBranch::kWind: {
      const SimSnapshot& sim = g_SimBlock.GetSnapshot();
      m_wind->FormatWind(sim.windSpeed, sim.windDirection);
      PlaceWind();
      break;
    }
    case mapview::HintBranch::kNone:
      break;
  }
}

// ---- Points, objects and the status line --------------------------------------------------------------

bool CScenView::ToLatLon(const wxPoint& p, double& lat, double& lon) const {
  const wxSize size = GetClientSize();
  return m_renderer.PixelToLatLon(lat, lon, p.x, p.y, size.x, size.y);
}

bool CScenView::HoverObject(FullPoint& out) const {
  return m_tip->GetHoverPoint(out) && (out.point.kind & mapview::kPickableKinds) != 0;
}

void CScenView::StatusText(const std::string& text) {
  if (CMainFrm* main = GetMainFrame()) main->OnAppMessage(WM_APP_STATUS_TEXT, 0, &text);
}

void CScenView::IdleStatus() {
  if (CMainFrm* main = GetMainFrame()) main->OnAppMessage(WM_APP_STATUS_TEXT, 0xE001, nullptr);
}

bool CScenView::QueryTip(const wxPoint& point, FullPoint& object, std::string& text) {
  double lat = 0, lon = 0;
  if (!ToLatLon(point, lat, lon)) return false;
  const wxSize size = GetClientSize();
  const int pixels = std::max(2, std::min(size.x, size.y) / 50);
  double radius = m_renderer.MetresPerPixel(size.x, size.y, pixels);
  std::lock_guard lock(g_DatabaseLock);
  const CRoute* route = m_document.GetPlan().GetCurrent();
  if (route == nullptr) return false;
  if (!route->FindObject(object, radius, lat, lon, static_cast<int32_t>(m_renderer.GetVisibleLayers(0xF3FF)), false,
                         m_renderer.MapPlanWaypointsOnly != 0)) {
    return false;
  }
  return route->AirportInfoText(text, object, g_SimBlock.GetSnapshot());
}

mapview::ContextInputs CScenView::ContextFacts() const {
  mapview::ContextInputs in;
  double lat = 0, lon = 0;
  in.pointOnMap = ToLatLon(m_contextPoint, lat, lon);
  FullPoint hover;
  if (HoverObject(hover)) {
    in.hover = true;
    in.hoverKind = hover.point.kind;
    std::lock_guard lock(g_DatabaseLock);
    FullPoint found;
    if (const CRoute* route = m_document.GetPlan().GetCurrent()) in.hoverResolves = route->Resolve(found, hover.point);
  }
  const SimSnapshot& sim = g_SimBlock.GetSnapshot();
  in.flyToPossible = sim.flyToPossible;
  in.onGround = sim.onGround;
  in.holdingState = sim.holdingState;
  in.simVer = g_Settings.GetSimVer();
  return in;
}

// ---- Mouse and keys ------------------------------------------------------------------------------------

void CScenView::OnMotion(wxMouseEvent& event) {
  m_tip->RelayMouse(event);
  event.Skip();
  const wxPoint p = event.GetPosition();
  if (m_pressPoint && event.LeftIsDown()) {
    const wxPoint d = p - *m_pressPoint;
    if (std::abs(d.x) > std::max(1, wxSystemSettings::GetMetric(wxSYS_DRAG_X)) ||
        std::abs(d.y) > std::max(1, wxSystemSettings::GetMetric(wxSYS_DRAG_Y))) {
      const wxPoint at = *m_pressPoint;
      m_pressPoint.reset();
      StartDrag(at);
      return;
    }
  } else {
    m_pressPoint.reset();
  }
  if (m_measure) {
    const mapview::CMeasureDrag::Step step = m_measure->Move({p.x, p.y});
    if (!step.changed) return;
    m_measureText.clear();
    double lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
    const mapview::Point s = m_measure->Start();
    if (step.showText && ToLatLon({s.x, s.y}, lat1, lon1) && ToLatLon(p, lat2, lon2)) {
      double variation = 0;
      {
        std::lock_guard lock(g_DatabaseLock);
        if (const CRoute* route = m_document.GetPlan().GetCurrent()) variation = route->MagneticVariation(lat1, lon1);
      }
      m_measureText = mapview::MeasureText(GreatCircleDistance(lat1, lon1, lat2, lon2),
                                           InitialCourse(lat1, lon1, lat2, lon2) + variation);
      wxClientDC dc(this);
      dc.SetFont(LogFontToWx(m_renderer.MapFont));
      const wxSize extent = dc.GetTextExtent(wxString::FromUTF8(m_measureText));
      m_measureTextBox = mapview::MeasureTextBox(s, {p.x, p.y}, extent.x, extent.y, dc.GetCharWidth(),
                                                 std::max(wxSystemSettings::GetMetric(wxSYS_CURSOR_X), 16));
    }
    Refresh(false);
    return;
  }
  double lat = 0, lon = 0;
  if (ToLatLon(p, lat, lon)) {
    StatusText(FormatLatLon(lat, true, false, false) + "   " + FormatLatLon(lon, false, false, false) + "  =  " +
               FormatLatLon(lat, true, true, false) + "   " + FormatLatLon(lon, false, true, false));
    m_hoverStatusMs = NowMs();
  } else {
    IdleStatus();
    m_hoverStatusMs = 0;
  }
}

void CScenView::OnLeave(wxMouseEvent& event) {
  event.Skip();
}

void CScenView::OnLeftDown(wxMouseEvent& event) {
  m_tip->RelayMouse(event);
  event.Skip();
  SetFocus();
  if (m_measure) {
    m_measure.reset();
    if (HasCapture()) ReleaseMouse();
    Refresh(false);
    return;
  }
  // A drag starts only when the pointer leaves the drag threshold, so clicks stay clicks.
  m_pressPoint = event.GetPosition();
}

void CScenView::OnLeftUp(wxMouseEvent& event) {
  m_tip->RelayMouse(event);
  event.Skip();
  if (!m_pressPoint) return;
  const wxPoint at = *m_pressPoint;
  m_pressPoint.reset();
  SelectPlanPointAt(at);
}

void CScenView::StartDrag(const wxPoint& at) {
  FullPoint object;
  bool newFix = false;
  if (!HoverObject(object)) {
    double lat = 0, lon = 0;
    if (!ToLatLon(at, lat, lon)) return;
    object = FullPoint{};
    CRoute::MakeUserPoint(object.point, lat, lon);
    newFix = true;
  }
  clip::ClipData data;
  unsigned status = 0;
  {
    std::lock_guard lock(g_DatabaseLock);
    const CRoute* route = m_document.GetPlan().GetCurrent();
    if (route == nullptr) return;
    const bool bcIls = g_Settings.GetMapBcIls(false);
    data = clip::ObjectDrag(object, *route, g_SimBlock.GetSnapshot(), bcIls);
    // A new fix is no object of the route yet, but it goes into a plan as it is.
    if (newFix) data.insert(data.begin(), {clip::kFullPoint, clip::WriteFullPoint(object)});
    status = clip::DragStatusId(object, newFix, *route, bcIls);
  }
  if (status != 0) StatusText(ui::LoadString(status));
  const wxDragResult result = clip::RunDrag(this, data, true);
  IdleStatus();
  // A drag that nobody took is a click.
  if (result == wxDragNone || result == wxDragCancel || result == wxDragError) SelectPlanPointAt(at);
}

bool CScenView::DragOver(const FullPoint& key, const wxPoint& at) {
  double lat = 0, lon = 0;
  if (key.point.kind != kKindUserPoint || !ToLatLon(at, lat, lon)) return false;
  CFlightPlanCore& plan = m_document.GetPlan();
  {
    std::lock_guard lock(g_DatabaseLock);
    const CRoute* route = plan.GetCurrent();
    FullPoint found;
    if (route == nullptr || !route->Resolve(found, key.point)) return false;
    if (!m_dragRoute) {
      m_dragRoute = std::make_unique<CRoute>(*route);
      m_dragRows = plan.m_rows;
      for (int i = 0; i < m_dragRoute->GetCount(); ++i) {
        const NavPoint& p = (*m_dragRoute)[i].ref.point;
        (*m_dragRoute)[i].marked = p.kind == key.point.kind && p.latitude == key.point.latitude &&
                                   p.longitude == key.point.longitude;
      }
    }
    for (int i = 0; i < m_dragRoute->GetCount(); ++i) {
      if (!(*m_dragRoute)[i].marked) continue;
      (*m_dragRoute)[i].ref.point.latitude = static_cast<float>(lat);
      (*m_dragRoute)[i].ref.point.longitude = static_cast<float>(lon);
    }
    CFlightPlanCore::UpdateMovedRows(m_dragRows, *m_dragRoute);
  }
  Refresh(false);
  StatusText(FormatLatLon(lat, true, false, false) + "   " + FormatLatLon(lon, false, false, false));
  return true;
}

void CScenView::DragLeave() {
  if (!m_dragRoute) return;
  m_dragRoute.reset();
  m_dragRows.clear();
  Refresh(false);
}

bool CScenView::DropFix(const FullPoint& key, const wxPoint& at) {
  double lat = 0, lon = 0;
  if (key.point.kind != kKindUserPoint || !ToLatLon(at, lat, lon)) return false;
  CFlightPlanCore& plan = m_document.GetPlan();
  {
    std::lock_guard lock(g_DatabaseLock);
    CRoute* route = plan.GetCurrent();
    FullPoint found;
    if (route == nullptr || !route->Resolve(found, key.point)) return false;
    for (int i = 0; i < route->GetCount(); ++i) {
      const NavPoint& p = (*route)[i].ref.point;
      (*route)[i].marked = p.kind == kKindUserPoint && p.latitude == key.point.latitude &&
                           p.longitude == key.point.longitude;
    }
  }
  planedit::MovePoint(plan, lat, lon);
  m_document.SetPlanModified(true);
  Broadcast(kHintPlanChangedKeepSelection, nullptr);
  return true;
}

// A click on a plan point selects it in the plan views.
void CScenView::SelectPlanPointAt(const wxPoint& at) {
  double lat = 0, lon = 0;
  if (!ToLatLon(at, lat, lon)) return;
  const wxSize size = GetClientSize();
  double radius = m_renderer.MetresPerPixel(size.x, size.y, std::max(2, std::min(size.x, size.y) / 50));
  CFlightPlanCore& plan = m_document.GetPlan();
  bool found = false;
  {
    std::lock_guard lock(g_DatabaseLock);
    CRoute* route = plan.GetCurrent();
    FullPoint object;
    if (route == nullptr || !route->FindObject(object, radius, lat, lon, 0xFFFF, false, true)) return;
    for (int i = 0; i < route->GetCount(); ++i) {
      const NavPoint& p = (*route)[i].ref.point;
      if (p.kind == object.point.kind && p.latitude == object.point.latitude &&
          p.longitude == object.point.longitude) {
        (*route)[i].isNew = 1;
        found = true;
      }
    }
  }
  if (!found) return;
  Broadcast(kHintSelectNewPoints, nullptr);
  planedit::ClearNewFlags(plan);
}

void CScenView::OnLeftDouble(wxMouseEvent& event) {
  event.Skip();
  double lat = 0, lon = 0;
  if (ToLatLon(event.GetPosition(), lat, lon)) CenterOn(lat, lon);
}

void CScenView::OnRightDown(wxMouseEvent& event) {
  m_tip->RelayMouse(event);
  m_contextPoint = event.GetPosition();
  // Another window holding the mouse keeps it; the drag does not start.
  if (GetCapture() != nullptr) return;
  m_measure.emplace(mapview::Point{m_contextPoint.x, m_contextPoint.y});
  m_measureText.clear();
  CaptureMouse();
}

void CScenView::OnRightUp(wxMouseEvent& event) {
  m_tip->RelayMouse(event);
  if (!m_measure) return;
  mapview::Rect band;
  const int result = m_measure->Release({event.GetX(), event.GetY()}, band);
  m_measure.reset();
  if (HasCapture()) ReleaseMouse();
  Refresh(false);
  EndMeasure(result, band);
}

void CScenView::OnCaptureLost(wxMouseCaptureLostEvent&) {
  m_measure.reset();
  Refresh(false);
}

void CScenView::EndMeasure(int result, const mapview::Rect& band) {
  if (result == 0) {
    ShowContextMenu(m_contextPoint);
  } else if (result == 1) {
    double lat = 0, lon = 0;
    const wxPoint centre((band.left + band.right) / 2, (band.top + band.bottom) / 2);
    if (!ToLatLon(centre, lat, lon)) return;
    const wxSize size = GetClientSize();
    PushZoomHint(mapview::ZoomForRectangle(m_renderer.GetZoom(), size.x, size.y, band.Width(), band.Height()), lat,
                 lon);
  }
}

void CScenView::ShowContextMenu(const wxPoint& at) {
  wxMenu menu;
  menu.Append(kZoomOut, "Zoom &Out");
  menu.Append(kZoomNormal, "Zoom &Normal (1:1)");
  menu.AppendSeparator();
  menu.Append(kToPlan, "&To Flightplan");
  menu.Append(kHolding, "Holding Pattern...");
  menu.AppendSeparator();
  menu.Append(kFlyTo, "&Fly to here");
  menu.Append(kMoveAircraft, "&Move Aircraft to here");
  if (g_Settings.GetSimVer() < 90) menu.Append(kTowerView, "&Set Tower view to here");
  menu.AppendSeparator();
  menu.Append(kCopy, "&Copy");
  menu.AppendSeparator();
  menu.Append(kCenter, "C&enter Map");
  ui::ApplyMenuStates(menu, this, [this](wxUpdateUIEvent& update) { OnUpdateCommand(update); });
  PopupMenu(&menu, at);
}

void CScenView::OnWheel(wxMouseEvent& event) {
  const int zoom = m_renderer.GetZoom();
  const std::optional<int> target = m_wheel.Add(event.GetWheelRotation(), zoom);
  if (!target) return;
  m_tip->Reset();
  double lat = 0, lon = 0;
  const wxPoint p = event.GetPosition();
  if (*target > zoom && ToLatLon(p, lat, lon)) {
    const wxSize size = GetClientSize();
    WarpPointer(size.x / 2, size.y / 2);
    PushZoomHint(*target, lat, lon);
  } else {
    PushZoomHint(*target, m_renderer.Current().latitude, m_renderer.Current().longitude);
  }
}

void CScenView::OnKey(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (m_measure) {
    // The drag swallows keys; Escape ends it.
    if (key == WXK_ESCAPE) {
      m_measure.reset();
      if (HasCapture()) ReleaseMouse();
      Refresh(false);
    }
    return;
  }
  keys::RouteKeyEvent(this, event, keys::Control::kView);
}

// ---- Commands -----------------------------------------------------------------------------------------

void CScenView::OnUpdateCommand(wxUpdateUIEvent& event) {
  const int id = event.GetId();
  const int zoom = m_renderer.GetZoom();
  if (const int pair = mapview::CLayerToggles::PairOfCommand(id); pair >= 0) {
    event.Check(m_toggles.Shown(pair, SettingOfPair(pair)));
    bool enabled = true;
    if (id <= 32803) {
      std::lock_guard lock(g_DatabaseLock);
      enabled = g_SceneryDatabase.m_labelPoints.GetSize() > 0;
    }
    event.Enable(enabled);
    return;
  }
  switch (id) {
    case kZoomIn: event.Enable(mapview::ZoomInEnabled(zoom)); return;
    case kZoomOut: event.Enable(mapview::ZoomOutEnabled(zoom)); return;
    case kZoomNormal: event.Enable(true); return;
    case kRoundWorld: event.Enable(true); event.Check(g_Settings.GetMapRoundWorld(false)); return;
    case kPlanWaypointsOnly: event.Enable(true); event.Check(g_Settings.m_planWaypointsOnly); return;
    case kShowAircraft: event.Enable(true); event.Check(g_Settings.m_ownAircraftShown); return;
    case kShowPlayers: event.Enable(true); event.Check(g_Settings.m_multiplayerAircraftShown); return;
    case kFollowAircraft:
      event.Enable(true);
      event.Check(g_Settings.GetMapFollowAircraft(false) && m_follow.Following());
      return;
    case kUndo: event.Enable(m_document.GetPlan().CanUndo()); return;
    case kRedo: event.Enable(m_document.GetPlan().CanRedo()); return;
    default: break;
  }
  const mapview::ContextStates s = mapview::ContextCommandStates(ContextFacts());
  switch (id) {
    case kFlyTo: event.Enable(s.flyTo); return;
    case kMoveAircraft: event.Enable(s.moveAircraft && SimPlan(m_document) != nullptr); return;
    case kTowerView: event.Enable(s.towerView && SimPlan(m_document) != nullptr); return;
    case kHolding: event.Enable(s.holding); return;
    case kToPlan: event.Enable(s.toPlan); return;
    case kCopy: event.Enable(s.copy); return;
    case kCenter: event.Enable(s.center); return;
    default: event.Enable(false); return;
  }
}

void CScenView::OnCommand(wxCommandEvent& event) {
  const int id = event.GetId();
  if (const int pair = mapview::CLayerToggles::PairOfCommand(id); pair >= 0) {
    m_toggles.Toggle(pair, SettingOfPair(pair));
    return;
  }
  // Each command checks its rule again: it may come without a menu update in between.
  wxUpdateUIEvent update(id);
  update.SetEventObject(this);
  OnUpdateCommand(update);
  if (update.GetSetEnabled() && !update.GetEnabled()) return;
  const int zoom = m_renderer.GetZoom();
  const MapZoomEntry centre = m_renderer.Current();
  double lat = 0, lon = 0;
  switch (id) {
    case kZoomIn:
      if (IsShownOnScreen()) PushZoomHint(zoom * 2, centre.latitude, centre.longitude);
      break;
    case kZoomOut:
      if (IsShownOnScreen()) {
        CZoomHint hint{0, zoom, centre.latitude, centre.longitude};
        Broadcast(kHintZoom, &hint);
      }
      break;
    case kZoomNormal:
      if (m_renderer.MapRoundWorld) {
        PushZoomHint(1, centre.latitude, centre.longitude);
      } else {
        PushZoomHint(1, 0, 0);
      }
      break;
    case kFlyTo: FlyTo(); break;
    case kMoveAircraft: MoveAircraft(); break;
    case kTowerView: TowerView(); break;
    case kToPlan: AddToPlan(); break;
    case kHolding: DefineHoldingHere(); break;
    case kCopy: CopyObject(); break;
    case kCenter:
      if (ToLatLon(m_contextPoint, lat, lon)) CenterOn(lat, lon);
      break;
    case kUndo:
    case kRedo: {
      CFlightPlanCore& plan = m_document.GetPlan();
      const uint8_t modified = id == kUndo ? planedit::UndoLocked(plan) : planedit::RedoLocked(plan);
      m_document.SetPlanModified(modified != 0);
      planedit::Refresh(plan);
      Broadcast(kHintPlanChanged, nullptr);
      break;
    }
    default: ToggleImmediate(id); break;
  }
}

void CScenView::ToggleImmediate(int id) {
  switch (id) {
    case kRoundWorld:
      g_Settings.SetMapRoundWorld(!g_Settings.GetMapRoundWorld(true));
      Broadcast(kHintMapParameters, nullptr);
      break;
    case kPlanWaypointsOnly:
      g_Settings.m_planWaypointsOnly = !g_Settings.m_planWaypointsOnly;
      Broadcast(kHintMapParameters, nullptr);
      break;
    case kShowAircraft: g_Settings.m_ownAircraftShown = !g_Settings.m_ownAircraftShown; break;
    case kShowPlayers: g_Settings.m_multiplayerAircraftShown = !g_Settings.m_multiplayerAircraftShown; break;
    case kFollowAircraft:
      if (g_Settings.GetMapFollowAircraft(false) && m_follow.Following()) {
        g_Settings.SetMapFollowAircraft(false);
      } else {
        m_follow.SetFollowing(true);
        g_Settings.SetMapFollowAircraft(true);
      }
      break;
    default: break;
  }
}

void CScenView::FlyTo() {
  double lat = 0, lon = 0;
  if (!g_SimBlock.GetSnapshot().flyToPossible || !ToLatLon(m_contextPoint, lat, lon)) return;
  if (auto* on = static_cast<int32_t*>(g_SimBlock.LookupNamedVariable("CHARTWRIGHT_FLY_TO_ON"))) *on = 1;
  if (auto* v = static_cast<double*>(g_SimBlock.LookupNamedVariable("CHARTWRIGHT_FLY_TO_LATITUDE"))) *v = lat;
  if (auto* v = static_cast<double*>(g_SimBlock.LookupNamedVariable("CHARTWRIGHT_FLY_TO_LONGITUDE"))) *v = lon;
}

void CScenView::MoveAircraft() {
  CFlightPlanSim* sim = SimPlan(m_document);
  if (sim == nullptr) return;
  const SimSnapshot& snapshot = g_SimBlock.GetSnapshot();
  if (!snapshot.onGround) {
    double lat = 0, lon = 0;
    if (ToLatLon(m_contextPoint, lat, lon)) sim->MoveAircraft(lat, lon, DBL_MAX, DBL_MAX);
    return;
  }
  FullPoint hover;
  if (!HoverObject(hover)) return;
  search::MoveTarget target;
  {
    std::lock_guard lock(g_DatabaseLock);
    const CRoute* route = sim->GetCurrent();
    if (route == nullptr) return;
    target = search::MoveAircraftTarget(hover, true, g_SceneryDatabase, *route);
  }
  if (target.act) sim->MoveAircraft(target.latitude, target.longitude, target.altitude, target.heading);
}

void CScenView::TowerView() {
  CFlightPlanSim* sim = SimPlan(m_document);
  if (sim == nullptr) return;
  const SimSnapshot& snapshot = g_SimBlock.GetSnapshot();
  FullPoint hover;
  if (HoverObject(hover) && (hover.point.kind == kKindAirport || hover.point.kind == kKindRunway)) {
    search::TowerTarget target;
    {
      std::lock_guard lock(g_DatabaseLock);
      const CRoute* route = sim->GetCurrent();
      if (route == nullptr) return;
      target = search::TowerViewTarget(hover, snapshot, g_SceneryDatabase, *route);
    }
    if (!target.askAltitude) {
      sim->SetTowerViewPosition(target.latitude, target.longitude, target.altitude);
      return;
    }
  }
  // Without an airport or runway the user gives the height, offered the aircraft's.
  const double aircraftFeet = snapshot.altitude + (snapshot.onGround ? 30 : 0);
  const int seed = std::isfinite(aircraftFeet) ? static_cast<int>(std::clamp(aircraftFeet, -1e9, 1e9)) : 0;
  const std::optional<int> feet = AskTowerViewAltitude(this, seed);
  double lat = 0, lon = 0;
  if (!feet || !ToLatLon(m_contextPoint, lat, lon)) return;
  sim->SetTowerViewPosition(lat, lon, search::TowerFeetToMetres(*feet));
}

void CScenView::DefineHoldingHere() {
  if ((g_SimBlock.GetSnapshot().holdingState & 1) != 0) return;
  FullPoint hover;
  double lat = 0, lon = 0;
  if (HoverObject(hover) && (hover.point.kind & 0x801C) != 0) {
    lat = hover.point.latitude;
    lon = hover.point.longitude;
  } else if (!ToLatLon(m_contextPoint, lat, lon)) {
    return;
  }
  planedit::DefineHolding(m_document.GetPlan(), lat, lon);
}

void CScenView::AddToPlan() {
  CFlightPlanCore& plan = m_document.GetPlan();
  FullPoint hover;
  bool added = false;
  if (HoverObject(hover)) {
    if ((hover.point.kind & mapview::kNotPlanKinds) != 0) return;
    std::lock_guard lock(g_DatabaseLock);
    if (hover.point.kind == kKindUserPoint) {
      PlanPoint point;
      point.ref = hover;
      CRoute points;
      points.AddPoint(point);
      planedit::AppendPoints(plan, points, false);
      added = true;
    } else {
      added = search::AddRowToPlan(plan, hover);
    }
  } else {
    double lat = 0, lon = 0;
    if (!ToLatLon(m_contextPoint, lat, lon)) return;
    PlanPoint point;
    CRoute::MakeUserPoint(point.ref.point, lat, lon);
    CRoute points;
    points.AddPoint(point);
    std::lock_guard lock(g_DatabaseLock);
    planedit::AppendPoints(plan, points, false);
    added = true;
  }
  if (!added) return;
  m_document.SetPlanModified(true);
  Broadcast(kHintPlanChanged, nullptr);
  planedit::ClearNewFlags(plan);
}

void CScenView::CopyObject() {
  FullPoint object;
  bool newFix = false;
  if (!HoverObject(object)) {
    double lat = 0, lon = 0;
    if (!ToLatLon(m_contextPoint, lat, lon)) return;
    object = FullPoint{};
    CRoute::MakeUserPoint(object.point, lat, lon);
    newFix = true;
  }
  clip::ClipData data;
  {
    std::lock_guard lock(g_DatabaseLock);
    const CRoute* route = m_document.GetPlan().GetCurrent();
    if (route == nullptr) return;
    data = clip::ObjectCopy(object, *route, g_SimBlock.GetSnapshot(), "\r\n");
    if (newFix) {
      PlanPoint point;
      point.ref = object;
      const PlanPoint one[] = {point};
      data.insert(data.begin(), {clip::kPlanPointArray, clip::WritePlanPoints(one)});
    }
  }
  clip::PutOnClipboard(data);
}

bool CScenView::Print(bool preview) {
  m_printing = true;
  bool ok = false;
  wxPrintDialogData printData(GetModulePrintData());
  if (preview) {
    auto* printPreview = new wxPrintPreview(new CMapPrintout(m_renderer, &m_document.GetPlan()),
                                            new CMapPrintout(m_renderer, &m_document.GetPlan()), &printData);
    ok = printPreview->IsOk();
    if (ok) {
      auto* frame = new wxPreviewFrame(printPreview, wxGetTopLevelParent(this), "Print Preview");
      frame->Initialize();
      frame->Show();
    } else {
      delete printPreview;
      ui::ShowMessageBox(this, ui::LoadString(shellstr::kCommandFailed), ui::LoadString(shellstr::kAppTitle), ui::kMbIconExclamation);
    }
  } else {
    wxPrinter printer(&printData);
    CMapPrintout printout(m_renderer, &m_document.GetPlan());
    ok = printer.Print(this, &printout, true);
    if (ok) GetModulePrintData() = printer.GetPrintDialogData().GetPrintData();
  }
  // Every job ends the printing state, a real print too: otherwise the map would never follow
  // the aircraft again.
  m_printing = false;
  return ok;
}
