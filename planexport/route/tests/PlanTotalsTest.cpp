#include "planexport/route/PlanTotals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "planexport/common/testing/ScriptedPlan.h"

namespace {

using namespace flpxtest;

TEST(PlanTotals, TakesTheHighestSpeedAndAltitudeAndRoundsThem) {
  struct Case {
    const char* name;
    double tas, altitude, time;  // of the middle record; the others fly 100 kt at 3000 ft for 10 min
    unsigned speed, level, feet, hours, minutes;
  };
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {"level 175", 454.9, 17749, 105.7, 450, 175, 17500, 2, 5},
      {"level 180", 455, 17750, 105.7, 460, 180, 18000, 2, 5},
      {"lower than the others", 50, 1000, 0, 100, 30, 3000, 0, 20},
      {"not numbers", nan, nan, nan, 100, 30, 3000, 0, 0},
      {"beyond any integer", inf, 1e12, 1e7, 2147483650u, 21474835, 2147483500u, 166667, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetScript();
    AddRows({{.type = 'A', .tas = 100, .altitude = 3000, .time = 10},
             {.type = 'M', .tas = c.tas, .altitude = c.altitude, .time = c.time},
             {.type = 'A', .tas = 100, .altitude = 3000, .time = 10}});
    const FlpxImportTableRecord imports = ScriptedImports();
    const PlanTotals t = ReadPlanTotals(FlpxPlanSource(imports, &Script()));
    EXPECT_EQ(t.RoundedSpeed(), c.speed);
    EXPECT_EQ(t.Level(), c.level);
    EXPECT_EQ(t.RoundedAltitude(), c.feet);
    EXPECT_EQ(t.Hours(), c.hours);
    EXPECT_EQ(t.Minutes(), c.minutes);
  }
}

}  // namespace
