#include <algorithm>
#include <cfloat>
#include <cmath>

#include "navdb/Geodesy.h"
#include "platform/simapi/SimApi.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Units.h"
#include "plotr/sim/FlightPlanGuidance.h"
#include "plotr/sim/GuidanceMath.h"
#include "plotr/sim/SimBlock.h"

using namespace guidance;
using namespace simapi;

namespace {

constexpr double kRadToDeg = 57.29577951308232;
// Fly-to ends this close to its point.
constexpr double kFlyToArrival = 500;
// A waypoint behind the aircraft, the radius of a fly-over point, and the turn anticipation at
// 120 knots for a 90-degree turn, never below the floor and never for more than the cap.
constexpr double kBehindAngle = 90;
constexpr double kFlyOverRadius = 100;
constexpr double kAnticipationAt120 = 1300;
constexpr double kAnticipationFloor = 500;
constexpr double kAnticipationTurnCap = 135;
// Runway capture: within this distance of the runway end, at most this far off its line.
constexpr double kCaptureDistance = 3 * kMetresPerNm;
constexpr double kCaptureTrackAngle = 90;
constexpr double kCaptureCourseAngle = 45;
// Within this distance of a runway or ILS, the aircraft is led onto its extended centre line.
constexpr double kApproachDistance = 20000;
// The cut of the intercept of an active leg.
constexpr double kInterceptAngleCap = 30;
// Legs shorter than this have no line to intercept.
constexpr double kShortestLeg = 1;
// Speed of sound in knots per root kelvin.
constexpr double kKnotsPerRootKelvin = 38.967854;

}  // namespace

double CFlightPlanGuidance::WindCorrectedHeading(double trueAirspeed, double course, double windTo,
                                                double windSpeed) {
  // Without wind there is nothing to correct, and at a true airspeed of 0 the ratio below would
  // still turn the heading by up to 90 degrees.
  if (windSpeed == 0) return course;
  const double k = windSpeed >= trueAirspeed ? 1 : windSpeed / trueAirspeed;
  return Wrap360(course + std::asin(k * std::sin((course - windTo) * kDegToRad)) * kRadToDeg);
}

double CFlightPlanGuidance::InterceptHeading(double course) const {
  const SimSnapshot& sim = Sim().GetSnapshot();
  if (sim.onGround) return course;
  return WindCorrectedHeading(sim.trueAirspeed, course, Wrap360(sim.windDirection + 180), sim.windSpeed);
}

bool CFlightPlanGuidance::ReleaseHeadingModes(bool switchOnHeadingHold) {
  const SimSnapshot& sim = Sim().GetSnapshot();
  if (sim.navSource && Send(kEventNavSourceOff) != 0) return false;
  if (sim.nav1Hold && Send(kEventNav1Hold) != 0) return false;
  if (sim.approachHold && Send(kEventApproachHold) != 0) return false;
  if (sim.backCourseHold && Send(kEventBackCourseHold) != 0) return false;
  if (sim.headingHold != switchOnHeadingHold && Send(kEventHeadingHold) != 0) return false;
  return true;
}

void CFlightPlanGuidance::FlyTo() {
  const SimSnapshot& sim = Sim().GetSnapshot();
  const double d = GreatCircleDistance(sim.latitude, sim.longitude, m_flyToLatitude, m_flyToLongitude);
  if (!sim.autopilotAvailable || d <= kFlyToArrival) {
    ClearFlyTo();
    return;
  }
  const double course = InterceptHeading(InitialCourse(sim.latitude, sim.longitude, m_flyToLatitude, m_flyToLongitude));
  double heading = WholeMagnetic(course, sim.magneticVariation);

  bool success = false;
  if ((m_previous.flags & kGuidanceFlyTo) == 0) {
    success = (sim.autopilotMaster || Send(kEventAutopilotMaster) == 0) && ReleaseHeadingModes(true) &&
              SendNumber(kEventSelectHeading, heading) == 0;
  } else if (sim.autopilotMaster && sim.headingHold) {
    if (Folded(sim.selectedHeading, m_lastHeading) >= kHeadingDeadband) {
      success = false;  // the pilot turned the selector
    } else if (Folded(heading, m_lastHeading) >= kHeadingDeadband) {
      success = SendNumber(kEventSelectHeading, heading) == 0;
    } else {
      success = true;
      heading = sim.selectedHeading;
    }
  }
  m_lastHeading = heading;
  if (!success) ClearFlyTo();
}

