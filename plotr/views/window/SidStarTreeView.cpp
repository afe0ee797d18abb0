#include "plotr/views/window/SidStarTreeView.h"

#include <wx/menu.h>
#include <wx/settings.h>

#include <cstring>
#include <mutex>

#include "platform/ui/KeyForward.h"
#include "platform/ui/StringTable.h"
#include "platform/ui/WxText.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/FrameServices.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/views/window/SidStarImages.h"
#include "plotr/views/window/WxKeys.h"

using namespace sidstar;
using sidstarwx::RefItemData;

namespace {

// Colours of the schemes as Windows values 0x00BBGGRR.
wxColour FromColorRef(uint32_t bgr) { return wxColour(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

}  // namespace

CSidStarTreeView::CSidStarTreeView(wxWindow* parent, wxWindowID id, CSidStarPage& page, int overlay)
    : wxTreeCtrl(parent, id, wxDefaultPosition, wxSize(40, 40),
                 wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_HIDE_ROOT | wxTR_SINGLE | wxBORDER_STATIC |
                     wxWANTS_CHARS),
      m_page(page),
      m_overlay(overlay) {
  AddTreeStrings();
  SetFont(wxFont(wxFontInfo(9).Family(wxFONTFAMILY_SWISS)));
  AssignImageList(sidstarwx::CreateBrowserImages(overlay));
  AddRoot(wxEmptyString);
  Bind(wxEVT_KEY_DOWN, &CSidStarTreeView::OnKeyDown, this);
  Bind(wxEVT_KEY_UP, [this](wxKeyEvent& e) { keys::RouteKeyEvent(this, e, keys::Control::kBrowser); });
  Bind(wxEVT_CHAR, &CSidStarTreeView::OnChar, this);
  Bind(wxEVT_LEFT_DCLICK, &CSidStarTreeView::OnDoubleClick, this);
  Bind(wxEVT_SET_FOCUS, &CSidStarTreeView::OnFocus, this);
}

std::optional<SidStarRefClip> CSidStarTreeView::RefOf(const wxTreeItemId& item) const {
  if (!item.IsOk()) return std::nullopt;
  if (const auto* data = dynamic_cast<const RefItemData*>(GetItemData(item))) return data->Ref();
  return std::nullopt;
}

std::optional<SidStarRefClip> CSidStarTreeView::SelectedRef() const { return RefOf(GetSelection()); }

wxTreeItemId CSidStarTreeView::ItemAt(const NodePath& path) const {
  wxTreeItemId item = GetRootItem();
  for (int index : path) {
    if (!item.IsOk() || index < 0) return wxTreeItemId();
    wxTreeItemIdValue cookie;
    wxTreeItemId child = GetFirstChild(item, cookie);
    for (int i = 0; i < index && child.IsOk(); ++i) child = GetNextChild(item, cookie);
    item = child;
  }
  return item;
}

NodePath CSidStarTreeView::PathOf(const wxTreeItemId& item) const {
  NodePath path;
  const wxTreeItemId root = GetRootItem();
  for (wxTreeItemId at = item; at.IsOk() && at != root; at = GetItemParent(at)) {
    int index = 0;
    for (wxTreeItemId before = GetPrevSibling(at); before.IsOk(); before = GetPrevSibling(before)) ++index;
    path.insert(path.begin(), index);
  }
  return path;
}

void CSidStarTreeView::SelectRef(const std::optional<SidStarRefClip>& ref) {
  wxTreeItemId found;
  if (ref) {
    // Found again by what it stands for: the tree may have been rebuilt since it was noted.
    std::vector<wxTreeItemId> stack{GetRootItem()};
    while (!stack.empty() && !found.IsOk()) {
      const wxTreeItemId item = stack.back();
      stack.pop_back();
      const auto r = RefOf(item);
      if (r && std::memcmp(&*r, &*ref, sizeof *r) == 0) {
        found = item;
        break;
      }
      std::vector<wxTreeItemId> children;
      wxTreeItemIdValue cookie;
      for (wxTreeItemId c = GetFirstChild(item, cookie); c.IsOk(); c = GetNextChild(item, cookie)) children.push_back(c);
      stack.insert(stack.end(), children.rbegin(), children.rend());
    }
  }
  if (found.IsOk()) {
    SelectItem(found);
  } else {
    Unselect();
  }
}

void CSidStarTreeView::Mirror(const std::vector<TreeNode>& roots) {
  m_syncing = true;
  Freeze();
  DeleteChildren(GetRootItem());
  for (const TreeNode& node : roots) AddNode(GetRootItem(), node);
  Thaw();
  m_syncing = false;
}

wxTreeItemId CSidStarTreeView::AddNode(const wxTreeItemId& parent, const TreeNode& node) {
  const int image = sidstarwx::WithOverlay(node.image, node.overlay && m_overlay >= 0);
  const wxTreeItemId item = AppendItem(parent, ui::FromCp1252(node.text), image, -1,
                                       node.hasRef ? new RefItemData(node.ref) : nullptr);
  if (node.bold) SetItemBold(item);
  AddChildren(item, node);
  return item;
}

void CSidStarTreeView::AddChildren(const wxTreeItemId& item, const TreeNode& node, bool openItem) {
  const bool syncing = m_syncing;
  m_syncing = true;
  for (const TreeNode& child : node.children) AddNode(item, child);
  SetItemHasChildren(item, node.hasButton || !node.children.empty());
  if (openItem && node.expanded && ItemHasChildren(item)) Expand(item);
  m_syncing = syncing;
}

void CSidStarTreeView::SetExpanded(const wxTreeItemId& item, bool expanded) {
  if (!item.IsOk()) return;
  const bool syncing = m_syncing;
  m_syncing = true;
  if (expanded)
    Expand(item);
  else
    Collapse(item);
  m_syncing = syncing;
}

void CSidStarTreeView::CheckScheme() {
  const int scheme = g_Settings.GetColorScheme(false);
  if (scheme == m_scheme) return;
  m_scheme = scheme;
  const uint32_t back = scheme == 0 ? 0xFFFFFF : scheme == 1 ? 0x400000 : 0x000000;
  const uint32_t text = scheme == 0 ? 0x000000 : 0xC0C0C0;
  SetBackgroundColour(FromColorRef(back));
  SetForegroundColour(FromColorRef(text));
  Refresh();
}

CSidStarStore& CSidStarTreeView::Store() { return SidStarStoreOf(m_page.Document().GetPlan()); }

void CSidStarTreeView::CenterMap() {
  const auto ref = SelectedRef();
  if (!ref) return;
  if (const CRoute* route = m_page.Document().GetPlan().GetCurrent(); route && ref->airport >= 0 &&
                                                                       ref->airport < Store().GetAirportCount())
    Store().LoadAirport(ref->airport, *route);
  const auto at = CenterOf(Store(), *ref);
  if (!at) return;
  CCenterHint hint{at->latitude, at->longitude, 1};
  m_page.Broadcast(this, kHintCenter, &hint);
}

bool CSidStarTreeView::CanUndo() const { return m_page.Document().GetPlan().CanUndo(); }
bool CSidStarTreeView::CanRedo() const { return m_page.Document().GetPlan().CanRedo(); }

void CSidStarTreeView::UndoRedo(bool redo) {
  CFlightPlanCore& plan = m_page.Document().GetPlan();
  if (redo ? !plan.CanRedo() : !plan.CanUndo()) return;
  const uint8_t modified = redo ? planedit::RedoLocked(plan) : planedit::UndoLocked(plan);
  m_page.Document().SetPlanModified(modified != 0);
  planedit::Refresh(plan);
  m_page.Broadcast(this, kHintPlanChanged);
}

void CSidStarTreeView::ShowStatus(unsigned stringId) {
  IFrameServices* main = GetFrameServices();
  if (main == nullptr) return;
  if (stringId == 0) {
    main->ShowIdleStatus();
    return;
  }
  const std::string text = ui::LoadString(stringId);
  main->ShowStatusText(text);
}

void CSidStarTreeView::RunContextMenu(const wxPoint& at, bool (*keep)(int command)) {
  int flags = 0;
  const wxTreeItemId item = HitTest(at, flags);
  const auto ref = RefOf(item);
  if (!ref || ref->airport < 0) return;
  const auto remembered = SelectedRef();
  SelectItem(item);
  std::unique_ptr<wxMenu> menu(BuildContextMenu());
  const int chosen = GetPopupMenuSelectionFromUser(*menu, at.x, at.y - wxSystemSettings::GetMetric(wxSYS_MENU_Y) / 2);
  if (chosen != wxID_NONE) {
    wxCommandEvent command(wxEVT_MENU, chosen);
    command.SetEventObject(this);
    GetEventHandler()->ProcessEvent(command);
  }
  // The commands that rebuild the tree leave the clicked item selected; otherwise the item
  // selected before comes back, found again by its reference.
  if (chosen == wxID_NONE || !keep(chosen)) SelectRef(remembered);
}

void CSidStarTreeView::OnKeyDown(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.ShiftDown()) CenterMap();
  keys::RouteKeyEvent(this, event, keys::Control::kBrowser);
}

void CSidStarTreeView::OnChar(wxKeyEvent& event) {
  // Moving through the items stays with the tree; characters go on to the simulator only, so
  // there is no incremental search.
  switch (event.GetKeyCode()) {
    case WXK_UP:
    case WXK_DOWN:
    case WXK_LEFT:
    case WXK_RIGHT:
    case WXK_PAGEUP:
    case WXK_PAGEDOWN:
    case WXK_HOME:
    case WXK_END:
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    case WXK_ADD:
    case WXK_SUBTRACT:
    case WXK_NUMPAD_ADD:
    case WXK_NUMPAD_SUBTRACT:
      event.Skip();
      return;
    default:
      ui::ForwardKeyToHost(this, event);
      return;
  }
}

void CSidStarTreeView::OnDoubleClick(wxMouseEvent& event) {
  int flags = 0;
  const wxTreeItemId item = HitTest(event.GetPosition(), flags);
  if (item.IsOk() && item == GetSelection() && !ItemHasChildren(item)) {
    CenterMap();
    return;
  }
  event.Skip();
}

void CSidStarTreeView::OnFocus(wxFocusEvent& event) {
  event.Skip();
  m_page.RepaintOwner();
}
