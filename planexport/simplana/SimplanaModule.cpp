// Simplana.so: the oldest simulator's flight-plan file, with no options and no dialog of its own.
#include "planexport/common/ModuleFrame.h"
#include "planexport/simplana/SimplanaExport.h"

namespace {
int ExportSimplanaPlan(void* plan, void* parent);
}

FLPX_DEFINE_MODULE(kSimplanaName, nullptr, ExportSimplanaPlan)

namespace {

int ExportSimplanaPlan(void* plan, void* parent) { return ExportSimplana(FlpxModuleCall(plan, parent)); }

}  // namespace