bool CFlightPlanGuidance::ShouldSwitchLeg(const PlanRow* previous, const PlanRow& active, const PlanRow* next) const {
  const SimSnapshot& sim = Sim().GetSnapshot();
  const int index = !m_rows.empty() && &active >= m_rows.data() && &active < m_rows.data() + m_rows.size()
                        ? static_cast<int>(&active - m_rows.data())
                        : -1;
  const double c = InitialCourse(sim.latitude, sim.longitude, active.latitude, active.longitude);
  const double o = GreatCircleDistance(sim.latitude, sim.longitude, active.latitude, active.longitude);
  double b = previous ? TrueCourse(active) : next ? TrueCourse(*next) : c;
  // A captured runway is flown to along its centre line, whatever the leg into it: from a
  // waypoint past the runway end that leg points back, and the runway would count as passed.
  double runwayHeading = 0;
  if (index >= 0 && active.rowKind == kRowDestination &&
      CapturedRunway(index, DistanceToDestination(o, index), runwayHeading))
    b = runwayHeading;
  if (Folded(c, b) >= kBehindAngle) return true;
  const PlanPoint* point = index >= 0 ? GetRowPoint(index) : nullptr;
  if (point && (point->flags & kPointFlyOver) != 0) return o < kFlyOverRadius;
  const double a = next ? TrueCourse(*next) : sim.trueHeading;
  const double t = Folded(sim.trueHeading, a);
  const CRoute* route = GetCurrent();
  const double cruiseTas = route ? IasToTas(route->m_profile.cruiseSpeed, route->m_profile.cruiseAltitude) : 120;
  const double w = kAnticipationAt120 * (sim.trueAirspeed / 120) * std::sqrt(cruiseTas / 120) *
                   (std::min(t, kAnticipationTurnCap) / 90);
  return o < std::max(w, kAnticipationFloor);
}

namespace {

// Runway or ILS heading of a row's database object, degrees true; false for other kinds.
bool ApproachHeading(const PlanPoint* point, uint16_t kind, double& heading) {
  if (point == nullptr) return false;
  if (kind == kKindRunway) {
    if (const RunwayRecord* r = DatabaseLease::HeldDatabase().GetRunway(point->ref.point)) {
      heading = BinaryAngleToDegrees(r->heading);
      return true;
    }
  } else if (kind == kKindIls) {
    if (const IlsRecord* r = DatabaseLease::HeldDatabase().GetIls(point->ref.point)) {
      heading = BinaryAngleToDegrees(r->course);
      return true;
    }
  }
  return false;
}

void PointFrom(double& lat, double& lon, double fromLat, double fromLon, double course, double distance) {
  DestinationPoint(lat, lon, fromLat, fromLon, Wrap360(course), distance);
}

}  // namespace

bool CFlightPlanGuidance::CapturedRunway(int destination, double toGo, double& heading) const {
  if (destination < 0 || destination >= static_cast<int>(m_rows.size()) || !(toGo < kCaptureDistance)) return false;
  const PlanRow& D = m_rows[static_cast<size_t>(destination)];
  if (D.rowKind != kRowDestination || static_cast<uint16_t>(D.kind) != kKindRunway ||
      !ApproachHeading(GetRowPoint(destination), kKindRunway, heading))
    return false;
  const SimSnapshot& sim = Sim().GetSnapshot();
  const double toEnd = InitialCourse(sim.latitude, sim.longitude, D.latitude, D.longitude);
  return Folded(heading, sim.track) < kCaptureTrackAngle && Folded(heading, toEnd) <= kCaptureCourseAngle;
}

