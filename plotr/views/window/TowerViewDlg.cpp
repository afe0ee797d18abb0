#include "plotr/views/window/TowerViewDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <string>
#include <variant>

#include "platform/ui/ModalHook.h"
#include "platform/ui/WxText.h"
#include "plotr/tools/window/DialogFields.h"
#include "plotr/views/TowerViewForm.h"

CTowerViewDlg::CTowerViewDlg(wxWindow* parent, int altitude)
    : wxDialog(parent, wxID_ANY, "Tower View"), m_altitude(altitude) {
  m_field = new wxTextCtrl(this, kIdTowerAltitude, wxString::Format("%d", altitude), wxDefaultPosition,
                           wxSize(90, -1));
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticText(this, wxID_ANY, "Altitude [ft]:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  row->Add(m_field, 1);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(row, 0, wxEXPAND | wxALL, 12);
  top->Add(dialogfields::FootButtons(*this), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
  SetSizerAndFit(top);
  CentreOnParent();
  m_field->SetFocus();
  m_field->SelectAll();
  Bind(wxEVT_BUTTON, &CTowerViewDlg::OnOK, this, wxID_OK);
}

void CTowerViewDlg::OnOK(wxCommandEvent&) {
  const auto read = ReadTowerAltitude(ui::ToCp1252(m_field->GetValue()));
  if (const auto* error = std::get_if<FieldError>(&read)) {
    dialogfields::Refuse(*this, *error);
    return;
  }
  m_altitude = std::get<int>(read);
  dialogfields::CloseWithOk(*this);
}

std::optional<int> AskTowerViewAltitude(wxWindow* parent, int seedFeet) {
  CTowerViewDlg dialog(parent, seedFeet);
  if (ui::ShowModalDialog(dialog) != wxID_OK) return std::nullopt;
  return dialog.Altitude();
}
