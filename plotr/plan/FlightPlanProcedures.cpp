// Matching the plan's first and last legs against the stored departure and arrival procedures,
// and putting the matched procedures' own waypoints back into a route.

#include "plotr/plan/FlightPlanCore.h"

namespace {

// How far a plan point may lie from the procedure waypoint it stands for, in metres.
constexpr double kRunwayTolerance = 7408.0;  // 4 nm: runway ends move between scenery versions
constexpr double kUserPointTolerance = 100.0;
constexpr double kOtherTolerance = 18520.0;  // 10 nm

double ToleranceFor(uint32_t kind) {
  if (kind & kKindRunway) {
    return kRunwayTolerance;
  }
  if (kind == kKindUserPoint) {
    return kUserPointTolerance;
  }
  return kOtherTolerance;
}

bool IsFlownPointRow(const PlanRow& row) {
  return row.pointIndex >= 0 && row.rowKind != kRowBearing;
}

bool SameSid(const PlanRow& a, const PlanRow& b) {
  return a.sidAirport == b.sidAirport && a.sidGroup == b.sidGroup && a.sidProcedure == b.sidProcedure;
}

bool SameStar(const PlanRow& a, const PlanRow& b) {
  return a.starAirport == b.starAirport && a.starGroup == b.starGroup && a.starProcedure == b.starProcedure;
}

// Offers every procedure of the list to `tryProcedure` (procedure, loose) -> true when it
// matched better than the best so far, first with the strict comparison and, only when nothing
// matched, with the loose one. Ties keep the first found.
template <class TryProcedure>
void FindBestProcedure(const CSidStarList& list, int& bestGroup, int& bestProcedure, TryProcedure tryProcedure) {
  for (bool loose : {false, true}) {
    for (int g = 0; g < static_cast<int>(list.groups.size()); ++g) {
      const CSidStarFixGroup& group = list.groups[static_cast<size_t>(g)];
      for (int p = 0; p < group.GetProcedureCount(); ++p) {
        if (tryProcedure(group.procedures[static_cast<size_t>(p)], loose)) {
          bestGroup = g;
          bestProcedure = p;
        }
      }
    }
    if (bestGroup >= 0) {
      return;
    }
  }
}

}  // namespace

int CFlightPlanCore::CountSidMatches(int startRow, const CSidStarProcedure& procedure, bool loose) const {
  const CRoute* route = GetCurrent();
  if (!route) {
    return startRow;
  }
  const int count = static_cast<int>(m_rows.size());
  int r = startRow;
  int matched = -1;
  for (const CSidStarWaypoint& waypoint : procedure.waypoints) {
    if (waypoint.flags & kSidStarBearing) {
      continue;
    }
    while (r < count && !IsFlownPointRow(m_rows[static_cast<size_t>(r)])) {
      ++r;
    }
    if (r >= count) {
      return startRow;
    }
    const PlanRow& row = m_rows[static_cast<size_t>(r)];
    const PlanPoint* point = GetRowPoint(r);
    if (!point || !m_catalogue->WaypointMatches(waypoint, ToleranceFor(row.kind), *point, *route, loose)) {
      return startRow;
    }
    matched = r;
    ++r;
  }
  return matched < 0 ? startRow : matched + 1;
}

int CFlightPlanCore::CountStarMatches(int endRow, const CSidStarProcedure& procedure, bool loose) const {
  const CRoute* route = GetCurrent();
  if (!route) {
    return endRow;
  }
  int r = endRow;
  int matched = -1;
  for (auto it = procedure.waypoints.rbegin(); it != procedure.waypoints.rend(); ++it) {
    if (it->flags & kSidStarBearing) {
      continue;
    }
    while (r >= 0 && !IsFlownPointRow(m_rows[static_cast<size_t>(r)])) {
      --r;
    }
    if (r < 0) {
      return endRow;
    }
    const PlanRow& row = m_rows[static_cast<size_t>(r)];
    const PlanPoint* point = GetRowPoint(r);
    if (!point || !m_catalogue->WaypointMatches(*it, ToleranceFor(row.kind), *point, *route, loose)) {
      return endRow;
    }
    matched = r;
    --r;
  }
  return matched < 0 ? endRow : matched - 1;
}

// The catalogue airport of a row's point goes into `airport` (-1 when there is none); the
// procedures are offered only when the row is a runway, since procedures start or end there.
const CSidStarList* CFlightPlanCore::ProceduresOfRow(int row, CRoute& route, bool star, int& airport) {
  airport = -1;
  const PlanPoint* point = GetRowPoint(row);
  if (!point) {
    return nullptr;
  }
  const int found = m_catalogue->FindAirport(*point, route);
  if (found < 0 || found >= m_catalogue->GetAirportCount()) {
    return nullptr;
  }
  airport = found;
  if (point->Kind() != kKindRunway) {
    return nullptr;
  }
  m_catalogue->LoadAirport(airport, route);
  return &m_catalogue->GetList(airport, star);
}

