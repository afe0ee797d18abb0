#include "planexport/opsplan/OpsplanWriter.h"

#include "planexport/route/DirectRoute.h"
#include "planexport/route/PlanTotals.h"

// Flight levels from 18000 ft, feet below.
static constexpr unsigned kLowestFlightLevel = 180;

int WriteOpsplanPlan(const FlpxPlanSource& plan, CExportFile& file, const FlpxPlanInfo& info) {
  const RouteEndpoints ends = FindRouteEndpoints(plan, info);
  const PlanTotals totals = ReadPlanTotals(plan);
  const std::string departure(FieldText(info.departure.ident));
  const std::string arrival(FieldText(info.arrival.ident));
  if (!file.Print("[FLIGHTPLAN]\n") || !file.Print("FPDepAirport=%s\n", departure.c_str()) ||
      !file.Print("FPDestAirport=%s\n", arrival.c_str())) {
    return 0;
  }
  const std::string route = BuildDirectRoute(plan, ends, kOpsplanSeparators);
  const unsigned level = totals.Level();
  const bool flightLevel = level >= kLowestFlightLevel;
  if (!file.Print("FPRoute=%s\n", route.c_str()) || !file.Print("FPAirSpeed=%u\n", totals.RoundedSpeed()) ||
      !file.Print("FPAlt=%s%u\n", flightLevel ? "FL" : "", flightLevel ? level : totals.RoundedAltitude()) ||
      !file.Print("FPSlotHour=%u\n", totals.Hours()) || !file.Print("FPSlotMin=%u\n", totals.Minutes())) {
    return 0;
  }
  return 1;
}

int ExportOpsplan(const FlpxCall& call) {
  FlpxTarget target{"fp", "fp", ""};
  target.nameFromPlan = [](const FlpxPlanInfo& info) { return FlpxIcaoPairName(info, "fp"); };
  return FlpxRunExport(call, target, true, [&](CExportFile& file, const FlpxPlanInfo& info) {
    return WriteOpsplanPlan(call.Source(), file, info);
  });
}
