#pragma once
// What views see of the document: the plan, the modified flag, the title and the update
// broadcast. The window document implements it; view tests fake it.

#include <cstdint>
#include <string>

#include "plotr/core/UpdateHints.h"

class CFlightPlanCore;

class IPlotrDocument {
 public:
  virtual ~IPlotrDocument() = default;
  virtual CFlightPlanCore& GetPlan() = 0;
  virtual bool IsPlanModified() const = 0;
  virtual void SetPlanModified(bool modified) = 0;
  // The plan's title (code page 1252) that heads the printout's pages; empty in the views' fakes.
  virtual std::string GetPlanTitle() const { return {}; }
  // Tells every view but `sender` (any view, or null for all) what changed.
  virtual void UpdatePlanViews(const void* sender, uint32_t bits, const void* object = nullptr) = 0;
};
