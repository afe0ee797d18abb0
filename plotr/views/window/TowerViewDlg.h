#pragma once

// "Tower View": the altitude in feet at which the simulator's tower view is placed over a point
// that has no altitude of its own.

#include <wx/dialog.h>

#include <optional>

class wxTextCtrl;

class CTowerViewDlg : public wxDialog {
 public:
  CTowerViewDlg(wxWindow* parent, int altitude);
  // Feet; the typed value after OK.
  int Altitude() const { return m_altitude; }

 private:
  void OnOK(wxCommandEvent&);
  int m_altitude;
  wxTextCtrl* m_field = nullptr;
};

// Shows the dialog with `seedFeet`; the entered feet, or nothing when cancelled.
std::optional<int> AskTowerViewAltitude(wxWindow* parent, int seedFeet);
