#include <chrono>
#include <cmath>

#include "navdb/Geodesy.h"
#include "platform/simapi/SimApi.h"
#include "platform/win/Clock.h"
#include "plotr/core/Settings.h"
#include "plotr/sim/FlightPlanGuidance.h"
#include "plotr/sim/GuidanceMath.h"
#include "plotr/sim/SimBlock.h"

using namespace guidance;
using namespace simapi;

namespace {

constexpr double kPi = 3.141592653589793;
// A pattern point counts as passed this close, or once the aircraft flies along the reference
// course with the point abeam or behind.
constexpr double kPassedRadius = 400;
constexpr double kAlongAngle = 90;
constexpr double kAbeamAngle = 80;
// Entry choice: the aircraft must head for the fix within this angle; closer than the distance
// with a worse heading, the entry cannot be flown.
constexpr double kEntryTrackAngle = 20;
constexpr double kEntryMinDistance = 5000;
// Steering points are moved off the target only between these distances.
constexpr double kNearTarget = 2000;
constexpr double kFarTarget = 10000;
// Outbound steering points lie at least 2 nautical miles out.
constexpr double kMinOutboundLead = 3704;
constexpr double kTeardropOffset = 15;
constexpr double kOffsetAngle = 30;

enum Phase : int32_t {
  kPhaseToFix = 0,
  kPhaseEntry = 1,
  kPhaseEntryOutbound = 2,
  kPhaseBackToLine = 3,
  kPhaseEntryToFix = 4,
  kPhaseTurnOutbound = 5,
  kPhaseOutbound = 6,
  kPhaseTurnInbound = 7,
  kPhaseInbound = 8,
};

}  // namespace

void CFlightPlanGuidance::FlyHolding() {
  if (!HoldingTick()) StopHolding();
}

bool CFlightPlanGuidance::SteerHolding(double latitude, double longitude) {
  const SimSnapshot& sim = Sim().GetSnapshot();
  const double h = InterceptHeading(InitialCourse(sim.latitude, sim.longitude, latitude, longitude));
  const double heading = WholeMagnetic(h, sim.magneticVariation);
  return ReleaseHeadingModes(true) && SendNumber(kEventSelectHeading, heading) == 0;
}

