#include "plotr/views/window/SidStarPage.h"

#include <wx/sizer.h>

#include <algorithm>
#include <mutex>

#include "platform/profile/Profile.h"
#include "plotr/core/FrameServices.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/views/window/MapPages.h"
#include "plotr/views/window/SidStar1TreeView.h"
#include "plotr/views/window/SidStar2TreeView.h"
#include "plotr/views/window/SidStarDescView.h"
#include "plotr/views/window/SidStarListView.h"
#include "plotr/views/window/SidStarParentView.h"

namespace {

constexpr char kDescHeightKey[] = "SidStarDescHeight";

const char* ModeSection(bool docked) { return docked ? "Docked" : "Floating"; }

// Without a main frame (the page on its own) it counts as docked.
bool IsDocked() {
  const IFrameServices* main = GetFrameServices();
  return main == nullptr || main->IsDocked();
}

}  // namespace

CSidStarPage::CSidStarPage(wxWindow* parent, IPlotrDocument& document)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxSize(40, 40), wxCLIP_CHILDREN), m_document(document) {
  SetName("SidStarPage");
  m_outer = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxSize(40, 40), wxSP_LIVE_UPDATE | wxSP_3DSASH);
  m_inner = new wxSplitterWindow(m_outer, wxID_ANY, wxDefaultPosition, wxSize(40, 40), wxSP_LIVE_UPDATE | wxSP_3DSASH);
  m_legList = new CSidStarListView(m_inner, *this);
  m_parentView = new CSidStarParentView(m_inner, *this);
  m_descView = new CSidStarDescView(m_outer, *this);
  m_inner->SplitVertically(m_legList, m_parentView);
  m_outer->SplitHorizontally(m_inner, m_descView);
  // The description keeps its height while the page is resized.
  m_outer->SetSashGravity(1.0);
  m_inner->SetSashGravity(0.5);
  m_outer->SetMinimumPaneSize(20);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(m_outer, 1, wxEXPAND);
  SetSizer(sizer);
  // The leg list hears first, so the trees see the row hint it sends from the same update.
  m_views = {m_legList, m_parentView->GetAirportTree(), m_parentView->GetProcedureTree(), m_descView};
  Bind(wxEVT_SHOW, &CSidStarPage::OnShow, this);
  m_outer->Bind(wxEVT_SPLITTER_SASH_POS_CHANGED, &CSidStarPage::OnSashMoved, this);
  Bind(wxEVT_MENU, &CSidStarPage::OnCommand, this);
  Bind(wxEVT_UPDATE_UI, &CSidStarPage::OnUpdateCommand, this);
}

void CSidStarPage::OnInitialUpdate() { OnPlanUpdate(UpdateHint{0, nullptr}); }

void CSidStarPage::OnPlanUpdate(const UpdateHint& hint) {
  const ISidStarView* skip = m_skip;
  for (ISidStarView* view : m_views) {
    if (view != skip) view->OnSidStarUpdate(hint);
  }
}

void CSidStarPage::Broadcast(const ISidStarView* sender, uint32_t bits, const void* object) {
  const ISidStarView* previous = m_skip;
  m_skip = sender;
  m_document.UpdatePlanViews(nullptr, bits, object);
  m_skip = previous;
}

void CSidStarPage::CatalogueChanged(const ISidStarView* acting) {
  Broadcast(nullptr, kHintSidStarCatalogue);
  {
    DatabaseLease lease;
    m_document.GetPlan().Rebuild();
  }
  Broadcast(acting, kHintRows);
}

void CSidStarPage::RepaintOwner() {
  if (m_owner != nullptr) m_owner->Refresh();
}

void CSidStarPage::OnShow(wxShowEvent& event) {
  event.Skip();
  if (!event.IsShown() || m_layoutDone) return;
  // The first showing places the splitters once the page has its size.
  CallAfter([this] { InitialiseLayout(); });
}

void CSidStarPage::InitialiseLayout() {
  if (m_layoutDone) return;
  m_layoutDone = true;
  LoadSidStarDescHeight(IsDocked());
  m_inner->SetSashPosition(std::max(m_inner->GetClientSize().x / 2, 0));
}

void CSidStarPage::SaveSidStarDescHeight(bool docked) {
  if (!m_layoutDone) return;
  profile::WriteInt(g_Settings.GetProfileFile(), ModeSection(docked), kDescHeightKey,
                    m_outer->GetClientSize().y - m_outer->GetSashPosition());
}

void CSidStarPage::LoadSidStarDescHeight(bool docked) {
  if (!m_layoutDone) return;
  const int description =
      profile::GetInt(g_Settings.GetProfileFile(), ModeSection(docked), kDescHeightKey, kDefaultSidStarDescHeight);
  m_outer->SetSashPosition(SidStarUpperRowHeight(m_outer->GetClientSize().y, description));
}

void CSidStarPage::OnSashMoved(wxSplitterEvent& event) {
  event.Skip();
  // The inner splitter's events pass through here on their way up.
  if (event.GetEventObject() == m_outer) SaveSidStarDescHeight(IsDocked());
}

wxWindow* CSidStarPage::CommandTarget() const {
  const wxWindow* focus = FindFocus();
  for (ISidStarView* view : m_views) {
    auto* window = dynamic_cast<wxWindow*>(view);
    if (window != nullptr && window == focus) return window;
  }
  return m_parentView->CurrentTree();
}

void CSidStarPage::OnCommand(wxCommandEvent& event) {
  wxWindow* target = CommandTarget();
  if (target == nullptr || !target->GetEventHandler()->ProcessEventLocally(event)) event.Skip();
}

void CSidStarPage::OnUpdateCommand(wxUpdateUIEvent& event) {
  wxWindow* target = CommandTarget();
  if (target == nullptr || !target->GetEventHandler()->ProcessEventLocally(event)) event.Skip();
}

void RegisterSidStarPage() {
  RegisterMapPage(1, [](wxWindow* parent, IPlotrDocument& document, wxWindow* tabs) -> wxWindow* {
    auto* page = new CSidStarPage(parent, document);
    page->SetOwner(tabs);
    return page;
  });
}
