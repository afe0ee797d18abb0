#pragma once
// The plan model's questions to the user, answered by windows: wait cursor, message boxes and
// the database-open dialog.

#include <string>
#include <vector>

#include "plotr/plan/PlanUi.h"

class CWxPlanUi : public IPlanUi {
 public:
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  void ShowInformation(const std::string& text) override;
  void ShowError(const std::string& text) override;
  int ChooseScenery(const std::vector<SceneryEntry>& entries) override;
};

// Installs one window-backed instance as the plan's interface.
void InstallWxPlanUi();
