#include "planexport/netplanc/NetplancWriter.h"

#include <gtest/gtest.h>

#include <string>

#include "planexport/common/testing/ModuleHarness.h"
#include "platform/profile/Profile.h"

namespace {

using namespace flpxtest;

struct Row {
  char type;
  const char* ident;
  double lat, lon, heading, tas, speed, altitude, after;
};

// A VOR followed by a climb point, an NDB, an intersection without identifier (no part in the
// cruise speed), a user point, a VOR-DME and a VORTAC as the plan's last record.
void ScriptRoute() {
  ResetScript();
  SetAirport(Script().info.departure, "Zurich", "LSZH", 0, 0, 0, 0, 0);
  SetAirport(Script().info.arrival, "Basel", "LFSB", 0, 0, 0, 0, 0);
  const Row rows[] = {
      {'A', "LSZH", 47.46, 8.55, 250, 0, 0, 0, 0},
      {'M', "KLO", 47.30, 8.20, 260, 118.4, 150, 5000, 6000},
      {'Q', "", 47.32, 8.10, 265.4, 120, 0, 0, 0},
      {'N', "ZH", 47.35, 8.00, 270, 125.6, 0, 0, 0},
      {'O', "", 47.40, 7.80, 300, 200, 0, 0, 0},
      {'P', "HOME", 47.45, 7.70, 180, 110, 0, 0, 0},
      {'K', "ABC", 47.50, 7.60, 150, 110, 0, 0, 0},
      {'I', "BSL", 47.55, 7.55, 95, 110, 0, 0, 0},
  };
  for (const Row& r : rows) {
    FlpxWaypoint w = MakeWaypoint(r.type, r.ident, "");
    w.latitude = r.lat;
    w.longitude = r.lon;
    w.heading = r.heading;
    w.trueAirspeed = r.tas;
    w.manualSpeed = r.speed;
    w.altitude1 = r.altitude;
    w.altitude2 = r.after;
    Script().rows.push_back(w);
  }
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
