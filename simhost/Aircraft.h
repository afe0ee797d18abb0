#pragma once
// A simple kinematic aircraft: no aerodynamics, just rates towards what the autopilot selects.

#include <cstdint>

namespace simhost {

struct AutopilotState {
  bool available = true;
  bool master = false;
  bool headingHold = false;
  bool altitudeHold = false;
  bool airspeedHold = false;
  bool machHold = false;
  bool nav1Hold = false;
  bool approachHold = false;
  bool backCourseHold = false;
  bool autothrottleArmed = false;
  bool navSource = false;
  double selectedHeading = 0;        // degrees magnetic
  double selectedAltitude = 0;       // feet
  double selectedVerticalSpeed = 0;  // feet per minute, magnitude used for climbs and descents
  double selectedAirspeed = 0;       // knots
  double selectedMach = 0;
};

struct Radios {
  int com = 12250;          // hundredths of MHz
  int nav1 = 11000;
  int nav2 = 11000;
  double nav1Course = 0;    // degrees
  double nav2Course = 0;
  int adf = 3450;           // tenths of kHz
  int transponder = 1200;   // four digits read as a decimal number
};

struct AircraftStart {
  double latitude = 47.45;     // degrees
  double longitude = 8.55;
  double altitudeFeet = 3000;
  double heading = 0;          // degrees true
  double airspeed = 120;       // knots
};

class Aircraft {
 public:
  // Rates of the autopilot: a standard-rate turn, and the climb rate used when none is selected.
  static constexpr double kTurnRate = 3.0;              // degrees per second
  static constexpr double kDefaultClimbRate = 1000.0;   // feet per minute
  static constexpr double kAcceleration = 2.0;          // knots per second

  explicit Aircraft(const AircraftStart& start = {});

  // Moves the aircraft on by this much simulated time.
  void Advance(double seconds);

  double latitude = 0;        // degrees, -90..90
  double longitude = 0;       // degrees, -180..180
  double altitude = 0;        // metres
  double heading = 0;         // degrees true, 0..360
  double airspeed = 0;        // knots, true
  double verticalSpeed = 0;   // feet per minute
  double pitch = 0;
  double bank = 0;
  bool onGround = false;
  double windSpeed = 0;       // knots
  double windDirection = 0;   // degrees, where it comes from
  double magneticVariation = 0;  // degrees, east positive
  double outsideTemperature = 15;
  double simulationRate = 1;
  bool frozen = false;            // held in place while a move sequence runs
  double secondsOfDay = 12 * 3600;  // UTC
  int utcOffsetHours = 0;
  int utcDay = 1;
  int utcYear = 2004;

  AutopilotState autopilot;
  Radios radios;

 private:
  void AdvanceAutopilot(double seconds);
};

}  // namespace simhost
