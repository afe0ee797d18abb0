#include "platform/ui/WxMessages.h"
#include "plotr/shell/PlotrDocument.h"
#include "plotr/sim/FlightPlanSim.h"

// The plan's notices go to the main frame once it exists; until then they are dropped.
ui::WxMessageTarget& FrameMessageTarget() {
  static ui::WxMessageTarget target(nullptr);
  return target;
}

std::unique_ptr<CFlightPlanCore> CreatePlanObject() {
  PlanSimServices services;
  services.frame = &FrameMessageTarget();
  return std::make_unique<CFlightPlanSim>(services);
}
