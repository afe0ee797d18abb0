#include "plotr/views/window/SidStar1TreeView.h"

#include <wx/datetime.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include "platform/inet/Inet.h"
#include "platform/ui/MenuStates.h"
#include "platform/ui/StringTable.h"
#include "platform/ui/WxText.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/FrameServices.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/Route.h"
#include "plotr/tools/SidStarServer.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/views/ClipFormats.h"
#include "plotr/views/window/WxClip.h"

using namespace sidstar;
using namespace sidstarwx;

namespace {

std::string LocaleDate(int year, int month, int day) {
  return ui::ToCp1252(wxDateTime(static_cast<wxDateTime::wxDateTime_t>(day), static_cast<wxDateTime::Month>(month - 1), year)
                          .FormatDate());
}

bool KeepsClickedItem(int command) {
  return command == kCmdRunwayToPlan || command == kCmdDeleteOnServer || command == kCmdCenterMap ||
         command == cmd::kEditDelete;
}

}  // namespace

std::function<bool()>& CSidStar1TreeView::ConnectionTest() {
  static std::function<bool()> test = [] { return inet::TestInternetConnection(); };
  return test;
}

CSidStar1TreeView::CSidStar1TreeView(wxWindow* parent, wxWindowID id, CSidStarPage& page)
    : CSidStarTreeView(parent, id, page, kImageChanged) {
  clip::AddDragStatusStrings();
  SetName("SidStarAirports");
  Bind(wxEVT_TREE_ITEM_EXPANDING, &CSidStar1TreeView::OnExpanding, this);
  Bind(wxEVT_TREE_ITEM_COLLAPSED, &CSidStar1TreeView::OnCollapsed, this);
  Bind(wxEVT_TREE_BEGIN_DRAG, &CSidStar1TreeView::OnBeginDrag, this);
  Bind(wxEVT_TREE_ITEM_MENU, &CSidStar1TreeView::OnItemMenu, this);
  for (int id : {kCmdRunwayToPlan, kCmdDeleteOnServer, kCmdCenterMap, cmd::kEditDelete, cmd::kEditUndo, cmd::kEditRedo}) {
    Bind(wxEVT_MENU, &CSidStar1TreeView::OnCommand, this, id);
    Bind(wxEVT_UPDATE_UI, &CSidStar1TreeView::OnUpdateCommand, this, id);
  }
}

void CSidStar1TreeView::OnSidStarUpdate(const UpdateHint& hint) {
  if (hint.bits == 0 || (hint.bits & kHintPeriodic) != 0) CheckScheme();
  if (hint.bits == 0 || (hint.bits & kHintSidStarCatalogue) != 0) Rebuild();
}

void CSidStar1TreeView::Rebuild() {
  wxBusyCursor wait;
  const CRoute* route = m_page.Document().GetPlan().GetCurrent();
  if (route == nullptr) return;
  const NodePath selected = m_model.Rebuild(Store(), *route, LocaleDate);
  Mirror(m_model.Roots());
  const wxTreeItemId item = ItemAt(selected);
  if (item.IsOk()) {
    SelectItem(item);
    EnsureVisible(item);
  }
}

void CSidStar1TreeView::OnExpanding(wxTreeEvent& event) {
  if (m_syncing) return;
  const CRoute* route = m_page.Document().GetPlan().GetCurrent();
  if (route == nullptr) return;
  const wxTreeItemId item = event.GetItem();
  const NodePath path = PathOf(item);
  const CAirportTreeModel::ExpandResult result = m_model.Expand(path, Store(), *route, LocaleDate);
  Freeze();
  for (const NodePath& closed : result.collapsed) SetExpanded(ItemAt(closed), false);
  if (result.childrenAdded) {
    if (const TreeNode* node = NodeAt(m_model.Roots(), path)) AddChildren(item, *node, false);
  }
  Thaw();
}

void CSidStar1TreeView::OnCollapsed(wxTreeEvent& event) {
  if (m_syncing) return;
  if (!m_model.Collapse(PathOf(event.GetItem()), Store())) return;
  // The folder was read again; the tree is rebuilt once this event is over, since its items
  // cannot go while the tree is still reporting on one of them.
  CallAfter([this] { m_page.CatalogueChanged(this); });
}

bool CSidStar1TreeView::ResolveRunway(const std::optional<SidStarRefClip>& ref, CRoute& scratch) {
  if (!ref || !IsProcedureRef(*ref)) return false;
  scratch.m_points.clear();
  return Store().InsertProcedureRunway(scratch, ref->isStar != 0, ref->airport, ref->group, ref->procedure) &&
         scratch.GetCount() > 0;
}

