#pragma once
// A pop-up menu takes its items' states from the window's own update handler before it shows:
// the handler that keeps tool bars and menus current decides there too.

#include <wx/menu.h>

#include <functional>

namespace ui {

inline void ApplyMenuStates(wxMenu& menu, wxObject* source, const std::function<void(wxUpdateUIEvent&)>& update) {
  for (wxMenuItem* item : menu.GetMenuItems()) {
    if (item->IsSeparator()) continue;
    wxUpdateUIEvent event(item->GetId());
    event.SetEventObject(source);
    update(event);
    if (event.GetSetEnabled()) item->Enable(event.GetEnabled());
    if (item->IsCheckable() && event.GetSetChecked()) item->Check(event.GetChecked());
  }
}

}  // namespace ui
