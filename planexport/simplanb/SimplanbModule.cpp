// Simplanb.so: the previous simulator version's flight-plan file, with the departure-position
// dialog.
#include "planexport/common/ModuleFrame.h"
#include "planexport/simplanb/SimplanbExport.h"
#include "planexport/simpln/window/StartPositionDialog.h"

namespace {
int ExportSimplanbPlan(void* plan, void* parent);
}

FLPX_DEFINE_MODULE(kSimplanbName, nullptr, ExportSimplanbPlan)

namespace {

int ExportSimplanbPlan(void* plan, void* parent) {
  return ExportSimplanb(FlpxModuleCall(plan, parent), StartPositionDlgProc);
}

}  // namespace
