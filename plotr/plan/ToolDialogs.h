#pragma once

// What the plan model asks of the planning tools' dialogs. The window layer implements
// IToolDialogs with its aircraft, cruise and holding dialogs and hands it to the plan where the
// plan is made (PlanUiServices); tests hand in a fake. Without one every dialog counts as
// cancelled.

#include <functional>
#include <string>

struct AutoRouteDialogValues;

// The aircraft profile dialog: filled by the route, read back after OK.
struct AircraftDialogValues {
  std::string name;  // at most 30 characters are kept
  bool withoutAsh = false;
  int climbSpeed = 0;
  int climbFuel = 0;
  int climbRate = 0;
  int cruiseSpeed = 0;
  int cruiseFuel = 0;
  int cruiseAltitude = 0;
  int descentSpeed = 0;
  int descentFuel = 0;
  int descentRate = 0;
  int fuelUnit = 0;  // 0 lbs, 1 US gal, 2 kg, 3 litres
  bool applyCruiseAltitude = true;
  bool applyCruiseSpeed = true;
  bool routeEmpty = false;  // the two apply options are then shown checked and disabled
};

// The cruise dialog.
struct CruiseDialogValues {
  int altitude = 0;               // in: the route's mean cruise altitude; out: the chosen one
  int profileCruiseAltitude = 0;  // in
  int speed = 0;                  // in: the route's cruise speed; out: the chosen one
  int lowestSpeed = 0;            // in: the profile's descent speed
  int highestSpeed = 0;           // in: the profile's cruise speed
  bool applyAltitudeToAll = false;
  bool applySpeedToAll = false;
};

// The holding dialog ("Holding Pattern"): five values preset by the plan and read after OK.
struct HoldingDialogValues {
  int turnDirection = 0;  // list index
  int headingMode = 0;    // list index
  int heading = 0;        // degrees, 0 to 360
  int segmentKind = 0;    // list index: time or distance
  std::string segmentLength;  // 1 to 10, minutes or nautical miles, as the user typed it
};

// The save-file dialog that the export plug-ins ask for (the plain file dialog in save mode).
struct SaveFileDialogValues {
  void* parent = nullptr;   // the owning window (a wxWindow*)
  std::string filter;       // description and pattern pairs, "|"-separated, ended by "||"; may be empty
  std::string initialDir;   // may be empty
  std::string defaultExt;   // up to three characters, without the dot; may be empty
  std::string initialName;  // a file name without folder; may be empty
  std::string path;         // out: the chosen full path
};

class IToolDialogs {
 public:
  virtual ~IToolDialogs() = default;
  // Each returns true when the user accepted; the values then hold the choice.
  virtual bool RunAircraftDialog(AircraftDialogValues& values) = 0;
  virtual bool RunCruiseDialog(CruiseDialogValues& values) = 0;
  virtual bool RunHoldingDialog(HoldingDialogValues& values) = 0;
  // Not every window layer offers it; without it the export plug-ins see a cancelled dialog.
  virtual bool RunSaveFileDialog(SaveFileDialogValues& values) {
    (void)values;
    return false;
  }
  // The route finder's dialog ("Calculate auto route") over the values; OK hands the controls'
  // values to `onOk`, and the dialog closes with OK only when it answers true. Not every window
  // layer offers it; without it the finder counts as cancelled.
  virtual bool RunAutoRouteDialog(AutoRouteDialogValues& values,
                                  const std::function<bool(const AutoRouteDialogValues&)>& onOk) {
    (void)values;
    (void)onOk;
    return false;
  }
};
