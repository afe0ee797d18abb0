#pragma once

// The flight-plan table of the main window: one line per plan row with ten columns, a closing
// total line, icons by waypoint kind, the overlay of the row being flown to, manual-setting
// triangles and the colours of the colour scheme, refilled from the plan by the document's
// hints. A thin strip at its left shows in the caption colours whether it is the active pane.

#include <wx/panel.h>

#include <vector>

#include "plotr/core/window/PaneRegistry.h"
#include "plotr/views/PlanTableRows.h"
#include "plotr/views/window/PlanListView.h"

class CPlanView : public CPlanListView {
 public:
  CPlanView(wxWindow* parent, IPlotrDocument& document);

  void OnInitialUpdate();
  void OnPlanUpdate(const UpdateHint& hint);

  int Scheme() const { return m_scheme; }
  int CurrentRowMarker() const { return m_currentRow; }
  // How many refills have run (for the views' tests of which hints refill).
  int RefillCount() const { return m_refills; }
  const std::vector<plantable::TableRow>& TableRows() const { return m_rows; }

 private:
  void ApplyScheme(int scheme);
  void Refill(uint32_t bits);
  void SelectNewPoints();
  void UpdateCurrentRow();
  void SetHeaders();
  PlanListLine LineOf(const plantable::TableRow& row) const;

  int m_scheme = -1;
  int m_currentRow = -1;
  int m_refills = 0;
  std::vector<plantable::TableRow> m_rows;
};

// The plan pane: the activity strip and the table.
class CPlanPane : public wxPanel, public IPaneWindow {
 public:
  CPlanPane(wxWindow* parent, IPlotrDocument& document);
  CPlanView* View() const { return m_view; }
  wxWindow* Strip() const { return m_strip; }
  bool IsActive() const { return m_active; }

  void OnInitialUpdate() override { m_view->OnInitialUpdate(); }
  void OnPlanUpdate(const UpdateHint& hint) override { m_view->OnPlanUpdate(hint); }

 private:
  void SetActive(bool active);
  CPlanView* m_view = nullptr;
  wxWindow* m_strip = nullptr;
  bool m_active = false;
};

// Puts the plan table into the main frame's pane table.
void RegisterPlanPane();
