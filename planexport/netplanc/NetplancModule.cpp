// Netplanc.so: the network client's route file with crossing data, and its options dialog.
#include "planexport/common/ModuleFrame.h"
#include "planexport/netplanc/NetplancWriter.h"

#ifdef FLPX_WITH_DIALOGS
#include "planexport/common/window/OptionsDialog.h"
#endif

namespace {
int ExportNetplancPlan(void* plan, void* parent);
#ifdef FLPX_WITH_DIALOGS
int ShowCrossingOptions(void* hostContext, void* parent);
#else
constexpr FlpxConfigureFn ShowCrossingOptions = nullptr;
#endif
}  // namespace

FLPX_DEFINE_MODULE(kNetplancName, ShowCrossingOptions, ExportNetplancPlan)

namespace {

int ExportNetplancPlan(void* plan, void* parent) { return ExportNetplanc(FlpxModuleCall(plan, parent)); }

#ifdef FLPX_WITH_DIALOGS
int ShowCrossingOptions(void* hostContext, void* parent) {
  const FlpxCall call = FlpxModuleCall(hostContext, parent);
  NetplancOptions o = ReadNetplancOptions(call);
  const int result = RunOptionsDialog(parent, FlpxCaption(kNetplancName, "Export Options"), "Additional Data",
                                      {{1000, "Crossing &Speed", &o.crossingSpeed},
                                       {1001, "Crossing &Altitude", &o.crossingAltitude},
                                       {1002, "Altit&ude after", &o.altitudeAfter},
                                       {1003, "&Heading after", &o.headingAfter}});
  if (result == 1) WriteNetplancOptions(call, o);
  return result;
}
#endif

}  // namespace
