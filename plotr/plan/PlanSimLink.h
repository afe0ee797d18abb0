#pragma once
// How the plan's fly-plan, fly-to and holding operations see the simulator and give their cues.
// The simulator layer of the plan object installs its own link; until then the plan sees a
// simulator without autopilot, so every start is refused, and plays nothing.

#include "plotr/plan/SimSnapshot.h"

class IPlanSimLink {
 public:
  virtual ~IPlanSimLink() = default;
  virtual const SimSnapshot& Snapshot() const = 0;
  // Cue ids as the sound player numbers them (1 next waypoint, 2 fly-plan on, 3 fly-plan off).
  virtual void PlayCue(int id) = 0;
};

// The link of a plan that no simulator layer has claimed.
IPlanSimLink& NoSimLink();
