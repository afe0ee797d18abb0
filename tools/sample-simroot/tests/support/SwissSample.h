#pragma once

// The Swiss sample as the planner sees it: its root written to a temporary folder, its database
// built without windows once per test program and loaded into DatabaseLease::HeldDatabase(), and the
// sample's objects found by identifier as plan waypoints.

#include <cstdint>
#include <filesystem>
#include <string>

#include "plotr/plan/PlanPoint.h"

namespace sampletest {

// Builds the Swiss sample root's database once and loads it into DatabaseLease::HeldDatabase(); false with
// the reason when that fails.
bool LoadSwissSample(std::string& error);
// The sample root the database was built from (empty before LoadSwissSample).
std::filesystem::path SwissSampleRoot();

// A database object of the sample: the first shown object of the kind with this identifier, as
// a plan waypoint. Runways are named by their airport's identifier and designator.
PlanPoint SamplePoint(const char* ident, uint16_t kind);
PlanPoint SampleRunway(const char* airport, const char* designator);

}  // namespace sampletest
