#pragma once
// Angle and number helpers shared by the guidance sources.

#include <cmath>
#include <cstdint>

#include "plotr/plan/FlightPlanCore.h"

namespace guidance {

// A heading selector moved by less than this is left alone; moved by more, the pilot turned it.
inline constexpr double kHeadingDeadband = 0.5;

inline double Wrap360(double d) {
  d = std::fmod(d, 360.0);
  return d < 0 ? d + 360.0 : d;
}

// |a - b| folded into 0 to 180.
inline double Folded(double a, double b) {
  double d = std::fabs(a - b);
  if (d > 180) d = std::fabs(360 - d);
  return d;
}

// A true course as the whole-degree magnetic heading the heading selector takes.
inline double WholeMagnetic(double trueCourse, double variation) {
  return std::fmod(std::floor(trueCourse + variation + 360 + 0.5), 360.0);
}

// The true course of the leg that ends at the row.
inline double TrueCourse(const PlanRow& row) { return std::fmod(row.course - row.variation + 360, 360.0); }

// A row the aircraft flies to: not a bearing row and standing for a waypoint.
inline bool IsFlyable(const PlanRow& row) { return row.rowKind != kRowBearing && row.pointIndex >= 0; }

// An event value from a number truncated towards zero; false when it has none (not finite or
// outside 32 bits), since such a cast is undefined.
inline bool EventValue(double v, uint32_t& out) {
  if (!std::isfinite(v) || v <= -2147483649.0 || v >= 2147483648.0) return false;
  out = static_cast<uint32_t>(static_cast<int32_t>(v));
  return true;
}

// Vertical speed targets: multiples of 50 feet per minute up to 1000 on the old hosts, of 100
// otherwise.
inline double RoundVerticalSpeed(double v, int simVer) {
  if (simVer < 80 && std::fabs(v) <= 1000) return std::floor((v + 25) / 50) * 50;
  return std::floor((v + 50) / 100) * 100;
}

// Airspeed targets in whole tens of knots.
inline double RoundAirspeed(double s) { return std::floor((s + 5) / 10) * 10; }

}  // namespace guidance
