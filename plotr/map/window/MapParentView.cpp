#include "plotr/map/window/MapParentView.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <algorithm>

#include "platform/ui/StringTable.h"
#include "plotr/core/CommandIds.h"
#include "plotr/map/window/ScenView.h"
#include "plotr/views/window/MapPages.h"

namespace {

constexpr int kTabsId = 154;
constexpr int kMapViewId = 155;
constexpr int kFmsViewId = 156;
constexpr unsigned kTabText[3] = {6095, 6096, 6097};
constexpr int kTabPadding = 6;
constexpr int kStripe = 5;

void AddMapStrings() {
  static bool added = false;
  if (added) return;
  added = true;
  ui::AddStrings({{6095, "Map"}, {6096, "Plan"}, {6097, "FMS"}});
}

wxString TabText(int tab) { return wxString::FromUTF8(ui::LoadString(kTabText[tab])); }

wxDEFINE_EVENT(EVT_TAB_CHANGED, wxCommandEvent);

// The point and map commands go to the map whichever page shows.
bool IsMapCommand(int id) { return id >= cmd::kFlyTo && id <= cmd::kLastMapCommand; }

}  // namespace

// ---- Tab strip -----------------------------------------------------------------------------------------

CCaptionTabCtrl::CCaptionTabCtrl(wxWindow* parent, wxWindowID id)
    : wxControl(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE | wxCLIP_SIBLINGS) {
  AddMapStrings();
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &CCaptionTabCtrl::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &CCaptionTabCtrl::OnClick, this);
}

void CCaptionTabCtrl::SetVertical(bool vertical) {
  if (vertical == m_vertical) return;
  m_vertical = vertical;
  Refresh();
}

void CCaptionTabCtrl::SetSelection(int tab) {
  if (tab < 0 || tab > 2 || tab == m_selection) return;
  m_selection = tab;
  Refresh();
}

void CCaptionTabCtrl::SetActive(bool active) {
  if (active == m_active) return;
  m_active = active;
  Refresh();
}

int CCaptionTabCtrl::Thickness() const { return GetCharHeight() + 2 * kTabPadding; }

wxSize CCaptionTabCtrl::DoGetBestSize() const {
  return m_vertical ? wxSize(Thickness(), 100) : wxSize(100, Thickness());
}

wxRect CCaptionTabCtrl::TabRect(int tab) const {
  int offset = 0;
  for (int i = 0; i < tab; ++i) offset += GetTextExtent(TabText(i)).x + 2 * kTabPadding;
  const int length = GetTextExtent(TabText(tab)).x + 2 * kTabPadding;
  return m_vertical ? wxRect(0, offset, Thickness(), length) : wxRect(offset, 0, length, Thickness());
}

void CCaptionTabCtrl::OnClick(wxMouseEvent& event) {
  for (int tab = 0; tab < 3; ++tab) {
    if (!TabRect(tab).Contains(event.GetPosition()) || tab == m_selection) continue;
    SetSelection(tab);
    wxCommandEvent changed(EVT_TAB_CHANGED, GetId());
    changed.SetInt(tab);
    changed.SetEventObject(this);
    ProcessWindowEvent(changed);
    return;
  }
}

void CCaptionTabCtrl::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxSize size = GetClientSize();
  dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
  dc.Clear();
  dc.SetFont(GetFont());
  wxRect last;
  for (int tab = 0; tab < 3; ++tab) {
    const wxRect r = TabRect(tab);
    last = r;
    const bool selected = tab == m_selection;
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(selected ? wxSYS_COLOUR_WINDOW : wxSYS_COLOUR_BTNFACE)));
    dc.DrawRectangle(wxRect(r).Deflate(1));
    dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
    const wxString text = TabText(tab);
    if (m_vertical) {
      // Read from the bottom up, as rotated labels are.
      const wxSize extent = dc.GetTextExtent(text);
      dc.DrawRotatedText(text, (r.width - extent.y) / 2, r.y + kTabPadding + extent.x, 90);
    } else {
      dc.DrawText(text, r.x + kTabPadding, r.y + kTabPadding);
    }
  }
  // A page that takes the keyboard repaints the strip: the mark follows at once, where the
  // pane's periodic update would leave it for up to half a second.
  wxWindow* focus = FindFocus();
  m_active = focus != nullptr && GetParent() != nullptr && (focus == GetParent() || GetParent()->IsDescendant(focus));
  if (!m_active) return;
  // The activity stripe in the strip's free part, in the active caption's colour.
  wxRect stripe = m_vertical ? wxRect((Thickness() - kStripe) / 2, last.GetBottom() + kStripe, kStripe,
                                      size.y - kStripe - (last.GetBottom() + kStripe))
                             : wxRect(last.GetRight() + kStripe, (Thickness() - kStripe) / 2,
                                      size.x - kStripe - (last.GetRight() + kStripe), kStripe);
  if (stripe.width <= 0 || stripe.height <= 0) return;
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_ACTIVECAPTION)));
  dc.DrawRectangle(stripe);
}

// ---- The pane ------------------------------------------------------------------------------------------

