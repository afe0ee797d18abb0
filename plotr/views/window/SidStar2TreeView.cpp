#include "plotr/views/window/SidStar2TreeView.h"

#include <wx/menu.h>

#include <cstring>

#include "platform/ui/MenuStates.h"
#include "platform/ui/StringTable.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/Route.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/views/ClipFormats.h"
#include "plotr/views/window/WxClip.h"

using namespace sidstar;
using namespace sidstarwx;

namespace {

constexpr unsigned kDragStatus = 6041;

bool KeepsClickedItem(int command) { return command == kCmdReplace || command == cmd::kEditDelete; }

}  // namespace

CSidStar2TreeView::CSidStar2TreeView(wxWindow* parent, wxWindowID id, CSidStarPage& page)
    : CSidStarTreeView(parent, id, page, kImageHidden) {
  ui::AddStrings({{kDragStatus, "Drag the SID/STAR to the Flightplan."}});
  SetName("SidStarProcedures");
  Bind(wxEVT_TREE_ITEM_EXPANDING, &CSidStar2TreeView::OnExpanding, this);
  Bind(wxEVT_TREE_ITEM_COLLAPSING, &CSidStar2TreeView::OnCollapsing, this);
  Bind(wxEVT_TREE_ITEM_COLLAPSED, &CSidStar2TreeView::OnCollapsed, this);
  Bind(wxEVT_TREE_SEL_CHANGED, &CSidStar2TreeView::OnSelectionChanged, this);
  Bind(wxEVT_TREE_BEGIN_DRAG, &CSidStar2TreeView::OnBeginDrag, this);
  Bind(wxEVT_TREE_ITEM_MENU, &CSidStar2TreeView::OnItemMenu, this);
  for (int id : {kCmdReplace, kCmdProperties, kCmdCenterMap, cmd::kEditDelete, cmd::kEditUndo, cmd::kEditRedo}) {
    Bind(wxEVT_MENU, &CSidStar2TreeView::OnCommand, this, id);
    Bind(wxEVT_UPDATE_UI, &CSidStar2TreeView::OnUpdateCommand, this, id);
  }
}

void CSidStar2TreeView::OnSidStarUpdate(const UpdateHint& hint) {
  if (hint.bits == 0 || (hint.bits & kHintPeriodic) != 0) CheckScheme();
  if ((hint.bits & (kHintSidStarCatalogue | kHintSidStarRow)) == 0) return;
  int row = -1;
  if ((hint.bits & kHintSidStarRow) != 0 && hint.object != nullptr)
    row = static_cast<const CSidStarRowHint*>(hint.object)->row;
  Rebuild(row);
}

void CSidStar2TreeView::Rebuild(int row) {
  const std::optional<NodePath> current =
      m_model.Rebuild(Store(), m_page.Document().GetPlan(), row, g_Settings.IsSidStarEditor());
  m_syncing = true;
  Mirror(m_model.Roots());
  // The row's own groups open at the top.
  for (size_t r = 0; r < m_model.Roots().size(); ++r) {
    const TreeNode& root = m_model.Roots()[r];
    for (size_t g = 0; g < root.children.size(); ++g) {
      if (root.children[g].expanded) ScrollTo(ItemAt({static_cast<int>(r), static_cast<int>(g)}));
    }
  }
  m_syncing = false;
  const wxTreeItemId item = current ? ItemAt(*current) : wxTreeItemId();
  if (item.IsOk()) {
    EnsureVisible(item);
    if (GetSelection() == item)
      SendDescription(RefOf(item));
    else
      SelectItem(item);  // its description goes out with the selection
    return;
  }
  SendDescription(std::nullopt);
}

void CSidStar2TreeView::SendDescription(const std::optional<SidStarRefClip>& ref) {
  const std::string text = DescriptionOf(Store(), ref);
  CSidStarHint hint{text.c_str()};
  m_page.Broadcast(this, kHintSidStarDescription, &hint);
}

void CSidStar2TreeView::OnExpanding(wxTreeEvent& event) {
  if (m_syncing) return;
  const wxTreeItemId item = event.GetItem();
  const NodePath path = PathOf(item);
  const TreeNode* node = NodeAt(m_model.Roots(), path);
  if (node == nullptr || !node->hasRef || !IsGroupRef(node->ref)) return;
  if (!m_model.Expand(path, Store(), m_page.Document().GetPlan())) {
    event.Veto();
    return;
  }
  Freeze();
  m_syncing = true;
  DeleteChildren(item);
  AddChildren(item, *NodeAt(m_model.Roots(), path), false);
  m_syncing = false;
  Thaw();
}

void CSidStar2TreeView::OnCollapsing(wxTreeEvent& event) {
  if (!m_syncing && PathOf(event.GetItem()) == NodePath{0}) event.Veto();
}

