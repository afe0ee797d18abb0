#include "plotr/tools/SidStarStore.h"

int CSidStarStore::FindAirport(const PlanPoint&, const CRoute&) {
  return -1;
}

void CSidStarStore::LoadAirport(int airport, const CRoute&) {
  if (airport >= 0 && airport < GetAirportCount()) {
    m_airports[static_cast<size_t>(airport)].loaded = true;
  }
}

bool CSidStarStore::WaypointMatches(const CSidStarWaypoint&, double, const PlanPoint&, const CRoute&, bool) const {
  return false;
}

bool CSidStarStore::InsertIntoPlan(CRoute&, bool, int, int, int) {
  return false;
}

bool CSidStarStore::SavePlanAs(bool, int, int, int, const CRoute&) {
  return false;
}

bool CSidStarStore::ScanFiles() {
  m_airports.clear();
  return false;
}

int CSidStarStore::CheckPlanAsSidStar(const CRoute&, int& stringId, int& number) const {
  stringId = 0;
  number = 0;
  return kPlanIsNoProcedure;
}
