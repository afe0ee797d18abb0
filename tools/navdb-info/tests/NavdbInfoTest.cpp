// navdb-info on the Swiss sample's database: the declination it prints at each airport, with its
// letter, is the one the sample's magnetic model gives at the variation grid's nearest point.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "tools/sample-simroot/MagneticModel.h"
#include "tools/sample-simroot/SampleSimRoot.h"
#include "tools/sample-simroot/tests/support/SwissSample.h"

namespace {

std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  ::pclose(pipe);
  return out;
}

TEST(NavdbInfo, PrintsTheDeclinationWithItsLetterAtEachAirport) {
  std::string error;
  ASSERT_TRUE(sampletest::LoadSwissSample(error)) << error;
  const std::string database = (sampleroot::DatabaseFolder(sampletest::SwissSampleRoot()) / "Scenery").string();
  const std::string out =
      Output(std::string(NAVDB_INFO) + " '" + database + ".000' '" + database + ".001' LSZH LSGG LSZS");
  for (const char* ident : {"LSZH", "LSGG", "LSZS"}) {
    const size_t at = out.find(std::string("variation at ") + ident);
    ASSERT_NE(std::string::npos, at) << out;
    double lat = 0, lon = 0, value = 0;
    char letter = 0;
    ASSERT_EQ(4, std::sscanf(out.c_str() + at + 19, "%lf %lf %lf %c", &lat, &lon, &value, &letter)) << out;
    // The grid holds whole degrees; over Switzerland magnetic north lies east of true north.
    const double declination = sampleroot::MagneticDeclination(std::floor(lat + 0.5), std::floor(lon + 0.5));
    EXPECT_EQ('E', letter) << ident;
    EXPECT_NEAR(std::fabs(declination), value, 0.01) << ident;
  }
}

}  // namespace
