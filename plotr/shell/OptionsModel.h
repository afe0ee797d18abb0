#pragma once
// The values and rules of the four options pages without windows: each page loads from the
// settings cache, tracks which groups the user changed, and on OK writes only those groups and
// says which update hint the views get (0 for none).

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "plotr/core/Settings.h"

namespace options {

// The names the hot-key lists offer: "1".."9", "0", "F2".."F9", "F11", "F12".
const std::vector<std::string>& KeyNames();
// The list index of a stored key name by exact match, -1 when the list has no such entry.
int KeyIndex(const std::string& name);

struct HotKeyChoice {
  int index = -1;        // into KeyNames(), -1: the stored name has no entry
  std::string stored;    // the name as loaded, written back when no entry is chosen
  bool alt = false, ctrl = false, shift = false;
  HotKey ToHotKey() const;
};

struct GlobalPage {
  std::array<HotKeyChoice, 3> keys;  // switch, docking, fly-plan
  int colorMode = 0, colorDay = 7, colorNight = 21, colorNightMode = 0;
  bool sound = true;
  bool resetWarnings = false;
  int airspeedKind = 1;  // 0 true airspeed, 1 indicated
  bool changed = false;

  void Load(CSettings& settings);
  // True when the hot keys were written (the host's table must be rebuilt).
  bool Apply(CSettings& settings, uint32_t& hint);
  bool ColorListsEnabled() const { return colorMode == 0; }
};

struct PlanPage {
  int speedLimit = 1, distance = 0, ete = 0, fuel = 0, fuelMeasure = 0;
  bool displayChanged = false, speedLimitChanged = false;

  void Load(CSettings& settings);
  // `refresh` recomputes the plan after a speed-limit change.
  void Apply(CSettings& settings, const std::function<void()>& refresh, uint32_t& hint);
};

struct MapPage {
  static constexpr int kHeightStep = 500;
  LogFont font;
  std::string heightText;
  int spinPosition = 36;
  bool coast = true, grid = true, rivers = true, taxiways = true, fuelAreas = true, backCourseIls = true,
       mountains = true, airspaceA = true, airspaceB = true;
  int mpSpeedKind = 0;  // 0 ground speed, 1 IAS or TAS
  bool mapChanged = false, backCourseChanged = false, heightChanged = false, mpSpeedChanged = false;

  void Load(CSettings& settings);
  // The spin moved to a position (units of 500 ft).
  void SetSpinPosition(int position);
  void Apply(CSettings& settings, uint32_t& hint);
};

struct FmsPage {
  // Per mode: HDG, ALT, SPEED, NAV1, NAV2, ADF.
  std::array<std::array<int, 6>, 2> values{{{-1, -1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1, -1}}};
  bool changed = false;

  void Load(CSettings& settings);
  // Full automatic (0), half automatic (1), manual (2).
  void ApplyPreset(int mode, int preset);
  // The preset whose row the mode's six values equal, -1 for none.
  int PressedPreset(int mode) const;
  void Apply(CSettings& settings);
};

}  // namespace options
