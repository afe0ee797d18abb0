#include "plotr/shell/window/MenuViews.h"

#include <wx/button.h>
#include <wx/sizer.h>

#include <wx/settings.h>

#include <algorithm>
#include <memory>

#include "plotr/core/CommandIds.h"
#include "plotr/shell/MenuResource.h"
#include "plotr/shell/window/MainFrm.h"
#include "plotr/shell/window/Panes.h"

namespace {

bool IsCheckCommand(int id) {
  return id == cmd::kPublicPlan || id == cmd::kToggleDocked || id == cmd::kViewToolbar || id == cmd::kViewStatusBar;
}

}  // namespace

wxMenu* BuildMenuPopup(size_t position) {
  const auto& menu = ModuleMenu();
  if (position >= menu.size()) return nullptr;
  auto* popup = new wxMenu;
  for (const MenuItemDef& item : menu[position].items) {
    if (item.id == 0)
      popup->AppendSeparator();
    else if (IsCheckCommand(item.id))
      popup->AppendCheckItem(item.id, item.text);
    else
      popup->Append(item.id, item.text);
  }
  return popup;
}

CMenuView::CMenuView(wxWindow* parent) : wxPanel(parent, cmd::kMenuResource) {
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  const auto& menu = ModuleMenu();
  for (size_t i = 0; i < menu.size(); ++i) {
    auto* button = new wxButton(this, wxID_ANY, menu[i].title, wxDefaultPosition, wxDefaultSize,
                                wxBU_EXACTFIT | wxBORDER_NONE);
    button->Bind(wxEVT_BUTTON, [this, i](wxCommandEvent&) { OpenPopup(i); });
    // Pressing the bar never takes the focus from the view the commands are meant for.
    button->SetCanFocus(false);
    m_buttons.push_back(button);
    sizer->Add(button, 0, wxEXPAND);
  }
  SetSizer(sizer);
}

void CMenuView::OpenPopup(size_t position) {
  CMainFrm* frame = GetMainFrame();
  if (frame == nullptr || position >= m_buttons.size()) return;
  std::unique_ptr<wxMenu> popup(BuildMenuPopup(position));
  const wxRect r = m_buttons[position]->GetScreenRect();
  frame->ShowPopup(*popup, wxPoint(r.GetRight(), r.GetTop()));
}

CMenuPlanView::CMenuPlanView(wxWindow* parent, CPlotrDoc& document) : wxPanel(parent, wxID_ANY) {
  m_menu = new CMenuView(this);
  m_planView = new CPaneView(PaneSlot::PlanTable, document, this);
  m_planView->GetWindow()->SetId(cmd::kPlanViewId);
  Bind(wxEVT_SIZE, &CMenuPlanView::OnSize, this);
}

void CMenuPlanView::OnSize(wxSizeEvent&) {
  const wxSize client = GetClientSize();
  const int bar = m_menu->GetMenuBarSize().x;
  m_menu->SetSize(0, 0, bar, client.y);
  const int left = std::min(bar, client.x);
  m_planView->GetWindow()->SetSize(left, 0, std::max(client.x - left, 0), client.y);
}
