#include "planexport/simplana/SimplanaExport.h"

#include "planexport/simpln/SimPlnExport.h"
#include "planexport/simpln/SimPlnText.h"
#include "planexport/simpln/SimPlnWriter.h"

int ExportSimplana(const FlpxCall& call) {
  FlpxPlanInfo info;
  const FlpxPlanSource plan = call.Source();
  if (!plan.PlanInfo(info) || !info.departure.present || !info.arrival.present) return 0;
  const SimPlnFolder folder{SimPlnRootFolder(call.settingsPath, "Pilots"), true};
  std::string path;
  const FlpxAsked asked = AskSimPlnTarget(call, folder, info, path);
  if (asked != FlpxAsked::Path) return FlpxNoPathResult(asked);
  return FlpxWriteTarget(path, [&](CExportFile& file) { return WriteSimplanaPlan(plan, file, info); });
}
