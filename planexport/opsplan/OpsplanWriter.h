#pragma once

// Opsplan: the key-value plan a flight-operations planner reads to prefill its flight-plan
// form: departure and destination, the direct route, airspeed, level or altitude and the
// time en route as a slot.

#include "planexport/common/ExportFile.h"
#include "planexport/common/ModuleFrame.h"
#include "planexport/common/PlanSource.h"

inline constexpr char kOpsplanName[] = "Opsplan";

// 1 when every line was written, 0 at the first failed write.
int WriteOpsplanPlan(const FlpxPlanSource& plan, CExportFile& file, const FlpxPlanInfo& info);

// The export entry's flow, with the folder kept in "InitialDir".
int ExportOpsplan(const FlpxCall& call);
