#pragma once

// Netplanc: a colon-separated route file for a network pilot client: departure, destination and
// cruise speed, then each navaid and intersection with its position and, when switched on,
// its crossing speed, crossing altitude, altitude after and the heading after it.

#include "planexport/common/ExportFile.h"
#include "planexport/common/ModuleFrame.h"
#include "planexport/common/PlanSource.h"

inline constexpr char kNetplancName[] = "Netplanc";

struct NetplancOptions {
  bool crossingSpeed = true;
  bool crossingAltitude = true;
  bool altitudeAfter = true;
  bool headingAfter = true;
};

// The four switches of the module's section (each on unless its value begins with '0').
NetplancOptions ReadNetplancOptions(const FlpxCall& call);
void WriteNetplancOptions(const FlpxCall& call, const NetplancOptions& options);

// The header, one line per route point (the plan's last record is never one) and the final
// empty line; 1 when every line was written.
int WriteNetplancRoute(const FlpxPlanSource& plan, const FlpxPlanInfo& info, const NetplancOptions& options,
                       CExportFile& file);

// The export entry's flow: the save dialog first (a cancel returns 1), then the plan checks.
int ExportNetplanc(const FlpxCall& call);
