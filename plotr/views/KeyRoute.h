#pragma once

// Which keys a module window keeps and which go on to the simulator's window, so the simulator
// keeps its keyboard while a pane has the focus. One table for the views (map, FMS panel), the
// SID/STAR browser's trees and description, the search pane's three controls and the plan lists
// (which keep keys as the search list does).

namespace keys {

// kBrowser: the SID/STAR browser's views, which keep their arrows for moving through the items.
enum class Control { kView, kBrowser, kNavButton, kNavEdit, kNavListBox };
enum class Key { kCancel, kNavigation, kEnter, kBackspace, kSpace, kOther };

struct Route {
  bool forward = false;  // sent to the top-level frame first
  bool handle = false;   // then handled by the control
  bool operator==(const Route&) const = default;
};

// `docked`: the main frame is docked; `readOnly`: the search edit is passive.
Route RouteKey(Control control, Key key, bool docked, bool shift, bool ctrl, bool readOnly);

}  // namespace keys
