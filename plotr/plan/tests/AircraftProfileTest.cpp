#include "plotr/plan/AircraftProfile.h"

#include "platform/profile/Profile.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/Route.h"
#include "plotr/plan/tests/support/PlanFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

namespace {

class AircraftProfileTest : public ::testing::Test {
 protected:
  int Rev(const char* section) { return profile::GetInt(m_folder.AircraftIni(), section, "revision", 0); }
  int Value(const char* section, const char* key) { return profile::GetInt(m_folder.AircraftIni(), section, key, -1); }
  void Write(const std::string& text) { std::ofstream(m_folder.AircraftIni(), std::ios::binary) << text; }

  plantest::ScopedPlanFolder m_folder{"aircraft"};
};

TEST_F(AircraftProfileTest, FirstRunWritesEveryDefaultForTheSimulatorVersion) {
  struct Case {
    int simVer;
    int boeing737ClimbRate;
    int learjetCruiseAltitude;
  } cases[] = {{61, 1300, 32000}, {70, 1300, 32000}, {80, 3150, 35000}, {90, 3150, 35000}};
  for (const auto& c : cases) {
    std::filesystem::remove(m_folder.AircraftIni());
    const AircraftProfile current = SeedAircraftProfiles(m_folder.AircraftIni(), c.simVer, "");
    const auto sections = profile::GetSectionNames(m_folder.AircraftIni());
    EXPECT_EQ(sections.size(), 67u) << c.simVer;  // 70 rows, three of them per version
    EXPECT_EQ(Value("Boeing 737", "climbrate"), c.boeing737ClimbRate) << c.simVer;
    EXPECT_EQ(Value("Learjet 45", "cruisealtitude"), c.learjetCruiseAltitude) << c.simVer;
    EXPECT_EQ(Value("Concorde", "cruisealtitude"), 55000);
    EXPECT_EQ(Value("Focke-Wulf FW 200 Condor", "fuelmeasure"), 3);
    EXPECT_EQ(Rev("Airbus A319"), 3);
    EXPECT_EQ(Rev("Airbus A300"), 2);
    // No last choice: the default aircraft is the current profile.
    EXPECT_EQ(current.Name(), kDefaultAircraft);
    EXPECT_EQ(+current.cruiseAltitude, 11000);
    EXPECT_EQ(current.FuelUnit(), 1);
    EXPECT_TRUE(current.WithoutAsh());
  }
  // A section is written with its keys in the documented order.
  std::ifstream in(m_folder.AircraftIni(), std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string first =
      "[Airbus A300]\r\nwithoutash=0\r\nclimbspeed=260\r\nclimbfuel=6000\r\nclimbrate=2000\r\ncruisespeed=320\r\n"
      "cruisefuel=3300\r\ncruisealtitude=32000\r\ndescentspeed=140\r\ndescentfuel=800\r\ndescentrate=2000\r\n"
      "fuelmeasure=2\r\nrevision=2\r\n";
  EXPECT_EQ(text.substr(0, first.size()), first);
}

TEST_F(AircraftProfileTest, OlderDefaultsAreRewrittenOnlyWhenTheirRevisionIsBelowTheRow) {
  Write("[Boeing 737]\r\nclimbrate=1300\r\nrevision=2\r\n[My Plane]\r\nrevision=3\r\ncruisealtitude=9000\r\n");
  SeedAircraftProfiles(m_folder.AircraftIni(), 70, "My Plane");
  EXPECT_EQ(Value("Boeing 737", "climbrate"), 1300) << "below 80 the revision-2 values stand";
  SeedAircraftProfiles(m_folder.AircraftIni(), 80, "My Plane");
  EXPECT_EQ(Value("Boeing 737", "climbrate"), 3150);
  EXPECT_EQ(Rev("Boeing 737"), 3);
  EXPECT_EQ(Value("My Plane", "cruisealtitude"), 9000) << "sections of the user's own are kept";

  // A later seeding with everything current changes nothing in the file.
  const auto before = std::filesystem::last_write_time(m_folder.AircraftIni());
  const std::string text = [&] {
    std::ifstream in(m_folder.AircraftIni(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }();
  SeedAircraftProfiles(m_folder.AircraftIni(), 80, "My Plane");
  std::ifstream in(m_folder.AircraftIni(), std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), text);
  EXPECT_EQ(std::filesystem::last_write_time(m_folder.AircraftIni()), before);
}

TEST_F(AircraftProfileTest, OldSectionsAreConvertedOnceAndRenamedAircraftReplaced) {
  Write(
      "; kept comment\r\n"
      "[Old Jet]\r\nclimbspeed=300\r\ncruisespeed=450\r\ndescentspeed=250\r\ncruisealtitude=35000\r\n"
      "fuelmeasure=2\r\nwithoutash=1\r\n"
      "[Rev One]\r\nrevision=1\r\nclimbspeed=300\r\nwithoutash=1\r\n"
      "[kingair 350]\r\nclimbspeed=1\r\n[Cessna C172SP Skyhawk]\r\nrevision=3\r\n");
  const AircraftProfile current = SeedAircraftProfiles(m_folder.AircraftIni(), 90, "Old Jet");

  // Revision 0: speeds were true airspeeds and become indicated ones in tens of knots.
  EXPECT_EQ(Value("Old Jet", "climbspeed"), 180);
  EXPECT_EQ(Value("Old Jet", "cruisespeed"), 270);
  EXPECT_EQ(Value("Old Jet", "descentspeed"), 250);
  EXPECT_EQ(Value("Old Jet", "fuelmeasure"), 0);
  EXPECT_EQ(Value("Old Jet", "withoutash"), 0);
  EXPECT_EQ(Rev("Old Jet"), 2);
  // Revision 1 only loses the option.
  EXPECT_EQ(Value("Rev One", "climbspeed"), 300);
  EXPECT_EQ(Value("Rev One", "withoutash"), 0);
  EXPECT_EQ(Rev("Rev One"), 2);
  // The renamed aircraft's old section is gone, whatever its letter case.
  const auto sections = profile::GetSectionNames(m_folder.AircraftIni());
  EXPECT_EQ(std::count(sections.begin(), sections.end(), "kingair 350"), 0);
  EXPECT_EQ(Value("Beechcraft King Air 350", "cruisealtitude"), 30000);
  // The section of the last choice now has a revision: it is the current profile.
  EXPECT_EQ(current.Name(), "Old Jet");
  EXPECT_EQ(+current.climbSpeed, 180);
  EXPECT_EQ(+current.cruiseAltitude, 35000);

  // Converting again leaves the converted values alone.
  SeedAircraftProfiles(m_folder.AircraftIni(), 90, "Old Jet");
  EXPECT_EQ(Value("Old Jet", "climbspeed"), 180);
}

TEST_F(AircraftProfileTest, UnknownLastCraftFallsBackWithoutChangingTheSetting) {
  g_Settings.WriteLastCraft("Gone Plane");
  CRoute route;  // the first route of the process seeds
  EXPECT_EQ(route.m_profile.Name(), kDefaultAircraft);
  EXPECT_EQ(+route.m_cruise.speed, 100);
  EXPECT_EQ(+route.m_cruise.altitude1, 11000);
  EXPECT_EQ(g_Settings.GetLastCraft(), "Gone Plane");
  EXPECT_EQ(profile::GetInt(m_folder.AircraftIni(), "Boeing 747", "revision", 0), 3);
}

TEST_F(AircraftProfileTest, ReadingASectionReplacesOnlyKeysWithValues) {
  Write("[MY JET]\r\nclimbspeed=222\r\ncruisespeed=\r\nwithoutash=0\r\nfuelmeasure=6\r\n");
  AircraftProfile p;
  p.cruiseSpeed = 400;
  p.climbRate = 1800;
  p.SetWithoutAsh(true);
  ASSERT_TRUE(ReadAircraftSection(m_folder.AircraftIni(), "My Jet", p));
  EXPECT_EQ(+p.climbSpeed, 222);
  EXPECT_EQ(+p.cruiseSpeed, 400) << "an empty value keeps the stored one";
  EXPECT_EQ(+p.climbRate, 1800);
  EXPECT_FALSE(p.WithoutAsh());
  EXPECT_EQ(p.FuelUnit(), 2);

  AircraftProfile untouched = p;
  EXPECT_FALSE(ReadAircraftSection(m_folder.AircraftIni(), "Gone", p));
  EXPECT_EQ(std::memcmp(&p, &untouched, sizeof p), 0);
}

AircraftProfile TestProfile() {
  AircraftProfile p;
  p.SetName("Test");
  p.climbSpeed = 200;
  p.climbRate = 2000;
  p.cruiseSpeed = 280;
  p.cruiseAltitude = 30000;
  p.descentSpeed = 150;
  p.descentRate = 2000;
  return p;
}

TEST_F(AircraftProfileTest, SpeedsByAltitudeAndDistance) {
  CRoute route;
  route.m_profile = TestProfile();
  struct Case {
    const char* name;
    int limit;
    double value;
    double expected;
  } cases[] = {
      {"climb blends from the profile speed", 1, route.ClimbSpeedAt(5000, 280), 200 + 5000.0 * 50 / 30000},
      {"climb above 10000 is the target", 1, route.ClimbSpeedAt(12000, 180), 180},
      {"climb at the ground", 1, route.ClimbSpeedAt(0, 280), 200},
      {"descent at 0.5 nm", 1, route.DescentSpeedAt(20000, 280, 0.5), 150},
      {"descent at 10 nm", 1, route.DescentSpeedAt(20000, 280, 10), 200},
      {"descent at 30 nm", 1, route.DescentSpeedAt(20000, 280, 30), 280},
      {"descent below the limit", 1, route.DescentSpeedAt(8000, 280, 50), 250},
      {"approach limited to 11500", 1, route.ApproachSpeedAt(11000, 280, 50), 250},
      {"approach above 11500", 1, route.ApproachSpeedAt(12000, 280, 50), 280},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(c.value, c.expected, 1e-9) << c.name;
  }
  // The speed limit setting: 240 kt, 250 kt or none.
  const struct {
    int limit;
    double expected;
  } limits[] = {{0, 240}, {1, 250}, {2, 280}};
  for (const auto& l : limits) {
    g_Settings.SetSpeedLimit(l.limit);
    EXPECT_NEAR(route.DescentSpeedAt(5000, 280, 50), l.expected, 1e-9) << l.limit;
  }
  g_Settings.SetSpeedLimit(1);
}

TEST_F(AircraftProfileTest, RatesByAltitudeAndDistance) {
  CRoute route;
  route.m_profile = TestProfile();
  route.m_profile.climbRate = 600;
  EXPECT_EQ(route.ClimbRateAt(0, false), 600);
  EXPECT_LT(route.ClimbRateAt(30000, false), 600);
  EXPECT_GT(route.ClimbRateAt(30000, false), 0);
  EXPECT_EQ(route.ClimbRateAt(30000, true), 500) << "halved but never below 500";
  route.m_profile.climbRate = 3000;
  EXPECT_EQ(route.ClimbRateAt(0, true), 1500);

  route.m_profile.descentRate = 3000;
  EXPECT_EQ(route.DescentRateAt(30000, 10), -1000) << "within 20 nm";
  EXPECT_EQ(route.DescentRateAt(30000, 25), -1200) << "20 to 30 nm";
  EXPECT_LT(route.DescentRateAt(30000, 40), -1200) << "above 30 nm and 11500 ft";
  EXPECT_EQ(route.DescentRateAt(10000, 40), -1200) << "low altitude keeps the cap";
}

TEST_F(AircraftProfileTest, IntegrationRunsBackwardsFromTheSegmentEnd) {
  CRoute route;
  route.m_profile = TestProfile();
  const double start = route.IntegrateClimb(10000, 10, 280);
  EXPECT_LT(start, 10000);
  EXPECT_GT(start, 0);
  const double top = route.IntegrateDescent(3000, 30, 280, 30);
  EXPECT_GT(top, 3000);
}

TEST_F(AircraftProfileTest, ZeroCruiseAltitudeOrSpeedStaysFinite) {
  CRoute route;
  AircraftProfile p;  // everything zero, as a hand-edited file may give
  route.m_profile = p;
  const double values[] = {
      route.ClimbSpeedAt(5000, 0),          route.ClimbRateAt(5000, false),
      route.DescentRateAt(5000, 10),        route.DescentRateAt(0, 40),
      route.IntegrateClimb(5000, 10, 0),    route.IntegrateDescent(1000, 10, 0, 10),
      route.ApproachSpeedAt(1000, 0, 5),
  };
  for (double v : values) {
    EXPECT_TRUE(std::isfinite(v));
  }
}

}  // namespace
