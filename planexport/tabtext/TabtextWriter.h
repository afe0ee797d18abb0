#pragma once

// Tabtext: the plan as a printable text table (a summary block, one numbered row per point with
// frequency, course, leg distance and time, the arrival block, and the total with the fuel).

#include "planexport/common/ExportFile.h"
#include "planexport/common/PlanSource.h"

inline constexpr char kTabtextName[] = "Tabtext";

// 1 when every line was written; 0 on a failed write or a plan that does not start at an
// airport or runway and end at an airport, runway or ILS.
int WriteTabtextPlan(const FlpxPlanSource& plan, const FlpxPlanInfo& info, CExportFile& file);
