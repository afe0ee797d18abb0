#include "plotr/tools/window/DlgSaveSidStar.h"

#include <wx/bitmap.h>
#include <wx/bmpcbox.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>

#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/tools/window/DialogFields.h"
#include "plotr/tools/window/ShellStrings.h"

namespace {

wxString FromCp1252(std::string_view text) { return wxString::FromUTF8(win::Cp1252ToUtf8(text)); }
std::string ToCp1252(const wxString& text) { return win::Utf8ToCp1252(text.utf8_string()); }

// The strip's images this module draws, in the image list's order.
constexpr int kStripImages[] = {SaveSidStarForm::kImageSid, SaveSidStarForm::kImageStar,
                                SaveSidStarForm::kImageRegion, SaveSidStarForm::kImageCountry};

wxBitmap DrawImage(int stripImage) {
  // 16 x 15 as the strip's cells.
  wxBitmap bitmap(16, 15);
  wxMemoryDC dc(bitmap);
  dc.SetBackground(*wxWHITE_BRUSH);
  dc.Clear();
  dc.SetPen(*wxBLACK_PEN);
  switch (stripImage) {
    case SaveSidStarForm::kImageSid:
    case SaveSidStarForm::kImageStar: {
      // A runway with the way off it (SID) or onto it (STAR).
      dc.SetBrush(wxBrush(wxColour(0x60, 0x60, 0x60)));
      dc.DrawRectangle(1, 11, 9, 3);
      dc.SetPen(wxPen(stripImage == SaveSidStarForm::kImageSid ? wxColour(0x00, 0x80, 0x00) : wxColour(0xC0, 0x00, 0x00), 2));
      dc.DrawLine(6, 9, 14, 2);
      if (stripImage == SaveSidStarForm::kImageSid) {
        dc.DrawLine(14, 2, 10, 2);
        dc.DrawLine(14, 2, 14, 6);
      } else {
        dc.DrawLine(6, 9, 6, 5);
        dc.DrawLine(6, 9, 10, 9);
      }
      break;
    }
    case SaveSidStarForm::kImageRegion:
      dc.SetBrush(wxBrush(wxColour(0x40, 0x80, 0xE0)));
      dc.DrawCircle(8, 7, 6);
      dc.SetPen(wxPen(wxColour(0x20, 0xA0, 0x20)));
      dc.SetBrush(wxBrush(wxColour(0x20, 0xA0, 0x20)));
      dc.DrawEllipse(5, 4, 5, 4);
      break;
    default:
      // A flag on its pole.
      dc.DrawLine(3, 1, 3, 14);
      dc.SetBrush(wxBrush(wxColour(0xD0, 0x20, 0x20)));
      dc.DrawRectangle(4, 2, 10, 7);
      break;
  }
  dc.SelectObject(wxNullBitmap);
  return bitmap;
}

// The module's message box caption.
std::string AppTitle() {
  AddShellStrings();
  return ui::LoadString(shellstr::kAppTitle);
}

}  // namespace

wxImageList* MakeSidStarImages() {
  auto* list = new wxImageList(16, 15, true, static_cast<int>(std::size(kStripImages)));
  for (int image : kStripImages) list->Add(DrawImage(image));
  return list;
}

int SidStarImageIndex(int stripImage) {
  for (size_t i = 0; i < std::size(kStripImages); ++i) {
    if (kStripImages[i] == stripImage) return static_cast<int>(i);
  }
  return -1;
}

