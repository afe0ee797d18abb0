#pragma once

// The four services the export host writes into a plug-in's import table. The real set reads
// the plan handle as the document's `CFlightPlanCore` and asks the dialogs of the export that
// runs for the save dialog; tests pass scripted sets to the host instead.

#include "platform/flpx/Flpx.h"
#include "plotr/plan/PlanUi.h"

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

// The plug-in's save call carries no plan handle, so an export names the dialogs and message
// boxes the save service uses for as long as this lives; outside one the save is cancelled.
class FlpxSaveDialogScope {
 public:
  explicit FlpxSaveDialogScope(const PlanUiServices& ui);
  ~FlpxSaveDialogScope();
  FlpxSaveDialogScope(const FlpxSaveDialogScope&) = delete;
  FlpxSaveDialogScope& operator=(const FlpxSaveDialogScope&) = delete;

 private:
  PlanUiServices m_previous;
};
