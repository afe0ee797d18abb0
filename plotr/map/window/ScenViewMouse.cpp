#include "plotr/map/window/ScenView.h"

#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/settings.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>

#include "navdb/Geodesy.h"
#include "platform/ui/MenuStates.h"
#include "platform/ui/StringTable.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/Settings.h"
#include "plotr/core/window/WxFonts.h"
#include "plotr/map/window/MapTipWnd.h"
#include "plotr/map/window/ScenViewInternal.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/LatLonText.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/Route.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/views/ClipFormats.h"
#include "plotr/views/window/WxClip.h"
#include "plotr/views/window/WxKeys.h"

using namespace scenview;

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
        DatabaseLease lease;
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
  // A drag starts only when the pointer leaves the drag threshold, so clicks stay clicks. The
  // object dragged is the one under the pointer at the press: moving on takes the tip's away.
  m_pressPoint = event.GetPosition();
  FullPoint hover;
  m_pressObject.reset();
  if (HoverObject(hover)) m_pressObject = hover;
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
  if (m_pressObject) {
    object = *m_pressObject;
  } else {
    double lat = 0, lon = 0;
    if (!ToLatLon(at, lat, lon)) return;
    object = FullPoint{};
    CRoute::MakeUserPoint(object.point, lat, lon);
    newFix = true;
  }
  clip::ClipData data;
  unsigned status = 0;
  {
    DatabaseLease lease;
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
    DatabaseLease lease;
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
    DatabaseLease lease;
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
    DatabaseLease lease;
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
  // Escape ends the drag, so the keys must come here.
  SetFocus();
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
  menu.Append(cmd::kZoomOut, "Zoom &Out");
  menu.Append(cmd::kZoomNormal, "Zoom &Normal (1:1)");
  menu.AppendSeparator();
  menu.Append(cmd::kMapToPlan, "&To Flightplan");
  menu.Append(cmd::kHolding, "Holding Pattern...");
  menu.AppendSeparator();
  menu.Append(cmd::kFlyTo, "&Fly to here");
  menu.Append(cmd::kMoveAircraft, "&Move Aircraft to here");
  if (g_Settings.GetSimVer() < 90) menu.Append(cmd::kTowerView, "&Set Tower view to here");
  menu.AppendSeparator();
  menu.Append(cmd::kMapCopy, "&Copy");
  menu.AppendSeparator();
  menu.Append(cmd::kMapCenter, "C&enter Map");
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
