#include "plotr/module/ModuleComposition.h"

#include "plotr/map/window/MapParentView.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/shell/window/HostFrameWnd.h"
#include "plotr/sim/window/FmsView.h"
#include "plotr/sim/window/PilotView.h"
#include "plotr/views/window/PlanPrintout.h"
#include "plotr/views/window/PlanView.h"
#include "plotr/views/window/SearchView.h"
#include "plotr/views/window/SidStarPage.h"

bool StartModule(wxWindow* host) {
  g_App.SetHostWindow(host);
  RegisterMapPane();
  RegisterFmsPage();
  RegisterSidStarPage();
  RegisterSearchPane();
  RegisterPlanPane();
  RegisterPlanPrinting();
  RegisterPilotPanes();
  return InitModuleWindows(host);
}
