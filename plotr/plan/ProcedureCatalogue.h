#pragma once

// What the plan asks of the stored departure and arrival procedures when it matches them to its
// rows and puts them into a route. The SID/STAR catalogue of the planning tools implements it;
// a plan made without one matches nothing.

#include "plotr/plan/SidStarRecords.h"

class CRoute;
struct PlanPoint;

class IProcedureCatalogue {
 public:
  virtual ~IProcedureCatalogue() = default;

  // Index of the catalogue airport that belongs to the plan point's airport, -1 when none.
  virtual int FindAirport(const PlanPoint& point, const CRoute& route) = 0;
  // Reads the airport's procedures once; a failed read leaves its lists empty.
  virtual void LoadAirport(int airport, const CRoute& route) = 0;
  // Whether a plan point is the procedure waypoint within `tolerance` metres (runway identifiers
  // not compared when loose).
  virtual bool WaypointMatches(const CSidStarWaypoint& waypoint, double tolerance, const PlanPoint& point,
                               const CRoute& route, bool loose) const = 0;
  // Appends the procedure's waypoints to the route; false when an essential one is missing.
  // With `report` the user is told how many waypoints the scenery no longer has.
  virtual bool InsertIntoPlan(CRoute& route, bool isStar, int airport, int group, int procedure, bool report) = 0;

  virtual int GetAirportCount() const = 0;
  virtual const CSidStarList& GetList(int airport, bool isStar) const = 0;
};
