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

}  // namespace ui
