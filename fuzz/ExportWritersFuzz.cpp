// Every plan-export writer over plan records made of arbitrary bytes: the records come from the
// host across a library boundary, so texts may lack their terminators, counts may be out of
// range, numbers may be NaN and type letters anything.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "fuzz/WorkFolder.h"
#include "planexport/atcplan/AtcDetailsModel.h"
#include "planexport/atcplan/AtcplanWriter.h"
#include "planexport/common/ExportFile.h"
#include "planexport/common/testing/ScriptedPlan.h"
#include "planexport/gpsplan/GpsplanWriter.h"
#include "planexport/iniplan/IniplanWriter.h"
#include "planexport/netplana/NetplanaWriter.h"
#include "planexport/netplanb/NetplanbWriter.h"
#include "planexport/netplanc/NetplancWriter.h"
#include "planexport/opsplan/OpsplanWriter.h"
#include "planexport/route/DirectRoute.h"
#include "planexport/simpln/SimPlnWriter.h"
#include "planexport/simpln/StartPositionModel.h"
#include "planexport/tabtext/TabtextWriter.h"

namespace {

using flpxtest::Script;

// Input layout: one options byte, the plan information record, then waypoint records; short
// records are completed with zeros. The size fields are always right, as the host's are.
constexpr size_t kMaxRows = 64;

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

// The key the departure-position choice took, out of start positions the host made of
// arbitrary bytes.
int SimPln(const FlpxPlanSource& plan, const FlpxPlanInfo& info, uint8_t options, CExportFile& file) {
  StartPositionModel model(std::string(FieldText(info.departure.runways[0].ident)));
  model.Load(plan);
  model.Select(options % 8 < model.Entries().size() ? options % 8 : model.Selection());
  model.Accept();
  return WriteSimPlnPlan(plan, file, info, model.StoredKey());
}
int Simplana(const FlpxPlanSource& plan, const FlpxPlanInfo& info, uint8_t, CExportFile& file) {
  return WriteSimplanaPlan(plan, file, info);
}
// The options dialog's moves picked by the option bits, its texts from the plan's names.
int Atcplan(const FlpxPlanSource& plan, const FlpxPlanInfo& info, uint8_t options, CExportFile& file) {
  AtcRoute route;
  if (!ReadAtcRoute(plan, route)) return 0;
  AtcDetailsModel model(info, route.highestAltitude);
  model.MoveSelectedRunways(AtcList::kOpenDeparture, {options & 3, options >> 6});
  model.MoveSelectedRunways(AtcList::kOpenArrival, {(options >> 2) & 3});
  model.MoveSelectedRunways(AtcList::kAvailableArrival, {0});
  for (AtcList list : {AtcList::kOpenDeparture, AtcList::kOpenArrival}) {
    for (int runway : model.Items(list)) model.ColumnTexts(list, runway);
  }
  if (!model.Accept(model.DefaultTitle(), model.DefaultDescription(), options >> 4)) return 0;
  return WriteAtcplanPlan(plan, route, model.Details(), file);
}

int Netplana(const FlpxPlanSource& plan, const FlpxPlanInfo& info, uint8_t, CExportFile& file) {
  return WriteNetplanaPlan(plan, file, info);
}
int Netplanb(const FlpxPlanSource& plan, const FlpxPlanInfo& info, uint8_t, CExportFile& file) {
  return WriteNetplanbPlan(plan, file, info);
}
int Opsplan(const FlpxPlanSource& plan, const FlpxPlanInfo& info, uint8_t, CExportFile& file) {
  return WriteOpsplanPlan(plan, file, info);
}

// The direct route's endpoints lie on the plan, in order, and the walk that counts the rest of
// the plan leaves the cursor where it found it.
void CheckDirectRoute(const FlpxPlanSource& plan, const FlpxPlanInfo& info, size_t rows) {
  const RouteEndpoints ends = FindRouteEndpoints(plan, info);
  if (ends.first < 0 || static_cast<size_t>(ends.first) >= (rows ? rows : 1)) std::abort();
  if (ends.last != kNoClosingFix && (ends.last < 1 || static_cast<size_t>(ends.last) >= rows)) std::abort();
  const std::string route = BuildDirectRoute(plan, ends, kOpsplanSeparators);
  if (route != "DCT" && (route.rfind("DCT-", 0) != 0 || route.size() < 8)) std::abort();
  FlpxWaypoint w;
  for (int index = 0, move = kFlpxMoveFirst; static_cast<size_t>(index) < rows; ++index, move = kFlpxMoveNext) {
    if (!plan.Waypoint(move, w)) std::abort();
    const FlpxWaypoint here = w;
    int count = -1;
    CountRouteWaypoints(count, plan, index);
    if (count != static_cast<int>(rows) - index - 1) std::abort();
    if (!plan.Waypoint(kFlpxMoveCurrent, w) || std::memcmp(&here, &w, sizeof w) != 0) std::abort();
  }
}

// Each module's writer.
const Writer kWriters[] = {Tabtext, Iniplan, Netplanc, Gpsplan, SimPln, Simplana, Atcplan, Netplana, Netplanb, Opsplan};

// The description's lines hold every byte of any text of up to 250, each line 1 to 80 long.
void CheckDescriptionChunks(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size < 250 ? size : 250);
  size_t total = 0;
  for (std::string_view chunk : DescriptionChunks(text)) {
    if (chunk.empty() || chunk.size() > 80 || chunk.data() != text.data() + total) std::abort();
    total += chunk.size();
  }
  if (total != text.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t options = data[0];
  ++data;
  --size;

  CheckDescriptionChunks(data, size);

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
    // The same bytes as a start position of the departure.
    FlpxStartPosition p;
    std::memcpy(&p, &w, sizeof p);
    p.size = kFlpxStartPositionSize;
    Script().starts.push_back(p);
    data += n;
    size -= n;
  }

  const FlpxImportTableRecord imports = flpxtest::ScriptedImports();
  const FlpxPlanSource plan(imports, &Script());
  const std::string target = (fuzzsupport::WorkFolder("flpx-writers-fuzz") / "plan.out").string();
  CheckDirectRoute(plan, Script().info, Script().rows.size());
  for (Writer write : kWriters) {
    CExportFile file;
    if (!file.Open(target)) std::abort();
    const int result = write(plan, Script().info, options, file);
    if (result != 0 && result != 1) std::abort();
    file.Commit(false);
  }
  return 0;
}
