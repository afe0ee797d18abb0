#include "plotr/tools/window/DialogFields.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "platform/ui/ModalHook.h"

namespace dialogfields {

wxSizer* FootButtons(wxDialog& dialog) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  auto* ok = new wxButton(&dialog, wxID_OK, "OK");
  ok->SetDefault();
  row->AddStretchSpacer();
  row->Add(ok, 0, wxRIGHT, 6);
  row->Add(new wxButton(&dialog, wxID_CANCEL, "Cancel"));
  return row;
}

void Refuse(wxDialog& dialog, const FieldError& error) {
  ui::ShowMessageBox(&dialog, error.message, dialog.GetTitle().utf8_string(), ui::kMbOk | ui::kMbIconExclamation);
  if (wxWindow* field = dialog.FindWindow(error.id)) {
    field->SetFocus();
    if (auto* text = dynamic_cast<wxTextCtrl*>(field)) text->SelectAll();
  }
}

void CloseWithOk(wxDialog& dialog) {
  if (dialog.IsModal()) {
    dialog.EndModal(wxID_OK);
  } else {
    dialog.SetReturnCode(wxID_OK);
    dialog.Hide();
  }
}

}  // namespace dialogfields
