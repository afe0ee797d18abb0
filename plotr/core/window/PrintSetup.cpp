#include "plotr/core/window/PrintSetup.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/printdlg.h>
#include <wx/print.h>
#include <wx/prntbase.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "platform/ui/KeyForward.h"
#include "platform/ui/ModalHook.h"
#include "plotr/core/FrameServices.h"

namespace {

constexpr char kPreviewName[] = "CPrintPreview";

}  // namespace

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

void ShowPrintPreview(wxPrintPreview* preview, wxWindow* pane) {
  wxWindow* owner = wxGetTopLevelParent(pane);
  // Over the planner, where the pilot looked: the simulator's own menu and picture stay free.
  IFrameServices* frameServices = GetFrameServices();
  const wxWindow* main = frameServices != nullptr ? frameServices->PlannerWindow() : nullptr;
  const wxRect area = main != nullptr && main->IsShownOnScreen() ? main->GetScreenRect() : owner->GetScreenRect();
  auto* frame = new wxPreviewFrame(preview, owner, "Print Preview", area.GetPosition(), area.GetSize(),
                                   wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT | wxFRAME_NO_TASKBAR, kPreviewName);
  frame->InitializeWithModality(wxPreviewFrame_NonModal);
  frame->Bind(wxEVT_CHAR_HOOK, [frame](wxKeyEvent& event) {
    // Escape closes the preview and the page number takes its digits; every other key reaches
    // the simulator's window first, where the hot keys are.
    const bool own = event.GetKeyCode() == WXK_ESCAPE || wxDynamicCast(wxWindow::FindFocus(), wxTextCtrl) != nullptr;
    if (!own && ui::ForwardKeyToHost(frame, event)) return;
    event.Skip();
  });
  frame->SetSize(area);
  frame->Show();
}

void ClosePrintPreviews() {
  for (wxWindow* window : wxTopLevelWindows)
    if (window->GetName() == kPreviewName && !window->IsBeingDeleted()) window->Close(true);
}
