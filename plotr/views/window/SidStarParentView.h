#pragma once

// The SID/STAR browser's tree container: two picture buttons switch between the airport tree
// and the procedure tree, which share one place below them.

#include <wx/panel.h>
#include <wx/simplebook.h>
#include <wx/tglbtn.h>

#include "plotr/views/window/SidStarPage.h"

class CSidStar1TreeView;
class CSidStar2TreeView;

class CSidStarParentView : public wxPanel {
 public:
  CSidStarParentView(wxWindow* parent, CSidStarPage& page);

  CSidStar1TreeView* GetAirportTree() const { return m_airports; }
  CSidStar2TreeView* GetProcedureTree() const { return m_procedures; }
  // 0 the airport tree, 1 the procedure tree.
  int GetTab() const { return m_book->GetSelection(); }
  void SelectTab(int tab);
  // The tree of the current tab.
  wxWindow* CurrentTree() const;

 private:
  void OnButton(wxCommandEvent& event);
  void OnMouseDown(wxMouseEvent& event);

  wxBitmapToggleButton* m_buttons[2] = {};
  wxSimplebook* m_book = nullptr;
  CSidStar1TreeView* m_airports = nullptr;
  CSidStar2TreeView* m_procedures = nullptr;
};
