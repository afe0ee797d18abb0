#include "planexport/common/PlanSource.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

bool FlpxPlanSource::PlanInfo(FlpxPlanInfo& info) const {
  std::memset(&info, 0, sizeof info);
  info.size = kFlpxPlanInfoSize;
  return m_imports.getPlanInfo && m_imports.getPlanInfo(m_plan, &info) != 0;
}

bool FlpxPlanSource::Waypoint(int move, FlpxWaypoint& waypoint) const {
  std::memset(&waypoint, 0, sizeof waypoint);
  waypoint.size = kFlpxWaypointSize;
  return m_imports.getWaypoint && m_imports.getWaypoint(m_plan, move, &waypoint) != 0;
}

bool FlpxPlanSource::StartPosition(int move, FlpxStartPosition& position) const {
  std::memset(&position, 0, sizeof position);
  position.size = kFlpxStartPositionSize;
  return m_imports.getStartPosition && m_imports.getStartPosition(m_plan, move, &position) != 0;
}

bool FlpxPlanSource::SaveFileDialog(char* path, void* parent, const char* filter, const char* initialDir,
                                    const char* defaultExt, const char* initialName) const {
  return m_imports.saveFileDialog &&
         m_imports.saveFileDialog(path, parent, filter, initialDir, defaultExt, initialName) != 0;
}

unsigned TruncUnsigned(double value) {
  if (std::isnan(value) || value <= 0) return 0;
  if (value >= static_cast<double>(UINT_MAX)) return UINT_MAX;
  return static_cast<unsigned>(value);
}

int TruncInt(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(value);
}

int RunwayCount(const FlpxAirportInfo& airport) {
  const int32_t count = airport.runwayCount;
  return std::clamp<int32_t>(count, 0, kFlpxMaxRunways);
}
