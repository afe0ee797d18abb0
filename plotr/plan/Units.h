#pragma once

// Airspeed, fuel and course-line conversions shared by the plan, the performance functions,
// the guidance and the dialogs. All stateless.

// Fuel unit codes, as stored in the setting "FuelMeasure" and in a profile's flag bits 0-1.
enum FuelUnit : int {
  kFuelPounds = 0,
  kFuelUsGallons = 1,
  kFuelKilograms = 2,
  kFuelLitres = 3,
};

// Whole knots. Altitudes in feet; altitudes below 0 count as 0.
unsigned IasToTas(double ias, double altitudeFeet);
// Whole knots, never below 1.
unsigned TasToIas(double tas, double altitudeFeet);

// `quantity` in `storedUnit` expressed in `displayUnit`; 0 when either unit is unknown.
double ConvertFuel(int displayUnit, int storedUnit, double quantity);

// Where the great circle leaving point 1 on course 1 meets the one that reaches point 2 on
// course 2. Degrees, east and north positive. False (outputs untouched) when the lines are
// (nearly) parallel, the points coincide or the result is not a finite position.
bool GreatCircleIntersection(double& outLat, double& outLon, double lat1, double lon1, double course1,
                             double lat2, double lon2, double course2);
