#include "planexport/common/Coordinates.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "planexport/common/PlanSource.h"

FlpxDegMin SplitDegrees(double value) {
  FlpxDegMin out;
  if (std::isnan(value)) return out;
  const double d = std::trunc(value);
  // Scaled in two steps (minutes, then hundredths) and back in two: a single factor of 6000 lands
  // a half hundredth such as 7.81675 (7 49.005') just below .5 and rounds it down.
  const double v = std::floor((value - d) * 60.0 * 100.0 + 0.5) / 60.0 / 100.0 + d;
  const double whole = std::trunc(v);
  out.negative = v < 0;
  const int degrees = TruncInt(whole);
  out.degrees = degrees == INT_MIN ? INT_MAX : std::abs(degrees);
  out.minutes = std::fabs((v - whole) * 60.0);
  return out;
}
