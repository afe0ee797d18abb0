#include "plotr/plan/FlightPlanCore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>

#include "navdb/Geodesy.h"
#include "plotr/plan/DatabaseAccess.h"

namespace {

// An airport or runway that another one follows within this distance keeps its destination
// role and the second one departs a new flight (a stop-over on the same field).
constexpr double kStopOverMetres = 10000.0;

// Every pass but the last clears at least one bit of the route, so a route of n points needs at
// most about 9n + 1 passes; the bound only guards against a fault in that reasoning.
constexpr int kMaxRebuildPasses = 10000;

// Row-kind state while the rows are laid out.
enum : int { kStateUndefined = -1 };

bool IsAirportOrRunway(uint16_t kind) {
  return kind == kKindAirport || kind == kKindRunway;
}

double FiniteOr(double value, double fallback) {
  return std::isfinite(value) ? value : fallback;
}

class CNoProcedures final : public IProcedureCatalogue {
 public:
  int FindAirport(const PlanPoint&, const CRoute&) override { return -1; }
  void LoadAirport(int, const CRoute&) override {}
  bool WaypointMatches(const CSidStarWaypoint&, double, const PlanPoint&, const CRoute&, bool) const override {
    return false;
  }
  bool InsertIntoPlan(CRoute&, bool, int, int, int, bool) override { return false; }
  int GetAirportCount() const override { return 0; }
  const CSidStarList& GetList(int, bool) const override { return m_none; }

 private:
  CSidStarList m_none;
};

double LegNm(double lat1, double lon1, double lat2, double lon2) {
  const double nm = GreatCircleDistance(lat1, lon1, lat2, lon2) / kMetresPerNm;
  return std::isfinite(nm) ? std::max(nm, kMinLegNm) : kMinLegNm;
}

double LegCourse(const PlanRow& from, const PlanRow& to) {
  const double course =
      std::fmod(InitialCourse(from.latitude, from.longitude, to.latitude, to.longitude) + to.variation + 360.0, 360.0);
  return FiniteOr(course, 0.0);
}

// A manual value cleared whole: value and set bit.
constexpr uint32_t kNoManualValue = 0;

// The row of a waypoint: position, kind, index and variation; legs are left to the caller.
PlanRow RowOf(const PlanPoint& point, int index, const CRoute& route) {
  PlanRow row;
  row.latitude = point.ref.point.latitude;
  row.longitude = point.ref.point.longitude;
  row.kind = point.ref.point.kind;
  row.pointIndex = index;
  row.variation = FiniteOr(route.MagneticVariation(row.latitude, row.longitude), 0.0);
  return row;
}

void SetLeg(PlanRow& row, const PlanRow& previous) {
  row.course = LegCourse(previous, row);
  row.legDistance = LegNm(previous.latitude, previous.longitude, row.latitude, row.longitude);
}

// What a rebuild may correct in a waypoint.
struct ManualState {
  uint32_t altitude1, altitude2, speed, flags;
  bool operator==(const ManualState&) const = default;
};

std::vector<ManualState> ManualStateOf(const CRoute& route) {
  std::vector<ManualState> state;
  state.reserve(route.m_points.size());
  for (const PlanPoint& p : route.m_points) {
    state.push_back({p.altitude1, p.altitude2, p.speed, p.flags});
  }
  return state;
}

}  // namespace

CFlightPlanCore::CFlightPlanCore(const PlanUiServices& ui)
    : CUndoHistory(kPlanUndoMaximum), m_ui(ui), m_catalogue(std::make_unique<CNoProcedures>()) {
  DatabaseLease lease;
  CRoute route;
  Push(route);
}

CFlightPlanCore::~CFlightPlanCore() = default;

void CFlightPlanCore::OnTick(uint32_t) {}

bool CFlightPlanCore::Connect() { return false; }
void CFlightPlanCore::Disconnect() {}
void CFlightPlanCore::HostSettings() {}
void CFlightPlanCore::PublishPlayerData(bool) {}
bool CFlightPlanCore::IsConnected() const { return false; }
bool CFlightPlanCore::IsSessionLost() const { return false; }
bool CFlightPlanCore::IsSessionHost() const { return false; }
bool CFlightPlanCore::IsPlanPublic() const { return false; }
bool CFlightPlanCore::AnyRemotePlanPublic() const { return false; }
void CFlightPlanCore::OpenFromRemote() {}
bool CFlightPlanCore::LoadReceivedPlan(archive::MemoryFile&) { return false; }
void CFlightPlanCore::ListPublicPlanPlayers(std::vector<MpPlayerEntry>& players, bool) { players.clear(); }

