#include "planexport/common/window/AboutDialog.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "planexport/common/ModuleFrame.h"
#include "platform/win/Codepage.h"

namespace {

wxString FromCp1252(const std::string& text) { return wxString::FromUTF8(win::Cp1252ToUtf8(text)); }

// The dialog's results as the module's configure entry returns them.
constexpr int kAboutOk = 1;
constexpr int kAboutCancel = 2;

class CAboutDlg : public wxDialog {
 public:
  CAboutDlg(wxWindow* parent, const std::string& displayName, const std::string& text)
      : wxDialog(parent, wxID_ANY, FromCp1252(FlpxCaption(displayName, kAboutDialogCaption))) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticText(this, kAboutTextId, FromCp1252(text)), 0, wxALL, 12);
    top->Add(CreateButtonSizer(wxOK), 0, wxALIGN_CENTRE | wxLEFT | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(top);
    CentreOnParent();
    Bind(wxEVT_BUTTON, &CAboutDlg::AboutDlgProc, this);
  }

 private:
  // OK ends the dialog with 1; Cancel, which the Escape key and the close box send, with 2.
  // Nothing else is handled.
  void AboutDlgProc(wxCommandEvent& event) {
    if (event.GetId() == wxID_OK) {
      EndModal(kAboutOk);
    } else if (event.GetId() == wxID_CANCEL) {
      EndModal(kAboutCancel);
    } else {
      event.Skip();
    }
  }
};

}  // namespace

int ShowAboutDialog(void* parent, const std::string& displayName, const std::string& text) {
  // On the stack, no deferred calls and no handlers left behind: the library is unloaded as
  // soon as the entry returns.
  CAboutDlg dialog(static_cast<wxWindow*>(parent), displayName, text);
  return dialog.ShowModal() == kAboutOk ? kAboutOk : kAboutCancel;
}
