#pragma once
// The image of every tool button: the desktop theme's for the common commands, the planner's
// own drawn by the map's painters, each sharp at the screen's scale.

#include <wx/bmpbndl.h>
#include <wx/gdicmn.h>

// The image of `command` at `size` (the bar's image size at 96 dpi), with the twice-size
// image beside it; an empty bundle for a command with no image.
wxBitmapBundle ToolBarImage(int command, const wxSize& size);
