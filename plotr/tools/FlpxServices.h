#pragma once

// The four services the export host writes into a plug-in's import table. The real set reads
// the plan handle as the document's `CFlightPlanCore` and asks the installed tool dialogs for
// the save dialog; tests pass scripted sets to the host instead.

#include "platform/flpx/Flpx.h"

struct FlpxServiceSet {
  FlpxSaveFileDialogFn saveFileDialog = nullptr;
  FlpxGetPlanInfoFn getPlanInfo = nullptr;
  FlpxGetWaypointFn getWaypoint = nullptr;
  FlpxGetStartPositionFn getStartPosition = nullptr;
};

// The save service's message for a chosen path that the plug-in's buffer cannot hold.
inline constexpr char kFlpxPathTooLongText[] =
    "The path of the chosen file is too long to be passed to the export module.\nPlease choose a shorter path.";

// The services over a `CFlightPlanCore*` plan handle and IToolDialogs::RunSaveFileDialog.
const FlpxServiceSet& GetFlpxServices();
