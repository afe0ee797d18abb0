#include "planexport/common/window/OptionsDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include <vector>

#include "platform/win/Codepage.h"

namespace {

wxString FromCp1252(const std::string& text) { return wxString::FromUTF8(win::Cp1252ToUtf8(text)); }

}  // namespace

int RunOptionsDialog(void* parent, const std::string& caption, const char* group,
                     std::initializer_list<FlpxCheckOption> options) {
  // On the stack, no deferred calls and no handlers left behind: the library is unloaded as
  // soon as the entry returns.
  wxDialog dialog(static_cast<wxWindow*>(parent), wxID_ANY, FromCp1252(caption));
  auto* top = new wxBoxSizer(wxVERTICAL);
  wxSizer* boxes = top;
  wxWindow* boxParent = &dialog;
  if (group) {
    auto* groupSizer = new wxStaticBoxSizer(wxVERTICAL, &dialog, FromCp1252(group));
    boxParent = groupSizer->GetStaticBox();
    boxes = groupSizer;
    top->Add(groupSizer, 0, wxEXPAND | wxALL, 10);
  }
  std::vector<wxCheckBox*> checks;
  for (const FlpxCheckOption& o : options) {
    auto* check = new wxCheckBox(boxParent, o.id, FromCp1252(o.label));
    check->SetValue(*o.value);
    boxes->Add(check, 0, group ? wxALL : wxLEFT | wxRIGHT | wxTOP, group ? 5 : 12);
    checks.push_back(check);
  }
  top->Add(dialog.CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
  dialog.SetSizerAndFit(top);
  dialog.CentreOnParent();

  if (dialog.ShowModal() != wxID_OK) return 2;
  size_t i = 0;
  for (const FlpxCheckOption& o : options) *o.value = checks[i++]->GetValue();
  return 1;
}
