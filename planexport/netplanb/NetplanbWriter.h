#pragma once

// Netplanb: the key-value plan a second network pilot client reads to prefill its flight-plan
// form: departure and arrival, time en route, cruising speed and level, and the direct route.

#include "planexport/common/ExportFile.h"
#include "planexport/common/ModuleFrame.h"
#include "planexport/common/PlanSource.h"

inline constexpr char kNetplanbName[] = "Netplanb";

// 1 when every line was written, 0 at the first failed write.
int WriteNetplanbPlan(const FlpxPlanSource& plan, CExportFile& file, const FlpxPlanInfo& info);

// The export entry's flow, with the folder kept in "InitialDir".
int ExportNetplanb(const FlpxCall& call);
