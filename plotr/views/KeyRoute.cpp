#include "plotr/views/KeyRoute.h"

namespace keys {
namespace {

constexpr Route kForwardOnly{true, false};
constexpr Route kHandleOnly{false, true};
constexpr Route kBoth{true, true};

Route ViewKey(Key key, bool docked, bool shift, bool ctrl) {
  switch (key) {
    case Key::kCancel: return kForwardOnly;
    case Key::kNavigation: return docked && (ctrl || shift) ? kHandleOnly : kBoth;
    case Key::kEnter:
    case Key::kBackspace: return docked || !shift ? kHandleOnly : kBoth;
    default: return kBoth;
  }
}

}  // namespace

Route RouteKey(Control control, Key key, bool docked, bool shift, bool ctrl, bool readOnly) {
  if (control == Control::kView) return ViewKey(key, docked, shift, ctrl);
  if (control == Control::kBrowser) return key == Key::kNavigation ? kHandleOnly : ViewKey(key, docked, shift, ctrl);
  if (key == Key::kCancel) return kForwardOnly;
  switch (control) {
    case Control::kNavButton:
      if (key == Key::kSpace) return kHandleOnly;
      if (key == Key::kOther) return kBoth;
      return docked ? kHandleOnly : kForwardOnly;
    case Control::kNavEdit:
      if (key == Key::kNavigation || key == Key::kBackspace) return !docked && readOnly ? kForwardOnly : kHandleOnly;
      if (key == Key::kEnter) return !docked && readOnly && shift ? kForwardOnly : kHandleOnly;
      return readOnly ? kBoth : kHandleOnly;
    case Control::kNavListBox:
      if (key == Key::kNavigation) return kHandleOnly;
      if (key == Key::kEnter || key == Key::kBackspace) return !docked && shift ? kBoth : kHandleOnly;
      return kBoth;
    case Control::kView:
    case Control::kBrowser: break;
  }
  return kBoth;
}

}  // namespace keys
