#pragma once

// The SID/STAR browser's leg list: the plan's rows in two columns, one selectable at a time.
// The selected row is what the procedure tree shows; the list tells it with hint 0x4000 each
// time the selection differs from the last one it reported, since GTK's list does not report
// every deselection. Drag, drop and the clipboard are the plan list's.

#include "plotr/views/SidStarLegRows.h"
#include "plotr/views/window/PlanListView.h"
#include "plotr/views/window/SidStarPage.h"

class CSidStarListView : public CPlanListView, public ISidStarView {
 public:
  CSidStarListView(wxWindow* parent, CSidStarPage& page);

  void OnSidStarUpdate(const UpdateHint& hint) override;
  int Scheme() const { return m_scheme; }
  int ActiveRow() const { return m_activeRow; }
  const std::vector<sidstar::LegRow>& Rows() const { return m_rows; }
  // The first selected line, -1 none.
  int SelectedRow() const;
  // Sends 0x4000 when the selection differs from the one last reported.
  void ReportSelection();

 private:
  void Rebuild();
  void SelectNewPoints();
  void MoveActiveMark();
  void CheckScheme();
  PlanListLine LineOf(const sidstar::LegRow& row) const;
  void SendRow(int row);

  CSidStarPage& m_page;
  std::vector<sidstar::LegRow> m_rows;
  int m_scheme = -1;
  int m_activeRow = -1;
  int m_reported = -2;  // none reported yet
  bool m_filling = false;
};
