#include "plotr/plan/Units.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Airspeed, IndicatedToTrueFollowsTheAltitudeLaw) {
  struct Case {
    const char* name;
    double ias;
    double altitude;
    unsigned tas;
  } cases[] = {
      {"sea level is unchanged", 250, 0, 250},
      {"ten thousand feet", 250, 10000, 290},
      {"below sea level counts as zero", 250, -2000, 250},
      // The law reaches zero near 93,000 ft; the divisor is held at 1/430 from there on.
      {"factor held far above the law's range", 100, 200000, 43000},
      {"factor held where the law is exactly zero", 1, 100000, 430},
      {"negative speed does not wrap", -10, 0, 0},
      {"NaN speed gives zero", NAN, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IasToTas(c.ias, c.altitude), c.tas) << c.name;
  }
}

TEST(Airspeed, TrueToIndicatedIsNeverBelowOne) {
  struct Case {
    const char* name;
    double tas;
    double altitude;
    unsigned ias;
  } cases[] = {
      {"sea level", 250, 0, 250},
      {"ten thousand feet", 290, 10000, 250},
      {"half a knot", 0.5, 0, 1},
      {"zero", 0, 0, 1},
      {"above the law's range", 500, 150000, 1},
      {"NaN", NAN, 0, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TasToIas(c.tas, c.altitude), c.ias) << c.name;
  }
}

TEST(Fuel, ConvertsThroughKilograms) {
  struct Case {
    const char* name;
    int display;
    int stored;
    double quantity;
    double expected;
  } cases[] = {
      {"pounds to pounds", kFuelPounds, kFuelPounds, 1234.5, 1234.5},
      {"gallons to kilograms", kFuelKilograms, kFuelUsGallons, 1, 3.0850195},
      {"kilograms to pounds", kFuelPounds, kFuelKilograms, 0.45359, 1},
      {"litres to gallons", kFuelUsGallons, kFuelLitres, 3.7853, 1},
      {"gallons to litres", kFuelLitres, kFuelUsGallons, 2, 7.5706},
      {"unknown stored unit", kFuelPounds, 4, 100, 0},
      {"unknown display unit", 4, kFuelPounds, 100, 0},
      {"negative unit", -1, kFuelKilograms, 100, 0},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(ConvertFuel(c.display, c.stored, c.quantity), c.expected, 1e-7) << c.name;
  }
}

TEST(CourseLines, MeetWhereTheGeometrySaysSo) {
  double lat = 99, lon = 99;
  // East along the equator from (0, 0); the second line arrives at (10, 10) flying north, so it
  // comes up the meridian 10 E and crosses the equator there.
  ASSERT_TRUE(GreatCircleIntersection(lat, lon, 0, 0, 90, 10, 10, 0));
  EXPECT_NEAR(lat, 0, 1e-9);
  EXPECT_NEAR(lon, 10, 1e-9);

  // Western and southern hemisphere: north along 70 W meets the line arriving at (-30, -60)
  // flying east along the parallel's great circle.
  ASSERT_TRUE(GreatCircleIntersection(lat, lon, -40, -70, 0, -30, -60, 90));
  EXPECT_NEAR(lon, -70, 1e-9);
  EXPECT_GT(lat, -40);
  EXPECT_LT(lat, -29);
}

TEST(CourseLines, ReportNoCrossingInsteadOfNonsense) {
  struct Case {
    const char* name;
    double lat1, lon1, crs1, lat2, lon2, crs2;
  } cases[] = {
      {"parallel courses on one meridian", 10, 20, 0, 30, 20, 0},
      {"opposite courses on one meridian", 10, 20, 0, 30, 20, 180},
      {"coincident points", 45, 7, 90, 45, 7, 0},
      {"diverging lines", 0, 0, 270, 10, 10, 0},
      {"NaN course", 0, 0, NAN, 10, 10, 0},
      {"NaN position", NAN, 0, 90, 10, 10, 0},
  };
  for (const auto& c : cases) {
    double lat = 123, lon = 456;
    EXPECT_FALSE(GreatCircleIntersection(lat, lon, c.lat1, c.lon1, c.crs1, c.lat2, c.lon2, c.crs2)) << c.name;
    EXPECT_EQ(lat, 123) << c.name;
    EXPECT_EQ(lon, 456) << c.name;
  }
}

}  // namespace
