// Gpsplan.so: the GPS add-on's flight program, and its options dialog.
#include "planexport/common/ModuleFrame.h"
#include "planexport/gpsplan/GpsplanWriter.h"

#ifdef FLPX_WITH_DIALOGS
#include "planexport/common/window/OptionsDialog.h"
#endif

namespace {
int ExportGpsplanProgram(void* plan, void* parent);
#ifdef FLPX_WITH_DIALOGS
int ShowGpsOptions(void* hostContext, void* parent);
#else
constexpr FlpxConfigureFn ShowGpsOptions = nullptr;
#endif
}  // namespace

FLPX_DEFINE_MODULE(kGpsplanName, ShowGpsOptions, ExportGpsplanProgram)

namespace {

int ExportGpsplanProgram(void* plan, void* parent) { return ExportGpsplan(FlpxModuleCall(plan, parent)); }

#ifdef FLPX_WITH_DIALOGS
int ShowGpsOptions(void* hostContext, void* parent) {
  const FlpxCall call = FlpxModuleCall(hostContext, parent);
  bool toFile = call.SwitchOn("ToFile", "0");
  const int result = RunOptionsDialog(parent, FlpxCaption(kGpsplanName, "Export Options"), nullptr,
                                      {{1000, "&Export to flight plan file", &toFile}});
  if (result == 1) call.WriteSwitch("ToFile", toFile);
  return result;
}
#endif

}  // namespace
