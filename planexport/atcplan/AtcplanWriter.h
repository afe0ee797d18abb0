#pragma once

// Atcplan: the plan file of an air-traffic-control add-on: the airport ids and the holding fix,
// a flight-plan block with the title and the description in lines of at most 80 characters,
// fixed controller frequencies and tolerances, the airports' positions, one checkpoint per
// en-route point and the runways open for departure and arrival.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "planexport/atcplan/AtcDetailsModel.h"
#include "planexport/common/ExportFile.h"
#include "planexport/common/ModuleFrame.h"
#include "planexport/common/PlanSource.h"

inline constexpr char kAtcplanName[] = "Atcplan";

// What the backward pass over the plan finds.
struct AtcRoute {
  double highestAltitude = 0;  // feet, over every record
  int checkpointCount = 0;     // points that are not climb or descent points, less the two ends
  std::string holdId;          // the id of the last such point but one
};

// False when the plan has fewer than two points that are not climb or descent points.
bool ReadAtcRoute(const FlpxPlanSource& plan, AtcRoute& route);

// The add-on's runway number: a last C, L or R becomes 2, 1 or 3, anything else gets a 0
// appended ("27L" is "271", "09" is "090").
std::string ConvertRunwayId(std::string_view id);

// The description in the pieces of its "Description" lines: each at most 80 characters, broken
// before the last blank within reach, or after 80 characters when there is none; the blank at
// a break starts the next piece.
std::vector<std::string_view> DescriptionChunks(std::string_view description);

// 1 when every line was written.
int WriteAtcCheckpoints(const FlpxPlanSource& plan, CExportFile& file);
int WriteAtcplanPlan(const FlpxPlanSource& plan, const AtcRoute& route, const AtcDetails& details, CExportFile& file);

// Shows the export-options dialog over the model (a window over `parent`, with `caption`); 1
// after OK, with the model's details set. Any other result cancels.
using AtcDetailsDialog = std::function<int(AtcDetailsModel& model, void* parent, const std::string& caption)>;

// 0 for a plan of fewer than two points or without both airports (before any dialog), or
// when a write failed; 1 when written or cancelled.
int ExportAtcplan(const FlpxCall& call, const AtcDetailsDialog& dialog);
