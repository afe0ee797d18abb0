#include "planexport/common/Coordinates.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "planexport/common/PlanSource.h"

FlpxDegMin SplitDegrees(double value) {
  FlpxDegMin out;
  if (std::isnan(value)) return out;
  const double d = std::trunc(value);
  const double v = std::floor((value - d) * 6000.0 + 0.5) / 6000.0 + d;
  const double whole = std::trunc(v);
  out.negative = v < 0;
  const int degrees = TruncInt(whole);
  out.degrees = degrees == INT_MIN ? INT_MAX : std::abs(degrees);
  out.minutes = std::fabs((v - whole) * 60.0);
  return out;
}
