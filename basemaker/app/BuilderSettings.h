#pragma once

// Basemaker's one setting: the simulator version, read from the profile once and cached.

#include <cstdint>
#include <filesystem>

// Ten times the major plus the minor version of the simulator: 61 (the oldest, scenery sets),
// 70, 80 and 90.
inline constexpr int kSimVerDefault = 90;
inline constexpr int kSimVerSceneryCfgSets = 61;
inline constexpr int kSimVerOldestFull = 70;
inline constexpr int kSimVer2002 = 80;
// From this version on the simulator keeps NewScenery.CFG / OldScenery.CFG beside Scenery.cfg.
inline constexpr int kSimVerNewSceneryFiles = 90;

class CBuilderSettings {
 public:
  CBuilderSettings() = default;
  explicit CBuilderSettings(std::filesystem::path profileFile);
  virtual ~CBuilderSettings() = default;

  // "SimVer" of section "Essential"; 90 when the profile or the key is missing.
  int GetSimVer();

 private:
  std::filesystem::path m_profileFile;
  int32_t m_simVer = -1;
};
