#include "planexport/route/SphericalEarth.h"

#include <cmath>

double PluginClampedAcos(double x) {
  if (x > 1.0) x = 1.0;
  if (x < -1.0) x = -1.0;
  return std::acos(x);
}

double FloatMod(double a, double b) {
  if (a >= 0) return a - b * std::trunc(a / b);
  return a + b * (std::trunc(-a / b) + 1.0);
}

double PluginGreatCircleDistance(double lat1, double lon1, double lat2, double lon2) {
  const double e = std::cos((lon2 - lon1) * kPluginDegToRad);
  const double h = std::cos((lat2 - lat1) * kPluginDegToRad);
  const double l = std::cos((lat1 + lat2) * kPluginDegToRad);
  return PluginClampedAcos((h * (1.0 + e) - l * (1.0 - e)) / 2.0) * kPluginEarthRadius;
}

double PluginInitialCourse(double lat1, double lon1, double lat2, double lon2) {
  const double d = (lon2 - lon1) * kPluginDegToRad;
  const double e = std::cos(d);
  const double a = lat1 * kPluginDegToRad;
  const double c = lat2 * kPluginDegToRad;
  const double course =
      std::atan2(std::cos(c) * std::sin(d), (std::sin(a + c) * (1.0 - e) - std::sin(a - c) * (1.0 + e)) / 2.0);
  return FloatMod(course, 2.0 * M_PI) / kPluginDegToRad;
}

double AngleDiff(double a, double b) {
  const double diff = std::fabs(a - b);
  return diff > 180.0 ? std::fabs(360.0 - diff) : diff;
}