bool CFlightPlanGuidance::HoldingTick() {
  const SimSnapshot& sim = Sim().GetSnapshot();
  const HoldingDefinition& hold = m_holding;
  if (!hold.defined || !sim.autopilotAvailable) return false;
  const double fixLat = hold.latitude, fixLon = hold.longitude;

  if ((m_previous.flags & (kGuidanceHoldingRequested | kGuidanceHolding)) == 0) {
    m_flyToLatitude = fixLat;
    m_flyToLongitude = fixLon;
    m_holdingPhase = kPhaseToFix;
    return (sim.autopilotMaster || Send(kEventAutopilotMaster) == 0) && ReleaseHeadingModes(false);
  }
  if (!sim.autopilotMaster) return false;

  const int heading = (hold.heading % 360 + 360) % 360;
  const int inbound = hold.headingMode == 0 ? heading : (heading + 180) % 360;
  const CRoute* route = GetCurrent();
  const double variation = route ? route->MagneticVariation(fixLat, fixLon) : 0;
  const double W = Wrap360(inbound - variation + 360);
  const double O = Wrap360(W + 180);
  const bool right = hold.turnDirection == 0;
  const double side = right ? 90 : -90;
  const double legNm = hold.segmentKind == 1 ? hold.segmentLength : hold.segmentLength / 60 * sim.trueAirspeed;
  const double turnDiameter = legNm * kMetresPerNm * 2 / kPi;

  if (m_holdingPhase <= kPhaseEntry ? !IsHoldingEntry() : !(IsHoldingEntry() || IsFlyPlanActive())) return false;

  const auto distanceTo = [&](double lat, double lon) { return GreatCircleDistance(sim.latitude, sim.longitude, lat, lon); };
  const auto passed = [&](double lat, double lon, double r) {
    const double c = InitialCourse(sim.latitude, sim.longitude, lat, lon);
    return distanceTo(lat, lon) < kPassedRadius || (Folded(sim.track, r) <= kAlongAngle && Folded(c, r) >= kAbeamAngle);
  };
  // The fix is flown to: while it lies ahead of the track it has not been passed, however far
  // off the reference course the aircraft comes in (a fix approached square to the inbound
  // course would otherwise count as passed from miles away).
  const auto passedFix = [&](double lat, double lon, double r) {
    const double c = InitialCourse(sim.latitude, sim.longitude, lat, lon);
    return passed(lat, lon, r) && (distanceTo(lat, lon) < kPassedRadius || Folded(c, sim.track) >= kAbeamAngle);
  };
  const auto point = [](double& lat, double& lon, double fromLat, double fromLon, double course, double distance) {
    DestinationPoint(lat, lon, fromLat, fromLon, Wrap360(course), distance);
  };
  const auto steerFrom = [&](double fromLat, double fromLon, double course, double distance) {
    double lat, lon;
    point(lat, lon, fromLat, fromLon, course, distance);
    return SteerHolding(lat, lon);
  };
  const auto now = [&] { return std::chrono::system_clock::to_time_t(GetClock().Now()); };
  const auto legFlown = [&](double d) {
    if (hold.segmentKind == 1) return d / kMetresPerNm;
    return static_cast<double>(now() - m_legStart) * sim.simulationRate / 60;
  };
  const auto abeamFix = [&] {
    point(m_patternLatitude, m_patternLongitude, fixLat, fixLon, W + side, turnDiameter);
    m_holdingPhase = kPhaseTurnOutbound;
  };
  const double turnSign = right ? 1 : -1;

  switch (m_holdingPhase) {
    case kPhaseToFix: {
      const double d = distanceTo(fixLat, fixLon);
      const double c = InitialCourse(sim.latitude, sim.longitude, fixLat, fixLon);
      const double e = Folded(sim.track, c);
      if (e <= kEntryTrackAngle) {
        const double x = Wrap360(c - W + 360);
        if (right) {
          m_entryType = x > 180 && x <= 310 ? kEntryParallel : x > 110 && x <= 180 ? kEntryTeardrop : kEntryDirect;
        } else {
          m_entryType = x >= 70 && x < 180 ? kEntryParallel : x >= 180 && x < 250 ? kEntryTeardrop : kEntryDirect;
        }
        m_holdingPhase = kPhaseEntry;
        return true;
      }
      if (d > kEntryMinDistance) return SteerHolding(fixLat, fixLon);
      return false;
    }
    case kPhaseEntry: {
      const double d = distanceTo(fixLat, fixLon);
      if (passedFix(fixLat, fixLon, m_entryType == kEntryDirect ? W : O)) {
        if (m_entryType == kEntryDirect) {
          abeamFix();
        } else {
          m_legStart = now();
          m_holdingPhase = kPhaseEntryOutbound;
        }
        return true;
      }
      if (d > kNearTarget && d < kFarTarget) {
        const double b = m_entryType == kEntryParallel   ? W
                         : m_entryType == kEntryTeardrop ? W - turnSign * kTeardropOffset
                                                         : O;
        return steerFrom(fixLat, fixLon, b, 0.5 * d);
      }
      return SteerHolding(fixLat, fixLon);
    }
    case kPhaseEntryOutbound: {
      const double d = distanceTo(fixLat, fixLon);
      if (legFlown(d) >= hold.segmentLength) {
        point(m_patternLatitude, m_patternLongitude, fixLat, fixLon, O, d);
        if (m_entryType == kEntryParallel)
          point(m_patternLatitude, m_patternLongitude, m_patternLatitude, m_patternLongitude, O - side + 360,
                2 * d / kPi);
        m_holdingPhase = kPhaseBackToLine;
        return true;
      }
      const double b = m_entryType == kEntryParallel ? O : O - turnSign * kOffsetAngle;
      return steerFrom(fixLat, fixLon, b, std::max(2 * d, kMinOutboundLead));
    }
    case kPhaseBackToLine:
    case kPhaseTurnInbound: {
      if (passed(m_patternLatitude, m_patternLongitude, W)) {
        m_patternLatitude = fixLat;
        m_patternLongitude = fixLon;
        m_holdingPhase = m_holdingPhase == kPhaseBackToLine ? kPhaseEntryToFix : kPhaseInbound;
        return true;
      }
      return steerFrom(m_patternLatitude, m_patternLongitude, O, 0.5 * distanceTo(m_patternLatitude, m_patternLongitude));
    }
    case kPhaseEntryToFix: {
      const double r = m_entryType == kEntryTeardrop ? W : W - turnSign * kOffsetAngle;
      if (passedFix(m_patternLatitude, m_patternLongitude, r)) {
        abeamFix();
        return true;
      }
      const double d = distanceTo(m_patternLatitude, m_patternLongitude);
      if (d > kNearTarget) {
        const double b = m_entryType == kEntryTeardrop ? O : O - turnSign * kOffsetAngle;
        return steerFrom(m_patternLatitude, m_patternLongitude, b, 0.5 * d);
      }
      return SteerHolding(m_patternLatitude, m_patternLongitude);
    }
    case kPhaseTurnOutbound: {
      if (passed(m_patternLatitude, m_patternLongitude, O)) {
        m_patternLatitude = sim.latitude;
        m_patternLongitude = sim.longitude;
        m_legStart = now();
        m_holdingPhase = kPhaseOutbound;
        return true;
      }
      return steerFrom(m_patternLatitude, m_patternLongitude, W, 0.5 * distanceTo(m_patternLatitude, m_patternLongitude));
    }
    case kPhaseOutbound: {
      const double d = distanceTo(m_patternLatitude, m_patternLongitude);
      if (legFlown(d) >= hold.segmentLength) {
        point(m_patternLatitude, m_patternLongitude, fixLat, fixLon, O, d);
        m_holdingPhase = kPhaseTurnInbound;
        return true;
      }
      return steerFrom(m_patternLatitude, m_patternLongitude, O, std::max(2 * d, kMinOutboundLead));
    }
    case kPhaseInbound: {
      if (passedFix(m_patternLatitude, m_patternLongitude, W)) {
        if (IsHoldingEntry()) {
          abeamFix();
          return true;
        }
        if (GetSettings().GetUseSound(false)) PlayCue(kCueNextWaypoint);
        return false;
      }
      const double d = distanceTo(m_patternLatitude, m_patternLongitude);
      if (d > kNearTarget) return steerFrom(m_patternLatitude, m_patternLongitude, O, 0.5 * d);
      return SteerHolding(m_patternLatitude, m_patternLongitude);
    }
    default:
      return false;
  }
}
