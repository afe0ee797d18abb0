#include "plotr/shell/OptionsModel.h"

#include <algorithm>
#include <charconv>

#include "plotr/core/UpdateHints.h"

namespace options {
namespace {

constexpr int kPresets[3][6] = {{0, 0, 0, 0, 0, 0}, {1, 1, 1, 0, 0, 0}, {2, 2, 2, 2, 2, 1}};

HotKeyChoice FromHotKey(const HotKey& key) {
  HotKeyChoice c;
  c.index = KeyIndex(key.name);
  c.stored = key.name;
  c.alt = key.alt;
  c.ctrl = key.ctrl;
  c.shift = key.shift;
  return c;
}

}  // namespace

const std::vector<std::string>& KeyNames() {
  static const std::vector<std::string> names = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "F2",
                                                 "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F11", "F12"};
  return names;
}

int KeyIndex(const std::string& name) {
  const auto& names = KeyNames();
  const auto it = std::find(names.begin(), names.end(), name);
  return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

HotKey HotKeyChoice::ToHotKey() const {
  HotKey key;
  key.name = index >= 0 && static_cast<size_t>(index) < KeyNames().size() ? KeyNames()[static_cast<size_t>(index)]
                                                                         : stored;
  key.alt = alt;
  key.ctrl = ctrl;
  key.shift = shift;
  return key;
}

void GlobalPage::Load(CSettings& s) {
  keys[0] = FromHotKey(s.GetSwitchKey(false));
  keys[1] = FromHotKey(s.GetDockingKey(false));
  keys[2] = FromHotKey(s.GetFlyPlanKey(false));
  airspeedKind = s.GetUseIndicatedAirSpeed(false) ? 1 : 0;
  colorMode = s.GetColorMode(false);
  colorDay = s.GetColorDay(false);
  colorNight = s.GetColorNight(false);
  colorNightMode = s.GetColorNightMode(false);
  sound = s.GetUseSound(false);
}

bool GlobalPage::Apply(CSettings& s, uint32_t& hint) {
  hint = 0;
  if (resetWarnings) s.ResetDisabledWarnings();
  if (!changed) return false;
  changed = false;
  s.SetSwitchKey(keys[0].ToHotKey());
  s.SetDockingKey(keys[1].ToHotKey());
  s.SetFlyPlanKey(keys[2].ToHotKey());
  s.SetUseIndicatedAirSpeed(airspeedKind == 1);
  s.SetColorMode(colorMode);
  s.SetColorDay(colorDay);
  s.SetColorNight(colorNight);
  s.SetColorNightMode(colorNightMode);
  s.SetUseSound(sound);
  hint = kHintRows | kHintDisplayOptions;
  return true;
}

void PlanPage::Load(CSettings& s) {
  speedLimit = s.GetSpeedLimit(false);
  distance = s.GetPlanCumulativeDist(false);
  ete = s.GetPlanCumulativeEte(false);
  fuel = s.GetPlanCumulativeFuel(false);
  fuelMeasure = s.GetFuelMeasure(false);
}

void PlanPage::Apply(CSettings& s, const std::function<void()>& refresh, uint32_t& hint) {
  hint = 0;
  if (!displayChanged && !speedLimitChanged) return;
  s.SetSpeedLimit(speedLimit);
  s.SetPlanCumulativeDist(distance);
  s.SetPlanCumulativeEte(ete);
  s.SetPlanCumulativeFuel(fuel);
  s.SetFuelMeasure(fuelMeasure);
  if (speedLimitChanged && refresh) refresh();
  hint = speedLimitChanged ? kHintPlanGeometry | kHintRows | kHintDisplayOptions : kHintRows | kHintDisplayOptions;
  displayChanged = speedLimitChanged = false;
}

void MapPage::Load(CSettings& s) {
  font = s.GetMapFont(false);
  int h = s.GetMapAirspaceTransitionHeight(false);
  h = h / kHeightStep * kHeightStep;
  h = std::clamp(h, 10000, 30000);
  spinPosition = h / kHeightStep;
  heightText = std::to_string(h);
  coast = s.GetMapContinents(false);
  grid = s.GetMapGrid(false);
  rivers = s.GetMapRivers(false);
  taxiways = s.GetMapTaxiway(false);
  fuelAreas = s.GetMapFuelarea(false);
  backCourseIls = s.GetMapBcIls(false);
  mountains = s.GetMapMountains(false);
  airspaceA = s.GetMapAirspaceArtcc(false);
  airspaceB = s.GetMapAirspaceFir(false);
  mpSpeedKind = s.GetMapMPAircraftGS(false) ? 0 : 1;
}

void MapPage::SetSpinPosition(int position) {
  spinPosition = std::clamp(position, 20, 60);
  heightText = std::to_string(spinPosition * kHeightStep);
  heightChanged = true;
}

void MapPage::Apply(CSettings& s, uint32_t& hint) {
  hint = 0;
  if (heightChanged) {
    unsigned value = 0;
    std::from_chars(heightText.data(), heightText.data() + heightText.size(), value);
    s.SetMapAirspaceTransitionHeight(static_cast<int>(value));
    heightChanged = false;
  }
  if (mapChanged) {
    s.SetMapFont(font);
    s.SetMapAirspaceArtcc(airspaceA);
    s.SetMapAirspaceFir(airspaceB);
    s.SetMapBcIls(backCourseIls);
    s.SetMapMountains(mountains);
    s.SetMapTaxiway(taxiways);
    s.SetMapFuelarea(fuelAreas);
    s.SetMapGrid(grid);
    s.SetMapContinents(coast);
    s.SetMapRivers(rivers);
    hint = backCourseChanged ? kHintDatabaseReloaded | kHintMapParameters | kHintRows : kHintMapParameters;
    mapChanged = backCourseChanged = false;
  }
  if (mpSpeedChanged) {
    s.SetMapMPAircraftGS(mpSpeedKind == 0);
    mpSpeedChanged = false;
  }
}

void FmsPage::Load(CSettings& s) {
  values[0] = {s.GetAvionicsAutoHead(false), s.GetAvionicsAutoAlt(false), s.GetAvionicsAutoSpeed(false),
               s.GetAvionicsAutoNav1(false), s.GetAvionicsAutoNav2(false), s.GetAvionicsAutoAdf(false)};
  values[1] = {s.GetAvionics2AutoHead(false), s.GetAvionics2AutoAlt(false), s.GetAvionics2AutoSpeed(false),
               s.GetAvionics2AutoNav1(false), s.GetAvionics2AutoNav2(false), s.GetAvionics2AutoAdf(false)};
}

void FmsPage::ApplyPreset(int mode, int preset) {
  if (mode < 0 || mode > 1 || preset < 0 || preset > 2) return;
  for (int i = 0; i < 6; ++i) values[static_cast<size_t>(mode)][static_cast<size_t>(i)] = kPresets[preset][i];
  changed = true;
}

int FmsPage::PressedPreset(int mode) const {
  for (int p = 0; p < 3; ++p)
    if (std::equal(values[static_cast<size_t>(mode)].begin(), values[static_cast<size_t>(mode)].end(), kPresets[p]))
      return p;
  return -1;
}

void FmsPage::Apply(CSettings& s) {
  if (!changed) return;
  changed = false;
  const auto& a = values[0];
  const auto& b = values[1];
  s.SetAvionicsAutoHead(a[0]);
  s.SetAvionicsAutoAlt(a[1]);
  s.SetAvionicsAutoSpeed(a[2]);
  s.SetAvionicsAutoNav1(a[3]);
  s.SetAvionicsAutoNav2(a[4]);
  s.SetAvionicsAutoAdf(a[5]);
  s.SetAvionics2AutoHead(b[0]);
  s.SetAvionics2AutoAlt(b[1]);
  s.SetAvionics2AutoSpeed(b[2]);
  s.SetAvionics2AutoNav1(b[3]);
  s.SetAvionics2AutoNav2(b[4]);
  s.SetAvionics2AutoAdf(b[5]);
}

}  // namespace options