CDlgSaveSidStar::CDlgSaveSidStar(wxWindow* parent, const SidStarSaveValues& values)
    : wxDialog(parent, 202, "Save Plan as SID/STAR"), m_form(values), m_images(MakeSidStarImages()) {
  SetTitle(FromCp1252(m_form.Caption()));

  m_list = new wxListCtrl(this, SaveSidStarForm::kIdList, wxDefaultPosition, wxSize(440, 110),
                          wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_NO_SORT_HEADER | wxBORDER_SUNKEN);
  m_list->SetImageList(m_images.get(), wxIMAGE_LIST_SMALL);
  const wxString idTitle = FromCp1252(ui::LoadString(SaveSidStarForm::kIdsColumnIdentification));
  const wxString descriptionTitle = FromCp1252(ui::LoadString(SaveSidStarForm::kIdsColumnDescription));
  m_list->AppendColumn(idTitle, wxLIST_FORMAT_LEFT, m_list->GetTextExtent("XXXXXXXXXXXXXXX").x);
  m_list->AppendColumn(descriptionTitle);
  int widestId = m_list->GetTextExtent(idTitle).x;
  int widestDescription = m_list->GetTextExtent(descriptionTitle).x;
  const int image = SidStarImageIndex(m_form.RowImage());
  for (size_t i = 0; i < m_form.Rows().size(); ++i) {
    const SaveSidStarForm::Row& row = m_form.Rows()[i];
    const long item = m_list->InsertItem(static_cast<long>(i), FromCp1252(row.id), image);
    if (item < 0) {
      m_setUp = false;
      break;
    }
    m_list->SetItem(item, 1, FromCp1252(row.description));
    m_list->SetItemData(item, static_cast<long>(i));
    widestId = std::max(widestId, m_list->GetTextExtent(FromCp1252(row.id)).x);
    widestDescription = std::max(widestDescription, m_list->GetTextExtent(FromCp1252(row.description)).x);
  }
  if (m_form.ListSelection() >= 0) {
    m_selecting = true;
    m_list->SetItemState(m_form.ListSelection(), wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                         wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    m_selecting = false;
  }

  m_id = new wxTextCtrl(this, SaveSidStarForm::kIdIdentification, "", wxDefaultPosition, wxSize(230, -1));
  m_id->SetMaxLength(SaveSidStarForm::kIdLimit);
  m_description = new wxTextCtrl(this, SaveSidStarForm::kIdDescription, "", wxDefaultPosition, wxSize(340, 80),
                                 wxTE_MULTILINE | wxTE_WORDWRAP);
  m_region = new wxBitmapComboBox(this, SaveSidStarForm::kIdRegion, "", wxDefaultPosition, wxDefaultSize, 0,
                                  nullptr, wxCB_READONLY);
  m_country = new wxBitmapComboBox(this, SaveSidStarForm::kIdCountry, "", wxDefaultPosition, wxSize(340, -1), 0,
                                   nullptr, wxCB_READONLY);
  m_author = new wxTextCtrl(this, SaveSidStarForm::kIdAuthor, "", wxDefaultPosition, wxSize(340, -1));
  m_author->SetMaxLength(SaveSidStarForm::kAuthorLimit);

  const wxBitmap regionImage = m_images->GetBitmap(SidStarImageIndex(SaveSidStarForm::kImageRegion));
  for (const SaveSidStarForm::BoxItem& item : m_form.RegionItems()) {
    // The item carries its region's index: the box's order is by name, the indexes are not.
    if (m_region->Append(FromCp1252(item.text), regionImage, reinterpret_cast<void*>(static_cast<intptr_t>(item.data))) < 0) {
      m_setUp = false;
    }
  }
  if (m_form.RegionItem() >= 0) m_region->SetSelection(m_form.RegionItem());
  FillCountries();
  m_author->ChangeValue(FromCp1252(m_form.Author()));
  ShowFields();

  auto* grid = new wxFlexGridSizer(2, 6, 8);
  grid->AddGrowableCol(1);
  grid->Add(new wxStaticText(this, wxID_ANY, "&Identification:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(m_id);
  auto* descriptionLabels = new wxBoxSizer(wxVERTICAL);
  descriptionLabels->Add(new wxStaticText(this, wxID_ANY, "&Description:"));
  auto* hint = new wxStaticText(this, wxID_ANY, "automatically\nwordwrap or\nnew line with\nCtrl+Enter",
                                wxDefaultPosition, wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL);
  descriptionLabels->Add(hint, 0, wxTOP | wxEXPAND, 6);
  grid->Add(descriptionLabels);
  grid->Add(m_description, 1, wxEXPAND);
  grid->Add(new wxStaticText(this, wxID_ANY, "&Global Region:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(m_region);
  grid->Add(new wxStaticText(this, wxID_ANY, "&Country:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(m_country, 1, wxEXPAND);
  grid->Add(new wxStaticText(this, wxID_ANY, "&Author:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(m_author, 1, wxEXPAND);

  wxSizer* buttons = dialogfields::FootButtons(*this);
  m_ok = static_cast<wxButton*>(FindWindow(wxID_OK));

  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(m_list, 0, wxEXPAND | wxALL, 8);
  top->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
  top->Add(buttons, 0, wxEXPAND | wxALL, 8);
  SetSizerAndFit(top);
  CentreOnParent();
  // The identification column holds the widest Id with its image; the description takes the
  // rest, or scrolls when a description is wider.
  m_list->SetColumnWidth(0, widestId + 31);
  m_list->SetColumnWidth(1, std::max(m_list->GetClientSize().x - widestId - 31, widestDescription + 15));

  m_list->Bind(wxEVT_SET_FOCUS, &CDlgSaveSidStar::OnListFocus, this);
  m_list->Bind(wxEVT_LIST_ITEM_SELECTED, &CDlgSaveSidStar::OnItemSelected, this);
  m_id->Bind(wxEVT_TEXT, &CDlgSaveSidStar::OnIdentification, this);
  m_description->Bind(wxEVT_TEXT, &CDlgSaveSidStar::OnDescription, this);
  m_description->Bind(wxEVT_KEY_DOWN, &CDlgSaveSidStar::OnDescriptionKey, this);
  m_author->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { m_form.SetAuthor(ToCp1252(m_author->GetValue())); });
  m_region->Bind(wxEVT_COMBOBOX, &CDlgSaveSidStar::OnRegion, this);
  m_country->Bind(wxEVT_COMBOBOX, &CDlgSaveSidStar::OnCountry, this);
  Bind(wxEVT_BUTTON, &CDlgSaveSidStar::OnOK, this, wxID_OK);
  UpdateOk();
}

CDlgSaveSidStar::~CDlgSaveSidStar() {
  // The list refers to the image list; it goes first.
  if (m_list) m_list->SetImageList(nullptr, wxIMAGE_LIST_SMALL);
}

void CDlgSaveSidStar::ShowFields() {
  m_id->ChangeValue(FromCp1252(m_form.Identification()));
  m_description->ChangeValue(FromCp1252(SaveSidStarForm::ToControlText(m_form.Description())));
  UpdateOk();
}

void CDlgSaveSidStar::FillCountries() {
  m_country->Clear();
  const wxBitmap regionImage = m_images->GetBitmap(SidStarImageIndex(SaveSidStarForm::kImageRegion));
  const wxBitmap countryImage = m_images->GetBitmap(SidStarImageIndex(SaveSidStarForm::kImageCountry));
  for (const SaveSidStarForm::BoxItem& item : m_form.CountryItems()) {
    m_country->Append(FromCp1252(item.text), item.data < 0 ? regionImage : countryImage,
                      reinterpret_cast<void*>(static_cast<intptr_t>(item.data)));
  }
  if (m_form.CountryItem() >= 0) m_country->SetSelection(m_form.CountryItem());
}

void CDlgSaveSidStar::UpdateOk() {
  if (m_ok) m_ok->Enable(m_form.CanOk());
}

void CDlgSaveSidStar::OnListFocus(wxFocusEvent& event) {
  event.Skip();
  if (!m_form.OnListFocus()) return;
  m_selecting = true;
  m_list->SetItemState(m_form.ListSelection(), wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                       wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  m_selecting = false;
  ShowFields();
}

void CDlgSaveSidStar::OnItemSelected(wxListEvent& event) {
  if (m_selecting) return;
  if (m_form.OnRowSelected(static_cast<int>(event.GetData()))) ShowFields();
}

void CDlgSaveSidStar::OnIdentification(wxCommandEvent&) {
  const std::string typed = ToCp1252(m_id->GetValue());
  m_form.SetIdentification(typed);
  if (m_form.Identification() != typed) {
    const long at = m_id->GetInsertionPoint();
    m_id->ChangeValue(FromCp1252(m_form.Identification()));
    m_id->SetInsertionPoint(at);
  }
  UpdateOk();
}

void CDlgSaveSidStar::OnDescription(wxCommandEvent&) {
  // The limit counts the file's bytes, a line break as two; a text past it is taken back.
  if (!m_form.SetDescription(SaveSidStarForm::FromControlText(ToCp1252(m_description->GetValue())))) {
    const long at = m_description->GetInsertionPoint();
    m_description->ChangeValue(FromCp1252(SaveSidStarForm::ToControlText(m_form.Description())));
    m_description->SetInsertionPoint(std::min(at, m_description->GetLastPosition()));
    wxBell();
  }
}

void CDlgSaveSidStar::OnDescriptionKey(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (key != WXK_RETURN && key != WXK_NUMPAD_ENTER) {
    event.Skip();
    return;
  }
  if (event.ControlDown()) {
    m_description->WriteText("\n");
    return;
  }
  ui::PressButton(*this, wxID_OK);
}

void CDlgSaveSidStar::OnRegion(wxCommandEvent&) {
  const int selection = m_region->GetSelection();
  const int region = selection < 0 ? -1 : static_cast<int>(reinterpret_cast<intptr_t>(m_region->GetClientData(selection)));
  m_form.ChooseRegion(region);
  FillCountries();
}

void CDlgSaveSidStar::OnCountry(wxCommandEvent&) { m_form.ChooseCountryItem(m_country->GetSelection()); }

void CDlgSaveSidStar::OnOK(wxCommandEvent&) {
  m_form.SetIdentification(ToCp1252(m_id->GetValue()));
  m_form.SetAuthor(ToCp1252(m_author->GetValue()));
  const auto ask = [this](const std::string& text, uint32_t style) {
    return ui::ShowMessageBox(this, text, AppTitle(), style);
  };
  if (m_form.Ok(ask)) dialogfields::CloseWithOk(*this);
}

int CWxSidStarUi::MessageBox(const std::string& text, uint32_t style) {
  return ui::ShowMessageBox(nullptr, text, AppTitle(), style);
}

bool CWxSidStarUi::RunSaveDialog(SidStarSaveValues& values) {
  CDlgSaveSidStar dialog(nullptr, values);
  if (!dialog.IsSetUp() || ui::ShowModalDialog(dialog) != wxID_OK) return false;
  values = dialog.Result();
  return true;
}

ISidStarUi& WxSidStarUi() {
  static CWxSidStarUi ui;
  return ui;
}
