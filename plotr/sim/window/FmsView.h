#pragma once

// The FMS tab of the map pane: the panel of plotr/sim/FmsPanel.h drawn into a window, with its
// buttons, tool tips, waypoint menus and the keys it passes on to the simulator.

#include <wx/window.h>

#include "plotr/core/PlotrDocument.h"
#include "plotr/core/window/PaneRegistry.h"
#include "plotr/sim/FmsPanel.h"

class CFMSView : public wxWindow, public IPaneWindow {
 public:
  CFMSView(wxWindow* parent, IPlotrDocument& document);

  void OnPlanUpdate(const UpdateHint& hint) override;
  fms::CFmsPanel& Panel() { return m_panel; }
  // Runs a menu command on a block as the context menu does.
  void RunCommand(int command, int block);
  // The cell under a point of the window, -1 for none.
  int CellAt(const wxPoint& p) const;
  // A window repainted whenever the panel becomes active (null: none): the pane's tab strip,
  // whose mark shows the active pane.
  void SetLinkedWindow(wxWindow* window) { m_linked = window; }

 private:
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);
  void OnKey(wxKeyEvent& event);

  IPlotrDocument& m_document;
  fms::CFmsPanel m_panel;
  int m_scheme = -1;
  int m_tipCell = -2;
  wxWindow* m_linked = nullptr;
};

// Makes the FMS panel the map pane's third tab.
void RegisterFmsPage();
