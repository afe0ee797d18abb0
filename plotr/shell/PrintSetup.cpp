#include "plotr/shell/PrintSetup.h"

#include <wx/printdlg.h>

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
