#include "planexport/common/testing/ScriptedPlan.h"

#include <cstring>

namespace flpxtest {

namespace {

ScriptedPlan g_script;

template <class Record>
bool HasSize(const Record* record, uint32_t size) {
  if (!record) return false;
  uint32_t field = 0;
  std::memcpy(&field, record, sizeof field);
  return field == size;
}

// A record from a list at the moved cursor; the cursor returns to the first entry past either end.
template <class Record>
int Step(const std::vector<Record>& list, int32_t& cursor, int move, Record* out) {
  FlpxMoveCursor(cursor, move, static_cast<int>(list.size()));
  if (cursor < 0 || cursor >= static_cast<int32_t>(list.size())) {
    cursor = 0;
    return 0;
  }
  *out = list[static_cast<size_t>(cursor)];
  return 1;
}

std::string Text(const char* text) { return text ? text : ""; }

extern "C" int ScriptedSave(char* path, void* parent, const char* filter, const char* initialDir,
                            const char* defaultExt, const char* initialName) {
  ScriptedPlan& s = g_script;
  ++s.saveCalls;
  s.parentSeen = parent;
  s.filterSeen = Text(filter);
  s.initialDirSeen = Text(initialDir);
  s.defaultExtSeen = Text(defaultExt);
  s.initialNameSeen = Text(initialName);
  if (!s.saveAccepts) return 0;
  if (s.savePath.size() >= kFlpxPathSize) {
    if (!s.saveUnterminated) return 0;
    std::memcpy(path, s.savePath.data(), kFlpxPathSize);
    return 1;
  }
  std::memcpy(path, s.savePath.c_str(), s.savePath.size() + 1);
  return 1;
}

extern "C" int ScriptedPlanInfo(void* plan, FlpxPlanInfo* info) {
  ++g_script.planInfoCalls;
  if (!plan || !HasSize(info, kFlpxPlanInfoSize) || g_script.infoFails) return 0;
  *info = g_script.info;
  info->size = kFlpxPlanInfoSize;
  return 1;
}

extern "C" int ScriptedWaypoint(void* plan, int move, FlpxWaypoint* waypoint) {
  if (!plan || !HasSize(waypoint, kFlpxWaypointSize)) return 0;
  return Step(g_script.rows, g_script.waypointCursor, move, waypoint);
}

extern "C" int ScriptedStart(void* plan, int move, FlpxStartPosition* position) {
  if (!plan || !HasSize(position, kFlpxStartPositionSize)) return 0;
  return Step(g_script.starts, g_script.startCursor, move, position);
}

}  // namespace

ScriptedPlan& Script() { return g_script; }

void ResetScript() {
  g_script = ScriptedPlan();
  g_script.info.size = kFlpxPlanInfoSize;
}

FlpxServiceSet ScriptedServices() { return {ScriptedSave, ScriptedPlanInfo, ScriptedWaypoint, ScriptedStart}; }

FlpxImportTableRecord ScriptedImports() {
  return {sizeof(FlpxImportTableRecord), ScriptedSave, ScriptedPlanInfo, ScriptedWaypoint, ScriptedStart, {0, 0, 0}};
}

FlpxWaypoint MakeWaypoint(char type, std::string_view ident, std::string_view name) {
  FlpxWaypoint w{};
  w.size = kFlpxWaypointSize;
  w.type = type;
  SetText(w.ident, ident);
  SetText(w.name, name);
  return w;
}

void AddRows(std::initializer_list<ScriptRow> rows) {
  for (const ScriptRow& r : rows) {
    FlpxWaypoint w = MakeWaypoint(r.type, r.ident, r.name);
    w.latitude = r.lat;
    w.longitude = r.lon;
    w.heading = r.heading;
    w.speed = r.speed;
    w.trueAirspeed = r.tas;
    w.indicatedAirspeed = r.ias;
    w.verticalSpeed = r.vs;
    w.altitude = r.altitude;
    w.legDistance = r.distance;
    w.legTime = r.time;
    w.legFuel = r.fuel;
    w.frequency = r.frequency;
    w.manualSpeed = r.manualSpeed;
    w.altitude1 = r.altitude1;
    w.altitude2 = r.altitude2;
    g_script.rows.push_back(w);
  }
}

void SetAirport(FlpxAirportInfo& block, std::string_view name, std::string_view ident, double atis, double lat,
                double lon, double elevation, double variation) {
  block.present = 1;
  SetText(block.name, name);
  SetText(block.ident, ident);
  block.atisFrequency = atis;
  block.latitude = lat;
  block.longitude = lon;
  block.elevation = elevation;
  block.variation = variation;
}

void AddRunway(FlpxAirportInfo& block, std::string_view ident, double heading, double lat, double lon,
               double elevation, double length, double width, double ils) {
  const int32_t n = block.runwayCount;
  if (n < 0 || n >= kFlpxMaxRunways) return;
  FlpxRunwayInfo& r = block.runways[n];
  SetText(r.ident, ident);
  r.heading = heading;
  r.latitude = lat;
  r.longitude = lon;
  r.elevation = elevation;
  r.length = length;
  r.width = width;
  r.ilsFrequency = ils;
  block.runwayCount = n + 1;
}

}  // namespace flpxtest
