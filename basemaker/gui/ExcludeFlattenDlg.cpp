#include "basemaker/gui/ExcludeFlattenDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "basemaker/gui/BuilderBox.h"

namespace {

struct FieldInfo {
  int id;
  const char* label;
};

// Flatten 0 to 9, then Exclude, with the control numbers they have always had.
constexpr FieldInfo kFields[] = {
    {9064, "Flatten &0:"}, {9065, "Flatten &1:"}, {9063, "Flatten &2:"}, {9066, "Flatten &3:"},
    {9062, "Flatten &4:"}, {9061, "Flatten &5:"}, {9060, "Flatten &6:"}, {9059, "Flatten &7:"},
    {9058, "Flatten &8:"}, {9057, "Flatten &9:"}, {9056, "E&xclude:"},
};

}  // namespace

CExcludeFlattenDlg::CExcludeFlattenDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Exclude/Flatten", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  auto* grid = new wxFlexGridSizer(2, 6, 8);
  grid->AddGrowableCol(1);
  for (size_t i = 0; i < m_fields.size(); ++i) {
    grid->Add(new wxStaticText(this, wxID_ANY, kFields[i].label), 0, wxALIGN_CENTER_VERTICAL);
    m_fields[i] = new wxTextCtrl(this, kFields[i].id, "", wxDefaultPosition, wxSize(440, -1));
    grid->Add(m_fields[i], 1, wxEXPAND);
  }
  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();
  // No help viewer exists here.
  auto* help = new wxButton(this, wxID_HELP, "Help");
  help->Disable();
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->AddStretchSpacer();
  buttons->Add(ok, 0, wxRIGHT, 8);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxRIGHT, 8);
  buttons->Add(help);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(grid, 1, wxEXPAND | wxALL, 10);
  column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
  SetSizerAndFit(column);
  ok->Bind(wxEVT_BUTTON, &CExcludeFlattenDlg::OnOk, this);
}

void CExcludeFlattenDlg::SetTexts(const ExcludeFlattenTexts& texts) {
  m_texts = texts;
  for (size_t i = 0; i < m_fields.size(); ++i) m_fields[i]->ChangeValue(ui::FromCp1252(texts[i]));
}

void CExcludeFlattenDlg::OnOk(wxCommandEvent&) {
  ExcludeFlattenTexts texts;
  // A pasted line break would start a new line in the scenery configuration.
  for (size_t i = 0; i < m_fields.size(); ++i) texts[i] = WithoutLineBreaks(ui::ToCp1252(m_fields[i]->GetValue()));
  if (const auto error = AcceptExcludeFlatten(texts)) {
    BuilderMessageBox(this, error->messageId, ui::kMbOk | ui::kMbIconStop);
    wxTextCtrl* field = m_fields.at(error->field);
    // Focus first: an entry selects all of its text when it takes the focus.
    field->SetFocus();
    field->SetSelection(error->selection.start, error->selection.end);
    return;
  }
  m_texts = texts;
  for (size_t i = 0; i < m_fields.size(); ++i) m_fields[i]->ChangeValue(ui::FromCp1252(texts[i]));
  EndModal(wxID_OK);
}
