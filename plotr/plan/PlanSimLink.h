#pragma once
// How the plan's fly-plan, fly-to and holding operations see the simulator and give their cues,
// and what the panes ask of the simulator for a point. The simulator layer of the plan object
// installs its own link; until then the plan sees a simulator without autopilot, so every start
// is refused, plays nothing and moves nothing.

#include "plotr/plan/SimSnapshot.h"

class IPlanSimLink {
 public:
  virtual ~IPlanSimLink() = default;
  virtual const SimSnapshot& Snapshot() const = 0;
  // Cue ids as the sound player numbers them (1 next waypoint, 2 fly-plan on, 3 fly-plan off).
  virtual void PlayCue(int id) = 0;

  // Whether the plan flies in the simulator, so the aircraft and the tower view can be moved.
  virtual bool InSimulator() const { return false; }
  // Altitude in metres and heading in degrees true, DBL_MAX for none.
  virtual void MoveAircraft(double /*latitude*/, double /*longitude*/, double /*altitude*/, double /*heading*/) {}
  virtual void SetTowerViewPosition(double /*latitude*/, double /*longitude*/, double /*height*/) {}
  // Asks the guidance to fly to a point, or to fly the plan from a row.
  virtual void RequestFlyTo(double /*latitude*/, double /*longitude*/) {}
  virtual void RequestFlyPlanFrom(int /*row*/) {}
};

// The link of a plan that no simulator layer has claimed.
IPlanSimLink& NoSimLink();
