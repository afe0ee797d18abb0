// Iniplan.so: the complete plan in private-profile form, with no options.
#include "planexport/common/ModuleFrame.h"
#include "planexport/iniplan/IniplanWriter.h"

namespace {
int ExportIniplanPlan(void* plan, void* parent);
}

FLPX_DEFINE_MODULE(kIniplanName, nullptr, ExportIniplanPlan)

namespace {

int ExportIniplanPlan(void* plan, void* parent) {
  const FlpxCall call = FlpxModuleCall(plan, parent);
  const FlpxTarget target{"ini", "ini", "", true};
  return FlpxRunExport(call, target, false,
                       [&](CExportFile& file, const FlpxPlanInfo&) { return WriteIniplanPlan(call.Source(), file); });
}

}  // namespace
