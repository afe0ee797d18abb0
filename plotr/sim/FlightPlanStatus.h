#pragma once
// The plan object's publication level: every fifth tick it writes the guidance state and a
// navigation summary (the leg to the active waypoint, the next two waypoints, the arrival and
// what a horizontal situation indicator needs) into the named variables that gauges and the FMS
// panel read. Every publication starts from zeroed blocks.

#include <cstdint>

#include "plotr/sim/FlightPlanGuidance.h"
#include "plotr/sim/FmsRecords.h"

class CFlightPlanStatus : public CFlightPlanGuidance {
 public:
  explicit CFlightPlanStatus(const PlanSimServices& services = {});

  void OnTick(uint32_t tick) override;
  // The publication itself; OnTick runs it on ticks with tick mod 5 == 0.
  void Publish();

 private:
  void FillRowTexts(FmsRow& out, int row) const;
};

// Adds `minutes` to a clock of hour, minute and second; days are not counted. False (clock
// unchanged) for a duration that is not a finite number of minutes within a year.
bool AddMinutesToClock(uint8_t& hour, uint8_t& minute, uint8_t& second, double minutes);
