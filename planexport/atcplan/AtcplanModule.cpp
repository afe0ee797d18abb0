// Atcplan.so: the ATC add-on's plan, with its export-options dialog.
#include "planexport/atcplan/AtcplanWriter.h"
#include "planexport/atcplan/window/AtcDetailsDialog.h"
#include "planexport/common/ModuleFrame.h"

namespace {
int ExportAtcplanPlan(void* plan, void* parent);
}

FLPX_DEFINE_MODULE(kAtcplanName, nullptr, ExportAtcplanPlan)

namespace {

int ExportAtcplanPlan(void* plan, void* parent) { return ExportAtcplan(FlpxModuleCall(plan, parent), AtcDetailsDlgProc); }

}  // namespace
