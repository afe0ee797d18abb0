#include "plotr/plan/LatLonText.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

constexpr char kDegreeSign = '\xB0';

// Positions never exceed a few hundred degrees; the cap only keeps hostile values (from a file
// or a message) inside integer range.
constexpr double kMaxDegrees = 1e9;

}  // namespace

std::string FormatLatLon(double value, bool isLatitude, bool seconds, bool symbols) {
  if (!std::isfinite(value)) {
    value = 0.0;
  }
  const double a = std::fmin(std::fabs(value), kMaxDegrees);
  // Rounding once to the shown unit (whole seconds or hundredths of a minute) carries into the
  // minutes and degrees by itself and can never print 60 of anything.
  const double unitsPerDegree = seconds ? 3600.0 : 6000.0;
  const auto units = static_cast<uint64_t>(std::floor(a * unitsPerDegree + 0.5));
  // A value that rounds to zero is shown as north or east, whatever its sign.
  const bool negative = value < 0.0 && units != 0;
  const char hemisphere = isLatitude ? (negative ? 'S' : 'N') : (negative ? 'W' : 'E');

  const auto degrees = static_cast<unsigned long long>(units / static_cast<uint64_t>(unitsPerDegree));
  const auto rest = static_cast<unsigned>(units % static_cast<uint64_t>(unitsPerDegree));
  const unsigned first = rest / (seconds ? 60 : 100);
  const unsigned second = rest % (seconds ? 60 : 100);
  const int width = isLatitude ? 2 : 3;

  char buffer[64];
  if (seconds) {
    if (symbols) {
      std::snprintf(buffer, sizeof buffer, "%c%0*llu%c%02u'%02u\"", hemisphere, width, degrees, kDegreeSign,
                    first, second);
    } else {
      std::snprintf(buffer, sizeof buffer, "%c%0*llu %02u %02u", hemisphere, width, degrees, first, second);
    }
  } else {
    if (symbols) {
      std::snprintf(buffer, sizeof buffer, "%c%0*llu%c%02u.%02u'", hemisphere, width, degrees, kDegreeSign,
                    first, second);
    } else {
      std::snprintf(buffer, sizeof buffer, "%c%0*llu %02u.%02u", hemisphere, width, degrees, first, second);
    }
  }
  return buffer;
}