void CFlightPlanCore::MatchSid() {
  CRoute* route = GetCurrent();
  if (!route) {
    return;
  }
  for (int i = 0; i < static_cast<int>(m_rows.size()); ++i) {
    if (m_rows[static_cast<size_t>(i)].rowKind != kRowDeparture) {
      continue;
    }
    int airport = -1;
    const CSidStarList* list = ProceduresOfRow(i, *route, false, airport);
    if (airport >= 0) {
      m_rows[static_cast<size_t>(i)].sidAirport = airport;
    }
    if (!list) {
      continue;
    }
    int bestEnd = i, bestGroup = -1, bestProcedure = -1;
    FindBestProcedure(*list, bestGroup, bestProcedure, [&](const CSidStarProcedure& procedure, bool loose) {
      const int end = CountSidMatches(i, procedure, loose);
      const bool better = end > bestEnd;
      bestEnd = better ? end : bestEnd;
      return better;
    });
    for (int r = i; r < bestEnd; ++r) {
      PlanRow& row = m_rows[static_cast<size_t>(r)];
      row.sidAirport = airport;
      row.sidGroup = bestGroup;
      row.sidProcedure = bestProcedure;
    }
  }
}

void CFlightPlanCore::MatchStar() {
  CRoute* route = GetCurrent();
  if (!route) {
    return;
  }
  const int count = static_cast<int>(m_rows.size());
  for (int i = count - 1; i >= 0; --i) {
    const int kind = m_rows[static_cast<size_t>(i)].rowKind;
    if (kind != kRowDestination && !(kind == kRowDeparture && count == 1)) {
      continue;
    }
    int airport = -1;
    const CSidStarList* list = ProceduresOfRow(i, *route, true, airport);
    if (airport >= 0) {
      m_rows[static_cast<size_t>(i)].starAirport = airport;
    }
    if (!list) {
      continue;
    }
    int bestStart = i, bestGroup = -1, bestProcedure = -1;
    FindBestProcedure(*list, bestGroup, bestProcedure, [&](const CSidStarProcedure& procedure, bool loose) {
      const int start = CountStarMatches(i, procedure, loose);
      const bool better = start < bestStart;
      bestStart = better ? start : bestStart;
      return better;
    });
    for (int r = bestStart + 1; r <= i && bestGroup >= 0; ++r) {
      PlanRow& row = m_rows[static_cast<size_t>(r)];
      row.starAirport = airport;
      row.starGroup = bestGroup;
      row.starProcedure = bestProcedure;
    }
  }
}

void CFlightPlanCore::ReapplyProcedures(CRoute& route) {
  for (int last = static_cast<int>(m_rows.size()) - 1; last >= 0; --last) {
    const PlanRow& row = m_rows[static_cast<size_t>(last)];
    const bool sid = row.sidAirport >= 0 && row.sidGroup >= 0 && row.sidProcedure >= 0;
    const bool star = row.starAirport >= 0 && row.starGroup >= 0 && row.starProcedure >= 0;
    if ((!sid && !star) || row.pointIndex < 0) {
      continue;
    }
    CRoute procedure;
    procedure.m_points.clear();
    // Re-applying runs with every rebuild of the rows: it tells the user nothing.
    const bool built = sid ? m_catalogue->InsertIntoPlan(procedure, false, row.sidAirport, row.sidGroup,
                                                             row.sidProcedure, false)
                           : m_catalogue->InsertIntoPlan(procedure, true, row.starAirport, row.starGroup,
                                                             row.starProcedure, false);
    if (!built) {
      continue;
    }
    int first = last;
    for (int r = last - 1; r >= 0; --r) {
      const PlanRow& before = m_rows[static_cast<size_t>(r)];
      if (!IsFlownPointRow(before)) {
        continue;
      }
      if (sid ? !SameSid(before, row) : !SameStar(before, row)) {
        break;
      }
      first = r;
    }
    const int from = m_rows[static_cast<size_t>(first)].pointIndex;
    const int to = m_rows[static_cast<size_t>(last)].pointIndex;
    if (from < 0 || to >= route.GetCount() || from > to) {
      last = first;
      continue;
    }
    for (int p = to; p >= from; --p) {
      route.RemovePoint(p);
    }
    for (int p = procedure.GetCount() - 1; p >= 0; --p) {
      route.InsertPoint(from, procedure[p]);
    }
    last = first;
  }
}
