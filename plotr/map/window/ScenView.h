#pragma once

// The moving map on the "Map" tab. Its drawing thread composes the pictures; this window only
// asks for them, blits the newest frame, and turns mouse, wheel, keys and commands into map
// changes (hints to every view) and plan edits. The rubber band of the measuring drag is drawn
// over the blitted frame, so nothing is ever drawn into the window from another thread.

#include <wx/timer.h>
#include <wx/window.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/WxMessages.h"
#include "plotr/core/PlotrDocument.h"
#include "plotr/map/MapEngine.h"
#include "plotr/map/MapViewLogic.h"
#include "plotr/plan/FlightPlanCore.h"

class CMapTipWnd;
class CWindStatic;
class CToolBarScen;
class CFlightPlanCore;

class CScenView : public wxWindow {
 public:
  CScenView(wxWindow* parent, wxWindowID id, IPlotrDocument& document);
  ~CScenView() override;

  // The document's update hints (bits and the object of 0x40 and 0x80).
  void OnPlanUpdate(uint32_t bits, const void* object);
  // Whether the map's tool bar, laid out down a height of `first`, would be taller than down
  // `second`: the container asks it to choose vertical tabs.
  bool ToolBarWantsMoreThan(int first, int second) const;

  // ---- For the container and tests ----------------------------------------------------------------
  const CMapParams& Params() const { return m_renderer; }
  CMapEngine& Engine() { return *m_engine; }
  CMapTipWnd* Tip() const { return m_tip; }
  CWindStatic* Wind() const { return m_wind; }
  CToolBarScen* ToolBar() const { return m_toolBar; }
  mapview::CLayerToggles& Toggles() { return m_toggles; }
  bool IsFollowing() const { return m_follow.Following(); }
  // The text the tip would show at a client point (empty when nothing is there).
  bool QueryTip(const wxPoint& point, FullPoint& object, std::string& text);
  // Prints the map with wx's print framework; false when cancelled or failed.
  bool Print(bool preview);
  bool IsPrinting() const { return m_printing; }
  // The right button's rubber band is out: the tip stays away from it.
  bool IsMeasuring() const { return m_measure.has_value(); }

 private:
  void OnPaint(wxPaintEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnShow(wxShowEvent& event);
  void OnFrameReady(wxThreadEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnLeftDouble(wxMouseEvent& event);
  void OnRightDown(wxMouseEvent& event);
  void OnRightUp(wxMouseEvent& event);
  void OnWheel(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void OnKey(wxKeyEvent& event);
  void OnLeave(wxMouseEvent& event);
  void OnCommand(wxCommandEvent& event);
  void OnUpdateCommand(wxUpdateUIEvent& event);

  // ---- Hints ----------------------------------------------------------------------------------------
  // Tells the drawing thread whether the map is on the screen: a hidden map draws nothing.
  void NoteVisibility();
  void Housekeeping(bool& invalidate);
  void PeriodicCopy();
  bool AircraftInside() const;
  void Broadcast(uint32_t bits, const void* object);
  void CenterOn(double lat, double lon);
  void PushZoomHint(int zoom, double lat, double lon);
  void PlaceWind();

  // ---- Points and objects ---------------------------------------------------------------------------
  bool ToLatLon(const wxPoint& p, double& lat, double& lon) const;
  bool HoverObject(FullPoint& out) const;
  mapview::ContextInputs ContextFacts() const;
  void StatusText(const std::string& text);
  void IdleStatus();
  void EndMeasure(int result, const mapview::Rect& band);
  void ShowContextMenu(const wxPoint& at);
  void SelectPlanPointAt(const wxPoint& at);
  void StartDrag(const wxPoint& at);

 public:
  // ---- Dragging a user fix of the plan over the map (the drop target calls these) ----------------
  // Whether a dragged key is a user fix of the plan and the point is on the map; the feedback
  // follows the point.
  bool DragOver(const FullPoint& key, const wxPoint& at);
  void DragLeave();
  bool DropFix(const FullPoint& key, const wxPoint& at);

 private:

  // ---- Commands ---------------------------------------------------------------------------------------
  void FlyTo();
  void MoveAircraft();
  void TowerView();
  void AddToPlan();
  void DefineHoldingHere();
  void CopyObject();
  void ToggleImmediate(int id);

  IPlotrDocument& m_document;
  CMapRenderer m_renderer;  // the parameters as this thread sees them
  std::unique_ptr<ui::WxMessageTarget> m_target;
  std::unique_ptr<CMapEngine> m_engine;
  CMapTipWnd* m_tip = nullptr;
  CWindStatic* m_wind = nullptr;
  CToolBarScen* m_toolBar = nullptr;

  mapview::CLayerToggles m_toggles;
  mapview::CFollowState m_follow;
  mapview::CWheelZoom m_wheel;
  uint64_t m_hoverStatusMs = 0;
  int m_colorScheme = -1;
  bool m_printing = false;

  wxPoint m_contextPoint;
  std::optional<wxPoint> m_pressPoint;  // left button held, no drag yet
  std::optional<FullPoint> m_pressObject;  // the hover object at that press
  std::unique_ptr<CRoute> m_dragRoute;  // the plan's route with the dragged user fix moved
  std::vector<PlanRow> m_dragRows;
  std::optional<mapview::CMeasureDrag> m_measure;
  std::string m_measureText;
  mapview::Rect m_measureTextBox;
};
