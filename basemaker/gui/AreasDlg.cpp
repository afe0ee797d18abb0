#include "basemaker/gui/AreasDlg.h"

#include <wx/sizer.h>

#include "basemaker/gui/BuilderBox.h"
#include "basemaker/gui/FolderBrowser.h"

CAreasDlg::CAreasDlg(wxWindow* parent, const BuilderFolders& folders, int simVer, BuildStep step,
                     const win::DriveTable& drives, const win::DriveRoots* driveRoots)
    : CBuildDialog(parent, "Chartwright database creator", std::move(step)),
      m_folders(folders),
      m_simVer(simVer),
      m_drives(drives),
      m_driveRoots(driveRoots) {
  m_areas.ReadSceneryCfg(m_folders.simRoot, m_simVer);
  m_rows = std::make_unique<AreaRows>(m_areas, true);
  BuildControls();
  m_list->SetRows(m_rows.get());
}

CAreasDlg::~CAreasDlg() {
  // First thing: the worker must not post to a dialog whose parts are going away.
  StopBuild();
}

void CAreasDlg::BuildControls() {
  m_list = new CAreaListCtrl(this, kIdAreaList, wxLC_SINGLE_SEL);
  m_list->onRefused = [this](int row, int messageId) { ShowRefusal(row, messageId); };

  auto* side = new wxBoxSizer(wxVERTICAL);
  auto add = [&](int id, const char* label) {
    side->Add(new wxButton(this, id, label), 0, wxEXPAND | wxBOTTOM, 4);
  };
  add(kIdEnableAll, "E&nable all");
  side->AddSpacer(8);
  add(kIdMoveUp, "Move &up");
  add(kIdMoveDown, "Move &down");
  side->AddSpacer(8);
  add(kIdEditArea, "&Edit area...");
  add(kIdAddArea, "&Add area...");
  add(kIdDeleteArea, "Dele&te area");
  side->AddSpacer(8);
  add(kIdSaveToSim, "&Save to FS");

  auto* middle = new wxBoxSizer(wxHORIZONTAL);
  middle->Add(m_list, 1, wxEXPAND | wxRIGHT, 8);
  middle->Add(side, 0);

  wxSizer* bottom = CreateBuildControls(kIdAreaProgress);

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(this, wxID_ANY, "Areas &list:"), 0, wxLEFT | wxRIGHT | wxTOP, 10);
  column->Add(middle, 1, wxEXPAND | wxALL, 10);
  column->Add(ProgressLine(), 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
  column->Add(bottom, 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(column);

  Bind(wxEVT_BUTTON, &CAreasDlg::OnEnableAll, this, kIdEnableAll);
  Bind(wxEVT_BUTTON, &CAreasDlg::OnMove, this, kIdMoveUp);
  Bind(wxEVT_BUTTON, &CAreasDlg::OnMove, this, kIdMoveDown);
  Bind(wxEVT_BUTTON, &CAreasDlg::OnEditArea, this, kIdEditArea);
  Bind(wxEVT_BUTTON, &CAreasDlg::OnAddArea, this, kIdAddArea);
  Bind(wxEVT_BUTTON, &CAreasDlg::OnDeleteArea, this, kIdDeleteArea);
  Bind(wxEVT_BUTTON, &CAreasDlg::OnSaveToSim, this, kIdSaveToSim);
}

void CAreasDlg::ShowRefusal(int row, int messageId) {
  MessageBox(FormatBuilderString(messageId, {m_rows->EntryOf(row).title}), ui::kMbOk | ui::kMbIconExclamation);
}

void CAreasDlg::OnEnableAll(wxCommandEvent&) {
  m_rows->CheckAll();
  m_list->ShowAllRows();
}

void CAreasDlg::OnMove(wxCommandEvent& event) {
  const int row = m_list->SelectedRow();
  if (row < 0) return;
  const int moved = event.GetId() == kIdMoveUp ? m_rows->MoveUp(row) : m_rows->MoveDown(row);
  if (moved < 0) return;
  // Both rows are rewritten in place: nothing is deleted, so no area can drop out of the list.
  m_list->ShowAllRows();
  m_list->SelectRow(moved);
}

void CAreasDlg::OnEditArea(wxCommandEvent&) {
  const int row = m_list->SelectedRow();
  if (row < 0) return;
  if (const int refusal = m_rows->EditRefusal(row)) {
    ShowRefusal(row, refusal);
    return;
  }
  CFolderBrowser browser(this, m_folders.simRoot, m_drives, m_driveRoots);
  browser.Entry() = m_rows->EntryOf(row);
  if (browser.Browse() != ui::kIdOk) return;
  m_rows->ReplaceEntry(row, browser.Entry());
  m_list->ShowRow(row);
}

void CAreasDlg::OnAddArea(wxCommandEvent&) {
  CFolderBrowser browser(this, m_folders.simRoot, m_drives, m_driveRoots);
  if (browser.Browse() != ui::kIdOk) return;
  m_list->InsertItem(0, "");
  m_rows->AddAtTop(browser.Entry());
  m_list->ShowAllRows();
  m_list->FitTitleColumn();
  m_list->SelectRow(0);
}

void CAreasDlg::OnDeleteArea(wxCommandEvent&) {
  const int row = m_list->SelectedRow();
  if (row < 0) return;
  if (const int refusal = m_rows->DeleteRefusal(row)) {
    ShowRefusal(row, refusal);
    return;
  }
  if (BuilderMessageBox(this, IDS_CONFIRM_DELETE, ui::kMbOkCancel | ui::kMbIconQuestion) != ui::kIdOk) return;
  const int next = m_rows->Delete(row);
  m_list->DeleteItem(row);
  m_list->ShowAllRows();
  m_list->FitTitleColumn();
  m_list->SelectRow(next);
}

void CAreasDlg::OnSaveToSim(wxCommandEvent&) {
  if (BuilderMessageBox(this, IDS_CONFIRM_SAVE, ui::kMbOkCancel | ui::kMbIconQuestion) != ui::kIdOk) return;
  const CAreaList list = m_rows->ListToSave();
  std::string error;
  // A save that fails must not pass for one that worked: the user would start the simulator
  // with the old list.
  if (!list.WriteSceneryCfg(m_folders.simRoot, m_simVer, &error))
    MessageBox("The areas list could not be saved to the simulator:\n" + error, ui::kMbOk | ui::kMbIconStop);
}

std::optional<CAreaList> CAreasDlg::ListToBuild() {
  return m_rows->ListToBuild();
}
