#pragma once
// The plan object the document owns and the channel its notices reach the main frame by.

#include <memory>

class CFlightPlanCore;
namespace ui {
class WxMessageTarget;
}

// The most derived level of the plan chain that is built into the module.
std::unique_ptr<CFlightPlanCore> CreatePlanObject();

// Where the plan object posts its private messages: the main frame sets itself as the handler.
ui::WxMessageTarget& FrameMessageTarget();
