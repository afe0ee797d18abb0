#pragma once

// The simulator's flight-plan file: one "[flightplan]" section of key=value lines with the two
// airports, the cruising altitude, the departure position and one numbered line per waypoint.
// Simplanc and Simplanb write the position the user chose; Simplana, for the oldest simulator,
// writes the departure runway itself and an empty alternate.

#include <string_view>

#include "planexport/common/ExportFile.h"
#include "planexport/common/PlanSource.h"

// 1 when every line was written.
int WriteSimPlnPlan(const FlpxPlanSource& plan, CExportFile& file, const FlpxPlanInfo& info,
                    std::string_view startPosition);
int WriteSimplanaPlan(const FlpxPlanSource& plan, CExportFile& file, const FlpxPlanInfo& info);
