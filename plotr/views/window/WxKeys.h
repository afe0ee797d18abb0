#pragma once

// The key table applied to wx key events: forwards to the simulator's window what the control
// does not keep, and lets the control have what it does.

#include <wx/event.h>
#include <wx/window.h>

#include "plotr/views/KeyRoute.h"

namespace keys {

Key KeyOf(const wxKeyEvent& event);
// Page Up/Down, Home, End and the arrows: the keys a list keeps for moving through its lines.
bool IsNavigationKey(int keyCode);
// Forwards and skips the event as the table says for `control`.
void RouteKeyEvent(wxWindow* control, wxKeyEvent& event, Control kind, bool readOnly = false);

}  // namespace keys
