#pragma once

// How procedure waypoints and plan points meet: the letter, identifier and runway heading of a
// database object or user fix, and the conversions between a plan point and a waypoint. The
// database searches expect a DatabaseLease held.

#include <string>
#include <string_view>

#include "plotr/plan/PlanPoint.h"
#include "plotr/plan/SidStarRecords.h"

class CRoute;

// The letter of a database kind ('I', 'N', 'V', 'L', 'R', 'F' for user fixes), 0 for others.
char SidStarLetterOfKind(uint16_t kind);
// The identifier of the object: the record's for navaids, the designator for runway ends, the
// name for user fixes ("" for a user fix named "Fix..."). False for a kind without one, an
// object the database does not hold and a user fix without a name.
bool SidStarObjectIdent(const NavPoint& object, const CRoute& plan, std::string& ident);
// A runway end's true heading in whole degrees (0 to 359); 0 when unknown.
int SidStarRunwayHeading(const NavPoint& runway);
// The leading decimal number of a runway identifier ("09L" gives 9) and what follows it.
int SidStarRunwayNumber(std::string_view runway, std::string_view& rest);
// The differences of two headings folded into 0 to 180 degrees.
double SidStarHeadingDifference(double a, double b);
// The name of the NDB or VOR with that identifier nearest to the place within 10 nm, cut to 24
// characters; "" when none or when the name is the identifier.
std::string SidStarNavaidName(char type, const std::string& ident, double lat, double lon, const CRoute& plan);

// The waypoint of a plan point; false for kinds a procedure cannot hold. `endPoint`: the first
// or last point of the plan (a named user fix there becomes an intersection).
bool SidStarWaypointOfPoint(const PlanPoint& point, bool endPoint, const CRoute& plan, CSidStarWaypoint& out);
// Copies position, altitudes, speed and option flags of the waypoint onto the plan point.
void SidStarApplyWaypoint(const CSidStarWaypoint& waypoint, PlanPoint& point);
