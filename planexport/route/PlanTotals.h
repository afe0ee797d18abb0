#pragma once

// What the network client and operations planner plans say about the whole flight: the time
// en route and the cruise speed and altitude, taken as the highest of any record.

#include "planexport/common/PlanSource.h"

struct PlanTotals {
  double totalTime = 0;    // minutes
  int cruiseSpeed = 0;     // knots, true airspeed
  int cruiseAltitude = 0;  // feet

  // Knots to the nearest ten.
  unsigned RoundedSpeed() const;
  // Hundreds of feet to the nearest 500 ft: 175 or 180.
  unsigned Level() const;
  // Feet to the nearest 500.
  unsigned RoundedAltitude() const;
  unsigned Hours() const;
  unsigned Minutes() const;
};

// One pass over every waypoint record.
PlanTotals ReadPlanTotals(const FlpxPlanSource& plan);
