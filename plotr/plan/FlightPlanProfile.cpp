// The vertical profile of the plan rows: climbs simulated forward from each constraint and
// descents backward into the next, in small distance steps on the route's aircraft performance.

#include "plotr/plan/FlightPlanCore.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <utility>

#include "navdb/Geodesy.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Units.h"

namespace {

// Climbs and descents are stepped every 0.1 nm, level legs every 3 nm.
constexpr double kStepsPerNmSloped = 10.0;
constexpr double kNmPerLevelStep = 3.0;
// Within this distance of a waypoint the aircraft already flies that waypoint's speed.
constexpr double kSpeedLookAheadNm = 3.0;
// Steps on one leg are bounded so that a leg across half the world still ends.
constexpr int kMaxStepsPerLeg = 1000000;
// Every simulation step advances one side on one leg, and no leg takes more steps than a
// sloped leg of its length, so twice that per side bounds a sub-segment; the bound only guards
// against a fault in that reasoning.
constexpr long long kStepBudgetFactor = 4;
constexpr long long kStepBudgetSlack = 1000;

double FiniteOr(double value, double fallback) {
  return std::isfinite(value) ? value : fallback;
}

double LegNm(const PlanRow& a, const PlanRow& b) {
  const double nm = GreatCircleDistance(a.latitude, a.longitude, b.latitude, b.longitude) / kMetresPerNm;
  return std::isfinite(nm) ? std::max(nm, kMinLegNm) : kMinLegNm;
}

double PointNm(double lat, double lon, const PlanRow& b) {
  const double nm = GreatCircleDistance(lat, lon, b.latitude, b.longitude) / kMetresPerNm;
  return std::isfinite(nm) ? std::max(nm, kMinLegNm) : kMinLegNm;
}

int StepCount(double length, int direction) {
  const double steps = direction != 0 ? length * kStepsPerNmSloped : length / kNmPerLevelStep;
  if (!(steps >= 2.0)) {
    return 1;
  }
  return static_cast<int>(std::min(steps, static_cast<double>(kMaxStepsPerLeg)));
}

// Minutes for a step of `nm` at `ias` knots indicated; never infinite, whatever the profile says.
double StepMinutes(double nm, double ias, double altitude) {
  const double tas = std::max(1u, IasToTas(FiniteOr(ias, 1.0), FiniteOr(altitude, 0.0)));
  return nm / tas * 60.0;
}

double FieldElevationFeet(const PlanPoint& point) {
  const NavPoint& p = point.ref.point;
  if (p.kind == kKindAirport) {
    if (const AirportRecord* airport = DatabaseLease::HeldDatabase().GetAirport(p)) {
      int16_t altitude = 0;
      std::memcpy(&altitude, reinterpret_cast<const uint8_t*>(airport) + offsetof(AirportRecord, altitude),
                  sizeof altitude);
      return altitude * kFeetPerMetre;
    }
  } else if (p.kind == kKindRunway) {
    if (const RunwayRecord* runway = DatabaseLease::HeldDatabase().GetRunway(p)) {
      int16_t altitude = 0;
      std::memcpy(&altitude, reinterpret_cast<const uint8_t*>(runway) + offsetof(RunwayRecord, altitude),
                  sizeof altitude);
      return altitude * kFeetPerMetre;
    }
  }
  return 0.0;
}

PlanRow PseudoRow(uint32_t kind, double lat, double lon, const PlanRow& following) {
  PlanRow row;
  row.latitude = lat;
  row.longitude = lon;
  row.kind = kind;
  row.pointIndex = -1;
  row.variation = following.variation;
  row.course = following.course;
  row.rowKind = kRowEnRoute;
  row.legDirection = 0;
  return row;
}

}  // namespace

