#pragma once

// Shared set-up of the plan model's tests: a private folder for "Program.cfg" and
// "Aircraft.ini" with the profile seeding re-armed, and small builders of plan points.

#include <filesystem>
#include <string>

#include "plotr/plan/PlanPoint.h"

namespace plantest {

// Points the settings and the aircraft profiles at a fresh temporary folder for the lifetime of
// the object and forgets any earlier seeding, so the next route seeds "Aircraft.ini" there.
class ScopedPlanFolder {
 public:
  explicit ScopedPlanFolder(const std::string& tag);
  ~ScopedPlanFolder();
  const std::filesystem::path& Folder() const { return m_folder; }
  std::filesystem::path AircraftIni() const { return m_folder / "Aircraft.ini"; }
  std::filesystem::path ProgramCfg() const { return m_folder / "Program.cfg"; }

 private:
  std::filesystem::path m_folder;
};

// A user point at the position with the given user name ("" for an automatic name).
PlanPoint UserPoint(double lat, double lon, const char* name = "");
// A database point reference of the kind at the position, without area or file.
PlanPoint ObjectPoint(double lat, double lon, uint16_t kind);

}  // namespace plantest
