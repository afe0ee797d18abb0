#pragma once

// A recording stand-in for the plan's user interface; hand it to the plan (PlanUiServices).

#include <string>
#include <vector>

#include "plotr/plan/PlanUi.h"

namespace plantest {

class FakePlanUi : public IPlanUi {
 public:
  FakePlanUi() = default;
  FakePlanUi(const FakePlanUi&) = delete;
  FakePlanUi& operator=(const FakePlanUi&) = delete;

  void BeginWaitCursor() override { ++waitDepth, ++waits; }
  void EndWaitCursor() override { --waitDepth; }
  void ShowInformation(const std::string& text) override { information.push_back(text); }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  int ChooseScenery(const std::vector<SceneryEntry>& entries) override {
    offered = entries;
    return choice;
  }

  int waitDepth = 0;
  int waits = 0;
  std::vector<std::string> information;
  std::vector<std::string> errors;
  std::vector<SceneryEntry> offered;
  int choice = -1;  // the dialog's answer: an index or -1 for Cancel
};

}  // namespace plantest
