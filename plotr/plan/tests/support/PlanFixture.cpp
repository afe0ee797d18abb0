#include "plotr/plan/tests/support/PlanFixture.h"

#include "plotr/core/Settings.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/Route.h"

#include <unistd.h>

namespace plantest {

ScopedPlanFolder::ScopedPlanFolder(const std::string& tag) {
  m_folder = std::filesystem::temp_directory_path() / ("plotr-plan-" + tag + "-" + std::to_string(::getpid()));
  std::filesystem::remove_all(m_folder);
  std::filesystem::create_directories(m_folder);
  g_Settings = CSettings();
  g_Settings.SetProfileFile(ProgramCfg());
  SetAircraftProfileFolder(m_folder);
  ResetAircraftProfileSeeding();
}

ScopedPlanFolder::~ScopedPlanFolder() {
  ResetAircraftProfileSeeding();
  std::error_code ignored;
  std::filesystem::remove_all(m_folder, ignored);
}

PlanPoint UserPoint(double lat, double lon, const char* name) {
  PlanPoint p;
  CRoute::MakeUserPoint(p.ref.point, lat, lon);
  std::snprintf(p.userName, sizeof p.userName, "%s", name);
  return p;
}

PlanPoint ObjectPoint(double lat, double lon, uint16_t kind) {
  PlanPoint p;
  p.ref.point = NavPoint(lat, lon, kind, 1);
  return p;
}

}  // namespace plantest
