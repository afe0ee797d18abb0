#include "plotr/plan/LatLonText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct Case {
  const char* name;
  double value;
  bool isLatitude;
  bool seconds;
  bool symbols;
  const char* text;
};

TEST(FormatLatLon, AllFormatsAndCarries) {
  const Case cases[] = {
      {"lat dms plain", 47.5125, true, true, false, "N47 30 45"},
      {"lat dms signs", 47.5125, true, true, true, "N47\xB0" "30'45\""},
      {"lat dm plain", 47.5125, true, false, false, "N47 30.75"},
      {"lat dm signs", 47.5125, true, false, true, "N47\xB0" "30.75'"},
      {"lon dms plain", -122.25, false, true, false, "W122 15 00"},
      {"lon dms signs", -122.25, false, true, true, "W122\xB0" "15'00\""},
      {"lon dm plain", 8.5, false, false, false, "E008 30.00"},
      {"lon dm signs", 8.5, false, false, true, "E008\xB0" "30.00'"},
      {"south latitude", -33.9461, true, false, false, "S33 56.77"},
      // Rounding up a fraction of a second must carry into minutes and degrees, never print 60.
      {"second carry into degrees", 47.999999, true, true, false, "N48 00 00"},
      {"second carry into minutes", 10.4999999, true, true, false, "N10 30 00"},
      {"hundredth carry into degrees", 179.99999, false, false, false, "E180 00.00"},
      {"hundredth carry into minutes", 5.99999, true, false, false, "N06 00.00"},
      {"59.6 seconds round up", 1.0 + 59.6 / 3600.0, true, true, false, "N01 01 00"},
      // The hemisphere is decided on the rounded value.
      {"tiny negative minutes", -0.00001, true, false, false, "N00 00.00"},
      {"small negative minutes", -0.0001, true, false, false, "S00 00.01"},
      {"tiny negative seconds", -0.0001, false, true, false, "E000 00 00"},
      {"negative zero", -0.0, true, true, false, "N00 00 00"},
      {"pole", -90, true, true, true, "S90\xB0" "00'00\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatLatLon(c.value, c.isLatitude, c.seconds, c.symbols), c.text) << c.name;
  }
}

TEST(FormatLatLon, HostileValuesStayBoundedText) {
  EXPECT_EQ(FormatLatLon(std::numeric_limits<double>::quiet_NaN(), true, true, false), "N00 00 00");
  EXPECT_EQ(FormatLatLon(std::numeric_limits<double>::infinity(), false, false, false), "E000 00.00");
  EXPECT_LT(FormatLatLon(-1e300, false, true, true).size(), 40u);
}

}  // namespace
