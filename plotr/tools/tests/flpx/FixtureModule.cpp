// Export plug-ins for the host's tests, one source built in several variants. Each entry calls
// every service once, so the test's scripted services see which handle and window arrived.
#include "platform/flpx/Flpx.h"

#define EXPORT __attribute__((visibility("default")))

#ifndef FIXTURE_NAME
#define FIXTURE_NAME "Fixture"
#endif
#ifndef FIXTURE_EXPORT_SIZE
#define FIXTURE_EXPORT_SIZE sizeof(FlpxExportTableRecord)
#endif
#ifndef FIXTURE_IMPORT_SIZE
#define FIXTURE_IMPORT_SIZE sizeof(FlpxImportTableRecord)
#endif
#ifndef FIXTURE_RESULT
#define FIXTURE_RESULT 1
#endif

namespace {
[[maybe_unused]] int Configure(void* hostContext, void* parent);
[[maybe_unused]] int Export(void* plan, void* parent);
}  // namespace

extern "C" {
#ifndef FIXTURE_NO_EXPORT_TABLE
EXPORT FlpxExportTableRecord FlpxExportTable = {
    FIXTURE_EXPORT_SIZE, FIXTURE_NAME,
#ifdef FIXTURE_NO_CONFIGURE
    nullptr,
#else
    Configure,
#endif
#ifdef FIXTURE_NO_EXPORT
    nullptr,
#else
    Export,
#endif
};
#endif
EXPORT FlpxImportTableRecord FlpxImportTable = {FIXTURE_IMPORT_SIZE, nullptr, nullptr, nullptr, nullptr, {0, 0, 0}};
}

namespace {

void CallEveryService(void* handle, void* parent) {
  const FlpxImportTableRecord& s = FlpxImportTable;
  char path[kFlpxPathSize] = "";
  if (s.saveFileDialog) s.saveFileDialog(path, parent, nullptr, nullptr, nullptr, nullptr);
  FlpxPlanInfo info{};
  info.size = kFlpxPlanInfoSize;
  if (s.getPlanInfo) s.getPlanInfo(handle, &info);
  FlpxWaypoint waypoint{};
  waypoint.size = kFlpxWaypointSize;
  if (s.getWaypoint) s.getWaypoint(handle, kFlpxMoveFirst, &waypoint);
  FlpxStartPosition position{};
  position.size = kFlpxStartPositionSize;
  if (s.getStartPosition) s.getStartPosition(handle, kFlpxMoveFirst, &position);
}

[[maybe_unused]] int Configure(void* hostContext, void* parent) {
  CallEveryService(hostContext, parent);
  return 1;
}

[[maybe_unused]] int Export(void* plan, void* parent) {
  CallEveryService(plan, parent);
  return FIXTURE_RESULT;
}

}  // namespace
