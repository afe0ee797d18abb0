#pragma once

// The plan's scripted dialogs with the route finder's dialog added. Hand it to the plan
// (PlanUiServices) it stands for.

#include <functional>
#include <vector>

#include "plotr/plan/tests/support/FakePlanDialogs.h"
#include "plotr/tools/AutoRoute.h"

class FakeToolDialogs : public FakePlanDialogs {
 public:
  // The route finder's dialog: each entry of autoRoutePresses is one press of OK with those
  // values, in order, until one closes the dialog; Cancel when they run out (or without accept).
  AutoRouteDialogValues autoRouteIn;
  std::vector<AutoRouteDialogValues> autoRoutePresses;
  std::vector<bool> autoRouteClosed;  // what each press answered
  bool RunAutoRouteDialog(AutoRouteDialogValues& v,
                          const std::function<bool(const AutoRouteDialogValues&)>& onOk) override {
    ++runs;
    autoRouteIn = v;
    if (!accept) return false;
    for (const AutoRouteDialogValues& press : autoRoutePresses) {
      v = press;
      autoRouteClosed.push_back(onOk(v));
      if (autoRouteClosed.back()) return true;
    }
    return false;
  }
};
