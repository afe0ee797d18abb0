#include "plotr/plan/Route.h"

#include "plotr/core/Settings.h"
#include "plotr/plan/Units.h"

#include <algorithm>
#include <cmath>

namespace {

// The speed limit below 10,000 ft: "SpeedLimit" 0 is 240 kt, 1 is 250 kt, anything else none.
constexpr double kLimitAltitude = 10000.0;
constexpr double kApproachLimitAltitude = 11500.0;

// Profiles come from a hand-editable file; a cruise altitude below this (zero, say) would make
// the performance formulas divide by (nearly) nothing.
constexpr double kMinCruiseAltitude = 1000.0;

constexpr int kIntegrationSteps = 100;

double LimitSpeed(double speed) {
  switch (g_Settings.GetSpeedLimit(false)) {
    case 0: return std::min(speed, 240.0);
    case 1: return std::min(speed, 250.0);
    default: return speed;
  }
}

double CruiseAltitudeOf(const AircraftProfile& p) {
  return std::max(static_cast<double>(p.cruiseAltitude), kMinCruiseAltitude);
}

// True airspeed in whole knots, at least one, so the step time stays finite.
double TrueAirspeed(double ias, double altitude) {
  return std::max(1u, IasToTas(ias, altitude));
}

}  // namespace

double CRoute::ClimbSpeedAt(double altitude, int speed) const {
  if (altitude > kLimitAltitude) {
    return speed;
  }
  const double target = LimitSpeed(speed);
  const double cruise = CruiseAltitudeOf(m_profile);
  const double a = std::min(altitude, cruise);
  const double base = std::min(static_cast<double>(m_profile.climbSpeed), target);
  return base + a * (target - base) / cruise;
}

double CRoute::DescentSpeedAt(double altitude, int speed, double distance) const {
  double target = speed;
  if (altitude <= kLimitAltitude) {
    target = LimitSpeed(target);
  }
  const double base = std::min(target, static_cast<double>(m_profile.descentSpeed));
  const double slow = std::min(target, 200.0);
  if (distance <= 0.5) return base;
  if (distance <= 10.0) return base + (slow - base) * distance / 10.0;
  if (distance <= 30.0) return slow + (target - slow) * (distance - 10.0) / 20.0;
  return target;
}

double CRoute::ApproachSpeedAt(double altitude, int speed, double distance) const {
  int target = speed;
  if (altitude <= kApproachLimitAltitude) {
    target = static_cast<int>(LimitSpeed(speed));
  }
  return DescentSpeedAt(altitude, target, distance);
}

double CRoute::ClimbRateAt(double altitude, bool halve) const {
  const double cruise = CruiseAltitudeOf(m_profile);
  const double a = std::min(altitude, 1.2 * cruise);
  const double sign = a < 0 ? -1.0 : (a > 0 ? 1.0 : 0.0);
  double r = (1.25 * std::sqrt(cruise) - sign * std::sqrt(std::fabs(a))) * 2.0 * m_profile.climbRate / std::sqrt(cruise);
  r = std::min(r, static_cast<double>(m_profile.climbRate));
  if (halve) {
    r = std::max(r / 2.0, 500.0);
  }
  return r;
}

double CRoute::DescentRateAt(double altitude, double distance) const {
  const double c = CruiseAltitudeOf(m_profile);
  const double a = std::min(altitude, 1.2 * c);
  const double d = m_profile.descentRate;
  const double r = std::min(d, d * 0.6 * c * 1.25 / (c * 1.25 - a));
  if (distance <= 20.0) {
    return -std::min(r, 1000.0);
  }
  if (distance > 30.0 && a > kApproachLimitAltitude) {
    return -r;
  }
  return -std::min(r, 1200.0);
}

double CRoute::IntegrateClimb(double altitude, double distance, int speed) const {
  const double step = distance / kIntegrationSteps;
  for (int i = 0; i < kIntegrationSteps; ++i) {
    const double v = ClimbSpeedAt(altitude, speed);
    const double r = ClimbRateAt(altitude, false);
    const double t = TrueAirspeed(v, altitude);
    altitude -= (step / t * 60.0) * r;
  }
  return altitude;
}

double CRoute::IntegrateDescent(double altitude, double distance, int speed, double distanceToGo) const {
  const double step = distance / kIntegrationSteps;
  for (int n = kIntegrationSteps; n >= 1; --n) {
    const double p = distanceToGo - n * step;
    const double v = ApproachSpeedAt(altitude, speed, p);
    const double r = DescentRateAt(altitude, p);
    const double t = TrueAirspeed(v, altitude);
    altitude -= (step / t * 60.0) * r;
  }
  return altitude;
}
