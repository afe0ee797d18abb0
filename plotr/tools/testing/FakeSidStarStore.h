#pragma once

// A SID/STAR catalogue for tests of the plan: airports and procedures are set up directly in
// m_airports, and each answer of the seam is a member the test sets. Calls are counted.

#include <functional>

#include "plotr/tools/SidStarStore.h"

class FakeSidStarStore : public CSidStarStore {
 public:
  using CSidStarStore::CSidStarStore;

  int airportForAnyPoint = -1;
  int checkResult = kPlanIsNoProcedure;
  int checkStringId = 0;
  int checkNumber = 0;
  bool saveResult = false;
  // Compares plan points with procedure waypoints; none set: nothing matches.
  std::function<bool(const CSidStarWaypoint&, double, const PlanPoint&, const CRoute&, bool)> matches;
  // Fills a route with a procedure; none set: the insertion fails.
  std::function<bool(CRoute&, bool, int, int, int)> insert;

  // The report flag of every insertion asked for.
  std::vector<bool> insertReports;
  int loads = 0;
  int scans = 0;
  int saves = 0;

  int FindAirport(const PlanPoint&, const CRoute&) override { return airportForAnyPoint; }
  void LoadAirport(int airport, const CRoute& route) override {
    ++loads;
    CSidStarStore::LoadAirport(airport, route);
  }
  bool WaypointMatches(const CSidStarWaypoint& w, double tolerance, const PlanPoint& p, const CRoute& r,
                       bool loose) const override {
    return matches ? matches(w, tolerance, p, r, loose) : false;
  }
  bool InsertIntoPlan(CRoute& route, bool isStar, int airport, int group, int procedure, bool report) override {
    insertReports.push_back(report);
    return insert ? insert(route, isStar, airport, group, procedure) : false;
  }
  bool SavePlanAs(bool, int, int, int, const CRoute&) override {
    ++saves;
    return saveResult;
  }
  bool ScanFiles() override {
    ++scans;
    return !m_airports.empty();
  }
  int CheckPlanAsSidStar(const CRoute&, int& stringId, int& number) const override {
    stringId = checkStringId;
    number = checkNumber;
    return checkResult;
  }
};
