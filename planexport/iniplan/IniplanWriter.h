#pragma once

// Iniplan: everything the plug-in services tell about a plan, in private-profile form (the
// aircraft, each filled airport block with its runways, every waypoint with all its values).

#include "planexport/common/ExportFile.h"
#include "planexport/common/PlanSource.h"

inline constexpr char kIniplanName[] = "Iniplan";

// Reads the plan information itself; 1 when every line was written, 0 when the plan
// information cannot be read or a write failed.
int WriteIniplanPlan(const FlpxPlanSource& plan, CExportFile& file);