bool CFlightPlanCore::PlanAltitudes() {
  CRoute* route = GetCurrent();
  if (!route) {
    return true;
  }
  const int cruiseLevel = route->MeanCruiseAltitude();
  const AircraftProfile& profile = route->m_profile;
  int segmentStart = 0;
  FillRowMetres();
  struct ForgetRowMetres {
    std::vector<double>& metres;
    ~ForgetRowMetres() { metres.clear(); }
  } forget{m_rowMetres};
  int runningSpeed = route->m_cruise.speed;

  for (int i = 0; i < static_cast<int>(m_rows.size()); ++i) {
    PlanPoint* point = GetRowPoint(i);
    if (!point) {
      continue;
    }
    PlanRow& row = m_rows[static_cast<size_t>(i)];
    if (row.rowKind == kRowDestination) {
      point->speed &= ~kManualValueGiven;
      point->flags &= ~(kPointAltitudeOption | kPointSpeedOption);
    }

    const bool speedGiven = IsManualValueGiven(point->speed);
    if (i == segmentStart) {
      runningSpeed = speedGiven ? ManualValue(point->speed) : route->m_cruise.speed;
    }
    row.speedBefore = runningSpeed;
    if (speedGiven) {
      runningSpeed = ManualValue(point->speed);
    } else if (point->flags & kPointSpeedOption) {
      runningSpeed = route->m_cruise.speed;
    }
    row.speedAfter = runningSpeed;

    if (row.rowKind != kRowEnRoute) {
      point->flags &= ~kPointFlyOver;
    }

    if (i == segmentStart) {
      if (row.rowKind != kRowDeparture) {
        row.altitude = IsManualValueGiven(point->altitude1) ? ManualValue(point->altitude1) : cruiseLevel;
      } else {
        point->altitude1 &= ~kManualValueGiven;
        point->flags &= ~(kPointAltitudeOption | kPointSpeedOption);
        row.altitude = FieldElevationFeet(*point);
      }
      continue;
    }

    const bool flightEnds = i + 1 >= static_cast<int>(m_rows.size()) ||
                            m_rows[static_cast<size_t>(i) + 1].rowKind == kRowDeparture;
    if (!flightEnds) {
      continue;
    }
    const int inserted = PlanSegment(segmentStart, i);
    if (inserted < 0) {
      return false;
    }
    i += inserted;

    double distance = 0, time = 0, fuel = 0;
    for (int j = segmentStart + 1; j <= i; ++j) {
      PlanRow& r = m_rows[static_cast<size_t>(j)];
      const PlanRow& prev = m_rows[static_cast<size_t>(j) - 1];
      const double climb = r.altitude - prev.altitude;
      if (r.legTime > 0.0) {
        r.indicatedAirspeed =
            TasToIas(r.legDistance / r.legTime * 60.0, prev.altitude + climb / 2.0);
        r.verticalSpeed = climb / r.legTime;
      } else {
        // A leg flown in no time (a zero-length leg) has no speed of its own to show.
        r.indicatedAirspeed = r.speedBefore;
        r.verticalSpeed = 0;
      }
      double flow = profile.cruiseFuel;
      if (climb > 0) {
        flow = profile.climbFuel;
        r.legDirection = 1;
      } else if (climb < 0) {
        flow = profile.descentFuel;
        r.legDirection = -1;
      } else {
        r.legDirection = 0;
      }
      r.legFuel = r.legTime / 60.0 * flow;
      distance += r.legDistance;
      time += r.legTime;
      fuel += r.legFuel;
      r.cumulativeDistance = distance;
      r.cumulativeTime = time;
      r.cumulativeFuel = fuel;
    }
    distance = time = fuel = 0;
    m_rows[static_cast<size_t>(i)].remainingDistance = 0;
    m_rows[static_cast<size_t>(i)].remainingTime = 0;
    m_rows[static_cast<size_t>(i)].remainingFuel = 0;
    for (int j = i; j > segmentStart; --j) {
      const PlanRow& r = m_rows[static_cast<size_t>(j)];
      distance += r.legDistance;
      time += r.legTime;
      fuel += r.legFuel;
      PlanRow& before = m_rows[static_cast<size_t>(j) - 1];
      before.remainingDistance = distance;
      before.remainingTime = time;
      before.remainingFuel = fuel;
    }
    segmentStart = i + 1;
  }
  return true;
}

void CFlightPlanCore::FillRowMetres() {
  m_rowMetres.assign(m_rows.size(), 0.0);
  const PlanRow* previous = nullptr;
  for (size_t i = 0; i < m_rows.size(); ++i) {
    const PlanRow& row = m_rows[i];
    if (row.rowKind == kRowBearing) continue;
    if (previous) {
      m_rowMetres[i] = GreatCircleDistance(previous->latitude, previous->longitude, row.latitude, row.longitude);
    }
    previous = &row;
  }
}

