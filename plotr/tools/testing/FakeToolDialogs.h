#pragma once

// A scripted stand-in for the planning tools' dialogs: records what the model filled in and
// answers with the prepared values (or cancels). Installs itself for its lifetime.

#include <vector>

#include "plotr/plan/ToolDialogs.h"
#include "plotr/tools/AutoRoute.h"

class FakeToolDialogs : public IToolDialogs {
 public:
  FakeToolDialogs() { SetToolDialogs(this); }
  ~FakeToolDialogs() override { SetToolDialogs(nullptr); }
  FakeToolDialogs(const FakeToolDialogs&) = delete;
  FakeToolDialogs& operator=(const FakeToolDialogs&) = delete;

  bool accept = true;
  int runs = 0;
  AircraftDialogValues aircraftIn, aircraftOut;
  CruiseDialogValues cruiseIn, cruiseOut;
  HoldingDialogValues holdingIn, holdingOut;
  SaveFileDialogValues saveIn, saveOut;

  bool RunAircraftDialog(AircraftDialogValues& v) override { return Answer(v, aircraftIn, aircraftOut); }
  bool RunCruiseDialog(CruiseDialogValues& v) override { return Answer(v, cruiseIn, cruiseOut); }
  bool RunHoldingDialog(HoldingDialogValues& v) override { return Answer(v, holdingIn, holdingOut); }
  bool RunSaveFileDialog(SaveFileDialogValues& v) override { return Answer(v, saveIn, saveOut); }

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

 private:
  template <class T>
  bool Answer(T& values, T& seen, const T& answer) {
    ++runs;
    seen = values;
    if (accept) values = answer;
    return accept;
  }
};
