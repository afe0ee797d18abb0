#pragma once

// What the overlays are drawn with: copies of the plan's guidance and holding fields, the
// simulator snapshot, the other players, and the two settings the labels follow. The view
// fills it on the user-interface thread; the drawing thread reads only its own copy.

#include <cfloat>
#include <cstdint>
#include <vector>

#include "plotr/core/MpPlayerEntry.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/SimSnapshot.h"

struct MapGuidanceOverlay {
  uint32_t guidanceFlags = 0;  // not 0 while any guidance runs
  double targetLatitude = DBL_MAX;
  double targetLongitude = DBL_MAX;
  uint8_t levelOffValid = 0;  // top of climb or descent ahead
  double levelOffLatitude = 0;
  double levelOffLongitude = 0;
  double levelOffCourse = 0;

  // The plan's fly-to target and next top of climb or descent. Caller holds a DatabaseLease.
  static MapGuidanceOverlay FromPlan(const CFlightPlanCore& plan);
};

struct MapOverlayState {
  HoldingDefinition holding;  // defined = 0: no holding
  MapGuidanceOverlay guidance;
  SimSnapshot sim{};
  std::vector<MpPlayerEntry> players;
  bool playerGroundSpeed = true;  // setting "MapMPAircraftGS"
  bool indicatedAirspeed = true;  // setting "UseIndicatedAirSpeed"
};
