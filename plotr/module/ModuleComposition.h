#pragma once
// What the module's init entry does once it has found the simulator's window, apart from the
// library's entry records, so window tests start the planner exactly as the simulator does.

class wxWindow;

// Registers every pane, printer and page, then hooks the simulator's main window `host` and
// creates the module's windows. False when the module stays without windows.
bool StartModule(wxWindow* host);
