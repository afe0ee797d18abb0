// Opsplan.so: the operations planner's flight plan, and the information dialog.
#include "planexport/common/ModuleFrame.h"
#include "planexport/opsplan/OpsplanWriter.h"

#ifdef FLPX_WITH_DIALOGS
#include "planexport/common/window/AboutDialog.h"
#endif

namespace {
int ExportPlanWithInitialDir(void* plan, void* parent);
#ifdef FLPX_WITH_DIALOGS
int ShowOpsplanInformation(void* hostContext, void* parent);
#else
constexpr FlpxConfigureFn ShowOpsplanInformation = nullptr;
#endif
}  // namespace

FLPX_DEFINE_MODULE(kOpsplanName, ShowOpsplanInformation, ExportPlanWithInitialDir)

namespace {

int ExportPlanWithInitialDir(void* plan, void* parent) { return ExportOpsplan(FlpxModuleCall(plan, parent)); }

#ifdef FLPX_WITH_DIALOGS
int ShowOpsplanInformation(void* /*hostContext*/, void* parent) {
  return ShowAboutDialog(parent, kOpsplanName,
                         FlpxAboutText({"Departure Aerport",
                                        "Arrival Airport",
                                        "Airspeed (TAS)",
                                        "Flight Level / Altitude",
                                        "Route",
                                        "EET"}));
}
#endif

}  // namespace
