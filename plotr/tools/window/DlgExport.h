#pragma once

// The "Export" dialog: the plan-export formats of the plug-in folder, their options and the
// export of the current plan. A thin window over CExportDialogModel.

#include <wx/dialog.h>

#include <string>

#include "plotr/plan/ToolDialogs.h"
#include "plotr/tools/ExportDialogModel.h"

class wxButton;
class wxListBox;
class CFlightPlanCore;

class CDlgExport : public wxDialog {
 public:
  // Control ids of the dialog.
  static constexpr int kFormatList = 8217;
  static constexpr int kFormatOptions = 8218;
  // The help button's own number (57670) lies beyond wx's window ids.
  static constexpr int kHelp = wxID_HELP;

  CDlgExport(wxWindow* parent, void* plan, const std::string& folder, const FlpxServiceSet& services,
             const PlanUiServices& ui = {});

  const CExportDialogModel& Model() const { return m_model; }

 private:
  void OnDblClkFormat(wxCommandEvent& event);
  void OnSelChangeFormat(wxCommandEvent& event);
  void OnFormatOptions(wxCommandEvent& event);
  void OnOK(wxCommandEvent& event);
  void UpdateButtons();

  CExportDialogModel m_model;
  wxListBox* m_list = nullptr;
  wxButton* m_options = nullptr;
  wxButton* m_ok = nullptr;
};

// The document's "Export" command: the dialog over the plug-in folder (the application's export
// folder), run modally for `plan` (the document's plan object).
void RunExportDialog(CFlightPlanCore* plan, wxWindow* parent, const std::string& folder);

// The plug-ins' save dialog as the window layer shows it: the module's own file dialog in save
// mode (overwrite prompt, default extension), seeded from the values.
bool RunWxSaveFileDialog(SaveFileDialogValues& values);
