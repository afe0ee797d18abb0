#include "plotr/map/window/ScenView.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <mutex>
#include <optional>

#include "plotr/core/CommandIds.h"
#include "plotr/core/Settings.h"
#include "plotr/map/window/ScenViewInternal.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/Route.h"
#include "plotr/sim/FlightPlanSim.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/views/ClipFormats.h"
#include "plotr/views/SearchModel.h"
#include "plotr/views/window/TowerViewDlg.h"
#include "plotr/views/window/WxClip.h"

using namespace scenview;

namespace {

// The plan object with the simulator's operations, when the module has them.
CFlightPlanSim* SimPlan(IPlotrDocument& document) { return dynamic_cast<CFlightPlanSim*>(&document.GetPlan()); }

}  // namespace

// ---- Commands -----------------------------------------------------------------------------------------

void CScenView::OnUpdateCommand(wxUpdateUIEvent& event) {
  const int id = event.GetId();
  const int zoom = m_renderer.GetZoom();
  if (const int pair = mapview::CLayerToggles::PairOfCommand(id); pair >= 0) {
    event.Check(m_toggles.Shown(pair, SettingOfPair(pair)));
    bool enabled = true;
    if (id <= 32803) {
      DatabaseLease lease;
      enabled = lease.Database().m_labelPoints.GetSize() > 0;
    }
    event.Enable(enabled);
    return;
  }
  switch (id) {
    case cmd::kZoomIn: event.Enable(mapview::ZoomInEnabled(zoom)); return;
    case cmd::kZoomOut: event.Enable(mapview::ZoomOutEnabled(zoom)); return;
    case cmd::kZoomNormal: event.Enable(true); return;
    case cmd::kRoundWorld: event.Enable(true); event.Check(g_Settings.GetMapRoundWorld(false)); return;
    case cmd::kPlanWaypointsOnly: event.Enable(true); event.Check(g_Settings.m_planWaypointsOnly); return;
    case cmd::kShowAircraft: event.Enable(true); event.Check(g_Settings.m_ownAircraftShown); return;
    case cmd::kShowMultiplayerAircraft: event.Enable(true); event.Check(g_Settings.m_multiplayerAircraftShown); return;
    case cmd::kFollowAircraft:
      event.Enable(true);
      event.Check(g_Settings.GetMapFollowAircraft(false) && m_follow.Following());
      return;
    case cmd::kEditUndo: event.Enable(m_document.GetPlan().CanUndo()); return;
    case cmd::kEditRedo: event.Enable(m_document.GetPlan().CanRedo()); return;
    default: break;
  }
  const mapview::ContextStates s = mapview::ContextCommandStates(ContextFacts());
  switch (id) {
    case cmd::kFlyTo: event.Enable(s.flyTo); return;
    case cmd::kMoveAircraft: event.Enable(s.moveAircraft && SimPlan(m_document) != nullptr); return;
    case cmd::kTowerView: event.Enable(s.towerView && SimPlan(m_document) != nullptr); return;
    case cmd::kHolding: event.Enable(s.holding); return;
    case cmd::kMapToPlan: event.Enable(s.toPlan); return;
    case cmd::kMapCopy: event.Enable(s.copy); return;
    case cmd::kMapCenter: event.Enable(s.center); return;
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
    case cmd::kZoomIn:
      if (IsShownOnScreen()) PushZoomHint(zoom * 2, centre.latitude, centre.longitude);
      break;
    case cmd::kZoomOut:
      if (IsShownOnScreen()) {
        CZoomHint hint{0, zoom, centre.latitude, centre.longitude};
        Broadcast(kHintZoom, &hint);
      }
      break;
    case cmd::kZoomNormal:
      if (m_renderer.MapRoundWorld) {
        PushZoomHint(1, centre.latitude, centre.longitude);
      } else {
        PushZoomHint(1, 0, 0);
      }
      break;
    case cmd::kFlyTo: FlyTo(); break;
    case cmd::kMoveAircraft: MoveAircraft(); break;
    case cmd::kTowerView: TowerView(); break;
    case cmd::kMapToPlan: AddToPlan(); break;
    case cmd::kHolding: DefineHoldingHere(); break;
    case cmd::kMapCopy: CopyObject(); break;
    case cmd::kMapCenter:
      if (ToLatLon(m_contextPoint, lat, lon)) CenterOn(lat, lon);
      break;
    case cmd::kEditUndo:
    case cmd::kEditRedo: {
      CFlightPlanCore& plan = m_document.GetPlan();
      const uint8_t modified = id == cmd::kEditUndo ? planedit::UndoLocked(plan) : planedit::RedoLocked(plan);
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
    case cmd::kRoundWorld:
      g_Settings.SetMapRoundWorld(!g_Settings.GetMapRoundWorld(true));
      Broadcast(kHintMapParameters, nullptr);
      break;
    case cmd::kPlanWaypointsOnly:
      g_Settings.m_planWaypointsOnly = !g_Settings.m_planWaypointsOnly;
      Broadcast(kHintMapParameters, nullptr);
      break;
    case cmd::kShowAircraft: g_Settings.m_ownAircraftShown = !g_Settings.m_ownAircraftShown; break;
    case cmd::kShowMultiplayerAircraft: g_Settings.m_multiplayerAircraftShown = !g_Settings.m_multiplayerAircraftShown; break;
    case cmd::kFollowAircraft:
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
    DatabaseLease lease;
    const CRoute* route = sim->GetCurrent();
    if (route == nullptr) return;
    target = search::MoveAircraftTarget(hover, true, lease.Database(), *route);
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
      DatabaseLease lease;
      const CRoute* route = sim->GetCurrent();
      if (route == nullptr) return;
      target = search::TowerViewTarget(hover, snapshot, lease.Database(), *route);
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
  if (HoverObject(hover) && (hover.point.kind & mapview::kHoldableKinds) != 0) {
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
    DatabaseLease lease;
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
    DatabaseLease lease;
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
    DatabaseLease lease;
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
