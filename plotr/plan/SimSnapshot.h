#pragma once
// What the plan knows of the simulator after an exchange: the simulator block fills it, the
// plan's fly-plan state, guidance and publication read it. Its own header so that the plan model
// reads the simulator without linking the simulator layer.

#include <cstdint>

// Everything Plotr knows about the simulator after an exchange. Value-initialise to zero.
struct SimSnapshot {
  bool fmcMode2, flyToPossible, flyTo, flyPlanPossible, flyPlan, holdingPossible;
  int32_t holdingState;
  unsigned char fmsData[40];
  unsigned char fmsWaypoints[3][160];
  unsigned char hsiData[45];
  bool fmcMode1On, fmcMode2On, fmcModeToggle;
  double flyToLatitude, flyToLongitude;
  bool flyToOn, flyToOff, flyToToggle;
  int32_t flyPlanWaypoint;
  bool flyPlanOn, flyPlanOff, flyPlanToggle, nextWaypoint, prevWaypoint;
  bool holdingOn, holdingOff, holdingToggle;

  double simulationRate;
  uint8_t localSecond, localMinute, localHour;
  uint8_t utcSecond, utcMinute, utcHour;
  uint16_t utcDay, utcYear;
  bool onGround;
  double magneticVariation;  // degrees; magnetic = true + this
  double airspeedRead, trueAirspeed, indicatedAirspeed, groundSpeed;  // knots
  double rate64;
  double verticalSpeed;      // feet per minute
  bool adfExtended;
  int32_t adf;               // tenths of kHz
  int32_t com, nav1, nav2;   // hundredths of MHz
  int32_t transponder;
  double latitude, longitude;  // degrees
  double altitude, indicatedAltitude;  // feet
  double pitch, bank;
  double trueHeading, track;
  bool autopilotAvailable, nav1Available, nav2Available, nav2CourseSettable;
  bool autopilotMaster, flag104, nav1Hold;
  double nav1Course, nav2Course;
  bool headingHold;
  double selectedHeading;
  bool altitudeHold;
  double selectedAltitude;   // feet
  bool flag110, approachHold, flag112, backCourseHold, flag114, airspeedHold;
  double selectedAirspeed;
  bool machHold;
  double selectedMach;
  double selectedVerticalSpeed;
  bool autothrottleArmed, flag124;
  double outsideTemperature;
  double windSpeed, windDirection;
  bool navSource;
  int32_t value317, value318;
};
