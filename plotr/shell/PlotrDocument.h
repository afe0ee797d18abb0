#pragma once
// What views see of the document: the plan, the modified flag and the update broadcast. The
// window document implements it; view tests fake it.

#include <cstdint>
#include <memory>

#include "plotr/core/UpdateHints.h"

class CFlightPlanCore;

class IPlotrDocument {
 public:
  virtual ~IPlotrDocument() = default;
  virtual CFlightPlanCore& GetPlan() = 0;
  virtual bool IsPlanModified() const = 0;
  virtual void SetPlanModified(bool modified) = 0;
  // Tells every view but `sender` (any view, or null for all) what changed.
  virtual void UpdatePlanViews(const void* sender, uint32_t bits, const void* object = nullptr) = 0;
};

// The plan object the document owns: the most derived level of the plan chain that is built
// into the module.
std::unique_ptr<CFlightPlanCore> CreatePlanObject();

namespace ui {
class WxMessageTarget;
}
// Where the plan object posts its private messages: the main frame sets itself as the handler.
ui::WxMessageTarget& FrameMessageTarget();
