#include "plotr/tools/window/DlgExport.h"

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "platform/ui/ModalHook.h"
#include "platform/win/Codepage.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/tools/window/DlgFile.h"

namespace {

wxString FromCp1252(std::string_view text) { return wxString::FromUTF8(win::Cp1252ToUtf8(text)); }

// The module's own file dialog in plain save mode, as the plug-ins get it.
class CDlgFilePlugInSave : public CDlgFile {
 public:
  CDlgFilePlugInSave(const SaveFileDialogValues& v)
      : CDlgFile(false, v.defaultExt, v.initialName, v.filter, v.initialDir, static_cast<wxWindow*>(v.parent)) {
    Start();
  }
};

// Offers the plug-ins a save dialog when the plan was made without tool dialogs.
class SaveDialogOnly : public IToolDialogs {
 public:
  bool RunAircraftDialog(AircraftDialogValues&) override { return false; }
  bool RunCruiseDialog(CruiseDialogValues&) override { return false; }
  bool RunHoldingDialog(HoldingDialogValues&) override { return false; }
  bool RunSaveFileDialog(SaveFileDialogValues& values) override { return RunWxSaveFileDialog(values); }
};

}  // namespace

CDlgExport::CDlgExport(wxWindow* parent, void* plan, const std::string& folder, const FlpxServiceSet& services,
                       const PlanUiServices& ui)
    : wxDialog(parent, wxID_ANY, "Export"), m_model(plan, services, ui) {
  m_model.Load(folder, g_Settings.GetLastExportModul());

  m_list = new wxListBox(this, kFormatList, wxDefaultPosition, wxSize(260, 160), 0, nullptr,
                         wxLB_SINGLE | wxLB_ALWAYS_SB);
  for (const CExportDialogModel::Item& item : m_model.Items()) m_list->Append(FromCp1252(item.name));
  if (m_model.Selection() >= 0) m_list->SetSelection(m_model.Selection());
  m_options = new wxButton(this, kFormatOptions, "Format &Options...");
  m_ok = new wxButton(this, wxID_OK, "OK");
  m_ok->SetDefault();
  auto* cancel = new wxButton(this, wxID_CANCEL, "Cancel");
  auto* help = new wxButton(this, kHelp, "Help");
  help->Disable();  // no help viewer here

  auto* left = new wxBoxSizer(wxVERTICAL);
  left->Add(new wxStaticText(this, wxID_ANY, "&Format:"), 0, wxBOTTOM, 4);
  left->Add(m_list, 1, wxEXPAND);
  left->Add(m_options, 0, wxTOP, 6);
  auto* right = new wxBoxSizer(wxVERTICAL);
  right->Add(m_ok, 0, wxEXPAND | wxBOTTOM, 4);
  right->Add(cancel, 0, wxEXPAND | wxBOTTOM, 4);
  right->Add(help, 0, wxEXPAND);
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  top->Add(left, 1, wxEXPAND | wxALL, 10);
  top->Add(right, 0, wxTOP | wxRIGHT | wxBOTTOM, 10);
  SetSizerAndFit(top);
  CentreOnParent();

  m_list->Bind(wxEVT_LISTBOX_DCLICK, &CDlgExport::OnDblClkFormat, this);
  m_list->Bind(wxEVT_LISTBOX, &CDlgExport::OnSelChangeFormat, this);
  m_options->Bind(wxEVT_BUTTON, &CDlgExport::OnFormatOptions, this);
  m_ok->Bind(wxEVT_BUTTON, &CDlgExport::OnOK, this);
  UpdateButtons();
}

void CDlgExport::UpdateButtons() {
  m_options->Enable(m_model.OptionsEnabled());
  m_ok->Enable(m_model.OkEnabled());
}

void CDlgExport::OnSelChangeFormat(wxCommandEvent&) {
  m_model.Select(m_list->GetSelection());
  UpdateButtons();
}

void CDlgExport::OnDblClkFormat(wxCommandEvent& event) { OnOK(event); }

void CDlgExport::OnFormatOptions(wxCommandEvent&) { m_model.RunOptions(this); }

void CDlgExport::OnOK(wxCommandEvent&) {
  if (m_model.RunExport(this) != CExportDialogModel::OkResult::Close) return;
  if (IsModal()) {
    EndModal(wxID_OK);
  } else {
    SetReturnCode(wxID_OK);
    Hide();
  }
}

void RunExportDialog(CFlightPlanCore* plan, wxWindow* parent, const std::string& folder) {
  SaveDialogOnly fallback;
  PlanUiServices shown;
  if (plan != nullptr) shown = {plan->Ui(), plan->Dialogs()};
  if (shown.dialogs == nullptr) shown.dialogs = &fallback;
  CDlgExport dialog(parent, plan, folder, GetFlpxServices(), shown);
  ui::ShowModalDialog(dialog);
}

bool RunWxSaveFileDialog(SaveFileDialogValues& values) {
  // The export runs under the wait cursor; the user's turn in the dialog does not.
  wxBusyCursorSuspender notBusy;
  CDlgFilePlugInSave dialog(values);
  if (ui::ShowModalDialog(dialog) != wxID_OK) return false;
  values.path = dialog.GetPathName();
  return true;
}
