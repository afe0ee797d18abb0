#include "planexport/netplanc/NetplancWriter.h"

#include <gtest/gtest.h>

#include <string>

#include "planexport/common/testing/ModuleHarness.h"
#include "platform/profile/Profile.h"

namespace {

using namespace flpxtest;

// A VOR followed by a climb point, an NDB, an intersection without identifier (no part in the
// cruise speed), a user point, a VOR-DME and a VORTAC as the plan's last record.
void ScriptRoute() {
  ResetScript();
  SetAirport(Script().info.departure, "Zurich", "LSZH", 0, 0, 0, 0, 0);
  SetAirport(Script().info.arrival, "Basel", "LFSB", 0, 0, 0, 0, 0);
  AddRows({
      {.type = 'A', .ident = "LSZH", .lat = 47.46, .lon = 8.55, .heading = 250},
      {.type = 'M', .ident = "KLO", .lat = 47.30, .lon = 8.20, .heading = 260, .tas = 118.4, .manualSpeed = 150,
       .altitude1 = 5000, .altitude2 = 6000},
      {.type = 'Q', .lat = 47.32, .lon = 8.10, .heading = 265.4, .tas = 120},
      {.type = 'N', .ident = "ZH", .lat = 47.35, .lon = 8.00, .heading = 270, .tas = 125.6},
      {.type = 'O', .lat = 47.40, .lon = 7.80, .heading = 300, .tas = 200},
      {.type = 'P', .ident = "HOME", .lat = 47.45, .lon = 7.70, .heading = 180, .tas = 110},
      {.type = 'K', .ident = "ABC", .lat = 47.50, .lon = 7.60, .heading = 150, .tas = 110},
      {.type = 'I', .ident = "BSL", .lat = 47.55, .lon = 7.55, .heading = 95, .tas = 110},
  });
}

const char kGolden[] = "planexport/netplanc/tests/goldens/Zurich-Basel.sbp";

TEST(NetplancModule, WritesTheGoldenRouteAndZerosForSwitchedOffItems) {
  ModuleSimroot root("netplanc", NETPLANC_MODULE);
  ScriptRoute();
  const std::string target = (root.Root() / "route.sbp").string();
  Script().savePath = target;
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(ReadBytes(target), Golden(kGolden));
  EXPECT_EQ(Script().filterSeen, "Netplanc Flight Plan (*.sbp)|*.sbp|All Files (*.*)|*.*||");

  for (const char* key : {"CrossingSpeed", "CrossingAltitude", "AltitudeAfter", "HeadingAfter"}) {
    profile::WriteString(root.Ini(), "Netplanc", key, "0");
  }
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(ReadBytes(target),
            "LSZH:LFSB:126\r\nV:KLO  :47.300000:8.200000:0:0:0:0\r\nN:ZH   :47.350000:8.000000:0:0:0:0\r\n"
            "I:     :47.400000:7.800000:0:0:0:0\r\nV:ABC  :47.500000:7.600000:0:0:0:0\r\n\r\n");
}

TEST(NetplancModule, RefusesAfterTheDialogAndWritesEmptyRoutes) {
  ModuleSimroot root("netplanc_refuse", NETPLANC_MODULE);
  ScriptRoute();
  const std::string target = (root.Root() / "route.sbp").string();
  Script().savePath = target;
  Script().info.arrival.present = 0;
  EXPECT_EQ(root.Export(), FlpxCallResult::Failed);
  EXPECT_EQ(Script().saveCalls, 1) << "the dialog comes first";
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_EQ(profile::GetString(root.Ini(), "Netplanc", "InitialDir", ""), root.Root().string() + "/");

  // No route points, or only ones without identifiers: the header with cruise speed 0 and the end line.
  Script().info.arrival.present = 1;
  Script().rows.resize(1);
  Script().rows.push_back(MakeWaypoint('O', "", ""));
  Script().rows.back().trueAirspeed = 300;
  Script().rows.push_back(MakeWaypoint('A', "LFSB", "Basel"));
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(ReadBytes(target), "LSZH:LFSB:0\r\nI:     :0.000000:0.000000:0:0:0:0\r\n\r\n");
  Script().rows.resize(1);
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(ReadBytes(target), "LSZH:LFSB:0\r\n\r\n");
}

}  // namespace
