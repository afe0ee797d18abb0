#include "plotr/plan/PlanUi.h"

#include <cstdio>

void ShowWaypointsRemoved(IPlanUi* ui, int removed) {
  if (removed <= 0 || !ui) return;
  char text[256];
  std::snprintf(text, sizeof text, "%d %s", removed, kWaypointsRemovedText);
  ui->ShowInformation(text);
}
