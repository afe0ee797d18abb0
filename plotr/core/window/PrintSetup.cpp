#include "plotr/core/window/PrintSetup.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/printdlg.h>
#include <wx/sizer.h>

#include "platform/ui/ModalHook.h"

wxPrintData& GetModulePrintData() {
  static wxPrintData data = [] {
    wxPrintData d;
    d.SetOrientation(wxLANDSCAPE);
    return d;
  }();
  return data;
}

bool RunPrintSetup(wxWindow* parent) {
  wxPageSetupDialogData setup(GetModulePrintData());
  // The toolkit's own page setup window, not a dialog of ours: it cannot go through the modal
  // hook, so no test opens it.
  wxPageSetupDialog dialog(parent, &setup);
  if (dialog.ShowModal() != wxID_OK) return false;
  GetModulePrintData() = dialog.GetPageSetupDialogData().GetPrintData();
  return true;
}

PrintChoice RunPrintModeDialog(wxWindow* parent) {
  wxDialog dialog(parent, wxID_ANY, "Print Mode");
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(&dialog, kPrintModeFlightplan, "&Flightplan"), 0, wxALL, 6);
  buttons->Add(new wxButton(&dialog, kPrintModeMap, "&Map"), 0, wxALL, 6);
  buttons->Add(new wxButton(&dialog, wxID_CANCEL, "Cancel"), 0, wxALL, 6);
  dialog.SetSizerAndFit(buttons);
  PrintChoice choice = PrintChoice::Cancel;
  dialog.Bind(wxEVT_BUTTON, [&](wxCommandEvent& event) {
    if (event.GetId() == wxID_CANCEL) {
      event.Skip();
      return;
    }
    choice = event.GetId() == kPrintModeMap ? PrintChoice::Map : PrintChoice::Plan;
    dialog.EndModal(wxID_OK);
  });
  dialog.CentreOnParent();
  if (ui::ShowModalDialog(dialog) != wxID_OK) return PrintChoice::Cancel;
  return choice;
}
