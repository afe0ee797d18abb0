#include "planexport/netplana/NetplanaWriter.h"

#include <filesystem>

#include "planexport/route/DirectRoute.h"
#include "planexport/route/PlanTotals.h"
#include "platform/profile/Profile.h"
#include "platform/win/WinPath.h"
#include "platform/win/WinePrefix.h"

// Flight levels from 18000 ft, altitudes below.
static constexpr unsigned kLowestFlightLevel = 180;

int WriteNetplanaPlan(const FlpxPlanSource& plan, CExportFile& file, const FlpxPlanInfo& info) {
  const RouteEndpoints ends = FindRouteEndpoints(plan, info);
  const PlanTotals totals = ReadPlanTotals(plan);
  const std::string departure(FieldText(info.departure.ident));
  const std::string arrival(FieldText(info.arrival.ident));
  const unsigned level = totals.Level();
  if (!file.Print("[FLIGHTPLAN]\n") || !file.Print("DEPICAO=%s\n", departure.c_str()) ||
      !file.Print("SPEEDTYPE=N\n") || !file.Print("SPEED=%u\n", totals.RoundedSpeed()) ||
      !file.Print("LEVELTYPE=%c\n", level >= kLowestFlightLevel ? 'F' : 'A') || !file.Print("LEVEL=%u\n", level)) {
    return 0;
  }
  const std::string route = BuildDirectRoute(plan, ends, kNetworkClientSeparators);
  if (!file.Print("ROUTE=%s\n", route.c_str()) || !file.Print("DESTICAO=%s\n", arrival.c_str()) ||
      !file.Print("EET=%02u%02u\n", totals.Hours(), totals.Minutes())) {
    return 0;
  }
  return 1;
}

bool NetplanaClientSettingsPath(const std::string& settingsPath, std::string& clientSettings) {
  return FlpxPathAbove(settingsPath, 2, kNetplanaClientSettings, clientSettings);
}

std::string NetplanaInitialFolder(const std::string& clientSettings) {
  const std::string installed = profile::GetString(clientSettings, "INSTALL", "Path", "");
  if (installed.empty()) return {};
  // A client run under Wine names its folder by a drive letter of its prefix.
  const std::filesystem::path clientFolder = std::filesystem::path(clientSettings).parent_path();
  const win::DriveRoots drives = win::DriveRootsFor(clientFolder);
  return win::ToNativePath(win::JoinWinPath(installed, "flights"), clientFolder, &drives).string();
}

int ExportNetplana(const FlpxCall& call, const std::string& clientSettings) {
  FlpxTarget target{"fpl", "fpl", ""};
  target.initialDirDefault = NetplanaInitialFolder(clientSettings);
  target.readsInitialDir = false;
  target.storesFolder = false;
  target.nameFromPlan = [](const FlpxPlanInfo& info) { return FlpxIcaoPairName(info, "fpl"); };
  return FlpxRunExport(call, target, true, [&](CExportFile& file, const FlpxPlanInfo& info) {
    return WriteNetplanaPlan(call.Source(), file, info);
  });
}
