// The application start-up, run when the simulator loads the library. It must run after every
// other global of the module is constructed, so this file is linked last into the module (see
// CMakeLists.txt): initialisers run in link order.
#include "platform/simapi/SimApi.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/sim/SimBlock.h"

extern "C" simapi::ImportTable ImportTable;
extern "C" simapi::Linkage Linkage;

namespace {

struct ModuleStartup {
  ModuleStartup() {
    g_SimBlock.SetImportTable(&ImportTable);
    if (g_App.InitInstance())
      Linkage.interfaceWord = g_App.GetInterfaceWord();
    else
      Linkage.tag = 0;  // the host sees a module that refused to start and unloads it
  }
  ~ModuleStartup() {
    if (Linkage.tag == simapi::kLinkageTag) g_App.ExitInstance();
  }
};

ModuleStartup g_startup;

}  // namespace

// Referenced from the link line so the linker takes this file from its archive.
extern "C" const int cw_module_startup = 1;
