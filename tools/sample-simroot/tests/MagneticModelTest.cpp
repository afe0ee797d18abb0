#include "tools/sample-simroot/MagneticModel.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using sampleroot::MagneticDeclination;
using sampleroot::MagVarGridWord;

// Declinations of the published WMM2025 evaluator at the epoch 2025.0 and sea level, in
// degrees east (rounded to 0.01 there).
TEST(MagneticModel, MatchesThePublishedEvaluator) {
  struct Case {
    const char* place;
    double lat, lon, declination;
  };
  const Case cases[] = {
      {"Zurich", 47.46, 8.55, 3.43},        {"Seattle", 47.45, -122.31, 15.05},
      {"Sydney", -33.95, 151.18, 12.81},    {"Geneva", 46.24, 6.11, 2.83},
      {"Gulf of Guinea", 0, 0, -4.02},      {"Cape Town", -33.97, 18.60, -26.52},
      {"Anchorage", 61.17, -150.0, 14.45},  {"Reykjavik", 64.13, -21.94, -11.58},
      {"Tokyo", 35.55, 139.78, -7.81},      {"Sao Paulo", -23.43, -46.47, -21.87},
      {"Thule", 76.53, -68.70, -37.72},     {"McMurdo", -77.85, 166.67, 140.47},
      {"Singapore", 1.36, 103.99, 0.19},    {"New York", 40.64, -73.78, -12.62},
      {"date line", -15.0, 180.0, 12.17},   {"South Pacific", -60, -120, 38.97},
      {"grid point 47N 9E", 47, 9, 3.51},   {"grid point 48N 122W", 48, -122, 15.12},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(MagneticDeclination(c.lat, c.lon), c.declination, 0.05) << c.place;
  }
  // A longitude given the other way round the world is the same meridian.
  EXPECT_NEAR(MagneticDeclination(-15.0, -180.0), MagneticDeclination(-15.0, 180.0), 1e-9);
}

TEST(MagneticModel, PolesGiveFiniteValues) {
  for (const double lat : {90.0, -90.0}) {
    for (double lon = 0; lon < 360; lon += 45) {
      const double d = MagneticDeclination(lat, lon);
      EXPECT_TRUE(d >= -180.0 && d <= 180.0) << lat << " " << lon;
    }
  }
}

// The planner reads a grid word as the variation, west positive: -word x 360 / 65536. An east
// declination must so come back negative, to be taken off a true course.
TEST(MagneticModel, GridWordsReadBackAsTheVariationOppositeTheDeclination) {
  for (const double declination : {0.0, 3.43, -26.52, 140.47, -179.99, 179.99}) {
    const int16_t word = MagVarGridWord(declination);
    const double variation = -word * 360.0 / 65536.0;
    EXPECT_NEAR(variation, -declination, 180.0 / 65536.0 + 1e-12) << declination;
  }
  EXPECT_EQ(MagVarGridWord(3.43), 624);
  // Half the circle does not fit the word's positive side: held at its end.
  EXPECT_EQ(MagVarGridWord(180.0), 32767);
  EXPECT_EQ(MagVarGridWord(-180.0), -32767);
}

}  // namespace
