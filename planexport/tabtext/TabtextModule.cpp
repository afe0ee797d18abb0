// Tabtext.so: the text table export, with no options.
#include "planexport/common/ModuleFrame.h"
#include "planexport/tabtext/TabtextWriter.h"

namespace {
int ExportTabtextPlan(void* plan, void* parent);
}

FLPX_DEFINE_MODULE(kTabtextName, nullptr, ExportTabtextPlan)

namespace {

int ExportTabtextPlan(void* plan, void* parent) {
  const FlpxCall call = FlpxModuleCall(plan, parent);
  const FlpxTarget target{"txt", "txt", FlpxTemporaryFolder(), true};
  return FlpxRunExport(call, target, true, [&](CExportFile& file, const FlpxPlanInfo& info) {
    return WriteTabtextPlan(call.Source(), info, file);
  });
}

}  // namespace
