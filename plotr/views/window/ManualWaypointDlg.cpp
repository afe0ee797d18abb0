#include "plotr/views/window/ManualWaypointDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <variant>

#include "platform/ui/ModalHook.h"
#include "platform/ui/WxText.h"
#include "plotr/core/PlotrDocument.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/tools/window/DialogFields.h"
#include "plotr/views/CoordinateText.h"
#include "plotr/views/window/CoordinateValidator.h"
#include "plotr/views/window/FilterEdit.h"

namespace {

using Form = ManualWaypointForm;

wxTextCtrl* NumberField(wxWindow* parent, int id, const std::string& text, size_t maxLength) {
  auto* field = new wxTextCtrl(parent, id, ui::FromCp1252(text), wxDefaultPosition, wxSize(70, -1));
  field->SetMaxLength(maxLength);
  return field;
}

wxStaticText* Label(wxWindow* parent, const wxString& text, int id = wxID_ANY) {
  return new wxStaticText(parent, id, text);
}

}  // namespace

CManualWaypointDlg::CManualWaypointDlg(wxWindow* parent, CFlightPlanCore& plan, int row, const ManualWaypointForm& form)
    : wxDialog(parent, wxID_ANY, "Manual Waypoint Settings"),
      m_plan(plan),
      m_row(row),
      m_form(form),
      m_latitude(form.latitude),
      m_longitude(form.longitude) {
  m_crossing = NumberField(this, Form::kIdCrossing, m_form.crossingText, Form::kAltitudeLength);
  m_after = NumberField(this, Form::kIdAfter, m_form.afterText, Form::kAltitudeLength);
  m_speed = NumberField(this, Form::kIdSpeed, m_form.speedText, Form::kSpeedLength);
  m_disableAltitudes = new wxCheckBox(this, Form::kIdDisableAltitudes, "&Disable previous Altitude Limits");
  m_disableSpeeds = new wxCheckBox(this, Form::kIdDisableSpeeds, "Di&sable previous Speed Limits");
  m_flyOver = new wxCheckBox(this, Form::kIdFlyOver, "T&urn not before Overfly:", wxDefaultPosition, wxDefaultSize,
                             wxALIGN_RIGHT);
  m_disableAltitudes->SetValue(m_form.disableAltitudes);
  m_disableSpeeds->SetValue(m_form.disableSpeeds);
  m_flyOver->SetValue(m_form.flyOver);

  auto* indicatedCaption = Label(this, "Indica&ted Air Speed [kts]:", Form::kIdIndicatedCaption);
  auto* trueCaption = Label(this, "&True Air Speed [kts]:", Form::kIdTrueCaption);
  indicatedCaption->Show(m_form.ShowsIndicatedCaption());
  trueCaption->Show(!m_form.ShowsIndicatedCaption());
  auto* speedCaption = new wxBoxSizer(wxVERTICAL);
  speedCaption->Add(indicatedCaption);
  speedCaption->Add(trueCaption);

  auto* latitude = new FilterEdit(this, Form::kIdLatitude, wxSize(110, -1));
  auto* longitude = new FilterEdit(this, Form::kIdLongitude, wxSize(110, -1));
  latitude->SetAllowed(kLatitudeCharacters);
  longitude->SetAllowed(kLongitudeCharacters);
  latitude->SetValidator(CoordinateValidator(&m_latitude, true));
  longitude->SetValidator(CoordinateValidator(&m_longitude, false));
  latitude->SetEditable(!m_form.PositionReadOnly());
  longitude->SetEditable(!m_form.PositionReadOnly());

  const int centre = wxALIGN_CENTER_VERTICAL;
  auto* grid = new wxFlexGridSizer(4, 6, 10);
  grid->Add(Label(this, "Altitude &crossing [ft]:"), 0, centre);
  grid->Add(m_crossing, 0, centre);
  grid->Add(Label(this, ui::FromCp1252(m_form.CrossingHint()), Form::kIdCrossingHint), 0, centre);
  grid->Add(m_disableAltitudes, 0, centre);
  grid->Add(Label(this, "Altitude &after [ft]:"), 0, centre);
  grid->Add(m_after, 0, centre);
  grid->Add(Label(this, ui::FromCp1252(m_form.AfterHint()), Form::kIdAfterHint), 0, centre);
  grid->Add(0, 0);
  grid->Add(speedCaption, 0, centre);
  grid->Add(m_speed, 0, centre);
  grid->Add(Label(this, ui::FromCp1252(m_form.SpeedHint()), Form::kIdSpeedHint), 0, centre);
  grid->Add(m_disableSpeeds, 0, centre);
  grid->Add(m_flyOver, 0, centre);
  grid->Add(0, 0);
  grid->Add(0, 0);
  grid->Add(0, 0);

  auto* position = new wxFlexGridSizer(3, 4, 10);
  position->Add(Label(this, "&Latitude:"), 0, centre);
  position->Add(latitude, 0, centre);
  position->Add(Label(this, "alternate Input Format:"), 0, centre);
  position->Add(Label(this, "L&ongitude:"), 0, centre);
  position->Add(longitude, 0, centre);
  position->Add(Label(this, "Wdd mm ss"), 0, centre);

  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(grid, 0, wxALL, 12);
  top->Add(position, 0, wxLEFT | wxRIGHT, 12);
  top->Add(dialogfields::FootButtons(*this), 0, wxEXPAND | wxALL, 12);
  SetSizerAndFit(top);
  CentreOnParent();
  ShowEnabled();
  TransferDataToWindow();

  Bind(wxEVT_CHECKBOX, &CManualWaypointDlg::OnDisableAltitudes, this, Form::kIdDisableAltitudes);
  Bind(wxEVT_CHECKBOX, &CManualWaypointDlg::OnDisableSpeeds, this, Form::kIdDisableSpeeds);
  Bind(wxEVT_BUTTON, &CManualWaypointDlg::OnOK, this, wxID_OK);
}

