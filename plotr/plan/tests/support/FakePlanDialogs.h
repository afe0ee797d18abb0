#pragma once

// A scripted stand-in for the plan's dialogs (aircraft, cruise, holding, save file): records what
// the model filled in and answers with the prepared values (or cancels). Hand it to the plan
// (PlanUiServices) it stands for.

#include "plotr/plan/ToolDialogs.h"

class FakePlanDialogs : public IToolDialogs {
 public:
  FakePlanDialogs() = default;
  FakePlanDialogs(const FakePlanDialogs&) = delete;
  FakePlanDialogs& operator=(const FakePlanDialogs&) = delete;

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

 private:
  template <class T>
  bool Answer(T& values, T& seen, const T& answer) {
    ++runs;
    seen = values;
    if (accept) values = answer;
    return accept;
  }
};
