// Every plan-export writer over plan records made of arbitrary bytes: the records come from the
// host across a library boundary, so texts may lack their terminators, counts may be out of
// range, numbers may be NaN and type letters anything.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "planexport/common/ExportFile.h"
#include "planexport/common/testing/ScriptedPlan.h"
#include "planexport/gpsplan/GpsplanWriter.h"
#include "planexport/iniplan/IniplanWriter.h"
#include "planexport/netplanc/NetplancWriter.h"
#include "planexport/tabtext/TabtextWriter.h"

namespace {

using flpxtest::Script;

// Input layout: one options byte, the plan information record, then waypoint records; short
// records are completed with zeros. The size fields are always right, as the host's are.
constexpr size_t kMaxRows = 64;

std::filesystem::path g_folder;

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(g_folder, ignored);
}

bool Prepare() {
  g_folder = std::filesystem::temp_directory_path() / ("flpx-writers-fuzz-" + std::to_string(::getpid()));
  std::filesystem::create_directories(g_folder);
  std::atexit(RemoveFolder);
  return true;
}

template <class Record>
size_t Take(Record& record, const uint8_t* data, size_t size) {
  std::memset(&record, 0, sizeof record);
  const size_t n = size < sizeof record ? size : sizeof record;
  std::memcpy(&record, data, n);
  return n;
}

using Writer = int (*)(const FlpxPlanSource& plan, const FlpxPlanInfo& info, uint8_t options, CExportFile& file);

int Tabtext(const FlpxPlanSource& plan, const FlpxPlanInfo& info, uint8_t, CExportFile& file) {
  return WriteTabtextPlan(plan, info, file);
}
int Iniplan(const FlpxPlanSource& plan, const FlpxPlanInfo&, uint8_t, CExportFile& file) {
  return WriteIniplanPlan(plan, file);
}
int Netplanc(const FlpxPlanSource& plan, const FlpxPlanInfo& info, uint8_t options, CExportFile& file) {
  NetplancOptions o;
  o.crossingSpeed = options & 1;
  o.crossingAltitude = options & 2;
  o.altitudeAfter = options & 4;
  o.headingAfter = options & 8;
  return WriteNetplancRoute(plan, info, o, file);
}
int Gpsplan(const FlpxPlanSource& plan, const FlpxPlanInfo&, uint8_t, CExportFile& file) {
  return WriteGpsplanProgram(plan, file);
}

// Each module's writer; the modules still to come add theirs here.
const Writer kWriters[] = {Tabtext, Iniplan, Netplanc, Gpsplan};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = Prepare();
  (void)prepared;
  if (size == 0) return 0;
  const uint8_t options = data[0];
  ++data;
  --size;

  flpxtest::ResetScript();
  const size_t used = Take(Script().info, data, size);
  Script().info.size = kFlpxPlanInfoSize;
  data += used;
  size -= used;
  while (size > 0 && Script().rows.size() < kMaxRows) {
    FlpxWaypoint w;
    const size_t n = Take(w, data, size);
    w.size = kFlpxWaypointSize;
    Script().rows.push_back(w);
    data += n;
    size -= n;
  }

  const FlpxImportTableRecord imports = flpxtest::ScriptedImports();
  const FlpxPlanSource plan(imports, &Script());
  const std::string target = (g_folder / "plan.out").string();
  for (Writer write : kWriters) {
    CExportFile file;
    if (!file.Open(target)) std::abort();
    const int result = write(plan, Script().info, options, file);
    if (result != 0 && result != 1) std::abort();
    file.Commit(false);
  }
  return 0;
}