void CManualWaypointDlg::ShowEnabled() {
  for (int id : {int(Form::kIdDisableAltitudes), int(Form::kIdCrossing), int(Form::kIdDisableSpeeds),
                 int(Form::kIdSpeed), int(Form::kIdAfter), int(Form::kIdFlyOver)}) {
    FindWindow(id)->Enable(m_form.Enabled(id));
  }
}

void CManualWaypointDlg::OnDisableAltitudes(wxCommandEvent&) {
  m_form.SetDisableAltitudes(m_disableAltitudes->GetValue());
  if (m_form.disableAltitudes) m_after->ChangeValue("");
  ShowEnabled();
}

void CManualWaypointDlg::OnDisableSpeeds(wxCommandEvent&) {
  m_form.SetDisableSpeeds(m_disableSpeeds->GetValue());
  if (m_form.disableSpeeds) m_speed->ChangeValue("");
  ShowEnabled();
}

void CManualWaypointDlg::OnOK(wxCommandEvent&) {
  // The position fields check themselves first and report their own message.
  if (!Validate() || !TransferDataFromWindow()) return;
  m_form.crossingText = ui::ToCp1252(m_crossing->GetValue());
  m_form.afterText = ui::ToCp1252(m_after->GetValue());
  m_form.speedText = ui::ToCp1252(m_speed->GetValue());
  m_form.flyOver = m_flyOver->GetValue();
  m_form.disableAltitudes = m_disableAltitudes->GetValue();
  m_form.disableSpeeds = m_disableSpeeds->GetValue();
  m_form.latitude = m_latitude;
  m_form.longitude = m_longitude;
  const auto accepted = m_form.Accept();
  if (const auto* error = std::get_if<FieldError>(&accepted)) {
    dialogfields::Refuse(*this, *error);
    return;
  }
  ApplyWaypointSettings(m_plan, m_row, std::get<WaypointSettings>(accepted));
  dialogfields::CloseWithOk(*this);
}

bool EditWaypointSettings(wxWindow* parent, IPlotrDocument& document, int row) {
  CFlightPlanCore& plan = document.GetPlan();
  const std::optional<ManualWaypointForm> form = ManualWaypointFormFor(plan, row, g_Settings.GetUseIndicatedAirSpeed(false));
  if (!form) return false;
  CManualWaypointDlg dialog(parent, plan, row, *form);
  if (ui::ShowModalDialog(dialog) != wxID_OK) return false;
  document.UpdatePlanViews(nullptr, kHintPlanChangedKeepSelection);
  planedit::ClearNewFlags(plan);
  document.SetPlanModified(true);
  return true;
}
