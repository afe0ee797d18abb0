#include "plotr/plan/FlightPlanCore.h"
#include "plotr/shell/PlotrDocument.h"

std::unique_ptr<CFlightPlanCore> CreatePlanObject() { return std::make_unique<CFlightPlanCore>(); }
