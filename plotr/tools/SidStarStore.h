#pragma once

// The SID/STAR catalogue as the plan uses it: finding the stored airport of a plan airport,
// loading its procedures, matching plan points against procedure waypoints, putting a stored
// procedure into a route, checking and saving a plan as a procedure. The catalogue's files and
// dialogs live with the planning tools; this class is the seam the plan calls through. The
// base class is an empty catalogue: it finds, loads and saves nothing.

#include <vector>

#include "plotr/tools/SidStarRecords.h"

class CRoute;
struct PlanPoint;

// Results of CheckPlanAsSidStar.
enum SidStarCheck : int {
  kPlanIsNoProcedure = -1,
  kPlanIsSid = 0,
  kPlanIsStar = 1,
};

class CSidStarStore {
 public:
  virtual ~CSidStarStore() = default;

  // Index of the catalogue airport that belongs to the plan point's airport, -1 when none.
  virtual int FindAirport(const PlanPoint& point, const CRoute& route);
  // Reads the airport's procedures once (no effect when loaded, or when its file fails its
  // check; the lists then stay empty).
  virtual void LoadAirport(int airport, const CRoute& route);
  // Whether a plan point is the procedure waypoint: same type, same identifier (runway
  // identifiers not compared when loose; user fixes named "Fix..." not compared) and within
  // `tolerance` metres.
  virtual bool WaypointMatches(const CSidStarWaypoint& waypoint, double tolerance, const PlanPoint& point,
                               const CRoute& route, bool loose) const;
  // Builds the procedure's waypoints into the given empty route; false when it cannot.
  virtual bool InsertIntoPlan(CRoute& route, bool isStar, int airport, int group, int procedure);
  // Runs the save dialog and writes the procedure file; true when saved.
  virtual bool SavePlanAs(bool isStar, int airport, int group, int procedure, const CRoute& route);
  // Rebuilds the catalogue from the procedure folder; true when an airport was found.
  virtual bool ScanFiles();
  // kPlanIsSid, kPlanIsStar, or kPlanIsNoProcedure with the message's string id and number.
  virtual int CheckPlanAsSidStar(const CRoute& route, int& stringId, int& number) const;

  int GetAirportCount() const { return static_cast<int>(m_airports.size()); }
  const CSidStarAirport& GetAirport(int i) const { return m_airports[static_cast<size_t>(i)]; }
  const CSidStarList& GetList(int airport, bool isStar) const {
    const CSidStarAirport& a = GetAirport(airport);
    return isStar ? a.stars : a.sids;
  }

  std::vector<CSidStarAirport> m_airports;
};
