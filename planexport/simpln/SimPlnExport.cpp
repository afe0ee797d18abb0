#include "planexport/simpln/SimPlnExport.h"

#include "planexport/simpln/SimPlnText.h"
#include "planexport/simpln/SimPlnWriter.h"

FlpxAsked AskSimPlnTarget(const FlpxCall& call, const SimPlnFolder& folder, const FlpxPlanInfo& info,
                          std::string& path) {
  FlpxTarget target{"pln", "PLN", folder.initialDir};
  target.storesFolder = folder.remembered;
  target.readsInitialDir = folder.remembered;
  target.defaultName = SimPlnDefaultName(FieldText(info.departure.name), FieldText(info.arrival.name));
  return FlpxAskTarget(call, target, path);
}

int ExportSimPln(const FlpxCall& call, const SimPlnFolder& folder, const StartPositionDialog& dialog) {
  if (!call.imports.getStartPosition) return 0;
  FlpxPlanInfo info;
  const FlpxPlanSource plan = call.Source();
  if (!plan.PlanInfo(info) || !info.departure.present || !info.arrival.present) return 0;

  // Chosen afresh on every call: a library kept mapped between calls must not offer the last
  // departure's runway to the next one.
  std::string storedKey;
  if (RunwayCount(info.departure) > 0) storedKey = FieldText(info.departure.runways[0].ident);
  StartPositionModel model(storedKey);
  model.Load(plan);
  if (!dialog || dialog(model, call.parent, FlpxCaption(call.displayName, "Departure Position")) != 1) return 1;

  std::string path;
  const FlpxAsked asked = AskSimPlnTarget(call, folder, info, path);
  if (asked != FlpxAsked::Path) return FlpxNoPathResult(asked);
  return FlpxWriteTarget(path, [&](CExportFile& file) { return WriteSimPlnPlan(plan, file, info, model.StoredKey()); });
}
