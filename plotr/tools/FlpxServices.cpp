#include "plotr/tools/FlpxServices.h"

#include <cstring>
#include <string>

#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanUi.h"
#include "plotr/plan/ToolDialogs.h"

namespace {

PlanUiServices g_saveDialogUi;

std::string TextOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

// The record's own size field, read without trusting its alignment.
template <class Record>
uint32_t SizeField(const Record* record) {
  uint32_t size = 0;
  std::memcpy(&size, record, sizeof size);
  return size;
}

CFlightPlanCore* PlanOf(void* plan) { return static_cast<CFlightPlanCore*>(plan); }

}  // namespace

extern "C" {

// Every argument is copied before the dialog runs: a plug-in may pass the path buffer itself
// as the initial name, and the dialog must not see it change under it.
static int FlpxServiceSaveFileDialog(char* path, void* parent, const char* filter, const char* initialDir,
                                     const char* defaultExt, const char* initialName) {
  if (!path) return 0;
  SaveFileDialogValues values;
  values.parent = parent;
  values.filter = TextOrEmpty(filter);
  values.initialDir = TextOrEmpty(initialDir);
  if (defaultExt) values.defaultExt.assign(defaultExt, strnlen(defaultExt, 3));
  values.initialName = TextOrEmpty(initialName);
  const size_t slash = values.initialName.rfind('/');
  if (slash != std::string::npos) {
    values.initialDir = values.initialName.substr(0, slash + 1);
    values.initialName.erase(0, slash + 1);
  }

  IToolDialogs* dialogs = g_saveDialogUi.dialogs;
  if (!dialogs || !dialogs->RunSaveFileDialog(values)) return 0;
  if (values.path.empty()) return 0;
  // The plug-in's buffer is fixed; a path that does not fit is refused rather than cut, and the
  // user told so, since the plug-in can only take the refusal for a cancel.
  if (values.path.size() >= kFlpxPathSize) {
    if (IPlanUi* ui = g_saveDialogUi.ui) ui->ShowError(kFlpxPathTooLongText);
    return 0;
  }
  std::memcpy(path, values.path.c_str(), values.path.size() + 1);
  return 1;
}

static int FlpxServiceGetPlanInfo(void* plan, FlpxPlanInfo* info) {
  if (!plan || !info || SizeField(info) < kFlpxPlanInfoSize) return 0;
  return PlanOf(plan)->GetPlanInfo(info);
}

static int FlpxServiceGetWaypoint(void* plan, int move, FlpxWaypoint* waypoint) {
  if (!plan || !waypoint || SizeField(waypoint) < kFlpxWaypointSize) return 0;
  return PlanOf(plan)->GetWaypoint(move, waypoint);
}

static int FlpxServiceGetStartPosition(void* plan, int move, FlpxStartPosition* position) {
  if (!plan || !position || SizeField(position) < kFlpxStartPositionSize) return 0;
  return PlanOf(plan)->GetStartPosition(move, position);
}

}  // extern "C"

const FlpxServiceSet& GetFlpxServices() {
  static const FlpxServiceSet services{FlpxServiceSaveFileDialog, FlpxServiceGetPlanInfo, FlpxServiceGetWaypoint,
                                       FlpxServiceGetStartPosition};
  return services;
}

FlpxSaveDialogScope::FlpxSaveDialogScope(const PlanUiServices& ui) : m_previous(g_saveDialogUi) { g_saveDialogUi = ui; }

FlpxSaveDialogScope::~FlpxSaveDialogScope() { g_saveDialogUi = m_previous; }