void CFlightPlanGuidance::FlyFlightPlan() {
  const SimSnapshot& sim = Sim().GetSnapshot();
  const int version = GetSettings().GetSimVer();
  if ((m_previous.flags & kGuidanceFlyingPlan) == 0) m_autopilotSeen = false;

  const int count = static_cast<int>(m_rows.size());
  const auto row = [this](int i) -> PlanRow& { return m_rows[static_cast<size_t>(i)]; };
  if (m_currentRow < 0) m_currentRow = 0;
  while (m_currentRow < count && !IsFlyable(row(m_currentRow))) ++m_currentRow;
  int active = m_currentRow < count ? m_currentRow : -1;
  int previous = -1, next = -1;
  const auto findAround = [&] {
    previous = next = -1;
    for (int i = active - 1; i >= 0; --i)
      if (IsFlyable(row(i))) {
        previous = i;
        break;
      }
    if (row(active).rowKind != kRowDestination)
      for (int i = active + 1; i < count; ++i)
        if (IsFlyable(row(i))) {
          next = i;
          break;
        }
  };
  bool continueFlight = true;
  if (active >= 0) {
    findAround();
    if (ShouldSwitchLeg(previous >= 0 ? &row(previous) : nullptr, row(active), next >= 0 ? &row(next) : nullptr)) {
      if (next >= 0) {
        active = next;
        m_currentRow = active;
        findAround();
        if (GetSettings().GetUseSound(false)) PlayCue(kCueNextWaypoint);
      } else {
        continueFlight = false;
      }
    }
  }

  bool targets = false;
  double heading = 0, altitude = 0, verticalSpeed = 0, airspeed = 0, mach = 0;
  if (sim.autopilotAvailable && active >= 0) {
    targets = true;
    const PlanRow* A = &row(active);
    const double d = GreatCircleDistance(sim.latitude, sim.longitude, A->latitude, A->longitude);
    m_flyToLatitude = A->latitude;
    m_flyToLongitude = A->longitude;

    // Runway capture.
    bool captured = false;
    double runwayHeading = 0;
    int destination = -1;
    for (int i = m_currentRow; i < count; ++i)
      if (row(i).rowKind == kRowDestination) {
        destination = i;
        break;
      }
    if (destination >= 0 && CapturedRunway(destination, DistanceToDestination(d, m_currentRow), runwayHeading)) {
      captured = true;
      active = destination;
      m_currentRow = destination;
      A = &row(active);
      previous = -1;
      for (int i = active - 1; i >= 0; --i)
        if (IsFlyable(row(i))) {
          previous = i;
          break;
        }
    }

    // Steering point.
    double sLat = A->latitude, sLon = A->longitude;
    const uint16_t activeKind = static_cast<uint16_t>(A->kind);
    double approach = 0;
    const bool approachActive =
        ((activeKind == kKindRunway && A->rowKind == kRowDestination) || activeKind == kKindIls) &&
        ApproachHeading(GetRowPoint(active), activeKind, approach);
    const PlanRow* P = previous >= 0 ? &row(previous) : nullptr;
    const PlanPoint* previousPoint = previous >= 0 ? GetRowPoint(previous) : nullptr;
    const uint16_t previousKind = P ? static_cast<uint16_t>(P->kind) : 0;
    double departureHeading = 0;
    if (captured) {
      if (continueFlight) {
        const double c = InitialCourse(sim.latitude, sim.longitude, A->latitude, A->longitude);
        const double r = GreatCircleDistance(sim.latitude, sim.longitude, A->latitude, A->longitude);
        const double e = Folded(runwayHeading, c);
        PointFrom(sLat, sLon, A->latitude, A->longitude, runwayHeading + 180, r * std::sqrt(e) / std::sqrt(45.0));
      } else {
        PointFrom(sLat, sLon, sim.latitude, sim.longitude, runwayHeading, d);
      }
    } else if (d < kApproachDistance && approachActive) {
      if (continueFlight) PointFrom(sLat, sLon, A->latitude, A->longitude, approach + 180, 0.75 * d);
      else PointFrom(sLat, sLon, sim.latitude, sim.longitude, approach, d);
    } else if (P && sim.onGround && P->rowKind == kRowDeparture && previousKind == kKindRunway &&
               ApproachHeading(previousPoint, kKindRunway, departureHeading)) {
      PointFrom(sLat, sLon, P->latitude, P->longitude, departureHeading, d);
    } else if (P && sim.onGround && P->rowKind == kRowDeparture && previousKind == kKindAirport) {
      PointFrom(sLat, sLon, P->latitude, P->longitude, sim.trueHeading, d);
    } else if (P && previousPoint && (previousPoint->flags & kPointFlyOver) != 0) {
      // straight to the active point
    } else if (P) {
      const double g = TrueCourse(*A);
      const double c = InitialCourse(sim.latitude, sim.longitude, A->latitude, A->longitude);
      const double e = std::min(Folded(g, c), kInterceptAngleCap);
      const double L = GreatCircleDistance(P->latitude, P->longitude, A->latitude, A->longitude);
      // Rows less than a metre apart have no line to follow: the point itself.
      if (L >= kShortestLeg)
        PointAlongSegment(sLat, sLon, P->latitude, P->longitude, A->latitude, A->longitude,
                          1 - std::cos(3 * e * kDegToRad) * d / (2 * L));
    }
    heading = WholeMagnetic(InterceptHeading(InitialCourse(sim.latitude, sim.longitude, sLat, sLon)),
                            sim.magneticVariation);

    // Vertical and speed targets.
    const double altitudeNow = sim.indicatedAltitude;
    const double n = DistanceToDestination(d, m_currentRow) / kMetresPerNm;
    const PlanRow* F = A;
    if (!captured && active > 0 && row(active - 1).pointIndex < 0 && d > A->legDistance * kMetresPerNm)
      F = &row(active - 1);
    const CRoute* route = GetCurrent();
    if (!continueFlight && A->rowKind == kRowDestination) {
      airspeed = version >= 80 ? 0 : 40;
      verticalSpeed = -600;
      altitude = std::floor(F->altitude / 100) * 100;
    } else if (route) {
      const int planned = (A->speedRelease || d / kMetresPerNm > 3) ? A->speedBefore : A->speedAfter;
      const double band = version < 80 ? 15 : 80;
      const double toF = GreatCircleDistance(sim.latitude, sim.longitude, F->latitude, F->longitude) / kMetresPerNm;
      const auto signedMin = [](double x, double q) { return std::copysign(std::min(std::fabs(x), std::fabs(q)), x); };
      const double gsFactor = std::min(sim.groundSpeed / std::max(sim.trueAirspeed, 1e-10), 1.2);
      if (altitudeNow + band < F->altitude) {
        airspeed = route->DescentSpeedAt(altitudeNow, planned, n);
        verticalSpeed = route->ClimbRateAt(altitudeNow, sim.onGround);
        if (F->legDirection == 1) {
          const double x = (route->IntegrateClimb(F->altitude, toF, planned) - altitudeNow) * 12;
          verticalSpeed += signedMin(x, x >= 0 ? verticalSpeed / 10 : verticalSpeed / 2);
        }
        verticalSpeed *= gsFactor;
        altitude = std::ceil(F->altitude / 100) * 100;
      } else if (altitudeNow - band > F->altitude) {
        airspeed = route->ApproachSpeedAt(altitudeNow, planned, n);
        verticalSpeed = route->DescentRateAt(altitudeNow, n);
        if (F->legDirection == -1) {
          const double x = (route->IntegrateDescent(F->altitude, toF, planned, n) - altitudeNow) * 12;
          verticalSpeed += signedMin(x, x > 0 ? verticalSpeed : verticalSpeed / 4);
        }
        verticalSpeed *= gsFactor;
        altitude = std::floor(F->altitude / 100) * 100;
      } else {
        airspeed = route->DescentSpeedAt(altitudeNow, planned, n);
        verticalSpeed = 0;
        altitude = std::floor((F->altitude + 50) / 100) * 100;
      }
    }
    const double tas = IasToTas(airspeed, altitudeNow);
    mach = tas / (kKnotsPerRootKelvin * std::sqrt(sim.outsideTemperature + 273.15));
    mach = MachHundredths(mach) / 100;
    if (!GetSettings().GetUseIndicatedAirSpeed(false)) airspeed = IasToTas(airspeed, altitudeNow);
    airspeed = RoundAirspeed(airspeed);
    if (altitude < 0) altitude = 0;
    verticalSpeed = RoundVerticalSpeed(verticalSpeed, version);
  }

  // The first tick of a flight tunes too: the row it starts at may equal the last one seen.
  if (active >= 0 && (GetChangeCount() != m_flyPlanChangeCount || m_currentRow != m_previous.currentRow ||
                      (m_previous.flags & kGuidanceFlyingPlan) == 0))
    TuneRadios(m_currentRow);
  if (targets) {
    SetAutopilotTargets(heading, altitude, verticalSpeed, airspeed, mach, continueFlight);
    EngageAutopilotModes();
  }
  if (sim.autopilotMaster) m_autopilotSeen = true;
  else if (m_autopilotSeen) continueFlight = false;
  m_flyPlanChangeCount = GetChangeCount();
  if (!continueFlight) StopFlyPlan();
}