void CFlightPlanCore::SetProcedureCatalogue(std::unique_ptr<IProcedureCatalogue> catalogue) {
  m_catalogue = catalogue ? std::move(catalogue) : std::make_unique<CNoProcedures>();
}

PlanPoint* CFlightPlanCore::GetRowPoint(int row) {
  CRoute* route = GetCurrent();
  if (!route || row < 0 || row >= static_cast<int>(m_rows.size())) {
    return nullptr;
  }
  const int index = m_rows[static_cast<size_t>(row)].pointIndex;
  if (index < 0 || index >= route->GetCount()) {
    return nullptr;
  }
  return &(*route)[index];
}

const PlanPoint* CFlightPlanCore::GetRowPoint(int row) const {
  return const_cast<CFlightPlanCore*>(this)->GetRowPoint(row);
}

void CFlightPlanCore::GetTotals(double& distance, double& time, double& fuel) const {
  distance = time = fuel = 0;
  for (const PlanRow& row : m_rows) {
    if (row.rowKind != kRowBearing) {
      distance += row.legDistance;
      time += row.legTime;
      fuel += row.legFuel;
    }
  }
}

double CFlightPlanCore::DistanceToDestination(double start, int firstRow) const {
  const int count = static_cast<int>(m_rows.size());
  if (firstRow < 0) {
    firstRow = 0;
  }
  double total = start;
  const PlanRow* previous = nullptr;
  for (int i = firstRow; i < count; ++i) {
    const PlanRow& row = m_rows[static_cast<size_t>(i)];
    if (row.rowKind == kRowBearing) {
      continue;
    }
    if (previous) {
      const double d = GreatCircleDistance(previous->latitude, previous->longitude, row.latitude, row.longitude);
      total += std::isfinite(d) ? d : 0.0;
    }
    if (row.rowKind == kRowDestination) {
      return total;
    }
    previous = &row;
  }
  return DBL_MAX;
}

void CFlightPlanCore::Rebuild() {
  CRoute* route = GetCurrent();
  if (!route) {
    m_rows.clear();
    m_currentRow = 0;
    return;
  }
  // A pass that drops a constraint starts over. A pass may also clear bits without asking for
  // that (a departure's altitude, the restriction ends that depended on it), and the rows must
  // then be laid out once more from the corrected route, or the next rebuild of the same plan
  // would give different rows.
  for (int pass = 0; pass < kMaxRebuildPasses; ++pass) {
    const std::vector<ManualState> before = ManualStateOf(*route);
    BuildRows(m_rows, *route);
    if (PlanAltitudes() && ManualStateOf(*route) == before) {
      break;
    }
  }

  for (PlanRow& row : m_rows) {
    const uint16_t kind = static_cast<uint16_t>(row.kind);
    if (row.IsPseudo() || (kind != kKindIls && kind != kKindRunway) || row.pointIndex < 0) {
      continue;
    }
    FullPoint airport;
    if (!route->FindAirportOf(airport, (*route)[row.pointIndex].ref.point)) {
      continue;
    }
    if (const AirportRecord* record = DatabaseLease::HeldDatabase().GetAirport(airport.point)) {
      if (const char* name = DatabaseLease::HeldDatabase().GetString(record->nameText)) {
        std::snprintf(row.airportName, sizeof row.airportName, "%s", name);
      }
    }
  }

  AddBearingRows(m_rows, *route);
  MatchSid();
  MatchStar();
  const int last = static_cast<int>(m_rows.size()) - 1;
  if (m_currentRow > last) {
    m_currentRow = std::max(last, 0);
  }
}

