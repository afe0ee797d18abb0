#include "platform/ui/KeyForward.h"

namespace ui {

wxWindow* TopLevelFrame(wxWindow* window) {
  if (window == nullptr) return nullptr;
  while (wxWindow* parent = window->GetParent()) window = parent;
  return window;
}

bool ForwardKeyToHost(wxWindow* from, const wxKeyEvent& event) {
  wxWindow* top = TopLevelFrame(from);
  if (top == nullptr || top == from) return false;
  wxKeyEvent copy(event);
  copy.SetEventObject(from);
  // The host sees the key as its own, not as one bubbling up from a child.
  copy.StopPropagation();
  return top->GetEventHandler()->ProcessEvent(copy);
}

void ActivateHostOnAlt(wxWindow* from, const wxKeyEvent& event) {
  if (event.GetEventType() != wxEVT_KEY_DOWN || event.GetKeyCode() != WXK_ALT) return;
  wxWindow* top = TopLevelFrame(from);
  if (top == nullptr || top == from || !top->IsTopLevel()) return;
  // The active window is the top-level window that holds the keyboard focus.
  if (wxGetTopLevelParent(wxWindow::FindFocus()) == top) return;
  top->Raise();
}

}  // namespace ui