void CSidStar2TreeView::OnCollapsed(wxTreeEvent& event) {
  if (m_syncing) return;
  const NodePath path = PathOf(event.GetItem());
  const TreeNode* node = NodeAt(m_model.Roots(), path);
  if (node == nullptr) return;
  const bool group = node->hasRef && IsGroupRef(node->ref);
  const SidStarRefClip ref = node->ref;
  m_model.Collapse(path);
  if (!group) return;
  // The procedures go once this event is over; by then the tree may have been rebuilt, so the
  // group is looked up again by its reference.
  CallAfter([this, ref] {
    const auto now = FindByRef(m_model.Roots(), ref);
    if (!now) return;
    const TreeNode* node = NodeAt(m_model.Roots(), *now);
    const wxTreeItemId item = ItemAt(*now);
    const auto itemRef = RefOf(item);
    if (node->expanded || !itemRef || std::memcmp(&*itemRef, &ref, sizeof ref) != 0) return;
    m_syncing = true;
    DeleteChildren(item);
    SetItemHasChildren(item, node->hasButton);
    m_syncing = false;
  });
}

void CSidStar2TreeView::OnSelectionChanged(wxTreeEvent& event) {
  if (m_syncing) return;
  SendDescription(RefOf(event.GetItem()));
}

void CSidStar2TreeView::OnBeginDrag(wxTreeEvent& event) {
  if (event.GetItem() != GetSelection()) SelectItem(event.GetItem());
  DragSelected();
}

clip::ClipData CSidStar2TreeView::DragData() {
  const auto ref = SelectedRef();
  if (!ref || !IsProcedureRef(*ref) || !Resolve(Store(), *ref).procedure) return {};
  return clip::ClipData{{clip::kSidStar, clip::WriteSidStar(*ref)}};
}

void CSidStar2TreeView::DragSelected() {
  const clip::ClipData data = DragData();
  if (data.empty()) return;
  ShowStatus(kDragStatus);
  clip::RunDrag(this, data, false);
  ShowStatus(0);
}

void CSidStar2TreeView::OnItemMenu(wxTreeEvent& event) { RunContextMenu(event.GetPoint(), KeepsClickedItem); }

wxMenu* CSidStar2TreeView::BuildContextMenu() {
  auto* menu = new wxMenu;
  menu->Append(kCmdReplace, "&To Flightplan");
  menu->AppendSeparator();
  menu->Append(kCmdProperties, "&Properties...");
  menu->Append(cmd::kEditDelete, "&Delete...\tDel");
  menu->AppendSeparator();
  menu->Append(kCmdCenterMap, "C&enter Map\tReturn");
  ui::ApplyMenuStates(*menu, this, [this](wxUpdateUIEvent& update) { OnUpdateCommand(update); });
  return menu;
}

void CSidStar2TreeView::OnUpdateCommand(wxUpdateUIEvent& event) {
  const auto ref = SelectedRef();
  switch (event.GetId()) {
    case kCmdReplace:
    case kCmdProperties: event.Enable(ref && IsProcedureRef(*ref)); return;
    case cmd::kEditDelete: event.Enable(ref && (IsAirportRef(*ref) || IsProcedureRef(*ref))); return;
    case cmd::kEditUndo: event.Enable(CanUndo()); return;
    case cmd::kEditRedo: event.Enable(CanRedo()); return;
    case kCmdCenterMap: event.Enable(ref.has_value()); return;
    default: event.Enable(false); return;
  }
}

void CSidStar2TreeView::OnCommand(wxCommandEvent& event) {
  wxUpdateUIEvent update(event.GetId());
  OnUpdateCommand(update);
  if (update.GetSetEnabled() && !update.GetEnabled()) return;
  switch (event.GetId()) {
    case kCmdReplace: Replace(); break;
    case kCmdProperties: Properties(); break;
    case cmd::kEditDelete: Delete(); break;
    case kCmdCenterMap: CenterMap(); break;
    case cmd::kEditUndo: UndoRedo(false); break;
    case cmd::kEditRedo: UndoRedo(true); break;
    default: break;
  }
}

void CSidStar2TreeView::Replace() {
  const auto ref = SelectedRef();
  if (!ref) return;
  CFlightPlanCore& plan = m_page.Document().GetPlan();
  if (!ReplaceProcedure(plan, Store(), *ref)) return;
  m_page.Document().SetPlanModified(true);
  m_page.Broadcast(this, kHintPlanChangedKeepSelection);
  planedit::ClearNewFlags(plan);
}

void CSidStar2TreeView::Properties() {
  const auto ref = SelectedRef();
  const CRoute* route = m_page.Document().GetPlan().GetCurrent();
  if (!ref || !IsProcedureRef(*ref) || route == nullptr || !Resolve(Store(), *ref).procedure) return;
  if (Store().EditProperties(ref->isStar != 0, ref->airport, ref->group, ref->procedure, *route))
    m_page.CatalogueChanged(this);
}

void CSidStar2TreeView::Delete() {
  const auto ref = SelectedRef();
  const CRoute* route = m_page.Document().GetPlan().GetCurrent();
  if (!ref || route == nullptr || !(IsAirportRef(*ref) || IsProcedureRef(*ref))) return;
  if (Store().DeleteWithPrompt(ref->airport, ref->group, ref->procedure, ref->isStar != 0, *route))
    m_page.CatalogueChanged(this);
}
