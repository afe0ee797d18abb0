#pragma once

// A plan made of prepared records behind the four plug-in services, for the modules' tests,
// benchmarks and fuzz targets. The waypoint cursor moves by the plan's own move function, and
// each service refuses a size field other than its record's, as the plan does. One script per
// process: the services are plain C functions.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/flpx/Flpx.h"
#include "plotr/tools/FlpxServices.h"

namespace flpxtest {

struct ScriptedPlan {
  FlpxPlanInfo info{};
  bool infoFails = false;
  std::vector<FlpxWaypoint> rows;
  std::vector<FlpxStartPosition> starts;
  int32_t waypointCursor = 0;
  int32_t startCursor = 0;

  // The save dialog's answer, and what it was given.
  bool saveAccepts = true;
  std::string savePath;
  // Set, a `savePath` that does not fit fills the whole path buffer without a terminator, as a
  // careless host might; otherwise it is refused as the host refuses it.
  bool saveUnterminated = false;
  int saveCalls = 0;
  std::string filterSeen, initialDirSeen, defaultExtSeen, initialNameSeen;
  void* parentSeen = nullptr;
  int planInfoCalls = 0;
};

// The script the services read; Reset gives a fresh one (size fields set, nothing else).
ScriptedPlan& Script();
void ResetScript();

FlpxServiceSet ScriptedServices();
// An import table as the host would fill it with the scripted services.
FlpxImportTableRecord ScriptedImports();

// A waypoint record with its size, type letter, identifier and name set.
FlpxWaypoint MakeWaypoint(char type, std::string_view ident, std::string_view name);

// One waypoint of a scripted plan; tests name the fields they need.
struct ScriptRow {
  char type = 0;
  const char* ident = "";
  const char* name = "";
  double lat = 0, lon = 0, heading = 0, speed = 0, tas = 0, ias = 0, vs = 0, altitude = 0;
  double distance = 0, time = 0, fuel = 0, frequency = 0;
  double manualSpeed = 0, altitude1 = 0, altitude2 = 0;
};
// Appends the rows to the script's waypoints.
void AddRows(std::initializer_list<ScriptRow> rows);
// An airport block marked present, without runways.
void SetAirport(FlpxAirportInfo& block, std::string_view name, std::string_view ident, double atis, double lat,
                double lon, double elevation, double variation);
// Appends a runway to the block (the count is raised by one).
void AddRunway(FlpxAirportInfo& block, std::string_view ident, double heading, double lat, double lon,
               double elevation, double length, double width, double ils);
// Copies text into a fixed field, cut to leave room for the terminator.
template <size_t N>
void SetText(char (&field)[N], std::string_view text) {
  size_t n = text.size() < N ? text.size() : N - 1;
  for (size_t i = 0; i < N; ++i) field[i] = i < n ? text[i] : '\0';
}

}  // namespace flpxtest
