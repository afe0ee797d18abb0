// Netplana.so: the network client's flight plan, and the information dialog.
#include <string>

#include "planexport/common/ModuleFrame.h"
#include "planexport/netplana/NetplanaWriter.h"

#ifdef FLPX_WITH_DIALOGS
#include "planexport/common/window/AboutDialog.h"
#endif

namespace {
int ExportNetplanaPlan(void* plan, void* parent);
bool FindClientSettings(const char* settingsPath);
#ifdef FLPX_WITH_DIALOGS
int ShowNetplanaInformation(void* hostContext, void* parent);
#else
constexpr FlpxConfigureFn ShowNetplanaInformation = nullptr;
#endif
}  // namespace

FLPX_DEFINE_MODULE_WITH_ATTACH(kNetplanaName, ShowNetplanaInformation, ExportNetplanaPlan, FindClientSettings)

namespace {

// A plain buffer: the library entry fills it before any C++ object of the module is made.
char g_clientSettings[kFlpxSettingsPathSize];

bool FindClientSettings(const char* settingsPath) {
  std::string path;
  if (!NetplanaClientSettingsPath(settingsPath, path) || path.size() >= sizeof g_clientSettings) return false;
  path.copy(g_clientSettings, path.size());
  g_clientSettings[path.size()] = '\0';
  return true;
}

int ExportNetplanaPlan(void* plan, void* parent) {
  return ExportNetplana(FlpxModuleCall(plan, parent), g_clientSettings);
}

#ifdef FLPX_WITH_DIALOGS
int ShowNetplanaInformation(void* /*hostContext*/, void* parent) {
  return ShowAboutDialog(parent, kNetplanaName,
                         FlpxAboutText({"Departure Aerodrome",
                                        "Cruising Speed",
                                        "Flight Level/Altitude",
                                        "Route",
                                        "Destination Aerodrome",
                                        "Total EET"}));
}
#endif

}  // namespace
