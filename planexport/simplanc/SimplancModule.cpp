// Simplanc.so: the newest simulator's flight-plan file, with the departure-position dialog.
#include <wx/stdpaths.h>

#include "planexport/common/ModuleFrame.h"
#include "planexport/simplanc/SimplancExport.h"
#include "planexport/simpln/window/StartPositionDialog.h"

namespace {
int ExportSimplancPlan(void* plan, void* parent);
}

FLPX_DEFINE_MODULE(kSimplancName, nullptr, ExportSimplancPlan)

namespace {

int ExportSimplancPlan(void* plan, void* parent) {
  // Read, never created: the simulator makes its folder when it first saves a plan.
  const std::string documents = wxStandardPaths::Get().GetDocumentsDir().utf8_string();
  return ExportSimplanc(FlpxModuleCall(plan, parent), documents, StartPositionDlgProc);
}

}  // namespace
