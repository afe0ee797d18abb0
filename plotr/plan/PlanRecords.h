#pragma once

// The plan as the export plug-ins read it: the plan information (aircraft, departure and arrival
// airports with their runways), the departure airport's start positions one by one, and the
// computed rows one by one, each filled into a size-prefixed record the caller owns. The plan
// object keeps the two cursors and the start-position list; these functions take them by
// reference so the plan's own entry points stay one-line forwards. All take a DatabaseLease.

#include <cstdint>
#include <vector>

#include "platform/flpx/Flpx.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/Route.h"

// Radius within which an airport, its ATIS and its runways belong together.
inline constexpr double kAirportInfoRadius = 7000.0;

// 1 when filled; 0 (record untouched) for a null record or a size field other than 3323.
int GetPlanInfo(const CRoute& route, FlpxPlanInfo* info);
// Fills the block from the airport nearest to the position (within 7000 m); leaves it unchanged
// when there is none.
void FillAirportInfo(const CRoute& route, FlpxAirportInfo& block, double latitude, double longitude);
// 1 with the entry at the moved cursor; 0 at the end (the list is emptied and the cursor reset),
// without a departure and arrival airport, or for a size field other than 106.
int GetStartPosition(const CRoute& route, std::vector<FlpxStartPosition>& list, int32_t& cursor, int move,
                     FlpxStartPosition* record);
// 1 with the row at the moved cursor (bearing rows skipped in the direction of the move); 0 when
// the cursor leaves the rows (it then returns to the first row) or for a size field other than 170.
int GetWaypoint(const std::vector<PlanRow>& rows, const CRoute& route, int32_t& cursor, int move,
                FlpxWaypoint* record);
