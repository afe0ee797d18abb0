#include "plotr/views/window/SidStarParentView.h"

#include <wx/sizer.h>

#include "platform/ui/StringTable.h"
#include "platform/ui/WxText.h"
#include "plotr/views/SidStarTreeModel.h"
#include "plotr/views/window/SidStar1TreeView.h"
#include "plotr/views/window/SidStar2TreeView.h"
#include "plotr/views/window/SidStarImages.h"

namespace {

constexpr int kTabsId = 160;
constexpr int kAirportTreeId = 162;
constexpr int kProcedureTreeId = 163;
constexpr unsigned kTabTips[2] = {sidstar::kTextAirportsRoot, sidstar::kTextNoRow};

}  // namespace

CSidStarParentView::CSidStarParentView(wxWindow* parent, CSidStarPage& page)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxSize(40, 40), wxCLIP_CHILDREN) {
  sidstar::AddTreeStrings();
  SetName("SidStarTrees");
  auto* strip = new wxBoxSizer(wxHORIZONTAL);
  for (int tab = 0; tab < 2; ++tab) {
    m_buttons[tab] = new wxBitmapToggleButton(this, kTabsId + tab, sidstarwx::TabBitmap(tab), wxDefaultPosition,
                                              wxSize(23, 21));
    m_buttons[tab]->SetToolTip(ui::FromCp1252(ui::LoadString(kTabTips[tab])));
    m_buttons[tab]->SetCanFocus(false);
    m_buttons[tab]->Bind(wxEVT_TOGGLEBUTTON, &CSidStarParentView::OnButton, this);
    strip->Add(m_buttons[tab], 0, wxRIGHT, 1);
  }
  m_book = new wxSimplebook(this, wxID_ANY);
  m_airports = new CSidStar1TreeView(m_book, kAirportTreeId, page);
  m_procedures = new CSidStar2TreeView(m_book, kProcedureTreeId, page);
  m_book->AddPage(m_airports, wxEmptyString, true);
  m_book->AddPage(m_procedures, wxEmptyString, false);
  m_buttons[0]->SetValue(true);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(strip, 0, wxALL, 1);
  column->Add(m_book, 1, wxEXPAND);
  SetSizer(column);
  Bind(wxEVT_LEFT_DOWN, &CSidStarParentView::OnMouseDown, this);
}

wxWindow* CSidStarParentView::CurrentTree() const {
  return GetTab() == 1 ? static_cast<wxWindow*>(m_procedures) : static_cast<wxWindow*>(m_airports);
}

void CSidStarParentView::SelectTab(int tab) {
  if (tab < 0 || tab > 1) return;
  m_book->ChangeSelection(static_cast<size_t>(tab));
  for (int i = 0; i < 2; ++i) m_buttons[i]->SetValue(i == tab);
  CurrentTree()->SetFocus();
}

void CSidStarParentView::OnButton(wxCommandEvent& event) { SelectTab(event.GetId() - kTabsId); }

void CSidStarParentView::OnMouseDown(wxMouseEvent& event) {
  // A click into the container works in the tree of the current tab.
  event.Skip();
  CurrentTree()->SetFocus();
}
