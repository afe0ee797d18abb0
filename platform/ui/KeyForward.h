#pragma once
// Keys a module window does not need go on to the simulator's main window, which reads its
// keyboard commands there. The target is the outermost window above the sender, owners
// counted as parents (a module's floating frame is owned by the simulator's window).

#include <wx/event.h>
#include <wx/window.h>

namespace ui {

// The outermost window above `window` (itself when it has no parent).
wxWindow* TopLevelFrame(wxWindow* window);

// Hands a copy of the key event to the top-level frame of `from` and returns whether it was
// handled there. Nothing is sent when `from` is itself that frame.
bool ForwardKeyToHost(wxWindow* from, const wxKeyEvent& event);

// The Alt key pressed in a control that shares the simulator's keyboard makes the top-level
// frame of `from` the active window when another window is, so the key that follows reaches the
// simulator's menus. Any other event does nothing.
void ActivateHostOnAlt(wxWindow* from, const wxKeyEvent& event);

}  // namespace ui
