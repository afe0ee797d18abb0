#include "planexport/route/PlanTotals.h"

#include <cmath>
#include <cstdint>

namespace {

// The values are never negative; 64 bits keep the rounding of the largest ones from overflowing.
unsigned RoundedUp(int value, int add, int step, int scale) {
  const uint64_t v = value > 0 ? static_cast<uint64_t>(value) : 0;
  return static_cast<unsigned>((v + static_cast<uint64_t>(add)) / static_cast<uint64_t>(step) *
                               static_cast<uint64_t>(scale));
}

}  // namespace

unsigned PlanTotals::RoundedSpeed() const { return RoundedUp(cruiseSpeed, 5, 10, 10); }
unsigned PlanTotals::Level() const { return RoundedUp(cruiseAltitude, 250, 500, 5); }
unsigned PlanTotals::RoundedAltitude() const { return RoundedUp(cruiseAltitude, 250, 500, 500); }
unsigned PlanTotals::Hours() const { return TruncUnsigned(totalTime / 60.0); }
unsigned PlanTotals::Minutes() const { return TruncUnsigned(std::fmod(totalTime, 60.0)); }

PlanTotals ReadPlanTotals(const FlpxPlanSource& plan) {
  PlanTotals totals;
  FlpxWaypoint w;
  for (int move = kFlpxMoveFirst; plan.Waypoint(move, w); move = kFlpxMoveNext) {
    totals.totalTime += w.legTime;
    const double tas = w.trueAirspeed;
    const double altitude = w.altitude;
    if (tas > totals.cruiseSpeed) totals.cruiseSpeed = TruncInt(tas);
    if (altitude > totals.cruiseAltitude) totals.cruiseAltitude = TruncInt(altitude);
  }
  return totals;
}
