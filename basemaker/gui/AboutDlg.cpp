#include "basemaker/gui/AboutDlg.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

constexpr char kHomepage[] = "https://chartwright.example.org/";
constexpr char kEmail[] = "support@chartwright.example.org";

}  // namespace

CAboutDlg::CAboutDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "About Chartwright database creator") {
  auto* grid = new wxFlexGridSizer(2, 6, 8);
  grid->AddGrowableCol(1);
  grid->Add(new wxStaticText(this, wxID_ANY, "Homepage:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(new wxTextCtrl(this, 9000, kHomepage, wxDefaultPosition, wxSize(260, -1), wxTE_READONLY), 1, wxEXPAND);
  grid->Add(new wxStaticText(this, wxID_ANY, "E-mail:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(new wxTextCtrl(this, 9001, kEmail, wxDefaultPosition, wxSize(260, -1), wxTE_READONLY), 1, wxEXPAND);

  auto* top = new wxBoxSizer(wxHORIZONTAL);
  top->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetBitmap(wxART_HARDDISK, wxART_MESSAGE_BOX)), 0,
           wxRIGHT, 12);
  auto* texts = new wxBoxSizer(wxVERTICAL);
  texts->Add(new wxStaticText(this, wxID_ANY, "Chartwright database creator 4.7"), 0, wxBOTTOM, 10);
  texts->Add(grid, 0, wxEXPAND);
  top->Add(texts, 1, wxEXPAND);

  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(top, 1, wxEXPAND | wxALL, 12);
  column->Add(ok, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 12);
  SetSizerAndFit(column);
}
