#include "planexport/netplanb/NetplanbWriter.h"

#include "planexport/route/DirectRoute.h"
#include "planexport/route/PlanTotals.h"

int WriteNetplanbPlan(const FlpxPlanSource& plan, CExportFile& file, const FlpxPlanInfo& info) {
  const RouteEndpoints ends = FindRouteEndpoints(plan, info);
  const PlanTotals totals = ReadPlanTotals(plan);
  const std::string departure(FieldText(info.departure.ident));
  const std::string arrival(FieldText(info.arrival.ident));
  // The client takes every level as a flight level, even below the transition.
  if (!file.Print("[SBFlightPlan]\n") || !file.Print("Departure=%s\n", departure.c_str()) ||
      !file.Print("Arrival=%s\n", arrival.c_str()) || !file.Print("FlightHours=%u\n", totals.Hours()) ||
      !file.Print("FlightMinutes=%u\n", totals.Minutes()) || !file.Print("Airspeed=%u\n", totals.RoundedSpeed()) ||
      !file.Print("Altitude=F%u\n", totals.Level())) {
    return 0;
  }
  const std::string route = BuildDirectRoute(plan, ends, kNetworkClientSeparators);
  return file.Print("Route=%s\n", route.c_str()) ? 1 : 0;
}

int ExportNetplanb(const FlpxCall& call) {
  FlpxTarget target{"sfp", "sfp", ""};
  target.nameFromPlan = [](const FlpxPlanInfo& info) { return FlpxIcaoPairName(info, "sfp"); };
  return FlpxRunExport(call, target, true, [&](CExportFile& file, const FlpxPlanInfo& info) {
    return WriteNetplanbPlan(call.Source(), file, info);
  });
}