void CFlightPlanCore::InsertProfileRow(int at, const PlanRow& row) {
  m_rows.insert(m_rows.begin() + at, row);
  if (m_rowMetres.size() + 1 != m_rows.size()) {
    m_rowMetres.clear();
    return;
  }
  m_rowMetres.insert(m_rowMetres.begin() + at, 0.0);
  // Only the new row and the flown row after it have a new predecessor.
  const auto metresFromPrevious = [this](size_t i) {
    for (size_t k = i; k-- > 0;) {
      const PlanRow& previous = m_rows[k];
      if (previous.rowKind == kRowBearing) continue;
      return GreatCircleDistance(previous.latitude, previous.longitude, m_rows[i].latitude, m_rows[i].longitude);
    }
    return 0.0;
  };
  for (size_t i = static_cast<size_t>(at), renewed = 0; i < m_rows.size() && renewed < 2; ++i) {
    if (m_rows[i].rowKind == kRowBearing) continue;
    m_rowMetres[i] = metresFromPrevious(i);
    ++renewed;
  }
}

double CFlightPlanCore::ProfileDistanceToDestination(int firstRow) const {
  if (m_rowMetres.size() != m_rows.size()) {
    return DistanceToDestination(0.0, firstRow);
  }
  double total = 0.0;
  bool first = true;
  for (size_t i = static_cast<size_t>(std::max(firstRow, 0)); i < m_rows.size(); ++i) {
    const PlanRow& row = m_rows[i];
    if (row.rowKind == kRowBearing) continue;
    if (!first) {
      total += std::isfinite(m_rowMetres[i]) ? m_rowMetres[i] : 0.0;
    }
    if (row.rowKind == kRowDestination) return total;
    first = false;
  }
  return DBL_MAX;
}

int CFlightPlanCore::PlanSegment(int first, int last) {
  CRoute* route = GetCurrent();
  if (!route) {
    return 0;
  }
  const int cruiseLevel = route->MeanCruiseAltitude();
  int s = first;
  int total = 0;
  for (int a = first + 1; a <= last; ++a) {
    PlanPoint* point = GetRowPoint(a);
    if (!point) {
      continue;
    }
    if (a != last && !IsManualValueGiven(point->altitude1) && !IsManualValueGiven(point->altitude2) &&
        !(point->flags & kPointAltitudeOption)) {
      continue;
    }
    int level = cruiseLevel;
    if (const PlanPoint* start = GetRowPoint(s)) {
      if (IsManualValueGiven(start->altitude2)) {
        level = ManualValue(start->altitude2);
      } else if (IsManualValueGiven(start->altitude1)) {
        level = ManualValue(start->altitude1);
      }
    }
    PlanRow& row = m_rows[static_cast<size_t>(a)];
    if (row.rowKind == kRowDestination) {
      point->altitude1 &= ~kManualValueGiven;
      point->altitude2 &= ~kManualValueGiven;
      point->speed &= ~kManualValueGiven;
      point->flags &= ~(kPointAltitudeOption | kPointSpeedOption);
      row.altitude = FieldElevationFeet(*point);
    } else if (IsManualValueGiven(point->altitude1)) {
      row.altitude = ManualValue(point->altitude1);
    } else {
      row.altitude = level;
    }
    const int n = ComputeVerticalProfile(s, a, level);
    if (n < 0) {
      return -1;
    }
    a += n;
    last += n;
    total += n;
    s = a;
  }
  return total;
}

