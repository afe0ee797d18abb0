// Netplanb.so: the second network client's flight plan, and the information dialog.
#include "planexport/common/ModuleFrame.h"
#include "planexport/netplanb/NetplanbWriter.h"

#ifdef FLPX_WITH_DIALOGS
#include "planexport/common/window/AboutDialog.h"
#endif

namespace {
int ExportPlanWithInitialDir(void* plan, void* parent);
#ifdef FLPX_WITH_DIALOGS
int ShowNetplanbInformation(void* hostContext, void* parent);
#else
constexpr FlpxConfigureFn ShowNetplanbInformation = nullptr;
#endif
}  // namespace

FLPX_DEFINE_MODULE(kNetplanbName, ShowNetplanbInformation, ExportPlanWithInitialDir)

namespace {

int ExportPlanWithInitialDir(void* plan, void* parent) { return ExportNetplanb(FlpxModuleCall(plan, parent)); }

#ifdef FLPX_WITH_DIALOGS
int ShowNetplanbInformation(void* /*hostContext*/, void* parent) {
  return ShowAboutDialog(parent, kNetplanbName,
                         FlpxAboutText({"Departure Aerport",
                                        "Arrival Airport",
                                        "Enroute Flight Time",
                                        "Cruising Airspeed",
                                        "Cruising Altitude",
                                        "Route"}));
}
#endif

}  // namespace