CScenParentView::CScenParentView(wxWindow* parent, IPlotrDocument& document)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxSize(40, 40), wxCLIP_CHILDREN), m_document(document) {
  SetName("Map");
  m_tabs = new CCaptionTabCtrl(this, kTabsId);
  m_map = new CScenView(this, kMapViewId, document);
  m_pages[0] = m_map;
  for (int tab = 1; tab <= 2; ++tab) {
    const MapPageFactory& factory = MapPageFactoryOf(tab);
    wxWindow* page = factory ? factory(this, document, m_tabs) : nullptr;
    if (page == nullptr) page = new wxPanel(this, tab == 2 ? kFmsViewId : wxID_ANY, wxDefaultPosition, wxSize(40, 40));
    page->Hide();
    m_pages[static_cast<size_t>(tab)] = page;
  }
  Bind(wxEVT_SIZE, &CScenParentView::OnSize, this);
  Bind(EVT_TAB_CHANGED, &CScenParentView::OnTabChanged, this);
  // Commands routed to the pane reach the page of the selected tab; map commands the map.
  Bind(wxEVT_MENU, &CScenParentView::OnRouteCommand, this);
  Bind(wxEVT_UPDATE_UI, &CScenParentView::OnRouteUpdate, this);
}

void CScenParentView::OnInitialUpdate() { OnPlanUpdate(UpdateHint{0, nullptr}); }

void CScenParentView::OnPlanUpdate(const UpdateHint& hint) {
  m_map->OnPlanUpdate(hint.bits, hint.object);
  for (int tab = 1; tab <= 2; ++tab) {
    if (auto* pane = dynamic_cast<IPaneWindow*>(m_pages[static_cast<size_t>(tab)])) pane->OnPlanUpdate(hint);
  }
  if (hint.bits == 0 || (hint.bits & kHintPeriodic) != 0) {
    // The stripe shows while the user works in this pane.
    wxWindow* focus = FindFocus();
    m_tabs->SetActive(focus != nullptr && (focus == this || IsDescendant(focus)));
  }
}

int CScenParentView::GetMapZoom() const { return m_map->Params().GetZoom(); }

void CScenParentView::SaveSidStarDescHeight(bool docked) {
  if (auto* page = dynamic_cast<IPaneWindow*>(m_pages[1])) page->SaveSidStarDescHeight(docked);
}

void CScenParentView::LoadSidStarDescHeight(bool docked) {
  if (auto* page = dynamic_cast<IPaneWindow*>(m_pages[1])) page->LoadSidStarDescHeight(docked);
}

void CScenParentView::SelectTab(int tab) {
  m_tabs->SetSelection(tab);
  for (int i = 0; i < 3; ++i) m_pages[static_cast<size_t>(i)]->Show(i == tab);
  Layout2();
  m_pages[static_cast<size_t>(tab)]->SetFocus();
}

void CScenParentView::OnTabChanged(wxCommandEvent& event) { SelectTab(event.GetInt()); }

void CScenParentView::OnSize(wxSizeEvent& event) {
  event.Skip();
  Layout2();
}

void CScenParentView::Layout2() {
  const wxSize size = GetClientSize();
  // The tabs go to the left when the map's bar, wrapped to the map's height under a strip on top,
  // would rather have the strip's height too.
  const int strip = m_tabs->Thickness();
  const int client = std::max(size.y - strip - m_map->GetWindowBorderSize().y, 0);
  m_tabs->SetVertical(TabsVertical(size.x, size.y, m_map->ToolBarWantsMoreThan(strip + client, client)));
  wxRect page;
  if (m_tabs->IsVertical()) {
    m_tabs->SetSize(0, 0, strip, size.y);
    page = wxRect(strip + 2, 0, std::max(size.x - strip - 2, 0), size.y);
  } else {
    m_tabs->SetSize(0, 0, size.x, strip);
    page = wxRect(0, strip, size.x, std::max(size.y - strip, 0));
  }
  for (wxWindow* p : m_pages) p->SetSize(page);
}

void CScenParentView::OnRouteCommand(wxCommandEvent& event) {
  const int id = event.GetId();
  wxWindow* target = IsMapCommand(id) ? m_map : m_pages[static_cast<size_t>(m_tabs->GetSelection())];
  if (target == nullptr || !target->GetEventHandler()->ProcessEventLocally(event)) event.Skip();
}

void CScenParentView::OnRouteUpdate(wxUpdateUIEvent& event) {
  const int id = event.GetId();
  wxWindow* target = IsMapCommand(id) ? m_map : m_pages[static_cast<size_t>(m_tabs->GetSelection())];
  if (target == nullptr || !target->GetEventHandler()->ProcessEventLocally(event)) event.Skip();
}

void RegisterMapPane() {
  RegisterPane(PaneSlot::Map, [](wxWindow* parent, IPlotrDocument& document) -> wxWindow* {
    return new CScenParentView(parent, document);
  });
  RegisterPanePrinter(PaneSlot::Map, [](wxWindow* pane, IPlotrDocument&, bool preview) {
    auto* parent = dynamic_cast<CScenParentView*>(pane);
    return parent != nullptr && parent->GetMapView() != nullptr && parent->GetMapView()->Print(preview);
  });
}
