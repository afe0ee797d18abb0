#pragma once

// The description of the procedure selected in the SID/STAR procedure tree: read-only text
// below the trees. Keys it does not need go on to the simulator.

#include <wx/textctrl.h>

#include "plotr/views/window/SidStarPage.h"

class CSidStarDescView : public wxTextCtrl, public ISidStarView {
 public:
  CSidStarDescView(wxWindow* parent, CSidStarPage& page);
  void OnSidStarUpdate(const UpdateHint& hint) override;

 private:
  void OnKey(wxKeyEvent& event);
  void OnUpdateCommand(wxUpdateUIEvent& event);

  CSidStarPage& m_page;
};
