#include "plotr/plan/Units.h"

#include "navdb/Geodesy.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kPi = kTwoPi / 2.0;

// Above roughly 93,000 ft the density law reaches zero; the divisor is held here so that the
// true airspeed stays finite (430 times the indicated speed at most).
constexpr double kMinDensityFactor = 1.0 / 430.0;

constexpr double kKgPerPound = 0.45359;
constexpr double kLitresPerUsGallon = 3.7853;
constexpr double kKgPerLitre = 0.815;

double DensityFactor(double altitudeFeet) {
  const double h = altitudeFeet > 0.0 ? altitudeFeet : 0.0;
  return 1.0 - std::pow(h / 100000.0, 0.865);
}

// floor(x + 0.5) as whole knots; negative or NaN gives 0, huge values saturate.
unsigned RoundKnots(double x) {
  const double r = std::floor(x + 0.5);
  if (!(r >= 0.0)) {
    return 0;
  }
  if (r >= static_cast<double>(std::numeric_limits<unsigned>::max())) {
    return std::numeric_limits<unsigned>::max();
  }
  return static_cast<unsigned>(r);
}

// y - x * floor(y / x): the modulo of the course-line formula, result in [0, x).
double FloorMod(double y, double x) {
  return y - x * std::floor(y / x);
}

}  // namespace

unsigned IasToTas(double ias, double altitudeFeet) {
  double d = DensityFactor(altitudeFeet);
  if (!(d > kMinDensityFactor)) {
    d = kMinDensityFactor;
  }
  return RoundKnots(ias / d);
}

unsigned TasToIas(double tas, double altitudeFeet) {
  const double ias = tas * DensityFactor(altitudeFeet);
  if (ias > 1.0) {
    return std::max(RoundKnots(ias), 1u);
  }
  return 1;
}

double ConvertFuel(int displayUnit, int storedUnit, double quantity) {
  double kg = 0.0;
  switch (storedUnit) {
    case kFuelPounds: kg = quantity * kKgPerPound; break;
    case kFuelUsGallons: kg = quantity * kLitresPerUsGallon * kKgPerLitre; break;
    case kFuelKilograms: kg = quantity; break;
    case kFuelLitres: kg = quantity * kKgPerLitre; break;
    default: return 0.0;
  }
  switch (displayUnit) {
    case kFuelPounds: return kg / kKgPerPound;
    case kFuelUsGallons: return kg / kKgPerLitre / kLitresPerUsGallon;
    case kFuelKilograms: return kg;
    case kFuelLitres: return kg / kKgPerLitre;
    default: return 0.0;
  }
}

bool GreatCircleIntersection(double& outLat, double& outLon, double lat1, double lon1, double course1,
                             double lat2, double lon2, double course2) {
  // The course-line formula works with longitudes positive to the west.
  const double phi1 = lat1 * kDegToRad;
  const double phi2 = lat2 * kDegToRad;
  const double lam1 = -lon1 * kDegToRad;
  const double lam2 = -lon2 * kDegToRad;
  const double crs13 = course1 * kDegToRad;
  const double crs23 = course2 * kDegToRad;

  const double a = std::sin((phi1 - phi2) / 2.0);
  const double b = std::sin((lam1 - lam2) / 2.0);
  const double d12 = 2.0 * ClampedAsin(std::sqrt(std::max(0.0, a * a + std::cos(phi1) * std::cos(phi2) * b * b)));
  const double sinD12 = std::sin(d12);
  // Coincident points (or both at a pole) leave the courses between them undefined.
  if (!(std::fabs(sinD12 * std::cos(phi1)) > 1e-15) || !(std::fabs(sinD12 * std::cos(phi2)) > 1e-15)) {
    return false;
  }
  const double acos12 = ClampedAcos((std::sin(phi2) - std::sin(phi1) * std::cos(d12)) / (sinD12 * std::cos(phi1)));
  const double acos21 = ClampedAcos((std::sin(phi1) - std::sin(phi2) * std::cos(d12)) / (sinD12 * std::cos(phi2)));
  const double crs12 = std::sin(lam2 - lam1) >= 0.0 ? kTwoPi - acos12 : acos12;
  const double crs21 = std::sin(lam1 - lam2) >= 0.0 ? kTwoPi - acos21 : acos21;

  const double c2 = FloorMod(crs23 + kPi, kTwoPi);
  const double ang1 = FloorMod(crs13 - crs12 + kPi, kTwoPi) - kPi;
  const double ang2 = FloorMod(crs21 - c2 + kPi, kTwoPi) - kPi;
  // Lines that diverge or run (nearly) parallel have no usable crossing ahead.
  if (!(std::sin(ang1) * std::sin(ang2) > 1e-5)) {
    return false;
  }
  const double a1 = std::fabs(ang1);
  const double a2 = std::fabs(ang2);
  const double ang3 = ClampedAcos(std::sin(a1) * std::sin(a2) * std::cos(d12) - std::cos(a1) * std::cos(a2));
  const double d13 = ClampedAsin(sinD12 * std::sin(a2) / std::sin(ang3));
  const double phi3 = ClampedAsin(std::sin(phi1) * std::cos(d13) + std::cos(phi1) * std::sin(d13) * std::cos(crs13));
  const double lam3 =
      FloorMod(lam1 - ClampedAsin(std::sin(crs13) * std::sin(d13) / std::cos(phi3)) + kPi, kTwoPi) - kPi;
  const double lat = phi3 / kDegToRad;
  const double lon = -lam3 / kDegToRad;
  if (!std::isfinite(lat) || !std::isfinite(lon)) {
    return false;
  }
  outLat = lat;
  outLon = lon;
  return true;
}
