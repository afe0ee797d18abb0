#include "planexport/atcplan/window/AtcDetailsDialog.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <vector>

#include "platform/win/Codepage.h"

namespace {

wxString FromCp1252(const std::string& text) { return wxString::FromUTF8(win::Cp1252ToUtf8(text)); }
std::string ToCp1252(const wxString& text) { return win::Utf8ToCp1252(text.utf8_string()); }

constexpr int kListWidthDialogUnits = 120;
constexpr int kListHeightDialogUnits = 60;

AtcList ListOf(const wxListCtrl& view) { return static_cast<AtcList>(view.GetId()); }

void Refill(wxListCtrl& view, const AtcDetailsModel& model) {
  view.DeleteAllItems();
  const std::vector<int>& items = model.Items(ListOf(view));
  // Each runway goes in at the top: from the bottom item up gives the model's order.
  for (auto it = items.rbegin(); it != items.rend(); ++it) InsertRunwayItem(view, model, ListOf(view), *it);
}

}  // namespace

void InitRunwayList(wxListCtrl& list) {
  list.AppendColumn("Id", wxLIST_FORMAT_LEFT);
  list.AppendColumn("Head", wxLIST_FORMAT_RIGHT);
  list.AppendColumn("Length", wxLIST_FORMAT_RIGHT);
  list.AppendColumn("ILS", wxLIST_FORMAT_CENTRE);
  FitRunwayColumns(list);
}

void FitRunwayColumns(wxListCtrl& list) {
  const std::array<int, 4> widths = RunwayColumnWidths(list.GetClientSize().GetWidth());
  for (int column = 0; column < 4; ++column) list.SetColumnWidth(column, widths[static_cast<size_t>(column)]);
}

void InsertRunwayItem(wxListCtrl& view, const AtcDetailsModel& model, AtcList list, int runway) {
  const std::array<std::string, 4> texts = model.ColumnTexts(list, runway);
  const long item = view.InsertItem(0, FromCp1252(texts[0]));
  for (int column = 1; column < 4; ++column) view.SetItem(item, column, FromCp1252(texts[static_cast<size_t>(column)]));
  view.SetItemData(item, runway);
}

void MoveSelectedRunways(wxListCtrl& source, wxListCtrl& target, AtcDetailsModel& model) {
  std::vector<int> selected;
  for (long item = source.GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); item != -1;
       item = source.GetNextItem(item, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
    selected.push_back(static_cast<int>(item));
  }
  model.MoveSelectedRunways(ListOf(source), selected);
  Refill(source, model);
  Refill(target, model);
}

