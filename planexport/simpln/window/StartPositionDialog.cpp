#include "planexport/simpln/window/StartPositionDialog.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

#include "platform/win/Codepage.h"

namespace {

wxString FromCp1252(const std::string& text) { return wxString::FromUTF8(win::Cp1252ToUtf8(text)); }

// The host's line is "<name>\t<kind>"; the first column is as wide as a list box's tab stop.
constexpr int kFirstColumnDialogUnits = 60;
constexpr int kListDialogUnits[2] = {150, 100};

}  // namespace

int StartPositionDlgProc(StartPositionModel& model, void* parent, const std::string& caption) {
  // On the stack, no deferred calls and no handlers left behind: the library is unloaded as
  // soon as the entry returns.
  wxDialog dialog(static_cast<wxWindow*>(parent), wxID_ANY, FromCp1252(caption));
  auto* list = new wxListCtrl(&dialog, kStartPositionListId, wxDefaultPosition,
                              dialog.ConvertDialogToPixels(wxSize(kListDialogUnits[0], kListDialogUnits[1])),
                              wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_NO_HEADER | wxBORDER_SUNKEN);
  const int first = dialog.ConvertDialogToPixels(wxSize(kFirstColumnDialogUnits, 0)).x;
  list->AppendColumn(wxString(), wxLIST_FORMAT_LEFT, first);
  list->AppendColumn(wxString(), wxLIST_FORMAT_LEFT,
                     dialog.ConvertDialogToPixels(wxSize(kListDialogUnits[0], 0)).x - first - 4);
  const auto& entries = model.Entries();
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto columns = StartPositionModel::Columns(entries[i].display);
    const long item = list->InsertItem(static_cast<long>(i), FromCp1252(columns[0]));
    list->SetItem(item, 1, FromCp1252(columns[1]));
  }
  if (model.Selection() >= 0) {
    list->SetItemState(model.Selection(), wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                       wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    list->EnsureVisible(model.Selection());
  }

  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(list, 1, wxEXPAND | wxALL, 10);
  auto* buttons = new wxStdDialogButtonSizer();
  auto* ok = new wxButton(&dialog, wxID_OK);
  buttons->AddButton(ok);
  buttons->AddButton(new wxButton(&dialog, wxID_CANCEL));
  buttons->Realize();
  top->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
  dialog.SetSizerAndFit(top);
  ok->Enable(model.OkEnabled());
  if (model.OkEnabled()) ok->SetDefault();
  dialog.CentreOnParent();

  // The list's selection is the model's when OK is pressed; without one the dialog stays open.
  dialog.Bind(wxEVT_BUTTON, [&](wxCommandEvent&) {
    model.Select(static_cast<int>(list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)));
    if (model.Accept()) dialog.EndModal(wxID_OK);
  }, wxID_OK);

  return dialog.ShowModal() == wxID_OK ? 1 : 2;
}
