#pragma once

// What the SID/STAR browser's two trees share: the items mirror the nodes of their model one
// for one, each item of a catalogue object owning its 21-byte reference; texts are set when an
// item is made, so painting never reads the catalogue. Keys, colour scheme, centring the map
// and undo and redo of the plan are the same in both.

#include <wx/treectrl.h>

#include <memory>
#include <optional>

#include "plotr/core/CommandIds.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/views/SidStarTreeModel.h"
#include "plotr/views/window/SidStarPage.h"

namespace sidstarwx {

// The reference an item stands for; freed with its item.
class RefItemData : public wxTreeItemData {
 public:
  explicit RefItemData(const SidStarRefClip& ref) : m_ref(ref) {}
  const SidStarRefClip& Ref() const { return m_ref; }

 private:
  SidStarRefClip m_ref;
};

// Command ids of the trees' menus.
inline constexpr int kCmdRunwayToPlan = cmd::kSidStarRunwayToPlan;
inline constexpr int kCmdReplace = cmd::kSidStarReplace;
inline constexpr int kCmdDeleteOnServer = cmd::kSidStarDeleteOnServer;
inline constexpr int kCmdProperties = cmd::kSidStarProperties;
inline constexpr int kCmdCenterMap = cmd::kSidStarCenterMap;

}  // namespace sidstarwx

class CSidStarTreeView : public wxTreeCtrl, public ISidStarView {
 public:
  // `overlay`: the image drawn over an item whose node has its overlay set.
  CSidStarTreeView(wxWindow* parent, wxWindowID id, CSidStarPage& page, int overlay);

  // The reference of an item, none for items that stand for nothing.
  std::optional<SidStarRefClip> RefOf(const wxTreeItemId& item) const;
  std::optional<SidStarRefClip> SelectedRef() const;
  // The item at a model path (child indexes from the top items), invalid when there is none.
  wxTreeItemId ItemAt(const sidstar::NodePath& path) const;
  sidstar::NodePath PathOf(const wxTreeItemId& item) const;
  // Selects the item carrying the reference, found again in the tree as it is now; nothing is
  // selected when it is gone.
  void SelectRef(const std::optional<SidStarRefClip>& ref);
  int Scheme() const { return m_scheme; }
  // The menu of the tree's commands with their enabled states.
  virtual wxMenu* BuildContextMenu() = 0;

 protected:
  // Replaces every item by the model's nodes; redrawing is off meanwhile.
  void Mirror(const std::vector<sidstar::TreeNode>& roots);
  // Adds the node's children under the item; opens the item too when the node is open and
  // `openItem` is set (not while the item's own opening is being handled).
  void AddChildren(const wxTreeItemId& item, const sidstar::TreeNode& node, bool openItem = true);
  // Opens or closes the item as the model says, raising no model event.
  void SetExpanded(const wxTreeItemId& item, bool expanded);
  void CheckScheme();
  // The centre hint for the selected item's place.
  void CenterMap();
  bool CanUndo() const;
  bool CanRedo() const;
  // The plan's undo or redo step; the plan views refill.
  void UndoRedo(bool redo);
  CSidStarStore& Store();
  void ShowStatus(unsigned stringId);
  // A right click on an item with an airport reference: the menu for it, then the selection
  // back as it was unless `keep` holds for the chosen command.
  void RunContextMenu(const wxPoint& at, bool (*keep)(int command));

  CSidStarPage& m_page;
  bool m_syncing = false;  // items opened or closed to follow the model raise no events

 private:
  wxTreeItemId AddNode(const wxTreeItemId& parent, const sidstar::TreeNode& node);
  void OnKeyDown(wxKeyEvent& event);
  void OnChar(wxKeyEvent& event);
  void OnDoubleClick(wxMouseEvent& event);
  void OnFocus(wxFocusEvent& event);

  int m_overlay;
  int m_scheme = -1;
};
