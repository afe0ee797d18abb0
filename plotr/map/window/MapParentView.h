#pragma once

// The map pane: a strip of three tabs, "Map", "Plan" and "FMS", and the page of the selected
// tab. The strip stands on the left with rotated labels when the pane is at least as wide as
// high, else on top. The Plan and FMS pages come from the factories their views register
// (views/window/MapPages.h).

#include <wx/control.h>
#include <wx/panel.h>

#include <array>

#include "plotr/core/PlotrDocument.h"
#include "plotr/core/window/PaneRegistry.h"

class CScenView;

// Whether the tabs stand on the left: a pane at least as wide as high, or the map's wish.
inline bool TabsVertical(int cx, int cy, bool wish) { return cx >= cy || wish; }

// The tab strip, painting an activity stripe in its free part while one of the pane's pages is
// the frame's active view.
class CCaptionTabCtrl : public wxControl {
 public:
  CCaptionTabCtrl(wxWindow* parent, wxWindowID id);
  void SetVertical(bool vertical);
  bool IsVertical() const { return m_vertical; }
  int GetSelection() const { return m_selection; }
  void SetSelection(int tab);
  void SetActive(bool active);
  // Width (vertical) or height (horizontal) of the strip.
  int Thickness() const;
  wxRect TabRect(int tab) const;

 private:
  void OnPaint(wxPaintEvent& event);
  void OnClick(wxMouseEvent& event);
  wxSize DoGetBestSize() const override;

  bool m_vertical = false;
  bool m_active = false;
  int m_selection = 0;
};

class CScenParentView : public wxPanel, public IPaneWindow {
 public:
  CScenParentView(wxWindow* parent, IPlotrDocument& document);

  void OnInitialUpdate() override;
  void OnPlanUpdate(const UpdateHint& hint) override;
  int GetMapZoom() const override;
  // Handed on to the Plan page.
  void SaveSidStarDescHeight(bool docked) override;
  void LoadSidStarDescHeight(bool docked) override;

  CScenView* GetMapView() const { return m_map; }
  CCaptionTabCtrl* GetTabs() const { return m_tabs; }
  wxWindow* GetPage(int tab) const { return m_pages[static_cast<size_t>(tab)]; }
  void SelectTab(int tab);

 private:
  void OnSize(wxSizeEvent& event);
  void OnTabChanged(wxCommandEvent& event);
  void OnRouteCommand(wxCommandEvent& event);
  void OnRouteUpdate(wxUpdateUIEvent& event);
  void Layout2();

  IPlotrDocument& m_document;
  CCaptionTabCtrl* m_tabs = nullptr;
  CScenView* m_map = nullptr;
  std::array<wxWindow*, 3> m_pages{};
};

// Puts the map pane into the main frame's pane table.
void RegisterMapPane();