int AtcDetailsDlgProc(AtcDetailsModel& model, void* parent, const std::string& caption) {
  // On the stack, no deferred calls and no handlers left behind: the library is unloaded as
  // soon as the entry returns.
  wxDialog dialog(static_cast<wxWindow*>(parent), wxID_ANY, FromCp1252(caption));
  auto* top = new wxBoxSizer(wxVERTICAL);

  auto* fields = new wxFlexGridSizer(2, 5, 8);
  fields->AddGrowableCol(1);
  auto* title = new wxTextCtrl(&dialog, kAtcTitleId, FromCp1252(model.DefaultTitle()));
  title->SetMaxLength(AtcDetailsModel::kTitleLimit);
  auto* description = new wxTextCtrl(&dialog, kAtcDescriptionId, FromCp1252(model.DefaultDescription()));
  description->SetMaxLength(AtcDetailsModel::kDescriptionLimit);
  wxArrayString types;
  for (const char* type : AtcDetailsModel::kAircraftTypes) types.Add(type);
  auto* aircraftType =
      new wxComboBox(&dialog, kAtcAircraftTypeId, types[0], wxDefaultPosition, wxDefaultSize, types, wxCB_READONLY);
  aircraftType->SetSelection(0);
  fields->Add(new wxStaticText(&dialog, wxID_ANY, "Title:"), 0, wxALIGN_CENTER_VERTICAL);
  fields->Add(title, 1, wxEXPAND);
  fields->Add(new wxStaticText(&dialog, wxID_ANY, "Description:"), 0, wxALIGN_CENTER_VERTICAL);
  fields->Add(description, 1, wxEXPAND);
  fields->Add(new wxStaticText(&dialog, wxID_ANY, "Aircraft type:"), 0, wxALIGN_CENTER_VERTICAL);
  fields->Add(aircraftType, 0);
  top->Add(fields, 0, wxEXPAND | wxALL, 10);

  const wxSize listSize = dialog.ConvertDialogToPixels(wxSize(kListWidthDialogUnits, kListHeightDialogUnits));
  std::vector<wxListCtrl*> views;
  auto addSide = [&](AtcList available, const char* availableLabel, int toOpenId, AtcList open,
                     const char* openLabel, int toAvailableId) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    auto column = [&](AtcList id, const char* label) {
      auto* box = new wxBoxSizer(wxVERTICAL);
      box->Add(new wxStaticText(&dialog, wxID_ANY, label), 0, wxBOTTOM, 3);
      auto* view = new wxListCtrl(&dialog, static_cast<int>(id), wxDefaultPosition, listSize,
                                  wxLC_REPORT | wxBORDER_SUNKEN);
      box->Add(view, 1, wxEXPAND);
      views.push_back(view);
      return std::make_pair(box, view);
    };
    auto [availableBox, availableView] = column(available, availableLabel);
    auto [openBox, openView] = column(open, openLabel);
    auto* moves = new wxBoxSizer(wxVERTICAL);
    auto* toOpen = new wxButton(&dialog, toOpenId, "-->");
    auto* toAvailable = new wxButton(&dialog, toAvailableId, "<--");
    moves->AddStretchSpacer();
    moves->Add(toOpen, 0, wxBOTTOM, 5);
    moves->Add(toAvailable, 0);
    moves->AddStretchSpacer();
    row->Add(availableBox, 1, wxEXPAND);
    row->Add(moves, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
    row->Add(openBox, 1, wxEXPAND);
    top->Add(row, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);

    for (auto [view, button, other] : {std::tuple{availableView, toOpen, openView},
                                        std::tuple{openView, toAvailable, availableView}}) {
      button->Disable();
      auto enable = [view = view, button = button](wxListEvent& event) {
        button->Enable(view->GetSelectedItemCount() > 0);
        event.Skip();
      };
      view->Bind(wxEVT_LIST_ITEM_SELECTED, enable);
      view->Bind(wxEVT_LIST_ITEM_DESELECTED, enable);
      button->Bind(wxEVT_BUTTON, [&model, view = view, button = button, other = other, &views](wxCommandEvent&) {
        MoveSelectedRunways(*view, *other, model);
        for (wxListCtrl* v : views) FitRunwayColumns(*v);
        button->Enable(view->GetSelectedItemCount() > 0);
      });
    }
  };
  addSide(AtcList::kAvailableDeparture, "Available departure runways", kAtcMoveToOpenDepartureId,
          AtcList::kOpenDeparture, "Open departure runways", kAtcMoveToAvailableDepartureId);
  addSide(AtcList::kAvailableArrival, "Available arrival runways", kAtcMoveToOpenArrivalId, AtcList::kOpenArrival,
          "Open arrival runways", kAtcMoveToAvailableArrivalId);

  top->Add(dialog.CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
  dialog.SetSizerAndFit(top);
  for (wxListCtrl* view : views) {
    InitRunwayList(*view);
    Refill(*view, model);
  }
  dialog.CentreOnParent();

  // Empty texts keep the dialog open.
  dialog.Bind(wxEVT_BUTTON, [&](wxCommandEvent&) {
    if (model.Accept(ToCp1252(title->GetValue()), ToCp1252(description->GetValue()), aircraftType->GetSelection())) {
      dialog.EndModal(wxID_OK);
    }
  }, wxID_OK);

  return dialog.ShowModal() == wxID_OK ? 1 : 2;
}
