#include "plotr/plan/PlanUi.h"

#include <cstdio>

namespace {
IPlanUi* g_planUi = nullptr;
}

void SetPlanUi(IPlanUi* ui) {
  g_planUi = ui;
}

IPlanUi* GetPlanUi() {
  return g_planUi;
}

void ShowWaypointsRemoved(int removed) {
  if (removed <= 0 || !g_planUi) return;
  char text[256];
  std::snprintf(text, sizeof text, "%d %s", removed, kWaypointsRemovedText);
  g_planUi->ShowInformation(text);
}
