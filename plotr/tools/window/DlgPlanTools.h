#pragma once

// The plan's aircraft, cruise and holding dialogs: thin windows over the forms of
// PlanDialogForms.h, and the tool dialogs the module hands the plan model where it makes it.

#include <wx/dialog.h>

#include <filesystem>
#include <optional>

#include "plotr/plan/PlanDialogForms.h"
#include "plotr/plan/ToolDialogs.h"
#include "plotr/tools/AutoRoute.h"

class wxButton;
class wxCheckBox;
class wxChoice;
class wxComboBox;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

// "Aircraft": picks, edits, saves and deletes the profiles of "Aircraft.ini".
class CDlgAircraft : public wxDialog {
 public:
  CDlgAircraft(wxWindow* parent, const AircraftDialogValues& in, bool indicated, std::filesystem::path iniFile);
  // The accepted values, in indicated airspeeds; valid after OK.
  const AircraftDialogValues& Result() const { return m_result; }

 private:
  void OnEditUpdateName(wxCommandEvent&);
  void OnSelChangeName(wxCommandEvent&);
  void OnNew(wxCommandEvent&);
  void OnSave(wxCommandEvent&);
  void OnDelete(wxCommandEvent&);
  void OnOK(wxCommandEvent&);
  // Moves the fields into the form; false (after the message) when one is not a number.
  bool ReadFields();
  void ShowValues();
  void UpdateButtons();
  void Refuse(const FieldError& error);

  AircraftForm m_form;
  AircraftDialogValues m_result;
  wxComboBox* m_name = nullptr;
  wxChoice* m_fuelUnit = nullptr;
  wxCheckBox* m_withoutAsh = nullptr;
  wxCheckBox* m_applyAltitude = nullptr;
  wxCheckBox* m_applySpeed = nullptr;
  wxTextCtrl* m_fields[9] = {};  // in the order of kAircraftFieldRules
};

// "Cruise Altitude/Speed".
class CDlgCruise : public wxDialog {
 public:
  enum : int { kIdAltitude = 8128, kIdAltitudeLimit = 8129, kIdClearAltitudes = 8130, kIdTrueCaption = 8131,
               kIdIndicatedCaption = 8132, kIdSpeed = 8133, kIdSpeedRange = 8134, kIdClearSpeeds = 8135 };
  CDlgCruise(wxWindow* parent, const CruiseDialogValues& in, bool indicated);
  const CruiseDialogValues& Result() const { return m_result; }

 private:
  void OnOK(wxCommandEvent&);
  CruiseForm m_form;
  CruiseDialogValues m_result;
  wxTextCtrl* m_altitude = nullptr;
  wxTextCtrl* m_speed = nullptr;
  wxCheckBox* m_clearAltitudes = nullptr;
  wxCheckBox* m_clearSpeeds = nullptr;
};

// "Holding Pattern".
class CDlgHolding : public wxDialog {
 public:
  CDlgHolding(wxWindow* parent, const HoldingDialogValues& in);
  const HoldingDialogValues& Result() const { return m_result; }

 private:
  void OnHeadingMode(wxCommandEvent&);
  void OnSegmentKind(wxCommandEvent&);
  void OnOK(wxCommandEvent&);
  void TakeTexts();
  HoldingForm m_form;
  HoldingDialogValues m_result;
  wxChoice* m_headingMode = nullptr;
  wxChoice* m_segmentKind = nullptr;
  wxChoice* m_turn = nullptr;
  wxTextCtrl* m_heading = nullptr;
  wxTextCtrl* m_length = nullptr;
  wxWindow* m_sketch = nullptr;
};

// "Calculate auto route": the route finder's form. OK hands the values to the finder, which
// decides whether the dialog closes (a failed airway search keeps it open).
class CDlgAutoRoute : public wxDialog {
 public:
  enum : int { kIdHigh = 8194, kIdLow = 8195, kIdNavaids = 8196, kIdVor = 8197, kIdNdb = 8198, kIdIsec = 8199,
               kIdFix = 8200, kIdDistanceLabel = 8201, kIdDistance = 8202, kIdSid = 8261, kIdStar = 8262 };
  CDlgAutoRoute(wxWindow* parent, const AutoRouteDialogValues& in,
                std::function<bool(const AutoRouteDialogValues&)> onOk);
  const AutoRouteDialogValues& Result() const { return m_values; }

 private:
  void EnableNavaidControls(bool on);
  void OnOK(wxCommandEvent&);
  AutoRouteDialogValues m_values;
  std::function<bool(const AutoRouteDialogValues&)> m_onOk;
};

// The tool dialogs as windows, with the plug-ins' save dialog; the module hands its one to the plan.
class CPlanToolDialogs : public IToolDialogs {
 public:
  bool RunAircraftDialog(AircraftDialogValues& values) override;
  bool RunCruiseDialog(CruiseDialogValues& values) override;
  bool RunHoldingDialog(HoldingDialogValues& values) override;
  bool RunSaveFileDialog(SaveFileDialogValues& values) override;
  bool RunAutoRouteDialog(AutoRouteDialogValues& values,
                          const std::function<bool(const AutoRouteDialogValues&)>& onOk) override;
};

// The module's one CPlanToolDialogs, handed to the plan where it is made.
IToolDialogs& PlanToolDialogs();
