#include "plotr/map/window/ScenView.h"

#include <wx/dataobj.h>

#include <algorithm>
#include <mutex>
#include <optional>

#include "platform/ui/WxMessages.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/FrameServices.h"
#include "plotr/core/Settings.h"
#include "plotr/map/window/MapTipWnd.h"
#include "plotr/map/window/ScenViewInternal.h"
#include "plotr/map/window/WindStatic.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/Route.h"
#include "plotr/shell/window/ToolBarEx.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/views/ClipFormats.h"
#include "plotr/views/window/WxClip.h"

using namespace scenview;

namespace {

// The map's own bar: the zoom commands, then every layer switch, each with its short text.
struct MapBarButton {
  int command;
  const char* tip;
};
constexpr MapBarButton kMapBar[] = {
    {cmd::kZoomIn, "Zoom In"},
    {cmd::kZoomOut, "Zoom Out"},
    {0, ""},
    {cmd::kLayerAirwaysLow, "Low altitude Airways/Waypoints"},
    {cmd::kLayerAirwaysHigh, "High altitude Airways/Waypoints"},
    {cmd::kLayerAirwayIdent, "Airway Identification"},
    {cmd::kLayerIntersections, "All Intersections"},
    {cmd::kLayerNdb, "NDB"},
    {cmd::kLayerVor, "VOR"},
    {cmd::kLayerIls, "ILS"},
    {cmd::kLayerAtis, "ATIS/PCL"},
    {cmd::kLayerMarker, "Marker"},
    {cmd::kLayerNavaidName, "NDB/VOR Name"},
    {cmd::kLayerNavaidIdent, "Identification"},
    {cmd::kLayerFrequency, "Frequency"},
    {cmd::kLayerAirport, "Airport"},
    {cmd::kLayerAirportZone, "Airport Control Zone"},
    {cmd::kLayerAirportName, "Airport Name"},
    {cmd::kLayerAirportIdent, "Airport Identification"},
    {0, ""},
    {cmd::kRoundWorld, "Round World"},
    {cmd::kRouteLabelsSwitch, "Flighplan Route Labels"},
    {cmd::kPlanWaypointsOnly, "Flightplan waypoints only"},
    {cmd::kShowAircraft, "Show aircraft"},
    {cmd::kFollowAircraft, "Map follows aircraft"},
    {cmd::kShowMultiplayerAircraft, "Show multiplayer aircraft"},
};

// The sixteen keyed layer switches of the toggle commands, in command order.
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

}  // namespace

namespace scenview {

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

}  // namespace scenview

namespace {

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
  Bind(wxEVT_SHOW, &CScenView::OnShow, this);
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
  Bind(wxEVT_MENU, &CScenView::OnCommand, this, cmd::kFlyTo, cmd::kShowMultiplayerAircraft);
  Bind(wxEVT_MENU, &CScenView::OnCommand, this, cmd::kEditUndo, cmd::kEditRedo);
  Bind(wxEVT_UPDATE_UI, &CScenView::OnUpdateCommand, this, cmd::kFlyTo, cmd::kShowMultiplayerAircraft);
  Bind(wxEVT_UPDATE_UI, &CScenView::OnUpdateCommand, this, cmd::kEditUndo, cmd::kEditRedo);
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

// Another tab hides the map itself; the planner hiding hides its frame, which the next hint or
// paint notices.
void CScenView::OnShow(wxShowEvent& event) {
  event.Skip();
  NoteVisibility();
}

void CScenView::NoteVisibility() { m_engine->SetVisible(IsShownOnScreen()); }

void CScenView::PeriodicCopy() {
  MapOverlayState overlays;
  {
    DatabaseLease lease;
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
  NoteVisibility();
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
  if (IFrameServices* main = GetFrameServices()) main->ShowStatusText(text);
}

void CScenView::IdleStatus() {
  if (IFrameServices* main = GetFrameServices()) main->ShowIdleStatus();
}

bool CScenView::QueryTip(const wxPoint& point, FullPoint& object, std::string& text) {
  double lat = 0, lon = 0;
  if (!ToLatLon(point, lat, lon)) return false;
  const wxSize size = GetClientSize();
  const int pixels = std::max(2, std::min(size.x, size.y) / 50);
  double radius = m_renderer.MetresPerPixel(size.x, size.y, pixels);
  DatabaseLease lease;
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
    DatabaseLease lease;
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