int CFlightPlanCore::ComputeVerticalProfile(int S, int E, int level) {
  CRoute* route = GetCurrent();
  if (!route || S < 0 || E >= static_cast<int>(m_rows.size())) {
    return 0;
  }
  const double L = level;
  double A1 = m_rows[static_cast<size_t>(S)].altitude;
  double A2 = m_rows[static_cast<size_t>(E)].altitude;
  int D1 = A1 < L ? 1 : (A1 > L ? -1 : 0);
  int D2 = L > A2 ? -1 : (L < A2 ? 1 : 0);
  int h1 = 0, h2 = 0, N1 = 1, N2 = 1;
  double len1 = kMinLegNm, len2 = kMinLegNm, rem1 = 0, done2 = 0, t1 = 0, t2 = 0;
  int inserted = 0;

  auto row = [this](int i) -> PlanRow& { return m_rows[static_cast<size_t>(i)]; };
  // Nm from `nmBefore` before row `from` to the destination of the flight. The walk to the
  // destination is remembered while the rows stay as they are: every descent and level step
  // asks, and a long plan would otherwise walk its rows once per step.
  int cachedFrom = -1;
  size_t cachedCount = 0;
  double cachedMetres = 0;
  auto toDestinationNm = [&](double nmBefore, int from) {
    if (from != cachedFrom || m_rows.size() != cachedCount) {
      cachedFrom = from;
      cachedCount = m_rows.size();
      cachedMetres = ProfileDistanceToDestination(from);
    }
    return cachedMetres >= DBL_MAX ? DBL_MAX : nmBefore + cachedMetres / kMetresPerNm;
  };
  // Minutes and feet of one step of `nm` flown in `direction` at `altitude` towards `target`
  // knots; `toGo` gives the nm to the destination, asked only when descending or level. A
  // profile with rates of the wrong sign never turns a climb into a descent or back.
  auto step = [&](int direction, double altitude, int target, double nm, auto toGo) {
    double ias = 0, rate = 0;
    if (direction == 1) {
      ias = route->ClimbSpeedAt(altitude, target);
      rate = std::max(0.0, route->ClimbRateAt(altitude, false));
    } else {
      const double dist = toGo();
      if (direction == -1) {
        ias = route->ApproachSpeedAt(altitude, target, dist);
        rate = std::min(0.0, route->DescentRateAt(altitude, dist));
      } else {
        ias = route->DescentSpeedAt(altitude, target, dist);
      }
    }
    const double minutes = StepMinutes(nm, ias, altitude);
    return std::pair<double, double>(minutes, FiniteOr(minutes * rate, 0.0));
  };
  // Drops the first constraint that makes the climb and the descent on one leg impossible;
  // true when one was dropped.
  auto dropInfeasible = [&]() {
    if (PlanPoint* end = GetRowPoint(E)) {
      if (IsManualValueGiven(end->altitude1) &&
          (D2 != -1 || (D1 == 1 && ManualValue(end->altitude1) > A1))) {
        end->altitude1 &= ~kManualValueGiven;
        return true;
      }
    }
    if (PlanPoint* start = GetRowPoint(S)) {
      if (IsManualValueGiven(start->altitude1)) {
        start->altitude1 &= ~kManualValueGiven;
        return true;
      }
      if (IsManualValueGiven(start->altitude2) && D1 == D2 && D1 != 0) {
        start->altitude2 &= ~kManualValueGiven;
        return true;
      }
    }
    return false;
  };

  long long budget = kStepBudgetSlack;
  for (int i = S; i < E; ++i) {
    budget += kStepBudgetFactor * StepCount(LegNm(row(i), row(i + 1)), 1);
  }

  for (long long iteration = 0; S < E; ++iteration) {
    if (iteration >= budget) {
      break;
    }
    if (h1 == 0) {
      len1 = LegNm(row(S), row(S + 1));
      N1 = StepCount(len1, D1);
      rem1 = len1;
      t1 = 0;
    }
    if (h2 == 0) {
      len2 = LegNm(row(E - 1), row(E));
      N2 = StepCount(len2, D2);
      done2 = 0;
      t2 = 0;
    }
    double K = (L - A1) * D1;
    double M = (L - A2) * (-D2);
    bool sameLeg = S == E - 1;

    bool feasibilityTest = false;
    if (K >= M) {
      const PlanRow& next = row(S + 1);
      const int target = (!next.speedRelease && rem1 <= kSpeedLookAheadNm) ? next.speedAfter : row(S).speedAfter;
      const auto [minutes, feet] = step(D1, A1, target, len1 / N1, [&] { return toDestinationNm(rem1, S + 1); });
      t1 += minutes;
      A1 += feet;
      ++h1;
      rem1 = static_cast<double>(N1 - h1) * len1 / N1;
      feasibilityTest = sameLeg && ((h1 >= N1 && D1 != 0) || (rem1 <= done2 && D1 == D2 && D1 != 0));
    } else {
      const PlanRow& end = row(E);
      const int target = (!end.speedRelease && done2 <= kSpeedLookAheadNm) ? end.speedAfter : row(E - 1).speedAfter;
      const auto [minutes, feet] = step(D2, A2, target, len2 / N2, [&] { return toDestinationNm(done2, E); });
      t2 += minutes;
      A2 -= feet;
      ++h2;
      done2 = static_cast<double>(h2) * len2 / N2;
      feasibilityTest = sameLeg && ((h2 >= N2 && D2 != 0) || (rem1 <= done2 && D1 == D2 && D1 != 0));
    }
    if (feasibilityTest && dropInfeasible()) {
      return -1;
    }

    K = (L - A1) * D1;
    M = (L - A2) * (-D2);
    sameLeg = S == E - 1;

    if (D1 != 0 && D2 != 0 && sameLeg && rem1 <= done2) {
      // The climb and the descent meet before the level is reached.
      PlanRow& endRow = row(E);
      endRow.legTime = t2;
      const double len = LegNm(row(S), endRow);
      double lat = 0, lon = 0;
      PointAlongSegment(lat, lon, row(S).latitude, row(S).longitude, endRow.latitude, endRow.longitude,
                        (len - done2) / len);
      endRow.legDistance = PointNm(lat, lon, endRow);
      PlanRow pseudo = PseudoRow(D1 == 1 && D2 == -1 ? kPseudoClimbMeetsDescent : kPseudoDescentMeetsClimb, lat,
                                 lon, endRow);
      pseudo.altitude = A1 + (A2 - A1) / 2.0;
      pseudo.legDistance = PointNm(row(S).latitude, row(S).longitude, pseudo);
      pseudo.legTime = t1;
      pseudo.speedBefore = pseudo.speedAfter = row(S).speedAfter;
      InsertProfileRow(S + 1, pseudo);
      ++inserted;
      break;
    }

    if ((D1 == 0 && D2 == 0) || K > 0 || M > 0) {
      if (h1 >= N1 && (D1 == 0 || K > 0)) {
        ++S;
        row(S).legTime = t1;
        row(S).altitude = A1;
        h1 = 0;
      } else if (h2 >= N2 && (D2 == 0 || M > 0)) {
        row(E).legTime = t2;
        --E;
        row(E).altitude = A2;
        h2 = 0;
      }
      continue;
    }

    if (D1 != 0) {
      PlanRow& next = row(S + 1);
      const double len = LegNm(row(S), next);
      double lat = 0, lon = 0;
      PointAlongSegment(lat, lon, row(S).latitude, row(S).longitude, next.latitude, next.longitude,
                        (len - rem1) / len);
      next.legDistance = PointNm(lat, lon, next);
      PlanRow pseudo = PseudoRow(D1 == 1 ? kPseudoEndClimb : kPseudoEndDescent, lat, lon, next);
      pseudo.altitude = L;
      A1 = L;
      pseudo.legDistance = PointNm(row(S).latitude, row(S).longitude, pseudo);
      pseudo.legTime = t1;
      pseudo.speedBefore = pseudo.speedAfter = row(S).speedAfter;
      InsertProfileRow(S + 1, pseudo);
      ++S;
      ++E;
      ++inserted;
      h1 = 0;
      D1 = 0;
    }
    if (D2 != 0) {
      PlanRow& endRow = row(E);
      endRow.legTime = t2;
      const double len = LegNm(row(E - 1), endRow);
      double lat = 0, lon = 0;
      PointAlongSegment(lat, lon, row(E - 1).latitude, row(E - 1).longitude, endRow.latitude, endRow.longitude,
                        (len - done2) / len);
      endRow.legDistance = PointNm(lat, lon, endRow);
      PlanRow pseudo = PseudoRow(D2 == -1 ? kPseudoBeginDescent : kPseudoBeginClimb, lat, lon, endRow);
      pseudo.altitude = L;
      A2 = L;
      pseudo.legDistance = PointNm(row(E - 1).latitude, row(E - 1).longitude, pseudo);
      pseudo.legTime = 0;
      pseudo.speedBefore = pseudo.speedAfter = row(E - 1).speedAfter;
      InsertProfileRow(E, pseudo);
      ++inserted;
      h2 = 0;
      D2 = 0;
    }
  }
  return inserted;
}
