#include "plotr/views/window/WxKeys.h"

#include "platform/ui/KeyForward.h"
#include "plotr/core/FrameServices.h"

namespace keys {

bool IsNavigationKey(int keyCode) {
  switch (keyCode) {
    case WXK_PAGEUP:
    case WXK_PAGEDOWN:
    case WXK_HOME:
    case WXK_END:
    case WXK_LEFT:
    case WXK_RIGHT:
    case WXK_UP:
    case WXK_DOWN: return true;
    default: return false;
  }
}

Key KeyOf(const wxKeyEvent& event) {
  if (IsNavigationKey(event.GetKeyCode())) return event.GetEventType() == wxEVT_CHAR ? Key::kOther : Key::kNavigation;
  switch (event.GetKeyCode()) {
    case WXK_CANCEL: return Key::kCancel;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER: return Key::kEnter;
    case WXK_BACK: return Key::kBackspace;
    case WXK_SPACE: return Key::kSpace;
    default: return Key::kOther;
  }
}

void RouteKeyEvent(wxWindow* control, wxKeyEvent& event, Control kind, bool readOnly) {
  const IFrameServices* frame = GetFrameServices();
  const bool docked = frame != nullptr && frame->IsDocked();
  if (kind == Control::kNavButton || kind == Control::kNavEdit || kind == Control::kNavListBox)
    ui::ActivateHostOnAlt(control, event);
  const Route route = RouteKey(kind, KeyOf(event), docked, event.ShiftDown(), event.ControlDown(), readOnly);
  if (route.forward) ui::ForwardKeyToHost(control, event);
  if (route.handle) event.Skip();
}

}  // namespace keys
