#pragma once

// "Manual Waypoint Settings": the crossing and after altitudes, the speed, the fly-over and the
// two limit ends of one plan waypoint, and the position of a user point. A thin window over
// ManualWaypointForm.

#include <wx/dialog.h>

#include "plotr/views/ManualWaypointForm.h"

class CFlightPlanCore;
class FilterEdit;
class IPlotrDocument;
class wxCheckBox;
class wxTextCtrl;

class CManualWaypointDlg : public wxDialog {
 public:
  // `form` is the one ManualWaypointFormFor made for `row` of `plan`. OK gives the plan the
  // settings as one undo step; telling the views is left to the caller.
  CManualWaypointDlg(wxWindow* parent, CFlightPlanCore& plan, int row, const ManualWaypointForm& form);

 private:
  void OnDisableAltitudes(wxCommandEvent&);
  void OnDisableSpeeds(wxCommandEvent&);
  void OnOK(wxCommandEvent&);
  void ShowEnabled();

  CFlightPlanCore& m_plan;
  int m_row;
  ManualWaypointForm m_form;
  double m_latitude;
  double m_longitude;
  wxTextCtrl* m_crossing = nullptr;
  wxTextCtrl* m_after = nullptr;
  wxTextCtrl* m_speed = nullptr;
  wxCheckBox* m_disableAltitudes = nullptr;
  wxCheckBox* m_disableSpeeds = nullptr;
  wxCheckBox* m_flyOver = nullptr;
};

// Opens the dialog for `row` of the document's plan. On OK the row's waypoint took the settings
// as one undo step, every view got hint 0x12, the new-point bytes are cleared and the document
// is modified. False when cancelled or when the row has no waypoint.
bool EditWaypointSettings(wxWindow* parent, IPlotrDocument& document, int row);
