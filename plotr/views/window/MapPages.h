#pragma once

// The map pane's Plan and FMS pages. Their views register a factory here, below the pane that
// builds them, so a page knows the pane only as its parent window; until a view registers, its
// page stays blank.

#include <functional>

#include "plotr/core/PlotrDocument.h"

class wxWindow;

// `tabs` is the pane's tab strip, which a page repaints when the frame's active view moves to or
// from it.
using MapPageFactory = std::function<wxWindow*(wxWindow* parent, IPlotrDocument& document, wxWindow* tabs)>;

// Tab 1 (Plan) or 2 (FMS); other tabs are ignored.
void RegisterMapPage(int tab, MapPageFactory factory);
// The factory registered for a tab, or an empty one.
const MapPageFactory& MapPageFactoryOf(int tab);
