#include "plotr/tools/window/DlgPlanTools.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include <cmath>

#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/tools/window/DialogFields.h"
#include "plotr/tools/window/DlgExport.h"

namespace {

constexpr unsigned kIdsDeleteAircraft = 6121;

wxString FromCp1252(std::string_view text) { return wxString::FromUTF8(win::Cp1252ToUtf8(text)); }
std::string ToCp1252(const wxString& text) { return win::Utf8ToCp1252(text.utf8_string()); }

std::optional<int> ReadInt(const wxTextCtrl* field) { return ParseDialogInt(field->GetValue().utf8_string()); }

wxString Number(int value) { return wxString::Format("%d", value); }

wxTextCtrl* NumberField(wxWindow* parent, int id, unsigned maxLength, long style = wxFILTER_DIGITS) {
  auto* field = new wxTextCtrl(parent, id, "", wxDefaultPosition, wxSize(80, -1), 0, wxTextValidator(style));
  field->SetMaxLength(maxLength);
  return field;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

CDlgAircraft::CDlgAircraft(wxWindow* parent, const AircraftDialogValues& in, bool indicated,
                           std::filesystem::path iniFile)
    : wxDialog(parent, wxID_ANY, "Aircraft"), m_form(in, indicated, std::move(iniFile)), m_result(in) {
  ui::AddStrings({{kIdsDeleteAircraft, "Are you sure you want to delete the Aircraft?"}});

  wxArrayString names;
  for (const std::string& name : m_form.Names()) names.Add(FromCp1252(name));
  m_name = new wxComboBox(this, AircraftForm::kIdName, FromCp1252(in.name), wxDefaultPosition, wxSize(240, -1), names,
                          wxCB_DROPDOWN | wxCB_SORT);
  m_name->SetMaxLength(30);
  auto* nameRow = new wxBoxSizer(wxHORIZONTAL);
  nameRow->Add(new wxStaticText(this, wxID_ANY, "Na&me:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  nameRow->Add(m_name, 1, wxRIGHT, 6);
  nameRow->Add(new wxButton(this, AircraftForm::kIdNew, "&New"), 0, wxRIGHT, 4);
  nameRow->Add(new wxButton(this, AircraftForm::kIdSave, "&Save"), 0, wxRIGHT, 4);
  nameRow->Add(new wxButton(this, AircraftForm::kIdDelete, "&Delete..."));

  for (size_t i = 0; i < std::size(m_fields); ++i) {
    const DialogFieldRule& rule = kAircraftFieldRules[i];
    m_fields[i] = NumberField(this, rule.id, 8);
  }
  auto field = [&](int id) -> wxWindow* { return FindWindow(id); };
  auto* grid = new wxFlexGridSizer(4, 6, 10);
  grid->Add(0, 0);
  for (const char* column : {"Climb", "Cruise", "Touch down"}) grid->Add(new wxStaticText(this, wxID_ANY, column));
  auto* speedCaption = new wxBoxSizer(wxVERTICAL);
  auto* trueCaption = new wxStaticText(this, AircraftForm::kIdTrueCaption, "&True Air Speed [kts]:");
  auto* indicatedCaption = new wxStaticText(this, AircraftForm::kIdIndicatedCaption, "&Indica&ted Air Speed [kts]:");
  speedCaption->Add(trueCaption);
  speedCaption->Add(indicatedCaption);
  trueCaption->Show(!indicated);
  indicatedCaption->Show(indicated);
  grid->Add(speedCaption, 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(field(8017));
  grid->Add(field(8020));
  grid->Add(field(8023));
  m_fuelUnit = new wxChoice(this, AircraftForm::kIdFuelUnit);
  for (const char* unit : {"Lbs/h", "Gal/h", "kg/h", "L/h"}) m_fuelUnit->Append(unit);
  auto* fuelCaption = new wxBoxSizer(wxHORIZONTAL);
  fuelCaption->Add(new wxStaticText(this, wxID_ANY, "&Fuel flow:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  fuelCaption->Add(m_fuelUnit);
  grid->Add(fuelCaption, 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(field(8018));
  grid->Add(field(8021));
  grid->Add(field(8024));
  grid->Add(new wxStaticText(this, wxID_ANY, "Climb / descent &rate [ft/min]:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(field(8019));
  grid->Add(0, 0);
  grid->Add(field(8025));
  grid->Add(new wxStaticText(this, wxID_ANY, "Cruise &altitude [ft]:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(0, 0);
  grid->Add(field(8022));
  grid->Add(0, 0);

  m_withoutAsh = new wxCheckBox(this, AircraftForm::kIdWithoutAsh, "Autopilot &without Air Speed Hold");
  m_applyAltitude = new wxCheckBox(this, AircraftForm::kIdApplyAltitude, "Set flightplan cruise altit&ude");
  m_applySpeed = new wxCheckBox(this, AircraftForm::kIdApplySpeed, "Set flightplan cruise s&peed");
  m_applyAltitude->SetValue(in.applyCruiseAltitude || in.routeEmpty);
  m_applySpeed->SetValue(in.applyCruiseSpeed || in.routeEmpty);
  m_applyAltitude->Enable(m_form.ApplyEnabled());
  m_applySpeed->Enable(m_form.ApplyEnabled());

  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(nameRow, 0, wxEXPAND | wxALL, 10);
  top->Add(grid, 0, wxLEFT | wxRIGHT, 10);
  top->Add(m_withoutAsh, 0, wxALL, 10);
  top->Add(m_applyAltitude, 0, wxLEFT | wxRIGHT, 10);
  top->Add(m_applySpeed, 0, wxLEFT | wxRIGHT | wxTOP, 10);
  top->Add(dialogfields::FootButtons(*this), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(top);
  CentreOnParent();

  m_name->Bind(wxEVT_TEXT, &CDlgAircraft::OnEditUpdateName, this);
  m_name->Bind(wxEVT_COMBOBOX, &CDlgAircraft::OnSelChangeName, this);
  Bind(wxEVT_BUTTON, &CDlgAircraft::OnNew, this, AircraftForm::kIdNew);
  Bind(wxEVT_BUTTON, &CDlgAircraft::OnSave, this, AircraftForm::kIdSave);
  Bind(wxEVT_BUTTON, &CDlgAircraft::OnDelete, this, AircraftForm::kIdDelete);
  Bind(wxEVT_BUTTON, &CDlgAircraft::OnOK, this, wxID_OK);
  ShowValues();
  UpdateButtons();
}

void CDlgAircraft::ShowValues() {
  for (size_t i = 0; i < std::size(m_fields); ++i) {
    m_fields[i]->ChangeValue(Number(m_form.shown.*kAircraftFieldRules[i].member));
  }
  m_fuelUnit->SetSelection(m_form.shown.fuelUnit & 3);
  m_withoutAsh->SetValue(m_form.shown.withoutAsh);
}

bool CDlgAircraft::ReadFields() {
  for (size_t i = 0; i < std::size(m_fields); ++i) {
    const DialogFieldRule& rule = kAircraftFieldRules[i];
    const std::optional<int> value = ReadInt(m_fields[i]);
    if (!value) {
      Refuse({rule.id, IntegerRangeMessage(rule.lowest, rule.highest)});
      return false;
    }
    m_form.shown.*rule.member = *value;
  }
  m_form.shown.name = ToCp1252(m_name->GetValue());
  m_form.shown.fuelUnit = std::max(0, m_fuelUnit->GetSelection());
  m_form.shown.withoutAsh = m_withoutAsh->GetValue();
  return true;
}

void CDlgAircraft::Refuse(const FieldError& error) { dialogfields::Refuse(*this, error); }

void CDlgAircraft::UpdateButtons() {
  FindWindow(AircraftForm::kIdSave)->Enable(m_form.CanSave());
  FindWindow(wxID_OK)->Enable(m_form.CanSave());
  FindWindow(AircraftForm::kIdDelete)->Enable(m_form.CanDelete());
}

void CDlgAircraft::OnEditUpdateName(wxCommandEvent&) {
  m_form.shown.name = ToCp1252(m_name->GetValue());
  UpdateButtons();
}

void CDlgAircraft::OnSelChangeName(wxCommandEvent&) {
  for (int id : {int(AircraftForm::kIdSave), int(AircraftForm::kIdDelete), int(wxID_OK)}) FindWindow(id)->Disable();
  const int selection = m_name->GetSelection();
  if (selection == wxNOT_FOUND || !m_form.Select(ToCp1252(m_name->GetString(selection)))) return;
  ShowValues();
  for (int id : {int(AircraftForm::kIdSave), int(AircraftForm::kIdDelete), int(wxID_OK)}) FindWindow(id)->Enable();
}

void CDlgAircraft::OnNew(wxCommandEvent&) {
  m_name->ChangeValue("");
  m_form.shown.name.clear();
  UpdateButtons();
}

void CDlgAircraft::OnSave(wxCommandEvent&) {
  if (!ReadFields()) return;
  if (auto error = m_form.Save()) {
    ShowValues();
    Refuse(*error);
    return;
  }
  ShowValues();
  // The list shows the profiles as the form holds them: a name saved in other letter case
  // replaced its profile there, so it replaces its entry here.
  // Refilling the list clears its text, which reaches the form as an edit: the saved name is
  // taken first.
  const wxString saved = FromCp1252(m_form.shown.name);
  wxArrayString names;
  for (const std::string& listed : m_form.Names()) names.Add(FromCp1252(listed));
  m_name->Set(names);
  m_form.shown.name = ToCp1252(saved);
  m_name->ChangeValue(saved);
  UpdateButtons();
}

void CDlgAircraft::OnDelete(wxCommandEvent&) {
  if (ui::ShowMessageBox(this, ui::LoadString(kIdsDeleteAircraft), "Aircraft", ui::kMbOkCancel | ui::kMbIconQuestion) ==
      ui::kIdOk) {
    const int listed = m_name->FindString(m_name->GetValue());
    if (listed != wxNOT_FOUND) {
      m_name->Delete(static_cast<unsigned>(listed));
      m_form.Remove();
      m_form.shown.name.clear();
      m_name->ChangeValue("");
    }
  }
  FindWindow(AircraftForm::kIdDelete)->Disable();
}

void CDlgAircraft::OnOK(wxCommandEvent&) {
  if (!ReadFields()) return;
  AircraftDialogValues out;
  if (auto error = m_form.Accept(out)) {
    Refuse(*error);
    return;
  }
  ShowValues();
  out.applyCruiseAltitude = m_applyAltitude->GetValue();
  out.applyCruiseSpeed = m_applySpeed->GetValue();
  m_result = out;
  dialogfields::CloseWithOk(*this);
}

// ---------------------------------------------------------------------------------------------

CDlgCruise::CDlgCruise(wxWindow* parent, const CruiseDialogValues& in, bool indicated)
    : wxDialog(parent, wxID_ANY, "Cruise Altitude/Speed"), m_form(in, indicated), m_result(in) {
  m_altitude = NumberField(this, kIdAltitude, 6);
  m_speed = NumberField(this, kIdSpeed, 5);
  m_altitude->ChangeValue(Number(m_form.altitude));
  m_speed->ChangeValue(Number(m_form.speed));
  m_clearAltitudes = new wxCheckBox(this, kIdClearAltitudes, "&Remove manual Altitude from all waypoints:",
                                    wxDefaultPosition, wxDefaultSize, wxALIGN_RIGHT);
  m_clearSpeeds = new wxCheckBox(this, kIdClearSpeeds, "R&emove manual Speed from all waypoints:", wxDefaultPosition,
                                 wxDefaultSize, wxALIGN_RIGHT);
  m_clearAltitudes->SetValue(m_form.clearAltitudes);
  m_clearSpeeds->SetValue(m_form.clearSpeeds);

  auto* grid = new wxFlexGridSizer(3, 6, 10);
  grid->Add(new wxStaticText(this, wxID_ANY, "Cruise &Altitude [ft]:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(m_altitude);
  grid->Add(new wxStaticText(this, kIdAltitudeLimit, FromCp1252(m_form.AltitudeLimitText())), 0, wxALIGN_CENTER_VERTICAL);
  auto* speedCaption = new wxBoxSizer(wxVERTICAL);
  auto* trueCaption = new wxStaticText(this, kIdTrueCaption, "Cruise True Air &Speed [kts]:");
  auto* indicatedCaption = new wxStaticText(this, kIdIndicatedCaption, "Cruise Indicated Air &Speed [kts]:");
  trueCaption->Show(!indicated);
  indicatedCaption->Show(indicated);
  speedCaption->Add(trueCaption);
  speedCaption->Add(indicatedCaption);
  grid->Add(speedCaption, 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(m_speed);
  grid->Add(new wxStaticText(this, kIdSpeedRange, FromCp1252(m_form.SpeedRangeText())), 0, wxALIGN_CENTER_VERTICAL);

  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(grid, 0, wxALL, 10);
  top->Add(m_clearAltitudes, 0, wxLEFT | wxRIGHT, 10);
  top->Add(m_clearSpeeds, 0, wxLEFT | wxRIGHT | wxTOP, 10);
  top->Add(dialogfields::FootButtons(*this), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(top);
  CentreOnParent();
  Bind(wxEVT_BUTTON, &CDlgCruise::OnOK, this, wxID_OK);
}

void CDlgCruise::OnOK(wxCommandEvent&) {
  const std::optional<int> altitude = ReadInt(m_altitude);
  const std::optional<int> speed = ReadInt(m_speed);
  if (!altitude) return dialogfields::Refuse(*this, {kIdAltitude, "Please enter a positive integer."});
  if (!speed) return dialogfields::Refuse(*this, {kIdSpeed, "Please enter a positive integer."});
  m_form.altitude = *altitude;
  m_form.speed = *speed;
  m_form.clearAltitudes = m_clearAltitudes->GetValue();
  m_form.clearSpeeds = m_clearSpeeds->GetValue();
  m_result = m_form.Accept();
  m_altitude->ChangeValue(Number(m_result.altitude));
  dialogfields::CloseWithOk(*this);
}

// ---------------------------------------------------------------------------------------------

namespace {

// The pattern as the choices describe it: the fix, the inbound leg towards it and the turns to
// the side chosen, with the heading the user gives drawn on the leg it names.
class HoldingSketch : public wxPanel {
 public:
  HoldingSketch(wxWindow* parent, const HoldingForm& form) : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxSize(160, 120)), m_form(form) {
    SetBackgroundColour(*wxWHITE);
    Bind(wxEVT_PAINT, &HoldingSketch::OnPaint, this);
  }

 private:
  void OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxSize size = GetClientSize();
    const int side = m_form.values.turnDirection == 0 ? 1 : -1;  // right turns lie to the right of the inbound leg
    const int cx = size.x / 2, top = 25, bottom = size.y - 25, r = 22;
    const int inboundX = cx - side * r, outboundX = cx + side * r;
    dc.SetPen(wxPen(*wxBLACK, 2));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawLine(inboundX, bottom, inboundX, top);
    dc.DrawLine(outboundX, top, outboundX, bottom);
    dc.DrawEllipticArc(cx - r, top - r, 2 * r, 2 * r, 0, 180);
    dc.DrawEllipticArc(cx - r, bottom - r, 2 * r, 2 * r, 180, 360);
    // Arrow heads on the inbound leg (up, towards the fix) and the outbound leg (down).
    const int mid = (top + bottom) / 2;
    dc.DrawLine(inboundX, mid - 6, inboundX - 5, mid + 2);
    dc.DrawLine(inboundX, mid - 6, inboundX + 5, mid + 2);
    dc.DrawLine(outboundX, mid + 6, outboundX - 5, mid - 2);
    dc.DrawLine(outboundX, mid + 6, outboundX + 5, mid - 2);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawCircle(inboundX, top, 4);
    dc.DrawText("Fix", inboundX - side * 24 - 8, top - 8);
    // The heading beside the leg it names, on the pattern's outer side.
    const wxString heading = FromCp1252(m_form.headingText) + wxString::FromUTF8("\xc2\xb0");
    const int legX = m_form.values.headingMode == 0 ? inboundX : outboundX;
    const wxSize extent = dc.GetTextExtent(heading);
    dc.DrawText(heading, legX < cx ? legX - 8 - extent.x : legX + 8, mid - extent.y / 2);
  }
  const HoldingForm& m_form;
};

}  // namespace

CDlgHolding::CDlgHolding(wxWindow* parent, const HoldingDialogValues& in)
    : wxDialog(parent, wxID_ANY, "Holding Pattern"), m_form(in), m_result(in) {
  m_headingMode = new wxChoice(this, HoldingForm::kIdHeadingMode);
  m_headingMode->Append("Inbound");
  m_headingMode->Append("Outbound");
  m_heading = NumberField(this, HoldingForm::kIdHeading, 3);
  m_segmentKind = new wxChoice(this, HoldingForm::kIdSegmentKind);
  m_segmentKind->Append("Minutes");
  m_segmentKind->Append("Nautical Miles");
  wxTextValidator lengthChars(wxFILTER_INCLUDE_CHAR_LIST);
  lengthChars.SetCharIncludes(".0123456789");
  m_length = new wxTextCtrl(this, HoldingForm::kIdLength, "", wxDefaultPosition, wxSize(80, -1), 0, lengthChars);
  m_length->SetMaxLength(4);
  m_turn = new wxChoice(this, HoldingForm::kIdTurn);
  m_turn->Append("Right");
  m_turn->Append("Left");
  m_headingMode->SetSelection(m_form.values.headingMode == 1 ? 1 : 0);
  m_segmentKind->SetSelection(m_form.values.segmentKind == 1 ? 1 : 0);
  m_turn->SetSelection(m_form.values.turnDirection == 1 ? 1 : 0);
  m_heading->ChangeValue(FromCp1252(m_form.headingText));
  m_length->ChangeValue(FromCp1252(m_form.values.segmentLength));
  m_sketch = new HoldingSketch(this, m_form);

  auto* grid = new wxFlexGridSizer(2, 6, 10);
  grid->Add(m_headingMode);
  grid->Add(m_heading);
  grid->Add(m_segmentKind);
  grid->Add(m_length);
  grid->Add(new wxStaticText(this, wxID_ANY, "&Turn:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(m_turn);
  auto* body = new wxBoxSizer(wxHORIZONTAL);
  body->Add(grid, 0, wxALL, 10);
  body->Add(m_sketch, 0, wxALL, 10);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(body);
  top->Add(dialogfields::FootButtons(*this), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(top);
  CentreOnParent();

  m_headingMode->Bind(wxEVT_CHOICE, &CDlgHolding::OnHeadingMode, this);
  m_segmentKind->Bind(wxEVT_CHOICE, &CDlgHolding::OnSegmentKind, this);
  m_turn->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
    m_form.values.turnDirection = m_turn->GetSelection();
    m_sketch->Refresh();
  });
  m_heading->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
    TakeTexts();
    m_sketch->Refresh();
  });
  Bind(wxEVT_BUTTON, &CDlgHolding::OnOK, this, wxID_OK);
}

void CDlgHolding::TakeTexts() {
  m_form.headingText = ToCp1252(m_heading->GetValue());
  m_form.values.segmentLength = ToCp1252(m_length->GetValue());
}

void CDlgHolding::OnHeadingMode(wxCommandEvent&) {
  TakeTexts();
  m_form.SetHeadingMode(m_headingMode->GetSelection());
  m_heading->ChangeValue(FromCp1252(m_form.headingText));
  m_sketch->Refresh();
}

void CDlgHolding::OnSegmentKind(wxCommandEvent&) {
  TakeTexts();
  m_form.SetSegmentKind(m_segmentKind->GetSelection());
  m_length->ChangeValue(FromCp1252(m_form.values.segmentLength));
}

void CDlgHolding::OnOK(wxCommandEvent&) {
  TakeTexts();
  m_form.values.turnDirection = std::max(0, m_turn->GetSelection());
  HoldingDialogValues out;
  if (auto error = m_form.Accept(out)) return dialogfields::Refuse(*this, *error);
  m_result = out;
  dialogfields::CloseWithOk(*this);
}

// ---------------------------------------------------------------------------------------------

CDlgAutoRoute::CDlgAutoRoute(wxWindow* parent, const AutoRouteDialogValues& in,
                             std::function<bool(const AutoRouteDialogValues&)> onOk)
    : wxDialog(parent, wxID_ANY, "Calculate auto route"), m_values(in), m_onOk(std::move(onOk)) {
  auto* type = new wxStaticBoxSizer(wxVERTICAL, this, "Flight &plan type");
  auto* low = new wxRadioButton(type->GetStaticBox(), kIdLow, "Low altitude Airways", wxDefaultPosition,
                                wxDefaultSize, wxRB_GROUP);
  auto* high = new wxRadioButton(type->GetStaticBox(), kIdHigh, "High altitude Airways");
  auto* navaids = new wxRadioButton(type->GetStaticBox(), kIdNavaids, "from Navaid to Navaid");
  for (wxRadioButton* button : {low, high, navaids}) type->Add(button, 0, wxALL, 3);
  low->Enable(in.lowAirways);
  high->Enable(in.highAirways);
  (in.routeType == kAutoRouteLowAirways ? low : in.routeType == kAutoRouteHighAirways ? high : navaids)->SetValue(true);

  auto* search = new wxStaticBoxSizer(wxVERTICAL, this, "Search for:");
  wxWindow* box = search->GetStaticBox();
  const struct {
    int id;
    const char* text;
    bool value;
  } checks[] = {{kIdSid, "&SID", in.sid}, {kIdStar, "S&TAR", in.star}, {kIdVor, "&VOR", in.vor},
                {kIdNdb, "&NDB", in.ndb}, {kIdIsec, "&ISEC", in.isec},
                {kIdFix, "Insert &Fix if no other waypoint found", in.gps}};
  for (const auto& c : checks) {
    auto* check = new wxCheckBox(box, c.id, c.text);
    check->SetValue(c.value);
    search->Add(check, 0, wxALL, 3);
  }
  auto* distanceRow = new wxBoxSizer(wxHORIZONTAL);
  distanceRow->Add(new wxStaticText(box, kIdDistanceLabel, "Ideal waypoint &distance [nm]"), 0,
                   wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  wxTextCtrl* distance = NumberField(box, kIdDistance, 3);
  distance->ChangeValue(Number(in.distance));
  distanceRow->Add(distance);
  search->Add(distanceRow, 0, wxALL, 3);

  auto* body = new wxBoxSizer(wxHORIZONTAL);
  body->Add(type, 0, wxALL | wxEXPAND, 10);
  body->Add(search, 0, wxTOP | wxRIGHT | wxBOTTOM, 10);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(body);
  top->Add(dialogfields::FootButtons(*this), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(top);
  CentreOnParent();

  EnableNavaidControls(AutoRouteNavaidControlsEnabled(in.routeType));
  low->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { EnableNavaidControls(false); });
  high->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { EnableNavaidControls(false); });
  navaids->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { EnableNavaidControls(true); });
  Bind(wxEVT_BUTTON, &CDlgAutoRoute::OnOK, this, wxID_OK);
}

void CDlgAutoRoute::EnableNavaidControls(bool on) {
  for (int id : {kIdVor, kIdNdb, kIdIsec, kIdFix, kIdDistanceLabel, kIdDistance}) FindWindow(id)->Enable(on);
}

void CDlgAutoRoute::OnOK(wxCommandEvent&) {
  AutoRouteDialogValues v = m_values;
  auto checked = [this](int id) { return static_cast<wxCheckBox*>(FindWindow(id))->GetValue(); };
  v.routeType = static_cast<wxRadioButton*>(FindWindow(kIdLow))->GetValue()    ? kAutoRouteLowAirways
                : static_cast<wxRadioButton*>(FindWindow(kIdHigh))->GetValue() ? kAutoRouteHighAirways
                                                                                : kAutoRouteNavaids;
  v.sid = checked(kIdSid);
  v.star = checked(kIdStar);
  v.vor = checked(kIdVor);
  v.ndb = checked(kIdNdb);
  v.isec = checked(kIdIsec);
  v.gps = checked(kIdFix);
  // A text that is no number is out of range, and the finder says so.
  v.distance = ReadInt(static_cast<wxTextCtrl*>(FindWindow(kIdDistance))).value_or(0);
  if (!m_onOk || !m_onOk(v)) {
    if (v.distance < kAutoRouteMinDistance || v.distance > kAutoRouteMaxDistance) {
      if (auto* field = static_cast<wxTextCtrl*>(FindWindow(kIdDistance)); field && field->IsEnabled()) {
        field->SetFocus();
        field->SelectAll();
      }
    }
    return;
  }
  m_values = v;
  dialogfields::CloseWithOk(*this);
}

// ---------------------------------------------------------------------------------------------

bool CPlanToolDialogs::RunAircraftDialog(AircraftDialogValues& values) {
  CDlgAircraft dialog(nullptr, values, g_Settings.GetUseIndicatedAirSpeed(false), AircraftIniPath());
  if (ui::ShowModalDialog(dialog) != wxID_OK) return false;
  values = dialog.Result();
  return true;
}

bool CPlanToolDialogs::RunCruiseDialog(CruiseDialogValues& values) {
  CDlgCruise dialog(nullptr, values, g_Settings.GetUseIndicatedAirSpeed(false));
  if (ui::ShowModalDialog(dialog) != wxID_OK) return false;
  values = dialog.Result();
  return true;
}

bool CPlanToolDialogs::RunHoldingDialog(HoldingDialogValues& values) {
  CDlgHolding dialog(nullptr, values);
  if (ui::ShowModalDialog(dialog) != wxID_OK) return false;
  values = dialog.Result();
  return true;
}

bool CPlanToolDialogs::RunSaveFileDialog(SaveFileDialogValues& values) { return RunWxSaveFileDialog(values); }

bool CPlanToolDialogs::RunAutoRouteDialog(AutoRouteDialogValues& values,
                                          const std::function<bool(const AutoRouteDialogValues&)>& onOk) {
  CDlgAutoRoute dialog(nullptr, values, onOk);
  if (ui::ShowModalDialog(dialog) != wxID_OK) return false;
  values = dialog.Result();
  return true;
}

IToolDialogs& PlanToolDialogs() {
  static CPlanToolDialogs dialogs;
  return dialogs;
}
