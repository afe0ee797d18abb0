#include "simhost/HostOptions.h"

#include <gtest/gtest.h>

namespace simhost {
namespace {

TEST(HostOptionsTest, ReadsEveryOption) {
  std::string error;
  const auto o = ParseHostOptions({"--sim-version", "70", "--root", "/sim", "--start", "47.5,-8.25,3000,270,140",
                                   "--time-scale", "20", "--load-only"},
                                  error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(70, o->simVersion);
  EXPECT_EQ("/sim", o->root);
  EXPECT_EQ(47.5, o->start.latitude);
  EXPECT_EQ(-8.25, o->start.longitude);
  EXPECT_EQ(3000, o->start.altitudeFeet);
  EXPECT_EQ(270, o->start.heading);
  EXPECT_EQ(140, o->start.airspeed);
  EXPECT_EQ(20, o->timeScale);
  EXPECT_TRUE(o->loadOnly);
  const auto defaults = ParseHostOptions({}, error);
  ASSERT_TRUE(defaults);
  EXPECT_EQ(0, defaults->simVersion);
  EXPECT_EQ(1, defaults->timeScale);
  EXPECT_FALSE(defaults->loadOnly);
}

TEST(HostOptionsTest, RejectsBadValuesWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"--sim-version", "75"}, {"--sim-version"}, {"--start", "1,2,3,4"}, {"--start", "91,0,0,0,0"},
      {"--start", "1,2,3,4,x"}, {"--start", "1,2,3,4,5,6"}, {"--time-scale", "0"}, {"--time-scale", "-2"},
      {"--time-scale", "200"}, {"--time-scale", "nan"}, {"--time-scale"}, {"--frobnicate"}};
  for (const auto& args : bad) {
    std::string error;
    EXPECT_FALSE(ParseHostOptions(args, error)) << args[0];
    EXPECT_FALSE(error.empty());
  }
}

TEST(HostOptionsTest, ReadsTheMultiplayerHostOptions) {
  std::string error;
  const auto none = ParseHostOptions({}, error);
  ASSERT_TRUE(none);
  EXPECT_FALSE(none->mpPort);
  const auto free = ParseHostOptions({"--mp-host", "--mp-password", "secret", "--mp-limits", "4,1"}, error);
  ASSERT_TRUE(free) << error;
  EXPECT_EQ(0, *free->mpPort);
  EXPECT_EQ("secret", free->mpPassword);
  EXPECT_EQ(4u, free->mpPilotLimit);
  EXPECT_EQ(1u, free->mpObserverLimit);
  const auto port = ParseHostOptions({"--mp-host=23456"}, error);
  ASSERT_TRUE(port) << error;
  EXPECT_EQ(23456, *port->mpPort);
  const std::vector<std::vector<std::string>> bad = {{"--mp-host=70000"}, {"--mp-host=x"}, {"--mp-host="},
                                                     {"--mp-limits", "1,0"}, {"--mp-limits", "15,2"},
                                                     {"--mp-limits", "4"}, {"--mp-password"}};
  for (const auto& args : bad) {
    EXPECT_FALSE(ParseHostOptions(args, error)) << args[0];
  }
}

TEST(HostOptionsTest, SimulatorVersionFromFileVersion) {
  EXPECT_EQ(90, SimVersionFromFileVersion(9, 0));
  EXPECT_EQ(80, SimVersionFromFileVersion(8, 0));
  EXPECT_EQ(70, SimVersionFromFileVersion(7, 0));
  EXPECT_EQ(61, SimVersionFromFileVersion(6, 10));
  EXPECT_EQ(75, SimVersionFromFileVersion(7, 50));
}

}  // namespace
}  // namespace simhost
