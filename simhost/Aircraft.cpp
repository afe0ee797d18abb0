#include "simhost/Aircraft.h"

#include <algorithm>
#include <cmath>

namespace simhost {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerFoot = 1 / 3.28083989501312;
constexpr double kMetresPerNm = 1852.0;
constexpr double kDegreesPerMetre = 360.0 / 40007000.0;
// Speed of sound in knots is this times the square root of the temperature in kelvin.
constexpr double kKnotsPerMachPerRootKelvin = 38.967854;

double Wrap360(double d) {
  d = std::fmod(d, 360.0);
  return d < 0 ? d + 360.0 : d;
}

// Moves value towards target by at most step.
double Approach(double value, double target, double step) {
  if (std::fabs(target - value) <= step) return target;
  return value + (target > value ? step : -step);
}

}  // namespace

Aircraft::Aircraft(const AircraftStart& start)
    : latitude(start.latitude),
      longitude(start.longitude),
      altitude(start.altitudeFeet * kMetresPerFoot),
      heading(Wrap360(start.heading)),
      airspeed(start.airspeed) {
  autopilot.selectedHeading = Wrap360(heading - magneticVariation);
  autopilot.selectedAltitude = start.altitudeFeet;
  autopilot.selectedAirspeed = start.airspeed;
}

void Aircraft::AdvanceAutopilot(double seconds) {
  verticalSpeed = 0;
  bank = 0;
  if (!autopilot.master) return;
  if (autopilot.headingHold) {
    // The selector is magnetic: true = magnetic + east variation.
    const double target = Wrap360(autopilot.selectedHeading + magneticVariation);
    double diff = Wrap360(target - heading);
    if (diff > 180) diff -= 360;
    const double step = kTurnRate * seconds;
    if (std::fabs(diff) <= step) {
      heading = target;
    } else {
      heading = Wrap360(heading + (diff > 0 ? step : -step));
      bank = diff > 0 ? 25 : -25;
    }
  }
  if (autopilot.altitudeHold) {
    const double feet = altitude / kMetresPerFoot;
    const double rate = autopilot.selectedVerticalSpeed != 0 ? std::fabs(autopilot.selectedVerticalSpeed)
                                                             : kDefaultClimbRate;
    const double next = Approach(feet, autopilot.selectedAltitude, rate * seconds / 60.0);
    if (seconds > 0) verticalSpeed = (next - feet) * 60.0 / seconds;
    altitude = next * kMetresPerFoot;
  }
  double targetSpeed = 0;
  if (autopilot.machHold && autopilot.selectedMach > 0)
    targetSpeed = autopilot.selectedMach * kKnotsPerMachPerRootKelvin * std::sqrt(std::max(outsideTemperature + 273.15, 1.0));
  else if (autopilot.airspeedHold && autopilot.selectedAirspeed > 0)
    targetSpeed = autopilot.selectedAirspeed;
  if (targetSpeed > 0) airspeed = Approach(airspeed, targetSpeed, kAcceleration * seconds);
}

void Aircraft::Advance(double seconds) {
  if (seconds <= 0) return;
  const double simSeconds = seconds * simulationRate;
  if (frozen) {
    secondsOfDay = std::fmod(secondsOfDay + simSeconds, 86400.0);
    return;
  }
  AdvanceAutopilot(simSeconds);
  pitch = verticalSpeed > 0 ? 5 : (verticalSpeed < 0 ? -3 : 0);

  // Ground vector: the air vector plus the wind, which blows towards its direction + 180.
  const double h = heading * kPi / 180;
  const double d = Wrap360(windDirection + 180) * kPi / 180;
  const double east = std::sin(h) * airspeed + std::sin(d) * windSpeed;
  const double north = std::cos(h) * airspeed + std::cos(d) * windSpeed;
  const double metresNorth = north * kMetresPerNm / 3600.0 * simSeconds;
  const double metresEast = east * kMetresPerNm / 3600.0 * simSeconds;
  if (!onGround) {
    latitude = std::clamp(latitude + metresNorth * kDegreesPerMetre, -89.9, 89.9);
    const double c = std::max(std::cos(latitude * kPi / 180), 1e-6);
    longitude += metresEast * kDegreesPerMetre / c;
    if (longitude > 180) longitude -= 360;
    if (longitude < -180) longitude += 360;
  }

  secondsOfDay += simSeconds;
  while (secondsOfDay >= 86400) {
    secondsOfDay -= 86400;
    utcDay = utcDay % 365 + 1;
  }
}

}  // namespace simhost