void CFlightPlanCore::BuildRows(std::vector<PlanRow>& rows, CRoute& route) {
  rows.clear();
  const PlanRow* previous = nullptr;
  bool altitudeSeen = false;
  bool speedSeen = false;
  int state = kStateUndefined;
  const int cruiseLevel = route.MeanCruiseAltitude();
  const int altitudeCap = route.CruiseAltitudeCap();

  for (int i = 0; i < route.GetCount(); ++i) {
    PlanPoint& point = route[i];
    if (rows.empty()) {
      point.flags &= ~kPointBearing;  // a plan never starts with a bearing point
    }
    if (point.IsBearing()) {
      continue;
    }

    // The waypoint's fields are packed: read and written by value, never through a pointer.
    auto altitudeLimit = [&](uint32_t value) {
      const int32_t feet = ManualValue(value);
      return feet > cruiseLevel || feet > altitudeCap ? kNoManualValue : value;
    };
    point.altitude1 = altitudeLimit(point.altitude1);
    point.altitude2 = altitudeLimit(point.altitude2);
    const int32_t speed = ManualValue(point.speed);
    if (speed > route.m_cruise.speed || speed < route.m_profile.descentSpeed || speed > route.m_profile.cruiseSpeed) {
      point.speed = kNoManualValue;
    }
    if (IsManualValueGiven(point.altitude1) && IsManualValueGiven(point.altitude2) &&
        ManualValue(point.altitude1) == ManualValue(point.altitude2)) {
      point.altitude2 = kNoManualValue;
    }

    altitudeSeen = altitudeSeen || IsManualValueGiven(point.altitude1) || IsManualValueGiven(point.altitude2);
    speedSeen = speedSeen || IsManualValueGiven(point.speed);
    if (!altitudeSeen) {
      point.flags &= ~kPointAltitudeOption;
    }
    if (!speedSeen) {
      point.flags &= ~kPointSpeedOption;
    }
    if (point.flags & kPointAltitudeOption) {
      altitudeSeen = false;
    }
    if (point.flags & kPointSpeedOption) {
      speedSeen = false;
    }

    const uint16_t kind = point.ref.point.kind;
    const bool field = IsAirportOrRunway(kind);
    PlanRow row = RowOf(point, i, route);
    bool newFlight = false;
    if (i == 0 || state == kStateUndefined) {
      state = field ? kRowDeparture : kRowEnRoute;
    } else {
      if (state == kRowDestination && previous &&
          (!field || GreatCircleDistance(previous->latitude, previous->longitude, row.latitude, row.longitude) >
                         kStopOverMetres)) {
        state = kRowEnRoute;
        rows.back().rowKind = kRowEnRoute;
      }
      if (!field) {
        state = kRowEnRoute;
      } else if (state == kRowDestination) {
        state = kRowDeparture;
        newFlight = true;
      } else {
        state = kRowDestination;
      }
    }

    if (previous && !newFlight) {
      SetLeg(row, *previous);
    }
    row.speedRelease = (point.flags & kPointSpeedOption) ? 1 : 0;
    row.rowKind = state;
    row.legDirection = 0;
    rows.push_back(row);
    previous = &rows.back();
  }
}

void CFlightPlanCore::AddBearingRows(std::vector<PlanRow>& rows, CRoute& route) {
  size_t i = 0;
  int lastFlown = -1;
  for (int j = 0; j < route.GetCount(); ++j) {
    PlanPoint& point = route[j];
    if (point.IsBearing()) {
      point.altitude1 = kNoManualValue;
      point.altitude2 = kNoManualValue;
      point.speed = kNoManualValue;
      point.flags &= ~(kPointFlyOver | kPointAltitudeOption | kPointSpeedOption);
      PlanRow row = RowOf(point, j, route);
      if (lastFlown >= 0) {
        SetLeg(row, rows[static_cast<size_t>(lastFlown)]);
      }
      row.rowKind = kRowBearing;
      row.legDirection = 0;
      i = std::min(i, rows.size());
      rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(i), row);
      ++i;
      continue;
    }
    while (i < rows.size() && rows[i].pointIndex < 0) {
      ++i;
    }
    if (i < rows.size()) {
      lastFlown = static_cast<int>(i);
      ++i;
    }
  }
}

void CFlightPlanCore::UpdateMovedRows(std::vector<PlanRow>& rows, const CRoute& route) {
  bool moved = false;
  int lastFlown = -1;
  const int count = std::min(route.GetCount(), static_cast<int>(rows.size()));
  for (int i = 0; i < count; ++i) {
    const PlanPoint& point = route[i];
    PlanRow& row = rows[static_cast<size_t>(i)];
    if (point.marked) {
      row.latitude = point.ref.point.latitude;
      row.longitude = point.ref.point.longitude;
      row.variation = FiniteOr(route.MagneticVariation(row.latitude, row.longitude), 0.0);
      moved = true;
    }
    if (moved) {
      if (lastFlown >= 0) {
        SetLeg(row, rows[static_cast<size_t>(lastFlown)]);
      } else {
        row.course = 0;
        row.legDistance = 0;
      }
    }
    if (row.rowKind != kRowBearing) {
      moved = point.marked != 0;
      lastFlown = i;
    }
  }
}