void CSidStar1TreeView::OnBeginDrag(wxTreeEvent& event) {
  CRoute scratch;
  if (!ResolveRunway(RefOf(event.GetItem()), scratch)) return;
  ShowStatus(6035);
  clip::RunDrag(this, clip::ClipData{{clip::kFullPoint, clip::WriteFullPoint(scratch[0].ref)}}, true);
  ShowStatus(0);
}

void CSidStar1TreeView::OnItemMenu(wxTreeEvent& event) {
  RunContextMenu(event.GetPoint(), KeepsClickedItem);
}

wxMenu* CSidStar1TreeView::BuildContextMenu() {
  auto* menu = new wxMenu;
  menu->Append(kCmdRunwayToPlan, "&To Flightplan");
  menu->AppendSeparator();
  menu->Append(cmd::kEditDelete, "&Delete...\tDel");
  // Only editors keep the server command.
  if (g_Settings.IsSidStarEditor()) menu->Append(kCmdDeleteOnServer, "Delete on &Server...");
  menu->AppendSeparator();
  menu->Append(kCmdCenterMap, "C&enter Map\tReturn");
  ui::ApplyMenuStates(*menu, this, [this](wxUpdateUIEvent& update) { OnUpdateCommand(update); });
  return menu;
}

void CSidStar1TreeView::OnUpdateCommand(wxUpdateUIEvent& event) {
  const auto ref = SelectedRef();
  switch (event.GetId()) {
    case kCmdRunwayToPlan: {
      CRoute scratch;
      event.Enable(ResolveRunway(ref, scratch));
      return;
    }
    case cmd::kEditDelete:
    case kCmdDeleteOnServer: event.Enable(ref && IsAirportRef(*ref)); return;
    case cmd::kEditUndo: event.Enable(CanUndo()); return;
    case cmd::kEditRedo: event.Enable(CanRedo()); return;
    case kCmdCenterMap: event.Enable(ref && (IsAirportRef(*ref) || ref->procedure >= 0)); return;
    default: event.Enable(false); return;
  }
}

void CSidStar1TreeView::OnCommand(wxCommandEvent& event) {
  wxUpdateUIEvent update(event.GetId());
  OnUpdateCommand(update);
  if (update.GetSetEnabled() && !update.GetEnabled()) return;
  switch (event.GetId()) {
    case kCmdRunwayToPlan: AddRunway(); break;
    case cmd::kEditDelete: DeleteAirport(); break;
    case kCmdDeleteOnServer: DeleteOnServer(); break;
    case kCmdCenterMap: CenterMap(); break;
    case cmd::kEditUndo: UndoRedo(false); break;
    case cmd::kEditRedo: UndoRedo(true); break;
    default: break;
  }
}

void CSidStar1TreeView::AddRunway() {
  CRoute scratch;
  if (!ResolveRunway(SelectedRef(), scratch)) return;
  CFlightPlanCore& plan = m_page.Document().GetPlan();
  planedit::AppendPoints(plan, scratch, false);
  m_page.Document().SetPlanModified(true);
  m_page.Broadcast(nullptr, kHintPlanChanged);
  planedit::ClearNewFlags(plan);
}

void CSidStar1TreeView::DeleteAirport() {
  const auto ref = SelectedRef();
  const CRoute* route = m_page.Document().GetPlan().GetCurrent();
  if (!ref || !IsAirportRef(*ref) || route == nullptr) return;
  if (Store().DeleteWithPrompt(ref->airport, -1, ref->procedure, ref->isStar != 0, *route))
    m_page.CatalogueChanged(this);
}

void CSidStar1TreeView::DeleteOnServer() {
  const auto ref = SelectedRef();
  const CRoute* route = m_page.Document().GetPlan().GetCurrent();
  if (!ref || !IsAirportRef(*ref) || route == nullptr) return;
  IFrameServices* main = GetFrameServices();
  if (main != nullptr) main->BeginModalState();
  const bool online = ConnectionTest()();
  if (main != nullptr) main->EndModalState();
  if (!online) return;
  ServerDelete result;
  {
    wxBusyCursor wait;
    result = DeleteAirportOnServer(Store(), ref->airport, *route,
                                   SidStarServerOptions::FromSettings(Store().GetFolder()));
  }
  if (result == ServerDelete::kDeleted) m_page.CatalogueChanged(this);
}
