#pragma once

// Netplana: the key-value plan a network pilot client reads to prefill its flight-plan form:
// departure and destination, cruising speed and level, the direct route and the time en route.
// Its initial folder is the client's own "flights" folder, named in the client's "fsint.ini".

#include <string>

#include "planexport/common/ExportFile.h"
#include "planexport/common/ModuleFrame.h"
#include "planexport/common/PlanSource.h"

inline constexpr char kNetplanaName[] = "Netplana";
inline constexpr char kNetplanaClientSettings[] = "fsint.ini";

// 1 when every line was written, 0 at the first failed write.
int WriteNetplanaPlan(const FlpxPlanSource& plan, CExportFile& file, const FlpxPlanInfo& info);

// The client's settings file beside the client, two levels above the plug-in folder; false
// when the plug-in folder lies too near the root for one.
bool NetplanaClientSettingsPath(const std::string& settingsPath, std::string& clientSettings);
// The "flights" folder below "Path" of section "INSTALL" in the client's settings, as a native
// path: a Windows path through the drives of the Wine prefix above the client, a relative one
// from the client folder. Empty when the value is missing or empty, or names a drive the
// prefix lacks.
std::string NetplanaInitialFolder(const std::string& clientSettings);

// The export entry's flow; the chosen folder is never stored back.
int ExportNetplana(const FlpxCall& call, const std::string& clientSettings);
