// The records the simulator looks for in the module, and its init and deinit entries.
#include <wx/window.h>

#include "platform/simapi/SimApi.h"
#include "platform/ui/WxMessages.h"
#include "plotr/core/Settings.h"
#include "plotr/module/ModuleComposition.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/sim/SoundPlayer.h"

namespace {

// The module's global objects, named here so the linker takes them ahead of the start-up
// object, which must be constructed after them.
__attribute__((used)) void* const g_moduleGlobals[] = {&g_Settings, &g_App, &g_SimBlock, &g_SoundPlayer};

void ModuleInit() {
  wxWindow* host = ui::FindWindowByClass(simapi::kMainWindowClass);
  // Without the simulator's window the module stays loaded, without windows or hot keys.
  if (host == nullptr) return;
  StartModule(host);
}

// Everything is released when the simulator closes its main window and at library unload.
void ModuleDeinit() {}

}  // namespace

extern "C" {
__attribute__((visibility("default"))) simapi::ImportTable ImportTable;
__attribute__((visibility("default"))) simapi::Linkage Linkage = {
    simapi::kLinkageTag, &ModuleInit, &ModuleDeinit, nullptr, nullptr, 0, 0};
}
