#include "basemaker/gui/DatabaseDlg.h"

#include <wx/sizer.h>
#include <wx/statbox.h>

#include "basemaker/gui/BuilderBox.h"

CDatabaseDlg::CDatabaseDlg(wxWindow* parent, const BuilderFolders& folders, BuildStep step)
    : CBuildDialog(parent, "Chartwright database creator", std::move(step)) {
  BuildControls();
  CreateButton()->Disable();
  m_sets.ReadVisFiles(folders.simRoot);
  for (const CAreaList& set : m_sets.m_sets) m_setList->Append(ui::FromCp1252(set.m_worldTitle));
  if (!m_sets.m_sets.empty()) ChooseSet(0);
}

CDatabaseDlg::~CDatabaseDlg() {
  // First thing: the worker must not post to a dialog whose parts are going away.
  StopBuild();
}

void CDatabaseDlg::BuildControls() {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, "&Database:");
  m_setList = new wxListBox(box->GetStaticBox(), kIdSetList, wxDefaultPosition, wxSize(-1, 90), 0, nullptr,
                            wxLB_SINGLE | wxLB_ALWAYS_SB);
  m_description = new wxStaticText(box->GetStaticBox(), kIdSetDescription, "", wxDefaultPosition, wxDefaultSize,
                                   wxST_NO_AUTORESIZE);
  // Room for three lines; a longer description is cut at the bottom, not at the side.
  m_description->SetMinSize(wxSize(-1, 3 * m_description->GetCharHeight()));
  m_description->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    if (m_description->GetClientSize().GetWidth() != m_wrappedWidth) ShowDescription();
    event.Skip();
  });
  box->Add(m_setList, 0, wxEXPAND | wxALL, 6);
  box->Add(m_description, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);

  m_list = new CAreaListCtrl(this, kIdSetAreaList, 0);

  auto* listHead = new wxBoxSizer(wxHORIZONTAL);
  listHead->Add(new wxStaticText(this, wxID_ANY, "Areas &list:"), 0, wxALIGN_BOTTOM);
  listHead->AddStretchSpacer();
  listHead->Add(new wxButton(this, kIdSetEnableAll, "E&nable all"));

  wxSizer* bottom = CreateBuildControls(kIdSetProgress);

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(box, 0, wxEXPAND | wxALL, 10);
  column->Add(listHead, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
  column->Add(m_list, 1, wxEXPAND | wxALL, 10);
  column->Add(ProgressLine(), 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
  column->Add(bottom, 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(column);

  m_setList->Bind(wxEVT_LISTBOX, &CDatabaseDlg::OnSelChange, this);
  Bind(wxEVT_BUTTON, &CDatabaseDlg::OnEnableAll, this, kIdSetEnableAll);
}

void CDatabaseDlg::ChooseSet(int index) {
  m_setList->SetSelection(index);
  wxCommandEvent event;
  OnSelChange(event);
}

void CDatabaseDlg::ShowDescription() {
  // A GTK label runs on in one line: the text is broken at words to the width it has now.
  const int width = m_description->GetClientSize().GetWidth();
  m_wrappedWidth = width;
  m_description->SetLabelText(m_descriptionText);
  if (width > 0) m_description->Wrap(width);
}

void CDatabaseDlg::OnSelChange(wxCommandEvent&) {
  m_descriptionText.clear();
  ShowDescription();
  m_list->SetRows(nullptr);
  m_rows.reset();
  const int index = m_setList->GetSelection();
  if (index == wxNOT_FOUND || index >= static_cast<int>(m_sets.m_sets.size())) {
    CreateButton()->Disable();
    return;
  }
  CAreaList& set = m_sets.m_sets[static_cast<size_t>(index)];
  m_descriptionText = ui::FromCp1252(set.m_worldDescription);
  ShowDescription();
  // The boxes come from the set's stored flags: changes made to another set's boxes are gone.
  m_rows = std::make_unique<AreaRows>(set, false);
  m_list->SetRows(m_rows.get());
  CreateButton()->Enable();
}

void CDatabaseDlg::OnEnableAll(wxCommandEvent&) {
  if (!m_rows) return;
  m_rows->CheckAll();
  m_list->ShowAllRows();
}

std::optional<CAreaList> CDatabaseDlg::ListToBuild() {
  if (!m_rows || m_setList->GetSelection() == wxNOT_FOUND) return std::nullopt;
  return m_rows->ListToBuild();
}
